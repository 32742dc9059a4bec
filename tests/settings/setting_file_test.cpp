#include "settings/setting_file.h"
#include "settings/setting_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

// The legend lines as the companion reads them: Shift_JIS, CR LF. Written as
// bytes so that they do not depend on how this file is compiled.
const char* const LegendLines[] = {
    // "QC = on, off 　　　　：クイックモードでのコピー有無 "
    "QC = on, off \x81\x40\x81\x40\x81\x40\x81\x40\x81\x46"
    "\x83\x4e\x83\x43\x83\x62\x83\x4e\x83\x82\x81\x5b\x83\x68\x82\xc5\x82\xcc"
    "\x83\x52\x83\x73\x81\x5b\x97\x4c\x96\xb3 \r\n",
    // "NW = first, all, non ：新規ウィンドウの有無 "
    "NW = first, all, non \x81\x46"
    "\x90\x56\x8b\x4b\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xcc\x97\x4c\x96\xb3 \r\n",
    // "Title = quick, all   ：タイトルバー変更の有無 "
    "Title = quick, all   \x81\x46"
    "\x83\x5e\x83\x43\x83\x67\x83\x8b\x83\x6f\x81\x5b\x95\xcf\x8d\x58\x82\xcc\x97\x4c\x96\xb3 \r\n",
    // "Movie = on, off      ：動画の読み込みの有無 "
    "Movie = on, off      \x81\x46"
    "\x93\xae\x89\xe6\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xcc\x97\x4c\x96\xb3 \r\n",
    // "PrintP = on, off     ：印刷用ページの作成の有無 "
    "PrintP = on, off     \x81\x46"
    "\x88\xf3\x8d\xfc\x97\x70\x83\x79\x81\x5b\x83\x57\x82\xcc\x8d\xec\x90\xac\x82\xcc\x97\x4c\x96\xb3 \r\n",
};

struct Choices { const char* qc; const char* nw; const char* title; const char* movie; const char* printp; };

std::string ExpectedFile(const Choices& c)
{
    std::string text = "[pyxet Ver5.50] \r\n";
    text += std::string("QC=") + c.qc + "\r\n";
    text += std::string("NW=") + c.nw + "\r\n";
    text += std::string("Title=") + c.title + "\r\n";
    text += std::string("Movie=") + c.movie + "\r\n";
    text += std::string("PrintP=") + c.printp + "\r\n";
    text += std::string(44, '-') + " \r\n";
    for (const char* line : LegendLines) text += line;
    text += "eof!\r\n";
    return text;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> SplitAfterCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end + 2 - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));  // an unterminated tail
    return lines;
}

// Every test writes in a folder of its own and starts from the defaults.
class SettingFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(PYXET_SCRATCH_DIR) / info->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        previous_ = fs::current_path();
        fs::current_path(folder_);
        Setting.QC = Setting.QCOff;
        Setting.SelectNewWindow(2);
        Setting.Title = Setting.TitleQuick;
        Setting.Movie = Setting.MovieOff;
        Setting.PrintP = Setting.PrintPOff;
    }
    void TearDown() override { fs::current_path(previous_); }

    fs::path folder_;
    fs::path previous_;
};

TEST_F(SettingFile, DefaultsMatchTheGoldenCopy)
{
    ASSERT_TRUE(SaveSettingFile());
    const std::string written = ReadBytes("pyxet.ini");
    const std::string golden = ReadBytes(fs::path(PYXET_TEST_DATA) / "pyxet-defaults.ini");
    ASSERT_EQ(369u, golden.size()) << "golden copy damaged";
    EXPECT_EQ(369u, written.size());
    EXPECT_EQ(golden, written);
    EXPECT_EQ(ExpectedFile({"off", "first", "quick", "off", "off"}), written);
}

TEST_F(SettingFile, LinesHaveTheirLengthsAndEndInCrLf)
{
    ASSERT_TRUE(SaveSettingFile());
    const std::vector<std::string> lines = SplitAfterCrLf(ReadBytes("pyxet.ini"));
    const size_t expected[] = {18, 8, 10, 13, 11, 12, 47, 54, 46, 48, 46, 50, 6};
    ASSERT_EQ(std::size(expected), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(expected[i], lines[i].size()) << "line " << i + 1;
        EXPECT_EQ("\r\n", lines[i].substr(lines[i].size() - 2)) << "line " << i + 1;
        EXPECT_EQ(lines[i].find('\n'), lines[i].size() - 1) << "stray LF in line " << i + 1;
    }
    EXPECT_EQ(LegendLines[0], lines[7]);
    EXPECT_EQ(LegendLines[4], lines[11]);
}

