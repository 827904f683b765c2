// Reading skin files and the decisions behind skinned buttons and window
// shapes.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "platform/portable_ini_store.h"
#include "tests/support/temp_dir.h"
#include "ui/button_face.h"
#include "ui/mask_shape.h"
#include "ui/skin_bindings.h"
#include "ui/skin_layout.h"

namespace velkor::testing {
namespace {

TEST(SkinRect, ReadsFourNumbersTheWayTheCLibraryDoes) {
  EXPECT_EQ(ParseSkinRect(u"10,20,30,40"), (SkinRect{10, 20, 30, 40}));
  EXPECT_EQ(ParseSkinRect(u" 10, 20,\t30,+40 and more"), (SkinRect{10, 20, 30, 40}));
  EXPECT_EQ(ParseSkinRect(u"-5,0,7,8,9"), (SkinRect{-5, 0, 7, 8}));
  EXPECT_EQ(ParseSkinRect(u"99999999999,-99999999999,1,2"), (SkinRect{INT_MAX, INT_MIN, 1, 2}));
  // What a missing key reads as.
  EXPECT_EQ(ParseSkinRect(u"1,1,1,1,x"), kMissingSkinRect);
}

TEST(SkinRect, AnythingShortOfFourNumbersIsTheMissingRectangle) {
  for (const char16_t* bad : {u"", u"10", u"10,20", u"10,20,30", u"10,20,30,", u"10 ,20,30,40", u"a,b,c,d",
                              u"10;20;30;40"}) {
    EXPECT_EQ(ParseSkinRect(bad), kMissingSkinRect) << Utf16ToUtf8(bad);
  }
}

TEST(ImageButtonPlacement, TakesItsSourceFromThePositionAndIsDisabledAtOneOne) {
  const ImageButtonPlacement placed = PlaceImageButton({10, 20, 30, 40});
  EXPECT_EQ(placed.rect, (SkinRect{10, 20, 30, 40}));
  EXPECT_EQ(placed.source_x, 10);  // the face starts at sheet pixel (9, 19)
  EXPECT_EQ(placed.source_y, 20);
  EXPECT_TRUE(placed.enabled);
  EXPECT_FALSE(PlaceImageButton(kMissingSkinRect).enabled);
  EXPECT_FALSE(PlaceImageButton({1, 1, 80, 24}).enabled);
  EXPECT_TRUE(PlaceImageButton({1, 2, 80, 24}).enabled);
}

class SkinFileTest : public ::testing::Test {
 protected:
  SkinFile Make(std::u16string_view text) {
    const std::u16string path = dir_.WriteUtf16("Main.ini", text);
    return SkinFile(store_, path, dir_.path().u16string());
  }
  TempDir dir_;
  PortableIniStore store_;
};

TEST_F(SkinFileTest, ReadsRectanglesImagesAndLink) {
  const SkinFile skin = Make(
      u"[SCREEN]\r\nMain=back.bmp\r\nMask=shape.bmp\r\nLink=https://keyboard.test/\r\n"
      u"[buttoninfo]\r\ncontrol_ok=10,20,30,40\r\nBROKEN=7,8\r\n"
      u"[BUTTONINFO2]\r\nUP_ARROW_LEFT2=3,4,0,0\r\n");
  EXPECT_EQ(skin.Rect(u"CONTROL_OK"), (SkinRect{10, 20, 30, 40}));
  EXPECT_EQ(skin.Rect(u"CONTROL_CANCEL"), kMissingSkinRect);
  EXPECT_EQ(skin.Rect(u"BROKEN"), kMissingSkinRect);
  EXPECT_EQ(skin.Rect(ArrowSourceKey(ArrowSide::kLeft, true, 2), kArrowSection), (SkinRect{3, 4, 0, 0}));
  const std::u16string folder = dir_.path().u16string();
  EXPECT_EQ(skin.BackgroundPath(), folder + u"\\back.bmp");
  EXPECT_EQ(skin.MaskPath(), folder + u"\\shape.bmp");
  EXPECT_EQ(skin.Link(), u"https://keyboard.test/");
}

TEST_F(SkinFileTest, AMissingMaskIsTheBackgroundAndAMissingBackgroundIsNothing) {
  const SkinFile only_main = Make(u"[SCREEN]\r\nMain=back.jpg\r\n");
  EXPECT_EQ(only_main.MaskPath(), only_main.BackgroundPath());
  const SkinFile empty = Make(u"[BUTTONINFO]\r\n");
  EXPECT_EQ(empty.BackgroundPath(), u"");
  EXPECT_EQ(empty.MaskPath(), u"");
  EXPECT_EQ(empty.Link(), kDefaultLink);
}

TEST_F(SkinFileTest, LabelsFollowTheLanguage) {
  const SkinFile skin = Make(
      u"[Control_Name]\r\nLight=Brightness\r\n[Control_Name1]\r\nLight=\u4eae\u5ea6\r\n");
  EXPECT_EQ(skin.Label(0, u"Light"), u"Brightness");
  EXPECT_EQ(skin.Label(1, u"Light"), u"\u4eae\u5ea6");
  EXPECT_EQ(skin.Label(0, u"Speed"), u"");
  EXPECT_EQ(skin.Label(2, u"Light"), std::nullopt);
}

TEST(ArrowPictures, KeysFollowTheFlipAndTheFrameIsRemembered) {
  EXPECT_EQ(ArrowSourceKey(ArrowSide::kLeft, false, 1), u"DOWN_ARROW_LEFT1");
  EXPECT_EQ(ArrowSourceKey(ArrowSide::kRight, true, 2), u"UP_ARROW_RIGHT2");
  ArrowFrame frame;
  EXPECT_EQ(frame.Next(7), 1);
  EXPECT_EQ(frame.Next(1), 2);
  EXPECT_EQ(frame.Next(-1), 2);
  EXPECT_EQ(frame.Next(2), 2);
  EXPECT_EQ(frame.Next(0), 1);
  EXPECT_EQ(frame.Next(5), 1);
}

TEST(FaceSheet, FirstMatchingStateWins) {
  FaceState disabled_checked;
  disabled_checked.window_disabled = true;
  disabled_checked.checked = true;
  disabled_checked.hover = true;
  EXPECT_EQ(ChooseFaceSheet(disabled_checked), FaceSheet::kDisabled);

  FaceState checked;
  checked.checked = true;
  EXPECT_EQ(ChooseFaceSheet(checked), FaceSheet::kChecked);
  checked.hover = true;  // the mouse comes over it
  EXPECT_EQ(ChooseFaceSheet(checked), FaceSheet::kOver);
  checked.down = true;
  EXPECT_EQ(ChooseFaceSheet(checked), FaceSheet::kDown);
  checked.down = checked.hover = false;  // and leaves
  EXPECT_EQ(ChooseFaceSheet(checked), FaceSheet::kChecked);

  FaceState alternative;
  alternative.alternative_mode = true;
  alternative.down = true;
  EXPECT_EQ(ChooseFaceSheet(alternative), FaceSheet::kAlternative1);
  alternative.alternative_selector = true;
  EXPECT_EQ(ChooseFaceSheet(alternative), FaceSheet::kAlternative2);
  EXPECT_EQ(ChooseFaceSheet(FaceState{}), FaceSheet::kNormal);
}

TEST(RotatedCaption, CorrectsOnlyTheEdgesTheTextFitsIn) {
  // 26.8 degrees: cos 0.89259, sin 0.45088.
  // A text wider than the button (a = 89 >= 60): only the bottom edge moves,
  // up by (80 - 45) / 2 = 17 and down by trunc(0.89259 * 16 / 2) = 7.
  EXPECT_EQ(RotatedCaptionBox({0, 0, 60, 80}, 268, 100, 16), (TextBox{0, 0, 60, 70}));
  // A narrow text (a = 35, b = 18): left moves by (60 - 35) / 2 - 3 = 9.
  EXPECT_EQ(RotatedCaptionBox({0, 0, 60, 80}, 268, 40, 16), (TextBox{9, 0, 60, 56}));
  // Too wide and too tall: nothing moves.
  EXPECT_EQ(RotatedCaptionBox({5, 5, 65, 35}, 268, 100, 16), (TextBox{5, 5, 65, 35}));
}

std::vector<MaskRun> RunsOf(const std::vector<uint32_t>& pixels, int width, int height,
                            std::vector<size_t>* batches = nullptr) {
  std::vector<MaskRun> runs;
  CollectMaskRuns(pixels, width, height, [&](std::span<const MaskRun> batch) {
    if (batches) batches->push_back(batch.size());
    runs.insert(runs.end(), batch.begin(), batch.end());
  });
  return runs;
}

TEST(MaskShape, WhiteIsOutsideAndEveryOtherColourInside) {
  constexpr uint32_t W = 0xFFFFFF;
  EXPECT_TRUE(RunsOf(std::vector<uint32_t>(12, 0xFF000000 | W), 4, 3).empty());
  EXPECT_EQ(RunsOf(std::vector<uint32_t>(6, 0xFFFFFE), 3, 2),
            (std::vector<MaskRun>{{0, 0, 3, 1}, {0, 1, 3, 2}}));
  const std::vector<uint32_t> pixels = {W, 1, 2, W, 3,   //
                                        0, W, W, W, W};
  EXPECT_EQ(RunsOf(pixels, 5, 2), (std::vector<MaskRun>{{1, 0, 3, 1}, {4, 0, 5, 1}, {0, 1, 1, 2}}));
}

TEST(MaskShape, ManyRunsComeInBatchesOf2000AndCoverExactlyTheInside) {
  constexpr int kWidth = 100, kHeight = 90;  // every other pixel: 50 runs a row, 4500 in all
  std::vector<uint32_t> pixels(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = ((x + y) % 2 == 0) ? 0xFFFFFF : 0x102030;
  std::vector<size_t> batches;
  const std::vector<MaskRun> runs = RunsOf(pixels, kWidth, kHeight, &batches);
  EXPECT_EQ(batches, (std::vector<size_t>{2000, 2000, 500}));
  std::set<std::pair<int, int>> covered;
  for (const MaskRun& r : runs) {
    ASSERT_EQ(r.bottom, r.top + 1);
    for (int x = r.left; x < r.right; ++x) EXPECT_TRUE(covered.insert({x, r.top}).second);
  }
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      EXPECT_EQ(covered.count({x, y}) == 1, pixels[y * kWidth + x] != 0xFFFFFF) << x << "," << y;
}

TEST(MaskShape, RefusesABufferSmallerThanItsSize) {
  EXPECT_EQ(CollectMaskRuns(std::vector<uint32_t>(5, 0), 3, 2, [](auto) { FAIL(); }), 0u);
  EXPECT_EQ(CollectMaskRuns({}, 0, 0, [](auto) { FAIL(); }), 0u);
}

TEST(SkinPlans, NoWindowNamesAControlTwiceExceptToSkinItAgain) {
  for (SkinWindow window : AllSkinWindows()) {
    const SkinWindowPlan& plan = SkinPlanOf(window);
    std::set<std::u16string> keys;
    for (const SkinBinding& b : plan.bindings) {
      for (uint8_t sheet : b.sheets) EXPECT_LT(sheet, plan.sheet_files.size()) << Utf16ToUtf8(b.key);
      keys.insert(b.key);
    }
    // Only the composite dialog skins controls twice (with its second macro set).
    const size_t repeats = plan.bindings.size() - keys.size();
    EXPECT_EQ(repeats, window == SkinWindow::kComposite ? 5u : 0u);
  }
  // 149 image buttons (104 keys, 9 G keys, Fn, 6 D keys and 29 others), 63
  // plain controls and the 10 position-only direction variants.
  EXPECT_EQ(SkinPlanOf(SkinWindow::kMain).bindings.size(), 149u + 63 + 10);
}

}  // namespace
}  // namespace velkor::testing
