// The five settings of the companion application Pyxet.exe: the values each
// may take and the one currently chosen. Knows nothing of Windows.
#pragma once

// The C headers, not <cstdio>: any libstdc++ header switches mingw-w64 to its
// own printf family, which would add some 20 KiB that the C runtime's
// fprintf makes unnecessary. The writer includes this header first.
#include <stdint.h>
#include <stdio.h>

struct SettingRecord {
    // Current choices, named after the keys of pyxet.ini. Each points into
    // this record's own value arrays of the same setting, never at a copy.
    char* QC;
    char* NW;
    char* Title;
    char* Movie;
    char* PrintP;

    // The settings-file stream while SaveSettingFile writes; meaningless
    // before the first save and after the close.
    FILE* File;

    // Each setting owns its own copy of its texts, sized exactly.
    char QCOn[3];
    char QCOff[4];
    char NWAll[4];
    char NWNon[4];
    char NWFirst[6];
    char TitleAll[4];
    char TitleQuick[6];
    char MovieOn[3];
    char MovieOff[4];
    char PrintPOn[3];
    char PrintPOff[4];

    SettingRecord();

    // 0 = "all", 1 = "non", 2 = "first"; any other index leaves NW as it is.
    void SelectNewWindow(int32_t index);

    // A copy would point into the original's arrays.
    SettingRecord(const SettingRecord&) = delete;
    SettingRecord& operator=(const SettingRecord&) = delete;
};

// The one record of the program, built with the defaults before WinMain runs.
extern SettingRecord Setting;
