// Macros: the record kept in profile images and files (16512 bytes), and the
// packed store the keyboard keeps in its macro memory and plays by itself.
//
// Store (little-endian): 0 magic 0x55AA, 2 total size, 4 macro count n,
// 6 names flag, 8..15 zero, 16 n offsets of the macro blocks, then the
// blocks: action count a, cycle count, name length L, a actions of 4 bytes,
// and with names L UTF-16 characters.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/key_codes.h"
#include "ui/language_table.h"

namespace velkor {

inline constexpr int kMaxMacros = 100;
inline constexpr int kMaxActions = 2000;
inline constexpr int kMacroNameUnits = 250;  // 249 characters and a terminator
inline constexpr uint32_t kLargestDelayMs = 40950;
inline constexpr uint16_t kStoreMagic = 0x55AA;
inline constexpr size_t kStoreHeaderSize = 16;

struct MacroAction {
  uint32_t delay_ms = 0;  // the pause after this action
  uint16_t key = 0;       // KeyCode
  uint16_t direction = 0; // 0 press, 1 release
};
static_assert(sizeof(MacroAction) == 8);

struct MacroRecord {
  char16_t name[kMacroNameUnits] = {};
  uint8_t cycles = 1;
  uint8_t reserved0 = 0;
  uint16_t new_macro = 0;
  uint16_t reserved1 = 0;
  uint16_t id = 0;
  uint16_t action_count = 0;
  uint16_t reserved2 = 0;
  MacroAction actions[kMaxActions] = {};

  std::u16string Name() const;
  // Stored cut to 249 characters.
  void SetName(std::u16string_view text);
};
static_assert(sizeof(MacroRecord) == 16512);
static_assert(offsetof(MacroRecord, cycles) == 500 && offsetof(MacroRecord, id) == 506 &&
              offsetof(MacroRecord, action_count) == 508 && offsetof(MacroRecord, actions) == 512);

using MacroList = std::vector<MacroRecord>;

struct StoreSizes {
  size_t with_names = 0;
  size_t without_names = 0;
};
StoreSizes StoreSize(const MacroList& list);

// The store of exactly size bytes (a size from StoreSize).
std::vector<uint8_t> EncodeStore(const MacroList& list, size_t size, bool with_names);

// The two 16-bit words of one action in the store.
std::array<uint16_t, 2> EncodeAction(const MacroAction& action);

// The macros of a store read from the keyboard, ids 1, 2, ... in store order;
// a store without names names them MACRO_NEW_PREFIX + number. Nothing when
// the bytes are not a whole store (a wrong magic is an empty store).
std::optional<MacroList> DecodeStore(const std::vector<uint8_t>& bytes, const LanguageTable* language);

// How an apply packs the macro list into the keyboard's memory.
struct StorePlan {
  enum class Outcome {
    kTooLarge,     // even without names: EXTRA_MACRO_TOO_LONG, nothing is sent
    kWithNames,
    kWithoutNames  // sent without names, then EXTRA_PROFILE_SPACE_TIGHT
  } outcome = Outcome::kTooLarge;
  std::vector<uint8_t> bytes;
};
StorePlan PlanStore(const MacroList& list, size_t capacity);

// The index of the first macro with the id, 0 when there is none.
int MacroPosition(const MacroList& list, uint32_t id);

}  // namespace velkor
