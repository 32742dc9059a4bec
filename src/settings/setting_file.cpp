#include "settings/setting_file.h"

#include "settings/setting_record.h"

#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace {

// Every line ends CR LF on disk. "%c" takes LF, as it always has; the CR
// before it is the one a Windows text-mode stream would add. Writing it
// ourselves through a binary stream gives the same bytes on every platform.
const char LineEnd = '\n';

// This file is compiled with -fexec-charset=CP932, so the legend reaches the
// file as Shift_JIS. The full-width colons all start at byte 21 of their line.
const char Header[] = "[pyxet Ver5.50] \r%c";
const char Rule[] = "-------------------------------------------- \r%c";
const char* const Legend[] = {
    "QC = on, off 　　　　：クイックモードでのコピー有無 \r%c",
    "NW = first, all, non ：新規ウィンドウの有無 \r%c",
    "Title = quick, all   ：タイトルバー変更の有無 \r%c",
    "Movie = on, off      ：動画の読み込みの有無 \r%c",
    "PrintP = on, off     ：印刷用ページの作成の有無 \r%c",
};
const char EndMarker[] = "eof!\r%c";

struct ValueLine {
    const char* format;
    char* SettingRecord::*choice;
};

const ValueLine ValueLines[] = {
    {"QC=%s\r%c", &SettingRecord::QC},
    {"NW=%s\r%c", &SettingRecord::NW},
    {"Title=%s\r%c", &SettingRecord::Title},
    {"Movie=%s\r%c", &SettingRecord::Movie},
    {"PrintP=%s\r%c", &SettingRecord::PrintP},
};

// Writes all thirteen lines, one formatted write each; false on the first
// write the stream reports as failed.
bool WriteLines(FILE* file)
{
    if (fprintf(file, Header, LineEnd) < 0) return false;
    for (const ValueLine& line : ValueLines) {
        if (fprintf(file, line.format, Setting.*line.choice, LineEnd) < 0) return false;
    }
    if (fprintf(file, Rule, LineEnd) < 0) return false;
    for (const char* line : Legend) {
        if (fprintf(file, line, LineEnd) < 0) return false;
    }
    return fprintf(file, EndMarker, LineEnd) >= 0;
}

// Opens pyxet.ini so that no other writer gets in until it is closed: a
// second copy of the program saving at the same moment would otherwise
// truncate the file between this open and its writes, and the file would
// end as neither save. Its open then fails instead, before it truncates
// anything. Readers (a viewer, the companion) may still open the file.
FILE* OpenKeepingWritersOut(const char* mode)
{
#ifdef _WIN32
    return _fsopen("pyxet.ini", mode, _SH_DENYWR);
#else
    return fopen("pyxet.ini", mode);  // no share modes to ask for here
#endif
}

// fflush only hands the bytes to the system's file cache: a power cut or a
// USB stick pulled a moment later could still leave the file empty. Saved
// means on the disk, so the cache is flushed to it first (on Windows
// _commit is FlushFileBuffers).
bool FlushToDisk(FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

}  // namespace

bool SaveSettingFile()
{
    // "wb" creates or truncates. A failed open leaves an existing file as it was.
    Setting.File = OpenKeepingWritersOut("wb");
    if (Setting.File == nullptr) return false;

    // The buffer usually holds the whole file, so a full disk shows only at the
    // flush; the close is checked too.
    bool written = WriteLines(Setting.File) && fflush(Setting.File) == 0 && FlushToDisk(Setting.File);
    bool closed = fclose(Setting.File) == 0;
    return written && closed;
}
