// Choosing the board: the Open-by radios, the search box and its profile keys, Search.
#include "app/CDownloadDlg.h"
#include "app/SettingsProfile.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

void CDownloadDlg::OnOpenBy(int method)
{
    static constexpr int kRadioIds[] = {IDC_SERIAL, IDC_DESCRIPTION, IDC_DEVICE_NUMBER};
    // The Open-by radios act in help mode too, after their description.
    if (helpMode_)
        ShowHelpText(HelpLines(kRadioIds[method]));
    SettingsProfile::WriteInteger(SettingsProfile::kKeyOpenMethod, method);
    UpdateData(true);
    searchText_ = SettingsProfile::ReadText(SettingsProfile::SearchTextKey(method),
                                            SettingsProfile::SearchTextDefault(method));
    UpdateData(false);
    RepaintNow();
}

void CDownloadDlg::SaveSearchText()
{
    UpdateData(true);
    if (const char* key = SettingsProfile::SearchTextKey(openMethod_))
        SettingsProfile::WriteText(key, searchText_);
    UpdateData(false);
    RepaintNow();
}

void CDownloadDlg::OnSearch()
{
    if (helpMode_) {
        ShowHelpText(HelpLines(IDC_SEARCH));
        return;
    }
}
