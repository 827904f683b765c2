#include "platform/win32/library_loader.h"

#include <vector>

#include "app/startup_facts.h"
#include "platform/win32/wide.h"

namespace velkor {

bool Win32ModuleLoader::Load() {
  module_ = LoadLibraryExW(file_name_.c_str(), nullptr,
                           LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module_ && GetLastError() == ERROR_INVALID_PARAMETER) {
    // A system without the search flags: name the two folders ourselves.
    const std::wstring own = ToWide(FolderOf(ModulePath())) + file_name_;
    module_ = LoadLibraryExW(own.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module_) {
      wchar_t system[MAX_PATH] = {};
      const UINT n = GetSystemDirectoryW(system, MAX_PATH);
      if (n > 0 && n < MAX_PATH) {
        const std::wstring path = std::wstring(system) + L"\\" + file_name_;
        module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
      }
    }
  }
  return module_ != nullptr;
}

void* Win32ModuleLoader::Resolve(const char* name) {
  if (!module_) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(module_, name));
}

std::wstring EnvironmentValue(const wchar_t* name) {
  const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::vector<wchar_t> buffer(n);
  const DWORD got = GetEnvironmentVariableW(name, buffer.data(), n);
  if (got == 0 || got >= n) return {};
  return std::wstring(buffer.data(), got);
}

}  // namespace velkor
