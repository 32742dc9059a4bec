// End to end: the real SettingPyxet.exe, driven from outside under Wine. Expected values are written here from the
// window's design, as bytes.
#include "driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace {

// Shift_JIS bytes, with the text beside them.
const std::string TitleBytes = "Pyxet.exe"
    "\x82\xcc\x90\xdd\x92\xe8\x82\xf0\x8d\x73\x82\xa2\x82\xdc\x82\xb7\x81\x42";  // の設定を行います。
const std::string SavedBytes =
    "\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";  // 設定を保存しました。
const std::string FailedBytes =
    "\x90\xdd\x92\xe8\x82\xcc\x95\xdb\x91\xb6\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";  // 設定の保存に失敗しました。

const LONG_PTR FirstRadio = 0x50020009;   // WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON
const LONG_PTR OtherRadio = 0x50000009;   // WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON
const LONG_PTR PushButton = 0x50000001;   // WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON

struct ControlRow {
    int id;
    int group;  // 0 for the push buttons
    LONG_PTR style;
    int x, y, width, height;
    const char* caption;
    bool checkedAtStart;
};

const ControlRow Controls[] = {
    {10, 1, FirstRadio, 0, 18, 120, 30, "\x83\x52\x83\x73\x81\x5b\x82\xb7\x82\xe9\x81\x42", false},  // コピーする。
    {11, 1, OtherRadio, 120, 18, 120, 30, "\x83\x52\x83\x73\x81\x5b\x82\xb5\x82\xc8\x82\xa2\x81\x42", true},  // コピーしない。
    {20, 2, FirstRadio, 0, 78, 120, 30, "\x8f\xed\x82\xc9\x8a\x4a\x82\xad\x81\x42", false},  // 常に開く。
    {21, 2, OtherRadio, 120, 78, 120, 30, "\x8a\x4a\x82\xa9\x82\xc8\x82\xa2\x81\x42", false},  // 開かない。
    {22, 2, OtherRadio, 240, 78, 120, 30, "\x8d\xc5\x8f\x89\x82\xbe\x82\xaf\x8a\x4a\x82\xad\x81\x42", true},  // 最初だけ開く。
    {30, 3, FirstRadio, 0, 138, 120, 30, "\x95\x5c\x8e\xa6\x82\xb7\x82\xe9\x81\x42", false},  // 表示する。
    {31, 3, OtherRadio, 120, 138, 250, 30,
     "\x83\x4e\x83\x43\x83\x62\x83\x4e\x83\x82\x81\x5b\x83\x68\x82\xc5\x82\xcc\x82\xdd"
     "\x95\x5c\x8e\xa6\x82\xb7\x82\xe9\x81\x42", true},  // クイックモードでのみ表示する。
    {40, 4, FirstRadio, 0, 198, 120, 30, "\x93\xc7\x82\xdd\x8d\x9e\x82\xde\x81\x42", false},  // 読み込む。
    {41, 4, OtherRadio, 120, 198, 250, 30, "\x93\xc7\x82\xdd\x8d\x9e\x82\xdc\x82\xc8\x82\xa2\x81\x42", true},  // 読み込まない。
    {50, 5, FirstRadio, 0, 258, 120, 30, "\x8d\xec\x90\xac\x82\xb7\x82\xe9\x81\x42", false},  // 作成する。
    {51, 5, OtherRadio, 120, 258, 250, 30, "\x8d\xec\x90\xac\x82\xb5\x82\xc8\x82\xa2\x81\x42", true},  // 作成しない。
    {0, 0, PushButton, 50, 300, 100, 30, "\x90\xdd\x92\xe8", false},  // 設定
    {1, 0, PushButton, 200, 300, 100, 30, "\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b", false},  // キャンセル
};

const ControlRow* RowOfId(int id)
{
    for (const ControlRow& row : Controls) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

// The default file, and the same with other values: the value lines are the only ones that change.
std::string GoldenFile() { return ReadBytes(WindowsPath(PYXET_TEST_DATA "/pyxet-defaults.ini")); }

std::string FileWith(const std::string& from, const std::string& to)
{
    std::string file = GoldenFile();
    file.replace(file.find(from), from.size(), to);
    return file;
}

// Launches the program with a tail, in a start folder; fails the test if it does not come up.
#define LAUNCH(program, commandLine, startFolder)                               \
    do {                                                                       \
        std::string why_;                                                      \
        ASSERT_TRUE(Launch(program, commandLine, startFolder, why_)) << why_;  \
    } while (0)

// A folder for one test, made empty.
std::string EmptyFolder(const std::string& name)
{
    const std::string folder = FreshFolder(name);
    EXPECT_FALSE(folder.empty()) << "could not make an empty folder " << name;
    return folder;
}

// Presses "設定" and expects a plain message box owned by the window with the given text; dismisses it.
void SaveAndExpectBox(const Program& program, const std::string& text)
{
    PostCommand(program, 0);
    MessageBoxSeen seen;
    std::string why;
    ASSERT_TRUE(WaitForMessageBox(program, seen, why)) << why;
    EXPECT_EQ("Setting Pyxet", seen.caption);
    EXPECT_EQ(text, seen.text);
    EXPECT_FALSE(seen.showsIcon) << "the box shows an icon";
    ASSERT_TRUE(DismissMessageBox(seen.box, why)) << why;
}

void ClickRadio(const Program& program, int id)
{
    HWND radio = ChildById(program.window, id);
    SendMessageA(radio, BM_CLICK, 0, 0);
    EXPECT_EQ(BST_CHECKED, SendMessageA(radio, BM_GETCHECK, 0, 0)) << "a click on radio " << id << " did not check it";
}

// The cursor the program sets as the pointer moves over the part of its window that `hitTest` names. Its cursor
// handles are its own, so they are compared with each other only.
HCURSOR CursorFor(HWND window, WORD hitTest)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_SETCURSOR, WPARAM(window), MAKELPARAM(hitTest, WM_MOUSEMOVE), SMTO_ABORTIFHUNG,
                        WaitLimitMs, &ignored);
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);  // the foreground thread's: the program's
    return info.hCursor;
}

