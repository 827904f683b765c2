#include "ostrel/hid_framing.h"

#include <algorithm>

namespace velkor {

namespace {

char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

std::u16string Folded(std::u16string_view text) {
  std::u16string out(text);
  std::transform(out.begin(), out.end(), out.begin(), FoldAscii);
  return out;
}

bool StartsWithFolded(std::u16string_view text, std::u16string_view lower_prefix) {
  if (text.size() < lower_prefix.size()) return false;
  for (size_t i = 0; i < lower_prefix.size(); ++i) {
    if (FoldAscii(text[i]) != lower_prefix[i]) return false;
  }
  return true;
}

bool IsInterfaceField(std::u16string_view field) {
  return StartsWithFolded(field, u"mi_") || StartsWithFolded(field, u"col");
}

// Four hexadecimal digits and nothing else.
std::optional<uint16_t> Hex4(std::u16string_view digits) {
  if (digits.size() != 4) return std::nullopt;
  uint16_t value = 0;
  for (const char16_t c : digits) {
    const char16_t f = FoldAscii(c);
    int v = -1;
    if (f >= u'0' && f <= u'9') v = f - u'0';
    if (f >= u'a' && f <= u'f') v = f - u'a' + 10;
    if (v < 0) return std::nullopt;
    value = static_cast<uint16_t>(value * 16 + v);
  }
  return value;
}

}  // namespace

KeyboardInterface MatchInterface(uint16_t vendor, uint16_t product, uint16_t usage_page,
                                 uint16_t usage) {
  DeviceSelector selector = MakeSelector(usage_page, usage);
  selector.vendor = vendor;
  selector.product = product;
  return InterfaceOf(selector);
}

std::vector<uint8_t> FrameOutputReport(const uint8_t* data, size_t length, size_t report_length) {
  if (!data || length == 0 || report_length == 0 || length > report_length) return {};
  std::vector<uint8_t> frame(report_length, 0);
  std::copy(data, data + length, frame.begin());
  return frame;
}

std::vector<uint8_t> CommandReplyFromInput(const uint8_t* report, size_t length) {
  if (!report || length == 0) return {};
  std::vector<uint8_t> reply(kCommandReportLength, 0);
  std::copy(report, report + std::min(length, kCommandReportLength), reply.begin());
  return reply;
}

std::optional<uint16_t> ConsumerCodeFromInput(const uint8_t* report, size_t length) {
  if (!report || length < 3) return std::nullopt;
  const auto code = static_cast<uint16_t>(report[1] | (report[2] << 8));
  if (code == 0) return std::nullopt;
  return code;
}

int CountKeyboards(std::span<const KeyboardInterfaceEntry> entries, KeyboardInterface kind) {
  std::vector<std::u16string> devices;
  for (const auto& entry : entries) {
    if (entry.kind == kind) devices.push_back(Folded(entry.device));
  }
  std::sort(devices.begin(), devices.end());
  return static_cast<int>(std::unique(devices.begin(), devices.end()) - devices.begin());
}

bool IsUsbInterfaceNode(std::u16string_view device_id) {
  const size_t start = device_id.find(u'\\');
  if (start == std::u16string_view::npos) return false;
  std::u16string_view hardware = device_id.substr(start + 1);
  hardware = hardware.substr(0, hardware.find(u'\\'));
  while (!hardware.empty()) {
    const size_t amp = hardware.find(u'&');
    if (StartsWithFolded(hardware.substr(0, amp), u"mi_")) return true;
    if (amp == std::u16string_view::npos) break;
    hardware.remove_prefix(amp + 1);
  }
  return false;
}

std::u16string DeviceKeyFromPath(std::u16string_view path) {
  const std::u16string lower = Folded(path);
  const size_t start = lower.find(u'#');
  if (start == std::u16string::npos) return lower;
  const size_t end = std::min(lower.find(u'#', start + 1), lower.size());
  // Cut before the first interface field of the hardware part, with its '&'.
  size_t field = start + 1;
  while (field < end) {
    const size_t amp = std::min(lower.find(u'&', field), end);
    const std::u16string_view name = std::u16string_view(lower).substr(field, amp - field);
    if (field > start + 1 && IsInterfaceField(name)) return lower.substr(0, field - 1);
    field = amp + 1;
  }
  return lower.substr(0, end);
}

std::optional<std::pair<uint16_t, uint16_t>> VendorProductFromPath(std::u16string_view path) {
  const size_t start = path.find(u'#');
  if (start == std::u16string_view::npos) return std::nullopt;
  std::u16string_view hardware = path.substr(start + 1);
  hardware = hardware.substr(0, hardware.find(u'#'));
  std::optional<uint16_t> vendor;
  std::optional<uint16_t> product;
  while (!hardware.empty()) {
    const size_t amp = hardware.find(u'&');
    const std::u16string_view field = hardware.substr(0, amp);
    if (StartsWithFolded(field, u"vid_")) vendor = Hex4(field.substr(4));
    if (StartsWithFolded(field, u"pid_")) product = Hex4(field.substr(4));
    if (amp == std::u16string_view::npos) break;
    hardware.remove_prefix(amp + 1);
  }
  if (!vendor || !product) return std::nullopt;
  return std::make_pair(*vendor, *product);
}

std::vector<int> CountEvents(std::span<const KeyboardPresence> before,
                             std::span<const KeyboardPresence> after) {
  const auto contains = [](std::span<const KeyboardPresence> set, const KeyboardPresence& k) {
    return std::find(set.begin(), set.end(), k) != set.end();
  };
  int stayed = 0;
  for (const auto& k : before) stayed += contains(after, k) ? 1 : 0;
  std::vector<int> events;
  if (stayed < static_cast<int>(before.size())) events.push_back(stayed);
  if (stayed < static_cast<int>(after.size())) events.push_back(static_cast<int>(after.size()));
  return events;
}

}  // namespace velkor
