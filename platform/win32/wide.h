// The boundary between the core's UTF-16 texts and the platform's wide
// strings (both two bytes a character on Windows).
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Win32 layer needs two-byte wchar_t");

namespace velkor {

inline const wchar_t* W(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// The full path of a module's file (the program's own when module is null).
std::u16string ModulePath(void* module = nullptr);

}  // namespace velkor