TEST(SettingsWindow, MatchesTheDesign)
{
    const std::string folder = EmptyFolder("design");
    Program program;
    LAUNCH(program, CommandLineWithTail(folder), folder);
    HWND w = program.window;

    EXPECT_EQ("SET_first", ClassOf(w));
    EXPECT_EQ(TitleBytes, TextOf(w));
    // Windows adds WS_CLIPSIBLINGS and WS_EX_WINDOWEDGE to every captioned top-level window.
    EXPECT_EQ(0x10CA0000, GetWindowLongPtrA(w, GWL_STYLE) & ~LONG_PTR{WS_CLIPSIBLINGS});
    EXPECT_EQ(0, GetWindowLongPtrA(w, GWL_EXSTYLE) & ~LONG_PTR{WS_EX_WINDOWEDGE});
    RECT outer;
    GetWindowRect(w, &outer);
    EXPECT_EQ(400, outer.right - outer.left);
    EXPECT_EQ(370, outer.bottom - outer.top);
    EXPECT_EQ(CS_HREDRAW | CS_VREDRAW, GetClassLongPtrA(w, GCL_STYLE));
    EXPECT_EQ(nullptr, GetMenu(w));
    // Over the client area the pointer takes the class's cursor, the arrow the title bar shows too; a class without
    // one leaves it the shape it came in with, here the sizing arrows of an edge.
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == w; })) << "the window is not in the foreground";
    const HCURSOR overEdge = CursorFor(w, HTLEFT);
    const HCURSOR overClient = CursorFor(w, HTCLIENT);
    EXPECT_NE(overEdge, overClient) << "the client area keeps the cursor the pointer came in with";
    EXPECT_EQ(CursorFor(w, HTCAPTION), overClient) << "the client area's cursor is not the title bar's arrow";
    // The class's icon shows in the title bar as the SPANNER icon's 16x16 image.
    const ClientPixels icon = SmallSpannerIcon();
    ASSERT_EQ(16, icon.width) << "the program file has no SPANNER icon";
    EXPECT_TRUE(WaitUntil([&] { return Contains(CaptureWindow(w), icon); }))
        << "the title bar does not show the SPANNER icon";

    const std::vector<ChildControl> children = ChildControls(w);
    ASSERT_EQ(std::size(Controls), children.size());
    for (const ChildControl& child : children) {
        const ControlRow* row = RowOfId(child.id);
        ASSERT_NE(nullptr, row) << "unexpected control id " << child.id;
        SCOPED_TRACE("control id " + std::to_string(child.id));
        EXPECT_EQ("Button", child.className);
        // A radio button gives itself WS_TABSTOP while it is checked.
        const LONG_PTR tabStop = row->group != 0 && child.check == BST_CHECKED ? WS_TABSTOP : 0;
        EXPECT_EQ(row->style | tabStop, child.style & 0xFFFFFFFF);
        EXPECT_EQ(row->x, child.rect.left);
        EXPECT_EQ(row->y, child.rect.top);
        EXPECT_EQ(row->width, child.rect.right - child.rect.left);
        EXPECT_EQ(row->height, child.rect.bottom - child.rect.top);
        EXPECT_EQ(std::string(row->caption), child.caption);
        if (row->group != 0) {
            EXPECT_EQ(row->checkedAtStart ? BST_CHECKED : BST_UNCHECKED, child.check);
        }
    }

    PostCommand(program, 1);
    EXPECT_EQ(0u, WaitForExit(program));
}

// "設定" writes the buttons checked: with none clicked the defaults, and every value reaches its line.
struct SaveRow {
    const char* name;
    std::vector<int> clicks;
    const char *from, *to;  // the file written: the default one with `from` turned into `to`
};

const SaveRow SaveRows[] = {
    {"defaults", {}, "", ""},
    {"always_open_and_show", {20, 30}, "NW=first\r\nTitle=quick\r\n", "NW=all\r\nTitle=all\r\n"},
    {"every_other_choice", {10, 21, 40, 50}, "QC=off\r\nNW=first\r\nTitle=quick\r\nMovie=off\r\nPrintP=off\r\n",
     "QC=on\r\nNW=non\r\nTitle=quick\r\nMovie=on\r\nPrintP=on\r\n"},
};

TEST(SettingsWindow, SaveWritesTheCheckedChoices)
{
    for (const SaveRow& row : SaveRows) {
        SCOPED_TRACE(row.name);
        const std::string folder = EmptyFolder(std::string("save_") + row.name);
        Program program;
        LAUNCH(program, CommandLineWithTail(folder), folder);
        for (int id : row.clicks) ClickRadio(program, id);
        SaveAndExpectBox(program, SavedBytes);
        EXPECT_EQ(0u, WaitForExit(program));
        EXPECT_EQ(FileWith(row.from, row.to), ReadBytes(folder + "\\pyxet.ini"));
    }
}

TEST(SettingsWindow, EachClickChangesOnlyItsOwnGroupAndWritesNothing)
{
    const std::string folder = EmptyFolder("groups");
    Program program;
    LAUNCH(program, CommandLineWithTail(folder), folder);
    // What should be checked: starts at the defaults, follows every click.
    std::vector<int> checkedOfGroup(6, 0);
    for (const ControlRow& row : Controls) {
        if (row.checkedAtStart) checkedOfGroup[size_t(row.group)] = row.id;
    }
    for (int clicked : {10, 11, 20, 21, 22, 30, 31, 40, 41, 50, 51, 21, 10}) {
        ClickRadio(program, clicked);
        checkedOfGroup[size_t(RowOfId(clicked)->group)] = clicked;
        for (const ChildControl& child : ChildControls(program.window)) {
            const ControlRow* row = RowOfId(child.id);
            if (row == nullptr || row->group == 0) continue;
            const bool expected = checkedOfGroup[size_t(row->group)] == child.id;
            EXPECT_EQ(expected ? BST_CHECKED : BST_UNCHECKED, child.check)
                << "after clicking " << clicked << ", control " << child.id;
        }
    }
    EXPECT_FALSE(FileExists(folder + "\\pyxet.ini"));
    PostCommand(program, 1);
    EXPECT_EQ(0u, WaitForExit(program));
    EXPECT_FALSE(FileExists(folder + "\\pyxet.ini"));
}

// What may stand in a save's way: a folder named pyxet.ini, another program holding the file, a read-only file, a
// folder the user may not write to. A save that cannot write shows the failure box and the window stays; once the
// cause is gone a second save succeeds, or cancel quits with 0. Between the two saves the last group changes back,
// so the second save must read every button again, the last one too. A viewer holding the file open while sharing
// writes does not stop a save.
enum class InTheWay { Folder, Locked, Viewer, ReadOnly, WriteProtectedFolder };

struct InTheWayRow {
    const char* name;
    InTheWay what;
    bool retry;  // after the failure; else cancel
};

const InTheWayRow InTheWayRows[] = {
    {"folder_then_retry", InTheWay::Folder, true},
    {"folder_then_cancel", InTheWay::Folder, false},
    {"locked_then_retry", InTheWay::Locked, true},
    {"locked_then_cancel", InTheWay::Locked, false},
    {"viewer_open_saves", InTheWay::Viewer, false},
    {"read_only_then_retry", InTheWay::ReadOnly, true},
    {"write_protected_folder_then_cancel", InTheWay::WriteProtectedFolder, false},
};

