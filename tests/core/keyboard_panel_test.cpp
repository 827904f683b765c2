// The keyboard picture's decisions: clicks, slots and the flipped layout.
#include "app/keyboard_panel.h"

#include <gtest/gtest.h>

#include "model/key_codes.h"
#include "resources/resource.h"

namespace velkor::testing {
namespace {

TEST(KeyboardPanel, GKeysAlwaysOpenTheEditorOnTheirSlotOfTheBankOnShow) {
  const int controls[] = {IDC_MAIN_G1, IDC_MAIN_G2, IDC_MAIN_G3, IDC_MAIN_G4, IDC_MAIN_G5,
                          IDC_MAIN_G6, IDC_MAIN_G7, IDC_MAIN_G8, IDC_MAIN_G9};
  for (int i = 0; i < 9; ++i) {
    for (bool lamp : {false, true}) {
      const KeyClickAction a = DecideKeyClick(controls[i], 0, lamp, true);
      EXPECT_EQ(a.action, KeyClick::kOpenEditor) << i;
      EXPECT_EQ(a.slot, 0x100 + i);
      EXPECT_EQ(DecideKeyClick(controls[i], 1, lamp, false).slot, 0x109 + i);
      EXPECT_EQ(a.macro_key, i == 8);
    }
  }
}

TEST(KeyboardPanel, PanelKeysOpenTheEditorOrPaintOnlyInTheUserEffect) {
  // Insert's code 0x152 has key index 0xD2.
  EXPECT_EQ(DecideKeyClick(IDC_MAIN_KEY_INSERT, 1, false, false).slot, 0xD2);
  EXPECT_EQ(DecideKeyClick(IDC_MAIN_KEY_ESC, 0, false, true).slot, 0x01);
  EXPECT_EQ(DecideKeyClick(IDC_MAIN_KEY_A, 0, false, false).slot, 0x1E);
  EXPECT_EQ(DecideKeyClick(IDC_MAIN_KEY_ENTER, 0, false, false).slot, 0x1C);
  EXPECT_FALSE(DecideKeyClick(IDC_MAIN_KEY_A, 0, false, false).macro_key);

  const KeyClickAction paint = DecideKeyClick(IDC_MAIN_KEY_INSERT, 0, true, true);
  EXPECT_EQ(paint.action, KeyClick::kPaint);
  EXPECT_EQ(paint.light_position, 35);
  EXPECT_EQ(DecideKeyClick(IDC_MAIN_KEY_INSERT, 0, true, false).action, KeyClick::kNothing)
      << "another effect than the user-defined one: a click does nothing";
}

TEST(KeyboardPanel, FnAndTheFlippedKeysAndStrangers) {
  EXPECT_EQ(DecideKeyClick(kFnControl, 0, false, true).action, KeyClick::kNothing);
  const KeyClickAction fn = DecideKeyClick(kFnControl, 0, true, true);
  EXPECT_EQ(fn.action, KeyClick::kPaint);
  EXPECT_EQ(fn.light_position, 110);
  EXPECT_EQ(DecideKeyClick(kFnControl, 0, true, false).action, KeyClick::kNothing);
  for (int d = IDC_MAIN_D1; d <= IDC_MAIN_D6; ++d) {
    EXPECT_EQ(DecideKeyClick(d, 0, false, false).action, KeyClick::kNothing);
    EXPECT_EQ(DecideKeyClick(d, 0, true, true).action, KeyClick::kNothing);
  }
  EXPECT_EQ(DecideKeyClick(IDC_MAIN_APPLY, 0, false, false).action, KeyClick::kNothing);
}

TEST(KeyboardPanel, AnyNumberButZeroIsTheFlippedLayout) {
  EXPECT_EQ(FlipFromSetting(u"0"), 0);
  EXPECT_EQ(FlipFromSetting(u"1"), 1);
  EXPECT_EQ(FlipFromSetting(u"5"), 1);
  EXPECT_EQ(FlipFromSetting(u"-1"), 1);
  EXPECT_EQ(FlipFromSetting(u"007"), 1);
  EXPECT_EQ(FlipFromSetting(u"000"), 0);
  EXPECT_EQ(FlipFromSetting(u""), 0) << "missing reads the default 0";
  EXPECT_EQ(FlipFromSetting(u"yes"), 0) << "no number";
  EXPECT_EQ(ToggledFlipSetting(FlipFromSetting(u"5")), u"0");
  EXPECT_EQ(ToggledFlipSetting(0), u"1");

  const FlipView plain = ShowFlipState(0);
  EXPECT_TRUE(plain.f_keys_enabled);
  EXPECT_FALSE(plain.d_keys_enabled);
  EXPECT_EQ(plain.indicator_set, 0);
  const FlipView flipped = ShowFlipState(1);
  EXPECT_FALSE(flipped.f_keys_enabled);
  EXPECT_TRUE(flipped.d_keys_enabled);
  EXPECT_EQ(flipped.indicator_set, 1);
}

}  // namespace
}  // namespace velkor::testing
