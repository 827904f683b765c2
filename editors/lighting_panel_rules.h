// The lighting panel beside the keyboard picture: which controls each effect
// shows, the skin layouts and pictures of its controls, the number fields'
// reading rules, and the panel itself (`LightingPanel`): every change a
// person makes goes to the keyboard at once through LightingOperations, and
// what the operations show comes back through LightingView. The controls are
// reached through LightingPanelControls, so that all of this runs on the
// host as well as in the window.
#pragma once

#include <array>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/lighting.h"
#include "model/lighting_operations.h"

namespace velkor {

// ---- Which controls show -------------------------------------------------------

// Every control whose visibility follows the lamp and the selected effect.
std::span<const int> LightingPanelControlIds();
// Controls laid out from the skin but never shown (stone, ribbon, trigger and
// the further colour set).
std::span<const int> NeverShownLightingControls();
// Whether a control shows for the effect selected in the list (-1: none)
// with the lamp on or off. The lamp, its label, the number fields with their
// labels and the presets always show; a control of neither list never does.
bool LightingControlShown(int control, int effect, bool lamp_on);

// The direction controls' skin layout: the plain keys, the keys with "2"
// (effects 3, 5, 6) or with "3" (effect 12).
std::u16string_view DirectionLayoutSuffix(int effect);
struct DirectionControl {
  int control;
  std::u16string_view skin_key;  // plain layout; the suffix is appended
};
std::span<const DirectionControl> DirectionControls();

// The direction pictures of an effect: the first (left, up, spread) and the
// second (right, down, gather), chosen and not chosen.
struct DirectionPictures {
  std::u16string_view first_chosen, first_plain, second_chosen, second_plain;
};
DirectionPictures DirectionPicturesOf(int effect);

// The slider pictures: "p.bmp" for brightness, "6+p.bmp" for speed, for a
// position clamped to 0..4 (a record with an out-of-range value would
// otherwise show a picture of the other slider).
std::u16string BrightnessPicture(int position);
std::u16string SpeedPicture(int position);
int SliderPosition(int value);

// ---- Colours -------------------------------------------------------------------

inline constexpr std::array<Colour, 8> kPresetColours = {
    RgbColour(236, 99, 31), RgbColour(254, 0, 0),   RgbColour(1, 126, 255),  RgbColour(90, 255, 2),
    RgbColour(234, 255, 0), RgbColour(255, 192, 0), RgbColour(255, 0, 180), RgbColour(175, 0, 255)};

// What a colour from the presets, the number fields or the wheel does.
enum class ColourTarget { kNothing, kEffectColour, kPaintColour, kBaseColour };
// Only while the lamp is on; by the effect selected in the list (-1: none)
// and the user mode's tool.
ColourTarget ColourTargetOf(bool lamp_on, int effect, int tool);

// The colour wheel: a click within 63 pixels of (140, 144) of the window.
inline constexpr int kWheelCentreX = 140, kWheelCentreY = 144, kWheelRadius = 63;
bool InsideColourWheel(int window_x, int window_y);

// A whole decimal number with an optional sign (blanks around it allowed);
// nothing for anything else, an empty text included. Numbers beyond the int
// range saturate.
std::optional<int> ParseWholeNumber(std::u16string_view text);

// The red, green and blue fields after one of them changed. They are read in
// order; the first that is not a whole number and those after it keep their
// previous numbers. The changed field's number above 255 becomes 255. The
// colour is the low eight bits of the three numbers.
struct ColourFields {
  std::array<int, 3> numbers{};
  int rejected = -1;  // the first field that was not a number
  Colour colour = 0;
};
ColourFields ReadColourFields(const std::array<std::u16string, 3>& texts, const std::array<int, 3>& previous,
                              int changed);

// ---- The panel -----------------------------------------------------------------

// The controls as the panel needs them (the main window's, or a test's).
class LightingPanelControls {
 public:
  virtual ~LightingPanelControls() = default;
  virtual void ShowControl(int control, bool shown) = 0;
  // Moves a control to the rectangle of a skin key.
  virtual void PlaceControl(int control, const std::u16string& skin_key) = 0;
  // A picture file of the skin folder on a picture control or slider.
  virtual void SetPicture(int control, std::u16string_view file) = 0;
  virtual void SetSliderPosition(int control, int position) = 0;
  virtual void SetButtonColour(int control, Colour colour) = 0;
  virtual std::vector<std::u16string> EffectNames(const EffectList& effects) = 0;
  virtual void FillEffectList(const std::vector<std::u16string>& names) = 0;
  virtual void SelectEffectItem(int index) = 0;
  virtual void FillUserModeList(const std::vector<std::u16string>& names) = 0;
  virtual void SelectUserModeItem(int index) = 0;
  virtual void ReplaceUserModeItem(int index, const std::u16string& name) = 0;
  // The three fields' texts, red first; written without running their
  // change handler.
  virtual std::array<std::u16string, 3> FieldTexts() = 0;
  virtual void WriteFieldNumbers(const std::array<int, 3>& numbers) = 0;
  // "Enter an integer.", then the field focused with its text selected.
  // Called once the change is handled, so that nothing arriving while the
  // message shows meets a half-handled change.
  virtual void RejectField(int field) = 0;
  // The keyboard picture.
  virtual void TintKey(int control, Colour colour) = 0;
  virtual void ClearTints() = 0;
  virtual void ShowCurrentBank() = 0;
  virtual void ShowReportRate(int index) = 0;
  virtual void ShowLamp(bool on) = 0;
  // The preview starts the selected effect afresh.
  virtual void RestartPreview() = 0;
};

class LightingPanel final : public LightingView {
 public:
  // The keyboard for one change: empty while it is busy elsewhere (the
  // change is then not made and the controls show the kept values again).
  using KeyboardGate = std::function<std::unique_lock<std::mutex>()>;

