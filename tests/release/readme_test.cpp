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
    for (size_t at; (at = source.find("@PROJECT_VERSION@")) != std::string::npos;) {
        source.replace(at, 17, PYXET_VERSION);  // every one: the zip's name holds it too
    }
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
        // SHA256SUMS shows damage, not tampering: the zip's own hash is the check.
        "\x8f\x91\x82\xab\x8a\xb7\x82\xa6\x82\xe7\x82\xea\x82\xc4\x82\xa2\x82\xc8\x82\xa2\x82\xb1\x82\xc6\x82\xdc\x82\xc5\x82\xcd"
        "\x95\xaa\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1",  // 書き換えられていないことまでは分かりません
        "certutil -hashfile SettingPyxet-" PYXET_VERSION ".zip SHA256",
        // Why the window's texts can be garbled: the code page for
        // non-Unicode programs, and the UTF-8 beta option.
        "932", "65001", "Unicode UTF-8",
        // A folder name the code page cannot spell fails the save, and what to do then.
        "\x81\x41Windows \x82\xcc\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x52\x81\x5b\x83\x68\x83\x79\x81\x5b\x83\x57\x81\x69"
        "932\x81\x6a\x82\xc9\x82\xc8\x82\xa2\x95\xb6\x8e\x9a",  // 、Windows の日本語のコードページ（932）にない文字
        "\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x5b\x82\xcc\x96\xbc\x91\x4f\x82\xf0\x95\xcf\x82\xa6\x82\xe9\x82\xa9\x81\x41"
        "\x95\xca\x82\xcc\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x5b\x82\xf0\x8e\x77\x92\xe8\x82\xb5\x82\xc4",  // フォルダーの名前を変えるか、別のフォルダーを指定して
        // The folder is entered once, at start: its causes need a restart.
        "\x81\x75\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b\x81\x76\x82\xc5\x8f\x49\x97\xb9\x82\xb5\x81\x41"
        "\x82\xe0\x82\xa4\x88\xea\x93\x78\x8b\x4e\x93\xae\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2",  // 「キャンセル」で終了し、もう一度起動してください
        // What real Windows does to a save: a reader that keeps writers out,
        // a hidden file it will not replace, Controlled folder access on the
        // way there in Windows Security's own labels, a full disk's short file.
        "\x93\xc7\x82\xde\x82\xbd\x82\xdf\x82\xc9\x8a\x4a\x82\xa2\x82\xc4\x82\xa2\x82\xe9\x82\xbe\x82\xaf\x82\xcc\x83\x76\x83\x8d"
        "\x83\x4f\x83\x89\x83\x80\x82\xc5\x82\xe0\x81\x41\x82\xd9\x82\xa9\x82\xa9\x82\xe7\x82\xcc\x8f\x91\x82\xab\x8d\x9e\x82\xdd\x82\xf0",  // 読むために開いているだけのプログラムでも、ほかからの書き込みを
        "\x81\x75\x89\x42\x82\xb5\x83\x74\x83\x40\x83\x43\x83\x8b\x81\x76",  // 「隠しファイル」
        "\x81\x75\x83\x52\x83\x93\x83\x67\x83\x8d\x81\x5b\x83\x8b\x82\xb3\x82\xea\x82\xbd\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x5b"
        " \x83\x41\x83\x4e\x83\x5a\x83\x58\x81\x76",  // 「コントロールされたフォルダー アクセス」
        "\x81\x75Windows \x83\x5a\x83\x4c\x83\x85\x83\x8a\x83\x65\x83\x42\x81\x76\x81\xa8"
        "\x81\x75\x83\x45\x83\x43\x83\x8b\x83\x58\x82\xc6\x8b\xba\x88\xd0\x82\xcc\x96\x68\x8e\x7e\x81\x76\x81\xa8",  // 「Windows セキュリティ」→「ウイルスと脅威の防止」→
        "\x81\x75\x83\x89\x83\x93\x83\x54\x83\x80\x83\x45\x83\x46\x83\x41\x96\x68\x8e\x7e\x82\xcc\x8a\xc7\x97\x9d\x81\x76\x81\xa8",  // 「ランサムウェア防止の管理」→
        "\x81\x75\x83\x41\x83\x76\x83\x8a\x82\xf0\x83\x52\x83\x93\x83\x67\x83\x8d\x81\x5b\x83\x8b\x82\xb3\x82\xea\x82\xbd"
        "\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x5b \x83\x41\x83\x4e\x83\x5a\x83\x58\x82\xc5\x8b\x96\x89\xc2\x82\xb7\x82\xe9\x81\x76",  // 「アプリをコントロールされたフォルダー アクセスで許可する」
        "\x81\x75\x8b\x96\x89\xc2\x82\xb3\x82\xea\x82\xbd\x83\x41\x83\x76\x83\x8a\x82\xf0\x92\xc7\x89\xc1\x82\xb7\x82\xe9\x81\x76",  // 「許可されたアプリを追加する」
        "\x93\x72\x92\x86\x82\xdc\x82\xc5\x82\xb5\x82\xa9\x8f\x91\x82\xa9\x82\xea\x82\xc4\x82\xa2\x82\xc8\x82\xa9\x82\xc1\x82\xbd\x82\xe8",  // 途中までしか書かれていなかったり
        // Under Program Files the file lands in the VirtualStore: where to
        // keep the programs instead, and where a folder-less start writes.
        "\x81\xa1 \x92\x75\x82\xab\x8f\xea\x8f\x8a\x82\xc9\x82\xc2\x82\xa2\x82\xc4",  // ■ 置き場所について
        "%LOCALAPPDATA%\\VirtualStore\\Program Files (x86)\\Pyxet\\pyxet.ini", "SettingPyxet.exe C:\\Tools\\Pyxet\r\n",
        "\x81\x75\x8d\xec\x8b\xc6\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x5b\x81\x76",  // 「作業フォルダー」
        "\x81\x75\x83\x56\x83\x87\x81\x5b\x83\x67\x83\x4a\x83\x62\x83\x67\x81\x76",  // 「ショートカット」
        // Copy a hand-edited file before saving over it.
        "\x95\xca\x82\xcc\x96\xbc\x91\x4f\x82\xc5\x83\x52\x83\x73\x81\x5b",  // 別の名前でコピー
        // Garbled text: the system locale, not the display language, and
        // Windows 11's way to it.
        "\x83\x56\x83\x58\x83\x65\x83\x80 \x83\x8d\x83\x50\x81\x5b\x83\x8b\x82\xaa\x93\xfa\x96\x7b\x8c\xea\x82\xc5\x82\xcd\x82\xc8\x82\xa2\x82\xc6\x82\xab",  // システム ロケールが日本語ではないとき
        "\x81\x75\x8c\xbe\x8c\xea\x82\xc6\x92\x6e\x88\xe6\x81\x76",  // 「言語と地域」
        "\x8a\xc7\x97\x9d\x8e\xd2\x82\xcc\x8c\xa0\x8c\xc0",  // 管理者の権限
        // What the zip holds, and what it does not.
        "\x81\xa1 \x83\x74\x83\x40\x83\x43\x83\x8b\x8d\x5c\x90\xac",  // ■ ファイル構成
        "Pyxet Ver5.50", "Pyxet.exe \x82\xcd\x81\x41\x82\xb1\x82\xcc zip",  // Pyxet.exe は、この zip
        // What it needs, and honestly where it was tried.
        "\x81\xa1 \x93\xae\x8d\xec\x8a\xc2\x8b\xab",  // ■ 動作環境
        "Windows 10", "Windows 11",
        "Windows \x82\xc5\x82\xcd\x8a\x6d\x94\x46\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81\x42",  // Windows では確認していません。
        // What was not tried, where users look, and how the window is used.
        "\x8d\x82\x89\xf0\x91\x9c\x93\x78\x82\xcc\x89\xe6\x96\xca",  // 高解像度の画面
        "Windows on Arm\x81\x69" "Arm \x94\xc5\x82\xcc Windows\x81\x6a\x81\x46\x96\xa2\x8a\x6d\x94\x46",  // Windows on Arm（Arm 版の Windows）：未確認
        "\x83\x7d\x83\x45\x83\x58\x82\xc5\x8d\x73\x82\xa2\x82\xdc\x82\xb7",  // マウスで行います
        // The first start of an unsigned download (the order of its steps is
        // checked below), Smart App Control, which has no way past, and the
        // download mark's prompt that can come back, in Windows' own words.
        "\x83\x66\x83\x57\x83\x5e\x83\x8b\x8f\x90\x96\xbc",  // デジタル署名
        "\x90\xc2\x82\xa2\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45",  // 青いウィンドウ
        "\x81\x75\x83\x58\x83\x7d\x81\x5b\x83\x67 \x83\x41\x83\x76\x83\x8a \x83\x52\x83\x93\x83\x67\x83\x8d\x81\x5b\x83\x8b\x81\x76",  // 「スマート アプリ コントロール」
        "\x81\x75\x8a\x4a\x82\xa2\x82\xc4\x82\xa2\x82\xe9\x83\x74\x83\x40\x83\x43\x83\x8b - "
        "\x83\x5a\x83\x4c\x83\x85\x83\x8a\x83\x65\x83\x42\x82\xcc\x8c\x78\x8d\x90\x81\x76",  // 「開いているファイル - セキュリティの警告」
        "PC \x82\xaa\x95\xdb\x8c\xec\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd",  // PC が保護されました
        "\x81\x75\x8e\xc0\x8d\x73\x81\x76",  // 「実行」
        "\x81\x75\x83\x76\x83\x8d\x83\x70\x83\x65\x83\x42\x81\x76",  // 「プロパティ」
        // The licence by name and holder, and no warranty.
        "\x81\xa1 \x92\x98\x8d\xec\x8c\xa0\x81\x45\x96\xc6\x90\xd3",  // ■ 著作権・免責
        "MIT License", "Copyright (c) 2026 the SettingPyxet authors",
        "\x8d\xec\x8e\xd2\x82\xcd\x90\xd3\x94\x43\x82\xf0",  // 作者は責任を
        // The history, with a dated entry for this version and the first.
        "\x81\xa1 \x97\x9a\x97\xf0",  // ■ 履歴
        "\r\n" PYXET_VERSION "\x81\x69" "20",  // VERSION（20
        "\x95\xd0\x95\xfb\x82\xaa\x8f\x91\x82\xab\x8d\x9e\x82\xf1\x82\xc5\x82\xa2\x82\xe9\x8a\xd4",  // 片方が書き込んでいる間: two copies' saves no longer mix
        "\r\n1.0.0\x81\x69" "2026/12/07\x81\x6a\r\n\x81\x45",  // 1.0.0（2026/12/07）, then a line starting ・
    };
    for (const std::string& text : wanted) {
        EXPECT_NE(std::string::npos, Readme.find(text)) << "does not contain " << Utf8FromCp932(text);
    }
}

// The first start as a user goes through it: unblock the zip, extract it, then get past SmartScreen. Each
// step's first mention is the one read.
TEST(Readme, TellsTheFirstStartInOrder)
{
    const size_t unblock = Readme.find("\x81\x75\x8b\x96\x89\xc2\x82\xb7\x82\xe9\x81\x76");  // 「許可する」
    const size_t extract = Readme.find("\x81\x75\x82\xb7\x82\xd7\x82\xc4\x93\x57\x8a\x4a\x81\x76");  // 「すべて展開」
    const size_t smartScreen = Readme.find("\x81\x75\x8f\xda\x8d\xd7\x8f\xee\x95\xf1\x81\x76");  // 「詳細情報」
    EXPECT_TRUE(unblock < extract && extract < smartScreen && smartScreen != std::string::npos)
        << "not 「許可する」, 「すべて展開」, 「詳細情報」 in this order, but at bytes " << unblock << ", " << extract << ", "
        << smartScreen;
}

}  // namespace
