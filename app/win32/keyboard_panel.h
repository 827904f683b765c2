// The keyboard picture's buttons as a thin view: each key button's check
// mark, tip and tint, the G keys' bank, the flipped layout with its arrows
// and repaint chains, the report-rate, profile and lamp pictures. What they
// show is decided elsewhere (app/keyboard_panel.h, model/key_summary.h,
// model/lighting_operations.h); this only carries it out on the buttons.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/keyboard_panel.h"
#include "model/key_codes.h"
#include "model/key_summary.h"
#include "model/lighting.h"
#include "model/lighting_preview.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/color_static.h"
#include "ui/win32/skinned_controls.h"

namespace velkor {

class CKeyboardPanel final : public KeyButtonView {
 public:
  CKeyboardPanel(CBaseDialog& dialog, SkinnedControls& controls, std::function<void()> enable_apply)
      : dialog_(dialog), controls_(controls), enable_apply_(std::move(enable_apply)) {}
  ~CKeyboardPanel() override;
  CKeyboardPanel(const CKeyboardPanel&) = delete;
  CKeyboardPanel& operator=(const CKeyboardPanel&) = delete;

  // Once the controls are skinned: the repaint chains and arrows hooked to
  // the buttons' drawing, the lamp's pictures loaded, and the flipped
  // layout shown from the settings.
  void Attach();

  // KeyButtonView: the check mark and the tip of a key button.
  void ShowAssignment(int control, const KeySummary& summary) override;
  void EnableApply() override { enable_apply_(); }

  // A key button's colour at strength 50.
  void TintKey(int control, Colour colour);
  // Every panel key, G key and Fn: tint off and check mark cleared.
  void ClearTints();
  // A frame of the lighting preview. Only buttons whose tint or check mark
  // changes are drawn again.
  void ShowPreviewFrame(const PreviewFrame& frame);
  // The bank indicator (lit for bank B), the G keys' captions and checks.
  void ShowBank(int bank, const std::array<bool, kGKeyCount>& assigned);

  int flip() const { return flip_; }
  // Writes the other flip setting and shows it.
  void ToggleFlip();
  void ShowFlipState();

  void ShowReportRate(int index);
  void ShowProfileChecks(int profile);
  // The clicked key shows its "over" picture while its editor runs.
  void Highlight(int control, bool on);
  void ShowLamp(bool on);
  // The report-rate and lamp labels in the language (0 or 1; any other
  // number keeps the template's texts).
  void ShowLabels(int language);

 private:
  void OnButtonDrawn(HWND button, bool normal_sheet_drawn);
  CPngButton* Button(int control) const { return controls_.Button(control); }

  CBaseDialog& dialog_;
  SkinnedControls& controls_;
  std::function<void()> enable_apply_;
  int flip_ = 0;
  // The arrows beside the flip buttons: shown after their button was drawn
  // in its normal state.
  bool left_arrow_ = false;
  bool right_arrow_ = false;
  HBITMAP lamp_on_ = nullptr;
  HBITMAP lamp_off_ = nullptr;
  std::vector<std::unique_ptr<ColorStatic>> labels_;
  // F1..F4, then D1..D6: placed by the skin.
  std::array<bool, kFlipFKeyCount + kDKeyCount> placed_{};
};

}  // namespace velkor
