#include "ui/win32/color_static.h"

namespace velkor {

namespace {
constexpr wchar_t kStaticProperty[] = L"VelkorColorStatic";
}

ColorStatic::~ColorStatic() {
  if (hwnd_ && IsWindow(hwnd_)) {
    RemovePropW(hwnd_, kStaticProperty);
    if (font_) SendMessageW(hwnd_, WM_SETFONT, 0, FALSE);
  }
}

bool ColorStatic::Attach(HWND dialog, int control_id) {
  HWND control = GetDlgItem(dialog, control_id);
  if (!control || hwnd_) return false;
  hwnd_ = control;
  SetPropW(hwnd_, kStaticProperty, this);
  return true;
}

ColorStatic* ColorStatic::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<ColorStatic*>(GetPropW(hwnd, kStaticProperty)) : nullptr;
}

void ColorStatic::RedrawNow() {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void ColorStatic::SetTextColour(COLORREF colour) {
  colour_ = colour;
  RedrawNow();
}

void ColorStatic::SetFontHeight(int points) {
  if (!hwnd_) return;
  LOGFONTW description{};
  HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  if (!current || !GetObjectW(current, sizeof(description), &description)) {
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
  }
  description.lfHeight = -points;
  UniqueFont font(CreateFontIndirectW(&description));
  if (!font) return;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  font_ = std::move(font);
  RedrawNow();
}

HBRUSH ColorStatic::OnCtlColor(HDC dc) {
  PaintParentBackground(hwnd_, dc);
  SetTextColor(dc, colour_);
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

}  // namespace velkor
