// Drives a real SettingPyxet.exe from another Windows process, as a user's
// clicks would: launch, find windows, read controls, press buttons, read
// message boxes and exit codes. Every wait is bounded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// How long any one wait may take before the test gives up. A program's first
// window on a new prefix waits for Wine's desktop and font set-up: longer.
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

// Starts the program with the whole command line given (program name
// included) in startFolder, and waits for its window with all 13 controls.
// Returns false, with the reason in `why`, if either does not happen.
bool Launch(Program& program, const std::string& commandLine, const std::string& startFolder, std::string& why);

// The command line that names the program the usual way: quoted path, blank, tail.
std::string CommandLineWithTail(const std::string& tail);

// The program's top-level window of the given class owned by `owner`
// (nullptr: any), waiting for it up to WaitLimitMs; nullptr if none came.
HWND WaitForWindowOfClass(const Program& program, const char* className, HWND owner);

std::string ClassOf(HWND window);
std::string TextOf(HWND window);  // as bytes, through the A calls

// The text of a message box: its static control that holds text.
std::string MessageBoxText(HWND box);

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

// Bytes of a file, and whether it exists.
bool FileExists(const std::string& path);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// A fresh, empty folder for one test, below the e2e scratch folder.
std::string FreshFolder(const std::string& name);

// Screen pixels of a window's client area, as 0xRRGGBB, row by row.
struct ClientPixels {
    int width = 0, height = 0;
    std::vector<DWORD> rgb;
    DWORD at(int x, int y) const { return rgb[size_t(y) * size_t(width) + size_t(x)]; }
};
ClientPixels CaptureClient(HWND window);
