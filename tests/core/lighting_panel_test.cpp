// The lighting panel's rules, and the panel driving the keyboard (the
// emulator) through the lighting operations, with the controls recorded.
#include "editors/lighting_panel_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "device/commands.h"
#include "device/transport.h"
#include "platform/portable_ini_store.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "tests/support/device_harness.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

// ---- Rules -----------------------------------------------------------------------------

// The effects' own controls with the lamp on, written out by hand: effect list
// and brightness always; then what each effect adds.
std::set<int> ExpectedShown(int effect) {
  std::set<int> shown = {1146, 1172, 1178};
  auto add = [&](std::initializer_list<int> ids) { shown.insert(ids.begin(), ids.end()); };
  const std::set<int> speed = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  if (speed.count(effect)) add({1166, 1179});
  if (effect == 3 || effect == 5 || effect == 6) add({1148, 1149, 1150, 1224, 1227});
  if (effect == 12 || effect == 18) add({1148, 1149, 1150});
  if (effect == 1) add({1151, 1152});
  if (effect == 16) add({1151, 1152, 1175, 1176});
  if (effect == 2) add({1154, 1155});
  const std::set<int> hx_multi = {3, 5, 6, 7, 8, 9, 10, 13, 14, 15};
  if (hx_multi.count(effect)) add({1154, 1155, 1156, 1173});
  if (effect == 17) add({1194, 1195, 1196, 1197});
  if (effect == 20) add({1198, 1159, 1160, 1161, 1162, 1163, 1164, 1165});
  return shown;
}

TEST(LightingPanelRulesTest, EachEffectShowsItsControlsOnlyWithTheLampOn) {
  const std::set<int> always = {1167, 1171, 1210, 1211, 1212, 1223, 1225, 1226, 1213, 1214,
                                1215, 1216, 1217, 1218, 1219, 1220};
  for (int control : always) {
    EXPECT_TRUE(LightingControlShown(control, 4, false)) << control;
    EXPECT_TRUE(LightingControlShown(control, -1, true)) << control;
  }
  for (int effect = -1; effect <= 21; ++effect) {
    std::set<int> shown;
    for (int control : LightingPanelControlIds()) {
      EXPECT_FALSE(LightingControlShown(control, effect, false)) << control << " effect " << effect;
      if (LightingControlShown(control, effect, true)) shown.insert(control);
    }
    const std::set<int> expected =
        effect < 1 || effect == 19 || effect == 21 ? std::set<int>{1146, 1172, 1178} : ExpectedShown(effect);
    EXPECT_EQ(shown, expected) << "effect " << effect;
  }
  for (int control : NeverShownLightingControls()) {
    for (int effect = 1; effect <= 20; ++effect) EXPECT_FALSE(LightingControlShown(control, effect, true));
  }
  // Effect 4 has no colour at all; 17 has its four pictures and no speed.
  for (int colour_control : {1151, 1152, 1154, 1155, 1156, 1175, 1160, 1162}) {
    EXPECT_FALSE(LightingControlShown(colour_control, 4, true));
  }
  EXPECT_TRUE(LightingControlShown(1179, 4, true));
  EXPECT_FALSE(LightingControlShown(1179, 17, true));
}

TEST(LightingPanelRulesTest, DirectionLayoutsAndPicturesFollowTheEffect) {
  for (int effect : {3, 5, 6}) EXPECT_EQ(DirectionLayoutSuffix(effect), u"2");
  EXPECT_EQ(DirectionLayoutSuffix(12), u"3");
  for (int effect : {-1, 1, 4, 18, 20}) EXPECT_EQ(DirectionLayoutSuffix(effect), u"");
  EXPECT_EQ(DirectionPicturesOf(12).first_chosen, u"updown.bmp");
  EXPECT_EQ(DirectionPicturesOf(12).second_plain, u"downup.bmp");
  EXPECT_EQ(DirectionPicturesOf(18).first_plain, u"kuosan.bmp");
  EXPECT_EQ(DirectionPicturesOf(18).second_chosen, u"julongdown.bmp");
  EXPECT_EQ(DirectionPicturesOf(3).first_chosen, u"leftdown.bmp");
  EXPECT_EQ(DirectionPicturesOf(-1).second_plain, u"rightup.bmp");
  EXPECT_EQ(BrightnessPicture(3), u"3.bmp");
  EXPECT_EQ(SpeedPicture(0), u"6.bmp");
  EXPECT_EQ(SpeedPicture(4), u"10.bmp");
  // A record's out-of-range value never shows the other slider's picture.
  EXPECT_EQ(BrightnessPicture(7), u"4.bmp");
  EXPECT_EQ(SpeedPicture(-3), u"6.bmp");
}

