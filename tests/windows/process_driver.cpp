#include "tests/windows/process_driver.h"

#include <tlhelp32.h>

#include <vector>

#include "app/single_instance.h"
#include "app/startup_facts.h"
#include "platform/win32/wide.h"

namespace velkor::testing {

bool ChildProcess::WaitForExit(DWORD timeout_ms) const {
  return process_ && WaitForSingleObject(process_.get(), timeout_ms) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_.get(), &code);
  return code;
}

void ChildProcess::Terminate() const {
  if (process_) TerminateProcess(process_.get(), 99);
}

ChildProcess StartProgram(const std::wstring& program, const std::wstring& arguments) {
  const std::wstring folder = ToWide(FolderOf(ModulePath()));
  const std::wstring path = folder + program;
  std::wstring command = L"\"" + path + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  std::vector<wchar_t> buffer(command.begin(), command.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi)) {
    return {};
  }
  CloseHandle(pi.hThread);
  return ChildProcess(UniqueHandle(pi.hProcess), pi.dwProcessId);
}

namespace {

template <typename F>
void ForEachTopWindowOf(DWORD process_id, F f) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process_id && f(w)) return;
  }
}

template <typename F>
void ForEachProcessNamed(const std::wstring& file_name, F f) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) {
    snapshot.release();
    return;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (CompareStringOrdinal(entry.szExeFile, -1, file_name.c_str(), -1, TRUE) == CSTR_EQUAL) {
      f(entry.th32ProcessID);
    }
  }
}

}  // namespace

HWND FindMarkedWindow(DWORD process_id) {
  HWND found = nullptr;
  ForEachTopWindowOf(process_id, [&](HWND w) {
    if (static_cast<uint32_t>(GetWindowLongPtrW(w, GWLP_USERDATA)) != kMainWindowMarker) return false;
    found = w;
    return true;
  });
  return found;
}

bool HasVisibleWindow(DWORD process_id) {
  bool visible = false;
  ForEachTopWindowOf(process_id, [&](HWND w) {
    visible = IsWindowVisible(w) != FALSE;
    return visible;
  });
  return visible;
}

int CountProcesses(const std::wstring& file_name) {
  int count = 0;
  ForEachProcessNamed(file_name, [&](DWORD) { ++count; });
  return count;
}

void TerminateAll(const std::wstring& file_name) {
  ForEachProcessNamed(file_name, [](DWORD id) {
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      TerminateProcess(h, 99);
      WaitForSingleObject(h, 2000);
      CloseHandle(h);
    }
  });
}

}  // namespace velkor::testing

namespace velkor::testing {

std::string RunAndCapture(const std::wstring& program, const std::wstring& arguments, DWORD& exit_code) {
  exit_code = STILL_ACTIVE;
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &sa, 0)) return {};
  UniqueHandle reader(read_end);
  UniqueHandle writer(write_end);
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  const std::wstring folder = ToWide(FolderOf(ModulePath()));
  const std::wstring path = folder + program;
  std::wstring command = L"\"" + path + L"\" " + arguments;
  std::vector<wchar_t> buffer(command.begin(), command.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write_end;
  si.hStdError = write_end;
  si.hStdInput = nullptr;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      folder.c_str(), &si, &pi)) {
    return {};
  }
  CloseHandle(pi.hThread);
  UniqueHandle process(pi.hProcess);
  writer.reset();  // only the child holds the write end now
  std::string out;
  char chunk[4096];
  DWORD n = 0;
  while (ReadFile(reader.get(), chunk, sizeof(chunk), &n, nullptr) && n > 0) out.append(chunk, n);
  WaitForSingleObject(process.get(), 10000);
  GetExitCodeProcess(process.get(), &exit_code);
  return out;
}

ProgramCopy::ProgramCopy() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  folder_ = std::wstring(temp) + L"velkor-copy-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"\\";
  CreateDirectoryW(folder_.c_str(), nullptr);
  CreateDirectoryW((folder_ + L"Skins").c_str(), nullptr);
  const std::wstring here = ToWide(FolderOf(ModulePath()));
  CopyFileW((here + L"Skins\\language.ini").c_str(), (folder_ + L"Skins\\language.ini").c_str(), FALSE);
}

ProgramCopy::~ProgramCopy() {
  for (const wchar_t* f : {L"Skins\\language.ini", L"Velkor.exe", L"Tassel.exe", L"Ostrel.dll"}) {
    DeleteFileW((folder_ + f).c_str());
  }
  RemoveDirectoryW((folder_ + L"Skins").c_str());
  RemoveDirectoryW(folder_.c_str());
}

bool ProgramCopy::Copy(const std::wstring& from, const std::wstring& to) {
  const std::wstring here = ToWide(FolderOf(ModulePath()));
  return CopyFileW((here + from).c_str(), (folder_ + to).c_str(), FALSE) != FALSE;
}

ChildProcess ProgramCopy::Start(const std::wstring& program, const std::wstring& arguments) {
  const std::wstring path = folder_ + program;
  std::wstring command = L"\"" + path + L"\" " + arguments;
  std::vector<wchar_t> buffer(command.begin(), command.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                      &si, &pi)) {
    return {};
  }
  CloseHandle(pi.hThread);
  return ChildProcess(UniqueHandle(pi.hProcess), pi.dwProcessId);
}

}  // namespace velkor::testing
