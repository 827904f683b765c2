#include "widgets/win32/skin_color_btn.h"

#include <commdlg.h>
#include <windowsx.h>

#include <array>

#include "ui/win32/gdi.h"

namespace velkor {

namespace {

using UniqueBrush = UniqueResource<HBRUSH, nullptr, GdiObjectCloser>;

constexpr wchar_t kPaletteClass[] = L"VelkorColourPalette";
constexpr COLORREF kOutline = RGB(0x40, 0x40, 0x40);
constexpr COLORREF kCellFrame = RGB(0x80, 0x80, 0x80);

// The palette open now (one at a time: it holds the mouse).
HWND open_palette = nullptr;
// The colour dialog's sixteen custom colours, kept for the run like the
// system's own.
std::array<COLORREF, 16> custom_colours = [] {
  std::array<COLORREF, 16> colours{};
  colours.fill(RGB(255, 255, 255));
  return colours;
}();

RECT ToRect(const WidgetRect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}
WidgetRect ToWidget(const RECT& r) {
  return WidgetRect{r.left, r.top, r.right, r.bottom};
}

void FillSolid(HDC dc, const WidgetRect& rect, COLORREF colour) {
  if (rect.empty()) return;
  UniqueBrush brush(CreateSolidBrush(colour));
  const RECT r = ToRect(rect);
  if (brush) FillRect(dc, &r, brush.get());
}

void FrameSolid(HDC dc, const WidgetRect& rect, COLORREF colour) {
  if (rect.empty()) return;
  UniqueBrush brush(CreateSolidBrush(colour));
  const RECT r = ToRect(rect);
  if (brush) FrameRect(dc, &r, brush.get());
}

bool IsKeyboardMessage(UINT message) {
  return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

bool IsButtonDown(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK:
    case WM_NCXBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

}  // namespace

// One drop-down: the palette window and its loop, then possibly the colour
// dialog. It lives on DropDown's stack and never refers back to the button
// object, which may be destroyed while it runs (object_gone says so).
struct CSkinColorBtn::Session {
  HWND button = nullptr;
  HWND window = nullptr;
  PaletteLayout layout;
  std::vector<COLORREF> colours;
  std::wstring other_text;
  bool has_colour = false;
  COLORREF colour = 0;
  int highlight = -1;
  bool pressed_inside = false;
  int pressed_hit = kPaletteHitNothing;
  bool done = false;
  int result = kPaletteHitNothing;
  bool object_gone = false;

  // Ends the loop. Called from sent messages too, while the loop waits in
  // GetMessage: a posted message wakes it.
  void Close(int hit) {
    if (done) return;
    done = true;
    result = hit;
    PostMessageW(nullptr, WM_NULL, 0, 0);
  }

  void SetHighlight(int index) {
    if (index == highlight) return;
    highlight = index;
    if (window) InvalidateRect(window, nullptr, FALSE);
  }

  void OnKey(WPARAM key) {
    switch (key) {
      case VK_ESCAPE: Close(kPaletteHitNothing); break;
      case VK_LEFT: SetHighlight(PaletteMoveHighlight(layout, highlight, PaletteKey::kLeft)); break;
      case VK_RIGHT: SetHighlight(PaletteMoveHighlight(layout, highlight, PaletteKey::kRight)); break;
      case VK_UP: SetHighlight(PaletteMoveHighlight(layout, highlight, PaletteKey::kUp)); break;
      case VK_DOWN: SetHighlight(PaletteMoveHighlight(layout, highlight, PaletteKey::kDown)); break;
      case VK_RETURN:
        if (highlight >= 0) Close(highlight);
        break;
      default: break;
    }
  }

  void Paint(HDC dc) const {
    FillSolid(dc, layout.window, GetSysColor(COLOR_MENU));
    FrameSolid(dc, layout.window, GetSysColor(COLOR_BTNSHADOW));
    for (int i = 0; i < layout.count; ++i) {
      const WidgetRect cell = PaletteCellRect(layout, i);
      FillSolid(dc, cell, colours[static_cast<size_t>(i)]);
      FrameSolid(dc, cell, kCellFrame);
      if (i == highlight) {
        FrameSolid(dc, WidgetRect{cell.left - 1, cell.top - 1, cell.right + 1, cell.bottom + 1}, RGB(0, 0, 0));
        FrameSolid(dc, WidgetRect{cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1},
                   RGB(255, 255, 255));
      }
    }
    RECT other = ToRect(layout.other);
    const bool pushed = pressed_inside && pressed_hit == kPaletteHitOther;
    DrawFrameControl(dc, &other, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, other_text.c_str(), static_cast<int>(other_text.size()), &other,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }

  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& answer) {
    const WidgetPoint point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT paint{};
        if (HDC dc = BeginPaint(window, &paint)) Paint(dc);
        EndPaint(window, &paint);
        answer = 0;
        return true;
      }
      case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wparam));
        answer = 0;
        return true;
      case WM_ERASEBKGND:
        answer = 1;
        return true;
      case WM_MOUSEACTIVATE:
        answer = MA_NOACTIVATE;
        return true;
      case WM_MOUSEMOVE: {
        const int hit = PaletteHitTest(layout, point);
        if (hit >= 0) SetHighlight(hit);
        answer = 0;
        return true;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        if (!layout.window.contains(point.x, point.y)) {
          // The palette holds the mouse: this is a click anywhere else.
          Close(kPaletteHitNothing);
        } else if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
          pressed_inside = true;
          pressed_hit = PaletteHitTest(layout, point);
          InvalidateRect(window, nullptr, FALSE);
        }
        answer = 0;
        return true;
      case WM_LBUTTONUP:
        if (pressed_inside) {
          pressed_inside = false;
          const int hit = PaletteHitTest(layout, point);
          if (hit >= 0 || hit == kPaletteHitOther) Close(hit);
          InvalidateRect(window, nullptr, FALSE);
        }
        answer = 0;
        return true;
      case WM_CAPTURECHANGED:
      case WM_CANCELMODE:
        // Something else took the mouse (or the system asks every mode to
        // end): the palette goes, nothing chosen.
        Close(kPaletteHitNothing);
        break;
      default:
        break;
    }
    return false;
  }

  static LRESULT CALLBACK PaletteProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* session = reinterpret_cast<Session*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    try {
      LRESULT answer = 0;
      if (session && session->OnMessage(message, wparam, lparam, answer)) return answer;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    } catch (...) {
      // No exception leaves a window procedure: the palette closes with
      // nothing chosen.
      if (session) session->Close(kPaletteHitNothing);
    }
    return 0;
  }

  static ATOM RegisterPaletteClass() {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.style = CS_SAVEBITS | CS_DROPSHADOW;
      wc.lpfnWndProc = &Session::PaletteProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.lpszClassName = kPaletteClass;
      return RegisterClassExW(&wc);
    }();
    return atom;
  }
};