TEST(LightingPanelRulesTest, ColourGoesWhereTheEffectAndToolSay) {
  EXPECT_EQ(ColourTargetOf(false, 1, 0), ColourTarget::kNothing);
  EXPECT_EQ(ColourTargetOf(false, 20, 1), ColourTarget::kNothing);
  for (int effect : {1, 2, 3, 5, 10, 13, 16}) EXPECT_EQ(ColourTargetOf(true, effect, 0), ColourTarget::kEffectColour);
  for (int effect : {-1, 4, 11, 12, 17, 18, 19}) EXPECT_EQ(ColourTargetOf(true, effect, 0), ColourTarget::kNothing);
  EXPECT_EQ(ColourTargetOf(true, 20, 0), ColourTarget::kPaintColour);
  EXPECT_EQ(ColourTargetOf(true, 20, 1), ColourTarget::kBaseColour);
}

TEST(LightingPanelRulesTest, TheWheelReachesSixtyThreePixelsFromItsCentre) {
  EXPECT_TRUE(InsideColourWheel(190, 144));   // 50 to the right
  EXPECT_TRUE(InsideColourWheel(140, 81));    // 63 up
  EXPECT_FALSE(InsideColourWheel(204, 144));  // 64 to the right
  EXPECT_FALSE(InsideColourWheel(185, 189));  // 45, 45: 4050 > 3969
  EXPECT_TRUE(InsideColourWheel(184, 188));   // 44, 44: 3872
  EXPECT_FALSE(InsideColourWheel(-2000000000, -2000000000));
}

TEST(LightingPanelRulesTest, NumberFieldsTakeWholeNumbersWithASign) {
  EXPECT_EQ(ParseWholeNumber(u"12"), 12);
  EXPECT_EQ(ParseWholeNumber(u" -1 "), -1);
  EXPECT_EQ(ParseWholeNumber(u"+7"), 7);
  EXPECT_EQ(ParseWholeNumber(u"007"), 7);
  EXPECT_EQ(ParseWholeNumber(u"99999999999999"), 2147483647);
  EXPECT_EQ(ParseWholeNumber(u"-99999999999999"), -2147483647 - 1);
  for (const char16_t* bad : {u"", u" ", u"-", u"+", u"1a", u"1 2", u"1.5", u"0x10", u"\uFF11"}) {
    EXPECT_FALSE(ParseWholeNumber(bad)) << Utf16ToUtf8(bad);
  }
}

TEST(LightingPanelRulesTest, OnlyTheChangedFieldIsCappedAndABadFieldKeepsTheRest) {
  ColourFields read = ReadColourFields({u"300", u"20", u"30"}, {1, 2, 3}, 0);
  EXPECT_EQ(read.numbers, (std::array<int, 3>{255, 20, 30}));
  EXPECT_EQ(read.colour, RgbColour(255, 20, 30));
  EXPECT_EQ(read.rejected, -1);
  // Only the field that changed is capped; the others give their low bits.
  read = ReadColourFields({u"300", u"-1", u"256"}, {1, 2, 3}, 1);
  EXPECT_EQ(read.numbers, (std::array<int, 3>{300, -1, 256}));
  EXPECT_EQ(read.colour, RgbColour(300 & 0xFF, 255, 0));
  // The empty green field and the blue one after it keep their numbers.
  read = ReadColourFields({u"40", u"", u"99"}, {1, 2, 3}, 1);
  EXPECT_EQ(read.rejected, 1);
  EXPECT_EQ(read.numbers, (std::array<int, 3>{40, 2, 3}));
  EXPECT_EQ(read.colour, RgbColour(40, 2, 3));
}

// ---- The panel on the keyboard ------------------------------------------------------------