TEST(SettingsWindow, SaveWithSomethingInTheWay)
{
    for (const InTheWayRow& row : InTheWayRows) {
        SCOPED_TRACE(row.name);
        // Made by the build, not by this user: writing there is refused.
        const std::string folder = row.what == InTheWay::WriteProtectedFolder
                                       ? WindowsPath(PYXET_WRITE_PROTECTED_DIR)
                                       : EmptyFolder(std::string("in_the_way_") + row.name);
        const std::string file = folder + "\\pyxet.ini";
        const bool earlierFile = row.what != InTheWay::Folder && row.what != InTheWay::WriteProtectedFolder;
        HANDLE held = INVALID_HANDLE_VALUE;
        ASSERT_TRUE(row.what != InTheWay::Folder || CreateDirectoryA(file.c_str(), nullptr));
        if (earlierFile) WriteBytes(file, "earlier\r\n");
        ASSERT_TRUE(row.what != InTheWay::ReadOnly || SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
        if (row.what == InTheWay::Locked || row.what == InTheWay::Viewer) {
            // A viewer's plain fopen shares reading and writing.
            held = row.what == InTheWay::Locked
                       ? CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                       : CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
        }
        Program program;
        LAUNCH(program, CommandLineWithTail(folder), folder);
        ClickRadio(program, 20);  // 常に開く。
        ClickRadio(program, 50);  // 作成する。
        if (row.what == InTheWay::Viewer) {
            SaveAndExpectBox(program, SavedBytes);
            EXPECT_EQ(0u, WaitForExit(program));
            EXPECT_EQ(FileWith("NW=first\r\nTitle=quick\r\nMovie=off\r\nPrintP=off",
                               "NW=all\r\nTitle=quick\r\nMovie=off\r\nPrintP=on"),
                      ReadBytes(file));
            CloseHandle(held);
            continue;
        }
        SaveAndExpectBox(program, FailedBytes);
        EXPECT_TRUE(StillRunningAfter(program, 300)) << "the program quit after a failed save";
        EXPECT_TRUE(IsWindowVisible(program.window));
        CloseHandle(held);
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (earlierFile) {
            EXPECT_EQ("earlier\r\n", ReadBytes(file));
        } else {
            RemoveDirectoryA(file.c_str());
        }
        if (row.retry) {
            ClickRadio(program, 51);  // 作成しない。
            SaveAndExpectBox(program, SavedBytes);
            EXPECT_EQ(0u, WaitForExit(program));
            EXPECT_EQ(FileWith("NW=first", "NW=all"), ReadBytes(file));
        } else {
            PostCommand(program, 1);
            EXPECT_EQ(0u, WaitForExit(program));
            if (earlierFile) {
                EXPECT_EQ("earlier\r\n", ReadBytes(file));
            } else {
                EXPECT_FALSE(FileExists(file));
            }
        }
    }
}

// Two copies of the program open on one folder with other choices, "設定" pressed in both at once. Each save either
// writes its whole file or shows the failure box, and the file is always the whole file of a copy that said it
// saved. Round after round until two saves collide (one fails), at most 30 rounds or 90 s; the copy that failed then
// saves alone and succeeds.
TEST(SettingsWindow, TwoCopiesSavingAtOnceLeaveOneWholeFile)
{
    const std::string folder = EmptyFolder("two_copies");
    const std::string file = folder + "\\pyxet.ini";
    const std::string wanted[2] = {
        GoldenFile(), FileWith("QC=off\r\nNW=first\r\nTitle=quick\r\nMovie=off\r\nPrintP=off",
                               "QC=on\r\nNW=all\r\nTitle=all\r\nMovie=on\r\nPrintP=on")};
    const ULONGLONG end = GetTickCount64() + 90000;
    int round = 0;
    bool collided = false;
    while (!collided && round < 30 && GetTickCount64() < end && !HasFailure()) {
        SCOPED_TRACE("round " + std::to_string(++round));
        DeleteFileA(file.c_str());
        Program copies[2];
        for (Program& copy : copies) LAUNCH(copy, CommandLineWithTail(folder), folder);
        for (int id : {10, 20, 30, 40, 50}) ClickRadio(copies[1], id);
        // Both presses posted at the same moment, while neither copy runs: each then wakes with its press waiting,
        // side by side on two cores.
        for (const Program& copy : copies) SuspendThread(copy.process.hThread);
        for (const Program& copy : copies) PostCommand(copy, 0);
        for (const Program& copy : copies) ResumeThread(copy.process.hThread);
        MessageBoxSeen seen[2];
        std::string why;
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(WaitForMessageBox(copies[i], seen[i], why)) << "copy " << i << ": " << why;
        }
        const std::string written = ReadBytes(file);
        const bool saved[2] = {seen[0].text == SavedBytes, seen[1].text == SavedBytes};
        for (int i = 0; i < 2; ++i) {
            EXPECT_TRUE(saved[i] || seen[i].text == FailedBytes) << "copy " << i << "'s box says " << seen[i].text;
        }
        EXPECT_TRUE(saved[0] || saved[1]) << "neither copy saved";
        EXPECT_TRUE((saved[0] && written == wanted[0]) || (saved[1] && written == wanted[1]))
            << "copies 0 and 1 said " << (saved[0] ? "saved" : "failed") << " and " << (saved[1] ? "saved" : "failed")
            << ", but pyxet.ini is " << written.size() << " bytes that are neither's whole file (" << wanted[0].size()
            << " and " << wanted[1].size() << " bytes); it ends in "
            << testing::PrintToString(written.substr(written.size() < 12 ? 0 : written.size() - 12));
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(DismissMessageBox(seen[i].box, why)) << why;
            if (saved[i]) continue;
            collided = true;
            SaveAndExpectBox(copies[i], SavedBytes);
            EXPECT_EQ(wanted[i], ReadBytes(file)) << "copy " << i << " saved again";
        }
        for (const Program& copy : copies) EXPECT_EQ(0u, WaitForExit(copy));
    }
    std::cout << (collided ? "one save failed while the other wrote, in round " : "no save failed in ") << round
              << (collided ? "\n" : " rounds\n");
}

// Which folder the file lands in, for the ways a folder can be named.
enum class Edge { None, Deepest, OneDeeper };

struct CommandLineRow {
    const char* name;
    const char* folderName;      // created below the test's folder; "" for none
    const char* tail;            // %s stands for the folder's full path
    bool saves;                  // else the failure box
    bool fileInFolder;           // else in the start folder
    size_t longName = 0;         // %s: a folder of this many letters below the test's, not made
    // Started as Explorer starts it, the whole command line in UTF-16: the folder's name, made below the test's
    // folder ("" for the folder itself), and a look-alike made beside it, the folder that the name's best-fit ANSI
    // spelling names.
    const wchar_t* wideName = nullptr;
    const char* lookAlike = nullptr;
    const char* spelling = nullptr;  // the name's ANSI spelling that the row rests on, asserted before the start
    // %s: the deepest folder of Japanese names that SetCurrentDirectoryA enters here, or one a character longer.
    Edge edge = Edge::None;
};

// The deepest folder of Japanese names that Windows enters, and one a character deeper, named in ANSI and in UTF-16.
#define EDGE_ROWS                                                                                  \
    {"deepest_japanese", "", "%s", true, true, 0, nullptr, nullptr, nullptr, Edge::Deepest},       \
    {"utf16_deepest_japanese", "", "\"%s\"", true, true, 0, L"", nullptr, nullptr, Edge::Deepest}, \
    {"one_deeper_japanese", "", "%s", false, false, 0, nullptr, nullptr, nullptr, Edge::OneDeeper}, \
    {"utf16_one_deeper_japanese", "", "\"%s\"", false, false, 0, L"", nullptr, nullptr, Edge::OneDeeper}

const CommandLineRow CommandLineRows[] = {
    {"no_tail", "", "", true, false},
    {"plain", "plain", "%s", true, true},
    {"blanks_unquoted", "with blanks", "%s", true, true},
    {"quoted", "quoted blanks", "\"%s\"", true, true},
    {"quoted_then_blanks", "quoted then", "\"%s\"   ", true, true},
    {"missing_folder", "", "%s\\does not exist", false, false},
    {"quoted_missing_folder", "", "\"%s\\does not exist\"", false, false},
    // Japanese names, with the byte 5C as a trail byte (表, ソ) and a blank.
    {"japanese", "\x95\x5c\x8e\xa6 \x83\x5c\x83\x74\x83\x67", "%s", true, true},  // 表示 ソフト
    {"japanese_quoted", "\x95\x5c\x8e\xa6 \x83\x5c\x83\x74\x83\x67", "\"%s\"", true, true},  // 表示 ソフト
    // Longer than any working directory can be.
    {"too_long_folder", "", "%s", false, false, 1200},
    EDGE_ROWS,
    // The program reads the ANSI copy of a UTF-16 command line: a name that Shift_JIS cannot spell arrives as a
    // look-alike or as "?", and must reach neither the look-alike nor any other folder.
    {"utf16_best_fit", "", "%s", false, false, 0, L"caf\u00e9", "cafe", "cafe"},
    {"utf16_no_spelling", "", "\"%s\"", false, false, 0, L"\U00020BB7\u7530"},             // 𠮷田
    {"utf16_japanese", "", "\"%s\"", true, true, 0, L"\u8868\u793a \u30bd\u30d5\u30c8"},  // 表示 ソフト
    // A tail without "%s" is the folder's bare name, made in the start folder. A no-break space alone has no
    // Shift_JIS spelling: its ANSI copy is "?" (Wine) or a blank, and then no tail at all; neither is the folder.
    {"utf16_blank_look_alike", "", "", false, false, 0, L"\u00a0"},
};

