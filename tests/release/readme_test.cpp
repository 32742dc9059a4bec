// The readme.txt the release zip ships, which Notepad must show as it is
// under any system locale: UTF-8 with a byte-order mark, CR LF after every
// line, the first lines in ASCII, and the keys, values, defaults, messages
// and steps a user looks for.
#include <gtest/gtest.h>

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

const std::string Bom = "\xef\xbb\xbf";
const std::string Readme = ReadBytes(PYXET_README);

TEST(Readme, IsUtf8WithByteOrderMarkAndCrLfThroughout)
{
    ASSERT_FALSE(Readme.empty()) << PYXET_README " is missing or empty";
    size_t lines = 0;
    for (size_t i = 0; i < Readme.size(); ++i) {
        if (Readme[i] == '\n') ++lines;
        const bool crLf = Readme[i] == '\r' && i + 1 < Readme.size() && Readme[i + 1] == '\n';
        ASSERT_TRUE((Readme[i] != '\r' || crLf) && (Readme[i] != '\n' || (i > 0 && Readme[i - 1] == '\r')))
            << "a line end that is not CR LF at byte " << i;
    }
    EXPECT_EQ("\r\n", Readme.substr(Readme.size() - 2)) << "the last line does not end in CR LF";
    EXPECT_EQ(0u, Readme.rfind(Bom + "SettingPyxet " PYXET_VERSION "\r\n", 0))
        << "does not start with a byte-order mark and SettingPyxet " PYXET_VERSION;
    // Whatever Notepad makes of the rest, the opening paragraph says in ASCII what this is and how to fix the locale.
    const std::string head = Readme.substr(Bom.size(), Readme.find("\r\n\r\n") - Bom.size());
    EXPECT_TRUE(std::all_of(head.begin(), head.end(), [](char c) { return (c & 0x80) == 0; }))
        << "the opening paragraph is not all ASCII";
    EXPECT_NE(std::string::npos, head.find("Change system locale")) << "the opening paragraph does not say how";

    // Nothing lost or changed on the way: without the mark and CRs, it is the source again.
    std::string source = ReadBytes(PYXET_README_SOURCE);
    for (size_t at; (at = source.find("@PROJECT_VERSION@")) != std::string::npos;) {
        source.replace(at, 17, PYXET_VERSION);  // every one: the zip's name holds it too
    }
    std::string text = Readme.substr(Bom.size());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_EQ(source, text) << "is not " PYXET_README_SOURCE " with a byte-order mark and CR LF";
}