class RecordingControls : public LightingPanelControls {
 public:
  std::map<int, bool> shown;
  std::map<int, std::u16string> placed, pictures;
  std::map<int, int> sliders;
  std::map<int, Colour> buttons;
  std::vector<std::u16string> effect_names, mode_names;
  int effect_item = -2, mode_item = -2;
  std::array<std::u16string, 3> fields{u"0", u"0", u"0"};
  std::vector<int> rejected;
  std::vector<std::string> calls;  // the keyboard picture and the preview, in order

  bool Shown(int control) const { return shown.count(control) && shown.at(control); }
  bool Hidden(int control) const { return shown.count(control) && !shown.at(control); }

  void ShowControl(int control, bool on) override { shown[control] = on; }
  void PlaceControl(int control, const std::u16string& key) override { placed[control] = key; }
  void SetPicture(int control, std::u16string_view file) override { pictures[control] = std::u16string(file); }
  void SetSliderPosition(int control, int position) override { sliders[control] = position; }
  void SetButtonColour(int control, Colour colour) override { buttons[control] = colour; }
  std::vector<std::u16string> EffectNames(const EffectList& effects) override {
    std::vector<std::u16string> names;
    for (int e : effects.effects()) names.push_back(u"effect " + Utf8ToUtf16(std::to_string(e)));
    return names;
  }
  void FillEffectList(const std::vector<std::u16string>& names) override {
    effect_names = names;
    effect_item = -1;
  }
  void SelectEffectItem(int index) override { effect_item = index; }
  void FillUserModeList(const std::vector<std::u16string>& names) override { mode_names = names; }
  void SelectUserModeItem(int index) override { mode_item = index; }
  void ReplaceUserModeItem(int index, const std::u16string& name) override {
    mode_names.at(static_cast<size_t>(index)) = name;
  }
  std::array<std::u16string, 3> FieldTexts() override { return fields; }
  void WriteFieldNumbers(const std::array<int, 3>& numbers) override {
    for (size_t f = 0; f < 3; ++f) fields[f] = Utf8ToUtf16(std::to_string(numbers[f]));
  }
  // The fields as they were when the message came: already written back.
  std::array<std::u16string, 3> fields_at_reject{};
  void RejectField(int field) override {
    rejected.push_back(field);
    fields_at_reject = fields;
  }
  void TintKey(int control, Colour colour) override {
    char text[32];
    std::snprintf(text, sizeof(text), "tint %d %06X", control, static_cast<unsigned>(colour));
    calls.push_back(text);
  }
  void ClearTints() override { calls.push_back("clear tints"); }
  void ShowCurrentBank() override { calls.push_back("bank"); }
  void ShowReportRate(int index) override { calls.push_back("rate " + std::to_string(index)); }
  void ShowLamp(bool on) override { calls.push_back(on ? "lamp on" : "lamp off"); }
  void RestartPreview() override { calls.push_back("preview"); }
};

const std::string kBegin = "01 00 00 00 00";
const std::string kEnd = "02 00 00 00 00";

class LightingPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_ = &Harness();
    for (const char* c : {"attach", "reset", "fault clear", "latency 0 0", "log clear"}) harness_->Control(c);
    transport_ = std::make_unique<Transport>(harness_->api());
    transport_->StartInterfaceReads();
    commands_ = std::make_unique<DeviceCommands>(*transport_);
    files_.user_folder = dir_.path().u16string();
    files_.template_file = dir_.File("template.userd");
    panel_ = std::make_unique<LightingPanel>(controls_, [this]() -> std::unique_lock<std::mutex> {
      if (busy_) return {};
      return std::unique_lock<std::mutex>(session_);
    });
    ops_ = std::make_unique<LightingOperations>(*commands_, ini_, files_, *panel_);
    panel_->Bind(ops_.get());
    // Effects 1..18 and 20, as a keyboard lists them.
    uint8_t supported[kEffectSlots] = {};
    for (int i = 0; i < 18; ++i) supported[i] = static_cast<uint8_t>(i + 1);
    supported[18] = kUserDefinedEffect;
    ops_->state().effects = EffectList::FromSupportedBytes(supported);
  }
  std::vector<std::string> Log() { return RequestTexts(LoggedRequests(*harness_)); }
  void ClearLog() {
    harness_->Control("log clear");
    controls_.calls.clear();
  }
  void Show(int effect, bool lamp) {
    ops_->state().effect = effect;
    ops_->state().panel_switch = lamp;
    panel_->RebuildPanel();
    ClearLog();
  }
  static int Index(int effect) { return effect == kUserDefinedEffect ? 18 : effect - 1; }

  DeviceHarness* harness_ = nullptr;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<DeviceCommands> commands_;
  TempDir dir_;
  PortableIniStore ini_;
  LightingFiles files_;
  RecordingControls controls_;
  std::mutex session_;
  bool busy_ = false;
  std::unique_ptr<LightingPanel> panel_;
  std::unique_ptr<LightingOperations> ops_;
};

