#include "ui/win32/png_button.h"

#include <commctrl.h>

#include <climits>
#include <cmath>
#include <vector>

#include "ui/win32/skin_images.h"

namespace velkor {

namespace {
constexpr wchar_t kButtonProperty[] = L"VelkorPngButton";
constexpr UINT_PTR kSubclassId = 0x504E47;  // "PNG"
constexpr UINT kTooltipAutoPopMs = 2000;

TOOLINFOW ToolOf(HWND button) {
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = button;
  tool.uId = 1;
  return tool;
}
}  // namespace

CPngButton::~CPngButton() {
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  if (hwnd_ && IsWindow(hwnd_)) {
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    RemovePropW(hwnd_, kButtonProperty);
  }
}

bool CPngButton::Attach(HWND dialog, int control_id) {
  HWND control = GetDlgItem(dialog, control_id);
  if (!control || hwnd_) return false;
  hwnd_ = control;
  PreSubclassWindow();
  SetPropW(hwnd_, kButtonProperty, this);
  SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

CPngButton* CPngButton::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<CPngButton*>(GetPropW(hwnd, kButtonProperty)) : nullptr;
}

void CPngButton::PreSubclassWindow() {
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  style = (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
}

void CPngButton::SetSheetsAndSource(int x, int y, const StateSheet* normal, const StateSheet* over,
                                    const StateSheet* down, const StateSheet* disabled, const StateSheet* checked,
                                    bool redraw) {
  source_x_ = x;
  source_y_ = y;
  hover_ = tracking_ = down_ = false;
  SetSheets(normal, over, down, disabled, checked, redraw);
}

void CPngButton::SetSheets(const StateSheet* normal, const StateSheet* over, const StateSheet* down,
                           const StateSheet* disabled, const StateSheet* checked, bool redraw) {
  normal_ = normal;
  over_ = over;
  down_sheet_ = down;
  disabled_ = disabled;
  checked_sheet_ = checked;
  if (redraw) Redraw(false);
}

void CPngButton::SetAlternativeImages(const StateSheet* image1, const StateSheet* image2, bool mode, bool selector,
                                      bool redraw) {
  alternative1_ = image1;
  alternative2_ = image2;
  alternative_mode_ = mode;
  alternative_selector_ = selector;
  if (redraw) Redraw(false);
}

void CPngButton::SetChecked(bool checked, bool redraw) {
  checked_ = checked;
  if (redraw) Redraw(false);
}

void CPngButton::SetFramed(COLORREF colour, int percent, bool framed) {
  if (ChangeFramed(colour, percent, framed)) Redraw(false);
}

bool CPngButton::ChangeFramed(COLORREF colour, int percent, bool framed) {
  if (framed && percent > 100) percent = 100;
  if (colour == framed_colour_ && framed == framed_ && percent == framed_percent_) return false;
  framed_colour_ = colour;
  framed_ = framed;
  framed_percent_ = percent;
  return true;
}

void CPngButton::DrawInto(HDC dc) {
  if (!hwnd_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  Draw(dc, client);
}

void CPngButton::SetTextStyle(bool show, int size, std::wstring face, COLORREF colour, UINT format) {
  show_text_ = show;
  text_size_ = size;
  text_face_ = std::move(face);
  text_colour_ = colour;
  text_format_ = format;
}

void CPngButton::SetRotation(int tenths, bool rotated) {
  rotation_ = tenths;
  rotated_ = rotated;
}

void CPngButton::EnsureTooltip() {
  if (tooltip_ || !hwnd_) return;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (tooltip_) SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

void CPngButton::SetTooltip(const std::wstring& text, bool activate) {
  if (text.empty() || !hwnd_) return;
  tooltip_text_ = text;
  tooltip_active_ = activate;
  // The tooltip window is made when the pointer first rests on the button:
  // a window of a hundred key buttons would otherwise make a hundred
  // tooltip windows while it starts.
  if (!tooltip_) return;
  TOOLINFOW tool = ToolOf(hwnd_);
  tool.lpszText = tooltip_text_.data();
  GetClientRect(hwnd_, &tool.rect);
  if (!tool_added_) {
    tool_added_ = SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
  }
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kTooltipAutoPopMs, 0));
  SendMessageW(tooltip_, TTM_ACTIVATE, activate ? TRUE : FALSE, 0);
}

FaceSheet CPngButton::CurrentSheet() const {
  FaceState state;
  state.window_disabled = hwnd_ && !IsWindowEnabled(hwnd_);
  state.alternative_mode = alternative_mode_;
  state.alternative_selector = alternative_selector_;
  state.down = down_;
  state.hover = hover_;
  state.checked = checked_;
  return ChooseFaceSheet(state);
}

const StateSheet* CPngButton::SheetFor(FaceSheet sheet) const {
  switch (sheet) {
    case FaceSheet::kNormal: return normal_;
    case FaceSheet::kOver: return over_;
    case FaceSheet::kDown: return down_sheet_;
    case FaceSheet::kDisabled: return disabled_;
    case FaceSheet::kChecked: return checked_sheet_;
    case FaceSheet::kAlternative1: return alternative1_;
    case FaceSheet::kAlternative2: return alternative2_;
  }
  return nullptr;
}

void CPngButton::Redraw(bool now) {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  if (now) UpdateWindow(hwnd_);
}

void CPngButton::DrawItem(const DRAWITEMSTRUCT& item) {
  down_ = (item.itemState & ODS_SELECTED) != 0;
  RECT client{};
  GetClientRect(hwnd_, &client);
  Draw(item.hDC, client);
}

void CPngButton::Draw(HDC dc, const RECT& client) {
  const FaceSheet choice = CurrentSheet();
  const StateSheet* sheet = SheetFor(choice);
  const int width = client.right - client.left, height = client.bottom - client.top;
  // A tinted face is made in a picture of its own and copied once.
  HDC target = framed_ ? Scratch(dc, width, height) : dc;
  if (!target) target = dc;
  if (sheet) {
    // The face starts one pixel left of and above the source point.
    auto before = [](int v) { return v == INT_MIN ? v : v - 1; };
    BitBlt(target, 0, 0, width, height, sheet->dc(), before(source_x_), before(source_y_), SRCCOPY);
  } else {
    // Nothing to show for this state: the window's own background stays.
    PaintParentBackground(hwnd_, target);
  }
  if (framed_) {
    // The key keeps its picture under its colour, so a tinted key still
    // shows its legend and its state.
    if (target != dc && framed_percent_ > 0 && width > 2 && height > 2) {
      GdiFlush();
      const uint32_t p = static_cast<uint32_t>(framed_percent_), q = 100 - p;
      const uint32_t r = GetRValue(framed_colour_) * p, g = GetGValue(framed_colour_) * p, b = GetBValue(framed_colour_) * p;
      for (int y = 1; y < height - 1; ++y) {
        uint32_t* row = scratch_bits_ + static_cast<size_t>(y) * static_cast<size_t>(scratch_width_);
        for (int x = 1; x < width - 1; ++x) {
          const uint32_t px = row[x];  // 0x00RRGGBB
          row[x] = ((((px >> 16) & 0xFF) * q + r) / 100) << 16 | ((((px >> 8) & 0xFF) * q + g) / 100) << 8 |
                   (((px & 0xFF) * q + b) / 100);
        }
      }
    }
    UniquePen pen(CreatePen(PS_SOLID, 2, framed_colour_));
    SelectedObject use_pen(target, pen.get());
    SelectedObject no_fill(target, GetStockObject(NULL_BRUSH));
    Rectangle(target, 1, 1, width - 1, height - 1);
    if (target != dc) BitBlt(dc, 0, 0, width, height, target, 0, 0, SRCCOPY);
  }
  if (show_text_) DrawCaption(dc, client);
  if (draw_callback_) draw_callback_(hwnd_, choice == FaceSheet::kNormal);
}

HDC CPngButton::Scratch(HDC like, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (scratch_dc_ && scratch_width_ == width && scratch_height_ == height) return scratch_dc_.get();
  scratch_dc_.reset();
  scratch_bitmap_.reset();
  scratch_bits_ = nullptr;
  scratch_width_ = scratch_height_ = 0;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc memory(CreateCompatibleDC(like));
  if (!bitmap || !memory || !bits) return nullptr;
  SelectObject(memory.get(), bitmap.get());
  scratch_bitmap_ = std::move(bitmap);
  scratch_dc_ = std::move(memory);
  scratch_bits_ = static_cast<uint32_t*>(bits);
  scratch_width_ = width;
  scratch_height_ = height;
  return scratch_dc_.get();
}

void CPngButton::DrawCaption(HDC dc, const RECT& client) {
  const int length = GetWindowTextLengthW(hwnd_);
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  if (length > 0) GetWindowTextW(hwnd_, text.data(), length + 1);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_colour_);
  const int height = -MulDiv(text_size_, GetDeviceCaps(dc, LOGPIXELSY), 72);
  UniqueFont font(CreateFontW(height, 0, rotation_, 0, rotated_ ? 956 : FW_NORMAL, FALSE, FALSE, FALSE, 0,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 32, text_face_.c_str()));
  SelectedObject use_font(dc, font.get());
  RECT box = client;
  box.right -= text_inset_right_;
  box.bottom -= text_inset_bottom_;
  if (rotated_) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.data(), length, &extent);
    const TextBox moved =
        RotatedCaptionBox({client.left, client.top, client.right, client.bottom}, rotation_, extent.cx, extent.cy);
    box = RECT{moved.left, moved.top, moved.right, moved.bottom};
  }
  DrawTextW(dc, text.data(), length, &box, text_format_);
}

