#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Command lines and file names arrive as UTF-8 bytes, board texts as 8-bit characters; these
// tell the two apart where quillet has to.

// The length of the well-formed UTF-8 sequence at `at`, with its code point; 0 when the
// bytes there are not one (a stray byte, an overlong form, a surrogate, past U+10FFFF).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at, char32_t& codePoint);

// A text typed in UTF-8, as the characters the window's edit box would hold: one UTF-16
// unit a character, '?' for a character beyond them. A byte that starts no sequence stands
// for itself, as Latin-1, so that nothing typed goes missing.
std::u16string DecodeTypedText(std::string_view text);

// A board text (8-bit characters, as the window shows them: Latin-1) in UTF-8.
std::string Latin1ToUtf8(std::string_view text);

// A board name typed in UTF-8, as the driver's 8-bit string to open it with: Latin-1, '?' for
// a character beyond it (which matches no board). The inverse of Latin1ToUtf8.
std::string TypedTextToLatin1(std::string_view text);
