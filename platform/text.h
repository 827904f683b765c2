// Small text helpers shared by the portable core: UTF-8/UTF-16 conversion,
// ASCII case folding and the integer reading the INI files rely on.
#pragma once

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

// Spaces and tabs removed from both ends.
std::u16string_view TrimBlanks(std::u16string_view text);

}  // namespace velkor
