#include "editors/win32/lighting_panel.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/text.h"
#include "platform/win32/wide.h"
#include "resources/resource.h"
#include "ui/skin_bindings.h"
#include "ui/win32/skin_look.h"

namespace velkor {

namespace {

// The panel's labels and their keys in the skin's label sections; the
// number fields' labels keep the template's texts.
struct Label {
  int control;
  const char16_t* key;
};
constexpr Label kLabels[] = {
    {IDC_MAIN_BRIGHTNESS_LABEL, u"Light"},      {IDC_MAIN_DIRECTION_LABEL, u"FX"},
    {IDC_MAIN_DIRECTION_FIRST_LABEL, u"FXL"},   {IDC_MAIN_DIRECTION_SECOND_LABEL, u"FXR"},
    {IDC_MAIN_SPEED_LABEL, u"Speed"},           {IDC_MAIN_FY_COLOR_LABEL, u"Color"},
    {IDC_MAIN_HX_COLOR_LABEL, u"Color"},        {IDC_MAIN_USER_PAINT_LABEL, u"Color"},
    {IDC_MAIN_USER_BASE_LABEL, u"JColor"},      {IDC_MAIN_HX_MULTI_LABEL, u"DC"},
    {IDC_MAIN_FY_MULTI_LABEL, u"DC"},           {IDC_MAIN_USER_TOOL_LABEL, u"Tool"},
    {IDC_MAIN_RED_LABEL, nullptr},              {IDC_MAIN_GREEN_LABEL, nullptr},
    {IDC_MAIN_BLUE_LABEL, nullptr},
};

constexpr int kSliders[] = {IDC_MAIN_BRIGHTNESS_SLIDER, IDC_MAIN_SPEED_SLIDER};
constexpr int kColourButtons[] = {IDC_MAIN_FY_COLOR, IDC_MAIN_HX_COLOR, IDC_MAIN_USER_PAINT_COLOR,
                                  IDC_MAIN_USER_BASE_COLOR};
constexpr int kFields[] = {IDC_MAIN_RED, IDC_MAIN_GREEN, IDC_MAIN_BLUE};

int FieldOf(int control) {
  for (int f = 0; f < 3; ++f) {
    if (kFields[f] == control) return f;
  }
  return -1;
}

std::u16string TextOf(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return FromWide(text);
}

}  // namespace

CLightingPanel::CLightingPanel(CBaseDialog& dialog, CKeyboardPanel& keyboard, Hooks hooks,
                               LightingPanel::KeyboardGate gate)
    : dialog_(dialog), keyboard_(keyboard), hooks_(std::move(hooks)), panel_(*this, std::move(gate)) {}

CLightingPanel::~CLightingPanel() {
  for (auto& [name, bitmap] : pictures_) DeleteObject(bitmap);
}

void CLightingPanel::Attach() {
  for (std::u16string_view name : LightingPanelPictures()) {
    // The lamp's and the busy picture's frames are the keyboard panel's.
    if (name.starts_with(u"deng") || name.starts_with(u"jdt")) continue;
    const std::u16string path = dialog_.skin_folder() + std::u16string(name);
    if (HANDLE b = LoadImageW(nullptr, W(path), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)) {
      pictures_.emplace(std::u16string(name), static_cast<HBITMAP>(b));
    }
  }
  for (int id : kSliders) {
    auto slider = std::make_unique<CBitmapSlider>();
    if (!slider->Attach(Item(id))) continue;
    slider->SetRange(0, 4);
    slider->SetPageSize(10);
    slider->SetPos(0);
    sliders_.emplace(id, std::move(slider));
  }
  SetPicture(IDC_MAIN_BRIGHTNESS_SLIDER, BrightnessPicture(0));
  SetPicture(IDC_MAIN_SPEED_SLIDER, SpeedPicture(0));
  for (int id : kColourButtons) {
    auto button = std::make_unique<CSkinColorBtn>();
    if (!button->Attach(Item(id))) continue;
    button->SetOtherButtonText(L"other");
    button->SetColumns(10);
    colour_buttons_.emplace(id, std::move(button));
  }
  for (const Label& label : kLabels) {
    auto drawn = std::make_unique<ColorStatic>();
    if (drawn->Attach(dialog_.hwnd(), label.control)) {
      drawn->SetTextColour(kSkinLook.text);
      labels_.push_back(std::move(drawn));
    }
  }
  for (int id : kFields) SendMessageW(Item(id), EM_SETLIMITTEXT, 11, 0);
  for (int id : NeverShownLightingControls()) ShowControl(id, false);
  for (int id : LightingPanelControlIds()) ShowControl(id, LightingControlShown(id, -1, false));
}

void CLightingPanel::ShowLabels(int language) {
  for (const Label& label : kLabels) {
    if (!label.key) continue;
    if (const std::optional<std::u16string> text = dialog_.skin().Label(language, label.key)) {
      SetDlgItemTextW(dialog_.hwnd(), label.control, W(*text));
    }
  }
  for (const auto& label : labels_) InvalidateRect(label->hwnd(), nullptr, TRUE);
}

bool CLightingPanel::OnCommand(int id, int notification) {
  switch (id) {
    case IDC_MAIN_EFFECT_LIST:
      if (notification == CBN_SELCHANGE) {
        panel_.OnEffectSelected(static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)));
      }
      return true;
    case IDC_MAIN_USER_MODE_LIST:
      if (notification == CBN_SELCHANGE) {
        panel_.OnUserModeSelected(static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)));
      } else if (notification == CBN_EDITCHANGE) {
        panel_.OnUserModeRenamed(TextOf(Item(id)));
      }
      return true;
    case IDC_MAIN_DIRECTION_FIRST:
    case IDC_MAIN_DIRECTION_SECOND:
      if (notification == STN_CLICKED) panel_.OnDirection(id == IDC_MAIN_DIRECTION_FIRST);
      return true;
    case IDC_MAIN_FY_MULTI:
    case IDC_MAIN_HX_MULTI:
      if (notification == STN_CLICKED) panel_.OnMulticolourClicked();
      return true;
    case IDC_MAIN_FOUR_RED:
    case IDC_MAIN_FOUR_YELLOW:
    case IDC_MAIN_FOUR_GREEN:
    case IDC_MAIN_FOUR_BLUE:
      if (notification == STN_CLICKED) panel_.OnFourColourClicked(id - IDC_MAIN_FOUR_RED);
      return true;
    case IDC_MAIN_USER_PAINT_TOOL:
    case IDC_MAIN_USER_BASE_TOOL:
      if (notification == STN_CLICKED) panel_.OnToolClicked(id == IDC_MAIN_USER_BASE_TOOL ? 1 : 0);
      return true;
    case IDC_MAIN_RED:
    case IDC_MAIN_GREEN:
    case IDC_MAIN_BLUE:
      if (notification == EN_CHANGE && !writing_fields_) panel_.OnFieldChanged(FieldOf(id));
      return true;
    default:
      break;
  }
  if (id >= IDC_MAIN_PRESET1 && id <= IDC_MAIN_PRESET8) {
    if (notification == BN_CLICKED) panel_.OnPreset(id - IDC_MAIN_PRESET1);
    return true;
  }
  if (auto button = colour_buttons_.find(id); button != colour_buttons_.end()) {
    if (notification == kColourChosenNotification) {
      panel_.OnColourChosen(id, static_cast<Colour>(button->second->colour() & 0xFFFFFF));
    }
    return true;
  }
  return false;
}

