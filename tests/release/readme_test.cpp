// The readme.txt the release zip ships, which Notepad on a Japanese Windows
// must show as it is: Shift_JIS (CP932), no byte-order mark, CR LF after
// every line, and the keys, values, defaults, messages and sections a user
// looks for.
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
        "pyxet.ini", "Pyxet.exe", "SHA256SUMS", "BUILDINFO.txt", "LICENSE.txt",
        // Why the window's texts can be garbled: the code page for
        // non-Unicode programs, and the UTF-8 beta option.
        "932", "65001", "Unicode UTF-8",
        // A folder name the code page cannot spell fails the save, and what to do then.
        "Shift_JIS\x81\x69\x83\x52\x81\x5b\x83\x68\x83\x79\x81\x5b\x83\x57 932\x81\x6a\x82\xc9\x82\xc8\x82\xa2\x95\xb6\x8e\x9a",  // Shift_JIS（コードページ 932）にない文字
        "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xcc\x96\xbc\x91\x4f\x82\xf0\x95\xcf\x82\xa6\x82\xe9\x82\xa9\x81\x41"
        "\x95\xca\x82\xcc\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xf0\x8e\x77\x92\xe8\x82\xb5\x82\xc4",  // フォルダの名前を変えるか、別のフォルダを指定して
        // What it needs, and honestly where it was tried.
        "\x81\xa1 \x93\xae\x8d\xec\x8a\xc2\x8b\xab",  // ■ 動作環境
        "Windows 10", "Windows 11",
        "Windows \x82\xc5\x82\xcd\x8a\x6d\x94\x46\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81\x42",  // Windows では確認していません。
        // The first start of an unsigned download: SmartScreen's way past,
        // and unblocking the zip before unpacking it, in Windows' own words.
        "PC \x82\xaa\x95\xdb\x8c\xec\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd",  // PC が保護されました
        "\x81\x75\x8f\xda\x8d\xd7\x8f\xee\x95\xf1\x81\x76",  // 「詳細情報」
        "\x81\x75\x8e\xc0\x8d\x73\x81\x76",  // 「実行」
        "\x81\x75\x83\x76\x83\x8d\x83\x70\x83\x65\x83\x42\x81\x76",  // 「プロパティ」
        "\x81\x75\x8b\x96\x89\xc2\x82\xb7\x82\xe9\x81\x76",  // 「許可する」
        // The licence by name and holder, and no warranty.
        "\x81\xa1 \x92\x98\x8d\xec\x8c\xa0\x81\x45\x96\xc6\x90\xd3",  // ■ 著作権・免責
        "MIT License", "Copyright (c) 2026 the SettingPyxet authors",
        "\x8d\xec\x8e\xd2\x82\xcd\x90\xd3\x94\x43\x82\xf0",  // 作者は責任を
        // The history, with an entry for this version and the first.
        "\x81\xa1 \x97\x9a\x97\xf0",  // ■ 履歴
        "\r\n" PYXET_VERSION "\r\n\x81\x45", "\r\n1.0.0\r\n\x81\x45",  // VERSION, then a line starting ・
    };
    for (const std::string& text : wanted) {
        EXPECT_NE(std::string::npos, Readme.find(text)) << "does not contain " << Utf8FromCp932(text);
    }
}

}  // namespace
