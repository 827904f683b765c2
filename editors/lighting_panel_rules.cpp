#include "editors/lighting_panel_rules.h"

#include <climits>
#include <cstdint>

#include "platform/text.h"
#include "resources/resource.h"

namespace velkor {

namespace {

// Effects as bits: bit e for effect e.
constexpr uint32_t Effects(std::initializer_list<int> effects) {
  uint32_t mask = 0;
  for (int e : effects) mask |= uint32_t{1} << e;
  return mask;
}
constexpr uint32_t Range(int first, int last) {
  uint32_t mask = 0;
  for (int e = first; e <= last; ++e) mask |= uint32_t{1} << e;
  return mask;
}

constexpr uint32_t kAnyEffect = 0xFFFFFFFF;  // shown whenever the lamp is on
constexpr uint32_t kSpeedEffects = Range(2, 15);
constexpr uint32_t kDirectionEffects = Effects({3, 5, 6, 12, 18});
constexpr uint32_t kDirectionLabelEffects = Effects({3, 5, 6});
constexpr uint32_t kFyColourEffects = Effects({1, 16});
constexpr uint32_t kFyMultiEffects = Effects({16});
constexpr uint32_t kHxColourEffects = Effects({2, 3}) | Range(5, 10) | Range(13, 15);
constexpr uint32_t kHxMultiEffects = Effects({3}) | Range(5, 10) | Range(13, 15);
constexpr uint32_t kFourColourEffects = Effects({17});
constexpr uint32_t kUserEffects = Effects({kUserDefinedEffect});

struct PanelControl {
  int control;
  uint32_t effects;
};

constexpr PanelControl kPanelControls[] = {
    {IDC_MAIN_EFFECT_LIST, kAnyEffect},
    {IDC_MAIN_BRIGHTNESS_LABEL, kAnyEffect},
    {IDC_MAIN_BRIGHTNESS_SLIDER, kAnyEffect},
    {IDC_MAIN_SPEED_LABEL, kSpeedEffects},
    {IDC_MAIN_SPEED_SLIDER, kSpeedEffects},
    {IDC_MAIN_DIRECTION_LABEL, kDirectionEffects},
    {IDC_MAIN_DIRECTION_FIRST, kDirectionEffects},
    {IDC_MAIN_DIRECTION_SECOND, kDirectionEffects},
    {IDC_MAIN_DIRECTION_FIRST_LABEL, kDirectionLabelEffects},
    {IDC_MAIN_DIRECTION_SECOND_LABEL, kDirectionLabelEffects},
    {IDC_MAIN_FY_COLOR_LABEL, kFyColourEffects},
    {IDC_MAIN_FY_COLOR, kFyColourEffects},
    {IDC_MAIN_FY_MULTI, kFyMultiEffects},
    {IDC_MAIN_FY_MULTI_LABEL, kFyMultiEffects},
    {IDC_MAIN_HX_COLOR_LABEL, kHxColourEffects},
    {IDC_MAIN_HX_COLOR, kHxColourEffects},
    {IDC_MAIN_HX_MULTI, kHxMultiEffects},
    {IDC_MAIN_HX_MULTI_LABEL, kHxMultiEffects},
    {IDC_MAIN_FOUR_RED, kFourColourEffects},
    {IDC_MAIN_FOUR_YELLOW, kFourColourEffects},
    {IDC_MAIN_FOUR_GREEN, kFourColourEffects},
    {IDC_MAIN_FOUR_BLUE, kFourColourEffects},
    {IDC_MAIN_USER_MODE_LIST, kUserEffects},
    {IDC_MAIN_USER_PAINT_LABEL, kUserEffects},
    {IDC_MAIN_USER_PAINT_COLOR, kUserEffects},
    {IDC_MAIN_USER_BASE_LABEL, kUserEffects},
    {IDC_MAIN_USER_BASE_COLOR, kUserEffects},
    {IDC_MAIN_USER_TOOL_LABEL, kUserEffects},
    {IDC_MAIN_USER_PAINT_TOOL, kUserEffects},
    {IDC_MAIN_USER_BASE_TOOL, kUserEffects},
};

constexpr int kPanelControlIds[] = {
    IDC_MAIN_EFFECT_LIST,      IDC_MAIN_BRIGHTNESS_LABEL,       IDC_MAIN_BRIGHTNESS_SLIDER,
    IDC_MAIN_SPEED_LABEL,      IDC_MAIN_SPEED_SLIDER,           IDC_MAIN_DIRECTION_LABEL,
    IDC_MAIN_DIRECTION_FIRST,  IDC_MAIN_DIRECTION_SECOND,       IDC_MAIN_DIRECTION_FIRST_LABEL,
    IDC_MAIN_DIRECTION_SECOND_LABEL, IDC_MAIN_FY_COLOR_LABEL,   IDC_MAIN_FY_COLOR,
    IDC_MAIN_FY_MULTI,         IDC_MAIN_FY_MULTI_LABEL,         IDC_MAIN_HX_COLOR_LABEL,
    IDC_MAIN_HX_COLOR,         IDC_MAIN_HX_MULTI,               IDC_MAIN_HX_MULTI_LABEL,
    IDC_MAIN_FOUR_RED,         IDC_MAIN_FOUR_YELLOW,            IDC_MAIN_FOUR_GREEN,
    IDC_MAIN_FOUR_BLUE,        IDC_MAIN_USER_MODE_LIST,         IDC_MAIN_USER_PAINT_LABEL,
    IDC_MAIN_USER_PAINT_COLOR, IDC_MAIN_USER_BASE_LABEL,        IDC_MAIN_USER_BASE_COLOR,
    IDC_MAIN_USER_TOOL_LABEL,  IDC_MAIN_USER_PAINT_TOOL,        IDC_MAIN_USER_BASE_TOOL,
};

constexpr int kNeverShown[] = {
    IDC_MAIN_JT_COLOR_LABEL, IDC_MAIN_JT_COLOR,       IDC_MAIN_FY_GGCF,     IDC_MAIN_FY_DJCF_LABEL,
    IDC_MAIN_FY_CF_LABEL,    IDC_MAIN_FY_DJCF,        IDC_MAIN_FY_GGCF_LABEL, IDC_MAIN_SPARE_1185,
    IDC_MAIN_TS_COLOR_LABEL, IDC_MAIN_TS_COLOR,       IDC_MAIN_TS_MULTI,    IDC_MAIN_TS_MULTI_LABEL,
    IDC_MAIN_CD_COLOR_LABEL, IDC_MAIN_CD_COLOR,       IDC_MAIN_CD_MULTI,    IDC_MAIN_CD_MULTI_LABEL};

bool AlwaysShown(int control) {
  switch (control) {
    case IDC_MAIN_LAMP:
    case IDC_MAIN_LAMP_LABEL:
    case IDC_MAIN_RED_LABEL:
    case IDC_MAIN_GREEN_LABEL:
    case IDC_MAIN_BLUE_LABEL:
    case IDC_MAIN_RED:
    case IDC_MAIN_GREEN:
    case IDC_MAIN_BLUE:
      return true;
    default:
      return control >= IDC_MAIN_PRESET1 && control <= IDC_MAIN_PRESET8;
  }
}

constexpr DirectionControl kDirectionControls[] = {
    {IDC_MAIN_DIRECTION_LABEL, u"CONTROL_BLFXStatic"},
    {IDC_MAIN_DIRECTION_FIRST, u"CONTROL_BLFXLStaPic"},
    {IDC_MAIN_DIRECTION_FIRST_LABEL, u"CONTROL_BLFXLStatic"},
    {IDC_MAIN_DIRECTION_SECOND, u"CONTROL_BLFXRStaPic"},
    {IDC_MAIN_DIRECTION_SECOND_LABEL, u"CONTROL_BLFXRStatic"},
};

constexpr int kMultiMarks[] = {IDC_MAIN_FY_MULTI, IDC_MAIN_HX_MULTI};
constexpr int kEffectColourButtons[] = {IDC_MAIN_FY_COLOR, IDC_MAIN_HX_COLOR};
constexpr int kFourColourPictures[] = {IDC_MAIN_FOUR_RED, IDC_MAIN_FOUR_YELLOW, IDC_MAIN_FOUR_GREEN,
                                       IDC_MAIN_FOUR_BLUE};
constexpr std::u16string_view kFourColourChosen[] = {u"hongok.bmp", u"huangok.bmp", u"lvok.bmp", u"lanok.bmp"};
constexpr std::u16string_view kFourColourPlain[] = {u"hong.bmp", u"huang.bmp", u"lv.bmp", u"lan.bmp"};

std::u16string Numbered(int n) { return Utf8ToUtf16(std::to_string(n)) + u".bmp"; }

}  // namespace

std::span<const int> LightingPanelControlIds() { return kPanelControlIds; }
std::span<const int> NeverShownLightingControls() { return kNeverShown; }

bool LightingControlShown(int control, int effect, bool lamp_on) {
  if (AlwaysShown(control)) return true;
  if (!lamp_on) return false;
  for (const PanelControl& c : kPanelControls) {
    if (c.control != control) continue;
    if (c.effects == kAnyEffect) return true;
    return effect >= 0 && effect < 32 && (c.effects >> effect & 1) != 0;
  }
  return false;
}

std::u16string_view DirectionLayoutSuffix(int effect) {
  if (effect == 3 || effect == 5 || effect == 6) return u"2";
  if (effect == 12) return u"3";
  return u"";
}

std::span<const DirectionControl> DirectionControls() { return kDirectionControls; }

DirectionPictures DirectionPicturesOf(int effect) {
  if (effect == 18) return {u"kuosandown.bmp", u"kuosan.bmp", u"julongdown.bmp", u"julong.bmp"};
  if (effect == 12) return {u"updown.bmp", u"upup.bmp", u"downdown.bmp", u"downup.bmp"};
  return {u"leftdown.bmp", u"leftup.bmp", u"rightdown.bmp", u"rightup.bmp"};
}

int SliderPosition(int value) { return value < 0 ? 0 : value > 4 ? 4 : value; }
std::u16string BrightnessPicture(int position) { return Numbered(SliderPosition(position)); }
std::u16string SpeedPicture(int position) { return Numbered(6 + SliderPosition(position)); }

ColourTarget ColourTargetOf(bool lamp_on, int effect, int tool) {
  if (!lamp_on) return ColourTarget::kNothing;
  if (effect == kUserDefinedEffect) return tool == 1 ? ColourTarget::kBaseColour : ColourTarget::kPaintColour;
  if ((effect >= 1 && effect <= 3) || (effect >= 5 && effect <= 10) || (effect >= 13 && effect <= 16)) {
    return ColourTarget::kEffectColour;
  }
  return ColourTarget::kNothing;
}

bool InsideColourWheel(int window_x, int window_y) {
  const int64_t dx = window_x - kWheelCentreX;
  const int64_t dy = window_y - kWheelCentreY;
  return dx * dx + dy * dy <= int64_t{kWheelRadius} * kWheelRadius;
}

std::optional<int> ParseWholeNumber(std::u16string_view text) {
  size_t i = 0;
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (i < text.size() && blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const size_t digits = i;
  int64_t value = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
    if (value <= INT_MAX) value = value * 10 + (text[i] - u'0');
    ++i;
  }
  if (i == digits) return std::nullopt;
  while (i < text.size() && blank(text[i])) ++i;
  if (i != text.size()) return std::nullopt;
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

ColourFields ReadColourFields(const std::array<std::u16string, 3>& texts, const std::array<int, 3>& previous,
                              int changed) {
  ColourFields out;
  out.numbers = previous;
  for (int f = 0; f < 3; ++f) {
    const std::optional<int> n = ParseWholeNumber(texts[static_cast<size_t>(f)]);
    if (!n) {
      out.rejected = f;
      break;
    }
    out.numbers[static_cast<size_t>(f)] = f == changed && *n > 255 ? 255 : *n;
  }
  out.colour = RgbColour(out.numbers[0] & 0xFF, out.numbers[1] & 0xFF, out.numbers[2] & 0xFF);
  return out;
}

// ---- The panel ---------------------------------------------------------------------

int LightingPanel::SelectedEffect() const { return ops_ ? ops_->state().effects.EffectAt(selected_index_) : -1; }

void LightingPanel::ShowVisibility() {
  const bool on = lamp_on();
  const int effect = SelectedEffect();
  for (int control : kPanelControlIds) controls_.ShowControl(control, LightingControlShown(control, effect, on));
}

void LightingPanel::PlaceDirectionControls(int effect) {
  const std::u16string_view suffix = DirectionLayoutSuffix(effect);
  for (const DirectionControl& c : kDirectionControls) {
    controls_.PlaceControl(c.control, std::u16string(c.skin_key) + std::u16string(suffix));
  }
}

void LightingPanel::ShowDirection(int effect, uint8_t direction) {
  const DirectionPictures pictures = DirectionPicturesOf(effect);
  const bool first = direction == kDirectionFirst;
  controls_.SetPicture(IDC_MAIN_DIRECTION_FIRST, first ? pictures.first_chosen : pictures.first_plain);
  controls_.SetPicture(IDC_MAIN_DIRECTION_SECOND, first ? pictures.second_plain : pictures.second_chosen);
}

void LightingPanel::ShowMulticolour(bool on) {
  for (int mark : kMultiMarks) controls_.SetPicture(mark, on ? u"sjsdown.bmp" : u"sjsup.bmp");
}

void LightingPanel::ShowFourColour(int choice) {
  for (int i = 0; i < 4; ++i) {
    controls_.SetPicture(kFourColourPictures[i], i == choice ? kFourColourChosen[i] : kFourColourPlain[i]);
  }
}

void LightingPanel::ShowTool(int tool) {
  controls_.SetPicture(IDC_MAIN_USER_PAINT_TOOL, tool == 0 ? u"user1down.bmp" : u"user1up.bmp");
  controls_.SetPicture(IDC_MAIN_USER_BASE_TOOL, tool == 1 ? u"user2down.bmp" : u"user2up.bmp");
}

void LightingPanel::ShowFields(Colour colour) {
  fields_ = {RedOf(colour), GreenOf(colour), BlueOf(colour)};
  controls_.WriteFieldNumbers(fields_);
}

// ---- LightingView ------------------------------------------------------------------

void LightingPanel::ClearEffectList() {
  selected_index_ = -1;
  controls_.FillEffectList({});
}

void LightingPanel::ShowUserModeNames(const std::vector<std::u16string>& names) { controls_.FillUserModeList(names); }

void LightingPanel::ShowColourFields(Colour colour) { ShowFields(colour); }

void LightingPanel::SelectEffectInList(int index) {
  selected_index_ = index;
  controls_.SelectEffectItem(index);
}

void LightingPanel::ShowSliders(int brightness_position, int speed_position) {
  controls_.SetSliderPosition(IDC_MAIN_BRIGHTNESS_SLIDER, SliderPosition(brightness_position));
  controls_.SetPicture(IDC_MAIN_BRIGHTNESS_SLIDER, BrightnessPicture(brightness_position));
  controls_.SetSliderPosition(IDC_MAIN_SPEED_SLIDER, SliderPosition(speed_position));
  controls_.SetPicture(IDC_MAIN_SPEED_SLIDER, SpeedPicture(speed_position));
}

void LightingPanel::ShowEffectColours(Colour colour, bool multicolour, Colour, bool, Colour, bool) {
  for (int button : kEffectColourButtons) controls_.SetButtonColour(button, colour);
  ShowMulticolour(multicolour);
}

void LightingPanel::ShowUserMode(int mode, Colour paint_colour, Colour base_colour, int tool) {
  controls_.SelectUserModeItem(mode);
  controls_.SetButtonColour(IDC_MAIN_USER_PAINT_COLOR, paint_colour);
  controls_.SetButtonColour(IDC_MAIN_USER_BASE_COLOR, base_colour);
  ShowTool(tool);
}

void LightingPanel::RestartPreview() {
  previewed_effect_ = ops_ ? ops_->state().effect : -1;
  controls_.RestartPreview();
}

void LightingPanel::RebuildPanel(bool restart_preview) {
  if (!ops_) return;
  LightingState& state = ops_->state();
  // 1. The effect list, as the keyboard lists its effects.
  controls_.FillEffectList(controls_.EffectNames(state.effects));
  selected_index_ = -1;
  // 2-5. Report rate, sliders, colours, user mode.
  controls_.ShowReportRate(state.report_rate);
  ShowSliders(state.brightness, 4 - state.speed);
  ShowEffectColours(state.colour, state.multicolour, state.stone_colour, state.stone_multicolour,
                    state.ribbon_colour, state.ribbon_multicolour);
  ShowUserMode(state.user_mode, state.paint_colour, state.base_colour, state.tool);
  // 6. A four-colour choice the keyboard should not hold shows (and is) red.
  if (state.four_colour < 0 || state.four_colour > 3) state.four_colour = 0;
  ShowFourColour(state.four_colour);
  // 7-8. Directions and the selection.
  ShowDirection(state.effect, state.direction);
  SelectEffectInList(state.effects.IndexOf(state.effect));
  if (state.panel_switch && state.effect == kUserDefinedEffect) ops_->ShowKeyColours();
  // 9-10. The lamp, what shows, where the direction controls sit.
  controls_.ShowLamp(state.panel_switch);
  ShowVisibility();
  PlaceDirectionControls(SelectedEffect());
  // An effect changed on the keyboard (or a profile with another one)
  // starts its preview afresh, as a selection in the list does.
  if (restart_preview || state.effect != previewed_effect_) RestartPreview();
}

// ---- A person's actions -------------------------------------------------------------

void LightingPanel::OnEffectSelected(int index) {
  if (!ops_) return;
  auto session = gate_();
  if (!session) {
    RebuildPanel();
    return;
  }
  const int effect = ops_->state().effects.EffectAt(index);
  selected_index_ = index;
  controls_.ClearTints();
  PlaceDirectionControls(effect);
  ShowDirection(effect, ops_->state().direction);
  if (effect >= 0) {
    ops_->SelectEffect(effect);
    if (effect == kUserDefinedEffect) ops_->ShowKeyColours();
  }
  RestartPreview();
  ShowVisibility();
}

void LightingPanel::OnSliderMoved(int control, int position) {
  if (!ops_ || position < 0 || position > 4) return;
  auto session = gate_();
  if (!session) {
    const LightingState& state = ops_->state();
    ShowSliders(state.brightness, 4 - state.speed);
    return;
  }
  if (control == IDC_MAIN_BRIGHTNESS_SLIDER) {
    controls_.SetPicture(control, BrightnessPicture(position));
    ops_->SetBrightness(position);
  } else if (control == IDC_MAIN_SPEED_SLIDER) {
    controls_.SetPicture(control, SpeedPicture(position));
    ops_->SetSpeedFromSlider(position);
  }
}

void LightingPanel::OnDirection(bool first) {
  if (!ops_) return;
  auto session = gate_();
  if (!session) return;
  const uint8_t direction = first ? kDirectionFirst : kDirectionSecond;
  ShowDirection(SelectedEffect(), direction);
  ops_->SetDirection(direction);
}

void LightingPanel::ChooseColour(Colour colour) {
  ops_->SetColour(colour);
  for (int button : kEffectColourButtons) controls_.SetButtonColour(button, colour);
  ShowMulticolour(false);
  ShowFields(colour);
}

void LightingPanel::OnColourChosen(int control, Colour colour) {
  if (!ops_) return;
  auto session = gate_();
  if (!session) {
    RebuildPanel();
    return;
  }
  switch (control) {
    case IDC_MAIN_FY_COLOR:
    case IDC_MAIN_HX_COLOR:
      ChooseColour(colour);
      break;
    case IDC_MAIN_USER_PAINT_COLOR:
      ops_->SetPaintColour(colour);
      break;
    case IDC_MAIN_USER_BASE_COLOR:
      ops_->SetBaseColour(colour);
      break;
    default:
      break;
  }
}

void LightingPanel::OnMulticolourClicked() {
  if (!ops_) return;
  auto session = gate_();
  if (!session) return;
  ops_->ToggleMulticolour();
  ShowMulticolour(ops_->state().multicolour);
}

void LightingPanel::OnFourColourClicked(int choice) {
  if (!ops_ || choice < 0 || choice > 3) return;
  auto session = gate_();
  if (!session) return;
  ShowFourColour(choice);
  ops_->SetFourColour(choice);
}

void LightingPanel::OnUserModeSelected(int index) {
  if (!ops_ || index < 0 || index >= kUserModes) return;
  auto session = gate_();
  if (!session) {
    RebuildPanel();
    return;
  }
  ops_->SelectUserMode(index);
  const LightingState& state = ops_->state();
  ShowUserMode(state.user_mode, state.paint_colour, state.base_colour, state.tool);
  ops_->ShowKeyColours();
}

void LightingPanel::OnUserModeRenamed(const std::u16string& name) {
  if (!ops_) return;
  const int mode = ops_->state().user_mode;
  controls_.ReplaceUserModeItem(mode, name);
  ops_->RenameUserMode(mode, name);
}

void LightingPanel::OnToolClicked(int tool) {
  if (!ops_ || (tool != 0 && tool != 1)) return;
  ShowTool(tool);
  ops_->SelectTool(tool);
}

bool LightingPanel::ApplyColour(Colour colour) {
  if (!ops_) return true;
  const LightingState& state = ops_->state();
  const ColourTarget target = ColourTargetOf(lamp_on(), SelectedEffect(), state.tool);
  if (target == ColourTarget::kNothing) return true;
  auto session = gate_();
  if (!session) return false;
  switch (target) {
    case ColourTarget::kEffectColour:
      controls_.SetButtonColour(IDC_MAIN_FY_COLOR, colour);
      ChooseColour(colour);
      break;
    case ColourTarget::kBaseColour:
      controls_.SetButtonColour(IDC_MAIN_USER_BASE_COLOR, colour);
      ops_->SetBaseColour(colour);
      break;
    case ColourTarget::kPaintColour:
      controls_.SetButtonColour(IDC_MAIN_USER_PAINT_COLOR, colour);
      ops_->SetPaintColour(colour);
      break;
    case ColourTarget::kNothing:
      break;
  }
  return true;
}

void LightingPanel::OnPreset(int index) {
  if (index < 0 || index >= static_cast<int>(kPresetColours.size())) return;
  const Colour colour = kPresetColours[static_cast<size_t>(index)];
  // The fields never show a colour the keyboard was too busy to take.
  if (ApplyColour(colour)) ShowFields(colour);
}

void LightingPanel::OnFieldChanged(int field) {
  if (field < 0 || field > 2) return;
  const ColourFields read = ReadColourFields(controls_.FieldTexts(), fields_, field);
  if (ApplyColour(read.colour)) fields_ = read.numbers;
  controls_.WriteFieldNumbers(fields_);
  if (read.rejected >= 0) controls_.RejectField(read.rejected);
}

void LightingPanel::OnColourPicked(Colour colour) {
  ShowFields(colour);
  for (int field = 0; field < 3; ++field) OnFieldChanged(field);
}

void LightingPanel::TurnLampOff() {
  if (!ops_) return;
  ops_->SetPanelSwitch(false);
  controls_.ShowLamp(false);
  controls_.ClearTints();
  controls_.ShowCurrentBank();
  ShowVisibility();
}

void LightingPanel::TurnLampOn() {
  if (!ops_) return;
  controls_.ClearTints();
  ops_->SetPanelSwitch(true);
  controls_.ShowLamp(true);
  ShowVisibility();
  const LightingState& state = ops_->state();
  controls_.SetButtonColour(IDC_MAIN_USER_BASE_COLOR, state.base_colour);
  // A user mode's keys show their colours at once, not only after the next
  // selection.
  if (SelectedEffect() == kUserDefinedEffect) ops_->ShowKeyColours();
  RestartPreview();
}

}  // namespace velkor