// Hooked on the button's top-level window while the palette is open: the
// palette closes when that window loses the activation.
class PaletteOwnerWatch : public CSubclassWnd {
 public:
  explicit PaletteOwnerWatch(bool* lost) : lost_(lost) {}
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if ((message == WM_ACTIVATE && LOWORD(wparam) == WA_INACTIVE) || (message == WM_ACTIVATEAPP && !wparam)) {
      *lost_ = true;
      PostMessageW(nullptr, WM_NULL, 0, 0);
    }
    return CSubclassWnd::WindowProc(message, wparam, lparam);
  }

 private:
  bool* lost_;
};

CSkinColorBtn::CSkinColorBtn() : palette_(DefaultPalette()) {}

CSkinColorBtn::~CSkinColorBtn() {
  if (session_) {
    session_->object_gone = true;
    session_->Close(kPaletteHitNothing);
  }
}

std::vector<COLORREF> CSkinColorBtn::DefaultPalette() {
  return {
      // Greys and the dark colours.
      RGB(0, 0, 0), RGB(0x40, 0x40, 0x40), RGB(0x80, 0x80, 0x80), RGB(0xC0, 0xC0, 0xC0), RGB(255, 255, 255),
      RGB(0x80, 0, 0), RGB(0x80, 0x40, 0), RGB(0x80, 0x80, 0), RGB(0, 0x80, 0), RGB(0, 0, 0x80),
      // Full colours round the wheel.
      RGB(255, 0, 0), RGB(255, 0x80, 0), RGB(255, 255, 0), RGB(0, 255, 0), RGB(0, 255, 0x80),
      RGB(0, 255, 255), RGB(0, 0x80, 255), RGB(0, 0, 255), RGB(0x80, 0, 255), RGB(255, 0, 255),
      // Light tints.
      RGB(255, 0x80, 0x80), RGB(255, 0xC0, 0x80), RGB(255, 255, 0x80), RGB(0x80, 255, 0x80),
      RGB(0x80, 255, 0xC0), RGB(0x80, 255, 255), RGB(0x80, 0xC0, 255), RGB(0x80, 0x80, 255),
      RGB(0xC0, 0x80, 255), RGB(255, 0x80, 255),
      // Deep shades.
      RGB(0xC0, 0, 0), RGB(0xC0, 0x60, 0), RGB(0xC0, 0xC0, 0), RGB(0, 0xC0, 0), RGB(0, 0xC0, 0x60),
      RGB(0, 0xC0, 0xC0), RGB(0, 0x60, 0xC0), RGB(0, 0, 0xC0), RGB(0x60, 0, 0xC0), RGB(0xC0, 0, 0xC0),
  };
}

