// The parts of the HID back end that need no Windows: which of the
// keyboard's interfaces a HID collection is, the buffers handed to WriteFile
// and taken from ReadFile, which paths are worth a look, how attached
// keyboards are counted and which count changes a change of them gives.
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

// The consumer code of an input report in the common layout of the consumer
// interface: [report ID][code, low byte first]... None when the report is
// too short or the code is 0 (the key was released), neither of which is
// delivered. Other layouts: ConsumerDecoder (consumer_reports.h).
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

// The vendor and product a HID interface path names in its hardware part
// ("\\?\hid#vid_0c45&pid_6741&mi_01&col02#..."), read without regard to
// case; nothing when the path does not name them that way (a Bluetooth or
// other bus's path), and the interface must then be asked.
std::optional<std::pair<uint16_t, uint16_t>> VendorProductFromPath(std::u16string_view path);

// One attached keyboard as the announced count sees it: the physical device
// and which opening of it (a keyboard unplugged and plugged in again, or
// reset, is opened anew and is another keyboard to the program).
struct KeyboardPresence {
  std::u16string device;
  uint64_t opening = 0;
  bool operator==(const KeyboardPresence&) const = default;
};

// The count changes to announce when the attached keyboards go from before
// to after: the count after the removals when any keyboard went, then the
// new count when any arrived. A keyboard replaced between two looks thus
// gives a removal and an arrival although the count is the same.
std::vector<int> CountEvents(std::span<const KeyboardPresence> before,
                             std::span<const KeyboardPresence> after);

}  // namespace velkor
