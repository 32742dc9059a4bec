// The readme.txt the release zip ships, which Notepad on a Japanese Windows
// must show as it is: Shift_JIS (CP932), no byte-order mark, CR LF after
// every line, and the keys, values, defaults and messages a user looks for.
// Japanese text is written here as its Shift_JIS bytes, the text beside it.
#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadBytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text in UTF-8, or "" when it is not CP932 throughout.
std::string Utf8FromCp932(std::string bytes)
{
    iconv_t convert = iconv_open("UTF-8", "CP932");
    std::string text(bytes.size() * 2, '\0');
    char* in = bytes.data();
    char* out = text.data();
    size_t inLeft = bytes.size(), outLeft = text.size();
    const size_t done = iconv(convert, &in, &inLeft, &out, &outLeft);
    iconv_close(convert);
    if (done == size_t(-1)) return "";
    text.resize(text.size() - outLeft);
    return text;
}

std::string WithoutCr(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

const std::string Readme = ReadBytes(PYXET_README);

TEST(Readme, IsShiftJisWithCrLfThroughout)
{
    ASSERT_FALSE(Readme.empty()) << PYXET_README " is missing or empty";
    EXPECT_NE(0u, Readme.rfind("\xef\xbb\xbf", 0)) << "starts with a UTF-8 byte-order mark";
    size_t lines = 0;
    for (size_t i = 0; i < Readme.size(); ++i) {
        if (Readme[i] == '\n') ++lines;
        const bool crLf = Readme[i] == '\r' && i + 1 < Readme.size() && Readme[i + 1] == '\n';
        ASSERT_TRUE((Readme[i] != '\r' || crLf) && (Readme[i] != '\n' || (i > 0 && Readme[i - 1] == '\r')))
            << "a line end that is not CR LF at byte " << i;
    }
    EXPECT_EQ("\r\n", Readme.substr(Readme.size() - 2)) << "the last line does not end in CR LF";
    EXPECT_EQ(0u, Readme.rfind("SettingPyxet " PYXET_VERSION "\r\n", 0)) << "line 1 is not SettingPyxet " PYXET_VERSION;

    // Nothing lost or changed on the way: decoded, it is the source again.
    std::string source = ReadBytes(PYXET_README_SOURCE);
    source.replace(source.find("@PROJECT_VERSION@"), 17, PYXET_VERSION);
    EXPECT_EQ(source, WithoutCr(Utf8FromCp932(Readme))) << "does not decode as CP932 back to " PYXET_README_SOURCE;
}

TEST(Readme, NamesEveryValueMessageAndFile)
{
    const std::string defaulted = "\x81\x69\x8a\xf9\x92\xe8\x92\x6c\x81\x6a";  // （既定値）
    const std::string wanted[] = {
        "QC=on", "QC=off" + defaulted, "NW=all", "NW=non", "NW=first" + defaulted, "Title=all",
        "Title=quick" + defaulted, "Movie=on", "Movie=off" + defaulted, "PrintP=on", "PrintP=off" + defaulted,
        "\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42",  // 設定を保存しました。
        "\x90\xdd\x92\xe8\x82\xcc\x95\xdb\x91\xb6\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42",  // 設定の保存に失敗しました。
        "Setting Pyxet", "\x81\x75\x90\xdd\x92\xe8\x81\x76",  // 「設定」
        "\x81\x75\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b\x81\x76",  // 「キャンセル」
        "pyxet.ini", "Pyxet.exe", "SHA256SUMS", "BUILDINFO.txt",
        // Why the window's texts can be garbled: the code page for
        // non-Unicode programs, and the UTF-8 beta option.
        "932", "65001", "Unicode UTF-8",
    };
    for (const std::string& text : wanted) {
        EXPECT_NE(std::string::npos, Readme.find(text)) << "does not contain " << Utf8FromCp932(text);
    }
}

}  // namespace
