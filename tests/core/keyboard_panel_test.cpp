// The keyboard picture's decisions: clicks, slots and the flipped layout.
#include "app/keyboard_panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(KeyboardPanel, TheGKeysChecksComeFromTheBankOnShow) {
  ProfileImage image;
  image.Entry(1, 0x100).kind = 2;  // G1, bank A
  image.Entry(1, 0x108).kind = 4;  // G9, bank A
  image.Entry(1, 0x10A).kind = 7;  // G2, bank B
  image.Entry(0, 0x101).kind = 2;  // another profile
  const auto a = GKeyChecks(image, 1, 0);
  EXPECT_EQ(a, (std::array<bool, 9>{true, false, false, false, false, false, false, false, true}));
  const auto b = GKeyChecks(image, 1, 1);
  EXPECT_EQ(b, (std::array<bool, 9>{false, true, false, false, false, false, false, false, false}));
  EXPECT_EQ(GKeyChecks(image, -1, 0), (std::array<bool, 9>{})) << "no profile known: nothing checked";
  EXPECT_EQ(GKeyChecks(image, 3, 0), (std::array<bool, 9>{}));
}

TEST(KeyboardPanel, RepaintChainsAndTheFlipButtonsArrows) {
  const std::vector<int> g_keys{IDC_MAIN_G1, IDC_MAIN_G2, IDC_MAIN_G3, IDC_MAIN_G4, IDC_MAIN_G5,
                                IDC_MAIN_G6, IDC_MAIN_G7, IDC_MAIN_G8, IDC_MAIN_G9};
  EXPECT_EQ(RepaintedWith(IDC_MAIN_LOCK_AB, 1), g_keys);
  EXPECT_EQ(RepaintedWith(IDC_MAIN_FLIP_INDICATOR, 0),
            (std::vector<int>{IDC_MAIN_KEY_F1, IDC_MAIN_KEY_F2, IDC_MAIN_KEY_F3, IDC_MAIN_KEY_F4, IDC_MAIN_KEY_F5,
                              IDC_MAIN_FLIP1, IDC_MAIN_FLIP2}));
  EXPECT_EQ(RepaintedWith(IDC_MAIN_FLIP_INDICATOR, 1),
            (std::vector<int>{IDC_MAIN_D1, IDC_MAIN_D2, IDC_MAIN_D3, IDC_MAIN_D4, IDC_MAIN_D5, IDC_MAIN_D6,
                              IDC_MAIN_KEY_F5, IDC_MAIN_FLIP1, IDC_MAIN_FLIP2}));
  EXPECT_EQ(RepaintedWith(IDC_MAIN_KEY_ENTER, 0), std::vector<int>{IDC_MAIN_KEY_RBRACKET});
  // No chain repaints the button it started from (a repaint loop).
  for (int start : {IDC_MAIN_LOCK_AB, IDC_MAIN_FLIP_INDICATOR, IDC_MAIN_KEY_ENTER}) {
    for (int flip : {0, 1}) {
      for (int next : RepaintedWith(start, flip)) EXPECT_TRUE(RepaintedWith(next, flip).empty()) << next;
    }
  }
  EXPECT_EQ(ArrowOfFlipButton(IDC_MAIN_FLIP1), IDC_MAIN_LEFT_ARROW);
  EXPECT_EQ(ArrowOfFlipButton(IDC_MAIN_FLIP2), IDC_MAIN_RIGHT_ARROW);
  EXPECT_EQ(ArrowOfFlipButton(IDC_MAIN_FLIP_INDICATOR), 0);
}

// Records what the panel's steps asked of the window, in order.
class RecordingHost : public KeyboardPanelHost {
 public:
  std::vector<std::string> calls;
  int keyboard_profile = 0;
  bool user_modes = true;
  bool lamp = false;
  bool yes = true;

  void SetLightingProfile(int p) override { calls.push_back("lighting profile " + std::to_string(p)); }
  void LoadLighting(bool modes) override { calls.push_back(modes ? "load with modes" : "load"); }
  bool UserModesSupported() override { return user_modes; }
  void ReloadUserModes() override { calls.push_back("user modes"); }
  void RebuildLightingPanel() override { calls.push_back("rebuild"); }
  bool PanelSwitchOn() override { return lamp; }
  void TurnPanelSwitchOff() override { calls.push_back("lamp off"); }
  void RestoreLightingDefaults() override { calls.push_back("lighting defaults"); }
  int KeyboardProfile() override { return keyboard_profile; }
  void SwitchProfile(int p) override { calls.push_back("switch " + std::to_string(p)); }
  void ShowProfileChecks(int p) override { calls.push_back("checks " + std::to_string(p)); }
  bool AskRestoreDefaults() override {
    calls.push_back("ask");
    return yes;
  }
  void ClearVisibleAssignments() override { calls.push_back("clear"); }
  void Apply() override { calls.push_back("apply"); }
};

using Calls = std::vector<std::string>;

TEST(KeyboardPanel, AProfileButtonMovesTheLightingAndSwitchesOnlyAnotherProfile) {
  RecordingHost host;
  host.keyboard_profile = 1;
  host.lamp = true;
  PressProfileButton(1, host);
  EXPECT_EQ(host.calls, (Calls{"lighting profile 1", "load", "user modes", "rebuild", "lamp off"}))
      << "the profile the keyboard runs already: lighting reloaded, no switch";

  host.calls.clear();
  host.lamp = false;
  host.user_modes = false;
  PressProfileButton(2, host);
  EXPECT_EQ(host.calls, (Calls{"lighting profile 2", "load", "rebuild", "switch 2"}));

  host.calls.clear();
  host.keyboard_profile = -1;  // not known: the switch says which it is
  PressProfileButton(0, host);
  EXPECT_EQ(host.calls.back(), "switch 0");
  host.calls.clear();
  PressProfileButton(3, host);
  EXPECT_TRUE(host.calls.empty());
}

TEST(KeyboardPanel, RestoreDefaultsAsksFirstAndRestoresLightingOnlyWithTheLampOn) {
  RecordingHost host;
  host.yes = false;
  PressRestoreDefaults(host);
  EXPECT_EQ(host.calls, Calls{"ask"});
  host.calls.clear();
  host.yes = true;
  PressRestoreDefaults(host);
  EXPECT_EQ(host.calls, (Calls{"ask", "clear", "apply"}));
  host.calls.clear();
  host.lamp = true;
  PressRestoreDefaults(host);
  EXPECT_EQ(host.calls, (Calls{"ask", "clear", "lighting defaults", "apply"}));
}

TEST(KeyboardPanel, TheStartupCheckShowsOnlyAProfileTheKeyboardCanRun) {
  RecordingHost host;
  host.keyboard_profile = 2;
  CheckStartupProfile(host);
  EXPECT_EQ(host.calls, (Calls{"checks 2", "lighting profile 2", "load with modes", "rebuild"}));
  for (int odd : {-1, 3, 0xFF}) {
    host.calls.clear();
    host.keyboard_profile = odd;
    CheckStartupProfile(host);
    EXPECT_EQ(host.calls, (Calls{"load with modes", "rebuild"})) << odd;
  }
}

}  // namespace
}  // namespace velkor::testing
