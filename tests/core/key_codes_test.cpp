#include "model/key_codes.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <tuple>
#include <utility>

#include "model/default_key_layout.h"
#include "platform/portable_ini_store.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

TEST(KeyCodesTest, IndexAndCodeConvertBothWays) {
  EXPECT_EQ(KeyIndexOf(0x11D), 0x9D);
  EXPECT_EQ(KeyCodeOf(0x9D), 0x11D);
  EXPECT_EQ(KeyCodeOf(0x80), 0x100);
  EXPECT_EQ(KeyIndexOf(0x203), 0x103);  // G4, set 0
  EXPECT_EQ(KeyCodeOf(256), 0);
  EXPECT_EQ(KeyCodeOf(-1), 0);
  for (int i = 0; i < kCatalogRows; ++i) EXPECT_EQ(KeyIndexOf(KeyCodeOf(i)), i) << i;
}

TEST(KeyCodesTest, CatalogRowsFollowTheKeyAndTheExceptions) {
  // index, name, KeyNumber, VK, alternate VK, DeviceCode
  const std::tuple<int, std::u16string_view, int, int, int, int> rows[] = {
      {0x1E, u"A", 0, 0x41, 0x41, 0x04},
      {0x29, u"`", 48, 0xC0, 0xC0, 0x35},
      {0x47, u"Num 7", 91, 0x67, 0x24, 0x5F},
      {0x45, u"Pause", 65, 0x13, 0x13, 0x48},
      {0xC6, u"Break", 66, 0x03, 0x03, 0x48},
      {0xB7, u"Print Screen", 64, 0x2C, 0x2C, 0x46},
      {0xC5, u"Num Lock", 79, 0x90, 0x90, 0x53},
      {0x9C, u"Num Enter", 84, 0x0D, 0x0D, 0x58},
      {0x56, u"K45", 96, 0xE2, 0xE2, 0x64},
      {0xDD, u"App", 97, 0x5D, 0x5D, 0x65},
      {0x9D, u"Right Ctrl", 102, 0xA3, 0xA3, 0xE4},
      {0x36, u"Right Shift", 103, 0xA1, 0xA1, 0xE5},
      {0xB6, u"Right Shift", 103, 0xA1, 0xA1, 0xE5},
      {0x54, u"Sys Req", 0x8015, 0x2C, 0x2C, 0},
      {0x70, u"ROMA (133)", 0x801B, 0xFF, 0xFF, 0x88},
      {0xF4, u"Zoom-", 0x800A, 0x8B, 0x8B, 0xD2},
      {0xA0, u"", 0x8028, 0xAD, 0xAD, 0xCD},  // multimedia: mute
      {0x55, u"", 0xFFFF, 0, 0, 0},
      {256, u"", 0xFFFF, 0, 0, 0},
  };
  for (const auto& [index, name, number, vk, alternate, device] : rows) {
    const KeyCatalogRow& r = CatalogRow(index);
    EXPECT_EQ(std::tuple(r.name, int(r.key_number), int(r.vk), int(r.alternate_vk),
                         int(r.device_code)),
              std::tuple(name, number, vk, alternate, device))
        << index;
  }
  // 106 listed keys, the second Right Shift, 30 keys outside the list, 18 multimedia.
  int used = 0;
  for (int i = 0; i < kCatalogRows; ++i) used += CatalogRow(i).key_number != 0xFFFF;
  EXPECT_EQ(used, 155);
}

TEST(KeyCodesTest, KeyNumbersIndexTheKeyList) {
  std::set<KeyCode> codes;
  for (uint16_t n = 0; n < kKeyListSize; ++n) {
    EXPECT_EQ(KeyNumberOf(KeyOfNumber(n)), n);
    codes.insert(KeyOfNumber(n));
  }
  EXPECT_EQ(codes.size(), static_cast<size_t>(kKeyListSize));
  EXPECT_EQ(KeyOfNumber(66), 0x146);
  EXPECT_EQ(KeyOfNumber(103), 0x036);
  EXPECT_EQ(KeyOfNumber(106), 0);
  EXPECT_EQ(KeyOfNumber(0x8030), 0x064);
  EXPECT_EQ(NameOfNumber(75, nullptr), u"←");
  EXPECT_EQ(NameOfNumber(0x8028, nullptr), u"Hello world");
  EXPECT_EQ(NameOfNumber(106, nullptr), u"");
  EXPECT_EQ(KeyNumberOf(0x136), 103);
  EXPECT_EQ(KeyNumberOf(0x200), 0xFFFF);
}

TEST(KeyCodesTest, NamesFallBackToTheUnknownKeyText) {
  EXPECT_EQ(KeyNameOf(0x01E, nullptr), u"A");
  EXPECT_EQ(KeyNameOf(0x148, nullptr), u"↑");
  EXPECT_EQ(KeyNameOf(0x120, nullptr), u"Hello world");
  EXPECT_EQ(KeyNameOf(0x1FF, nullptr), u"Unknown Key: 1ff");
  EXPECT_EQ(KeyNameOf(0x000, nullptr), u"Unknown Key: 000");
  EXPECT_EQ(KeyNameOf(0x205, nullptr), u"Unknown Key: 205");
}

