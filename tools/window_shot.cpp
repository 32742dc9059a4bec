// Photographs the settings window and then presses its "キャンセル", so a run
// on a display nobody watches writes nothing and ends. Used by run.sh.
//
//   window_shot OUT.bmp
//
// Waits (bounded) for the SET_first window, copies its outer rectangle from
// the screen into a 24-bit BMP, and posts the cancel command (id 1).
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

HWND WaitForSettingsWindow()
{
    for (int tries = 0; tries < 500; ++tries) {  // about 10 s
        HWND window = FindWindowA("SET_first", nullptr);
        if (window != nullptr && GetDlgItem(window, 1) != nullptr) return window;
        Sleep(20);
    }
    return nullptr;
}

bool SaveScreenRect(const RECT& r, const char* path)
{
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files store it
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD rowBytes = DWORD((width * 3 + 3) / 4 * 4);
    std::vector<BYTE> pixels(size_t(rowBytes) * size_t(height));
    GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + DWORD(pixels.size());
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_shot OUT.bmp\n");
        return 2;
    }
    HWND window = WaitForSettingsWindow();
    if (window == nullptr) {
        std::fprintf(stderr, "window_shot: no settings window appeared\n");
        return 1;
    }
    Sleep(500);  // let the first paint reach the screen
    RECT outer;
    GetWindowRect(window, &outer);
    const bool saved = SaveScreenRect(outer, argv[1]);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
    if (!saved) std::fprintf(stderr, "window_shot: could not write %s\n", argv[1]);
    return saved ? 0 : 1;
}