// On a Western Windows (code page 1252) the file is the same, U+3000 and U+2002 best-fit to a blank, U+FF02 to a
// double quote, and Japanese has no spelling at all.
const CommandLineRow WesternCodePageRows[] = {
    {"no_tail", "", "", true, false},
    {"plain", "plain", "%s", true, true},
    {"utf16_ideographic_space", "", "", false, false, 0, L"\u3000", nullptr, " "},
    {"utf16_en_space", "", "", false, false, 0, L"\u2002", nullptr, " "},
    {"utf16_fullwidth_quotes", "", "", false, false, 0, L"\uff02data\uff02", "data", "\"data\""},
    {"utf16_japanese", "", "\"%s\"", false, false, 0, L"\u8868\u793a \u30bd\u30d5\u30c8"},  // 表示 ソフト
};

// With Windows' "Unicode UTF-8" option (code page 65001) every name is spelt, a Japanese character in three bytes.
const CommandLineRow Utf8CodePageRows[] = {
    {"no_tail", "", "", true, false},
    {"japanese", "\xe8\xa1\xa8\xe7\xa4\xba \xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88", "%s", true, true},  // 表示 ソフト
    {"utf16_exact_spelling", "", "%s", true, true, 0, L"caf\u00e9", "cafe", "caf\xc3\xa9"},
    EDGE_ROWS,
};

template <size_t N>
std::vector<CommandLineRow> Rows(const CommandLineRow (&table)[N]) { return {table, table + N}; }

// The names of deep folders: 表示設定フォルダ, whose 表 is 95 5C in Shift_JIS, a trail byte that reads as a backslash.
const wchar_t DeepName[] = L"\u8868\u793a\u8a2d\u5b9a\u30d5\u30a9\u30eb\u30c0";

// The deepest folder below `base` that SetCurrentDirectoryA enters in this code page, as the program calls it, found a
// character at a time; with `deeper`, the one a character longer that it refuses. Nested folders of up to eight
// letters of DeepName, made through "\\?\" (deeper than Windows enters); "" if one cannot be made or there is no edge.
std::wstring EdgeFolder(const std::wstring& base, bool deeper)
{
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    std::wstring entered, path;
    for (size_t length = base.size() + 2; length < 3 * MAX_PATH && path.size() == entered.size(); ++length) {
        for (path = base; path.size() + 1 < length;) {
            const size_t left = length - path.size() - 1;  // a last letter never stands alone after a "\"
            path += L"\\" + std::wstring(DeepName, left == 9 ? 7 : std::min<size_t>(8, left));
            const bool made = CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr);
            if (!made && GetLastError() != ERROR_ALREADY_EXISTS) return L"";
        }
        if (SetCurrentDirectoryA(Ansi(path).c_str())) entered = path;
    }
    SetCurrentDirectoryW(saved);
    return path.size() != entered.size() + 1 || entered.empty() ? L"" : deeper ? path : entered;
}

TEST(SettingsWindow, CommandLineNamesTheFolder)
{
    // CTest runs this once a locale (PYXET_LC_ALL; none: ja_JP.UTF-8), each with its ANSI code page and rows.
    char asked[64] = "";
    GetEnvironmentVariableA("PYXET_LC_ALL", asked, sizeof asked);
    const std::string locale = *asked != '\0' ? asked : "ja_JP.UTF-8";
    const UINT codePage = locale == "C.UTF-8" ? 1252 : locale == "hi_IN.UTF-8" ? 65001 : 932;
    ASSERT_EQ(codePage, GetACP()) << "Wine did not take the locale " << locale
                                  << ": its ANSI code page is not the one these rows are for";
    // The boxes' Shift_JIS texts as this code page shows and reads them back (65001: replacement characters).
    const std::string saved = Ansi(Wide(SavedBytes)), failed = Ansi(Wide(FailedBytes));
    ASSERT_NE(saved, failed) << "in code page " << GetACP() << " the two boxes read alike";
    for (const CommandLineRow& row : codePage == 932    ? Rows(CommandLineRows)
                                     : codePage == 1252 ? Rows(WesternCodePageRows)
                                                        : Rows(Utf8CodePageRows)) {
        SCOPED_TRACE(row.name);
        const std::string base = EmptyFolder("cmd" + std::to_string(codePage) + "_" + row.name);
        const std::string start = base + "\\start";
        CreateDirectoryA(start.c_str(), nullptr);
        std::string target = base;
        if (*row.folderName != '\0') {
            target += std::string("\\") + row.folderName;
            ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr))
                << "could not make " << target << ", error " << GetLastError();
        }
        if (row.longName != 0) target = base + "\\" + std::string(row.longName, 'x');
        if (row.edge != Edge::None) {
            const std::wstring folder = EdgeFolder(Wide(base), row.edge == Edge::OneDeeper);
            ASSERT_NE(L"", folder) << "no edge of the folders that SetCurrentDirectoryA enters below " << base;
            target = Ansi(folder);
            std::cout << row.name << ": " << folder.size() << " characters, " << target.size() << " bytes\n";
        }
        const bool bareName = row.wideName != nullptr && *row.tail == '\0';
        std::wstring wideTarget = Wide(bareName ? start : target);
        if (row.wideName != nullptr && *row.wideName != L'\0') {
            wideTarget += L"\\" + std::wstring(row.wideName);
            ASSERT_TRUE(CreateDirectoryW(wideTarget.c_str(), nullptr))
                << "could not make " << wideTarget << ", error " << GetLastError();
        }
        ASSERT_TRUE(!row.spelling || row.spelling == Ansi(row.wideName))
            << "the row rests on its name's ANSI spelling being \"" << (row.spelling ? row.spelling : "")
            << "\", but it is " << testing::PrintToString(Ansi(row.wideName));
        // The look-alike beside the folder named; a bare name is named in the start folder.
        const std::string lookAlike = (bareName ? start : base) + "\\" + (row.lookAlike ? row.lookAlike : "");
        ASSERT_TRUE(!row.lookAlike || CreateDirectoryA(lookAlike.c_str(), nullptr));
        Program program;
        if (row.wideName != nullptr) {
            std::wstring tail = bareName ? row.wideName : Wide(row.tail);
            if (!bareName) tail.replace(tail.find(L"%s"), 2, wideTarget);
            LAUNCH(program, L"\"" + Wide(WindowsPath(PYXET_PROGRAM)) + L"\" " + tail, start);
        } else {
            std::string tail = row.tail;
            if (tail.find("%s") != std::string::npos) tail.replace(tail.find("%s"), 2, target);
            const std::string commandLine = *row.tail == '\0' ? "\"" + WindowsPath(PYXET_PROGRAM) + "\""
                                                               : CommandLineWithTail(tail);
            LAUNCH(program, commandLine, start);
        }
        std::vector<std::wstring> expectedFiles;
        if (row.saves) {
            SaveAndExpectBox(program, saved);
            EXPECT_EQ(0u, WaitForExit(program));
            expectedFiles = {(row.fileInFolder ? wideTarget : Wide(start)) + L"\\pyxet.ini"};
            EXPECT_EQ(GoldenFile(), ReadBytes(L"\\\\?\\" + expectedFiles[0]));
        } else {
            SaveAndExpectBox(program, failed);
            EXPECT_TRUE(StillRunningAfter(program, 300));
            PostCommand(program, 1);
            EXPECT_EQ(0u, WaitForExit(program));
        }
        // Nowhere else: not in the start folder, a look-alike, or a folder around the one named.
        EXPECT_EQ(expectedFiles, FilesBelow(Wide(base)));
    }
}

