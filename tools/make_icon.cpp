// Builds res/spanner.ico from the text art beside it, so the icon's pixels
// can be reviewed as text. Runs on the build machine, not on Windows.
//
//   make_icon OUT.ico ART32.txt ART16.txt      writes the icon
//   make_icon --check ICO ART32.txt ART16.txt  exits 1 if ICO differs
//
// Art: one row per line, one character per pixel, from the top.
//   '.' transparent (masked)   'K' black   'd' dark grey   'g' light grey   'W' white
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The standard 16-colour Windows palette, as RGB.
const uint32_t Palette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

struct Ink { char symbol; uint8_t colour; bool transparent; };
const Ink Inks[] = {
    {'.', 0, true}, {'K', 0, false}, {'d', 8, false}, {'g', 7, false}, {'W', 15, false},
};

const Ink* FindInk(char symbol)
{
    for (const Ink& ink : Inks) {
        if (ink.symbol == symbol) return &ink;
    }
    return nullptr;
}

bool ReadArt(const char* path, int size, std::vector<std::string>& rows)
{
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        rows.push_back(line);
    }
    if (static_cast<int>(rows.size()) != size) {
        std::fprintf(stderr, "%s: %zu rows, expected %d\n", path, rows.size(), size);
        return false;
    }
    for (size_t y = 0; y < rows.size(); ++y) {
        if (static_cast<int>(rows[y].size()) != size) {
            std::fprintf(stderr, "%s:%zu: %zu pixels, expected %d\n", path, y + 1, rows[y].size(), size);
            return false;
        }
        for (char c : rows[y]) {
            if (FindInk(c) == nullptr) {
                std::fprintf(stderr, "%s:%zu: unknown pixel '%c'\n", path, y + 1, c);
                return false;
            }
        }
    }
    return true;
}

void Put16(std::string& out, uint32_t v) { out += char(v & 0xFF); out += char(v >> 8 & 0xFF); }
void Put32(std::string& out, uint32_t v) { Put16(out, v & 0xFFFF); Put16(out, v >> 16); }

// Rows of a DIB are padded to 4 bytes and stored bottom-up.
uint32_t RowBytes(int size, int bitsPerPixel) { return uint32_t((size * bitsPerPixel + 31) / 32 * 4); }

// One icon image: BITMAPINFOHEADER (height doubled for the mask), palette,
// 4-bit colour bits, 1-bit AND mask.
std::string IconImage(const std::vector<std::string>& rows)
{
    const int size = static_cast<int>(rows.size());
    const uint32_t colourRow = RowBytes(size, 4), maskRow = RowBytes(size, 1);
    std::string out;
    Put32(out, 40); Put32(out, uint32_t(size)); Put32(out, uint32_t(size * 2));
    Put16(out, 1); Put16(out, 4); Put32(out, 0);
    Put32(out, (colourRow + maskRow) * uint32_t(size));
    Put32(out, 0); Put32(out, 0); Put32(out, 0); Put32(out, 0);
    for (uint32_t rgb : Palette) {
        out += char(rgb & 0xFF); out += char(rgb >> 8 & 0xFF); out += char(rgb >> 16); out += '\0';
    }
    for (int y = size - 1; y >= 0; --y) {
        std::string row(colourRow, '\0');
        for (int x = 0; x < size; ++x) {
            const uint8_t colour = FindInk(rows[size_t(y)][size_t(x)])->colour;
            row[size_t(x / 2)] = char(row[size_t(x / 2)] | (x % 2 == 0 ? colour << 4 : colour));
        }
        out += row;
    }
    for (int y = size - 1; y >= 0; --y) {
        std::string row(maskRow, '\0');
        for (int x = 0; x < size; ++x) {
            if (FindInk(rows[size_t(y)][size_t(x)])->transparent) row[size_t(x / 8)] = char(row[size_t(x / 8)] | 0x80 >> (x % 8));
        }
        out += row;
    }
    return out;
}

std::string IconFile(const std::vector<std::string>& art32, const std::vector<std::string>& art16)
{
    const std::string images[] = {IconImage(art32), IconImage(art16)};
    const int sizes[] = {32, 16};
    std::string out;
    Put16(out, 0); Put16(out, 1); Put16(out, 2);
    uint32_t offset = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
        out += char(sizes[i]); out += char(sizes[i]); out += char(16); out += '\0';
        Put16(out, 1); Put16(out, 4);
        Put32(out, uint32_t(images[i].size())); Put32(out, offset);
        offset += uint32_t(images[i].size());
    }
    return out + images[0] + images[1];
}

}  // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 5 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 4 && !check) {
        std::fprintf(stderr, "usage: make_icon [--check] ICO ART32.txt ART16.txt\n");
        return 2;
    }
    const char* const* paths = argv + (check ? 2 : 1);
    std::vector<std::string> art32, art16;
    if (!ReadArt(paths[1], 32, art32) || !ReadArt(paths[2], 16, art16)) return 2;
    for (const std::string& row : art16) {
        if (row.find('.') != std::string::npos) {
            std::fprintf(stderr, "%s: the 16x16 image is opaque; use 'W' for its background\n", paths[2]);
            return 2;
        }
    }
    const std::string icon = IconFile(art32, art16);
    if (check) {
        std::ifstream in(paths[0], std::ios::binary);
        const std::string existing((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (existing != icon) {
            std::fprintf(stderr, "%s (%zu bytes) is not what the art gives (%zu bytes): run make_icon\n",
                         paths[0], existing.size(), icon.size());
            return 1;
        }
        std::printf("%s matches the art (%zu bytes)\n", paths[0], icon.size());
        return 0;
    }
    std::ofstream out(paths[0], std::ios::binary | std::ios::trunc);
    out << icon;
    return out.good() ? 0 : 1;
}