bool CSkinColorBtn::Attach(HWND button) {
  if (!button) return false;
  pressed_ = false;
  if (!Hook(button)) return false;
  Repaint();
  return true;
}

void CSkinColorBtn::SetColour(COLORREF colour) {
  colour_ = colour;
  has_colour_ = true;
  Repaint();
}

void CSkinColorBtn::SetNoColour() {
  has_colour_ = false;
  Repaint();
}

void CSkinColorBtn::Repaint() {
  if (HWND button = hwnd()) RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

PaletteLayout CSkinColorBtn::Layout() const {
  return LayoutPalette(static_cast<int>(palette_.size()), columns_);
}

HWND CSkinColorBtn::OpenPaletteWindow() {
  return open_palette;
}

bool CSkinColorBtn::FocusRectInParent(RECT& rect) const {
  HWND button = hwnd();
  if (!button || GetFocus() != button) return false;
  RECT place{};
  GetWindowRect(button, &place);
  MapWindowPoints(nullptr, GetParent(button), reinterpret_cast<POINT*>(&place), 2);
  rect = ToRect(ColourButtonFocusRect(ToWidget(place)));
  return true;
}

void CSkinColorBtn::DrawFocus(HDC parent_dc) const {
  RECT rect{};
  if (FocusRectInParent(rect)) DrawFocusRect(parent_dc, &rect);
}

void CSkinColorBtn::InvalidateFocusRect() {
  HWND button = hwnd();
  HWND parent = button ? GetParent(button) : nullptr;
  if (!parent) return;
  RECT place{};
  GetWindowRect(button, &place);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  const RECT ring = ToRect(ColourButtonFocusRect(ToWidget(place)));
  // Only the ring around the button: the parent's paint must not cover the
  // button's face.
  UniqueRegion outer(CreateRectRgnIndirect(&ring));
  UniqueRegion inner(CreateRectRgnIndirect(&place));
  if (!outer || !inner) return;
  CombineRgn(outer.get(), outer.get(), inner.get(), RGN_DIFF);
  RedrawWindow(parent, nullptr, outer.get(), RDW_INVALIDATE | RDW_ERASE);
}

void CSkinColorBtn::DrawInto(HDC dc) const {
  HWND button = hwnd();
  if (!button) return;
  RECT client{};
  GetClientRect(button, &client);
  const ColourButtonParts parts = LayoutColourButton(ToWidget(client), has_colour_, IsWindowEnabled(button) != FALSE);
  FillSolid(dc, ToWidget(client), GetSysColor(COLOR_BTNFACE));
  if (parts.swatch_shown) FillSolid(dc, parts.swatch, colour_);
  FrameSolid(dc, parts.left_part, kOutline);
  FillSolid(dc, parts.grey, kColourButtonGrey);
  FrameSolid(dc, parts.grey, kOutline);
  POINT arrow[3];
  for (size_t i = 0; i < 3; ++i) arrow[i] = POINT{parts.arrow[i].x, parts.arrow[i].y};
  SelectedObject brush(dc, GetStockObject(BLACK_BRUSH));
  SelectedObject pen(dc, GetStockObject(BLACK_PEN));
  Polygon(dc, arrow, 3);
}

void CSkinColorBtn::Choose(COLORREF colour) {
  colour_ = colour;
  has_colour_ = true;
  Repaint();
  HWND button = hwnd();
  // The parent may do anything with this, even destroy the button: nothing
  // of this object is touched after the message.
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), kColourChosenNotification),
               reinterpret_cast<LPARAM>(button));
}

bool CSkinColorBtn::DropDown() {
  HWND button = hwnd();
  if (!button || session_ || open_palette || !IsWindowEnabled(button) || !IsWindowVisible(button)) return false;
  Session session;
  session.button = button;
  session.layout = Layout();
  session.colours = palette_;
  session.other_text = other_text_;
  session.has_colour = has_colour_;
  session.colour = colour_;
  session_ = &session;

  std::optional<COLORREF> chosen = RunPalette(session);
  if (!chosen && session.result == kPaletteHitOther && !session.object_gone && IsWindow(button)) {
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetAncestor(button, GA_ROOT);
    dialog.rgbResult = session.has_colour ? session.colour : RGB(0, 0, 0);
    dialog.lpCustColors = custom_colours.data();
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (ChooseColorW(&dialog)) chosen = dialog.rgbResult;
  }
  // This object may have been destroyed meanwhile.
  if (session.object_gone) return false;
  session_ = nullptr;
  if (!chosen || hwnd() != button || !IsWindow(button)) return false;
  Choose(*chosen);
  return true;
}

