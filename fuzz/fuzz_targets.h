// Everything that reads bytes from outside the program, as functions of those
// bytes: the fuzz targets run them under libFuzzer, and the host tests run
// them on seeded random inputs. Each must never crash, hang or read or write
// out of bounds, whatever the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor {

// Check file, then Load file, then writing the loaded image again.
void FuzzProfileFile(const uint8_t* data, size_t size);
// A macro store as read from the keyboard.
void FuzzMacroStore(const uint8_t* data, size_t size);
// A key map as read from the keyboard (the first 512 bytes), decoded and
// encoded again.
void FuzzKeyMap(const uint8_t* data, size_t size);

// A skin file: its rectangles as the windows read them, and the bytes again
// as a mask picture (the first byte gives the width).
void FuzzSkinFile(const uint8_t* data, size_t size);

}  // namespace velkor
