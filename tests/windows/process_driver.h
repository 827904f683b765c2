// Starts the program's executables from the test's own folder and watches
// them from outside, the way a user or another program sees them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32/handles.h"

namespace velkor::testing {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(UniqueHandle process, DWORD id) : process_(std::move(process)), id_(id) {}

  DWORD id() const { return id_; }
  explicit operator bool() const { return static_cast<bool>(process_); }
  // Waits up to timeout_ms; true once the process has ended.
  bool WaitForExit(DWORD timeout_ms) const;
  // The exit code, or STILL_ACTIVE while it runs.
  DWORD ExitCode() const;
  void Terminate() const;

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

// Starts PROGRAM (a file beside the test executable) with the arguments.
ChildProcess StartProgram(const std::wstring& program, const std::wstring& arguments);

// The first top-level window of the process that carries the main-window
// marker, or null.
HWND FindMarkedWindow(DWORD process_id);
// Whether the process has any visible top-level window.
bool HasVisibleWindow(DWORD process_id);
// How many processes run an executable of that file name.
int CountProcesses(const std::wstring& file_name);
// Ends every process of that file name.
void TerminateAll(const std::wstring& file_name);
// Calls done() every 20 ms until it is true or timeout_ms pass.
template <typename F>
bool WaitUntil(F done, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

}  // namespace velkor::testing

namespace velkor::testing {

// Runs a console program beside the test to its end and returns what it
// printed; exit_code gets its exit code.
std::string RunAndCapture(const std::wstring& program, const std::wstring& arguments, DWORD& exit_code);

// A folder under the temporary folder holding copies of some of the
// programs beside the test (and the Skins folder), removed at the end.
class ProgramCopy {
 public:
  ProgramCopy();
  ~ProgramCopy();
  bool Copy(const std::wstring& from, const std::wstring& to);
  const std::wstring& folder() const { return folder_; }
  ChildProcess Start(const std::wstring& program, const std::wstring& arguments);

 private:
  std::wstring folder_;
};

}  // namespace velkor::testing