TEST(Readme, NamesEveryValueMessageAndFile)
{
    const char* wanted[] = {
        u8"QC=on", u8"QC=off（既定値）", u8"NW=all", u8"NW=non", u8"NW=first（既定値）", u8"Title=all",
        u8"Title=quick（既定値）", u8"Movie=on", u8"Movie=off（既定値）", u8"PrintP=on", u8"PrintP=off（既定値）",
        u8"設定を保存しました。", u8"設定の保存に失敗しました。", u8"「キャンセル」", u8"pyxet.ini", u8"Pyxet.exe",
        u8"SHA256SUMS", u8"BUILDINFO.txt", u8"LICENSE.txt",
        // Explorer hides extensions: the files by the names a user sees.
        u8"「SettingPyxet」（SettingPyxet.exe、種類「アプリ", u8"「pyxet」（種類「構成設定」）",
        // SHA256SUMS shows damage, not tampering: the zip's own hash is the check.
        u8"書き換えられていないことまでは分かりません", "certutil -hashfile SettingPyxet-" PYXET_VERSION ".zip SHA256",
        // Why the window's texts can be garbled, and the way to the fix in both Windows.
        u8"システム ロケールが日本語でないとき", u8"Unicode UTF-8 を使用", u8"「言語と地域」",
        u8"「管理」タブの「システム ロケールの変更」", u8"管理者の権限",
        // A command-line folder the code page cannot spell fails the save, and what to do then.
        u8"Windows の日本語のコードページ（932）にない\r\n  文字", u8"別のフォルダーを指定して",
        // The folder is entered once, at start: its causes need a restart; Windows' limit, and Wine's.
        u8"「キャンセル」で終了し、直してからもう一度起動して", u8"Windows の上限の 258 文字より長い",
        u8"MAX_PATH − 2 の 258 文字まで（Wine では 260 文字まで）",
        // What real Windows does to a save: a hidden or system file, which Explorer shows only with protected
        // files shown, Controlled folder access in Windows Security's own labels, a full disk's short file.
        u8"attrib -r -s -h pyxet.ini\r\n", u8"「保護されたオペレーティング シス\r\n  テム ファイルを表示しない」",
        u8"「コントロールされたフォルダー アクセス」", u8"「Windows セキュリティ」→「ウイルスと脅威の防止」→",
        u8"「ランサムウェア防止の管理」→", u8"「アプリをコントロールされたフォルダー アクセスで許可する」",
        u8"「許可されたアプリを追加する」", u8"途中までしか書かれていなかったり",
        // Under Program Files: the route that writes the real file, and the VirtualStore copy that shadows it.
        u8"■ Pyxet.exe が Program Files の中にあるとき", u8"「管理者として実行」",
        "%LOCALAPPDATA%\\VirtualStore\\Program Files (x86)\\Pyxet\r\n", u8"そちらが先に\r\n読まれて",
        // Where a folder-less start writes, and a folder named instead.
        "SettingPyxet.exe C:\\Tools\\Pyxet\r\n", u8"「作業フォルダー」", u8"「リンク先」", u8"別の名前でコピー",
        // What the zip holds, what it needs, and honestly where it was tried.
        u8"■ ファイル構成", u8"Pyxet Ver5.50", u8"Pyxet.exe は含まれていません", u8"■ 動作環境と制限", "Windows 10",
        "Windows 11", u8"Windows では確認していません。", u8"125% などの画面と Arm 版の Windows では、未確認",
        u8"マウスで行います",
        // An unsigned download, Smart App Control, which has no way past, and the download mark's prompt on a share.
        u8"デジタル署名", u8"青いウィンドウ", u8"「スマート アプリ コントロール」", u8"「アプリ\r\n  & ブラウザー コントロール」",
        u8"「開いているファイル - セキュリティの警告」", u8"ネットワーク上の共有フォルダー", u8"PC が保護されました",
        u8"「プロパティ」",
        // The licence by name and holder, and no warranty.
        u8"■ 著作権・免責", u8"MIT License", u8"Copyright (c) 2026 the SettingPyxet authors", u8"無保証です",
        // The history, with a dated entry for this version and the first.
        u8"■ 履歴", "\r\n" PYXET_VERSION u8"（20", u8"片方が書き込んでいる間", u8"\r\n1.0.0（2026/12/07）\r\n・",
    };
    for (const char* text : wanted) {
        EXPECT_NE(std::string::npos, Readme.find(text)) << "does not contain " << text;
    }
}

// The way from the download to a saved file, as a user reads it: each step's first mention comes after the one
// before, so no step sends the reader ahead.
TEST(Readme, TellsTheWayToASavedFileInOrder)
{
    const char* steps[] = {
        u8"「許可する」",                               // unblock the zip
        u8"「すべて展開」",                             // extract it
        "certutil -hashfile SettingPyxet.exe SHA256",   // check the program where it now is
        u8"を、「Pyxet」と同じこのフォルダー",          // place it beside Pyxet.exe
        u8"「SettingPyxet」をダブルクリック",           // run it
        u8"「詳細情報」", u8"「実行」",                 // past SmartScreen
        u8"五つの項目すべてで、使いたいほうを確かめて選び",  // choose all five, every time
        u8"「設定」",
    };
    size_t previous = 0;
    for (const char* step : steps) {
        const size_t at = Readme.find(step);
        EXPECT_TRUE(at != std::string::npos && at >= previous) << step << " is missing or comes before the step before it";
        if (at != std::string::npos) previous = at;
    }
}

}  // namespace
