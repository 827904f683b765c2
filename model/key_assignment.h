// What a key does in one hardware profile (KeyAssignment, 16 bytes, kept as
// is in profile images and files), the keyboard's 3-byte key map entries, and
// the conversions between a profile bank and the keyboard's 512-byte key map.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "model/default_key_layout.h"
#include "model/key_codes.h"

namespace velkor {

enum class AssignmentKind : uint16_t {
  kDefault = 0,    // the key's own function
  kDisabled = 1,   // nothing
  kSingleKey = 2,  // parameter: the KeyCode to produce
  kLaunch = 3,     // its text is a program path (kept and sent as the default)
  kPlayMacro = 4,  // parameter: macro id 1..100
  kStopMacro = 5,
  kTextBlock = 6,  // its text is the block (sent as disabled)
  kMedia = 7,      // parameter: media index 0..17
  kFunction = 8,   // parameter: function index 0..10
};

struct KeyAssignment {
  uint16_t kind = 0;
  uint16_t extra = 0;      // a G slot's identity code; a macro's cycle count from the key editor
  uint32_t parameter = 0;
  uint32_t mark = 0;       // kept with the entry, never interpreted
  uint32_t reserved = 0;
  bool operator==(const KeyAssignment&) const = default;
};
static_assert(sizeof(KeyAssignment) == 16);
static_assert(offsetof(KeyAssignment, parameter) == 4 && offsetof(KeyAssignment, mark) == 8);

inline constexpr int kBankSlots = 512;
inline constexpr int kFirstGSlot = 256;  // 256..264 G set 0, 265..273 G set 1
using Bank = std::array<KeyAssignment, kBankSlots>;

struct KeyMapEntry {
  uint8_t type = 0;
  uint8_t b1 = 0;
  uint8_t b2 = 0;
  bool operator==(const KeyMapEntry&) const = default;
};

inline constexpr int kKeyMapPositions = 160;
inline constexpr int kForcedPosition = 146;  // 05 03 03 once the keyboard's layout is read

KeyMapEntry EntryAt(const KeyMapBytes& block, int position);
void SetEntry(KeyMapBytes& block, int position, KeyMapEntry entry);

// The key an entry stands for, when it stands for one.
std::optional<KeyCode> KeyOfEntry(KeyMapEntry entry);

// The position of the macro with an id in the working macro list (0 when none).
using MacroPositionOf = std::function<int(uint32_t macro_id)>;

// The keyboard's key map for one bank: the default layout, with every
// position that belongs to a key carrying that key's assignment.
KeyMapBytes EncodeKeyMap(const Bank& bank, const KeyMapBytes& default_layout,
                         const MacroPositionOf& macro_position);

// A bank rebuilt from a key map read from the keyboard: positions equal to
// the default layout keep kind 0; G slots carry their identity codes.
Bank DecodeKeyMap(const KeyMapBytes& block, const KeyMapBytes& default_layout);

// An empty bank with the G slots' identity codes.
Bank EmptyBank();

// The layout read from the keyboard becomes the default layout, position 146
// forced to 05 03 03.
KeyMapBytes AdoptReadLayout(const KeyMapBytes& read);

}  // namespace velkor
