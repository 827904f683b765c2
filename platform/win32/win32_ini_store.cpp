#include "platform/win32/win32_ini_store.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide.h"

namespace velkor {

std::u16string Win32IniStore::ReadString(const std::u16string& path, std::u16string_view section,
                                         std::u16string_view key, std::u16string_view default_text,
                                         size_t capacity) {
  if (capacity == 0) return {};
  std::vector<wchar_t> buffer(capacity, L'\0');
  const std::wstring s = ToWide(section);
  const std::wstring k = ToWide(key);
  const std::wstring d = ToWide(default_text);
  const DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), buffer.data(),
                                           static_cast<DWORD>(capacity), W(path));
  return FromWide(std::wstring_view(buffer.data(), n));
}

bool Win32IniStore::WriteString(const std::u16string& path, std::u16string_view section,
                                std::u16string_view key, std::u16string_view value) {
  const std::wstring s = ToWide(section);
  const std::wstring k = ToWide(key);
  const std::wstring v = ToWide(value);
  return WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), W(path)) != FALSE;
}

}  // namespace velkor