TEST_F(LightingPanelTest, WithTheLampOffAPresetOnlyFillsTheFields) {
  Show(1, false);
  panel_->OnPreset(2);
  EXPECT_EQ(controls_.fields, (std::array<std::u16string, 3>{u"1", u"126", u"255"}));
  EXPECT_TRUE(Log().empty());
  panel_->OnFieldChanged(0);
  EXPECT_TRUE(Log().empty());
  // With the lamp on, the same preset is the effect's colour.
  Show(1, true);
  panel_->OnPreset(7);
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 04 00 00 00", "06 03 05 00 00 AF 00 FF", kEnd}));
  EXPECT_EQ(controls_.buttons[IDC_MAIN_FY_COLOR], RgbColour(175, 0, 255));
  EXPECT_EQ(controls_.buttons[IDC_MAIN_HX_COLOR], RgbColour(175, 0, 255));
  // Effects without a colour take none.
  Show(4, true);
  panel_->OnPreset(0);
  EXPECT_TRUE(Log().empty());
}

TEST_F(LightingPanelTest, AColourChosenUnderMulticolourTurnsBothMarksOffFirst) {
  ops_->SetProfile(1);
  ops_->state().multicolour = true;
  Show(16, true);
  EXPECT_EQ(controls_.pictures[IDC_MAIN_FY_MULTI], u"sjsdown.bmp");
  EXPECT_TRUE(controls_.Shown(IDC_MAIN_FY_MULTI));
  panel_->OnColourChosen(IDC_MAIN_FY_COLOR, RgbColour(0x12, 0x34, 0x56));
  // Profile 1's record starts at 42: multicolour at 46, the colour at 47.
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 2E 00 00 00", "06 03 2F 00 00 12 34 56", kEnd}));
  EXPECT_EQ(controls_.pictures[IDC_MAIN_FY_MULTI], u"sjsup.bmp");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_HX_MULTI], u"sjsup.bmp");
  EXPECT_EQ(controls_.fields, (std::array<std::u16string, 3>{u"18", u"52", u"86"}));
  EXPECT_EQ(controls_.buttons[IDC_MAIN_HX_COLOR], RgbColour(0x12, 0x34, 0x56));
}

TEST_F(LightingPanelTest, SlidersWriteTheirValuesAndShowTheirPictures) {
  Show(5, true);
  panel_->OnSliderMoved(IDC_MAIN_SPEED_SLIDER, 1);
  panel_->OnSliderMoved(IDC_MAIN_BRIGHTNESS_SLIDER, 2);
  panel_->OnSliderMoved(IDC_MAIN_BRIGHTNESS_SLIDER, 9);  // not a position
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 02 00 00 03", kEnd, kBegin, "06 01 01 00 00 02", kEnd}));
  EXPECT_EQ(controls_.pictures[IDC_MAIN_SPEED_SLIDER], u"7.bmp");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_BRIGHTNESS_SLIDER], u"2.bmp");
}

TEST_F(LightingPanelTest, NumberFieldsCapApplyAndRefuseWhatIsNotANumber) {
  Show(1, true);
  controls_.fields = {u"300", u"0", u"0"};
  panel_->OnFieldChanged(0);
  EXPECT_EQ(controls_.fields[0], u"255");
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 04 00 00 00", "06 03 05 00 00 FF 00 00", kEnd}));
  ClearLog();
  controls_.fields = {u"255", u"", u"7"};
  panel_->OnFieldChanged(1);
  EXPECT_EQ(controls_.rejected, std::vector<int>{1});
  // Green and blue keep their numbers, in the fields and on the keyboard,
  // before the message shows (whatever arrives meanwhile meets a finished change).
  EXPECT_EQ(controls_.fields, (std::array<std::u16string, 3>{u"255", u"0", u"0"}));
  EXPECT_EQ(controls_.fields_at_reject, controls_.fields);
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 04 00 00 00", "06 03 05 00 00 FF 00 00", kEnd}));
}

