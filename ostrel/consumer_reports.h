// The codes the keyboard's own keys send on its consumer interface, read
// the way the interface's capabilities lay its input reports out. The
// common layout (report ID, then one 16-bit code) needs no capabilities;
// others come as arrays of several code slots, or as one bit a usage.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "ostrel/hid_device_layer.h"

namespace velkor {

// One input report of the consumer interface.
struct ConsumerReportLayout {
  uint8_t id = 0;          // 0: the interface numbers no reports (the byte before the data is 0)
  uint16_t slots = 0;      // code slots after the report ID, each a usage number
  uint8_t slot_bytes = 2;  // 1 or 2, low byte first
  bool bitmap = false;     // fields of one bit a usage: the platform's parser reads the report
  bool operator==(const ConsumerReportLayout&) const = default;
};

struct ConsumerLayout {
  // Empty when the capabilities say nothing usable: the common layout.
  std::vector<ConsumerReportLayout> reports;
};

// The layout from the consumer interface's input capabilities. Array fields
// and 8- or 16-bit value fields are code slots (1 byte a slot only when the
// interface's one report is that long); a report with a one-bit-a-usage
// field, or with slots of mixed sizes, is read by the platform's parser.
// Slots beyond the interface's input report length are dropped.
ConsumerLayout ConsumerLayoutFrom(const HidCollection& collection);

// "report 02: 1 slot of 16 bits; report 03: bitmap", or "common layout".
std::string DescribeConsumerLayout(const ConsumerLayout& layout);

// Turns the interface's input reports into the codes to deliver.
class ConsumerDecoder {
 public:
  using PressedUsages = std::function<std::vector<uint16_t>()>;
  explicit ConsumerDecoder(ConsumerLayout layout = {});

  // The codes one input report delivers, in the report's order. Every
  // non-zero slot counts, whatever the field's declared maximum (the
  // keyboard's own codes lie above it). A report of one slot delivers its
  // code every time, as the common layout always has; in a report of several
  // slots, or a bitmap, a code delivers when it was not in the previous
  // report of the same ID, so a key held while another is pressed is not
  // delivered twice. pressed is asked for bitmap reports only.
  std::vector<uint16_t> Decode(std::span<const uint8_t> report, const PressedUsages& pressed);

 private:
  ConsumerLayout layout_;
  std::map<uint8_t, std::vector<uint16_t>> held_;
};

}  // namespace velkor