const DWORD BackgroundGrey = 0xC8C8C8;

// The screen shows the window painted once a spot that only the background covers is grey and two captures in a row
// agree: X draws a moment after the program paints, and not all at once.
ClientPixels CaptureWhenPainted(HWND window)
{
    ClientPixels pixels, previous;
    WaitUntil([&] {
        previous = pixels;
        pixels = CaptureClient(window);
        return pixels.width > 300 && pixels.height > 70 && pixels.at(300, 68) == BackgroundGrey &&
               pixels.rgb == previous.rgb;
    });
    return pixels;
}

// The program file's resources: the SPANNER icon group in Japanese with a 32x32 image on a transparent ground and an
// opaque 16x16 one, and nothing else.
BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR list)
{
    reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list)
{
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(IS_INTRESOURCE(name) ? "#" : name);
    return TRUE;
}

#pragma pack(push, 2)
struct GroupEntry { BYTE width, height, colours, reserved; WORD planes, bitCount; DWORD bytes; WORD id; };
struct GroupHeader { WORD reserved, type, count; GroupEntry entries[2]; };
#pragma pack(pop)

TEST(ProgramFile, CarriesOnlyTheSpannerIcon)
{
    HMODULE module = LoadLibraryExA(WindowsPath(PYXET_PROGRAM).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    std::vector<ULONG_PTR> types;
    EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_EQ((std::vector<ULONG_PTR>{3, 14}), types) << "RT_ICON and RT_GROUP_ICON only: no manifest, no version";
    std::vector<std::string> groups;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(14), CollectName, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(std::vector<std::string>{"SPANNER"}, groups);

    HRSRC group = FindResourceExA(module, MAKEINTRESOURCEA(14), "SPANNER", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(nullptr, group) << "no Japanese SPANNER group";
    ASSERT_EQ(sizeof(GroupHeader), SizeofResource(module, group));
    const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(module, group)));
    ASSERT_EQ(2, header->count);
    struct Expected { int size; bool cornerMasked; };
    const Expected expected[] = {{32, true}, {16, false}};
    for (int i = 0; i < 2; ++i) {
        const GroupEntry& entry = header->entries[i];
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(expected[i].size, entry.width);
        EXPECT_EQ(expected[i].size, entry.height);
        EXPECT_EQ(16, entry.colours);
        EXPECT_EQ(4, entry.bitCount);
        HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3));
        ASSERT_NE(nullptr, image);
        const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, image)));
        const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
        ASSERT_EQ(expected[i].size * 2, info->biHeight);
        ASSERT_EQ(4, info->biBitCount);
        // Colour rows, then AND-mask rows (1 bit a pixel, rows padded to 4 bytes).
        const int size = expected[i].size;
        const BYTE* mask = bytes + info->biSize + 16 * 4 + (size / 2 + 3) / 4 * 4 * size;
        const int maskRow = (size / 8 + 3) / 4 * 4;
        int masked = 0;
        for (int b = 0; b < maskRow * size; ++b) masked += mask[b] != 0;
        EXPECT_EQ(expected[i].cornerMasked, (mask[0] & 0x80) != 0);
        if (expected[i].cornerMasked) {
            EXPECT_GT(masked, 0);
        } else {
            EXPECT_EQ(0, masked) << "the 16x16 image must be opaque";
        }
    }
    FreeLibrary(module);
}

// Light grey (200, 200, 200) under the headings; the headings' text in the default black, drawn without background
// boxes.
void ExpectPaintedClient(const ClientPixels& pixels)
{
    // Background only: right of the shorter headings, and around the push buttons.
    const RECT plain[] = {{200, 62, 390, 74}, {200, 182, 390, 194}, {0, 292, 45, 298}, {310, 300, 390, 320}};
    for (const RECT& r : plain) {
        for (int y = r.top; y < r.bottom && y < pixels.height; ++y) {
            for (int x = r.left; x < r.right && x < pixels.width; ++x) {
                ASSERT_EQ(BackgroundGrey, pixels.at(x, y)) << "background at (" << x << ", " << y << ")";
            }
        }
    }
    // Each heading's band: some dark text, nothing lighter than the grey.
    for (int top : {0, 60, 120, 180, 240}) {
        int dark = 0, lighter = 0;
        for (int y = top; y < top + 16; ++y) {
            for (int x = 0; x < 390 && x < pixels.width; ++x) {
                const DWORD p = pixels.at(x, y);
                const int r = int(p >> 16), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
                if (r < 100 && g < 100 && b < 100) ++dark;
                if (r > 200 || g > 200 || b > 200) ++lighter;
            }
        }
        EXPECT_GT(dark, 20) << "no heading text at y " << top;
        // Where the text stands: from the heading's y down, at the left edge, above its own buttons 18 pixels below.
        int first = -1, last = -1, left = pixels.width;
        for (int y = std::max(0, top - 6); y < top + 18; ++y) {
            for (int x = 0; x < 390 && x < pixels.width; ++x) {
                const DWORD p = pixels.at(x, y);
                if (int(p >> 16) < 100 && int(p >> 8 & 0xFF) < 100 && int(p & 0xFF) < 100) {
                    if (first < 0) first = y;
                    last = y;
                    left = std::min(left, x);
                }
            }
        }
        EXPECT_TRUE(first >= top && first <= top + 3 && last >= top + 10 && last <= top + 16)
            << "the heading at y " << top << " has its text on rows " << first << " to " << last;
        EXPECT_LE(left, 3) << "the heading at y " << top << " starts at x " << left;
        EXPECT_EQ(0, lighter) << "a background box behind the heading at y " << top;
    }
}

// Painted, and then left alone: a paint that does not validate the window brings the next one at once, without end.
void ExpectPaintedOnce(HWND window)
{
    ExpectPaintedClient(CaptureWhenPainted(window));
    EXPECT_TRUE(WaitUntil([&] { return !GetUpdateRect(window, nullptr, FALSE); }))
        << "the window still waits for a paint " << WaitLimitMs << " ms after one: its paints never validate it";
}

