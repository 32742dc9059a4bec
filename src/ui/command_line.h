// The folder on the program's command line. Portable: knows nothing of
// Windows, so it is tested and fuzzed natively.
#pragma once

#include <cstddef>

// The command-line tail: what follows the program name and the blanks and
// tabs after it, unchanged (quotes and trailing blanks stay). A quoted name
// ends at the next quote or tab; an unquoted one at the next blank or tab.
// Returns a pointer into commandLine, at its NUL when there is no tail.
const char* CommandLineTail(const char* commandLine);

// A stretch of text inside a string that is not NUL-terminated there.
struct TextSpan {
    const char* text;
    size_t length;
};

// The folder a tail names. A folder with blanks is usually passed quoted, so
// when the tail starts and ends with a double quote (blanks after the closing
// one ignored), the folder is the text between the quotes. Otherwise it is
// the whole tail. A Windows path cannot hold a double quote, so this changes
// nothing for a tail that could have named a folder as it stands.
TextSpan FolderInTail(const char* tail);

// Copies `folder` into `path`, a buffer of `size` bytes, NUL-terminated.
// False, with nothing written, when it does not fit: the caller's buffer is
// as long as a working directory may be, so such a folder cannot be entered.
bool CopyFolder(TextSpan folder, char* path, size_t size);

// Whether the folder reached the program as the user named it. The program
// reads the ANSI copy of its command line, which Windows makes from the
// UTF-16 one that Explorer and shortcuts pass: a character the code page
// lacks becomes a look-alike (é becomes e) or "?", and the copy then names
// another folder or none. `readBack` is the folder of the ANSI copy turned
// back into UTF-16; it must equal, code unit for code unit, the folder that
// `wideCommandLine` names by the same rules. The program's own name may hold
// any character: only the folder counts.
bool FolderArrivedExactly(const wchar_t* wideCommandLine, const wchar_t* readBack, size_t readBackLength);
