// Choosing the board: the Open-by radios, the search box and its profile keys, Search.
#include <QPushButton>

#include "app/CDownloadDlg.h"
#include "app/DriverText.h"
#include "app/CTargetSelectDlg.h"
#include "app/SettingsProfile.h"
#include "help/HelpTexts.h"
#include "link/DeviceSelection.h"
#include "link/MessageSink.h"
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
    // Search always leaves the device closed and the window not connected.
    SetButtonStates(BUTTONS_NONE);
    driver_.Close();
    ShowStatus("Not Connected");
    static_cast<QPushButton*>(Control(IDC_CONNECT))->setText(QStringLiteral("Connect"));
    connected_ = false;

    DWORD count = 0;
    if (CountDevices(driver_, count) != FT_OK) {
        messages_.ShowMessage("FT_ListDevices failed");
        SetButtonStates(BUTTONS_ALL);
        return;
    }
    const int listMethod = openMethod_;
    if (count == 0) {
        // Shown only: the stored text of the method stays for the next start.
        UpdateData(true);
        searchText_ = QStringLiteral("No devices attached");
        UpdateData(false);
        RepaintNow();
        SetButtonStates(BUTTONS_ALL);
        return;
    }

    const auto chooseDevice = [this](DWORD listed, const QStringList& devices) {
        QStringList lines{QStringLiteral("%1 device(s) attached:").arg(listed)};
        lines << devices;
        CTargetSelectDlg dialog(lines, selectedDevice_, this);
        dialog.exec(); // after Esc the previous choice goes into the search box
        UpdateData(true);
        searchText_ = selectedDevice_;
        UpdateData(false);
        RepaintNow();
    };
    if (listMethod == OPEN_BY_DEVICE_NUMBER) {
        QStringList numbers;
        for (DWORD number = 0; number < count; ++number)
            numbers << QString::number(number);
        // Stored only when the user next edits the box.
        chooseDevice(count, numbers);
    } else if (listMethod == OPEN_BY_SERIAL_NUMBER || listMethod == OPEN_BY_DESCRIPTION) {
        std::vector<std::string> names;
        switch (ListDeviceNames(driver_, listMethod, count, names)) {
        case DEVICE_LIST_OK: {
            QStringList devices;
            for (const std::string& name : names)
                devices << FromDriverText(name);
            chooseDevice(count, devices);
            SaveSearchText();
            break;
        }
        case DEVICE_LIST_FAILED:
            messages_.ShowMessage("ListDevices failed");
            break;
        case DEVICE_LIST_COUNT_FAILED:
            break;
        }
    }
    SetButtonStates(BUTTONS_ALL);
}