TEST(KeyCodesTest, TranslatedTextsAreFormattedSafely) {
  PortableIniStore store;
  TempDir dir;
  auto load = [&](std::u16string_view unknown) {
    auto table = std::make_unique<LanguageTable>(
        store, dir.WriteUtf16("language.ini", u"[LANGUAGE]\r\nlanguage=0\r\n[ENGINSH]\r\n"
                                              u"MEDIA_MUTE_8=Mute\r\nFUNC_KEY_DESC2=Nouveau\r\n"
                                              u"UNKNOWN_KEY=" + std::u16string(unknown) + u"\r\n"));
    table->Load();
    return table;
  };
  const std::pair<std::u16string_view, std::u16string> cases[] = {
      {u"Key %03X", u"Key 1FF"}, {u"%x!", u"1ff!"}, {u"%5d|", u"  511|"},
      {u"100%% %04x", u"100% 01ff"}, {u"No code", u"No code"}, {u"Ends in %", u"Ends in %"},
      {u"%s %x %x", u"%s 1ff %x"},  // one value only: other directives stay as written
      {u"%0999999999x", std::u16string(29, u'0') + u"1ff"},  // widths stop at 32
  };
  for (const auto& [text, name] : cases) {
    EXPECT_EQ(KeyNameOf(0x1FF, load(text).get()), name) << Utf16ToUtf8(text);
  }
  const auto table = load(u"%x");
  EXPECT_EQ(KeyNameOf(0x120, table.get()), u"Mute");
  EXPECT_EQ(MediaName(7, table.get()), u"Mute");
  EXPECT_EQ(FunctionName(1, table.get()), u"Nouveau");
  EXPECT_EQ(KeyNameOf(0x01E, table.get()), u"A");
  EXPECT_EQ(KeyNameOf(0x1FF, load(std::u16string(300, u'x')).get()).size(), 259u);
}

TEST(KeyCodesTest, UsagesComeFromTheKeyboardsOwnCodes) {
  EXPECT_EQ(UsageOf(0x01E), (UsageRef{7, 0x04}));
  EXPECT_EQ(UsageOf(0x11D), (UsageRef{7, 0xE4}));
  EXPECT_EQ(UsageOf(0x120), (UsageRef{12, 0x00E2}));
  EXPECT_EQ(UsageOf(0x15E), (UsageRef{1, 0x81}));
  EXPECT_EQ(UsageOf(0x171), (UsageRef{0, 0}));  // Left Button
  EXPECT_EQ(UsageOf(0x174), (UsageRef{12, 0}));
  EXPECT_EQ(UsageOf(0x202), (UsageRef{0, 0}));

  const std::pair<UsageRef, KeyCode> keys[] = {
      {{7, 0x04}, 0x01E}, {{7, 0x48}, 0x045} /* Pause before Break */, {{7, 0xE5}, 0x036},
      {{7, 0x104}, 0},    {{12, 0x00CD}, 0x122}, {{12, 0}, 0x174},  {{1, 0x82}, 0x15F},
      {{1, 0x84}, 0},     {{3, 0x04}, 0}};
  for (const auto& [usage, key] : keys) EXPECT_EQ(KeyOfUsage(usage), key) << usage.id;
  for (int m = 0; m < kMediaCount; ++m) {
    EXPECT_EQ(UsageOf(MediaKey(m)), (UsageRef{12, MediaUsage(m)})) << m;
    EXPECT_EQ(KeyOfUsage({12, MediaUsage(m)}), MediaKey(m)) << m;
  }
}

TEST(KeyCodesTest, DefaultLayoutUsesTheSameUsages) {
  const KeyMapBytes& layout = BuiltInDefaultLayout();
  auto key_at = [&](int position) -> KeyCode {
    const uint8_t* e = &layout[position * 3];
    if (e[0] != 2) return 0;
    return e[1] == 2 ? KeyOfUsage({7, e[2]}) : KeyOfModifierMask(e[2]);
  };
  // Esc, Ctrl, A, Print Screen, App, Pause, Insert, Right Shift, Num Lock, Num 7, Num /
  const std::pair<int, KeyCode> keys[] = {{8, 0x001},   {13, 0x01D},  {19, 0x01E},  {38, 0x137},
                                          {61, 0x15D},  {62, 0x045},  {70, 0x152},  {100, 0x036},
                                          {113, 0x145}, {114, 0x047}, {121, 0x135}};
  for (auto [position, key] : keys) EXPECT_EQ(key_at(position), key) << position;
  for (int p = 0; p < 160; ++p) {
    if (layout[p * 3] == 2 && layout[p * 3 + 1] == 2) {
      EXPECT_NE(key_at(p), 0) << p;
    }
  }
}

