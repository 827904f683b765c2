// A software keyboard that behaves like the real one's firmware: its memory
// areas, every command with its reply and status byte, checksum checking,
// boot mode, attach and removal, the keyboard's own events, a latency model,
// injected faults and a request log. Portable; no platform calls.
//
// Factory state:
//   configuration block  bytes 0-9 "VKEMU" 01 00 00 00 00 (firmware tag and
//                        version 1), active profile 0, macro capacity 0x80
//                        (16 KiB), effects 1-18 and 20
//   lighting records     each the keyboard's default record (effect 1,
//                        brightness 4, speed 1, red)
//   per-key colours      all 0
//   key maps             the built-in default layout, in all three profiles
//   default layout       the built-in default layout
//   macro memory         an empty store: 55AA, size 16, no macros
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "device/command_report.h"

namespace velkor {

enum class FaultKind { kNoReply, kWrongEcho, kStatusFF, kStatusFE, kRefuse, kLate };

struct Fault {
  FaultKind kind = FaultKind::kNoReply;
  int count = 1;         // requests it hits; -1 for every one
  int command = -1;      // only requests with this command code; -1 for any
  int after = 0;         // matching requests let through before it hits
  std::chrono::milliseconds delay{0};  // kLate: how much later than usual the reply comes
};

const char* FaultName(FaultKind kind);
std::optional<FaultKind> ParseFaultKind(const std::string& name);

struct LatencyModel {
  std::chrono::microseconds to_keyboard{1000};  // one USB frame out
  std::chrono::microseconds to_host{1000};      // one USB frame back
};

// What the keyboard sends on its own, for the caller to deliver.
struct KeyboardEvent {
  enum class Kind { kConsumerCode, kDeviceCount } kind;
  uint16_t code = 0;   // consumer code
  int count = 0;       // attached keyboards
  std::chrono::milliseconds delay{0};  // after the previous event
};

// What the keyboard does with one output report.
struct RequestOutcome {
  bool refused = false;                // the write did not go out
  std::optional<Report> reply;         // the keyboard's answer, if any
  std::vector<KeyboardEvent> events;   // e.g. leaving for boot mode
  std::chrono::microseconds reply_delay{0};  // on top of the latency (a late reply)
};

class KeyboardEmulator {
 public:
  static constexpr size_t kLightingSize = 3 * 42;
  static constexpr size_t kColoursSize = 3 * 512;
  static constexpr size_t kKeyMapsSize = 3 * 512;
  static constexpr size_t kDefaultLayoutSize = 512;
  static constexpr size_t kLogCapacity = 4000;
  static constexpr size_t kSavedLogLines = 500;

  KeyboardEmulator();

  void Reset();  // the factory state; the log and faults are kept

  // The command interface: one 64-byte output report.
  RequestOutcome HandleCommandReport(const uint8_t* report, size_t length);
  // The LED interface: the bank-flags report.
  void HandleLedReport(const uint8_t* data, size_t length);

  // The keyboard's own doings. Each returns the events it sends.
  std::vector<KeyboardEvent> Attach();
  std::vector<KeyboardEvent> Detach();
  std::vector<KeyboardEvent> PressBankKey();
  std::vector<KeyboardEvent> ChangeLightingOnKeyboard();
  std::vector<KeyboardEvent> Activity();

  bool attached() const { return attached_; }
  bool boot_mode() const { return boot_mode_; }

  // Faults.
  void AddFault(const Fault& fault) { faults_.push_back(fault); }
  void ClearFaults();
  // That share of all requests gets a fault of a random kind; with late_ms
  // above 0, replies that come late_ms late are among the kinds.
  void SetRandomFaults(uint32_t seed, int percent, int late_ms = 0);
  const std::vector<Fault>& faults() const { return faults_; }

  LatencyModel latency;

  // Memory, for inspection and tests.
  std::array<uint8_t, 44>& config() { return config_; }
  std::array<uint8_t, kLightingSize>& lighting() { return lighting_; }
  std::array<uint8_t, kColoursSize>& colours() { return colours_; }
  std::array<uint8_t, kKeyMapsSize>& keymaps() { return keymaps_; }
  std::array<uint8_t, kDefaultLayoutSize>& default_layout() { return default_layout_; }
  std::vector<uint8_t>& macros() { return macros_; }
  // The bank-flags reports received, oldest first.
  const std::vector<std::array<uint8_t, 2>>& led_reports() const { return led_reports_; }

  // The request log: every request and reply, in hex, with the command's name.
  const std::deque<std::string>& log() const { return log_; }
  void ClearLog() {
    log_.clear();
    dirty_ = true;  // the saved state keeps the newest lines too
  }
  uint64_t requests_seen() const { return sequence_; }

  // Whether anything that persists changed since the last MarkSaved.
  bool dirty() const { return dirty_; }
  void MarkSaved() { dirty_ = false; }

  // The state that survives a restart, as bytes; Restore refuses bytes that
  // are not a whole state of this format and then changes nothing.
  std::vector<uint8_t> SaveState() const;
  bool RestoreState(const std::vector<uint8_t>& bytes);

 private:
  std::optional<Fault> TakeFault(uint8_t command);
  Report Execute(const uint8_t* request, uint8_t& status_out);
  void Log(const std::string& line);

  std::array<uint8_t, 44> config_{};
  std::array<uint8_t, kLightingSize> lighting_{};
  std::array<uint8_t, kColoursSize> colours_{};
  std::array<uint8_t, kKeyMapsSize> keymaps_{};
  std::array<uint8_t, kDefaultLayoutSize> default_layout_{};
  std::vector<uint8_t> macros_;
  bool attached_ = true;
  bool boot_mode_ = false;
  std::vector<std::array<uint8_t, 2>> led_reports_;

  std::vector<Fault> faults_;
  bool random_faults_ = false;
  int random_percent_ = 0;
  int random_late_ms_ = 0;
  std::mt19937 random_;

  std::deque<std::string> log_;
  uint64_t sequence_ = 0;
  bool dirty_ = false;
};

// Text for people: a hex dump, 16 bytes a line, with offsets.
std::string HexDump(const uint8_t* data, size_t length, size_t base = 0);
std::string HexBytes(const uint8_t* data, size_t length);

}  // namespace velkor
