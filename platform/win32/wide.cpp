#include "platform/win32/wide.h"

#include <windows.h>

#include <vector>

namespace velkor {

std::u16string ModulePath(void* module) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), buffer.data(),
                                       static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return FromWide(std::wstring_view(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace velkor
