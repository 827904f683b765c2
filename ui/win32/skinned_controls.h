// Skins a window's controls from its plan: loads the window kind's sheets
// (ending the program when one is missing), attaches an image button to every
// image-button control, and places every control from the skin file in the
// plan's order, with the captions, tooltips and text styles the plan gives.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ui/skin_bindings.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/png_button.h"

namespace velkor {

class StateSheet;

class SkinnedControls {
 public:
  // Gives the text of a language file key (captions and tooltips).
  using TextSource = std::function<std::u16string(std::u16string_view key)>;

  explicit SkinnedControls(const SkinWindowPlan& plan) : plan_(plan) {}
  ~SkinnedControls();

  // Loads the sheets for the dialog's client size and applies every binding;
  // arrow pictures show their first frame, up or down by the flip setting.
  void Apply(CBaseDialog& dialog, const TextSource& texts, bool flipped = false);
  // Applies more bindings (a page picture skinned again, say).
  void ApplyBindings(CBaseDialog& dialog, std::span<const SkinBinding> bindings, const TextSource& texts);

  // Shows an arrow picture again: frame 0 or 1 shows frame 1 or 2, any other
  // value the frame the arrow showed last; the up pictures when flipped.
  void ShowArrow(CBaseDialog& dialog, int control_id, bool flipped, int frame);

  CPngButton* Button(int control_id) const;
  const std::map<int, std::unique_ptr<CPngButton>>& buttons() const { return buttons_; }
  const StateSheet* Sheet(size_t index) const { return index < sheets_.size() ? sheets_[index] : nullptr; }

 private:
  const SkinWindowPlan& plan_;
  std::vector<const StateSheet*> sheets_;
  std::map<int, std::unique_ptr<CPngButton>> buttons_;
  std::map<int, ArrowFrame> arrow_frames_;
  bool flipped_ = false;
};

}  // namespace velkor
