// The skin that ships beside the program: every file the windows load is
// there, every control the windows place has a rectangle inside its window,
// every sheet is as large as its window or at least holds every face cut
// from it, and the flipped layout's D keys take the place of F1..F4.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/lighting.h"
#include "platform/bytes.h"
#include "platform/portable_ini_store.h"
#include "platform/text.h"
#include "ui/skin_bindings.h"
#include "ui/skin_layout.h"

#ifndef VELKOR_TEST_SKINS_DIR
#error "VELKOR_TEST_SKINS_DIR names the built Skins folder"
#endif

namespace velkor::testing {
namespace {

namespace fs = std::filesystem;

struct Size {
  int w = 0;
  int h = 0;
  bool operator==(const Size&) const = default;
};

fs::path SkinsDir() { return fs::path(VELKOR_TEST_SKINS_DIR); }

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Width and height from a BMP's info header or a JPEG's frame header.
std::optional<Size> ImageSize(const fs::path& path) {
  const std::string bytes = ReadAll(path);
  auto u8 = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  if (bytes.size() > 26 && bytes[0] == 'B' && bytes[1] == 'M') {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const int w = static_cast<int>(Get32(p + 18));
    const int h = static_cast<int>(Get32(p + 22));
    return Size{w, h < 0 ? -h : h};
  }
  if (bytes.size() > 4 && u8(0) == 0xFF && u8(1) == 0xD8) {
    size_t at = 2;
    while (at + 9 < bytes.size()) {
      if (u8(at) != 0xFF) return std::nullopt;
      const uint8_t marker = u8(at + 1);
      const size_t length = (u8(at + 2) << 8) | u8(at + 3);
      if (marker >= 0xC0 && marker <= 0xC3) {
        return Size{(u8(at + 7) << 8) | u8(at + 8), (u8(at + 5) << 8) | u8(at + 6)};
      }
      at += 2 + length;
    }
  }
  return std::nullopt;
}

// Sheets drawn over part of a window only: the arrow and colour pictures, and
// the flipped layout's key sheets, which end just past D1..D6.
bool CoversTheWindow(std::u16string_view sheet) {
  return sheet != u"Arrow.jpg" && sheet != u"main_color0.jpg" && sheet != u"main_color1.jpg" &&
         !sheet.starts_with(u"main_flip_");
}

bool Overlap(const SkinRect& a, const SkinRect& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

class ShippedSkin : public ::testing::Test {
 protected:
  SkinFile Skin(const SkinWindowPlan& plan) {
    return SkinFile(store_, (SkinsDir() / fs::path(plan.ini_name)).u16string(), SkinsDir().u16string());
  }
  // The window's size is its background's.
  std::optional<Size> WindowSize(const SkinWindowPlan& plan) {
    const std::u16string name = store_.ReadString((SkinsDir() / fs::path(plan.ini_name)).u16string(), u"SCREEN",
                                                  u"Main", u"", 2047);
    if (name.empty()) return std::nullopt;
    return ImageSize(SkinsDir() / fs::path(name));
  }
  PortableIniStore store_;
};

TEST_F(ShippedSkin, EveryWindowHasItsBackgroundMaskAndSheetsAtTheWindowsSize) {
  for (SkinWindow window : AllSkinWindows()) {
    const SkinWindowPlan& plan = SkinPlanOf(window);
    SCOPED_TRACE(Utf16ToUtf8(plan.ini_name));
    ASSERT_TRUE(fs::exists(SkinsDir() / fs::path(plan.ini_name)));
    const std::optional<Size> size = WindowSize(plan);
    ASSERT_TRUE(size.has_value()) << "no readable background";
    const SkinFile skin = Skin(plan);
    const std::u16string mask = skin.MaskPath();
    ASSERT_FALSE(mask.empty());
    const std::string mask_name = Utf16ToUtf8(mask.substr(mask.find_last_of(u"\\/") + 1));
    EXPECT_EQ(ImageSize(SkinsDir() / mask_name), size) << mask_name;
    for (std::u16string_view sheet : plan.sheet_files) {
      if (!CoversTheWindow(sheet)) {
        EXPECT_TRUE(ImageSize(SkinsDir() / fs::path(sheet)).has_value()) << Utf16ToUtf8(sheet);
        continue;
      }
      EXPECT_EQ(ImageSize(SkinsDir() / fs::path(sheet)), size) << Utf16ToUtf8(sheet);
    }
  }
}

TEST_F(ShippedSkin, EveryControlTheWindowsPlaceLiesInsideItsWindow) {
  for (SkinWindow window : AllSkinWindows()) {
    const SkinWindowPlan& plan = SkinPlanOf(window);
    SCOPED_TRACE(Utf16ToUtf8(plan.ini_name));
    const std::optional<Size> size = WindowSize(plan);
    ASSERT_TRUE(size.has_value());
    const SkinFile skin = Skin(plan);
    for (const SkinBinding& b : plan.bindings) {
      const SkinRect r = skin.Rect(b.key);
      const std::string key = Utf16ToUtf8(b.key);
      EXPECT_NE(r, kMissingSkinRect) << key << " is missing";
      EXPECT_FALSE(r.x == 1 && r.y == 1) << key << " would be disabled";
      EXPECT_GE(r.x, 1) << key;  // the face is cut at x - 1
      EXPECT_GE(r.y, 1) << key;
      if (b.kind != BindingKind::kPositionOnly) {
        EXPECT_GT(r.w, 0) << key;
        EXPECT_GT(r.h, 0) << key;
        EXPECT_LE(r.x + r.w, size->w) << key;
        EXPECT_LE(r.y + r.h, size->h) << key;
      } else {
        EXPECT_LT(r.x, size->w) << key;
        EXPECT_LT(r.y, size->h) << key;
      }
    }
  }
}

// A face is the piece of a sheet at (x - 1, y - 1) as large as the button; a
// sheet that ends before it leaves the button black there.
TEST_F(ShippedSkin, EveryImageButtonsFaceLiesInsideEachSheetItIsCutFrom) {
  for (SkinWindow window : AllSkinWindows()) {
    const SkinWindowPlan& plan = SkinPlanOf(window);
    SCOPED_TRACE(Utf16ToUtf8(plan.ini_name));
    const SkinFile skin = Skin(plan);
    std::map<uint8_t, std::optional<Size>> sizes;
    for (const SkinBinding& b : plan.bindings) {
      if (b.kind != BindingKind::kImageButton) continue;
      const SkinRect r = skin.Rect(b.key);
      for (uint8_t index : b.sheets) {
        ASSERT_LT(index, plan.sheet_files.size()) << Utf16ToUtf8(b.key);
        if (!sizes.contains(index)) sizes[index] = ImageSize(SkinsDir() / fs::path(plan.sheet_files[index]));
        const std::optional<Size>& sheet = sizes[index];
        const std::string what = Utf16ToUtf8(b.key) + " from " + Utf16ToUtf8(plan.sheet_files[index]);
        ASSERT_TRUE(sheet.has_value()) << what;
        EXPECT_LE(r.x - 1 + r.w, sheet->w) << what;
        EXPECT_LE(r.y - 1 + r.h, sheet->h) << what;
      }
    }
  }
}

// With the flipped layout the main window hides F1..F4 and shows D1..D6 in
// their place: the six keys must stay inside the block of the four, left to
// right, without covering each other, or the row shows holes or stacked keys.
TEST_F(ShippedSkin, TheDKeysShareTheBlockOfF1ToF4) {
  const SkinFile skin = Skin(SkinPlanOf(SkinWindow::kMain));
  const SkinRect f1 = skin.Rect(u"KEY_03B");
  const SkinRect f4 = skin.Rect(u"KEY_03E");
  ASSERT_NE(f1, kMissingSkinRect);
  ASSERT_NE(f4, kMissingSkinRect);
  const int left = f1.x, right = f4.x + f4.w, top = f1.y, bottom = f1.y + f1.h;
  std::vector<SkinRect> keys;
  for (char16_t n = u'1'; n <= u'6'; ++n) {
    const std::u16string key = std::u16string(u"FUNC_D") + n;
    const SkinRect r = skin.Rect(key);
    SCOPED_TRACE(Utf16ToUtf8(key));
    ASSERT_NE(r, kMissingSkinRect);
    EXPECT_GE(r.x, left);
    EXPECT_LE(r.x + r.w, right);
    EXPECT_GE(r.y, top);
    EXPECT_LE(r.y + r.h, bottom);
    if (!keys.empty()) {
      EXPECT_GT(r.x, keys.back().x) << "out of order";
    }
    for (const SkinRect& other : keys) EXPECT_FALSE(Overlap(r, other));
    keys.push_back(r);
  }
}

TEST_F(ShippedSkin, ArrowPicturesComeFromInsideTheArrowSheet) {
  const SkinWindowPlan& plan = SkinPlanOf(SkinWindow::kMain);
  const SkinFile skin = Skin(plan);
  const std::optional<Size> arrows = ImageSize(SkinsDir() / "Arrow.jpg");
  ASSERT_TRUE(arrows.has_value());
  for (ArrowSide side : {ArrowSide::kLeft, ArrowSide::kRight}) {
    const SkinRect place = skin.Rect(side == ArrowSide::kLeft ? u"LEFT_ARROW" : u"RIGHT_ARROW");
    for (bool flipped : {false, true}) {
      for (int frame : {1, 2}) {
        const std::u16string key = ArrowSourceKey(side, flipped, frame);
        const SkinRect source = skin.Rect(key, kArrowSection);
        EXPECT_NE(source, kMissingSkinRect) << Utf16ToUtf8(key);
        EXPECT_LE(source.x - 1 + place.w, arrows->w) << Utf16ToUtf8(key);
        EXPECT_LE(source.y - 1 + place.h, arrows->h) << Utf16ToUtf8(key);
      }
    }
  }
}

TEST_F(ShippedSkin, LightingPanelHasLabelsAndEffectNamesInBothLanguages) {
  const SkinFile skin = Skin(SkinPlanOf(SkinWindow::kMain));
  for (const char16_t* key : {u"Usb", u"Deng", u"Light", u"FX", u"FXL", u"FXR", u"Speed", u"Color", u"JColor",
                              u"DC", u"Tool"}) {
    EXPECT_NE(skin.Label(0, key).value_or(u""), u"") << Utf16ToUtf8(key);
    EXPECT_NE(skin.Label(1, key).value_or(u""), u"") << Utf16ToUtf8(key);
  }
  for (int effect : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, kUserDefinedEffect}) {
    EXPECT_NE(EffectName(store_, skin.path(), 0, effect), u"") << effect;
    EXPECT_NE(EffectName(store_, skin.path(), 1, effect), u"") << effect;
  }
}

TEST_F(ShippedSkin, PicturesUserModesHelpAndPackageAreInPlace) {
  for (std::u16string_view picture : LightingPanelPictures()) {
    EXPECT_TRUE(ImageSize(SkinsDir() / fs::path(picture)).has_value()) << Utf16ToUtf8(picture);
  }
  // The panel's pictures are as large as the controls that show them.
  const SkinFile skin = Skin(SkinPlanOf(SkinWindow::kMain));
  const SkinRect lamp = skin.Rect(u"CONTROL_DengStaPic");
  EXPECT_EQ(ImageSize(SkinsDir() / "dengup.bmp"), (Size{lamp.w, lamp.h}));
  const SkinRect busy = skin.Rect(u"CONTROL_JDTStatic");
  EXPECT_EQ(ImageSize(SkinsDir() / "jdt10.bmp"), (Size{busy.w, busy.h}));
  const SkinRect slider = skin.Rect(u"CONTROL_LightSlider");
  EXPECT_EQ(ImageSize(SkinsDir() / "4.bmp"), (Size{slider.w, slider.h}));

  const std::u16string modes_path = (SkinsDir() / "UserDengColor_3.userd").u16string();
  ASSERT_TRUE(fs::exists(SkinsDir() / "UserDengColor_3.userd"));
  UserModeFile modes(store_, modes_path);
  std::set<std::u16string> names;
  for (int mode = 0; mode < 10; ++mode) {
    const std::u16string name = modes.Name(mode);
    EXPECT_NE(name, u"0") << "mode " << mode << " has no name";
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 10u);

  EXPECT_TRUE(fs::exists(SkinsDir().parent_path() / "Help" / "index.html"));
  EXPECT_TRUE(fs::is_directory(SkinsDir().parent_path() / "Package"));
}

}  // namespace
}  // namespace velkor::testing