TEST_F(LightingPanelTest, APickedColourFillsTheFieldsAndIsAppliedOncePerField) {
  Show(2, true);
  panel_->OnColourPicked(RgbColour(1, 2, 3));
  EXPECT_EQ(controls_.fields, (std::array<std::u16string, 3>{u"1", u"2", u"3"}));
  const std::vector<std::string> one = {kBegin, "06 01 04 00 00 00", "06 03 05 00 00 01 02 03", kEnd};
  std::vector<std::string> three;
  for (int i = 0; i < 3; ++i) three.insert(three.end(), one.begin(), one.end());
  EXPECT_EQ(Log(), three);
}

TEST_F(LightingPanelTest, SelectingAnEffectClearsWritesRestartsAndShows) {
  Show(1, true);
  panel_->OnEffectSelected(Index(12));
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 00 00 00 0C", kEnd}));
  EXPECT_EQ(controls_.calls, (std::vector<std::string>{"clear tints", "preview"}));
  EXPECT_EQ(ops_->state().effect, 12);
  // Up and down, in the third layout, without the left and right labels.
  EXPECT_EQ(controls_.placed[IDC_MAIN_DIRECTION_FIRST], u"CONTROL_BLFXLStaPic3");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_DIRECTION_SECOND], u"downdown.bmp");  // the kept direction 0x00
  EXPECT_TRUE(controls_.Shown(IDC_MAIN_DIRECTION_FIRST));
  EXPECT_FALSE(controls_.Shown(IDC_MAIN_DIRECTION_FIRST_LABEL));
  EXPECT_FALSE(controls_.Shown(IDC_MAIN_FY_COLOR));
  panel_->OnDirection(true);
  EXPECT_EQ(controls_.pictures[IDC_MAIN_DIRECTION_FIRST], u"updown.bmp");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_DIRECTION_SECOND], u"downup.bmp");
  ClearLog();
  // Effect 3 writes the multicolour flag beside its number, in layout "2".
  panel_->OnEffectSelected(Index(3));
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 00 00 00 03", "06 01 04 00 00 00", kEnd}));
  EXPECT_EQ(controls_.placed[IDC_MAIN_DIRECTION_SECOND_LABEL], u"CONTROL_BLFXRStatic2");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_DIRECTION_FIRST], u"leftdown.bmp");
}

TEST_F(LightingPanelTest, ABusyKeyboardRefusesTheChangeAndTheControlsShowTheKeptValues) {
  Show(4, true);
  busy_ = true;
  controls_.effect_item = Index(9);  // what the person picked
  panel_->OnEffectSelected(Index(9));
  panel_->OnSliderMoved(IDC_MAIN_SPEED_SLIDER, 0);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(ops_->state().effect, 4);
  EXPECT_EQ(controls_.effect_item, Index(4));
  EXPECT_TRUE(controls_.Shown(IDC_MAIN_SPEED_SLIDER));
  EXPECT_FALSE(controls_.Shown(IDC_MAIN_HX_COLOR));

  // A colour the keyboard was too busy for never shows in the fields.
  busy_ = false;
  Show(1, true);
  controls_.fields = {u"1", u"2", u"3"};
  panel_->OnFieldChanged(0);  // the fields' numbers as the panel keeps them
  ClearLog();
  busy_ = true;
  panel_->OnPreset(1);
  EXPECT_EQ(controls_.fields, (std::array<std::u16string, 3>{u"1", u"2", u"3"}));
  controls_.fields = {u"9", u"2", u"3"};
  panel_->OnFieldChanged(0);
  EXPECT_EQ(controls_.fields[0], u"1");
  EXPECT_TRUE(Log().empty());
}

