#include "ostrel/emulator_backend.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "device/commands.h"
#include "emulator/control.h"
#include "ostrel/service_library.h"
#include "platform/atomic_file.h"
#include "platform/text.h"

namespace velkor {

namespace fs = std::filesystem;

namespace {
fs::path PathOf(const std::string& utf8) { return fs::path(Utf8ToUtf16(utf8)); }
}  // namespace

bool LoadEmulatorState(KeyboardEmulator& emulator, const std::string& path) {
  // A state is well under a megabyte; anything far larger is not one.
  std::error_code ec;
  const auto size = fs::file_size(PathOf(path), ec);
  if (ec || size > 32u * 1024 * 1024) return false;
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return emulator.RestoreState(bytes);
}

bool SaveEmulatorState(const KeyboardEmulator& emulator, const std::string& path) {
  const fs::path file = PathOf(path);
  std::error_code ec;
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  const std::vector<uint8_t> bytes = emulator.SaveState();
  return WriteFileAtomically(file.u16string(), bytes.data(), bytes.size());
}

EmulatorBackend::EmulatorBackend(EmulatorOptions options) : options_(std::move(options)) {}

EmulatorBackend::~EmulatorBackend() { Stop(); }

bool EmulatorBackend::Start(BackendSink* sink) {
  std::lock_guard lock(mutex_);
  sink_ = sink;
  if (!options_.state_path.empty()) {
    if (!LoadEmulatorState(emulator_, options_.state_path)) emulator_.Reset();
    stopping_ = false;
    saver_ = std::thread([this] { SaverLoop(); });
  }
  return true;
}

void EmulatorBackend::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    sink_ = nullptr;
  }
  saver_signal_.notify_all();
  if (saver_.joinable()) saver_.join();
  std::lock_guard lock(mutex_);
  SaveLocked();
}

void EmulatorBackend::SaveLocked() {
  if (options_.state_path.empty() || !emulator_.dirty()) return;
  if (SaveEmulatorState(emulator_, options_.state_path)) emulator_.MarkSaved();
}

void EmulatorBackend::SaveIfChangedNoWait() {
  std::unique_lock lock(mutex_, std::try_to_lock);
  if (lock.owns_lock()) SaveLocked();
}

void EmulatorBackend::SaverLoop() {
  // Changes reach the state file within a fifth of a second.
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    saver_signal_.wait_for(lock, std::chrono::milliseconds(200));
    SaveLocked();
  }
}

int EmulatorBackend::DeviceCount(const DeviceSelector& selector) {
  std::lock_guard lock(mutex_);
  return InterfaceOf(selector) != KeyboardInterface::kNone && emulator_.attached() ? 1 : 0;
}

void EmulatorBackend::Deliver(const std::vector<KeyboardEvent>& events) {
  BackendSink* sink = nullptr;
  {
    std::lock_guard lock(mutex_);
    sink = sink_;
  }
  if (!sink) return;
  std::chrono::microseconds delay{0};
  for (const KeyboardEvent& e : events) {
    delay += e.delay;
    if (e.kind == KeyboardEvent::Kind::kConsumerCode) {
      sink->ConsumerCode(e.code, delay);
    } else {
      sink->DeviceCountChanged(e.count);
    }
  }
}

int EmulatorBackend::WriteReport(const DeviceSelector& selector, const uint8_t* data, size_t length) {
  const KeyboardInterface target = InterfaceOf(selector);
  if (target == KeyboardInterface::kLed) {
    std::lock_guard lock(mutex_);
    if (!emulator_.attached()) return 0;
    emulator_.HandleLedReport(data, length);
    return 1;
  }
  if (target != KeyboardInterface::kCommand) return 0;
  std::chrono::microseconds out_latency;
  {
    std::lock_guard lock(mutex_);
    if (!emulator_.attached()) return 0;
    out_latency = emulator_.latency.to_keyboard;
  }
  // The report takes one frame to reach the keyboard; the reply one frame to
  // come back from the moment it arrived (the firmware's own work is not
  // modelled, so logging here costs the exchange nothing).
  PreciseWaitUntil(std::chrono::steady_clock::now() + out_latency);
  const auto arrived = std::chrono::steady_clock::now();
  RequestOutcome outcome;
  std::chrono::microseconds back_latency;
  BackendSink* sink = nullptr;
  bool end_of_access = false;
  {
    std::lock_guard lock(mutex_);
    outcome = emulator_.HandleCommandReport(data, length);
    back_latency = emulator_.latency.to_host;
    sink = sink_;
    end_of_access = length > 3 && data[3] == kCmdEndAccess;
  }
  // A bracketed change goes to disk as soon as the program closes the access.
  if (end_of_access) saver_signal_.notify_all();
  if (outcome.refused) return 0;
  if (outcome.reply && sink) {
    const auto spent = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - arrived);
    sink->InputReport(KeyboardInterface::kCommand,
                      std::vector<uint8_t>(outcome.reply->begin(), outcome.reply->end()),
                      std::max(back_latency - spent, std::chrono::microseconds(0)) + outcome.reply_delay);
  }
  Deliver(outcome.events);
  return 1;
}

std::string EmulatorBackend::Control(const std::string& command_line) {
  std::vector<KeyboardEvent> events;
  std::string answer;
  {
    std::lock_guard lock(mutex_);
    answer = RunControlCommand(emulator_, SplitWords(command_line), events);
  }
  Deliver(events);
  return answer;
}

}  // namespace velkor
