#include "ui/command_line.h"

#include <cstring>

namespace {

// The rules below hold for the ANSI command line and for the UTF-16 one
// alike: blanks, tabs and quotes are the same code units in both.
template <typename Char>
bool IsBlankOrTab(Char c) { return c == ' ' || c == '\t'; }

template <typename Char>
const Char* SkipBlanksAndTabs(const Char* p)
{
    while (IsBlankOrTab(*p)) ++p;
    return p;
}

template <typename Char>
const Char* TailOf(const Char* commandLine)
{
    const Char* p = SkipBlanksAndTabs(commandLine);
    if (*p == '"') {
        // A tab ends a quoted name too, and then is skipped as a blank.
        ++p;
        while (*p != '\0' && *p != '"' && *p != '\t') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && !IsBlankOrTab(*p)) ++p;
    }
    return SkipBlanksAndTabs(p);
}

template <typename Char>
size_t LengthOf(const Char* text)
{
    size_t length = 0;
    while (text[length] != '\0') ++length;
    return length;
}

// The start and length of the folder inside `tail`.
template <typename Char>
void FolderOf(const Char* tail, const Char*& folder, size_t& length)
{
    const size_t whole = LengthOf(tail);
    size_t trimmed = whole;
    while (trimmed > 0 && tail[trimmed - 1] == ' ') --trimmed;
    if (trimmed >= 2 && tail[0] == '"' && tail[trimmed - 1] == '"') {
        folder = tail + 1;
        length = trimmed - 2;
    } else {
        folder = tail;
        length = whole;
    }
}

}  // namespace

const char* CommandLineTail(const char* commandLine)
{
    return TailOf(commandLine);
}

TextSpan FolderInTail(const char* tail)
{
    TextSpan folder = {};
    FolderOf(tail, folder.text, folder.length);
    return folder;
}

bool CopyFolder(TextSpan folder, char* path, size_t size)
{
    if (folder.length >= size) return false;  // the NUL needs a byte too
    std::memcpy(path, folder.text, folder.length);
    path[folder.length] = '\0';
    return true;
}

bool FolderArrivedExactly(const wchar_t* wideCommandLine, const wchar_t* readBack, size_t readBackLength)
{
    const wchar_t* folder = nullptr;
    size_t length = 0;
    FolderOf(TailOf(wideCommandLine), folder, length);
    if (length != readBackLength) return false;
    for (size_t i = 0; i < length; ++i) {
        if (folder[i] != readBack[i]) return false;  // code units, not a linguistic comparison
    }
    return true;
}