TEST_F(SettingFile, EveryCombinationWritesItsValues)
{
    const char* const qcTexts[] = {"on", "off"};
    const char* const nwTexts[] = {"all", "non", "first"};
    const char* const titleTexts[] = {"all", "quick"};
    const char* const onOff[] = {"on", "off"};

    size_t smallest = SIZE_MAX, largest = 0, cases = 0;
    for (int qc = 0; qc < 2; ++qc)
    for (int nw = 0; nw < 3; ++nw)
    for (int title = 0; title < 2; ++title)
    for (int movie = 0; movie < 2; ++movie)
    for (int printp = 0; printp < 2; ++printp) {
        Setting.QC = qc == 0 ? Setting.QCOn : Setting.QCOff;
        Setting.SelectNewWindow(nw);
        Setting.Title = title == 0 ? Setting.TitleAll : Setting.TitleQuick;
        Setting.Movie = movie == 0 ? Setting.MovieOn : Setting.MovieOff;
        Setting.PrintP = printp == 0 ? Setting.PrintPOn : Setting.PrintPOff;
        ASSERT_TRUE(SaveSettingFile());
        const std::string written = ReadBytes("pyxet.ini");
        EXPECT_EQ(ExpectedFile({qcTexts[qc], nwTexts[nw], titleTexts[title], onOff[movie], onOff[printp]}), written)
            << "QC=" << qcTexts[qc] << " NW=" << nwTexts[nw] << " Title=" << titleTexts[title]
            << " Movie=" << onOff[movie] << " PrintP=" << onOff[printp];
        smallest = std::min(smallest, written.size());
        largest = std::max(largest, written.size());
        ++cases;
    }
    EXPECT_EQ(48u, cases);
    EXPECT_EQ(362u, smallest);
    EXPECT_EQ(369u, largest);
}

TEST_F(SettingFile, SecondSaveLeavesNoOldBytes)
{
    WriteBytes("pyxet.ini", std::string(1000, 'x') + "\r\n");
    ASSERT_TRUE(SaveSettingFile());
    Setting.SelectNewWindow(0);
    ASSERT_TRUE(SaveSettingFile());
    EXPECT_EQ(ExpectedFile({"off", "all", "quick", "off", "off"}), ReadBytes("pyxet.ini"));
}

// Whether this process still has pyxet.ini of the working folder open.
bool FileStillOpen()
{
#ifdef _WIN32
    // Windows refuses a handle without sharing while any other is open.
    HANDLE only = CreateFileA("pyxet.ini", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (only == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(only);
    return false;
#else
    const fs::path file = fs::absolute("pyxet.ini");
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(fd.path(), error) == file) return true;
    }
    return false;
#endif
}

// A save leaves the file closed: an open handle would keep the companion
// from replacing or deleting pyxet.ini while the window stays open.
TEST_F(SettingFile, SaveLeavesTheFileClosed)
{
    ASSERT_TRUE(SaveSettingFile());
    EXPECT_FALSE(FileStillOpen());
}

TEST_F(SettingFile, FolderNamedLikeTheFileFailsAndIsLeftAlone)
{
    fs::create_directory("pyxet.ini");
    WriteBytes("pyxet.ini/inside", "keep");
    EXPECT_FALSE(SaveSettingFile());
    EXPECT_TRUE(fs::is_directory("pyxet.ini"));
    EXPECT_EQ("keep", ReadBytes("pyxet.ini/inside"));
}

// A full disk refuses the bytes; a device that takes them but keeps none
// (/dev/null) refuses only the flush to the disk: there a plain open, write
// and fflush succeed, as the row first shows.
TEST_F(SettingFile, BytesThatReachNoDiskAreReportedAsFailure)
{
    for (const char* folder : {PYXET_FULL_DISK_DIR, PYXET_NO_DISK_DIR}) {
        fs::current_path(folder);
        const bool noDisk = folder == std::string(PYXET_NO_DISK_DIR);
        FILE* plain = noDisk ? fopen("pyxet.ini", "wb") : nullptr;
        ASSERT_TRUE(!noDisk || (plain && fputs("eof!\r\n", plain) >= 0 && fflush(plain) == 0 && fclose(plain) == 0))
            << "a plain open, write and fflush already fail in " << folder << ": the flush to the disk is not shown";
        EXPECT_FALSE(SaveSettingFile()) << "nothing reached the disk in " << folder << ", yet the save reported success";
    }
}

#ifdef _WIN32
// Another program holding pyxet.ini open as the save starts. A save keeps other writers out while it writes, so it
// cannot start while one is in; a reader that lets writers in (a viewer's plain fopen) does not stop it. A failed save
// leaves the earlier bytes.
struct HeldFileRow {
    const char* name;
    DWORD access, share;
    bool saves;
};

const HeldFileRow HeldFileRows[] = {
    {"writer_sharing_nothing", GENERIC_READ | GENERIC_WRITE, 0, false},
    {"writer_sharing_all", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
    {"reader_sharing_writes", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
    {"reader_refusing_writers", GENERIC_READ, FILE_SHARE_READ, false},
};

TEST_F(SettingFile, FileHeldByAnotherProgram)
{
    for (const HeldFileRow& row : HeldFileRows) {
        SCOPED_TRACE(row.name);
        WriteBytes("pyxet.ini", "earlier\r\n");
        HANDLE held = CreateFileA("pyxet.ini", row.access, row.share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_EQ(row.saves, SaveSettingFile());
        CloseHandle(held);
        EXPECT_EQ(row.saves ? ExpectedFile({"off", "first", "quick", "off", "off"}) : "earlier\r\n",
                  ReadBytes("pyxet.ini"));
    }
}
#endif

}  // namespace
