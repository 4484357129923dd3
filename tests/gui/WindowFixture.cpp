#include "WindowFixture.h"

#include <QAbstractButton>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include "app/SettingsProfile.h"
#include "emulator/EmulatorControl.h"

WindowFixture::WindowFixture(const std::string& driverLibrary)
{
    QCoreApplication::setApplicationName(QStringLiteral("Quillet1"));
#if defined(Q_OS_WIN)
    // Windows keeps the profile in the user's local application data, whatever the environment
    // says: in Qt's test mode that is a folder of its own, emptied here. The window tests run
    // one at a time there.
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(SettingsProfile::FilePath());
#else
    qputenv("XDG_CONFIG_HOME", settingsFolder_.path().toLocal8Bit());
#endif
    EmuConfigure(nullptr);
    window_ = std::make_unique<CDownloadDlg>(sink, driverLibrary);
}

WindowFixture::~WindowFixture() = default;

void WindowFixture::Restart(const std::string& driverLibrary)
{
    window_.reset();
    sink.messages.clear();
    window_ = std::make_unique<CDownloadDlg>(sink, driverLibrary);
}

void WindowFixture::Click(int id) const { Find<QAbstractButton>(id)->click(); }

bool WindowFixture::IsChecked(int id) const { return Find<QAbstractButton>(id)->isChecked(); }

QList<int> WindowFixture::Enabled(const QList<int>& ids) const
{
    QList<int> enabled;
    for (const int id : ids)
        if (IsEnabled(id))
            enabled << id;
    return enabled;
}

QString WindowFixture::ProfileValue(const char* key) const
{
    const QSettings profile(SettingsProfile::FilePath(), QSettings::IniFormat);
    return profile.value(QStringLiteral("MyQuilletTestAp/") + key).toString();
}

void WindowFixture::SetProfileValue(const char* key, const QString& value) const
{
    QSettings profile(SettingsProfile::FilePath(), QSettings::IniFormat);
    profile.setValue(QStringLiteral("MyQuilletTestAp/") + key, value);
}
