#include "widgets/win32/report_ctrl.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/gdi.h"

namespace velkor {

namespace {

// The state images of a check-box list: 1 unchecked, 2 checked (0 is no
// box at all, as a row has before the list gives it one).
constexpr UINT kCheckedImage = 2;
// The header text's distance from the item's left and right edges.
constexpr int kHeaderTextInset = 6;

UINT StateImage(UINT state) {
  return (state & LVIS_STATEIMAGEMASK) >> 12;
}

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = old_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool old_;
};

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  UniqueBrush brush(CreateSolidBrush(colour));
  if (brush) FillRect(dc, &rect, brush.get());
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

}  // namespace

bool CReportCtrl::Attach(HWND list_view) {
  if (!list_view) return false;
  wchar_t name[32] = {};
  GetClassNameW(list_view, name, 32);
  if (lstrcmpiW(name, WC_LISTVIEWW) != 0) return false;
  check_boxes_ = false;
  single_check_ = false;
  grid_lines_ = false;
  setting_marks_ = false;
  if (!Hook(list_view)) return false;
  SendMessageW(list_view, LVM_SETBKCOLOR, 0, kReportLook.background);
  SendMessageW(list_view, LVM_SETTEXTBKCOLOR, 0, kReportLook.background);
  SendMessageW(list_view, LVM_SETTEXTCOLOR, 0, kReportLook.text);
  InvalidateRect(list_view, nullptr, TRUE);
  return true;
}

HWND CReportCtrl::Header() const {
  HWND list = hwnd();
  return list ? reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)) : nullptr;
}

