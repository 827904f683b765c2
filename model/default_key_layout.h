// The keyboard's built-in default key layout: 512 bytes in the key map
// format, 160 positions of three bytes (column-major, 20 columns of 8
// positions) and 32 trailing bytes. The program uses it until the keyboard's
// own layout has been read; the keyboard emulator starts from it.
#pragma once

#include <array>
#include <cstdint>

namespace velkor {

using KeyMapBytes = std::array<uint8_t, 512>;

const KeyMapBytes& BuiltInDefaultLayout();

}  // namespace velkor
