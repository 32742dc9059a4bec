#include "ui/command_line.h"

#include <cstring>

namespace {

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanksAndTabs(const char* p)
{
    while (IsBlankOrTab(*p)) ++p;
    return p;
}

}  // namespace

const char* CommandLineTail(const char* commandLine)
{
    const char* p = SkipBlanksAndTabs(commandLine);
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

TextSpan FolderInTail(const char* tail)
{
    size_t length = std::strlen(tail);
    size_t trimmed = length;
    while (trimmed > 0 && tail[trimmed - 1] == ' ') --trimmed;
    if (trimmed >= 2 && tail[0] == '"' && tail[trimmed - 1] == '"') {
        return {tail + 1, trimmed - 2};
    }
    return {tail, length};
}

bool CopyFolder(TextSpan folder, char* path, size_t size)
{
    if (folder.length >= size) return false;  // the NUL needs a byte too
    std::memcpy(path, folder.text, folder.length);
    path[folder.length] = '\0';
    return true;
}
