// Program entry: register the window class, enter the folder named on the
// command line, create the settings window and its push buttons, and run the
// message loop.
#include "ui/command_line.h"
#include "ui/main_window.h"

bool WorkingFolderEntered = true;

namespace {

struct PushButtonRow {
    const char* caption;
    int x, y, width, height;
    WORD id;
};

// Both carry the default-push-button style.
const PushButtonRow PushButtons[] = {
    // caption          x    y    w    h   id
    {"設定",           50, 300, 100, 30, SaveCommandId},
    {"キャンセル",    200, 300, 100, 30, CancelCommandId},
};

const char ClassName[] = "SET_first";
const char Title[] = "Pyxet.exeの設定を行います。";

bool RegisterSettingsClass(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "SPANNER");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = ClassName;
    return RegisterClassA(&windowClass) != 0;
}

// Windows enters a folder of at most MAX_PATH - 2 characters (Wine: 260),
// counted in UTF-16 once it has turned the ANSI text into UTF-16. No ANSI
// code page takes more than three bytes for one UTF-16 unit: UTF-8, Windows'
// "Unicode UTF-8" option, spells a Japanese character in three (code page
// 932 in two). So every folder Windows enters fits here with its NUL; what
// is longer, Windows itself refuses.
const int FolderBytes = 3 * MAX_PATH + 1;

// Whether the folder, as the ANSI command line spells it, is the one the
// user named: a name the code page cannot spell arrives as a look-alike
// ("cafe" for "café") that may be another folder, or with "?".
bool SpelledExactly(const char* folder)
{
    wchar_t readBack[FolderBytes];  // never more UTF-16 units than bytes
    const int length = MultiByteToWideChar(CP_ACP, 0, folder, -1, readBack, FolderBytes);
    return length > 0 && FolderArrivedExactly(GetCommandLineW(), readBack, size_t(length - 1));
}

// The folder comes from the full command line, whatever tail the C runtime
// handed WinMain. No folder: stay where the process started.
void EnterFolderOfCommandLine()
{
    const char* tail = CommandLineTail(GetCommandLineA());
    char path[FolderBytes];
    if (!CopyFolder(FolderInTail(tail), path, sizeof path) || !SpelledExactly(path)) {
        WorkingFolderEntered = false;
        return;
    }
    // Checked before this: a folder named only by a look-alike of a blank (a
    // no-break space; U+3000 or U+2002 on a Western Windows) leaves no tail in
    // the ANSI copy.
    if (lstrlenA(tail) == 0) return;
    WorkingFolderEntered = SetCurrentDirectoryA(path) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (!RegisterSettingsClass(instance)) return -1;
    EnterFolderOfCommandLine();

    // Visible from creation through WS_VISIBLE; no ShowWindow. No sizing
    // border and no maximise box: the window keeps its size.
    HWND window = CreateWindowExA(0, ClassName, Title, WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 400, 370, nullptr, nullptr, instance, nullptr);
    for (const PushButtonRow& button : PushButtons) {
        CreateWindowExA(0, "BUTTON", button.caption, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, button.x,
                        button.y, button.width, button.height, window,
                        reinterpret_cast<HMENU>(INT_PTR{button.id}), instance, nullptr);
    }
    if (window == nullptr) return -1;

    // No TranslateMessage and no IsDialogMessage: Tab does not move the focus.
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) DispatchMessageA(&message);
    return static_cast<int>(message.wParam);
}
