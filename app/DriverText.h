#pragma once
// The one conversion between the driver's 8-bit strings (serial numbers and descriptions in
// the FIFO chip's EEPROM) and the window's text. A name read by Search must reach FT_OpenEx
// byte for byte, so both directions use the same character set: Latin-1 on Linux, where the
// driver hands the EEPROM's bytes through, and the system code page on Windows, as the
// driver's ANSI functions use it.
#include <QString>
#include <string>

QString FromDriverText(const std::string& bytes);
// Characters the character set lacks become '?', which matches no board.
std::string ToDriverText(const QString& text);