int CReportCtrl::ColumnCount() const {
  HWND header = Header();
  return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CReportCtrl::AddColumn(const std::wstring& header, int width) {
  HWND list = hwnd();
  if (!list) return -1;
  const int index = std::max(ColumnCount(), 0);
  std::wstring text = header;
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = std::max(width, 0);
  column.pszText = text.data();
  column.iSubItem = index;
  return static_cast<int>(SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
}

void CReportCtrl::AddExtendedStyle(DWORD styles) {
  HWND list = hwnd();
  if (!list) return;
  if (styles & LVS_EX_GRIDLINES) {
    grid_lines_ = true;
    InvalidateRect(list, nullptr, TRUE);
  }
  styles &= ~static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
  if (styles) SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
}

void CReportCtrl::EnableCheckBoxes(bool single_check) {
  HWND list = hwnd();
  if (!list) return;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
  check_boxes_ = true;
  single_check_ = single_check;
  const int first = FirstChecked();
  if (!single_check || first < 0) return;
  Report(SetMarks(CheckMarkChanges(CheckMarks(), first, true, true)));
}

int CReportCtrl::InsertRow(int row, const std::vector<std::wstring>& texts) {
  HWND list = hwnd();
  if (!list) return -1;
  const int count = RowCount();
  if (row < 0 || row > count) row = count;
  std::wstring first = texts.empty() ? std::wstring() : texts.front();
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = first.data();
  const int index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return -1;
  const int columns = ColumnCount();
  for (int column = 1; column < columns && column < static_cast<int>(texts.size()); ++column) {
    std::wstring text = texts[static_cast<size_t>(column)];
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = text.data();
    SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
  }
  return index;
}

int CReportCtrl::AppendRow(const std::vector<std::wstring>& texts) {
  return InsertRow(RowCount(), texts);
}

void CReportCtrl::DeleteRow(int row) {
  HWND list = hwnd();
  if (!list || row < 0 || row >= RowCount()) return;
  SendMessageW(list, LVM_DELETEITEM, row, 0);
}

void CReportCtrl::DeleteAllRows() {
  if (HWND list = hwnd()) SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

int CReportCtrl::RowCount() const {
  HWND list = hwnd();
  return list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring CReportCtrl::Text(int row, int column) const {
  HWND list = hwnd();
  if (!list || row < 0 || row >= RowCount() || column < 0 || column >= std::max(ColumnCount(), 1)) return {};
  // The list copies what fits and says how much it copied: a text that
  // filled the buffer may have been cut, so it is asked again with more room.
  std::wstring text(128, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const int copied =
        static_cast<int>(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (copied < static_cast<int>(text.size()) - 1 || text.size() >= 65536) {
      text.resize(static_cast<size_t>(std::clamp(copied, 0, static_cast<int>(text.size()) - 1)));
      return text;
    }
    text.assign(text.size() * 2, L'\0');
  }
}

bool CReportCtrl::Checked(int row) const {
  HWND list = hwnd();
  if (!list || row < 0 || row >= RowCount()) return false;
  return StateImage(static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK))) ==
         kCheckedImage;
}

std::vector<bool> CReportCtrl::CheckMarks() const {
  const int count = RowCount();
  std::vector<bool> marks(static_cast<size_t>(std::max(count, 0)));
  for (int row = 0; row < count; ++row) marks[static_cast<size_t>(row)] = Checked(row);
  return marks;
}

void CReportCtrl::SetChecked(int row, bool checked) {
  if (!check_boxes_ || row < 0 || row >= RowCount()) return;
  Report(SetMarks(CheckMarkChanges(CheckMarks(), row, checked, single_check_)));
}

std::vector<CheckChange> CReportCtrl::SetMarks(const std::vector<CheckChange>& changes) {
  std::vector<CheckChange> made;
  HWND list = hwnd();
  if (!list) return made;
  ScopedFlag busy(setting_marks_);
  for (const CheckChange& change : changes) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(change.checked ? 2 : 1);
    SendMessageW(list, LVM_SETITEMSTATE, change.row, reinterpret_cast<LPARAM>(&item));
    // The parent may refuse a change (LVN_ITEMCHANGING): only what took is
    // reported.
    if (Checked(change.row) == change.checked) made.push_back(change);
  }
  return made;
}

void CReportCtrl::Report(const std::vector<CheckChange>& changes) const {
  if (!changed_ || changes.empty()) return;
  // The callback may replace itself, change the list or destroy this object.
  const CheckChanged changed = changed_;
  for (const CheckChange& change : changes) changed(change.row, change.checked);
}

int CReportCtrl::FirstChecked() const {
  const int count = RowCount();
  for (int row = 0; row < count; ++row) {
    if (Checked(row)) return row;
  }
  return -1;
}

int CReportCtrl::FirstSelected() const {
  HWND list = hwnd();
  if (!list) return -1;
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CReportCtrl::Select(int row) {
  HWND list = hwnd();
  if (!list || row < -1 || row >= RowCount()) return;
  // Every other row loses the selection and the focus first, so a list
  // without LVS_SINGLESEL also ends with this one row.
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  clear.state = 0;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (row < 0) return;
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

bool CReportCtrl::OnNotify(LPARAM lparam, LRESULT& result) {
  auto* header = reinterpret_cast<NMHDR*>(lparam);
  HWND list = hwnd();
  if (!header || !list || header->hwndFrom != list) return false;
  switch (header->code) {
    case LVN_ITEMCHANGED:
      result = 0;
      return OnItemChanged(*reinterpret_cast<NMLISTVIEW*>(lparam));
    case NM_CUSTOMDRAW:
      result = OnListCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lparam));
      return true;
    default:
      return false;
  }
}

bool CReportCtrl::OnItemChanged(const NMLISTVIEW& change) {
  if (!(change.uChanged & LVIF_STATE) || change.iItem < 0) return false;
  if (!((change.uOldState ^ change.uNewState) & LVIS_STATEIMAGEMASK)) return false;
  // Only the change to or from the checked image is a change of the mark: a
  // row getting its first (unchecked) box is none.
  const bool was = StateImage(change.uOldState) == kCheckedImage;
  const bool now = StateImage(change.uNewState) == kCheckedImage;
  // Anything besides the mark (a selection change in the same notice) is
  // still the parent's to see.
  const bool only_the_mark = !((change.uOldState ^ change.uNewState) & ~LVIS_STATEIMAGEMASK);
  if (was == now || !check_boxes_) return false;
  // A mark this object sets itself is reported by whoever set it.
  if (setting_marks_) return only_the_mark;
  // A person's change (a click, Space) or one made through the list view
  // directly: the row already has its new mark, the others follow it.
  std::vector<CheckChange> made = SetMarks(CheckMarkChanges(CheckMarks(), change.iItem, now, single_check_));
  made.push_back(CheckChange{change.iItem, now});
  Report(made);
  return only_the_mark;
}

LRESULT CReportCtrl::OnListCustomDraw(NMLVCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW | (grid_lines_ ? CDRF_NOTIFYPOSTPAINT : 0);
    case CDDS_ITEMPREPAINT: {
      // The system's selection colours are light; the row's state is asked
      // from the list, since the draw's own item state is not always right.
      const int row = static_cast<int>(draw.nmcd.dwItemSpec);
      const bool selected = SendMessageW(hwnd(), LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED;
      draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
      if (!selected) {
        draw.clrText = kReportLook.text;
        draw.clrTextBk = kReportLook.background;
      } else if (GetFocus() == hwnd()) {
        draw.clrText = kReportLook.selected_text;
        draw.clrTextBk = kReportLook.selected_background;
      } else {
        draw.clrText = kReportLook.inactive_selected_text;
        draw.clrTextBk = kReportLook.inactive_selected_background;
      }
      return CDRF_NEWFONT;
    }
    case CDDS_POSTPAINT:
      DrawGrid(draw.nmcd.hdc);
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

void CReportCtrl::DrawGrid(HDC dc) const {
  HWND list = hwnd();
  if (!grid_lines_ || !list || !dc) return;
  RECT client{};
  GetClientRect(list, &client);
  // Nothing is drawn over the header.
  int top = client.top;
  HWND header = Header();
  if (header && IsWindowVisible(header)) {
    RECT place{};
    GetWindowRect(header, &place);
    MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&place), 2);
    top = std::max(top, static_cast<int>(place.bottom));
  }
  UniquePen pen(CreatePen(PS_SOLID, 1, kReportLook.grid));
  if (!pen) return;
  SelectedObject selected_pen(dc, pen.get());
  // A vertical line at each column's right edge, where the header has it
  // (the header moves with the list's horizontal scrolling).
  const int columns = ColumnCount();
  for (int column = 0; column < columns; ++column) {
    RECT item{};
    if (!SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item))) continue;
    MapWindowPoints(header, list, reinterpret_cast<POINT*>(&item), 2);
    Line(dc, item.right - 1, top, item.right - 1, client.bottom);
  }
  // A horizontal line under every row, and on down the empty part at the
  // same pitch.
  if (RowCount() <= 0) return;
  const int first = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (!SendMessageW(list, LVM_GETITEMRECT, std::max(first, 0), reinterpret_cast<LPARAM>(&row))) return;
  const int pitch = row.bottom - row.top;
  if (pitch <= 0) return;
  for (int y = row.bottom - 1; y < client.bottom; y += pitch) {
    if (y >= top) Line(dc, client.left, y, client.right, y);
  }
}

