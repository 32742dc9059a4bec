#include "ui/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct TailRow {
    const char* commandLine;
    const char* tail;
};

const TailRow TailRows[] = {
    {"\"C:\\Program Files\\Setting.exe\" C:\\data", "C:\\data"},
    {"\"C:\\Setting.exe\"C:\\data", "C:\\data"},                  // no blank after the closing quote
    {"\"C:\\Set\tting.exe\" C:\\data", "ting.exe\" C:\\data"},     // a tab ends even a quoted name
    {"\"C:\\Setting.exe\t\" x", "\" x"},
    {"   \t Setting.exe   folder", "folder"},                    // leading blanks and tabs
    {"Setting.exe", ""},
    {"Setting.exe   \t ", ""},
    {"\"Setting.exe\"", ""},
    {"\"Setting.exe", ""},                                       // never closed
    {"", ""},
    {"   ", ""},
    {"Setting.exe\tfolder", "folder"},
    {"Setting.exe C:\\My Documents\\x", "C:\\My Documents\\x"},  // blanks inside stay
    {"Setting.exe C:\\data  ", "C:\\data  "},                    // trailing blanks stay
    {"Setting.exe \"C:\\My Documents\"", "\"C:\\My Documents\""},  // quotes stay
    {"Setting.exe a\"b\"c", "a\"b\"c"},
    {"\"\" folder", "folder"},
    {"Set\"ting.exe folder", "folder"},                          // a quote inside an unquoted name
};

TEST(CommandLineTail, FollowsTheProgramName)
{
    for (const TailRow& row : TailRows) {
        const char* tail = CommandLineTail(row.commandLine);
        const size_t expectedOffset = std::strlen(row.commandLine) - std::strlen(row.tail);
        EXPECT_EQ(std::string(row.tail), std::string(tail)) << "command line [" << row.commandLine << "]";
        EXPECT_EQ(row.commandLine + expectedOffset, tail) << "not a pointer into [" << row.commandLine << "]";
    }
}

struct FolderRow {
    const char* tail;
    const char* folder;
};

const FolderRow FolderRows[] = {
    {"C:\\data", "C:\\data"},
    {"C:\\My Documents", "C:\\My Documents"},
    {"\"C:\\My Documents\"", "C:\\My Documents"},
    {"\"C:\\My Documents\"   ", "C:\\My Documents"},  // blanks after the closing quote dropped
    {"C:\\data  ", "C:\\data  "},                     // an unquoted tail keeps its blanks
    {"\"C:\\data", "\"C:\\data"},                     // never closed: taken as it is
    {"C:\\data\"", "C:\\data\""},
    {"\"C:\\data\"\t", "\"C:\\data\"\t"},             // only blanks are ignored, not tabs
    {"\"", "\""},
    {"\"  ", "\"  "},
    {"\"\"", ""},
    {"\" \"", " "},
    {"", ""},
};

TEST(FolderInTail, DropsOnlyTheEnclosingQuotes)
{
    for (const FolderRow& row : FolderRows) {
        const TextSpan folder = FolderInTail(row.tail);
        EXPECT_EQ(std::string(row.folder), std::string(folder.text, folder.length)) << "tail [" << row.tail << "]";
        EXPECT_GE(folder.text, row.tail);
        EXPECT_LE(folder.text + folder.length, row.tail + std::strlen(row.tail));
    }
}

// The folder of the UTF-16 command line against the ANSI copy's folder read
// back. A look-alike spelling, a "?" or a look-alike blank that splits the
// line elsewhere names another folder; the program's own name may hold what
// the code page lacks.
struct ArrivedRow {
    const wchar_t* commandLine;
    const wchar_t* readBack;
    bool exact;
};

const ArrivedRow ArrivedRows[] = {
    {L"S.exe C:\\data", L"C:\\data", true},
    {L"S.exe \"C:\\My Data\"  ", L"C:\\My Data", true},
    {L"\"C:\\caf\u00e9\\S.exe\" C:\\data", L"C:\\data", true},
    {L"S.exe C:\\\u8868\u793a \u30bd\u30d5\u30c8", L"C:\\\u8868\u793a \u30bd\u30d5\u30c8", true},  // 表示 ソフト
    {L"S.exe C:\\caf\u00e9", L"C:\\cafe", false},                     // best-fit: é as e
    {L"S.exe C:\\\u00c5ngstr\u00f6m", L"C:\\Angstrom", false},
    {L"S.exe C:\\\U00020BB7\u7530", L"C:\\??\u7530", false},          // 𠮷田: no spelling at all
    {L"S.exe C:\\\u00a5", L"C:\\\\", false},                          // ¥ as a backslash
    {L"S.exe\u00a0C:\\data", L"C:\\data", false},                      // no-break space as a blank
    {L"S.exe C:\\data", L"C:\\dat", false},
    {L"S.exe C:\\data", L"C:\\Data", false},                           // exact, not case-blind
    {L"S.exe", L"", true},
    {L"S.exe \u00a0", L"", false},                                        // a folder the ANSI copy loses
};

TEST(FolderArrivedExactly, ComparesTheFolderCodeUnitForCodeUnit)
{
    for (const ArrivedRow& row : ArrivedRows) {
        const std::wstring readBack = row.readBack;
        EXPECT_EQ(row.exact, FolderArrivedExactly(row.commandLine, readBack.c_str(), readBack.size()))
            << "command line [" << testing::PrintToString(std::wstring(row.commandLine)) << "], read back ["
            << testing::PrintToString(readBack) << "]";
    }
}

// The folder goes into a buffer as long as a working directory may be in
// bytes with its NUL (260 characters, up to three bytes each in UTF-8); one
// that does not fit is refused whole, and nothing past the buffer is touched.
TEST(CopyFolder, RefusesAFolderLongerThanTheBuffer)
{
    struct Row { size_t length; bool fits; };
    const Row rows[] = {{0, true}, {1, true}, {260, true}, {780, true}, {781, false}, {782, false}, {1200, false}};
    for (const Row& row : rows) {
        const std::string folder(row.length, 'a');
        char path[781];  // 3 * MAX_PATH + 1, on the stack as in the program
        std::memset(path, 'x', sizeof path);
        EXPECT_EQ(row.fits, CopyFolder({folder.data(), folder.size()}, path, sizeof path)) << row.length;
        if (row.fits) {
            EXPECT_EQ(folder, std::string(path)) << row.length;
        } else {
            EXPECT_EQ('x', path[0]) << "a refused folder was written, length " << row.length;
        }
    }
}

}  // namespace
