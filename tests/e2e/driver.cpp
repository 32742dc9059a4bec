#include "driver.h"

#include <fstream>
#include <iterator>

namespace {

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search->first) search->second.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(const Program& program)
{
    std::pair<DWORD, std::vector<HWND>> search = {program.process.dwProcessId, {}};
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// The program's top-level window of a class, owned by `owner` unless that is nullptr; nullptr if there is none.
HWND FindWindowOfClass(const Program& program, const char* className, HWND owner)
{
    for (HWND window : TopLevelWindowsOf(program)) {
        if (ClassOf(window) == className && (owner == nullptr || GetWindow(window, GW_OWNER) == owner)) return window;
    }
    return nullptr;
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

// The program's top-level windows, as "class \"title\"" (hidden ones marked).
std::string WindowsOf(const Program& program)
{
    std::string list;
    for (HWND window : TopLevelWindowsOf(program)) {
        if (!list.empty()) list += ", ";
        list += ClassOf(window) + " \"" + TextOf(window) + "\"" + (IsWindowVisible(window) ? "" : " (hidden)");
    }
    return list.empty() ? "none" : list;
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

namespace {

// Waits for the launched program's window with all 13 controls.
bool WaitForWindow(Program& program, std::string& why)
{
    // The program makes its window and all its controls before it first waits for input, so a window of another class
    // means a wrong one, not a slow one. Only the first start on a new prefix takes long.
    enum { Waiting, Ready, Ended, OtherWindow } state = Waiting;
    WaitUntil([&] {
        // One look at all its windows, so that the window cannot appear
        // between finding none of its class and seeing another.
        program.window = nullptr;
        bool otherWindow = false;
        for (HWND window : TopLevelWindowsOf(program)) {
            if (ClassOf(window) == "SET_first") {
                program.window = window;
            } else if (IsWindowVisible(window)) {
                otherWindow = true;
            }
        }
        if (program.window != nullptr) {
            state = Children(program.window).size() == 13 ? Ready : Waiting;
        } else if (WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0) {
            state = Ended;
        } else {
            state = otherWindow ? OtherWindow : Waiting;
        }
        return state != Waiting;
    }, FirstWindowLimitMs);
    switch (state) {
    case Ready: return true;
    case Ended: {
        DWORD code = 0;
        GetExitCodeProcess(program.process.hProcess, &code);
        why = "the program ended with exit code " + std::to_string(long(code)) + " before its window appeared";
        return false;
    }
    case OtherWindow: why = "no SET_first window; the program's windows: " + WindowsOf(program); return false;
    case Waiting: break;
    }
    why = program.window == nullptr
              ? "no SET_first window within " + std::to_string(FirstWindowLimitMs / 1000) +
                    " s; the program's windows: " + WindowsOf(program)
              : "the window has " + std::to_string(Children(program.window).size()) + " controls, not 13";
    return false;
}

}  // namespace

bool Launch(Program& program, const std::string& commandLine, const std::string& startFolder, std::string& why)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(WindowsPath(PYXET_PROGRAM).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        startFolder.c_str(), &startup, &program.process)) {
        why = "CreateProcessA failed, error " + std::to_string(GetLastError());
        return false;
    }
    return WaitForWindow(program, why);
}

bool Launch(Program& program, const std::wstring& commandLine, const std::string& startFolder, std::string& why)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(Wide(WindowsPath(PYXET_PROGRAM)).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Wide(startFolder).c_str(), &startup, &program.process)) {
        why = "CreateProcessW failed, error " + std::to_string(GetLastError());
        return false;
    }
    return WaitForWindow(program, why);
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

namespace {

// A message box's text is its static control with text; its icon, when it has one, a visible static control of the icon
// type holding an icon. The icon's control id differs between Windows (20) and Wine, so it is found by its type.
void ReadMessageBox(MessageBoxSeen& seen)
{
    seen.caption = TextOf(seen.box);
    seen.text.clear();
    seen.showsIcon = false;
    for (HWND child : Children(seen.box)) {
        if (ClassOf(child) != "Static") continue;
        const LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK;
        if (type == SS_ICON) {
            if (IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0) seen.showsIcon = true;
        } else if (seen.text.empty()) {
            seen.text = TextOf(child);
        }
    }
}

}  // namespace

MessageBoxSeen SeeMessageBox(HWND box)
{
    MessageBoxSeen seen;
    seen.box = box;
    ReadMessageBox(seen);
    return seen;
}

