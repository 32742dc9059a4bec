// libFuzzer target: CommandLineTail, FolderInTail, CopyFolder and
// FolderArrivedExactly on any command line.
// The input is copied into a buffer of exactly its length plus the NUL, so
// AddressSanitizer stops any read past the terminating NUL.
#include "ui/command_line.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

void Require(bool holds)
{
    if (!holds) std::abort();
}

// The tail starts after the blanks and tabs that follow the program name.
void CheckTail(const char* line, size_t length, const char* tail)
{
    Require(tail >= line && tail <= line + length);
    Require(tail == line + length || !IsBlankOrTab(*tail));
    // What the tail skipped: blanks/tabs, the name, blanks/tabs.
    const char* p = line;
    while (p < tail && IsBlankOrTab(*p)) ++p;
    if (p < tail && *p == '"') {
        const char* q = p + 1;
        while (q < tail && *q != '"' && *q != '\t') ++q;   // the quoted name
        if (q < tail && *q == '"') ++q;
        while (q < tail) Require(IsBlankOrTab(*q++));
        // The name ended where it must: at the closing quote, a tab or the end.
        const char* end = p + 1;
        while (*end != '\0' && *end != '"' && *end != '\t') ++end;
        Require(tail >= end);
    } else {
        const char* q = p;
        while (q < tail && !IsBlankOrTab(*q)) ++q;           // the unquoted name
        while (q < tail) Require(IsBlankOrTab(*q++));
        const char* end = p;
        while (*end != '\0' && !IsBlankOrTab(*end)) ++end;
        Require(tail >= end);
    }
}

// The folder is the whole tail, or the tail less its enclosing quotes and
// the blanks after the closing one.
void CheckFolder(const char* tail)
{
    const size_t length = std::strlen(tail);
    const TextSpan folder = FolderInTail(tail);
    Require(folder.text >= tail && folder.text + folder.length <= tail + length);
    if (folder.text == tail && folder.length == length) return;
    Require(tail[0] == '"' && folder.text == tail + 1);
    Require(tail[1 + folder.length] == '"');
    for (size_t i = 2 + folder.length; i < length; ++i) Require(tail[i] == ' ');
}

// The folder fits a working-directory buffer whole, NUL included, or not at
// all; a buffer of its own exact size lets AddressSanitizer see any overrun.
void CheckCopy(TextSpan folder)
{
    const size_t size = 1 + folder.length % 300;
    std::vector<char> path(size);
    const bool copied = CopyFolder(folder, path.data(), size);
    Require(copied == (folder.length < size));
    if (copied) Require(std::memcmp(path.data(), folder.text, folder.length) == 0 && path[folder.length] == '\0');
}

// The UTF-16 rules are the ANSI ones: a line whose every byte becomes one
// code unit names the same folder both ways, so it arrived exactly.
void CheckSameRulesWide(const char* line, TextSpan folder)
{
    std::vector<wchar_t> wideLine, wideFolder;
    for (const char* p = line; *p != '\0'; ++p) wideLine.push_back(wchar_t(static_cast<unsigned char>(*p)));
    wideLine.push_back(L'\0');
    for (size_t i = 0; i < folder.length; ++i) wideFolder.push_back(wchar_t(static_cast<unsigned char>(folder.text[i])));
    Require(FolderArrivedExactly(wideLine.data(), wideFolder.data(), wideFolder.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    const size_t length = std::strlen(line.data());  // a command line ends at its first NUL
    std::vector<char> exact(line.data(), line.data() + length + 1);
    const char* tail = CommandLineTail(exact.data());
    CheckTail(exact.data(), length, tail);
    CheckFolder(tail);
    CheckCopy(FolderInTail(tail));
    CheckSameRulesWide(exact.data(), FolderInTail(tail));
    return 0;
}
