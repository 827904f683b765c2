// Loads a DLL from the program's own folder or the system folder only, never
// from the current directory or the search path.
#pragma once

#include <windows.h>

#include <string>

#include "device/hid_service/binding.h"

namespace velkor {

class Win32ModuleLoader : public ModuleLoader {
 public:
  explicit Win32ModuleLoader(std::wstring file_name) : file_name_(std::move(file_name)) {}
  bool Load() override;
  void* Resolve(const char* name) override;

 private:
  std::wstring file_name_;
  HMODULE module_ = nullptr;  // never freed: the library stays for the whole run
};

// An environment variable of the process (as set now, not as the C runtime
// copied it at start), or empty.
std::wstring EnvironmentValue(const wchar_t* name);

}  // namespace velkor
