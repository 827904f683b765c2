#include "app/win32/keyboard_panel.h"

#include <optional>

#include "app/keyboard_panel.h"
#include "app/main_window_rules.h"
#include "app/win32/app_settings.h"
#include "platform/win32/wide.h"
#include "resources/resource.h"
#include "ui/win32/skin_look.h"

namespace velkor {

namespace {

// The main window's sheets: normal, over, checked.
constexpr size_t kNormalSheet = 0, kOverSheet = 1, kCheckedSheet = 3;

// How the panel draws what it adds to the skin's pictures.
struct PanelLook {
  int tint_strength;           // percent of the colour over a key's picture
  COLORREF label_colour;       // the report-rate and lamp labels
  COLORREF bank_caption_colour;
  int bank_caption_points;
  int bank_caption_inset_right;  // pixels from the G key's right edge
  int bank_caption_inset_bottom;
};
constexpr PanelLook kLook{50, kSkinLook.text, RGB(0x5A, 0xC8, 0xF0), 7, 6, 3};

// The labels beside the keyboard picture and their keys in the skin's label sections.
struct Label {
  int control;
  const char16_t* key;
};
constexpr Label kLabels[] = {{IDC_MAIN_USB_LABEL, u"Usb"}, {IDC_MAIN_LAMP_LABEL, u"Deng"}};

void Show(HWND control, bool shown, bool enabled) {
  if (!control) return;
  EnableWindow(control, enabled ? TRUE : FALSE);
  ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

}  // namespace

CKeyboardPanel::~CKeyboardPanel() {
  if (lamp_on_) DeleteObject(lamp_on_);
  if (lamp_off_) DeleteObject(lamp_off_);
}

void CKeyboardPanel::Attach() {
  for (int control : {static_cast<int>(IDC_MAIN_LOCK_AB), static_cast<int>(IDC_MAIN_FLIP_INDICATOR),
                      static_cast<int>(IDC_MAIN_KEY_ENTER), static_cast<int>(IDC_MAIN_FLIP1),
                      static_cast<int>(IDC_MAIN_FLIP2)}) {
    if (CPngButton* button = Button(control)) {
      button->SetDrawCallback([this](HWND drawn, bool normal) { OnButtonDrawn(drawn, normal); });
    }
  }
  // The G keys' pictures name the key; the bank's caption (A1..A5, B1..B5)
  // goes small in the lower right corner, below the assigned mark.
  for (int g = 1; g <= kGKeyCount; ++g) {
    if (CPngButton* key = Button(GKeyControl(g))) {
      key->SetTextStyle(true, kLook.bank_caption_points, L"Tahoma", kLook.bank_caption_colour,
                        DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
      key->SetTextInsets(kLook.bank_caption_inset_right, kLook.bank_caption_inset_bottom);
    }
  }
  auto load = [&](const char16_t* name) {
    const std::u16string path = dialog_.skin_folder() + name;
    return static_cast<HBITMAP>(LoadImageW(nullptr, W(path), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  };
  lamp_on_ = load(u"dengdown.bmp");
  lamp_off_ = load(u"dengup.bmp");
  for (const Label& label : kLabels) {
    auto drawn = std::make_unique<ColorStatic>();
    if (drawn->Attach(dialog_.hwnd(), label.control)) {
      drawn->SetTextColour(kLook.label_colour);
      labels_.push_back(std::move(drawn));
    }
  }
  // A key the skin has no place for stays disabled and hidden in both layouts.
  for (int i = 0; i < kFlipFKeyCount + kDKeyCount; ++i) {
    const int control = i < kFlipFKeyCount ? kFirstFlipFKey + i : kFirstDKey + i - kFlipFKeyCount;
    RECT placed{};
    HWND key = GetDlgItem(dialog_.hwnd(), control);
    placed_[static_cast<size_t>(i)] = key && GetClientRect(key, &placed) && placed.right > 1;
  }
  flip_ = FlipFromSetting(Settings().ReadString(u"PROFILES", u"Flip", u"0"));
  ShowFlipState();
}

void CKeyboardPanel::ShowLabels(int language) {
  for (const Label& label : kLabels) {
    if (const std::optional<std::u16string> text = dialog_.skin().Label(language, label.key)) {
      SetDlgItemTextW(dialog_.hwnd(), label.control, W(*text));
    }
  }
  for (const auto& label : labels_) InvalidateRect(label->hwnd(), nullptr, TRUE);
}

void CKeyboardPanel::ShowAssignment(int control, const KeySummary& summary) {
  if (CPngButton* button = Button(control)) {
    button->SetChecked(summary.assigned, true);
    button->SetTooltip(W(summary.text), true);
  }
}

void CKeyboardPanel::TintKey(int control, Colour colour) {
  if (CPngButton* button = Button(control)) button->SetFramed(static_cast<COLORREF>(colour & 0xFFFFFF), kLook.tint_strength, true);
}

void CKeyboardPanel::ClearTints() {
  for (const LitKey& key : LitKeys()) {
    if (CPngButton* button = Button(key.control)) {
      button->SetFramed(0, kLook.tint_strength, false);
      button->SetChecked(false, true);
    }
  }
}

void CKeyboardPanel::ShowPreviewFrame(const PreviewFrame& frame) {
  switch (frame.kind) {
    case PreviewFrameKind::kLeave:
      return;
    case PreviewFrameKind::kClearTints:
      for (const LitKey& key : LitKeys()) {
        if (CPngButton* button = Button(key.control)) {
          button->SetFramed(0, kLook.tint_strength, false);
          if (button->checked()) button->SetChecked(false, true);
        }
      }
      return;
    case PreviewFrameKind::kTints: {
      // Twenty frames a second over a hundred buttons: the changed ones are
      // drawn here in one go through the window's own DC (which does not
      // leave the buttons out), not each through a paint message of its own.
      HWND w = dialog_.hwnd();
      std::optional<WindowDc> window_dc;
      const bool drawn = IsWindowVisible(w) && !IsIconic(w);
      for (size_t i = 0; i < LitKeys().size(); ++i) {
        CPngButton* button = Button(LitKeys()[i].control);
        if (!button) continue;
        const Colour tint = frame.tints[i];
        const bool changed = tint == kNoTint
                                 ? button->ChangeFramed(0, kLook.tint_strength, false)
                                 : button->ChangeFramed(static_cast<COLORREF>(tint & 0xFFFFFF), kLook.tint_strength, true);
        if (!changed || !drawn || !IsWindowVisible(button->hwnd())) continue;
        if (!window_dc) window_dc.emplace(w, DCX_CACHE);
        HDC dc = window_dc->get();
        if (!dc) {
          InvalidateRect(button->hwnd(), nullptr, FALSE);
          continue;
        }
        RECT at{};
        GetWindowRect(button->hwnd(), &at);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&at), 2);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, at.left, at.top, at.right, at.bottom);
        SetViewportOrgEx(dc, at.left, at.top, nullptr);
        button->DrawInto(dc);
        RestoreDC(dc, saved);
      }
      return;
    }
  }
}

void CKeyboardPanel::ShowBank(int bank, const std::array<bool, kGKeyCount>& assigned) {
  HWND w = dialog_.hwnd();
  for (int g = 1; g <= kGKeyCount; ++g) {
    SetDlgItemTextW(w, GKeyControl(g), W(GKeyCaption(bank, g - 1)));
    if (CPngButton* button = Button(GKeyControl(g))) button->SetChecked(assigned[static_cast<size_t>(g - 1)], true);
  }
  // The indicator is disabled: its lit picture (the "over" one) stands in
  // for the disabled one while bank B is on show.
  if (CPngButton* indicator = Button(IDC_MAIN_LOCK_AB)) {
    const StateSheet* normal = controls_.Sheet(kNormalSheet);
    const StateSheet* lit = bank == 1 ? controls_.Sheet(kOverSheet) : normal;
    indicator->SetSheets(normal, normal, normal, lit, controls_.Sheet(kOverSheet), false);
    indicator->SetChecked(bank == 1, true);
  }
}

void CKeyboardPanel::ToggleFlip() {
  Settings().WriteString(u"PROFILES", u"Flip", ToggledFlipSetting(flip_));
  flip_ = FlipFromSetting(Settings().ReadString(u"PROFILES", u"Flip", u"0"));
  ShowFlipState();
}

void CKeyboardPanel::ShowFlipState() {
  const FlipView view = velkor::ShowFlipState(flip_);
  HWND w = dialog_.hwnd();
  // F1..F4 make way for D1..D6 only where the skin placed those.
  bool d_keys_placed = true;
  for (int i = 0; i < kDKeyCount; ++i) d_keys_placed = d_keys_placed && placed_[static_cast<size_t>(kFlipFKeyCount + i)];
  for (int i = 0; i < kFlipFKeyCount; ++i) {
    const bool placed = placed_[static_cast<size_t>(i)];
    Show(GetDlgItem(w, kFirstFlipFKey + i), placed && (view.f_keys_enabled || !d_keys_placed),
         placed && view.f_keys_enabled);
  }
  for (int i = 0; i < kDKeyCount; ++i) {
    const bool placed = placed_[static_cast<size_t>(kFlipFKeyCount + i)];
    Show(GetDlgItem(w, kFirstDKey + i), placed && view.d_keys_enabled, placed && view.d_keys_enabled);
  }
  if (CPngButton* indicator = Button(IDC_MAIN_FLIP_INDICATOR)) {
    // The indicator is disabled: the second picture set is its checked face
    // in the disabled state.
    const StateSheet* normal = controls_.Sheet(kNormalSheet);
    const StateSheet* checked = controls_.Sheet(kCheckedSheet);
    indicator->SetSheets(normal, normal, normal, view.indicator_set == 1 ? checked : normal, checked, true);
  }
  // The arrows point the way the layout would turn.
  left_arrow_ = right_arrow_ = false;
  for (int flip_button : {static_cast<int>(IDC_MAIN_FLIP1), static_cast<int>(IDC_MAIN_FLIP2)}) {
    if (CPngButton* button = Button(flip_button)) InvalidateRect(button->hwnd(), nullptr, FALSE);
  }
}

void CKeyboardPanel::OnButtonDrawn(HWND button, bool normal_sheet_drawn) {
  const int control = GetDlgCtrlID(button);
  if (const int arrow = ArrowOfFlipButton(control)) {
    bool& shown = arrow == IDC_MAIN_LEFT_ARROW ? left_arrow_ : right_arrow_;
    const bool was_shown = shown;
    shown = normal_sheet_drawn;
    // Hovered or pressed, the arrow keeps its picture; drawn again only when
    // it comes back (or the layout changed, which clears the flag).
    if (shown && !was_shown) controls_.ShowArrow(dialog_, arrow, flip_ != 0, 0);
    return;
  }
  for (int other : RepaintedWith(control, flip_)) {
    if (HWND repainted = GetDlgItem(dialog_.hwnd(), other)) InvalidateRect(repainted, nullptr, FALSE);
  }
}

void CKeyboardPanel::ShowReportRate(int index) {
  static constexpr int kButtons[] = {IDC_MAIN_REPORT1, IDC_MAIN_REPORT2, IDC_MAIN_REPORT3, IDC_MAIN_REPORT4};
  for (int i = 0; i < 4; ++i) {
    if (CPngButton* button = Button(kButtons[i])) button->SetChecked(i == index, true);
  }
}

void CKeyboardPanel::ShowProfileChecks(int profile) {
  static constexpr int kButtons[] = {IDC_MAIN_PROFILE1, IDC_MAIN_PROFILE2, IDC_MAIN_PROFILE3};
  for (int i = 0; i < 3; ++i) {
    if (CPngButton* button = Button(kButtons[i])) button->SetChecked(i == profile, true);
  }
}

void CKeyboardPanel::Highlight(int control, bool on) {
  CPngButton* button = Button(control);
  if (!button) return;
  const StateSheet* over = controls_.Sheet(kOverSheet);
  if (on && over) {
    button->SetAlternativeImages(over, over, true, false, true);
  } else {
    button->SetAlternativeImages(nullptr, nullptr, false, false, true);
  }
}

void CKeyboardPanel::ShowLamp(bool on) {
  HBITMAP picture = on ? lamp_on_ : lamp_off_;
  if (HWND lamp = GetDlgItem(dialog_.hwnd(), IDC_MAIN_LAMP); lamp && picture) {
    // A static may show a copy of a picture with alpha; the copy comes back
    // here when replaced and is ours to delete.
    const auto previous = reinterpret_cast<HBITMAP>(
        SendMessageW(lamp, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (previous && previous != lamp_on_ && previous != lamp_off_) DeleteObject(previous);
  }
}

}  // namespace velkor