TEST(SettingsWindow, PaintsGreyWithHeadingsAndRepaintsAfterRestore)
{
    const std::string folder = EmptyFolder("paint");
    Program program;
    LAUNCH(program, CommandLineWithTail(folder), folder);
    {
        SCOPED_TRACE("first paint");
        ExpectPaintedOnce(program.window);
    }
    SendMessageA(program.window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(program.window));
    SendMessageA(program.window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(program.window));
    {
        SCOPED_TRACE("after minimise and restore");
        ExpectPaintedOnce(program.window);
    }
    {
        // Why the wait above means painted: GetUpdateRect sees the pending paint of a program whose thread is held.
        SCOPED_TRACE("invalidated while the program's thread is held");
        ASSERT_NE(DWORD(-1), SuspendThread(program.process.hThread));
        InvalidateRect(program.window, nullptr, FALSE);
        const BOOL pending = GetUpdateRect(program.window, nullptr, FALSE);
        ResumeThread(program.process.hThread);
        ASSERT_TRUE(pending) << "GetUpdateRect does not see the pending paint of another process's window";
        ExpectPaintedOnce(program.window);
    }
    PostCommand(program, 1);
    EXPECT_EQ(0u, WaitForExit(program));
}

// Paints the window `count` times, as a window under others being dragged is repainted; false, with the reason in
// `why`, if a paint went unhandled.
bool Repaint(const Program& program, int count, std::string& why)
{
    for (int i = 0; i < count; ++i) {
        InvalidateRect(program.window, nullptr, FALSE);
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(program.window, WM_PAINT, 0, 0, SMTO_ABORTIFHUNG, WaitLimitMs, &result)) {
            why = "paint " + std::to_string(i + 1) + " was not handled";
            return false;
        }
    }
    return true;
}

// Each paint makes a brush and a pen; one it keeps would go unseen, as the window still looks right, until a window
// repainted while others are dragged over it reaches Windows' 10,000 GDI objects and paints white. Wine tells no GDI
// object count (GetGuiResources answers 0), but keeps each object in the program's own memory: objects kept grow the
// memory its Linux process holds by a few hundred bytes a paint, while paints that keep nothing leave it as it is
// once the first ones have filled Wine's caches.
TEST(SettingsWindow, RepaintsKeepNoGdiObject)
{
    const std::string folder = EmptyFolder("gdi");
    Program program;
    LAUNCH(program, CommandLineWithTail(folder), folder);
    std::string why;
    const int linuxProcess = LinuxProcessOf(program, why);
    ASSERT_NE(0, linuxProcess) << why;
    ASSERT_TRUE(Repaint(program, 200, why)) << why;
    const long before = OwnMemoryKiBOf(linuxProcess);
    const int paints = 1500;
    ASSERT_TRUE(Repaint(program, paints, why)) << why;
    const long after = OwnMemoryKiBOf(linuxProcess);
    ASSERT_GT(before, 0) << "cannot read the memory of Linux process " << linuxProcess << " before the paints";
    ASSERT_GT(after, 0) << "cannot read the memory of Linux process " << linuxProcess << " after the paints";
    // Measured with a busy loop on each core: a brush and pen kept a paint added 252 to 260 KiB (3 runs); the same
    // paints keeping nothing, 0 to 4 KiB (8 runs), and stayed under this bound in 20 soak rounds.
    EXPECT_LT(after - before, 128) << "Linux process " << linuxProcess << " had " << before << " KiB of its own before "
                                   << paints << " paints and " << after << " KiB after them: the paints kept objects";
    PostCommand(program, 1);
    EXPECT_EQ(0u, WaitForExit(program));
}

// A person's paths: the pointer and the keys at the places the window shows, never a message to a handle. So every
// click goes through hit-testing, z-order, activation and the box's modal loop, and every key through the focus and the
// program's message loop. Each step first waits for what it needs, then for its effect, and says what it last saw.
enum class Act {
    Radio,          // click radio button `arg`: it turns checked
    Push,           // click push button `arg`: "設定" brings a box, "キャンセル" ends the program
    BoxKey,         // press key `arg` on the open box: the box goes
    BoxClickOk,     // click the open box's OK: the box goes
    PushBehindBox,  // click push button `arg` behind the open box: nothing; then a click closes the box
    WindowKey,      // press key `arg` on the settings window: nothing, as the next step's click shows
    AltKey,         // press key `arg` with Alt on the settings window: F4 ends the program, others do nothing
    CloseBox,       // click the title bar's close box: the program ends
    Unblock,        // remove the folder named pyxet.ini
};

struct Step {
    Act act;
    int arg;
    const std::string* boxText = nullptr;  // for the steps on a box: the text it must show
};

// What pyxet.ini is at start: nothing, a folder (saves fail until Unblock), or an earlier file that must stay.
enum class AtStart { Nothing, Folder, File };

struct PersonRow {
    const char* name;
    AtStart atStart;
    std::vector<Step> steps;
    bool writes;               // else no pyxet.ini at the end
    const char *from, *to;     // the file written: the default one with `from` turned into `to`
};

const std::string* const Saved = &SavedBytes;
const std::string* const Failed = &FailedBytes;

const PersonRow PersonRows[] = {
    {"five_radios_save_enter", AtStart::Nothing,
     {{Act::Radio, 10}, {Act::Radio, 21}, {Act::Radio, 30}, {Act::Radio, 40}, {Act::Radio, 50}, {Act::Push, 0},
      {Act::BoxKey, VK_RETURN, Saved}},
     true, "QC=off\r\nNW=first\r\nTitle=quick\r\nMovie=off\r\nPrintP=off\r\n",
     "QC=on\r\nNW=non\r\nTitle=all\r\nMovie=on\r\nPrintP=on\r\n"},
    {"save_space", AtStart::Nothing, {{Act::Radio, 20}, {Act::Push, 0}, {Act::BoxKey, VK_SPACE, Saved}},
     true, "NW=first", "NW=all"},
    {"save_click_ok", AtStart::Nothing, {{Act::Radio, 40}, {Act::Push, 0}, {Act::BoxClickOk, 0, Saved}},
     true, "Movie=off", "Movie=on"},
    {"cancel_behind_saved_box", AtStart::Nothing, {{Act::Radio, 50}, {Act::Push, 0}, {Act::PushBehindBox, 1, Saved}},
     true, "PrintP=off", "PrintP=on"},
    // A failed save, its cause removed, and a second click that saves.
    {"cancel_behind_failed_box_retry", AtStart::Folder,
     {{Act::Radio, 20}, {Act::Push, 0}, {Act::PushBehindBox, 1, Failed}, {Act::Unblock, 0}, {Act::Push, 0},
      {Act::BoxKey, VK_RETURN, Saved}},
     true, "NW=first", "NW=all"},
    {"save_behind_failed_box_cancel", AtStart::Folder,
     {{Act::Radio, 20}, {Act::Push, 0}, {Act::PushBehindBox, 0, Failed}, {Act::Unblock, 0}, {Act::Push, 1}},
     false, "", ""},
    {"cancel", AtStart::Nothing, {{Act::Radio, 20}, {Act::Push, 1}}, false, "", ""},
    {"cancel_over_file", AtStart::File, {{Act::Radio, 20}, {Act::Push, 1}}, false, "", ""},
    {"alt_f4", AtStart::Nothing, {{Act::Radio, 20}, {Act::AltKey, VK_F4}}, false, "", ""},
    {"close_box", AtStart::Nothing, {{Act::Radio, 20}, {Act::CloseBox, 0}}, false, "", ""},
    {"close_box_over_file", AtStart::File, {{Act::Radio, 20}, {Act::CloseBox, 0}}, false, "", ""},
    // No dialog-style key handling: Enter is no IDOK (id 1, "キャンセル"), neither on the window nor on a radio button
    // that has the focus.
    {"keys_do_nothing", AtStart::Nothing,
     {{Act::WindowKey, VK_RETURN}, {Act::WindowKey, VK_ESCAPE}, {Act::WindowKey, VK_TAB}, {Act::Radio, 21},
      {Act::WindowKey, VK_RETURN}, {Act::WindowKey, VK_ESCAPE}, {Act::WindowKey, VK_TAB}, {Act::Radio, 10},
      {Act::Push, 0}, {Act::BoxKey, VK_RETURN, Saved}},
     true, "QC=off\r\nNW=first", "QC=on\r\nNW=non"},
    // Nor is there TranslateMessage, so no WM_SYSCHAR: Alt+Space opens no window menu, and the next click reaches
    // its radio button.
    {"alt_space_no_menu", AtStart::Nothing, {{Act::AltKey, VK_SPACE}, {Act::Radio, 21}, {Act::Push, 1}}, false, "", ""},
};

