// The two profile images of a run (the working one the screens edit, the
// applied one last sent to the keyboard), the default key layout in use and
// the keyboard's macro capacity, and the operations that move them between
// the program and the keyboard.
#pragma once

#include <cstddef>
#include <optional>

#include "device/commands.h"
#include "model/default_key_layout.h"
#include "model/image_locks.h"
#include "model/profile_image.h"

namespace velkor {

struct ApplyOutcome {
  bool success = false;          // every command of the transfer succeeded
  bool macros_too_large = false; // EXTRA_MACRO_TOO_LONG is due; nothing was sent
  bool names_dropped = false;    // EXTRA_PROFILE_SPACE_TIGHT is due (after a successful transfer only)
  bool profile_unknown = false;  // the keyboard's active profile could not be read; nothing was sent
  StatusCode last_status = kNoKeyboard;  // the first failed command's, or 1
};

// What the keyboard holds of a profile image: its three key maps and its
// macro store (the store's own length; empty when its header is not one).
struct KeyboardContents {
  std::array<KeyMapBytes, kKeyMapBlocks> key_maps{};
  std::vector<uint8_t> store;
};

class Profiles {
 public:
  explicit Profiles(ImageLocks& locks) : locks_(locks) {}

  ProfileImage working;
  ProfileImage applied;
  KeyMapBytes default_layout = BuiltInDefaultLayout();
  size_t macro_capacity = 0;  // bytes; 0 until the keyboard's block was read

  // Sends a snapshot of the working image (the macro store and the key map
  // of the current profile, or of all three) and, when every command of the
  // transfer succeeded, makes it the applied image. The working lock is
  // taken only to copy the image; the caller must not hold it across the
  // call, or the windows would wait for the keyboard.
  ApplyOutcome ApplyToKeyboard(DeviceCommands& commands, bool all_profiles);

  // The keyboard's three key maps and its macro store as an image; nothing
  // when the active profile is not 0..3 or a read fails.
  // Macros without stored names are named with the language's macro prefix.
  std::optional<ProfileImage> ExportKeyboard(DeviceCommands& commands,
                                             const LanguageTable* language = nullptr);
  // The same in two steps: the bytes the keyboard holds, then the image they make.
  std::optional<KeyboardContents> ReadKeyboardContents(DeviceCommands& commands);
  ProfileImage DecodeKeyboardContents(const KeyboardContents& contents, const LanguageTable* language) const;

  // Whether an all-profile apply of the image would send the keyboard
  // exactly what it holds: the three key maps, and the macro store with or
  // without names. Such an image describes the keyboard (with the texts,
  // names and counts the keyboard cannot give back).
  bool ImageMatchesKeyboard(const ProfileImage& image, const KeyboardContents& contents) const;

  // Reads the keyboard's default layout; on success it replaces the one in
  // use (position 146 forced to 05 03 03). The caller shows
  // MAIN_DEFAULT_MATRIX_PROMPT on failure.
  StatusCode ReadDefaultLayout(DeviceCommands& commands);

  // The macro capacity from a configuration block read at the keyboard's
  // arrival: byte 11 in units of 128 bytes.
  void AdoptConfigBlock(const ConfigBlock& block);

 private:
  ImageLocks& locks_;
};

}  // namespace velkor