TEST(KeyCodesTest, ModifierBits) {
  const KeyCode keys[] = {0x01D, 0x02A, 0x038, 0x15B, 0x11D, 0x036, 0x138, 0x15C};
  for (int bit = 0; bit < 8; ++bit) EXPECT_EQ(ModifierBitOf(keys[bit]), 1 << bit);
  EXPECT_EQ(ModifierBitOf(0x136), 0);
  EXPECT_EQ(KeyOfModifierMask(0x22), 0x02A);
  EXPECT_EQ(KeyOfModifierMask(0x80), 0x15C);
  EXPECT_EQ(KeyOfModifierMask(0), 0);
}

TEST(KeyCodesTest, VirtualKeysAndKeystrokes) {
  // 0x24 is Home's: Num 7 produces it only with Num Lock off.
  const std::pair<uint8_t, uint8_t> map[] = {
      {0x41, 0x1E}, {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38}, {0x0D, 0x1C}, {0x2C, 0xB7},
      {0xA1, 0x36}, {0x24, 0xC7}, {0x67, 0x47}, {0xAD, 0xA0}, {0xE9, 0x71}, {0x5F, 0xDF},
      {0x8B, 0xD2}, {0x9D, 0xD5}, {0x01, 0},    {0x02, 0},    {0x04, 0},    {0x88, 0},
      {0x8A, 0},    {0x97, 0},    {0x9B, 0},    {0x9E, 0},    {0x9F, 0},    {0xFF, 0}};
  for (auto [vk, index] : map) EXPECT_EQ(VkMapEntry(vk), index) << int(vk);

  // VK, scan code with the extended flag, key
  const std::tuple<uint8_t, KeyCode, KeyCode> keystrokes[] = {
      {0xA1, 0x136, 0x036}, {0xA1, 0x036, 0x036},  // Right Shift, flagged extended or not
      {0x24, 0x047, 0x047}, {0x24, 0x147, 0x147},  // Num 7 with Num Lock off, Home
      {0x41, 0x000, 0x01E}, {0x41, 0x030, 0x01E},  // no scan code, another key's scan code
      {0x2C, 0x137, 0x137}, {0x2C, 0x054, 0x054},  // Print Screen, Sys Req
      {0x11, 0x01D, 0x01D}, {0xFF, 0x070, 0x070}};
  for (auto [vk, scan, key] : keystrokes) {
    EXPECT_EQ(KeyOfKeystroke(vk, uint32_t{scan} << 16), key) << int(vk) << " " << scan;
  }
  EXPECT_EQ(KeyOfKeystroke(0x41, 0xC01E0001u), 0x01E);  // repeat count and transition bits
}

TEST(KeyCodesTest, MediaAndFunctionTables) {
  EXPECT_EQ(MediaKey(0), 0x16D);
  EXPECT_EQ(MediaKey(18), 0);
  EXPECT_EQ(MediaKey(-1), 0);
  EXPECT_EQ(MediaUsage(5), 0x00EA);
  EXPECT_EQ(MediaUsage(18), 0);
  EXPECT_EQ(KeyNumberOf(MediaKey(15)), 0x801E);
  EXPECT_EQ(MediaName(18, nullptr), u"");
  EXPECT_EQ(FunctionNameKey(3), LangKey::FUNC_KEY_DESC4);
  EXPECT_EQ(FunctionName(0, nullptr), u"Open");
  EXPECT_EQ(FunctionName(11, nullptr), u"");
  EXPECT_EQ(FunctionName(-1, nullptr), u"");
}

TEST(KeyCodesTest, PanelAndGKeys) {
  const auto panel = PanelKeyTable();
  ASSERT_EQ(panel.size(), 104u);
  std::set<int> controls, lights;
  std::set<KeyCode> codes;
  for (const PanelKey& k : panel) {
    controls.insert(k.control);
    codes.insert(k.code);
    lights.insert(k.light_position);
    EXPECT_LT(KeyNumberOf(k.code), kKeyListSize) << k.code;  // every button is a listed key
  }
  EXPECT_EQ(controls.size() + codes.size() + lights.size(), 3 * 104u);
  EXPECT_EQ(panel[37].code, 0x001);
  EXPECT_EQ(LightPositionOfControl(1058), 64);
  EXPECT_EQ(LightPositionOfControl(1141), 125);
  EXPECT_EQ(LightPositionOfControl(1174), 110);
  EXPECT_EQ(LightPositionOfControl(1005), 0);

  EXPECT_EQ(GKeyControl(6), 1140);
  EXPECT_EQ(GKeyControl(10), 0);
  EXPECT_EQ(GKeySlot(1, 0), 0x200);
  EXPECT_EQ(GKeySlot(9, 1), 0x211);
  EXPECT_EQ(GKeySlot(1, 2), 0);
  const std::pair<int, uint16_t> identities[] = {
      {255, 0}, {256, 0x0301}, {264, 0x0309}, {265, 0x1301}, {273, 0x1309}, {274, 0}};
  for (auto [slot, code] : identities) EXPECT_EQ(GIdentityCode(slot), code) << slot;

  EXPECT_EQ(SkinNameOfKey(0x01E), u"KEY_01E");
  EXPECT_EQ(SkinNameOfKey(0x152), u"KEY_0D2");
  EXPECT_EQ(SkinNameOfGKey(3), u"FUNC_G3");
}

}  // namespace
}  // namespace velkor::testing
