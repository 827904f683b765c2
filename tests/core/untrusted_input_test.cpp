// Bounded, seeded random inputs for everything that reads untrusted bytes
// (the fuzz targets, run here on every test run; the host build has the
// address and undefined-behaviour sanitizers on).
#include <gtest/gtest.h>

#include <random>

#include "fuzz/fuzz_targets.h"
#include "model/macro_store.h"
#include "model/profile_image.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// Flips bits, overwrites bytes with edge values, cuts or grows the input.
Bytes Mutate(const Bytes& seed, std::mt19937& random) {
  Bytes b = seed;
  std::uniform_int_distribution<int> kind(0, 5);
  const int steps = 1 + static_cast<int>(random() % 8);
  for (int s = 0; s < steps && !b.empty(); ++s) {
    const size_t at = random() % b.size();
    switch (kind(random)) {
      case 0: b[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
      case 1: b[at] = static_cast<uint8_t>(random()); break;
      case 2: b[at] = (random() & 1) ? 0xFF : 0x00; break;
      case 3: b.resize(random() % (b.size() + 1)); break;
      case 4: b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), static_cast<size_t>(random() % 64), 0xAA); break;
      default:  // a header field
        if (b.size() > 32) b[random() % 32] = static_cast<uint8_t>(random());
        break;
    }
  }
  return b;
}

template <typename F>
void RunSeeded(const std::vector<Bytes>& seeds, int rounds, uint32_t seed, F target) {
  std::mt19937 random(seed);
  for (int i = 0; i < rounds; ++i) {
    const Bytes input = Mutate(seeds[static_cast<size_t>(i) % seeds.size()], random);
    target(input.data(), input.size());
  }
  Bytes empty;
  target(empty.data(), 0);
}

TEST(UntrustedInput, ProfileFiles) {
  ProfileImage plain = ProfileImage::Default();
  ProfileImage rich = ProfileImage::Default();
  rich.Entry(0, 1) = {6, 0, 0, 0, 0};
  rich.texts[1] = u"text";
  MacroRecord& m = rich.macros.emplace_back();
  m.SetName(u"Macro1");
  m.action_count = 1;
  RunSeeded({SerialiseImage(plain), SerialiseImage(rich)}, 400, 1, FuzzProfileFile);
}

TEST(UntrustedInput, MacroStores) {
  MacroRecord m;
  m.SetName(u"Macro1");
  m.action_count = 2;
  m.actions[0] = {120, 0x01D, 0};
  m.actions[1] = {0, 0x01E, 1};
  const MacroList list{m, m};
  RunSeeded({EncodeStore(list, StoreSize(list).with_names, true), EncodeStore(list, StoreSize(list).without_names, false),
             EncodeStore({}, 16, true)},
            20000, 2, FuzzMacroStore);
}

TEST(UntrustedInput, KeyMaps) {
  const KeyMapBytes& layout = BuiltInDefaultLayout();
  Bytes both(layout.begin(), layout.end());
  both.insert(both.end(), layout.begin(), layout.end());
  RunSeeded({Bytes(layout.begin(), layout.end()), both}, 5000, 3, FuzzKeyMap);
}

TEST(UntrustedInput, SkinFiles) {
  const std::string text =
      "[SCREEN]\r\nMain=main_normal.jpg\r\n[BUTTONINFO]\r\nCONTROL_OK=10,20,30,40\r\nKEY_01E=-3,+7,2147483648,9\r\n"
      "FUNC_G1=5,6\r\nCONTROL2_APPLY= 1, 1,80,24\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : text) utf16 += {c, '\0'};
  RunSeeded({Bytes(text.begin(), text.end()), Bytes(utf16.begin(), utf16.end())}, 5000, 4, FuzzSkinFile);
}

}  // namespace
}  // namespace velkor::testing
