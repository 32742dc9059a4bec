#include "settings/setting_record.h"

#include <string.h>

SettingRecord Setting;

namespace {

// The array and the text must have the same size, NUL included.
template <size_t N>
void CopyText(char (&array)[N], const char (&text)[N])
{
    memcpy(array, text, N);
}

}  // namespace

SettingRecord::SettingRecord()
{
    CopyText(QCOn, "on");
    CopyText(QCOff, "off");
    CopyText(NWAll, "all");
    CopyText(NWNon, "non");
    CopyText(NWFirst, "first");
    CopyText(TitleAll, "all");
    CopyText(TitleQuick, "quick");
    CopyText(MovieOn, "on");
    CopyText(MovieOff, "off");
    CopyText(PrintPOn, "on");
    CopyText(PrintPOff, "off");

    QC = QCOff;
    NW = NWFirst;
    Title = TitleQuick;
    Movie = MovieOff;
    PrintP = PrintPOff;
}

void SettingRecord::SelectNewWindow(int32_t index)
{
    switch (index) {
    case 0: NW = NWAll; break;
    case 1: NW = NWNon; break;
    case 2: NW = NWFirst; break;
    default: break;  // out of range: keep the current choice
    }
}