bool Ended(const Program& program) { return WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0; }

// What a person would see at a point, for the failure messages.
std::string Scene(const Program& program, POINT point)
{
    std::string scene;
    if (Ended(program)) {
        DWORD code = 0;
        GetExitCodeProcess(program.process.hProcess, &code);
        scene = "the program ended with exit code " + std::to_string(long(code));
    } else {
        scene = std::string("window ") + (IsWindowVisible(program.window) ? "visible" : "hidden") +
                (IsWindowEnabled(program.window) ? " and enabled" : " and disabled");
    }
    const std::vector<HWND> boxes = MessageBoxesOf(program);
    scene += "; message boxes: " + (boxes.empty() ? std::string("none") : std::to_string(boxes.size()));
    for (HWND box : boxes) scene += ", one saying \"" + SeeMessageBox(box).text + "\"";
    scene += "; foreground: " + Describe(GetForegroundWindow());
    scene += "; focus: " + Describe(FocusOf(program));
    scene += "; at (" + std::to_string(point.x) + ", " + std::to_string(point.y) +
             "): " + Describe(WindowFromPoint(point));
    return scene;
}

// The screen point of a control's middle, from the design table.
POINT MiddleOf(const Program& program, int id)
{
    const ControlRow* row = RowOfId(id);
    return ScreenPoint(program.window, row->x + row->width / 2, row->y + row->height / 2);
}

// The settings window's control `id` shows at the point, or with id -1 the window itself.
bool ShowsAt(const Program& program, int id, POINT point)
{
    HWND under = WindowFromPoint(point);
    if (id < 0) return under == program.window;
    return under != nullptr && GetParent(under) == program.window && GetDlgCtrlID(under) == id;
}

// The window takes input: visible, enabled, no box up, and `id` at the point.
bool WaitWindowReady(const Program& program, int id, POINT point, std::string& why)
{
    if (WaitUntil([&] {
            return Ended(program) || (IsWindowVisible(program.window) && IsWindowEnabled(program.window) &&
                                      MessageBoxesOf(program).empty() && ShowsAt(program, id, point));
        }) &&
        !Ended(program)) {
        return true;
    }
    why = "the window never took input there; last seen: " + Scene(program, point);
    return false;
}

// Keys go to the foreground window. The program's window takes that place as it opens; if it has not, a click on the
// bare background gives it.
bool WaitWindowForeground(const Program& program, std::string& why)
{
    const POINT background = ScreenPoint(program.window, 300, 68);
    if (!WaitWindowReady(program, -1, background, why)) return false;
    if (!WaitUntil([&] { return GetForegroundWindow() == program.window; }, 1000)) {
        ClickAt(background);
        if (!WaitUntil([&] { return GetForegroundWindow() == program.window; })) {
            why = "the window never came to the foreground; last seen: " + Scene(program, background);
            return false;
        }
    }
    return true;
}

// The box is up with the text expected, in the foreground, its OK focused.
bool WaitBoxReady(const Program& program, const std::string& text, HWND& box, HWND& ok, std::string& why)
{
    MessageBoxSeen seen;
    if (!WaitForMessageBox(program, seen, why, true)) return false;
    if (seen.text != text) {
        why = "the box says \"" + seen.text + "\", expected \"" + text + "\"";
        return false;
    }
    box = seen.box;
    // A plain MB_OK box: one button, OK, that Enter, Space and a click close.
    std::string buttons;
    for (const ChildControl& child : ChildControls(box)) {
        if (child.className == "Button" && (child.style & WS_VISIBLE) != 0) {
            buttons += (buttons.empty() ? "" : ", ") + child.caption + " (id " + std::to_string(child.id) + ")";
        }
    }
    if (buttons != "OK (id 1)") {
        why = "the box shows the buttons " + buttons + ", expected only OK (id 1)";
        return false;
    }
    if (WaitUntil([&] {
            ok = FocusOf(program);
            return GetForegroundWindow() == box && ok != nullptr && GetParent(ok) == box && ClassOf(ok) == "Button";
        })) {
        return true;
    }
    why = "the box never came to the foreground with its OK focused; last seen: " + Scene(program, {0, 0});
    return false;
}

bool WaitBoxGone(const Program& program, HWND box, const char* after, std::string& why)
{
    if (WaitUntil([&] { return !IsWindow(box); })) return true;
    why = std::string("the box is still there after ") + after + "; last seen: " + Scene(program, {0, 0});
    return false;
}

bool WaitEnded(const Program& program, const char* after, std::string& why)
{
    if (WaitUntil([&] { return Ended(program); })) return true;
    why = std::string("the program still runs after ") + after + "; last seen: " + Scene(program, {0, 0});
    return false;
}

// A click on a push button behind the box: the box keeps the program's input, so nothing happens. The left button
// pressed on the box's OK next shows when the click has been handled: the program handles its input in order, and OK
// takes the mouse capture only once the button is down on it. Releasing it closes the box. Not its pushed look: a late
// report of an earlier pointer move can take the pointer off OK meanwhile. Nor a held key: Wine 10 reads the keyboard
// from the X server again as the click activates the box, and so releases a key that only SendInput pressed.
bool ClickBehindBox(const Program& program, const Step& step, std::string& why)
{
    HWND box = nullptr, ok = nullptr;
    if (!WaitBoxReady(program, *step.boxText, box, ok, why)) return false;
    const POINT point = MiddleOf(program, step.arg);
    RECT boxRect;
    GetWindowRect(box, &boxRect);
    // The window is disabled under the box: the point may find the window itself rather than its button, but never
    // the box or another window.
    if (PtInRect(&boxRect, point) || !(ShowsAt(program, -1, point) || ShowsAt(program, step.arg, point))) {
        why = "push button " + std::to_string(step.arg) + " does not show behind the box; " + Scene(program, point);
        return false;
    }
    RECT okRect;
    GetWindowRect(ok, &okRect);
    const POINT okMiddle = {(okRect.left + okRect.right) / 2, (okRect.top + okRect.bottom) / 2};
    ClickAt(point);
    LeftButtonAt(okMiddle, true);
    WaitUntil([&] { return Ended(program) || !IsWindow(box) || CaptureOf(program) == ok; });
    const bool boxGone = Ended(program) || !IsWindow(box);
    const bool pushed = !boxGone && CaptureOf(program) == ok;
    const std::string scene = Scene(program, point);
    LeftButtonAt(okMiddle, false);
    if (!pushed) {
        why = "after the click on push button " + std::to_string(step.arg) + " behind the box, " +
              (boxGone ? "the box went away" : "its OK never took the pointer's button") +
              "; last seen: " + scene;
        return false;
    }
    return WaitBoxGone(program, box, "the click on OK", why);
}