TEST_F(LightingPanelTest, TheLampShowsUserModeColoursAtOnceAndHidesEverythingWhenOff) {
  ops_->state().effect = kUserDefinedEffect;
  ops_->colours().Set(0, 64, RgbColour(9, 8, 7));  // key A
  Show(kUserDefinedEffect, false);
  EXPECT_FALSE(controls_.Shown(IDC_MAIN_USER_MODE_LIST));
  EXPECT_FALSE(controls_.Hidden(IDC_MAIN_RED));
  panel_->TurnLampOn();
  EXPECT_EQ(ini_.ReadString(files_.SettingsPath(), u"KEYCOLOR", u"DengCheck", u"?"), u"1");
  EXPECT_TRUE(controls_.Shown(IDC_MAIN_USER_MODE_LIST));
  EXPECT_TRUE(controls_.Shown(IDC_MAIN_USER_BASE_TOOL));
  EXPECT_EQ(controls_.calls.front(), "clear tints");
  EXPECT_NE(std::find(controls_.calls.begin(), controls_.calls.end(), "tint 1058 070809"), controls_.calls.end());
  EXPECT_TRUE(Log().empty());
  ClearLog();
  panel_->TurnLampOff();
  EXPECT_EQ(controls_.calls, (std::vector<std::string>{"lamp off", "clear tints", "bank"}));
  EXPECT_EQ(ini_.ReadString(files_.SettingsPath(), u"KEYCOLOR", u"DengCheck", u"?"), u"0");
  for (int control : LightingPanelControlIds()) EXPECT_FALSE(controls_.Shown(control)) << control;
  EXPECT_FALSE(controls_.Hidden(IDC_MAIN_RED));
}

TEST_F(LightingPanelTest, RebuildShowsTheRecordAndMendsWhatCannotBeShown) {
  ops_->state().brightness = 3;
  ops_->state().speed = 1;
  ops_->state().four_colour = 9;
  ops_->state().direction = kDirectionFirst;
  ops_->state().report_rate = 2;
  Show(18, true);
  EXPECT_EQ(controls_.effect_names.size(), 19u);
  EXPECT_EQ(controls_.effect_item, 17);
  EXPECT_EQ(controls_.sliders[IDC_MAIN_BRIGHTNESS_SLIDER], 3);
  EXPECT_EQ(controls_.sliders[IDC_MAIN_SPEED_SLIDER], 3);
  EXPECT_EQ(controls_.pictures[IDC_MAIN_SPEED_SLIDER], u"9.bmp");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_DIRECTION_FIRST], u"kuosandown.bmp");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_FOUR_RED], u"hongok.bmp");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_FOUR_BLUE], u"lan.bmp");
  EXPECT_EQ(ops_->state().four_colour, 0);
  EXPECT_EQ(controls_.placed[IDC_MAIN_DIRECTION_LABEL], u"CONTROL_BLFXStatic");
  // Without a list (the configuration block unreadable) a colour goes nowhere.
  panel_->ClearEffectList();
  ops_->state().effects = EffectList();
  panel_->RebuildPanel();
  ClearLog();
  EXPECT_EQ(panel_->SelectedEffect(), -1);
  panel_->OnPreset(1);
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(controls_.Shown(IDC_MAIN_EFFECT_LIST));
  EXPECT_FALSE(controls_.Shown(IDC_MAIN_SPEED_SLIDER));
}

TEST_F(LightingPanelTest, UserModeColoursGoToTheToolsColour) {
  Show(kUserDefinedEffect, true);
  panel_->OnToolClicked(1);
  EXPECT_EQ(controls_.pictures[IDC_MAIN_USER_BASE_TOOL], u"user2down.bmp");
  EXPECT_EQ(controls_.pictures[IDC_MAIN_USER_PAINT_TOOL], u"user1up.bmp");
  panel_->OnPreset(1);  // (254, 0, 0) as the base colour
  EXPECT_EQ(ops_->state().base_colour, RgbColour(254, 0, 0));
  EXPECT_EQ(controls_.buttons[IDC_MAIN_USER_BASE_COLOR], RgbColour(254, 0, 0));
  panel_->OnToolClicked(0);
  panel_->OnPreset(3);
  EXPECT_EQ(ops_->state().paint_colour, RgbColour(90, 255, 2));
  EXPECT_EQ(ops_->state().base_colour, RgbColour(254, 0, 0));
  EXPECT_EQ(ini_.ReadString(files_.UserModeFilePath(0), u"Mode0", u"color", u"?"), u"90,255,2");
}

}  // namespace
}  // namespace velkor::testing
