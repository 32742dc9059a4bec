// Starts the program, photographs its settings window and then presses its
// "キャンセル", so a run on a display nobody watches writes nothing and ends.
// Used by run.sh.
//
//   window_shot OUT.bmp PROGRAM [FOLDER]
//
// PROGRAM gets the rest of this command line as it came, so the folder
// reaches it as run.sh quoted it. One process starting the other lets one
// explorer make the virtual desktop: two started at once may both try to,
// and Wine 10 can then die of an X error. OUT.bmp is written only when all
// went well (the window appeared and the program ended when cancelled): the
// explorer that runs this always ends with 0, so the file is run.sh's answer.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "ui/command_line.h"

namespace {

struct Picture {
    BITMAPINFOHEADER info;
    std::vector<BYTE> pixels;  // bottom-up rows of 24-bit pixels, as BMP files store them
};

// Starts the program named after OUT.bmp, with what follows it: this command
// line without its first two words.
bool StartProgram(PROCESS_INFORMATION* started)
{
    const char* rest = CommandLineTail(CommandLineTail(GetCommandLineA()));
    std::vector<char> commandLine(rest, rest + lstrlenA(rest));
    commandLine.push_back('\0');  // CreateProcessA may write into it
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          started) != FALSE;
}

HWND WaitForSettingsWindow()
{
    for (int tries = 0; tries < 500; ++tries) {  // about 10 s
        HWND window = FindWindowA("SET_first", nullptr);
        if (window != nullptr && GetDlgItem(window, 1) != nullptr) return window;
        Sleep(20);
    }
    return nullptr;
}

Picture CaptureScreenRect(const RECT& r)
{
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, previous);

    Picture picture = {};
    picture.info.biSize = sizeof picture.info;
    picture.info.biWidth = width;
    picture.info.biHeight = height;
    picture.info.biPlanes = 1;
    picture.info.biBitCount = 24;
    const DWORD rowBytes = DWORD((width * 3 + 3) / 4 * 4);
    picture.pixels.resize(size_t(rowBytes) * size_t(height));
    GetDIBits(memory, bitmap, 0, UINT(height), picture.pixels.data(), reinterpret_cast<BITMAPINFO*>(&picture.info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

bool WriteBmp(const Picture& picture, const char* path)
{
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof picture.info;
    file.bfSize = file.bfOffBits + DWORD(picture.pixels.size());
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&picture.info, sizeof picture.info, 1, out) == 1 &&
              std::fwrite(picture.pixels.data(), picture.pixels.size(), 1, out) == 1;
    return std::fclose(out) == 0 && ok;
}

int Fail(const char* what, const char* detail)
{
    std::fprintf(stderr, "window_shot: %s%s\n", what, detail);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_shot OUT.bmp PROGRAM [FOLDER]\n");
        return 2;
    }
    PROCESS_INFORMATION program = {};
    if (!StartProgram(&program)) return Fail("could not start ", argv[2]);
    HWND window = WaitForSettingsWindow();
    if (window == nullptr) {
        TerminateProcess(program.hProcess, 1);
        return Fail("no settings window appeared", "");
    }
    Sleep(500);  // let the first paint reach the screen
    RECT outer;
    GetWindowRect(window, &outer);
    const Picture picture = CaptureScreenRect(outer);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
    if (WaitForSingleObject(program.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(program.hProcess, 1);  // else the desktop, and run.sh, would wait for it
        return Fail("the program did not end when cancelled", "");
    }
    if (!WriteBmp(picture, argv[1])) return Fail("could not write ", argv[1]);
    return 0;
}
