#pragma once
#include <QString>

// The program's settings profile: Quillet1.INI (named after the executable) in the user's
// configuration folder, section "MyQuilletTestAp". Every value is read when it is needed
// and written at once; nothing is cached, so a second running copy sees each change.
namespace SettingsProfile {

inline constexpr char kKeyOpenMethod[] = "ProgSerDesc";
inline constexpr char kKeySerialString[] = "ProgSerialString";
inline constexpr char kKeyDescriptionString[] = "ProgDescString";
inline constexpr char kKeyDeviceNumber[] = "ProgDevNmbr";
inline constexpr char kKeyHexFilePath[] = "MyfilenamePath";

// The full path of the profile file.
QString FilePath();

int ReadInteger(const char* key, int defaultValue);
void WriteInteger(const char* key, int value);
QString ReadText(const char* key, const QString& defaultValue);
void WriteText(const char* key, const QString& value);

// The search-text key and its default for an Open-by method (0 serial number,
// 1 description, 2 device number); nullptr key for any other method.
const char* SearchTextKey(int openMethod);
QString SearchTextDefault(int openMethod);

} // namespace SettingsProfile
