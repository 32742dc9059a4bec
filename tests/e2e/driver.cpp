#include "driver.h"

#include <fstream>
#include <iterator>

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || ClassOf(window) != search->className) return TRUE;
    if (search->owner != nullptr && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindWindowOfClass(const Program& program, const char* className, HWND owner)
{
    WindowSearch search = {program.process.dwProcessId, className, owner, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM lParam)
{
    auto* children = reinterpret_cast<std::vector<HWND>*>(lParam);
    children->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

}  // namespace

Program::~Program()
{
    if (process.hProcess == nullptr) return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, WaitLimitMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string CommandLineWithTail(const std::string& tail)
{
    return "\"" + WindowsPath(PYXET_PROGRAM) + "\" " + tail;
}

bool Launch(Program& program, const std::string& commandLine, const std::string& startFolder, std::string& why)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(WindowsPath(PYXET_PROGRAM).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        startFolder.c_str(), &startup, &program.process)) {
        why = "CreateProcess failed, error " + std::to_string(GetLastError());
        return false;
    }
    WaitForInputIdle(program.process.hProcess, FirstWindowLimitMs);
    const bool ready = WaitUntil([&] {
        program.window = FindWindowOfClass(program, "SET_first", nullptr);
        return program.window != nullptr && Children(program.window).size() == 13;
    }, FirstWindowLimitMs);
    if (!ready) {
        why = program.window == nullptr ? "no SET_first window appeared"
                                        : "the window has " + std::to_string(Children(program.window).size()) +
                                              " controls, not 13";
        return false;
    }
    return true;
}

HWND WaitForWindowOfClass(const Program& program, const char* className, HWND owner)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOfClass(program, className, owner)) != nullptr; });
    return found;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string MessageBoxText(HWND box)
{
    for (HWND child : Children(box)) {
        if (ClassOf(child) == "Static" && !TextOf(child).empty()) return TextOf(child);
    }
    return "";
}

std::vector<ChildControl> ChildControls(HWND parent)
{
    std::vector<ChildControl> controls;
    for (HWND child : Children(parent)) {
        ChildControl control;
        control.id = GetDlgCtrlID(child);
        control.className = ClassOf(child);
        control.style = GetWindowLongPtrA(child, GWL_STYLE);
        GetWindowRect(child, &control.rect);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&control.rect), 2);
        control.caption = TextOf(child);
        control.check = SendMessageA(child, BM_GETCHECK, 0, 0);
        controls.push_back(control);
    }
    return controls;
}

HWND ChildById(HWND parent, int id)
{
    for (HWND child : Children(parent)) {
        if (GetDlgCtrlID(child) == id) return child;
    }
    return nullptr;
}

void PostCommand(const Program& program, WORD id)
{
    PostMessageA(program.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ChildById(program.window, id)));
}

DWORD WaitForExit(const Program& program)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(program.process.hProcess, WaitLimitMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(program.process.hProcess, &code);
    }
    return code;
}

bool StillRunningAfter(const Program& program, DWORD ms)
{
    return WaitForSingleObject(program.process.hProcess, ms) == WAIT_TIMEOUT;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string FreshFolder(const std::string& name)
{
    const std::string root = WindowsPath(PYXET_E2E_DIR);
    CreateDirectoryA(root.c_str(), nullptr);
    const std::string folder = root + "\\" + name;
    // Empty it: a test leaves its files behind for a look after a failure.
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string path = folder + "\\" + entry.cFileName;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryA(path.c_str());  // "." and ".." fail harmlessly
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

ClientPixels CaptureClient(HWND window)
{
    // The screen as the user sees it, not what the window would draw on
    // request: the window's own painting is what is tested.
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    ClientPixels pixels;
    pixels.width = client.right;
    pixels.height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const DWORD* data = static_cast<const DWORD*>(bits);
    pixels.rgb.assign(data, data + size_t(pixels.width) * size_t(pixels.height));
    for (DWORD& p : pixels.rgb) p &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}
