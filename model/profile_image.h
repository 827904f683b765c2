// The profile image: all three hardware profiles' key assignments (four banks
// of 512 entries; bank 3 is never shown), the macro list they share, and the
// texts of program-launch and text-block entries. Stored byte for byte in a
// ".kpx" profile file:
//
//   0  "FD", 32, 3, 1, total length (32), 2048, macro count, pool size (32),
//      10 zero bytes, flag byte (0), checksum of bytes 0..30
//   32 "KH", 32, 32800 (32), 4, 512, 0 (32), 0x67410C45, 0x000E1C4F, 0, 0
//   64 2048 entries of 16 bytes, bank 0 first
//   32832 the macro records, 16512 bytes each
//   then the text pool: UTF-16 texts with terminators, in entry order
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/key_assignment.h"
#include "model/macro_store.h"

namespace velkor {

inline constexpr int kImageEntries = 2048;
inline constexpr int kImageBanks = 4;
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kImageTableSize = 32832;  // both headers and the key table
inline constexpr size_t kMacroRecordSize = 16512;

struct ProfileImage {
  std::array<uint8_t, kHeaderSize> file_header{};
  std::array<uint8_t, kHeaderSize> table_header{};
  std::vector<KeyAssignment> entries = std::vector<KeyAssignment>(kImageEntries);
  MacroList macros;
  // One text slot per entry; only kinds 3 and 6 use theirs.
  std::vector<std::optional<std::u16string>> texts =
      std::vector<std::optional<std::u16string>>(kImageEntries);

  KeyAssignment& Entry(int bank, int slot) { return entries[static_cast<size_t>(bank * kBankSlots + slot)]; }
  const KeyAssignment& Entry(int bank, int slot) const {
    return entries[static_cast<size_t>(bank * kBankSlots + slot)];
  }
  Bank GetBank(int bank) const;
  void SetBank(int bank, const Bank& entries);

  // The bytes the texts take in a file: (characters + 1) x 2 each.
  uint32_t TextTotal() const;

  // No entries, no macros, no texts, no headers.
  void Empty();
  // What the program uses when the keyboard can't be read: both headers,
  // zero entries but bank 0's G slots with their identity codes.
  static ProfileImage Default();
};

// Rewrites the file header for the image's macro count and text total.
void RebuildHeaders(ProfileImage& image);
uint8_t HeaderChecksum(const uint8_t* header);

// The file's bytes. Texts are packed in entry order, each entry of kind 3 or
// 6 getting its text's pool offset in its parameter; a text that would run
// past the pool is left out.
std::vector<uint8_t> SerialiseImage(ProfileImage& image);

// Writes the file beside its old self and then moves it into place, so a
// failure midway never leaves a half-written file.
bool WriteImageFile(ProfileImage& image, const std::u16string& path);

// The import check: 1 valid; 0 missing, too short or wrong format (then
// wrong_format tells whether the format message is due); -2 can't be opened.
struct FileCheck {
  int result = 0;
  bool wrong_format = false;
};
FileCheck CheckFile(const std::u16string& path);
FileCheck CheckFileBytes(const std::vector<uint8_t>& bytes);

// Fills an image from a file's bytes. Entries and macros are taken as they
// are; a text whose offset or terminator lies outside the pool is no text.
// False when the bytes are shorter than the header says.
bool LoadImageBytes(const std::vector<uint8_t>& bytes, ProfileImage& image);
bool LoadFile(const std::u16string& path, ProfileImage& image);
// The same for a file that passes the import check; false for any other.
bool LoadValidFile(const std::u16string& path, ProfileImage& image);

}  // namespace velkor
