#include "ostrel/consumer_reports.h"

#include <algorithm>
#include <cstdio>

#include "ostrel/hid_framing.h"

namespace velkor {

namespace {

struct Tally {
  int slot_bits = 0;     // 0 until a slot field is seen; -1 once sizes were mixed
  int slots = 0;
  bool count_known = true;
  bool bitmap = false;
};

// bits 0: a slot of unknown size.
void AddSlots(Tally& t, int bits, uint16_t count) {
  if (bits != 0 && t.slot_bits == 0) t.slot_bits = bits;
  if (bits != 0 && t.slot_bits != bits) t.slot_bits = -1;
  if (count == 0) t.count_known = false;
  t.slots += count;
}

}  // namespace

ConsumerLayout ConsumerLayoutFrom(const HidCollection& collection) {
  std::map<uint8_t, Tally> by_id;
  for (const HidFieldCaps& f : collection.input) {
    Tally& t = by_id[f.report_id];
    if (f.button && f.array) {
      // Button capabilities carry no size; a code slot is 16 bits unless
      // told otherwise below.
      AddSlots(t, 0, f.report_count);
    } else if (!f.button && (f.bit_size == 8 || f.bit_size == 16)) {
      AddSlots(t, f.bit_size, f.report_count == 0 ? 1 : f.report_count);
    } else {
      t.bitmap = true;
    }
  }
  ConsumerLayout layout;
  const int data_bytes = collection.input_length > 0 ? collection.input_length - 1 : 0;
  for (const auto& [id, t] : by_id) {
    ConsumerReportLayout r;
    r.id = id;
    // Array slots of unknown size take the size of the value slots beside
    // them; alone, one byte only when the interface's one report is exactly
    // that long, else 16 bits.
    int bits = t.slot_bits;
    const bool mixed = bits < 0;
    if (bits == 0) {
      bits = by_id.size() == 1 && t.count_known && t.slots > 0 && data_bytes == t.slots ? 8 : 16;
    }
    if (t.bitmap || mixed) {
      r.bitmap = true;
    } else {
      r.slot_bytes = static_cast<uint8_t>(bits / 8);
      int slots = t.count_known ? t.slots : data_bytes / r.slot_bytes;
      if (collection.input_length > 0) slots = std::min(slots, data_bytes / r.slot_bytes);
      r.slots = static_cast<uint16_t>(std::max(slots, 0));
      if (r.slots == 0) continue;
    }
    layout.reports.push_back(r);
  }
  return layout;
}

std::string DescribeConsumerLayout(const ConsumerLayout& layout) {
  if (layout.reports.empty()) return "common layout (report ID, one 16-bit code)";
  std::string text;
  for (const auto& r : layout.reports) {
    char part[96];
    if (r.bitmap) {
      std::snprintf(part, sizeof part, "report %02X: bitmap", r.id);
    } else {
      std::snprintf(part, sizeof part, "report %02X: %u slot%s of %u bits", r.id, r.slots,
                    r.slots == 1 ? "" : "s", r.slot_bytes * 8u);
    }
    if (!text.empty()) text += "; ";
    text += part;
  }
  return text;
}

ConsumerDecoder::ConsumerDecoder(ConsumerLayout layout) : layout_(std::move(layout)) {}

std::vector<uint16_t> ConsumerDecoder::Decode(std::span<const uint8_t> report,
                                              const PressedUsages& pressed) {
  if (report.empty()) return {};
  const auto layout = std::find_if(layout_.reports.begin(), layout_.reports.end(),
                                   [&](const ConsumerReportLayout& r) { return r.id == report[0]; });
  if (layout == layout_.reports.end()) {
    // Unknown layout, or a report the capabilities did not name: the common one.
    const auto code = ConsumerCodeFromInput(report.data(), report.size());
    return code ? std::vector<uint16_t>{*code} : std::vector<uint16_t>{};
  }
  std::vector<uint16_t> codes;
  if (layout->bitmap) {
    if (pressed) codes = pressed();
    codes.erase(std::remove(codes.begin(), codes.end(), uint16_t{0}), codes.end());
  } else {
    for (size_t i = 0; i < layout->slots; ++i) {
      const size_t at = 1 + i * layout->slot_bytes;
      if (at + layout->slot_bytes > report.size()) break;
      const uint16_t code = layout->slot_bytes == 2
                                ? static_cast<uint16_t>(report[at] | (report[at + 1] << 8))
                                : report[at];
      if (code != 0) codes.push_back(code);
    }
    if (layout->slots == 1) {
      held_[layout->id] = codes;
      return codes;
    }
  }
  std::vector<uint16_t>& held = held_[layout->id];
  std::vector<uint16_t> fresh;
  for (const uint16_t code : codes) {
    const bool was_held = std::find(held.begin(), held.end(), code) != held.end();
    const bool already = std::find(fresh.begin(), fresh.end(), code) != fresh.end();
    if (!was_held && !already) fresh.push_back(code);
  }
  held = std::move(codes);
  return fresh;
}

}  // namespace velkor
