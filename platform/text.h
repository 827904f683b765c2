// Small text helpers shared by the portable core: UTF-8/UTF-16 conversion,
// ASCII case folding and the integer reading the INI files rely on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Case-insensitive comparison the way the platform compares INI section and
// key names for the texts this program uses (ASCII letters fold).
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// Reads a decimal number the way the C library's wide atoi does: leading
// blanks, an optional sign, then digits; no digits gives 0.
int ParseLeadingInt(std::u16string_view text);

std::u16string DecimalText(int value);

// Puts a number into the first integer directive of a text from a language
// file: %x, %X, %d, %i or %u, with an optional '0' flag and a width (at most
// 32). %d and %i show it signed; %u, %x and %X as an unsigned 32-bit number,
// the way the C library shows an int. "%%" is a percent sign. Any other
// directive, and every directive after the first, is kept as written, so a
// translated text can never read a value that is not there.
std::u16string FormatFirstInteger(std::u16string_view text, int64_t value);

// Spaces and tabs removed from both ends.
std::u16string_view TrimBlanks(std::u16string_view text);

}  // namespace velkor
