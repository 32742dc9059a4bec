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

// The folder goes into a buffer as long as a working directory may be; one
// that does not fit is refused whole, and nothing past the buffer is touched.
TEST(CopyFolder, RefusesAFolderLongerThanTheBuffer)
{
    struct Row { size_t length; bool fits; };
    const Row rows[] = {{0, true}, {1, true}, {259, true}, {260, false}, {261, false}, {1200, false}};
    for (const Row& row : rows) {
        const std::string folder(row.length, 'a');
        char path[260];  // MAX_PATH, on the stack as in the program
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
