#include "ui/skin_layout.h"

#include <array>
#include <climits>
#include <cstdint>

#include "platform/text.h"

namespace velkor {

namespace {

constexpr size_t kScreenCapacity = 2047;
constexpr size_t kLinkCapacity = 260;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

// One "%d": blanks, an optional sign, at least one digit. Saturates.
bool ReadInt(std::u16string_view text, size_t& at, int& value) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
    negative = text[at] == u'-';
    ++at;
  }
  const size_t digits_from = at;
  int64_t magnitude = 0;
  while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
    if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (text[at] - u'0');
    ++at;
  }
  if (at == digits_from) return false;
  if (negative) {
    value = magnitude > int64_t{INT_MAX} + 1 ? INT_MIN : static_cast<int>(-magnitude);
  } else {
    value = magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
  }
  return true;
}

}  // namespace

SkinRect ParseSkinRect(std::u16string_view text) {
  std::array<int, 4> numbers{};
  size_t at = 0;
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != u',') return kMissingSkinRect;
      ++at;
    }
    if (!ReadInt(text, at, numbers[i])) return kMissingSkinRect;
  }
  return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

ImageButtonPlacement PlaceImageButton(const SkinRect& rect) {
  ImageButtonPlacement placement;
  placement.rect = rect;
  placement.source_x = rect.x;
  placement.source_y = rect.y;
  placement.enabled = !(rect.x == 1 && rect.y == 1);
  return placement;
}

std::u16string ArrowSourceKey(ArrowSide side, bool flipped, int frame_number) {
  std::u16string key = flipped ? u"UP_ARROW_" : u"DOWN_ARROW_";
  key += side == ArrowSide::kLeft ? u"LEFT" : u"RIGHT";
  key += DecimalText(frame_number);
  return key;
}

SkinFile::SkinFile(IniStore& store, std::u16string path, std::u16string folder)
    : store_(store), path_(std::move(path)), folder_(std::move(folder)) {}

SkinRect SkinFile::Rect(std::u16string_view key, std::u16string_view section) const {
  // The platform reads a missing key as "1,1,1,1,x".
  return ParseSkinRect(store_.ReadString(path_, section, key, u"1,1,1,1,x"));
}

std::u16string SkinFile::ReadScreen(std::u16string_view key, std::u16string_view default_text) const {
  return store_.ReadString(path_, kScreenSection, key, default_text, kScreenCapacity);
}

std::u16string SkinFile::FileInFolder(std::u16string_view name) const {
  std::u16string full = folder_;
  if (!full.empty() && full.back() != u'\\' && full.back() != u'/') full += u'\\';
  full += name;
  return full;
}

std::u16string SkinFile::BackgroundPath() const {
  const std::u16string name = ReadScreen(u"Main", u"");
  return name.empty() ? std::u16string() : FileInFolder(name);
}

std::u16string SkinFile::MaskPath() const {
  const std::u16string main = ReadScreen(u"Main", u"");
  const std::u16string name = ReadScreen(u"Mask", main);
  return name.empty() ? std::u16string() : FileInFolder(name);
}

std::u16string SkinFile::Link() const {
  return store_.ReadString(path_, kScreenSection, u"Link", kDefaultLink, kLinkCapacity);
}

std::optional<std::u16string> SkinFile::Label(int language, std::u16string_view key) const {
  if (language != 0 && language != 1) return std::nullopt;
  return store_.ReadString(path_, language == 0 ? u"Control_Name" : u"Control_Name1", key, u"");
}

}  // namespace velkor
