// Private to the key tables: the code/index arithmetic the constant tables are
// built with, and the small tables that key_codes.cpp reads directly.
#pragma once

#include <span>

#include "model/key_codes.h"

namespace velkor::key_tables {

constexpr int IndexOfCode(KeyCode code) {
  if (code < 0x100) return code;
  if (code < 0x200) return (code - 0x80) & 0xFF;
  return code - 0x100;
}

constexpr KeyCode CodeOfIndex(int index) {
  if (index < 0 || index >= kCatalogRows) return 0;
  return static_cast<KeyCode>(index < 0x80 ? index : index + 0x80);
}

// The eight modifier keys in bit order (bit 0 "Ctrl" ... bit 7 "Right Win").
std::span<const KeyCode> ModifierKeys();
// The controls of G1 ... G9.
std::span<const int> GKeyControls();

}  // namespace velkor::key_tables