void CLightingPanel::OnSliderMessage(WPARAM control, LPARAM position) {
  panel_.OnSliderMoved(static_cast<int>(control), static_cast<int>(position));
}

void CLightingPanel::DrawFocus(HDC dc) const {
  for (const auto& [id, button] : colour_buttons_) button->DrawFocus(dc);
}

void CLightingPanel::OnWindowButtonDown(POINT client) {
  POINT screen = client;
  ClientToScreen(dialog_.hwnd(), &screen);
  RECT window{};
  GetWindowRect(dialog_.hwnd(), &window);
  if (!InsideColourWheel(screen.x - window.left, screen.y - window.top)) return;
  HDC desktop = GetDC(nullptr);
  if (!desktop) return;
  const COLORREF pixel = GetPixel(desktop, screen.x, screen.y);
  ReleaseDC(nullptr, desktop);
  if (pixel == CLR_INVALID) return;
  panel_.OnColourPicked(static_cast<Colour>(pixel & 0xFFFFFF));
}

// ---- LightingPanelControls ------------------------------------------------------------

void CLightingPanel::ShowControl(int control, bool shown) {
  if (HWND item = Item(control)) ShowWindow(item, shown ? SW_SHOWNA : SW_HIDE);
}

void CLightingPanel::PlaceControl(int control, const std::u16string& skin_key) {
  HWND item = Item(control);
  if (!item) return;
  const SkinRect rect = dialog_.skin().Rect(skin_key);
  SetWindowPos(item, nullptr, rect.x, rect.y, rect.w, rect.h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CLightingPanel::SetPicture(int control, std::u16string_view file) {
  auto picture = pictures_.find(file);
  HWND item = Item(control);
  if (!item || picture == pictures_.end()) return;
  if (reinterpret_cast<HBITMAP>(SendMessageW(item, STM_GETIMAGE, IMAGE_BITMAP, 0)) == picture->second) return;
  const auto previous = reinterpret_cast<HBITMAP>(
      SendMessageW(item, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture->second)));
  // A picture with an alpha channel is copied by the control; the copy it
  // gives back is the program's to delete.
  if (previous && std::none_of(pictures_.begin(), pictures_.end(),
                               [previous](const auto& kept) { return kept.second == previous; })) {
    DeleteObject(previous);
  }
}

void CLightingPanel::SetSliderPosition(int control, int position) {
  if (auto slider = sliders_.find(control); slider != sliders_.end()) slider->second->SetPos(position);
}

void CLightingPanel::SetButtonColour(int control, Colour colour) {
  if (auto button = colour_buttons_.find(control); button != colour_buttons_.end()) {
    button->second->SetColour(static_cast<COLORREF>(colour & 0xFFFFFF));
  }
}

void CLightingPanel::FillEffectList(const std::vector<std::u16string>& names) {
  HWND list = Item(IDC_MAIN_EFFECT_LIST);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& name : names) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(name)));
}

