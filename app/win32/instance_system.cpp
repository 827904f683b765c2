#include "app/win32/instance_system.h"

#include <tlhelp32.h>

#include <vector>

#include "platform/win32/wide.h"

namespace velkor {

uint32_t FindProgramProcess(const std::u16string& file_name, bool skip_self) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
    snapshot.release();
    return 0;
  }
  std::vector<ProcessEntry> processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    processes.push_back({entry.th32ProcessID, FromWide(entry.szExeFile)});
  }
  return PickProgramProcess(processes, file_name, skip_self ? GetCurrentProcessId() : 0);
}

bool NotifyProgramWindows(uint32_t process_id, WindowAction action) {
  bool met = false;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != process_id) continue;
    met = true;
    if (static_cast<uint32_t>(GetWindowLongPtrW(window, GWLP_USERDATA)) != kMainWindowMarker) continue;
    const UINT message = action == WindowAction::kShow ? kMsgShowWindow : kMsgKillProgram;
    const WPARAM tag = action == WindowAction::kShow ? kShowWindowTag : kKillProgramTag;
    // Sent synchronously; an instance that has stopped answering does not
    // hold this process forever.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, message, tag, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 10000, &answer);
    break;
  }
  return met;
}

bool Win32InstanceSystem::OpenOrCreateInstanceMutex() {
  if (HANDLE existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, W(kInstanceMutexName))) {
    mutex_.reset(existing);
    return true;
  }
  HANDLE created = CreateMutexW(nullptr, TRUE, W(kInstanceMutexName));
  const bool raced = created && GetLastError() == ERROR_ALREADY_EXISTS;
  mutex_.reset(created);
  return raced;
}

}  // namespace velkor
