// A stand-in for a firmware updater, for the update dialog's tests: started,
// it writes NAME.ran beside itself (NAME.exe) and ends. The marker holds, in
// UTF-8, the folder it was started in, a line break and its arguments.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  }
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  std::wstring self(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  if (length == 0 || length >= self.size()) return 1;
  self.resize(length);
  const size_t name = self.find_last_of(L"\\/") + 1;
  const size_t dot = self.find_last_of(L'.');
  const std::wstring stem = dot != std::wstring::npos && dot > name ? self.substr(0, dot) : self;

  std::wstring folder(32768, L'\0');
  const DWORD folder_length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  folder.resize(folder_length < folder.size() ? folder_length : 0);
  const std::string text = Utf8(folder) + "\n" + Utf8(arguments ? arguments : L"");

  // Written whole under another name first, so a test never reads half of it.
  const std::wstring partial = stem + L".ran.partial";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != text.size()) return 3;
  return MoveFileExW(partial.c_str(), (stem + L".ran").c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