void CLightingPanel::SelectEffectItem(int index) {
  SendMessageW(Item(IDC_MAIN_EFFECT_LIST), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CLightingPanel::FillUserModeList(const std::vector<std::u16string>& names) {
  HWND list = Item(IDC_MAIN_USER_MODE_LIST);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& name : names) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(name)));
}

void CLightingPanel::SelectUserModeItem(int index) {
  SendMessageW(Item(IDC_MAIN_USER_MODE_LIST), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CLightingPanel::ReplaceUserModeItem(int index, const std::u16string& name) {
  HWND list = Item(IDC_MAIN_USER_MODE_LIST);
  if (index < 0 || index >= static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0))) return;
  // The edit field keeps what the person typed and where the caret is.
  DWORD selection = static_cast<DWORD>(SendMessageW(list, CB_GETEDITSEL, 0, 0));
  SendMessageW(list, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
  SendMessageW(list, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(W(name)));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SetWindowTextW(list, W(name));
  SendMessageW(list, CB_SETEDITSEL, 0, MAKELPARAM(LOWORD(selection), HIWORD(selection)));
}

std::array<std::u16string, 3> CLightingPanel::FieldTexts() {
  return {TextOf(Item(kFields[0])), TextOf(Item(kFields[1])), TextOf(Item(kFields[2]))};
}

void CLightingPanel::WriteFieldNumbers(const std::array<int, 3>& numbers) {
  writing_fields_ = true;
  for (int f = 0; f < 3; ++f) {
    HWND field = Item(kFields[f]);
    const std::u16string text = Utf8ToUtf16(std::to_string(numbers[static_cast<size_t>(f)]));
    // A field that already says it is left alone, so the caret of a person
    // typing in it stays where it is.
    if (!field || TextOf(field) == text) continue;
    SetWindowTextW(field, W(text));
    SendMessageW(field, EM_SETSEL, static_cast<WPARAM>(text.size()), static_cast<LPARAM>(text.size()));
  }
  writing_fields_ = false;
}

void CLightingPanel::RejectField(int field) {
  if (field < 0 || field > 2) return;
  MessageBoxW(dialog_.hwnd(), L"Enter an integer.", L"", MB_OK | MB_ICONEXCLAMATION);
  HWND edit = Item(kFields[field]);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

}  // namespace velkor
