// The settings window: its procedure, its radio buttons, and the commands
// of its two push buttons.
#pragma once

#include <windows.h>

// Ids of the push buttons, as WM_COMMAND reports them. The plain numbers 0
// and 1: they carry no IDOK/IDCANCEL meaning.
enum : WORD { SaveCommandId = 0, CancelCommandId = 1 };

const int RadioButtonCount = 11;

// The radio buttons, indexed 0 to 10 in creation order: QC on/off, NW
// all/non/first, Title all/quick, Movie on/off, PrintP on/off.
extern HWND RadioButtons[RadioButtonCount];

// False when the command line named a folder that could not be entered:
// saving then fails instead of writing into some other folder.
extern bool WorkingFolderEntered;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "設定": copies the checked buttons into Setting, writes pyxet.ini, reports
// the outcome and, on success, quits.
void SaveCommand(HWND window);

// "キャンセル": quits without writing anything.
void CancelCommand();
