#include "model/key_assignment.h"

namespace velkor {

KeyMapEntry EntryAt(const KeyMapBytes& block, int position) {
  const size_t at = static_cast<size_t>(position) * 3;
  return {block[at], block[at + 1], block[at + 2]};
}

void SetEntry(KeyMapBytes& block, int position, KeyMapEntry entry) {
  const size_t at = static_cast<size_t>(position) * 3;
  block[at] = entry.type;
  block[at + 1] = entry.b1;
  block[at + 2] = entry.b2;
}

std::optional<KeyCode> KeyOfEntry(KeyMapEntry e) {
  KeyCode key = 0;
  switch (e.type) {
    case 2:
      key = e.b1 == 2 ? KeyOfUsage({7, e.b2}) : KeyOfModifierMask(e.b2);
      break;
    case 3:
      key = KeyOfUsage({12, static_cast<uint16_t>(e.b1 | (e.b2 << 8))});
      break;
    case 4:
      key = KeyOfUsage({1, static_cast<uint16_t>(e.b1 | (e.b2 << 8))});
      break;
    case 6:
      if (e.b1 == 0xA2 && e.b2 >= 1 && e.b2 <= 18) key = static_cast<KeyCode>(0x1FF + e.b2);
      break;
    default:
      break;
  }
  if (key == 0) return std::nullopt;
  return key;
}

namespace {

KeyMapEntry SingleKeyEntry(KeyCode key) {
  if (const uint8_t bit = ModifierBitOf(key)) return {2, 1, bit};
  const UsageRef usage = UsageOf(key);
  return {2, 2, usage.page == 7 ? static_cast<uint8_t>(usage.id) : uint8_t{0}};
}

}  // namespace

KeyMapBytes EncodeKeyMap(const Bank& bank, const KeyMapBytes& default_layout,
                         const MacroPositionOf& macro_position) {
  KeyMapBytes block = default_layout;
  for (int p = 0; p < kKeyMapPositions; ++p) {
    const KeyMapEntry fallback = EntryAt(default_layout, p);
    const std::optional<KeyCode> key = KeyOfEntry(fallback);
    if (!key) continue;
    const int slot = KeyIndexOf(*key);
    if (slot < 0 || slot >= kBankSlots) continue;
    const KeyAssignment& a = bank[static_cast<size_t>(slot)];
    KeyMapEntry out = fallback;
    switch (static_cast<AssignmentKind>(a.kind)) {
      case AssignmentKind::kDisabled:
      case AssignmentKind::kTextBlock:
        out = {0, 0, 0};
        break;
      case AssignmentKind::kSingleKey:
        out = SingleKeyEntry(static_cast<KeyCode>(a.parameter));
        break;
      case AssignmentKind::kPlayMacro:
        out = {5, 1, static_cast<uint8_t>(macro_position ? macro_position(a.parameter) : 0)};
        break;
      case AssignmentKind::kStopMacro:
        out = {5, 2, 0};
        break;
      case AssignmentKind::kMedia: {
        // A media index outside the table sends no consumer usage.
        const uint16_t usage = MediaUsage(static_cast<int>(a.parameter));
        out = {3, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
        break;
      }
      case AssignmentKind::kFunction:
        out = {5, 5, static_cast<uint8_t>(a.parameter & 0xFF)};
        break;
      default:  // the default function, a program launch, or a kind we don't know
        break;
    }
    SetEntry(block, p, out);
  }
  return block;
}

Bank EmptyBank() {
  Bank bank{};
  for (int s = kFirstGSlot; s < kFirstGSlot + 2 * kGKeyCount; ++s) {
    bank[static_cast<size_t>(s)].extra = GIdentityCode(s);
  }
  return bank;
}

Bank DecodeKeyMap(const KeyMapBytes& block, const KeyMapBytes& default_layout) {
  Bank bank = EmptyBank();
  for (int p = 0; p < kKeyMapPositions; ++p) {
    const KeyMapEntry e = EntryAt(block, p);
    const KeyMapEntry fallback = EntryAt(default_layout, p);
    if (e == fallback) continue;
    const std::optional<KeyCode> key = KeyOfEntry(fallback);
    if (!key) continue;
    const int slot = KeyIndexOf(*key);
    if (slot < 0 || slot >= kBankSlots) continue;
    KeyAssignment& a = bank[static_cast<size_t>(slot)];
    a.kind = static_cast<uint16_t>(AssignmentKind::kDisabled);
    if (e.type == 5) {
      if (e.b1 == 1) {
        a.kind = static_cast<uint16_t>(AssignmentKind::kPlayMacro);
        a.parameter = e.b2 + 1u;
      } else if (e.b1 == 2) {
        a.kind = static_cast<uint16_t>(AssignmentKind::kStopMacro);
      } else if (e.b1 == 5) {
        a.kind = static_cast<uint16_t>(AssignmentKind::kFunction);
        a.parameter = e.b2;
      }
    } else if (e.type == 3) {
      const uint16_t usage = static_cast<uint16_t>(e.b1 | (e.b2 << 8));
      for (int m = 0; m < kMediaCount; ++m) {
        if (MediaUsage(m) == usage) {
          a.kind = static_cast<uint16_t>(AssignmentKind::kMedia);
          a.parameter = static_cast<uint32_t>(m);
          break;
        }
      }
    } else if (e.type == 2 && e.b1 == 2) {
      if (const KeyCode k = KeyOfUsage({7, e.b2})) {
        a.kind = static_cast<uint16_t>(AssignmentKind::kSingleKey);
        a.parameter = k;
      }
    } else if (e.type == 2 && e.b1 == 1) {
      a.kind = static_cast<uint16_t>(AssignmentKind::kSingleKey);
      a.parameter = KeyOfModifierMask(e.b2);
    }
  }
  return bank;
}

KeyMapBytes AdoptReadLayout(const KeyMapBytes& read) {
  KeyMapBytes layout = read;
  SetEntry(layout, kForcedPosition, {5, 3, 3});
  return layout;
}

}  // namespace velkor
