// The lighting panel's controls on the main window, as a thin view: the
// effect list, the sliders, the direction, multicolour, four-colour and tool
// pictures, the colour buttons, the user mode list, the number fields and
// the presets. What they show and what a click does is LightingPanel's
// (editors/lighting_panel_rules.h); this carries it out on the controls and
// hands their notifications to it.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/keyboard_panel.h"
#include "editors/lighting_panel_rules.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/color_static.h"
#include "widgets/win32/bitmap_slider.h"
#include "widgets/win32/skin_color_btn.h"

namespace velkor {

class CLightingPanel final : public LightingPanelControls {
 public:
  struct Hooks {
    std::function<void()> show_current_bank;
    std::function<void()> restart_preview;
    // The effects' names in the language on show.
    std::function<std::vector<std::u16string>(const EffectList&)> effect_names;
  };

  CLightingPanel(CBaseDialog& dialog, CKeyboardPanel& keyboard, Hooks hooks, LightingPanel::KeyboardGate gate);
  ~CLightingPanel() override;
  CLightingPanel(const CLightingPanel&) = delete;
  CLightingPanel& operator=(const CLightingPanel&) = delete;

  LightingPanel& panel() { return panel_; }

  // Once the controls are skinned: the pictures loaded, the sliders and
  // colour buttons attached, the labels drawn on the skin, every control of
  // the panel hidden or shown for the lamp, the never-shown set hidden.
  void Attach();
  // The labels from the skin in the language (0 or 1; any other number
  // keeps the template's texts).
  void ShowLabels(int language);

  // The panel's notifications; false for a control that is not the panel's.
  bool OnCommand(int id, int notification);
  // The sliders' message.
  void OnSliderMessage(WPARAM control, LPARAM position);
  // The focused colour button's focus ring, on the window's own surface.
  void DrawFocus(HDC dc) const;
  // A left button press on the window at a client point: the colour wheel.
  void OnWindowButtonDown(POINT client);

  // LightingPanelControls
  void ShowControl(int control, bool shown) override;
  void PlaceControl(int control, const std::u16string& skin_key) override;
  void SetPicture(int control, std::u16string_view file) override;
  void SetSliderPosition(int control, int position) override;
  void SetButtonColour(int control, Colour colour) override;
  std::vector<std::u16string> EffectNames(const EffectList& effects) override { return hooks_.effect_names(effects); }
  void FillEffectList(const std::vector<std::u16string>& names) override;
  void SelectEffectItem(int index) override;
  void FillUserModeList(const std::vector<std::u16string>& names) override;
  void SelectUserModeItem(int index) override;
  void ReplaceUserModeItem(int index, const std::u16string& name) override;
  std::array<std::u16string, 3> FieldTexts() override;
  void WriteFieldNumbers(const std::array<int, 3>& numbers) override;
  void RejectField(int field) override;
  void TintKey(int control, Colour colour) override { keyboard_.TintKey(control, colour); }
  void ClearTints() override { keyboard_.ClearTints(); }
  void ShowCurrentBank() override { hooks_.show_current_bank(); }
  void ShowReportRate(int index) override { keyboard_.ShowReportRate(index); }
  void ShowLamp(bool on) override { keyboard_.ShowLamp(on); }
  void RestartPreview() override { hooks_.restart_preview(); }

 private:
  HWND Item(int control) const { return GetDlgItem(dialog_.hwnd(), control); }

  CBaseDialog& dialog_;
  CKeyboardPanel& keyboard_;
  Hooks hooks_;
  LightingPanel panel_;
  std::map<std::u16string, HBITMAP, std::less<>> pictures_;
  std::map<int, std::unique_ptr<CBitmapSlider>> sliders_;
  std::map<int, std::unique_ptr<CSkinColorBtn>> colour_buttons_;
  std::vector<std::unique_ptr<ColorStatic>> labels_;
  // The fields are being written: their change notifications are the
  // program's own.
  bool writing_fields_ = false;
};

}  // namespace velkor