std::optional<COLORREF> CSkinColorBtn::RunPalette(Session& session) {
  if (!Session::RegisterPaletteClass()) return std::nullopt;
  HWND owner = GetAncestor(session.button, GA_ROOT);
  RECT place{};
  GetWindowRect(session.button, &place);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(session.button, MONITOR_DEFAULTTONEAREST), &monitor)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
  }
  const int width = session.layout.window.width();
  const int height = session.layout.window.height();
  const WidgetPoint corner = PlacePalette(ToWidget(place), width, height, ToWidget(monitor.rcWork));

  for (int i = 0; i < static_cast<int>(session.colours.size()); ++i) {
    if (session.has_colour && session.colours[static_cast<size_t>(i)] == session.colour) {
      session.highlight = i;
      break;
    }
  }
  // Above everything, like a combo box's list: it closes as soon as its
  // window loses the activation.
  session.window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPaletteClass, L"", WS_POPUP, corner.x,
                                   corner.y, width, height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!session.window) return std::nullopt;
  SetWindowLongPtrW(session.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&session));

  bool owner_lost = false;
  PaletteOwnerWatch watch(&owner_lost);
  watch.Hook(owner);
  SetWindowPos(session.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(session.window);
  SetCapture(session.window);
  open_palette = session.window;

  MSG msg{};
  while (!session.done && !owner_lost && IsWindow(session.window) && IsWindow(session.button)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program ends: the quit goes on to the loop outside.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (IsKeyboardMessage(msg.message)) {
      // Every key goes to the palette while it is open.
      if (msg.message == WM_KEYDOWN) {
        session.OnKey(msg.wParam);
      } else if (msg.message == WM_SYSKEYDOWN) {
        session.Close(kPaletteHitNothing);
      }
      continue;
    }
    if (IsButtonDown(msg.message) && msg.hwnd != session.window) {
      session.Close(kPaletteHitNothing);
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  open_palette = nullptr;
  const int hit = session.done ? session.result : kPaletteHitNothing;
  session.done = true;
  watch.Hook(nullptr);
  if (IsWindow(session.window)) {
    SetWindowLongPtrW(session.window, GWLP_USERDATA, 0);
    if (GetCapture() == session.window) ReleaseCapture();
    DestroyWindow(session.window);
  }
  session.window = nullptr;
  session.result = hit;
  if (hit >= 0 && hit < static_cast<int>(session.colours.size())) return session.colours[static_cast<size_t>(hit)];
  return std::nullopt;
}

LRESULT CSkinColorBtn::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND button = hwnd();
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      if (HDC dc = BeginPaint(button, &paint)) DrawInto(dc);
      EndPaint(button, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      DrawInto(reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != button) SetFocus(button);
      SetCapture(button);
      pressed_ = GetCapture() == button;
      return 0;
    case WM_LBUTTONUP: {
      if (!pressed_) return 0;
      pressed_ = false;
      if (GetCapture() == button) ReleaseCapture();
      RECT client{};
      GetClientRect(button, &client);
      if (ToWidget(client).contains(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam))) DropDown();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      break;
    case WM_KEYDOWN:
      if (wparam == VK_SPACE || wparam == VK_RETURN) {
        // A held key repeats: the palette drops once.
        if (!(lparam & (1 << 30))) DropDown();
        return 0;
      }
      break;
    case WM_KEYUP:
      if (wparam == VK_SPACE || wparam == VK_RETURN) return 0;
      break;
    case WM_CHAR:
      if (wparam == L' ' || wparam == L'\r') return 0;
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CSubclassWnd::WindowProc(message, wparam, lparam);
      const auto* pending = reinterpret_cast<const MSG*>(lparam);
      // Enter opens the palette instead of pressing the dialog's default
      // button.
      if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = CSubclassWnd::WindowProc(message, wparam, lparam);
      InvalidateFocusRect();
      InvalidateRect(button, nullptr, FALSE);
      return result;
    }
    case WM_ENABLE:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE: {
      // The button's own procedure may draw (through its owner) on these:
      // the face is painted again.
      const LRESULT result = CSubclassWnd::WindowProc(message, wparam, lparam);
      InvalidateRect(button, nullptr, FALSE);
      return result;
    }
    case WM_DESTROY:
      if (session_) session_->Close(kPaletteHitNothing);
      break;
    default:
      break;
  }
  return CSubclassWnd::WindowProc(message, wparam, lparam);
}

}  // namespace velkor
