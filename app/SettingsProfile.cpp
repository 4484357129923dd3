#include "app/SettingsProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace SettingsProfile {

namespace {

constexpr char kSection[] = "MyQuilletTestAp";

QString QualifiedKey(const char* key) { return QString(kSection) + '/' + key; }

// The leading decimal integer of a text, as private-profile readers take it ("12abc" is
// 12); the default when there is no digit at all.
int LeadingInteger(const QString& text, int defaultValue)
{
    const QString trimmed = text.trimmed();
    int end = 0;
    if (end < trimmed.size() && (trimmed[end] == '-' || trimmed[end] == '+'))
        ++end;
    const int digitsStart = end;
    while (end < trimmed.size() && trimmed[end].isDigit() && end - digitsStart < 9)
        ++end;
    if (end == digitsStart)
        return defaultValue;
    return trimmed.left(end).toInt();
}

} // namespace

QString FilePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(folder).filePath(QCoreApplication::applicationName() + ".INI");
}

int ReadInteger(const char* key, int defaultValue)
{
    const QSettings profile(FilePath(), QSettings::IniFormat);
    const QVariant value = profile.value(QualifiedKey(key));
    return value.isValid() ? LeadingInteger(value.toString(), defaultValue) : defaultValue;
}

void WriteInteger(const char* key, int value)
{
    QSettings profile(FilePath(), QSettings::IniFormat);
    profile.setValue(QualifiedKey(key), QString::number(value));
    profile.sync();
}

QString ReadText(const char* key, const QString& defaultValue)
{
    const QSettings profile(FilePath(), QSettings::IniFormat);
    return profile.value(QualifiedKey(key), defaultValue).toString();
}

void WriteText(const char* key, const QString& value)
{
    QSettings profile(FilePath(), QSettings::IniFormat);
    profile.setValue(QualifiedKey(key), value);
    profile.sync();
}

const char* SearchTextKey(int openMethod)
{
    switch (openMethod) {
    case 0: return kKeySerialString;
    case 1: return kKeyDescriptionString;
    case 2: return kKeyDeviceNumber;
    default: return nullptr;
    }
}

QString SearchTextDefault(int openMethod)
{
    switch (openMethod) {
    case 0: return QStringLiteral("Enter Device Serial Number here.");
    case 1: return QStringLiteral("Enter Device Description here.");
    default: return QStringLiteral("0");
    }
}

} // namespace SettingsProfile
