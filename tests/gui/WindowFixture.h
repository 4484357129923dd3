#pragma once
#include <QApplication>
#include <QTemporaryDir>
#include <memory>

#include "app/CDownloadDlg.h"
#include "support/RecordingMessageSink.h"

// A fresh main window over the emulator's default bus, with its own empty settings folder
// and its messages caught instead of shown.
class WindowFixture {
public:
    explicit WindowFixture(const std::string& driverLibrary = D2xxBinding::DefaultLibraryName());
    ~WindowFixture();

    // Opens the window again over the same settings folder, as a second start would.
    void Restart(const std::string& driverLibrary = D2xxBinding::DefaultLibraryName());

    CDownloadDlg& Window() { return *window_; }
    template <typename Control>
    Control* Find(int id) const
    {
        return window_->findChild<Control*>(QString::number(id));
    }
    void Click(int id) const;
    bool IsEnabled(int id) const;
    QString ProfileValue(const char* key) const;
    void SetProfileValue(const char* key, const QString& value) const;

    RecordingMessageSink sink;

private:
    QTemporaryDir settingsFolder_;
    std::unique_ptr<CDownloadDlg> window_;
};
