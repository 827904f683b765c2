// A text label drawn straight onto a skinned background: its parent paints
// what lies under it, and it draws its text transparently in its own colour.
#pragma once

#include <windows.h>

#include "ui/win32/gdi.h"

namespace velkor {

class ColorStatic {
 public:
  ColorStatic() = default;
  ~ColorStatic();
  ColorStatic(const ColorStatic&) = delete;
  ColorStatic& operator=(const ColorStatic&) = delete;

  bool Attach(HWND dialog, int control_id);
  HWND hwnd() const { return hwnd_; }
  static ColorStatic* FromHandle(HWND hwnd);

  // Stores the colour and redraws at once.
  void SetTextColour(COLORREF colour);
  // The font's height becomes -points; the font is made again and the label
  // redrawn at once.
  void SetFontHeight(int points);
  COLORREF text_colour() const { return colour_; }

  // The parent's answer to WM_CTLCOLORSTATIC for this label.
  HBRUSH OnCtlColor(HDC dc);

 private:
  void RedrawNow();

  HWND hwnd_ = nullptr;
  COLORREF colour_ = RGB(255, 255, 255);
  UniqueFont font_;
};

}  // namespace velkor
