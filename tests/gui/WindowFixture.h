#pragma once
#include <QApplication>
#include <QList>
#include <QTemporaryDir>
#include <memory>

#include "app/CDownloadDlg.h"
#include "res/ControlIds.h"
#include "support/RecordingMessageSink.h"

// The eleven buttons SetButtonStates governs, and those left enabled with no board connected.
inline const QList<int> kOperationButtons = {IDC_SEARCH, IDC_CONNECT, IDC_WRITE_VERSION, IDC_OPEN,
                                             IDC_VIEW, IDC_BLANK_CHECK, IDC_ERASE, IDC_PROGRAM,
                                             IDC_VERIFY, IDC_READ, IDC_EXIT};
inline const QList<int> kIdleButtons = {IDC_SEARCH, IDC_CONNECT, IDC_OPEN, IDC_EXIT};

// A fresh main window over the emulator's default bus, with its own empty settings folder
// and its messages caught instead of shown.
class WindowFixture {
public:
    explicit WindowFixture(const std::string& driverLibrary = D2xxBinding::DefaultLibraryName());
    ~WindowFixture();

    // Opens the window again over the same settings folder, as a second start would.
    void Restart(const std::string& driverLibrary = D2xxBinding::DefaultLibraryName());

    CDownloadDlg& Window() { return *window_; }
    template <typename Control = QWidget>
    Control* Find(int id) const
    {
        return window_->findChild<Control*>(QString::number(id));
    }
    void Click(int id) const;
    bool IsEnabled(int id) const { return Find(id)->isEnabled(); }
    bool IsChecked(int id) const;
    QList<int> Enabled(const QList<int>& ids = kOperationButtons) const;
    // What a line edit, label or button shows.
    QString Text(int id) const { return Find(id)->property("text").toString(); }
    void SetText(int id, const QString& text) const { Find(id)->setProperty("text", text); }
    QString ProfileValue(const char* key) const;
    void SetProfileValue(const char* key, const QString& value) const;

    RecordingMessageSink sink;

private:
    QTemporaryDir settingsFolder_;
    std::unique_ptr<CDownloadDlg> window_;
};
