#include "fuzz/fuzz_targets.h"

#include <algorithm>
#include <vector>

#include "model/key_assignment.h"
#include "model/macro_store.h"
#include "model/profile_image.h"

namespace velkor {

void FuzzProfileFile(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const FileCheck check = CheckFileBytes(bytes);
  ProfileImage image;
  const bool loaded = LoadImageBytes(bytes, image);
  if (check.result == 1 && !loaded) __builtin_trap();  // a checked file always loads
  if (loaded) {
    // What was loaded writes out as a whole, valid file.
    const std::vector<uint8_t> again = SerialiseImage(image);
    if (CheckFileBytes(again).result != 1) __builtin_trap();
  }
}

void FuzzMacroStore(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const std::optional<MacroList> macros = DecodeStore(bytes, nullptr);
  if (!macros) return;
  // A decoded list encodes within the sizes it says.
  const StoreSizes sizes = StoreSize(*macros);
  if (sizes.with_names < 65536) {
    const std::vector<uint8_t> store = EncodeStore(*macros, sizes.with_names, true);
    const std::optional<MacroList> back = DecodeStore(store, nullptr);
    if (!back || back->size() != macros->size()) __builtin_trap();
  }
}

void FuzzKeyMap(const uint8_t* data, size_t size) {
  KeyMapBytes block{};
  std::copy(data, data + std::min(size, block.size()), block.begin());
  KeyMapBytes layout = BuiltInDefaultLayout();
  if (size > block.size()) {
    std::copy(data + block.size(), data + std::min(size, 2 * block.size()), layout.begin());
  }
  const Bank bank = DecodeKeyMap(block, layout);
  const KeyMapBytes again = EncodeKeyMap(bank, layout, [](uint32_t id) { return static_cast<int>(id % 100); });
  // Positions that belong to no key, and the tail, keep the layout's bytes.
  if (!std::equal(again.begin() + 480, again.end(), layout.begin() + 480)) __builtin_trap();
  for (int p = 0; p < kKeyMapPositions; ++p) {
    if (!KeyOfEntry(EntryAt(layout, p)) && !(EntryAt(again, p) == EntryAt(layout, p))) __builtin_trap();
  }
}

}  // namespace velkor