bool WaitForMessageBox(const Program& program, MessageBoxSeen& seen, std::string& why, bool anyOwner)
{
    seen = MessageBoxSeen();
    const bool up = WaitUntil([&] {
        // A dialog turns visible only once WM_INITDIALOG has set its texts and icon, so everything is read after that.
        seen.box = FindWindowOfClass(program, "#32770", anyOwner ? nullptr : program.window);
        if (seen.box == nullptr || !IsWindowVisible(seen.box)) return false;
        ReadMessageBox(seen);
        return !seen.caption.empty() && !seen.text.empty();
    });
    if (up) return true;
    const std::string none = anyOwner ? "no message box" : "no message box owned by the settings window";
    why = seen.box == nullptr ? none + "; the program's windows: " + WindowsOf(program)
                              : "the message box never came up whole; last seen: " +
                                    (IsWindowVisible(seen.box) ? "visible, caption \"" + seen.caption + "\", text \"" +
                                                                     seen.text + "\""
                                                               : std::string("hidden"));
    return false;
}

bool DismissMessageBox(HWND box, std::string& why)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (WaitUntil([&] { return !IsWindow(box); })) return true;
    why = "the message box is still there after OK";
    return false;
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

std::wstring Wide(const std::string& ansi)
{
    std::wstring wide(ansi.size(), L'\0');  // never more UTF-16 units than bytes
    wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), &wide[0], int(wide.size()))));
    return wide;
}

std::string Ansi(const std::wstring& wide)
{
    std::string ansi(wide.size() * 3, '\0');  // UTF-8, the widest, takes three bytes a unit
    ansi.resize(size_t(WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), &ansi[0], int(ansi.size()),
                                           nullptr, nullptr)));
    return ansi;
}

bool FileExists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::string& path) { return ReadBytes(Wide(path)); }

std::string ReadBytes(const std::wstring& path)
{
    // Through Windows calls, not a stream: a /proc file whose process ends
    // while it is read fails the read, and the C++ stream then throws.
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// In UTF-16 and through "\\?\": a test may leave names behind that Shift_JIS cannot spell, deeper than Windows enters.
std::vector<std::wstring> FilesBelow(const std::wstring& folder, bool remove)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &entry);
    for (BOOL found = find != INVALID_HANDLE_VALUE; found; found = FindNextFileW(find, &entry)) {
        const std::wstring name = entry.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::wstring& file : FilesBelow(path, remove)) files.push_back(file);
        } else {
            files.push_back(path);
            if (remove) DeleteFileW((L"\\\\?\\" + path).c_str());
        }
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    if (remove) RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
    return files;
}

std::string FreshFolder(const std::string& name)
{
    const std::string root = WindowsPath(PYXET_E2E_DIR);
    CreateDirectoryA(root.c_str(), nullptr);
    const std::string folder = root + "\\" + name;
    // A test leaves its files behind for a look after a failure; the next run must not see them.
    FilesBelow(Wide(folder), true);
    return CreateDirectoryA(folder.c_str(), nullptr) ? folder : "";
}

