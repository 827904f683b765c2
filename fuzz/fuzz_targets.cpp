#include "fuzz/fuzz_targets.h"

#include <algorithm>
#include <vector>

#include "model/key_assignment.h"
#include "model/macro_store.h"
#include "model/profile_image.h"
#include "platform/portable_ini_store.h"
#include "ui/mask_shape.h"
#include "ui/skin_layout.h"

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

void FuzzSkinFile(const uint8_t* data, size_t size) {
  const IniDocument skin = IniDocument::Parse(std::string(reinterpret_cast<const char*>(data), size));
  for (const char16_t* key : {u"CONTROL_OK", u"KEY_01E", u"FUNC_G1", u"CONTROL2_APPLY", u"UP_ARROW_LEFT1"}) {
    const std::u16string value = skin.Find(kButtonSection, key).value_or(u"1,1,1,1,x");
    const SkinRect rect = ParseSkinRect(value);
    // Only four numbers make a rectangle; anything else is the missing one.
    if (value.find(u',') == std::u16string::npos && !(rect == kMissingSkinRect)) __builtin_trap();
    const ImageButtonPlacement placed = PlaceImageButton(rect);
    if (placed.enabled == (rect.x == 1 && rect.y == 1)) __builtin_trap();
  }
  if (size < 2) return;
  const int width = data[0] % 64 + 1;
  std::vector<uint32_t> pixels;
  for (size_t i = 1; i + 2 < size; i += 3) {
    pixels.push_back(static_cast<uint32_t>(data[i]) << 16 | static_cast<uint32_t>(data[i + 1]) << 8 | data[i + 2]);
  }
  const int height = static_cast<int>(pixels.size()) / width;
  size_t covered = 0;
  CollectMaskRuns(pixels, width, height, [&](std::span<const MaskRun> runs) {
    if (runs.empty() || runs.size() > kMaskRunBatch) __builtin_trap();
    for (const MaskRun& run : runs) {
      if (run.left >= run.right || run.right > width || run.bottom != run.top + 1) __builtin_trap();
      covered += static_cast<size_t>(run.right - run.left);
    }
  });
  size_t inside = 0;
  for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
    inside += pixels[i] != kMaskOutside ? 1 : 0;
  }
  if (covered != inside) __builtin_trap();
}

}  // namespace velkor