  LightingPanel(LightingPanelControls& controls, KeyboardGate gate)
      : controls_(controls), gate_(std::move(gate)) {}
  // The operations come after the panel (they report to it).
  void Bind(LightingOperations* operations) { ops_ = operations; }

  bool lamp_on() const { return ops_ && ops_->state().panel_switch; }
  int selected_index() const { return selected_index_; }
  // The effect selected in the list, or -1.
  int SelectedEffect() const;
  const std::array<int, 3>& field_numbers() const { return fields_; }

  // A person's actions.
  void OnEffectSelected(int index);
  void OnSliderMoved(int control, int position);
  void OnDirection(bool first);
  void OnColourChosen(int control, Colour colour);
  void OnMulticolourClicked();
  void OnFourColourClicked(int choice);
  void OnUserModeSelected(int index);
  void OnUserModeRenamed(const std::u16string& name);
  void OnToolClicked(int tool);
  void OnPreset(int index);
  void OnFieldChanged(int field);
  // A colour picked from the wheel: the fields take it, then each field's
  // change runs once.
  void OnColourPicked(Colour colour);
  // The lamp: off at once; on once the keyboard's profile was selected again
  // (the window does that first).
  void TurnLampOff();
  void TurnLampOn();

  // Colour from the presets, fields or wheel, by effect and tool. False
  // when the keyboard was busy and the colour was not applied.
  bool ApplyColour(Colour colour);

  // LightingView
  void ClearEffectList() override;
  void ShowUserModeNames(const std::vector<std::u16string>& names) override;
  void ShowColourFields(Colour colour) override;
  void TintKey(int control, Colour colour) override { controls_.TintKey(control, colour); }
  void SelectEffectInList(int index) override;
  void ShowSliders(int brightness_position, int speed_position) override;
  void ShowEffectColours(Colour colour, bool multicolour, Colour stone, bool stone_multicolour, Colour ribbon,
                         bool ribbon_multicolour) override;
  void ShowUserMode(int mode, Colour paint_colour, Colour base_colour, int tool) override;
  void ShowReportRate(int index) override { controls_.ShowReportRate(index); }
  void RebuildPanel() override { RebuildPanel(false); }
  // The preview starts afresh when the effect changed, or always.
  void RebuildPanel(bool restart_preview);

 private:
  void RestartPreview();
  void ChooseColour(Colour colour);
  void ShowVisibility();
  void PlaceDirectionControls(int effect);
  void ShowDirection(int effect, uint8_t direction);
  void ShowMulticolour(bool on);
  void ShowFourColour(int choice);
  void ShowTool(int tool);
  void ShowFields(Colour colour);

  LightingPanelControls& controls_;
  KeyboardGate gate_;
  LightingOperations* ops_ = nullptr;
  int selected_index_ = -1;
  std::array<int, 3> fields_{};
  int previewed_effect_ = -1;
};

}  // namespace velkor