bool CPngButton::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case BM_GETCHECK:
      // An owner-drawn button keeps its check state itself; it answers as a
      // check box would, so that other programs (and tests) can read it.
      result = checked_ ? BST_CHECKED : BST_UNCHECKED;
      return true;
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd_, 1};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      return false;
    case WM_MOUSEHOVER:
      hover_ = true;
      Redraw(false);
      if (!tooltip_text_.empty()) {
        EnsureTooltip();
        SetTooltip(std::wstring(tooltip_text_), tooltip_active_);
        if (tooltip_) SendMessageW(tooltip_, TTM_UPDATE, 0, 0);
      }
      result = 0;
      return true;
    case WM_MOUSELEAVE:
      hover_ = false;
      tracking_ = false;
      Redraw(false);
      result = 0;
      return true;
    case WM_SIZE:
      if (tooltip_ && tool_added_) {
        // The tool covers the whole button, whatever its size now.
        TOOLINFOW tool = ToolOf(hwnd_);
        GetClientRect(hwnd_, &tool.rect);
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
      }
      return false;
    case WM_ERASEBKGND:
      result = TRUE;
      return true;
  }
  return false;
}

LRESULT CALLBACK CPngButton::SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<CPngButton*>(data);
  try {
    if (self && self->tooltip_ && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
      MSG relay{hwnd, message, wparam, lparam, static_cast<DWORD>(GetMessageTime()), {}};
      SendMessageW(self->tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    }
    // A double click is a second click.
    if (message == WM_LBUTTONDBLCLK) message = WM_LBUTTONDOWN;
    if (message == WM_NCDESTROY && self) {
      RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
      RemovePropW(hwnd, kButtonProperty);
      // The tooltip is owned by the dialog, not the button: it goes now.
      if (self->tooltip_ && IsWindow(self->tooltip_)) DestroyWindow(self->tooltip_);
      self->hwnd_ = nullptr;
      self->tooltip_ = nullptr;
      self->tool_added_ = false;
      return DefSubclassProc(hwnd, message, wparam, lparam);
    }
    LRESULT result = 0;
    if (self && self->OnMessage(message, wparam, lparam, result)) return result;
  } catch (...) {
    // No exception leaves a window procedure.
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace velkor