LRESULT CReportCtrl::OnHeaderCustomDraw(NMCUSTOMDRAW& draw) const {
  switch (draw.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT:
      DrawHeaderItem(draw.hdr.hwndFrom, draw.hdc, static_cast<int>(draw.dwItemSpec), draw.rc);
      return CDRF_SKIPDEFAULT;
    case CDDS_POSTPAINT: {
      // The part right of the last column, which the header fills in the
      // system's colour.
      HWND header = draw.hdr.hwndFrom;
      RECT client{};
      GetClientRect(header, &client);
      int right = client.left;
      const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
      for (int index = 0; index < count; ++index) {
        RECT item{};
        if (SendMessageW(header, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item))) {
          right = std::max(right, static_cast<int>(item.right));
        }
      }
      RECT rest{right, client.top, client.right, client.bottom};
      FillSolid(draw.hdc, rest, kReportLook.header_background);
      FillSolid(draw.hdc, RECT{right, client.bottom - 1, client.right, client.bottom}, kReportLook.header_edge);
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void CReportCtrl::DrawHeaderItem(HWND header, HDC dc, int index, const RECT& place) const {
  FillSolid(dc, place, kReportLook.header_background);
  FillSolid(dc, RECT{place.right - 1, place.top, place.right, place.bottom}, kReportLook.header_edge);
  FillSolid(dc, RECT{place.left, place.bottom - 1, place.right, place.bottom}, kReportLook.header_edge);
  wchar_t text[260] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = text;
  item.cchTextMax = 260;
  if (!SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return;
  UINT align = DT_LEFT;
  if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
  if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
  RECT text_place{place.left + kHeaderTextInset, place.top, place.right - kHeaderTextInset, place.bottom - 1};
  SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(header, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kReportLook.header_text);
  DrawTextW(dc, text, -1, &text_place, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

int CReportCtrl::BoxUnder(LPARAM point) const {
  LVHITTESTINFO hit{};
  hit.pt = POINT{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  const int row = static_cast<int>(SendMessageW(hwnd(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) ? row : -1;
}

LRESULT CReportCtrl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NOTIFY: {
      // The header is the list view's child: its drawing questions come here.
      auto* notice = reinterpret_cast<NMHDR*>(lparam);
      if (notice && notice->code == NM_CUSTOMDRAW && notice->hwndFrom && notice->hwndFrom == Header()) {
        return OnHeaderCustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lparam));
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The list toggles a box without touching the selection: the row is
      // selected first, so the check callback already finds it selected.
      if (check_boxes_) {
        const int row = BoxUnder(lparam);
        if (row >= 0) Select(row);
      }
      break;
    default:
      break;
  }
  return CSubclassWnd::WindowProc(message, wparam, lparam);
}

}  // namespace velkor