bool RunStep(const Program& program, const Step& step, const std::string& folder, std::string& why)
{
    switch (step.act) {
    case Act::Radio: {
        const POINT point = MiddleOf(program, step.arg);
        if (!WaitWindowReady(program, step.arg, point, why)) return false;
        HWND radio = WindowFromPoint(point);
        ClickAt(point);
        if (WaitUntil([&] { return Ended(program) || SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }) &&
            !Ended(program)) {
            return true;
        }
        why = "the radio button is still unchecked after the click; last seen: " + Scene(program, point);
        return false;
    }
    case Act::Push: {
        const POINT point = MiddleOf(program, step.arg);
        if (!WaitWindowReady(program, step.arg, point, why)) return false;
        ClickAt(point);
        if (step.arg == 1) return WaitEnded(program, "the click", why);
        if (WaitUntil([&] { return !MessageBoxesOf(program).empty(); })) return true;
        why = "no message box after the click; last seen: " + Scene(program, point);
        return false;
    }
    case Act::BoxKey: {
        HWND box = nullptr, ok = nullptr;
        if (!WaitBoxReady(program, *step.boxText, box, ok, why)) return false;
        PressKey(static_cast<WORD>(step.arg));
        return WaitBoxGone(program, box, "the key", why);
    }
    case Act::BoxClickOk: {
        HWND box = nullptr, ok = nullptr;
        if (!WaitBoxReady(program, *step.boxText, box, ok, why)) return false;
        RECT rect;
        GetWindowRect(ok, &rect);
        const POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        if (WindowFromPoint(point) != ok) {
            why = "the box's OK does not show at its place; " + Scene(program, point);
            return false;
        }
        ClickAt(point);
        return WaitBoxGone(program, box, "the click on OK", why);
    }
    case Act::PushBehindBox: return ClickBehindBox(program, step, why);
    case Act::WindowKey:
        if (!WaitWindowForeground(program, why)) return false;
        PressKey(static_cast<WORD>(step.arg));
        return true;
    case Act::AltKey:
        if (!WaitWindowForeground(program, why)) return false;
        PressWithAlt(static_cast<WORD>(step.arg));
        return step.arg != VK_F4 || WaitEnded(program, "Alt+F4", why);
    case Act::CloseBox: {
        POINT point = {0, 0};
        if (!WaitWindowReady(program, -1, ScreenPoint(program.window, 300, 68), why)) return false;
        if (!FindCloseBox(program.window, point) || !ShowsAt(program, -1, point)) {
            why = "no point of the title bar is the close box; " + Scene(program, point);
            return false;
        }
        ClickAt(point);
        return WaitEnded(program, "the click on the close box", why);
    }
    case Act::Unblock:
        if (RemoveDirectoryA((folder + "\\pyxet.ini").c_str())) return true;
        why = "could not remove the folder pyxet.ini, error " + std::to_string(GetLastError());
        return false;
    }
    return false;
}

std::string KeyName(int key)
{
    const std::pair<int, const char*> names[] = {
        {VK_RETURN, "Enter"}, {VK_SPACE, "Space"}, {VK_ESCAPE, "Escape"}, {VK_TAB, "Tab"}, {VK_F4, "F4"}};
    for (const auto& [k, name] : names) if (k == key) return name;
    return "key " + std::to_string(key);
}

// A step as the failure messages name it.
std::string StepText(const Step& step)
{
    const std::string id = std::to_string(step.arg);
    switch (step.act) {
    case Act::Radio: return "click radio button " + id;
    case Act::Push: return "click push button " + id;
    case Act::BoxKey: return "press " + KeyName(step.arg) + " on the box";
    case Act::BoxClickOk: return "click the box's OK";
    case Act::PushBehindBox: return "click push button " + id + " behind the box";
    case Act::WindowKey: return "press " + KeyName(step.arg) + " on the window";
    case Act::AltKey: return "press Alt+" + KeyName(step.arg) + " on the window";
    case Act::CloseBox: return "click the close box";
    case Act::Unblock: return "remove the folder pyxet.ini";
    }
    return "?";
}

TEST(SettingsWindow, PointerAndKeysAsAPersonUsesThem)
{
    for (const PersonRow& row : PersonRows) {
        SCOPED_TRACE(row.name);
        const std::string folder = EmptyFolder(std::string("person_") + row.name);
        const std::string file = folder + "\\pyxet.ini";
        ASSERT_TRUE(row.atStart != AtStart::Folder || CreateDirectoryA(file.c_str(), nullptr));
        if (row.atStart == AtStart::File) WriteBytes(file, "earlier\r\n");
        Program program;
        LAUNCH(program, CommandLineWithTail(folder), folder);
        bool stepsDone = true;
        for (size_t i = 0; i < row.steps.size() && stepsDone; ++i) {
            std::string why;
            stepsDone = RunStep(program, row.steps[i], folder, why);
            EXPECT_TRUE(stepsDone) << row.name << ", step " << i + 1 << " (" << StepText(row.steps[i]) << "): " << why;
        }
        if (!stepsDone) continue;
        EXPECT_EQ(0u, WaitForExit(program));
        if (row.writes) {
            EXPECT_EQ(FileWith(row.from, row.to), ReadBytes(file));
        } else if (row.atStart == AtStart::File) {
            EXPECT_EQ("earlier\r\n", ReadBytes(file)) << "the earlier pyxet.ini was written over";
        } else {
            EXPECT_FALSE(FileExists(file)) << "a pyxet.ini was written";
        }
    }
}

// Open and untouched, the program waits for input: none of its threads wants a processor. One that repaints without
// end (a paint that never validates the window) or polls for messages always does. Looked at in Linux's /proc, as
// Wine tells nothing of another process's threads; and counted as looks that find a thread running or waiting to
// run, which a loaded machine does not lower as it lowers the processor time a busy program gets.
TEST(SettingsWindow, IdlesWhileOpen)
{
    const std::string folder = EmptyFolder("idle");
    Program program;
    LAUNCH(program, CommandLineWithTail(folder), folder);
    CaptureWhenPainted(program.window);
    std::string why;
    const int linuxProcess = LinuxProcessOf(program, why);
    ASSERT_NE(0, linuxProcess) << why;
    // Every 20 ms for 2 s: the idle time observed, not a wait for anything.
    int looks = 0, busyLooks = 0;
    for (const ULONGLONG end = GetTickCount64() + 2000; GetTickCount64() < end; Sleep(20)) {
        const int runnable = RunnableThreadsOf(linuxProcess);
        ASSERT_GE(runnable, 0) << "cannot list the threads of Linux process " << linuxProcess;
        ++looks;
        busyLooks += runnable > 0;
    }
    // A quarter: far above an idle program (none here), far below a busy one.
    EXPECT_LT(busyLooks * 4, looks) << "a thread of Linux process " << linuxProcess << " was running or waiting to run in "
                                    << busyLooks << " of " << looks
                                    << " looks over 2 s with its window open and nothing happening";
    PostCommand(program, 1);
    EXPECT_EQ(0u, WaitForExit(program));
}

}  // namespace
