// The parts of the Windows HID back end that need no Windows: which of the
// keyboard's interfaces a HID collection is, the buffers handed to WriteFile
// and taken from ReadFile, how attached keyboards are counted, and the
// settling of what the attach/removal poll sees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ostrel/service_backend.h"

namespace velkor {

// A command report and a command reply are 64 bytes, report ID first.
inline constexpr size_t kCommandReportLength = 64;

// Which of the keyboard's interfaces a HID top-level collection is, from its
// attributes (vendor, product) and capabilities (usage page, usage).
KeyboardInterface MatchInterface(uint16_t vendor, uint16_t product, uint16_t usage_page,
                                 uint16_t usage);

// The buffer WriteFile takes for an output report of length bytes (report ID
// first) on an interface whose output reports are report_length bytes: the
// data padded with zeros. Empty, meaning refused, when there is no data or
// it is longer than report_length, or the interface has no output report.
std::vector<uint8_t> FrameOutputReport(const uint8_t* data, size_t length, size_t report_length);

// The 64-byte reply delivered for an input report of length bytes read from
// the command interface: its first 64 bytes, padded with zeros when the
// report is shorter. Empty when nothing was read.
std::vector<uint8_t> CommandReplyFromInput(const uint8_t* report, size_t length);

// The consumer code of an input report read from the consumer interface:
// [report ID][code, low byte first]... None when the report is too short or
// the code is 0 (the key was released), neither of which is delivered.
std::optional<uint16_t> ConsumerCodeFromInput(const uint8_t* report, size_t length);

// One enumerated HID interface of the keyboard: the key of the physical
// device it belongs to (compared without regard to ASCII case) and which
// interface it is.
struct KeyboardInterfaceEntry {
  std::u16string device;
  KeyboardInterface kind = KeyboardInterface::kNone;
};

// The number of distinct physical keyboards among entries that expose an
// interface of the given kind.
int CountKeyboards(std::span<const KeyboardInterfaceEntry> entries,
                   KeyboardInterface kind = KeyboardInterface::kCommand);

// Whether a device instance identifier ("USB\VID_0C45&PID_6741&MI_01\...")
// names one interface of a composite USB device rather than the device: its
// hardware part carries an "MI_" field. The HID collections of one keyboard
// hang below different interface nodes, so grouping walks past these.
bool IsUsbInterfaceNode(std::u16string_view device_id);

// The device key used when the device tree cannot be asked: the interface
// path ("\\?\hid#vid_0c45&pid_6741&mi_01&col02#...") up to the interface
// fields (MI_, COL) of its hardware part, in lower case. Two keyboards of
// the same model are then one.
std::u16string DeviceKeyFromPath(std::u16string_view path);

// Reports a change of a polled value only once the new value has been seen
// on two consecutive polls, so interfaces that appear one by one while a
// keyboard is attached do not produce a change for each.
template <typename T>
class SettledValue {
 public:
  explicit SettledValue(T current = T()) : current_(std::move(current)) {}

  // One poll's value; returns it when it differs from the current value and
  // the previous poll saw the same, and it then becomes the current value.
  std::optional<T> Poll(const T& seen) {
    if (seen == current_) {
      candidate_.reset();
      return std::nullopt;
    }
    if (candidate_ != seen) {
      candidate_ = seen;
      return std::nullopt;
    }
    candidate_.reset();
    current_ = seen;
    return current_;
  }

  // Replaces the current value with what is actually in force (applying a
  // change may have partly failed); a change being watched stays watched.
  void Set(T current) { current_ = std::move(current); }
  const T& current() const { return current_; }

 private:
  T current_;
  std::optional<T> candidate_;
};

// The attached-keyboard count as reported: polls every 500 ms or less.
using CountDebouncer = SettledValue<int>;

}  // namespace velkor
