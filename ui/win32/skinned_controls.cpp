#include "ui/win32/skinned_controls.h"

#include "platform/win32/wide.h"
#include "ui/win32/png_button.h"
#include "ui/win32/skin_images.h"

namespace velkor {

namespace {

constexpr COLORREF kCaptionWhite = RGB(255, 255, 255);
constexpr COLORREF kCaptionGrey = RGB(0xE4, 0xE4, 0xE4);

void ApplyCaptionStyle(CPngButton& button, CaptionStyle style) {
  switch (style) {
    case CaptionStyle::kNone:
      return;
    case CaptionStyle::kButton:
      button.SetTextStyle(true, 9, L"Tahoma", kCaptionWhite, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
      return;
    case CaptionStyle::kSmallButton:
      button.SetTextStyle(true, 8, L"Tahoma", kCaptionWhite, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
      return;
    case CaptionStyle::kCurrentProfile:
      button.SetTextStyle(true, 10, L"Arial", kCaptionGrey, DT_SINGLELINE | DT_BOTTOM);
      button.SetRotation(268, true);
      return;
    case CaptionStyle::kVersion:
      button.SetTextStyle(true, 8, L"Verdana", kCaptionGrey, DT_SINGLELINE | DT_VCENTER);
      return;
  }
}

}  // namespace

SkinnedControls::~SkinnedControls() = default;

void SkinnedControls::ShowArrow(CBaseDialog& dialog, int control_id, bool flipped, int frame) {
  CPngButton* button = Button(control_id);
  if (!button) return;
  for (const SkinBinding& binding : plan_.bindings) {
    if (binding.control != control_id || binding.kind != BindingKind::kArrow) continue;
    const ArrowSide side = binding.key == u"LEFT_ARROW" ? ArrowSide::kLeft : ArrowSide::kRight;
    const int shown = arrow_frames_[control_id].Next(frame);
    dialog.SkinArrow(*button, binding.key, ArrowSourceKey(side, flipped, shown), Sheet(binding.sheets[0]));
    return;
  }
}

CPngButton* SkinnedControls::Button(int control_id) const {
  auto found = buttons_.find(control_id);
  return found == buttons_.end() ? nullptr : found->second.get();
}

void SkinnedControls::Apply(CBaseDialog& dialog, const TextSource& texts, bool flipped) {
  flipped_ = flipped;
  const SIZE client = dialog.ClientSize();
  sheets_.clear();
  for (std::u16string_view name : plan_.sheet_files) {
    const StateSheet* sheet =
        SheetCache::Instance().Get(plan_.ini_name, dialog.skin().FileInFolder(name), client.cx, client.cy);
    if (!sheet) EndProgramForMissingSkin();
    sheets_.push_back(sheet);
  }
  ApplyBindings(dialog, plan_.bindings, texts);
}

void SkinnedControls::ApplyBindings(CBaseDialog& dialog, std::span<const SkinBinding> bindings,
                                    const TextSource& texts) {
  for (const SkinBinding& binding : bindings) {
    switch (binding.kind) {
      case BindingKind::kPlain:
        dialog.SkinPlainControl(binding.control, binding.key);
        continue;
      case BindingKind::kPositionOnly:
        dialog.SkinPositionOnly(binding.control, binding.key);
        continue;
      case BindingKind::kImageButton:
      case BindingKind::kArrow:
        break;
    }
    std::unique_ptr<CPngButton>& button = buttons_[binding.control];
    if (!button) {
      button = std::make_unique<CPngButton>();
      if (!button->Attach(dialog.hwnd(), binding.control)) {
        buttons_.erase(binding.control);
        continue;
      }
    }
    SheetSet sheets{};
    for (size_t i = 0; i < sheets.size(); ++i) sheets[i] = Sheet(binding.sheets[i]);
    if (binding.kind == BindingKind::kArrow) {
      ShowArrow(dialog, binding.control, flipped_, -1);
    } else {
      dialog.SkinImageButton(*button, binding.key, sheets);
    }
    ApplyCaptionStyle(*button, binding.caption_style);
    if (!binding.caption_key.empty() && texts) {
      SetWindowTextW(button->hwnd(), W(texts(binding.caption_key)));
    }
    if (!binding.tooltip_key.empty() && texts) button->SetTooltip(ToWide(texts(binding.tooltip_key)), true);
    if (binding.tooltip_is_link) button->SetTooltip(ToWide(dialog.skin().Link()), true);
    if (binding.starts_disabled) EnableWindow(button->hwnd(), FALSE);
  }
}

}  // namespace velkor
