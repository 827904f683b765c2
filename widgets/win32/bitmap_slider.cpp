#include "widgets/win32/bitmap_slider.h"

#include <windowsx.h>

namespace velkor {

bool CBitmapSlider::Attach(HWND control) {
  if (!control) return false;
  dragging_ = false;
  return Hook(control);
}

void CBitmapSlider::SetRange(int min, int max) {
  range_ = MakeSliderRange(min, max);
  pos_ = ClampSliderPos(pos_, range_);
}

void CBitmapSlider::SetPageSize(int page) {
  page_ = page;
}

void CBitmapSlider::SetPos(int pos) {
  pos_ = ClampSliderPos(pos, range_);
}

int CBitmapSlider::PosUnder(LPARAM point) const {
  RECT client{};
  GetClientRect(hooked_window(), &client);
  return SliderPosFromX(GET_X_LPARAM(point), client.right - client.left, range_);
}

void CBitmapSlider::MoveTo(int pos) {
  pos = ClampSliderPos(pos, range_);
  if (pos == pos_) return;
  pos_ = pos;
  HWND control = hooked_window();
  // The parent may do anything with this, even destroy the slider: nothing
  // of this object is touched after the message.
  SendMessageW(GetParent(control), kSliderMovedMessage, static_cast<WPARAM>(GetDlgCtrlID(control)), pos);
}

bool CBitmapSlider::OnKey(WPARAM key) {
  SliderKey step;
  switch (key) {
    case VK_LEFT: step = SliderKey::kLeft; break;
    case VK_DOWN: step = SliderKey::kDown; break;
    case VK_RIGHT: step = SliderKey::kRight; break;
    case VK_UP: step = SliderKey::kUp; break;
    case VK_PRIOR: step = SliderKey::kPageUp; break;
    case VK_NEXT: step = SliderKey::kPageDown; break;
    case VK_HOME: step = SliderKey::kHome; break;
    case VK_END: step = SliderKey::kEnd; break;
    default: return false;
  }
  MoveTo(SliderPosAfterKey(step, pos_, page_, range_));
  return true;
}

LRESULT CBitmapSlider::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND control = hooked_window();
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != control) SetFocus(control);
      SetCapture(control);
      dragging_ = GetCapture() == control;
      MoveTo(PosUnder(lparam));
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_) MoveTo(PosUnder(lparam));
      return 0;
    case WM_LBUTTONUP:
      if (dragging_) {
        dragging_ = false;
        if (GetCapture() == control) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      // Whoever took the mouse away, the drag is over.
      dragging_ = false;
      break;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return TRUE;
    case WM_GETDLGCODE:
      // The arrows move the slider instead of the dialog's focus.
      return CSubclassWnd::WindowProc(message, wparam, lparam) | DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (OnKey(wparam)) return 0;
      break;
    default:
      break;
  }
  return CSubclassWnd::WindowProc(message, wparam, lparam);
}

}  // namespace velkor
