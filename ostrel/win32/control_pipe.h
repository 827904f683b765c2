// The emulator's control channel: a named pipe on which each connection sends
// one command line and reads one answer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "platform/win32/handles.h"

namespace velkor {

inline constexpr wchar_t kDefaultControlPipe[] = L"Velkor_kbemu";

// The name from KBEMU_PIPE, or the default name; and its full pipe path.
std::wstring ControlPipeName();
std::wstring ControlPipePath();
// A mutex a running emulator holds, so that kbemu never edits the saved state
// behind a running emulator's back.
std::wstring RunningEmulatorMutexName();

class ControlPipeServer {
 public:
  using Handler = std::function<std::string(const std::string&)>;
  ~ControlPipeServer();
  bool Start(const std::wstring& path, Handler handler);
  void Stop();

 private:
  void Serve();
  std::wstring path_;
  Handler handler_;
  UniqueHandle stop_;
  std::thread thread_;
};

// Sends one command to a running emulator. Nothing when no emulator serves
// the channel.
bool SendControlCommand(const std::wstring& path, const std::string& command, std::string& answer);

}  // namespace velkor
