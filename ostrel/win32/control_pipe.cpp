#include "ostrel/win32/control_pipe.h"

#include <vector>

#include "platform/win32/library_loader.h"

namespace velkor {

namespace {
constexpr DWORD kAnswerLimit = 4 * 1024 * 1024;

// Runs one overlapped operation to its end, or until stop; true when it
// succeeded. started is what the call that began it returned.
bool Complete(HANDLE pipe, OVERLAPPED& ov, HANDLE stop, BOOL started, DWORD& n) {
  if (!started) {
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;
    if (error != ERROR_IO_PENDING) return false;
    HANDLE waits[2] = {ov.hEvent, stop};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
      CancelIoEx(pipe, &ov);
      GetOverlappedResult(pipe, &ov, &n, TRUE);
      return false;
    }
  }
  return GetOverlappedResult(pipe, &ov, &n, FALSE) != FALSE;
}
}  // namespace

std::wstring ControlPipeName() {
  std::wstring name = EnvironmentValue(L"KBEMU_PIPE");
  if (name.empty()) name = kDefaultControlPipe;
  return name;
}

std::wstring ControlPipePath() { return L"\\\\.\\pipe\\" + ControlPipeName(); }

std::wstring RunningEmulatorMutexName() { return L"Local\\VelkorEmulatorRunning_" + ControlPipeName(); }

ControlPipeServer::~ControlPipeServer() { Stop(); }

bool ControlPipeServer::Start(const std::wstring& path, Handler handler) {
  path_ = path;
  handler_ = std::move(handler);
  stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stop_) return false;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void ControlPipeServer::Stop() {
  if (stop_) SetEvent(stop_.get());
  if (thread_.joinable()) thread_.join();
}

void ControlPipeServer::Serve() {
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) return;
  // One instance of the pipe serves every connection in turn, so the name
  // never disappears between two clients (a client finding it busy waits).
  UniqueHandle pipe;
  while (!pipe) {
    HANDLE raw = CreateNamedPipeW(path_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT |
                                      PIPE_REJECT_REMOTE_CLIENTS,
                                  1, kAnswerLimit, 64 * 1024, 0, nullptr);
    if (raw != INVALID_HANDLE_VALUE) {
      pipe.reset(raw);
      break;
    }
    // Another program's emulator has the channel: try again later.
    if (WaitForSingleObject(stop_.get(), 1000) != WAIT_TIMEOUT) return;
  }
  while (WaitForSingleObject(stop_.get(), 0) == WAIT_TIMEOUT) {
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    ResetEvent(event.get());
    DWORD n = 0;
    if (!Complete(pipe.get(), ov, stop_.get(), ConnectNamedPipe(pipe.get(), &ov), n)) {
      DisconnectNamedPipe(pipe.get());
      continue;
    }
    // One command a connection; a command longer than the buffer is refused.
    std::vector<char> request(64 * 1024);
    ResetEvent(event.get());
    std::string answer;
    if (Complete(pipe.get(), ov, stop_.get(),
                 ReadFile(pipe.get(), request.data(), static_cast<DWORD>(request.size()), &n, &ov), n)) {
      try {
        answer = handler_(std::string(request.data(), n));
      } catch (...) {
        answer = "error: the emulator could not run that command\n";
      }
    } else {
      answer = "error: the command was not read\n";
    }
    if (answer.size() > kAnswerLimit) answer.resize(kAnswerLimit);
    ResetEvent(event.get());
    Complete(pipe.get(), ov, stop_.get(),
             WriteFile(pipe.get(), answer.data(), static_cast<DWORD>(answer.size()), &n, &ov), n);
    FlushFileBuffers(pipe.get());
    DisconnectNamedPipe(pipe.get());
  }
}

bool SendControlCommand(const std::wstring& path, const std::string& command, std::string& answer) {
  std::vector<char> buffer(kAnswerLimit);
  DWORD n = 0;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (CallNamedPipeW(path.c_str(), const_cast<char*>(command.data()),
                       static_cast<DWORD>(command.size()), buffer.data(),
                       static_cast<DWORD>(buffer.size()), &n, 2000)) {
      answer.assign(buffer.data(), n);
      return true;
    }
    const DWORD error = GetLastError();
    // Busy with another client, or between two connections: try again.
    if (error != ERROR_PIPE_BUSY && error != ERROR_SEM_TIMEOUT && error != ERROR_PIPE_NOT_CONNECTED) {
      return false;
    }
    Sleep(50);
  }
  return false;
}

}  // namespace velkor
