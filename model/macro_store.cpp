#include "model/macro_store.h"

#include <algorithm>

#include "model/key_assignment.h"
#include "platform/text.h"

namespace velkor {

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v & 0xFF);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

uint16_t Get16(const std::vector<uint8_t>& in, size_t at) {
  return static_cast<uint16_t>(in[at] | (in[at + 1] << 8));
}

size_t NameLength(const MacroRecord& m) {
  size_t n = 0;
  while (n < kMacroNameUnits - 1 && m.name[n] != 0) ++n;
  return n;
}

size_t ActionCount(const MacroRecord& m) { return std::min<size_t>(m.action_count, kMaxActions); }

}  // namespace

std::u16string MacroRecord::Name() const { return std::u16string(name, NameLength(*this)); }

void MacroRecord::SetName(std::u16string_view text) {
  std::fill(std::begin(name), std::end(name), u'\0');
  const size_t n = std::min<size_t>(text.size(), kMacroNameUnits - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), name);
}

StoreSizes StoreSize(const MacroList& list) {
  StoreSizes s;
  s.without_names = kStoreHeaderSize + 2 * list.size();
  s.with_names = s.without_names;
  for (const MacroRecord& m : list) {
    const size_t block = 4 * ActionCount(m) + 4;
    s.without_names += block;
    s.with_names += block + 2 * NameLength(m);
  }
  return s;
}

std::array<uint16_t, 2> EncodeAction(const MacroAction& a) {
  // A pause longer than the field holds is kept as the longest it holds.
  const uint32_t units = std::min<uint32_t>(a.delay_ms, kLargestDelayMs) / 10;
  const UsageRef usage = UsageOf(a.key);
  uint16_t kind = 0;
  uint16_t word1 = 0;
  switch (usage.page) {
    case 7:
      kind = 2;
      if (const uint8_t bit = ModifierBitOf(a.key)) {
        word1 = static_cast<uint16_t>(0x01 | (bit << 8));
      } else {
        word1 = static_cast<uint16_t>(0x02 | ((usage.id & 0xFF) << 8));
      }
      break;
    case 12:
      kind = 3;
      word1 = usage.id;
      break;
    case 1:
      kind = 4;
      word1 = usage.id;
      break;
    default:
      break;
  }
  uint16_t word0 = static_cast<uint16_t>((units & 0xFFF) | (kind << 12));
  if (a.direction != 1) word0 |= 0x8000;
  return {word0, word1};
}

std::vector<uint8_t> EncodeStore(const MacroList& list, size_t size, bool with_names) {
  std::vector<uint8_t> out(size, 0);
  const auto fits = [&](size_t at, size_t n) { return at + n <= out.size(); };
  if (!fits(0, kStoreHeaderSize)) return out;
  const size_t count = std::min<size_t>(list.size(), kMaxMacros);
  Put16(out, 0, kStoreMagic);
  Put16(out, 2, static_cast<uint16_t>(size));
  Put16(out, 4, static_cast<uint16_t>(count));
  Put16(out, 6, with_names ? 1 : 0);
  size_t p = kStoreHeaderSize + 2 * count;
  for (size_t i = 0; i < count; ++i) {
    const MacroRecord& m = list[i];
    const size_t actions = ActionCount(m);
    const size_t name_length = with_names ? NameLength(m) : 0;
    if (!fits(kStoreHeaderSize + 2 * i, 2) || !fits(p, 4 + 4 * actions + 2 * name_length)) break;
    Put16(out, kStoreHeaderSize + 2 * i, static_cast<uint16_t>(p));
    Put16(out, p, static_cast<uint16_t>(actions));
    out[p + 2] = m.cycles;
    out[p + 3] = static_cast<uint8_t>(name_length);
    p += 4;
    for (size_t k = 0; k < actions; ++k) {
      const auto words = EncodeAction(m.actions[k]);
      Put16(out, p, words[0]);
      Put16(out, p + 2, words[1]);
      p += 4;
    }
    for (size_t c = 0; c < name_length; ++c) {
      Put16(out, p, static_cast<uint16_t>(m.name[c]));
      p += 2;
    }
  }
  return out;
}

std::optional<MacroList> DecodeStore(const std::vector<uint8_t>& bytes, const LanguageTable* language) {
  MacroList list;
  if (bytes.size() < kStoreHeaderSize || Get16(bytes, 0) != kStoreMagic) return list;  // empty
  const size_t count = Get16(bytes, 4);
  if (count > kMaxMacros || kStoreHeaderSize + 2 * count > bytes.size()) return std::nullopt;
  const std::u16string prefix(language ? language->Text(LangKey::MACRO_NEW_PREFIX)
                                       : LanguageBuiltIn(LangKey::MACRO_NEW_PREFIX));
  list.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t block = Get16(bytes, kStoreHeaderSize + 2 * i);
    if (block + 4 > bytes.size()) return std::nullopt;
    const size_t actions = Get16(bytes, block);
    const size_t name_length = bytes[block + 3];
    if (actions > kMaxActions || block + 4 + 4 * actions + 2 * name_length > bytes.size()) {
      return std::nullopt;
    }
    MacroRecord& m = list.emplace_back();
    m.cycles = bytes[block + 2];
    m.id = static_cast<uint16_t>(i + 1);
    m.action_count = static_cast<uint16_t>(actions);
    size_t p = block + 4;
    for (size_t k = 0; k < actions; ++k, p += 4) {
      const uint16_t w0 = Get16(bytes, p);
      const uint16_t w1 = Get16(bytes, p + 2);
      MacroAction& a = m.actions[k];
      a.delay_ms = (w0 & 0xFFFu) * 10;
      const KeyMapEntry entry{static_cast<uint8_t>((w0 >> 12) & 7), static_cast<uint8_t>(w1 & 0xFF),
                              static_cast<uint8_t>(w1 >> 8)};
      a.key = entry.type == 2 || entry.type == 3 || entry.type == 4 ? KeyOfEntry(entry).value_or(0) : 0;
      a.direction = (w0 & 0x8000) ? 0 : 1;
    }
    if (name_length > 0) {
      std::u16string name;
      for (size_t c = 0; c < name_length; ++c, p += 2) {
        const char16_t ch = static_cast<char16_t>(Get16(bytes, p));
        if (ch == 0) break;
        name += ch;
      }
      m.SetName(name);
    } else {
      m.SetName(prefix + DecimalText(static_cast<int>(i + 1)));
    }
  }
  return list;
}

StorePlan PlanStore(const MacroList& list, size_t capacity) {
  StorePlan plan;
  const StoreSizes sizes = StoreSize(list);
  if (sizes.without_names > capacity) return plan;
  if (sizes.with_names <= capacity) {
    plan.outcome = StorePlan::Outcome::kWithNames;
    plan.bytes = EncodeStore(list, sizes.with_names, true);
  } else {
    plan.outcome = StorePlan::Outcome::kWithoutNames;
    plan.bytes = EncodeStore(list, sizes.without_names, false);
  }
  return plan;
}

int MacroPosition(const MacroList& list, uint32_t id) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].id == id) return static_cast<int>(i);
  }
  return 0;
}

}  // namespace velkor
