#include "model/key_codes.h"

#include <algorithm>

#include "model/key_tables_data.h"
#include "platform/text.h"

namespace velkor {

namespace {

// Callers show key names in buffers of 260 characters, terminator included.
constexpr size_t kMaxNameLength = 259;

std::u16string_view TextOf(LangKey key, const LanguageTable* language) { return TextOrBuiltIn(language, key); }

std::u16string Limited(std::u16string text) {
  if (text.size() > kMaxNameLength) {
    size_t keep = kMaxNameLength;
    // Do not leave half of a surrogate pair at the end.
    if (text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
    text.resize(keep);
  }
  return text;
}

std::u16string Digits(unsigned value, unsigned base, bool upper, size_t width, char16_t pad) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), static_cast<char16_t>(digits[value % base]));
    value /= base;
  } while (value != 0);
  if (out.size() < width) out.insert(0, width - out.size(), pad);
  return out;
}

// A row's own name: the catalog's, or the language text of a multimedia row.
std::u16string RowName(int index, const LanguageTable* language) {
  for (const MediaRow& m : MediaTable()) {
    if (KeyIndexOf(m.code) == index) return std::u16string(TextOf(m.name_key, language));
  }
  return std::u16string(CatalogRow(index).name);
}

int IndexOfNumber(uint16_t number) {
  for (int i = 0; i < kCatalogRows; ++i) {
    if (CatalogRow(i).key_number == number) return i;
  }
  return -1;
}

}  // namespace

int KeyIndexOf(KeyCode code) { return key_tables::IndexOfCode(code); }

KeyCode KeyCodeOf(int index) { return key_tables::CodeOfIndex(index); }

std::u16string KeyNameOf(KeyCode code, const LanguageTable* language) {
  std::u16string name = RowName(KeyIndexOf(code), language);
  if (name.empty()) name = FormatFirstInteger(TextOf(LangKey::UNKNOWN_KEY, language), code);
  return Limited(std::move(name));
}

uint16_t KeyNumberOf(KeyCode code) { return CatalogRow(KeyIndexOf(code)).key_number; }

KeyCode KeyOfNumber(uint16_t number) { return KeyCodeOf(IndexOfNumber(number)); }

std::u16string NameOfNumber(uint16_t number, const LanguageTable* language) {
  const int index = IndexOfNumber(number);
  return index < 0 ? std::u16string() : Limited(RowName(index, language));
}

UsageRef UsageOf(KeyCode code) {
  const uint8_t d = CatalogRow(KeyIndexOf(code)).device_code;
  if (d == 0 || d == 0xFF) return {0, 0};
  if (d >= 0x81 && d <= 0x83) return {1, d};
  if (d >= 0xC0 && d <= 0xDF) return {12, ConsumerCodeTable()[d - 0xC0]};
  return {7, d};
}

KeyCode KeyOfUsage(UsageRef usage) {
  unsigned d = 0;
  if (usage.page == 7) {
    d = usage.id;  // ids above 0xFF match no row
  } else if (usage.page == 1) {
    d = usage.id >= 0x81 && usage.id <= 0x83 ? usage.id : 0;
  } else if (usage.page == 12) {
    const auto codes = ConsumerCodeTable();
    const auto slot = std::find(codes.begin(), codes.end(), usage.id);
    d = slot == codes.end() ? 0 : 0xC0 + static_cast<unsigned>(slot - codes.begin());
  }
  for (int i = 0; i < kCatalogRows; ++i) {
    if (CatalogRow(i).device_code == d) return KeyCodeOf(i);
  }
  return 0;
}

uint8_t ModifierBitOf(KeyCode code) {
  const auto keys = key_tables::ModifierKeys();
  for (size_t bit = 0; bit < keys.size(); ++bit) {
    if (keys[bit] == code) return static_cast<uint8_t>(1u << bit);
  }
  return 0;
}

KeyCode KeyOfModifierMask(uint8_t mask) {
  const auto keys = key_tables::ModifierKeys();
  for (size_t bit = 0; bit < keys.size(); ++bit) {
    if (mask & (1u << bit)) return keys[bit];
  }
  return 0;
}

KeyCode KeyOfKeystroke(uint8_t vk, uint32_t flags) {
  const KeyCode s = static_cast<KeyCode>((flags >> 16) & 0x1FF);
  const uint8_t scan = static_cast<uint8_t>(s & 0xFF);
  const uint8_t mapped = VkMapEntry(vk);
  const KeyCode base = KeyCodeOf(mapped);
  // Right Shift is one key whether or not the system flags it extended.
  if (scan == 0x36) return 0x036;
  if (vk == 0xFF) return s;
  if (scan == 0) return base;
  const KeyCatalogRow& row = CatalogRow(KeyIndexOf(s));
  if (row.vk == vk || row.alternate_vk == vk || scan == mapped) return s;
  return base;
}

KeyCode MediaKey(int media_index) {
  return media_index >= 0 && media_index < kMediaCount ? MediaTable()[media_index].code : 0;
}

bool IsMediaKey(KeyCode code) {
  for (const MediaRow& row : MediaTable()) {
    if (row.code == code) return true;
  }
  return false;
}

uint16_t MediaUsage(int media_index) {
  return media_index >= 0 && media_index < kMediaCount ? MediaTable()[media_index].consumer_usage
                                                       : 0;
}

std::u16string MediaName(int media_index, const LanguageTable* language) {
  if (media_index < 0 || media_index >= kMediaCount) return {};
  return std::u16string(TextOf(MediaTable()[media_index].name_key, language));
}

LangKey FunctionNameKey(int function_index) {
  if (function_index < 0 || function_index >= kFunctionCount) return LangKey::kCount;
  return static_cast<LangKey>(static_cast<size_t>(LangKey::FUNC_KEY_DESC1) +
                              static_cast<size_t>(function_index));
}

std::u16string FunctionName(int function_index, const LanguageTable* language) {
  const LangKey key = FunctionNameKey(function_index);
  return key == LangKey::kCount ? std::u16string() : std::u16string(TextOf(key, language));
}

int GKeyControl(int n) { return n >= 1 && n <= kGKeyCount ? key_tables::GKeyControls()[n - 1] : 0; }

KeyCode GKeySlot(int n, int set) {
  if (n < 1 || n > kGKeyCount || set < 0 || set > 1) return 0;
  return static_cast<KeyCode>((set == 0 ? 0x1FF : 0x208) + n);
}

uint16_t GIdentityCode(int slot_index) {
  const int first = 0x100;  // the key index of G1, set 0
  if (slot_index < first || slot_index >= first + 2 * kGKeyCount) return 0;
  const int offset = slot_index - first;
  return static_cast<uint16_t>(offset < kGKeyCount ? 0x0301 + offset
                                                   : 0x1301 + (offset - kGKeyCount));
}

int LightPositionOfControl(int control_id) {
  for (int control : key_tables::GKeyControls()) {
    if (control == control_id) return kNoLight;
  }
  if (control_id == kFnControl) return kFnLight;
  for (const PanelKey& key : PanelKeyTable()) {
    if (key.control == control_id) return key.light_position;
  }
  return 0;
}

std::u16string SkinNameOfKey(KeyCode code) {
  return u"KEY_" + Digits(static_cast<unsigned>(KeyIndexOf(code)), 16, true, 3, u'0');
}

std::u16string SkinNameOfGKey(int n) { return u"FUNC_G" + DecimalText(n); }

}  // namespace velkor
