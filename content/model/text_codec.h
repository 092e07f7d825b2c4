#pragma once
// UTF-16 string helpers, the legacy code-page codec (iconv; CP936 unless configured)
// and locale-independent number formatting. All return values; nothing is shared.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ledsuite {

// ---- char16_t strings -------------------------------------------------------

// Length of a NUL-terminated UTF-16 text, looking at no more than `max` units.
size_t U16Len(const char16_t* s, size_t max = SIZE_MAX);
// The text of a fixed-size UTF-16 field (up to its first NUL or its end).
std::u16string U16FromField(const char16_t* field, size_t cap);
// Copies into a fixed-size field, cut to cap-1 units (never inside a surrogate pair),
// always NUL-terminated, the rest zeroed.
void U16ToField(char16_t* field, size_t cap, std::u16string_view text);
// ASCII (or Latin-1) bytes widened unit by unit.
std::u16string U16FromAscii(std::string_view s);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

// The code point at s[i] (i < s.size()), advancing i past it; a lone surrogate
// stands for itself.
char32_t NextCodePoint(std::u16string_view s, size_t& i);

std::u16string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u16string_view text);
// As Utf8ToWide; empty means "no character" (the caller treats it as none).
std::u16string Utf8ToWideAlloc(std::string_view utf8);

// ---- legacy code page -------------------------------------------------------

// The system code page used for files, servers and the card ("CP936" by default;
// LEDSUITE_CODEPAGE overrides it at start). Any iconv name is accepted.
void SetLegacyCodePage(const std::string& name);
std::string LegacyCodePage();

// Bytes in `codepage` (the legacy one when empty) to UTF-16; invalid bytes become U+FFFD.
std::u16string AnsiToWide(std::string_view bytes, const std::string& codepage = {});
std::u16string AnsiToWideAlloc(std::string_view bytes);
// As AnsiToWide, cut at 1024 units.
std::u16string AnsiToWideStatic(std::string_view bytes);
// UTF-16 to the code page; characters it cannot hold become '?'.
std::string WideToAnsi(std::u16string_view text, const std::string& codepage = {});
// Into a fixed destination: zero-filled, cut at whole characters (a double-byte
// character never split), always NUL-terminated when size > 0. Returns bytes written.
size_t WideToAnsi(std::u16string_view text, char* dest, size_t size);
// One character's bytes in the code page; empty when it cannot be represented.
std::string CharToAnsi(char32_t cp, const std::string& codepage = {});

// ---- numbers (C locale, whatever setlocale says) ----------------------------

std::u16string FormatIntStatic(int value);
// "%lf" of the value widened to double: six decimals, '.' as the point.
std::u16string FormatDoubleStatic(float value);
std::string FormatDouble(double value, int decimals);

// True when the path has at least 4 units and ends in ".TXT", ASCII case ignored.
bool HasTxtExtension(const char16_t* path);

}  // namespace ledsuite
