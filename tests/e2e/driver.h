// Drives a real SettingPyxet.exe from another Windows process, as a user's clicks would: launch, find windows, read
// controls, press buttons, read message boxes and exit codes. Every wait is bounded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// How long any one wait may take before the test gives up. A program's first window on a new prefix waits for Wine's
// desktop and font set-up: longer.
const DWORD WaitLimitMs = 10000;
const DWORD FirstWindowLimitMs = 60000;

// Polls `ready` every 20 ms until it holds or `limitMs` has passed.
template <typename Ready>
bool WaitUntil(Ready ready, DWORD limitMs = WaitLimitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!ready()) {
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
    return true;
}

// A launched program; ended by force if a test leaves it running.
struct Program {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;  // the settings window, once found
    ~Program();
};

// "Z:\..." for a path of the Linux side, which Wine shows as drive Z:.
std::string WindowsPath(const std::string& unixPath);

// Starts the program with the whole command line given (program name included) in startFolder, and waits for its
// window with all 13 controls. Returns false, with the reason in `why`, if either does not happen. Gives up at once
// when the program ends first or shows a window of another class, and names the windows it did make.
bool Launch(Program& program, const std::string& commandLine, const std::string& startFolder, std::string& why);

// The same with the command line in UTF-16, as Explorer and shortcuts pass it: the program's ANSI copy is then the
// one the system makes.
bool Launch(Program& program, const std::wstring& commandLine, const std::string& startFolder, std::string& why);


// The command line that names the program the usual way: quoted path, blank, tail.
std::string CommandLineWithTail(const std::string& tail);

std::string ClassOf(HWND window);
std::string TextOf(HWND window);  // as bytes, through the A calls

// A message box as the user sees it once it is up.
struct MessageBoxSeen {
    HWND box = nullptr;
    std::string caption;
    std::string text;
    bool showsIcon = false;
};

// Waits for a message box owned by the settings window to be visible with its caption and text set: Wine creates the
// dialog first and fills in its texts afterwards (WM_INITDIALOG). False, with what it last saw in `why`. With
// `anyOwner`, a box of the program that the window does not own counts too: what the person sees, whose clicks then
// show whether it is modal.
bool WaitForMessageBox(const Program& program, MessageBoxSeen& seen, std::string& why, bool anyOwner = false);

// What a message box shows now, whether or not it is up whole.
MessageBoxSeen SeeMessageBox(HWND box);

// Presses the box's OK and waits until the box is gone, so that the next box found is a new one.
bool DismissMessageBox(HWND box, std::string& why);

struct ChildControl {
    int id;
    std::string className;
    LONG_PTR style;
    RECT rect;  // in the parent's client coordinates
    std::string caption;
    LRESULT check;
};
std::vector<ChildControl> ChildControls(HWND parent);
HWND ChildById(HWND parent, int id);

// Posts the push button's command as a click of it would; does not wait.
void PostCommand(const Program& program, WORD id);

// Waits for the process to end; returns its exit code, or STILL_ACTIVE.
DWORD WaitForExit(const Program& program);

// Whether the process is still running after `ms` milliseconds.
bool StillRunningAfter(const Program& program, DWORD ms);

// UTF-16 from this process's ANSI code page (932: Shift_JIS), and back, with Windows' best-fit look-alikes and "?".
std::wstring Wide(const std::string& ansi);
std::string Ansi(const std::wstring& wide);

// Bytes of a file, and whether it exists; paths in the ANSI code page or in UTF-16.
bool FileExists(const std::string& path);
std::string ReadBytes(const std::string& path);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Every file below a folder, and with `remove` deleted, folders and all.
std::vector<std::wstring> FilesBelow(const std::wstring& folder, bool remove = false);

// A fresh, empty folder for one test, below the e2e scratch folder: what an earlier run left there is removed first.
// Returns "" if it cannot be made empty. `name` may hold Shift_JIS bytes.
std::string FreshFolder(const std::string& name);

// Screen pixels of a window's client area, as 0xRRGGBB, row by row.
struct ClientPixels {
    int width = 0, height = 0;
    std::vector<DWORD> rgb;
    DWORD at(int x, int y) const { return rgb[size_t(y) * size_t(width) + size_t(x)]; }
};
ClientPixels CaptureClient(HWND window);

// The same for the whole window, title bar included.
ClientPixels CaptureWindow(HWND window);

// The 16x16 image of the program file's SPANNER icon, drawn as the title bar draws it; empty if the file has none.
ClientPixels SmallSpannerIcon();

// Whether `part` appears somewhere inside `whole`, pixel for pixel.
bool Contains(const ClientPixels& whole, const ClientPixels& part);

// A person's input: the pointer and the keyboard as the desktop gets them, so a click goes through hit-testing,
// z-order, activation and focus, and lands on whatever window shows at the point. Each call returns once the input
// is queued; the program handles it later.

// The screen point of a point in a window's client area.
POINT ScreenPoint(HWND window, int clientX, int clientY);

// Moves the pointer to the point and presses and releases the left button.
void ClickAt(POINT screen);

// Moves the pointer to the point and presses, or releases, the left button.
void LeftButtonAt(POINT screen, bool down);

void PressKey(WORD virtualKey);
void PressWithAlt(WORD virtualKey);

// The program's visible message boxes, whoever owns them.
std::vector<HWND> MessageBoxesOf(const Program& program);

// The window with the keyboard focus in the program's thread; nullptr if none.
HWND FocusOf(const Program& program);

// The window that has the mouse capture in the program's thread: a button takes it when the left button goes down on
// it and keeps it until it goes up, wherever the pointer is meanwhile.
HWND CaptureOf(const Program& program);

// Where the window's title bar answers HTCLOSE to hit-testing: the close box a person clicks. False if no point of
// the title bar does.
bool FindCloseBox(HWND window, POINT& at);

// A window as a line of a failure message: class "text" (id N).
std::string Describe(HWND window);

// The Linux process behind the launched program under Wine, where Windows calls do not tell its processor time: the
// one whose first argument is the program's Windows path (Wine shows the Windows command line) and whose WINEPREFIX
// is this process's. 0, with the reason in `why`, if there is none.
int LinuxProcessOf(const Program& program, std::string& why);

// How many threads of a Linux process are running or waiting for a processor (state R) right now; -1 if its threads
// cannot be listed.
int RunnableThreadsOf(int linuxProcess);

// The memory a Linux process holds of its own (resident, not pages of files), in KiB; -1 if it cannot be read.
long OwnMemoryKiBOf(int linuxProcess);