namespace {

// Screen pixels of a rectangle, as the user sees them.
ClientPixels CaptureScreen(int left, int top, int width, int height)
{
    ClientPixels pixels;
    pixels.width = width;
    pixels.height = height;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    const DWORD* data = static_cast<const DWORD*>(bits);
    pixels.rgb.assign(data, data + size_t(width) * size_t(height));
    for (DWORD& p : pixels.rgb) p &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

ClientPixels CaptureClient(HWND window)
{
    // The screen, not what the window would draw on request: the window's own painting is what is tested.
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return CaptureScreen(origin.x, origin.y, client.right, client.bottom);
}

ClientPixels CaptureWindow(HWND window)
{
    RECT outer;
    GetWindowRect(window, &outer);
    return CaptureScreen(outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top);
}

ClientPixels SmallSpannerIcon()
{
    ClientPixels pixels;
    HMODULE module = LoadLibraryExA(WindowsPath(PYXET_PROGRAM).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return pixels;
    HRSRC group = FindResourceA(module, "SPANNER", MAKEINTRESOURCEA(14));
    if (group != nullptr) {
        auto* groupBytes = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
        const int id = LookupIconIdFromDirectoryEx(groupBytes, TRUE, 16, 16, LR_DEFAULTCOLOR);
        HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));
        if (image != nullptr) {
            auto* bytes = static_cast<BYTE*>(LockResource(LoadResource(module, image)));
            HICON icon = CreateIconFromResourceEx(bytes, SizeofResource(module, image), TRUE, 0x00030000, 16, 16,
                                                  LR_DEFAULTCOLOR);
            if (icon != nullptr) {
                HDC screen = GetDC(nullptr);
                HDC memory = CreateCompatibleDC(screen);
                HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
                HGDIOBJ previous = SelectObject(memory, bitmap);
                PatBlt(memory, 0, 0, 16, 16, BLACKNESS);
                DrawIconEx(memory, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
                pixels.width = pixels.height = 16;
                for (int y = 0; y < 16; ++y) {
                    for (int x = 0; x < 16; ++x) {
                        const COLORREF c = GetPixel(memory, x, y);
                        pixels.rgb.push_back(DWORD(GetRValue(c)) << 16 | DWORD(GetGValue(c)) << 8 | GetBValue(c));
                    }
                }
                SelectObject(memory, previous);
                DeleteObject(bitmap);
                DeleteDC(memory);
                ReleaseDC(nullptr, screen);
                DestroyIcon(icon);
            }
        }
    }
    FreeLibrary(module);
    return pixels;
}

bool Contains(const ClientPixels& whole, const ClientPixels& part)
{
    if (part.width == 0) return false;
    for (int top = 0; top + part.height <= whole.height; ++top) {
        for (int left = 0; left + part.width <= whole.width; ++left) {
            bool same = true;
            for (int y = 0; same && y < part.height; ++y) {
                for (int x = 0; same && x < part.width; ++x) same = whole.at(left + x, top + y) == part.at(x, y);
            }
            if (same) return true;
        }
    }
    return false;
}

POINT ScreenPoint(HWND window, int clientX, int clientY)
{
    POINT point = {clientX, clientY};
    ClientToScreen(window, &point);
    return point;
}

namespace {

// Each event carries the point itself. A program handles the X server's report of an earlier pointer move when it gets
// to it, and that moves the pointer back; a button event without a place would land there.
INPUT MouseInput(POINT screen, DWORD button)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // 0 to 65535 across the screen, rounded to the nearest pixel's value.
    input.mi.dx = (screen.x * 65535 + (width - 1) / 2) / (width - 1);
    input.mi.dy = (screen.y * 65535 + (height - 1) / 2) / (height - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    return input;
}

}  // namespace

void ClickAt(POINT screen)
{
    INPUT inputs[3] = {MouseInput(screen, 0), MouseInput(screen, MOUSEEVENTF_LEFTDOWN),
                       MouseInput(screen, MOUSEEVENTF_LEFTUP)};
    SendInput(3, inputs, sizeof(INPUT));
}

void LeftButtonAt(POINT screen, bool down)
{
    INPUT input = MouseInput(screen, down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    SendInput(1, &input, sizeof(INPUT));
}

namespace {

INPUT KeyInput(WORD virtualKey, bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    return input;
}

}  // namespace

void PressKey(WORD virtualKey)
{
    INPUT inputs[2] = {KeyInput(virtualKey, true), KeyInput(virtualKey, false)};
    SendInput(2, inputs, sizeof(INPUT));
}

void PressWithAlt(WORD virtualKey)
{
    INPUT inputs[4] = {KeyInput(VK_MENU, true), KeyInput(virtualKey, true), KeyInput(virtualKey, false),
                       KeyInput(VK_MENU, false)};
    SendInput(4, inputs, sizeof(INPUT));
}

std::vector<HWND> MessageBoxesOf(const Program& program)
{
    std::vector<HWND> boxes;
    for (HWND window : TopLevelWindowsOf(program)) {
        if (ClassOf(window) == "#32770" && IsWindowVisible(window)) boxes.push_back(window);
    }
    return boxes;
}

namespace {

GUITHREADINFO ThreadInfoOf(const Program& program)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(program.process.dwThreadId, &info)) info = GUITHREADINFO{};
    return info;
}

}  // namespace

HWND FocusOf(const Program& program) { return ThreadInfoOf(program).hwndFocus; }

HWND CaptureOf(const Program& program) { return ThreadInfoOf(program).hwndCapture; }

namespace {

LRESULT HitTest(HWND window, int x, int y)
{
    DWORD_PTR result = HTNOWHERE;
    SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, WaitLimitMs, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

bool FindCloseBox(HWND window, POINT& at)
{
    // Down the title bar from its top; along each row from the right edge
    // until the first run of HTCLOSE ends. Its middle is the place to click.
    RECT outer;
    GetWindowRect(window, &outer);
    for (int y = outer.top + 1; y < outer.top + 40; y += 2) {
        int right = -1;
        for (int x = outer.right - 1; x > outer.right - 80; --x) {
            const bool close = HitTest(window, x, y) == HTCLOSE;
            if (close && right < 0) right = x;
            if (!close && right >= 0) {
                at = {(x + 1 + right) / 2, y};
                return true;
            }
        }
    }
    return false;
}

std::string Describe(HWND window)
{
    if (window == nullptr) return "none";
    return ClassOf(window) + " \"" + TextOf(window) + "\" (id " + std::to_string(GetDlgCtrlID(window)) + ")";
}

namespace {

// The NUL-separated entries of a /proc file, such as cmdline or environ.
std::vector<std::string> ProcEntries(const std::string& unixPath)
{
    std::vector<std::string> entries;
    const std::string bytes = ReadBytes(WindowsPath(unixPath));
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        entries.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

std::string WinePrefixOf(const std::string& procFolder)
{
    for (const std::string& entry : ProcEntries(procFolder + "/environ")) {
        if (entry.rfind("WINEPREFIX=", 0) == 0) return entry.substr(11);
    }
    return "";
}

// The fields of /proc/N/stat after the command name, which may hold blanks
// and parentheses: field 3 (the state) comes first.
std::vector<std::string> StatFields(const std::string& unixPath)
{
    const std::string stat = ReadBytes(WindowsPath(unixPath));
    std::vector<std::string> fields;
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return fields;
    size_t start = close + 1;
    while (true) {
        start = stat.find_first_not_of(" \n", start);
        if (start == std::string::npos) break;
        const size_t end = stat.find_first_of(" \n", start);
        fields.push_back(stat.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end;
    }
    return fields;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), int(a.size()),
                                                  b.data(), int(b.size())) == CSTR_EQUAL;
}

}  // namespace

int LinuxProcessOf(const Program& program, std::string& why)
{
    // Wine shows a program's Windows command line as its Linux one.
    const std::string path = WindowsPath(PYXET_PROGRAM);
    const std::string prefix = WinePrefixOf("/proc/self");
    if (prefix.empty()) {
        why = "this process has no WINEPREFIX in /proc/self/environ";
        return 0;
    }
    // Of several matches (one ending, one starting), the latest started.
    int found = 0, looked = 0;
    unsigned long long foundStart = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(WindowsPath("/proc/*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        why = "cannot list /proc";
        return 0;
    }
    do {
        const std::string name = entry.cFileName;
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        ++looked;
        const std::vector<std::string> arguments = ProcEntries("/proc/" + name + "/cmdline");
        if (arguments.empty() || !SameIgnoringCase(arguments[0], path)) continue;
        if (WinePrefixOf("/proc/" + name) != prefix) continue;
        const std::vector<std::string> fields = StatFields("/proc/" + name + "/stat");
        if (fields.size() < 20 || fields[0] == "Z") continue;  // field 22: the start time
        const unsigned long long start = std::stoull(fields[19]);
        if (found == 0 || start > foundStart) {
            found = std::stoi(name);
            foundStart = start;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    if (found == 0 && WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0) {
        why = "the program has ended";
    } else if (found == 0) {
        why = "none of " + std::to_string(looked) + " Linux processes runs " + path + " with WINEPREFIX=" + prefix;
    }
    return found;
}

int RunnableThreadsOf(int linuxProcess)
{
    const std::string tasks = "/proc/" + std::to_string(linuxProcess) + "/task";
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(WindowsPath(tasks + "/*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return -1;
    int runnable = 0;
    do {
        const std::string name = entry.cFileName;
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::vector<std::string> fields = StatFields(tasks + "/" + name + "/stat");
        if (!fields.empty() && fields[0] == "R") ++runnable;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return runnable;
}

long OwnMemoryKiBOf(int linuxProcess)
{
    // Its heaps and mappings (RssAnon, RssShmem), without the pages of its files (RssFile): Linux drops and reads
    // those again as other processes need memory, so a loaded machine moves them by hundreds of KiB.
    const std::string status = ReadBytes(WindowsPath("/proc/" + std::to_string(linuxProcess) + "/status"));
    const size_t anonymous = status.find("\nRssAnon:"), shared = status.find("\nRssShmem:");
    if (anonymous == std::string::npos || shared == std::string::npos) return -1;
    return std::atol(status.c_str() + anonymous + 9) + std::atol(status.c_str() + shared + 10);
}
