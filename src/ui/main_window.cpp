// The settings window procedure: builds the radio groups, paints the grey
// background with the group headings, and hands the push buttons' commands
// to SaveCommand and CancelCommand.
#include "ui/main_window.h"

HWND RadioButtons[RadioButtonCount];

namespace {

struct RadioRow {
    int group;  // a new group starts where this changes
    const char* caption;
    int x, y, width, height;
    int id;
    bool checkedAtStart;  // the default of its setting
};

// One row per radio button, in creation order (the indexes of RadioButtons).
const RadioRow RadioRows[RadioButtonCount] = {
    // group caption                            x    y    w    h   id  default
    {1, "コピーする。",                       0,  18, 120, 30, 10, false},  // QC on
    {1, "コピーしない。",                   120,  18, 120, 30, 11, true},   // QC off
    {2, "常に開く。",                         0,  78, 120, 30, 20, false},  // NW all
    {2, "開かない。",                       120,  78, 120, 30, 21, false},  // NW non
    {2, "最初だけ開く。",                   240,  78, 120, 30, 22, true},   // NW first
    {3, "表示する。",                         0, 138, 120, 30, 30, false},  // Title all
    {3, "クイックモードでのみ表示する。",   120, 138, 250, 30, 31, true},   // Title quick
    {4, "読み込む。",                         0, 198, 120, 30, 40, false},  // Movie on
    {4, "読み込まない。",                   120, 198, 250, 30, 41, true},   // Movie off
    {5, "作成する。",                         0, 258, 120, 30, 50, false},  // PrintP on
    {5, "作成しない。",                     120, 258, 250, 30, 51, true},   // PrintP off
};

struct Heading {
    int y;
    const char* text;
};

// Each heading is the first half of a sentence its buttons complete.
const Heading Headings[] = {
    {0, "◆クイックモードから保存するとき、画像データを"},
    {60, "◆新規ウィンドウを"},
    {120, "◆タイトルバーにフォルダ名を"},
    {180, "◆動画を"},
    {240, "◆印刷用のページを"},
};

// The same grey for the fill and its outline, so no border shows.
const COLORREF BackgroundGrey = RGB(200, 200, 200);

void OnCreate(HWND window, const CREATESTRUCTA* create)
{
    // WS_GROUP on the first button of each group makes every row its own set
    // of automatic radio buttons: a click unchecks only its own neighbours.
    for (int i = 0; i < RadioButtonCount; ++i) {
        const RadioRow& row = RadioRows[i];
        const bool firstOfGroup = i == 0 || RadioRows[i - 1].group != row.group;
        const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP : 0);
        // A missing button reads as unchecked on save; the window still opens.
        RadioButtons[i] = CreateWindowExA(0, "BUTTON", row.caption, style, row.x, row.y, row.width,
                                          row.height, window, reinterpret_cast<HMENU>(INT_PTR{row.id}),
                                          create->hInstance, nullptr);
    }
    for (int i = 0; i < RadioButtonCount; ++i) {
        if (RadioRows[i].checkedAtStart) SendMessageA(RadioButtons[i], BM_SETCHECK, BST_CHECKED, 0);
    }
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HBRUSH brush = CreateSolidBrush(BackgroundGrey);
    HPEN pen = CreatePen(PS_SOLID, 1, BackgroundGrey);
    SelectObject(dc, brush);
    SelectObject(dc, pen);
    // The window's outer size: larger than the client area, so all of it turns grey.
    Rectangle(dc, 0, 0, 400, 370);
    SetBkMode(dc, TRANSPARENT);
    for (const Heading& heading : Headings) {
        TextOutA(dc, 0, heading.y, heading.text, lstrlenA(heading.text));
    }
    // EndPaint releases the DC, and with it the selection of both objects.
    EndPaint(window, &paint);
    DeleteObject(brush);
    DeleteObject(pen);
}

void OnCommand(HWND window, WPARAM wParam)
{
    // Radio buttons report their clicks here too; only the push buttons act.
    switch (LOWORD(wParam)) {
    case SaveCommandId: SaveCommand(window); break;
    case CancelCommandId: CancelCommand(); break;
    default: break;
    }
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_DESTROY:
        // The close box: DefWindowProcA destroyed the window on WM_CLOSE.
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
