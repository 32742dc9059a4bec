// What the two push buttons do.
#include "settings/setting_file.h"
#include "settings/setting_record.h"
#include "ui/main_window.h"

namespace {

const char Caption[] = "Setting Pyxet";
const char SavedText[] = "設定を保存しました。";
const char FailedText[] = "設定の保存に失敗しました。";

// Points the setting of radio button `index` at that button's value.
void ChooseValueOf(int index)
{
    switch (index) {
    case 0: Setting.QC = Setting.QCOn; break;
    case 1: Setting.QC = Setting.QCOff; break;
    case 2: Setting.SelectNewWindow(0); break;  // all
    case 3: Setting.SelectNewWindow(1); break;  // non
    case 4: Setting.SelectNewWindow(2); break;  // first
    case 5: Setting.Title = Setting.TitleAll; break;
    case 6: Setting.Title = Setting.TitleQuick; break;
    case 7: Setting.Movie = Setting.MovieOn; break;
    case 8: Setting.Movie = Setting.MovieOff; break;
    case 9: Setting.PrintP = Setting.PrintPOn; break;
    case 10: Setting.PrintP = Setting.PrintPOff; break;
    default: break;
    }
}

}  // namespace

void SaveCommand(HWND window)
{
    // A group with no checked button keeps its current choice.
    for (int i = 0; i < RadioButtonCount; ++i) {
        if (SendMessageA(RadioButtons[i], BM_GETCHECK, 0, 0) == BST_CHECKED) ChooseValueOf(i);
    }
    // Never write into another folder than the one the user named.
    if (!WorkingFolderEntered || !SaveSettingFile()) {
        MessageBoxA(window, FailedText, Caption, MB_OK);
        return;  // the window stays: choose again, retry or cancel
    }
    MessageBoxA(window, SavedText, Caption, MB_OK);
    PostQuitMessage(0);
}

void CancelCommand()
{
    PostQuitMessage(0);
}
