#include "ui/win32/base_dialog.h"

#include <windowsx.h>

#include "ui/win32/color_static.h"
#include "ui/win32/png_button.h"
#include "ui/win32/skin_images.h"
#include "ui/win32/skin_look.h"

namespace velkor {

CBaseDialog::CBaseDialog(UINT template_id, HWND parent, IniStore& ini, std::u16string ini_path,
                         std::u16string skin_folder)
    : CDialog(template_id),
      parent_(parent),
      skin_(ini, std::move(ini_path), std::move(skin_folder)) {}

CBaseDialog::~CBaseDialog() = default;

SIZE CBaseDialog::ClientSize() const {
  RECT client{};
  if (hwnd()) GetClientRect(hwnd(), &client);
  return SIZE{client.right - client.left, client.bottom - client.top};
}

BOOL CBaseDialog::OnInitDialog() {
  DoDataExchange();
  ApplySkin();
  return TRUE;
}

void CBaseDialog::ApplySkin() {
  busy_ = true;
  background_ = LoadSkinPicture(skin_.BackgroundPath());
  mask_ = LoadSkinPicture(skin_.MaskPath());
  if (!background_ || !mask_) EndProgramForMissingSkin();
  BITMAP size{};
  GetObjectW(background_.get(), sizeof(size), &size);
  // The window has no frame: its client area is the background. Hidden until
  // the dialog is shown.
  SetWindowPos(hwnd(), nullptr, 0, 0, size.bmWidth, size.bmHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  // A mask that cannot be walked is as good as missing.
  UniqueRegion shape = RegionFromMask(mask_.get());
  if (!shape) EndProgramForMissingSkin();
  if (SetWindowRgn(hwnd(), shape.get(), TRUE)) shape.release();  // the system owns it now
  busy_ = false;
}

void CBaseDialog::ReleaseSkinImages() {
  background_.reset();
  mask_.reset();
}

void CBaseDialog::OnOK() {
  ReleaseSkinImages();
  EndModal(IDOK);
}

void CBaseDialog::OnCancel() { EndModal(IDCANCEL); }

HBRUSH CBaseDialog::FieldColours(HDC dc) {
  // The system's text fields and lists dark like the skin, never white.
  if (!field_brush_) field_brush_.reset(CreateSolidBrush(kSkinLook.field_background));
  SetTextColor(dc, kSkinLook.text);
  SetBkColor(dc, kSkinLook.field_background);
  return field_brush_.get();
}

void CBaseDialog::PaintBackground(HDC dc) {
  if (!background_) return;
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  BITMAP size{};
  GetObjectW(background_.get(), sizeof(size), &size);
  SelectedObject picture(source.get(), background_.get());
  BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY);
}

bool CBaseDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd(), &paint);
      PaintBackground(dc);
      PaintOver(dc);
      EndPaint(hwnd(), &paint);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      PaintBackground(reinterpret_cast<HDC>(wparam));
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = TRUE;
      return true;
    case WM_NCPAINT:
      result = 0;
      return true;
    case WM_LBUTTONDOWN: {
      // Any point of the surface drags the window, as its caption would.
      POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ClientToScreen(hwnd(), &at);
      SendMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
      UpdateWindow(hwnd());
      return false;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (CPngButton* button = item ? CPngButton::FromHandle(item->hwndItem) : nullptr) {
        button->DrawItem(*item);
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (HBRUSH brush = FieldColours(reinterpret_cast<HDC>(wparam))) {
        result = reinterpret_cast<INT_PTR>(brush);
        return true;
      }
      return false;
    case WM_CTLCOLORSTATIC:
      if (ColorStatic* label = ColorStatic::FromHandle(reinterpret_cast<HWND>(lparam))) {
        result = reinterpret_cast<INT_PTR>(label->OnCtlColor(reinterpret_cast<HDC>(wparam)));
        return true;
      }
      {
        // A read-only edit asks as a label does; it is a field all the same.
        wchar_t name[8] = {};
        GetClassNameW(reinterpret_cast<HWND>(lparam), name, 8);
        if (lstrcmpiW(name, L"Edit") == 0) {
          result = reinterpret_cast<INT_PTR>(FieldColours(reinterpret_cast<HDC>(wparam)));
          return true;
        }
      }
      return false;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int notification = HIWORD(wparam);
      if (OnCommand(id, notification)) {
        result = 0;
        return true;
      }
      if (id == IDOK && notification == BN_CLICKED) {
        OnOK();
        result = 0;
        return true;
      }
      if (id == IDCANCEL) {
        OnCancel();
        result = 0;
        return true;
      }
      return false;
    }
  }
  return false;
}

void CBaseDialog::SkinImageButton(CPngButton& button, std::u16string_view key, const SheetSet& sheets) {
  const ImageButtonPlacement placed = PlaceImageButton(skin_.Rect(key));
  HWND control = button.hwnd();
  if (!control) return;
  SetWindowPos(control, nullptr, placed.rect.x, placed.rect.y, placed.rect.w, placed.rect.h,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  button.SetSheetsAndSource(placed.source_x, placed.source_y, sheets[0], sheets[1], sheets[2], sheets[3],
                            sheets[4], false);
  if (!placed.enabled) EnableWindow(control, FALSE);
}

void CBaseDialog::SkinPlainControl(int control_id, std::u16string_view key) {
  HWND control = GetDlgItem(hwnd(), control_id);
  if (!control) return;
  const SkinRect r = skin_.Rect(key);
  SetWindowPos(control, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void CBaseDialog::SkinPositionOnly(int control_id, std::u16string_view key) {
  HWND control = GetDlgItem(hwnd(), control_id);
  if (!control) return;
  const SkinRect r = skin_.Rect(key);
  SetWindowPos(control, nullptr, r.x, r.y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  InvalidateRect(control, nullptr, TRUE);
}

void CBaseDialog::SkinArrow(CPngButton& button, std::u16string_view key, std::u16string_view source_key,
                            const StateSheet* sheet) {
  HWND control = button.hwnd();
  if (!control) return;
  const ImageButtonPlacement placed = PlaceImageButton(skin_.Rect(key));
  const SkinRect source = skin_.Rect(source_key, kArrowSection);
  SetWindowPos(control, nullptr, placed.rect.x, placed.rect.y, placed.rect.w, placed.rect.h,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  button.SetSheetsAndSource(source.x, source.y, sheet, sheet, sheet, sheet, sheet, true);
  if (!placed.enabled) EnableWindow(control, FALSE);
}

}  // namespace velkor
