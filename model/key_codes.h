// Key identities and the constant tables around them: the 16-bit KeyCode (a
// set-1 scan code, +0x100 for E0-prefixed keys, 0x200-0x211 for the G-key
// slots), its key index, the key catalog (names, key-list numbers, virtual
// keys, the keyboard's own codes), the key list the editors offer, the
// multimedia and office function tables, USB usages, modifier bits, the
// virtual-key map, the main window's key buttons and the G keys.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ui/language_table.h"

namespace velkor {

using KeyCode = uint16_t;

// {usage page, usage id}: page 7 keyboard, 12 consumer, 1 system, 0 none.
struct UsageRef {
  uint16_t page = 0;
  uint16_t id = 0;
  bool operator==(const UsageRef&) const = default;
};

inline constexpr int kCatalogRows = 256;
inline constexpr int kKeyListSize = 106;
inline constexpr int kMediaCount = 18;
inline constexpr int kFunctionCount = 11;
inline constexpr int kPanelKeyCount = 104;
inline constexpr int kGKeyCount = 9;
inline constexpr int kNoLight = 125;
inline constexpr int kFnLight = 110;
inline constexpr int kFnControl = 1174;

struct KeyCatalogRow {
  std::u16string_view name;  // empty for an empty row and the multimedia rows
  uint16_t key_number;       // 0..105, 0x8001..0x8030, or 0xFFFF for an empty row
  uint8_t vk;                // 0xFF when none
  uint8_t alternate_vk;      // with Num Lock off; equal to vk elsewhere
  uint8_t device_code;       // 0 when none
};

struct MediaRow {
  LangKey name_key;
  KeyCode code;
  uint16_t key_number;
  uint8_t vk;
  uint8_t device_code;
  uint16_t consumer_usage;
};

struct PanelKey {
  int control;        // control id in the main window
  KeyCode code;
  int light_position; // row x 21 + column; 125 = no light of its own
};

// Key index: 0..255 for keys, 256..273 for the G slots.
int KeyIndexOf(KeyCode code);
// The code of a key index 0..255 (0 for any other index).
KeyCode KeyCodeOf(int index);

// The catalog row of a key index 0..255 (an empty row for anything else).
const KeyCatalogRow& CatalogRow(int index);

// The key's display name: its catalog name, the multimedia name from the
// language table, or UNKNOWN_KEY formatted with the code ("Unknown Key: 1ff").
// language may be null: the built-in texts are used. The code goes into the
// first integer directive of UNKNOWN_KEY (%x, %X, %d, %i, %u, optional 0 flag
// and width); other directives are shown as written. Names are cut to 259
// characters, the most a caller's 260-character buffer holds.
std::u16string KeyNameOf(KeyCode code, const LanguageTable* language);

uint16_t KeyNumberOf(KeyCode code);
KeyCode KeyOfNumber(uint16_t number);  // 0 when no row holds it
std::u16string NameOfNumber(uint16_t number, const LanguageTable* language);  // empty when none

UsageRef UsageOf(KeyCode code);
KeyCode KeyOfUsage(UsageRef usage);

// The modifier bit of one of the eight modifier keys (0x01 Ctrl ... 0x80
// Right Win), 0 for any other key.
uint8_t ModifierBitOf(KeyCode code);
// The key of the lowest set bit; 0 for an empty mask.
KeyCode KeyOfModifierMask(uint8_t mask);

// The catalog index a virtual-key code maps to (0 = none).
uint8_t VkMapEntry(uint8_t vk);
// The key of a keystroke seen by a keyboard hook: its virtual-key code and
// flags word (bits 16-23 scan code, bit 24 extended).
KeyCode KeyOfKeystroke(uint8_t vk, uint32_t flags);

std::span<const MediaRow> MediaTable();        // 18 rows, media index order
KeyCode MediaKey(int media_index);             // 0 outside 0..17
bool IsMediaKey(KeyCode code);                 // one of the 18 multimedia keys
uint16_t MediaUsage(int media_index);          // 0 outside 0..17
std::u16string MediaName(int media_index, const LanguageTable* language);
LangKey FunctionNameKey(int function_index);   // FUNC_KEY_DESC1 + index; kCount outside 0..10
std::u16string FunctionName(int function_index, const LanguageTable* language);  // empty outside 0..10
std::span<const uint16_t> ConsumerCodeTable(); // 32 entries

std::span<const PanelKey> PanelKeyTable();     // 104 rows, in panel order
// G n (1..9): control id, and the slot codes of set 0 and set 1.
int GKeyControl(int n);
KeyCode GKeySlot(int n, int set);              // 0x1FF + n, 0x208 + n
uint16_t GIdentityCode(int slot_index);        // slots 256..273: 0x0301.. / 0x1301..; else 0
// G button 125, Fn 110, a panel key its value, anything else 0.
int LightPositionOfControl(int control_id);

// Skin names: "KEY_%03X" with the key index, "FUNC_G%d".
std::u16string SkinNameOfKey(KeyCode code);
std::u16string SkinNameOfGKey(int n);

}  // namespace velkor
