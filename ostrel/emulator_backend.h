// The emulator behind the service library: the keyboard emulator with its
// latency model, kept in a state file between runs like a real keyboard's
// memory.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "emulator/keyboard_emulator.h"
#include "ostrel/service_backend.h"

namespace velkor {

struct EmulatorOptions {
  std::string state_path;  // empty: nothing is loaded or saved
};

class EmulatorBackend : public ServiceBackend {
 public:
  explicit EmulatorBackend(EmulatorOptions options);
  ~EmulatorBackend() override;

  bool Start(BackendSink* sink) override;
  void Stop() override;
  int DeviceCount(const DeviceSelector& selector) override;
  int WriteReport(const DeviceSelector& selector, const uint8_t* data, size_t length) override;
  std::string Control(const std::string& command_line) override;

  // Saves the state now when it changed (at process exit; never blocks).
  void SaveIfChangedNoWait();

 private:
  void Deliver(const std::vector<KeyboardEvent>& events);
  void SaveLocked();
  void SaverLoop();

  EmulatorOptions options_;
  std::mutex mutex_;
  KeyboardEmulator emulator_;
  BackendSink* sink_ = nullptr;
  std::thread saver_;
  std::condition_variable saver_signal_;
  bool stopping_ = false;
};

// Reads and writes the state file. Loading a missing or unreadable file, or
// one that is not a whole state, leaves the emulator in its factory state.
bool LoadEmulatorState(KeyboardEmulator& emulator, const std::string& path);
bool SaveEmulatorState(const KeyboardEmulator& emulator, const std::string& path);

}  // namespace velkor
