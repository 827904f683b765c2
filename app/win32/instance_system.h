// Process and window look-ups that other instances of the program rely on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/single_instance.h"
#include "platform/win32/handles.h"

namespace velkor {

// Walks the whole of the system's process list for a process whose executable file name equals file_name without regard
// to case. With skip_self, this process is passed over. 0 when none.
uint32_t FindProgramProcess(const std::u16string& file_name, bool skip_self);

// Walks the top-level windows from the top of the Z order; the first window
// of the process that carries the main-window marker is sent the action's
// message. Returns whether any window of that process was met.
bool NotifyProgramWindows(uint32_t process_id, WindowAction action);

class Win32InstanceSystem : public InstanceSystem {
 public:
  explicit Win32InstanceSystem(std::u16string program_file_name)
      : file_name_(std::move(program_file_name)) {}

  uint32_t FindOtherProgramProcess() override { return FindProgramProcess(file_name_, true); }
  bool NotifyProgramWindows(uint32_t process_id, WindowAction action) override {
    return velkor::NotifyProgramWindows(process_id, action);
  }
  bool OpenOrCreateInstanceMutex() override;

  // The mutex handle, kept open until shutdown.
  UniqueHandle TakeMutex() { return std::move(mutex_); }

 private:
  std::u16string file_name_;
  UniqueHandle mutex_;
};

}  // namespace velkor
