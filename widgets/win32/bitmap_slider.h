// An image slider over a picture control (a Static with SS_BITMAP |
// SS_NOTIFY in a dialog template). It draws nothing: its owner shows the
// picture that matches the position. A person moves it with the mouse (press
// takes the position under the pointer, a drag follows it) or, while it has
// the focus, with the arrows, Page Up / Page Down, Home and End. Each change
// a person makes is sent to the parent as kSliderMovedMessage.
#pragma once

#include <windows.h>

#include "ui/win32/subclass_wnd.h"
#include "widgets/widget_geometry.h"

namespace velkor {

// Sent (SendMessage) to the slider's parent when a person moved it:
// wParam = the control's id, lParam = the new position.
inline constexpr UINT kSliderMovedMessage = 0x28D1;

class CBitmapSlider : public CSubclassWnd {
 public:
  CBitmapSlider() = default;

  // Hooks the control's messages; false when it cannot be hooked.
  bool Attach(HWND control);
  HWND hwnd() const { return hooked_window(); }

  // The range (0..4 at first; given backwards it is turned round). The
  // position is kept within it, without a message.
  void SetRange(int min, int max);
  int range_min() const { return range_.min; }
  int range_max() const { return range_.max; }
  // What Page Up and Page Down move (10 at first; a negative size is none).
  void SetPageSize(int page);
  int page_size() const { return page_; }
  // Moves the slider without a message, within the range.
  void SetPos(int pos);
  int GetPos() const { return pos_; }
  bool dragging() const { return dragging_; }

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  int PosUnder(LPARAM point) const;
  // A person's move: the position and the parent's message, only when the
  // position changes.
  void MoveTo(int pos);
  bool OnKey(WPARAM key);

  SliderRange range_;
  int page_ = 10;
  int pos_ = 0;
  bool dragging_ = false;
};

}  // namespace velkor
