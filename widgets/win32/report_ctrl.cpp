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

// The in-place editor's control id, which its notices to the list carry.
constexpr int kEditorId = 0x5E11;

// A close the editor asks for from inside its own notice, posted to the list:
// accept in wParam, the editor's serial number in lParam.
UINT EndEditMessage() {
  static const UINT message = [] {
    const UINT registered = RegisterWindowMessageW(L"VelkorReportCellEditEnd");
    return registered ? registered : WM_APP + 0x3E1;
  }();
  return message;
}

// Whether a key message is a repeat of a key held down.
bool Repeated(LPARAM key_data) {
  return (key_data & (1 << 30)) != 0;
}

WidgetRect ToWidget(const RECT& r) {
  return WidgetRect{r.left, r.top, r.right, r.bottom};
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(std::max(GetWindowTextW(window, text.data(), length + 1), 0)));
  return text;
}

std::wstring ComboItemText(HWND combo, int index) {
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR || length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

}  // namespace

CReportCtrl::~CReportCtrl() {
  EndCellEdit(false);
}

bool CReportCtrl::Attach(HWND list_view) {
  if (!list_view) return false;
  wchar_t name[32] = {};
  GetClassNameW(list_view, name, 32);
  if (lstrcmpiW(name, WC_LISTVIEWW) != 0) return false;
  EndCellEdit(false);
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

void CReportCtrl::SetText(int row, int column, const std::wstring& text) {
  HWND list = hwnd();
  if (!list || row < 0 || row >= RowCount() || column < 0 || column >= std::max(ColumnCount(), 1)) return;
  std::wstring copy = text;
  LVITEMW cell{};
  cell.iSubItem = column;
  cell.pszText = copy.data();
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

void CReportCtrl::EnsureVisible(int row) {
  HWND list = hwnd();
  if (!list || row < 0 || row >= RowCount()) return;
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

bool CReportCtrl::MoveRow(int from, int to) {
  HWND list = hwnd();
  const int count = RowCount();
  if (!list || from < 0 || from >= count || to < 0 || to >= count) return false;
  if (from == to) return true;
  std::vector<std::wstring> texts;
  for (int column = 0; column < std::max(ColumnCount(), 1); ++column) texts.push_back(Text(from, column));
  const UINT kept = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
  const UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, from, kept));
  LVITEMW param{};
  param.mask = LVIF_PARAM;
  param.iItem = from;
  SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&param));
  // The row is copied to its new place before the old one goes, so a copy
  // that fails loses nothing. Its mark goes and comes with it, which is no
  // change of a mark.
  ScopedFlag busy(setting_marks_);
  if (InsertRow(to > from ? to + 1 : to, texts) < 0) return false;
  SendMessageW(list, LVM_DELETEITEM, to > from ? from : from + 1, 0);
  param.iItem = to;
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&param));
  LVITEMW restore{};
  restore.stateMask = check_boxes_ ? kept : (kept & ~static_cast<UINT>(LVIS_STATEIMAGEMASK));
  restore.state = state & restore.stateMask;
  SendMessageW(list, LVM_SETITEMSTATE, to, reinterpret_cast<LPARAM>(&restore));
  return true;
}

void CReportCtrl::SetGreyColumns(std::vector<int> columns) {
  grey_columns_ = std::move(columns);
  if (HWND list = hwnd()) InvalidateRect(list, nullptr, TRUE);
}

bool CReportCtrl::Grey(int column) const {
  return std::find(grey_columns_.begin(), grey_columns_.end(), column) != grey_columns_.end();
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
    case CDDS_ITEMPREPAINT:
      RowColours(draw);
      // Grey columns are told apart cell by cell.
      return CDRF_NEWFONT | (grey_columns_.empty() ? 0 : CDRF_NOTIFYSUBITEMDRAW);
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      // Each cell starts from the list's own colours again: the row's are
      // given once more.
      const bool selected = RowColours(draw);
      if (!selected && Grey(draw.iSubItem)) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
      return CDRF_NEWFONT;
    }
    case CDDS_POSTPAINT:
      DrawGrid(draw.nmcd.hdc);
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

bool CReportCtrl::RowColours(NMLVCUSTOMDRAW& draw) const {
  // The system's selection colours are light; the row's state is asked from
  // the list, since the draw's own item state is not always right.
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
  return selected;
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

// ---- In-place cell editors -------------------------------------------------

void CReportCtrl::EnableCellEditing(CellEditorFor editor_for, CellAccepted accepted) {
  editor_for_ = std::move(editor_for);
  accepted_ = std::move(accepted);
}

bool CReportCtrl::CellRect(int row, int column, RECT& cell) const {
  HWND list = hwnd();
  if (!list || row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
  RECT place{};
  if (column == 0) {
    // The first column's bounds are the whole row's: its label part is the
    // cell, right of any check box.
    place.left = LVIR_LABEL;
    if (!SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&place))) return false;
  } else {
    place.top = column;
    place.left = LVIR_BOUNDS;
    if (!SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&place))) return false;
  }
  cell = place;
  return true;
}

bool CReportCtrl::OpenCellEditor(int row, int column) {
  if (!editor_for_ || !hwnd()) return false;
  // An editor already open ends as a click elsewhere ends it.
  if (editor_) LeaveCellEdit();
  HWND list = hwnd();
  if (!list || row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
  const CellEditorFor editor_for = editor_for_;
  const CellEditorPlan plan = editor_for(row, column);
  if (plan.kind == Kind::kNone || (plan.kind == Kind::kDropList && plan.items.empty())) return false;
  // The owner may have shown a message, or changed the list, while it was
  // asked.
  if (hwnd() != list || !IsWindow(list) || editor_ || row >= RowCount() || column >= ColumnCount()) return false;
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
  RECT client{};
  RECT cell{};
  GetClientRect(list, &client);
  if (!CellRect(row, column, cell)) return false;
  if (const int dx = ScrollToShowCell(ToWidget(cell), ToWidget(client))) {
    SendMessageW(list, LVM_SCROLL, dx, 0);
    if (!CellRect(row, column, cell)) return false;
  }
  HWND editor = CreateEditor(plan, cell, client);
  if (!editor) return false;
  if (!editor_hook_.Hook(editor)) {
    // Without its hook the editor would neither end nor keep Enter from the
    // dialog.
    DestroyWindow(editor);
    return false;
  }
  editor_ = editor;
  editor_kind_ = plan.kind;
  edit_row_ = row;
  edit_column_ = column;
  chosen_index_ = -1;
  ++editor_serial_;
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  clip_added_ = !(style & WS_CLIPCHILDREN);
  if (clip_added_) SetWindowLongPtrW(list, GWL_STYLE, style | WS_CLIPCHILDREN);
  ShowWindow(editor, SW_SHOW);
  SetFocus(editor);
  if (editor_ == editor && plan.kind == Kind::kDropList) SendMessageW(editor, CB_SHOWDROPDOWN, TRUE, 0);
  return editor_ == editor;
}

HWND CReportCtrl::CreateEditor(const CellEditorPlan& plan, const RECT& cell, const RECT& client) {
  HWND list = hwnd();
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list, GWLP_HINSTANCE));
  const auto font = static_cast<WPARAM>(SendMessageW(list, WM_GETFONT, 0, 0));
  const WidgetRect place = CellEditorRect(ToWidget(cell), ToWidget(client));
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditorId));
  if (plan.kind == Kind::kNumber) {
    HWND edit = CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"EDIT", plan.text.c_str(),
                                WS_CHILD | WS_BORDER | ES_LEFT | ES_NUMBER | ES_AUTOHSCROLL, place.left, place.top,
                                place.width(), place.height(), list, id, instance, nullptr);
    if (!edit) return nullptr;
    SendMessageW(edit, WM_SETFONT, font, FALSE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return edit;
  }
  HWND combo = CreateWindowExW(WS_EX_NOPARENTNOTIFY, WC_COMBOBOXW, nullptr, WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST,
                               place.left, place.top, place.width(), place.height(), list, id, instance, nullptr);
  if (!combo) return nullptr;
  SendMessageW(combo, WM_SETFONT, font, FALSE);
  for (const std::wstring& item : plan.items) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(DropListPreselection(plan.selected, count)), 0);
  // The box's window is as tall as its field plus the dropped list; the
  // field keeps the height its font gives it.
  RECT field{};
  GetWindowRect(combo, &field);
  const int item_height = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  const int rows = DropListRows(plan.visible_rows, count);
  SetWindowPos(combo, nullptr, 0, 0, place.width(), DropListHeight(field.bottom - field.top, item_height, rows),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Newer list boxes size their drop list by rows rather than by the window.
  SendMessageW(combo, CB_SETMINVISIBLE, static_cast<WPARAM>(rows), 0);
  return combo;
}

void CReportCtrl::EndCellEdit(bool accept) {
  const HWND editor = editor_;
  if (!editor) return;
  const Kind kind = editor_kind_;
  const int row = edit_row_;
  const int column = edit_column_;
  int index = -1;
  std::wstring text;
  if (kind == Kind::kDropList) {
    index = chosen_index_ >= 0 ? chosen_index_ : static_cast<int>(SendMessageW(editor, CB_GETCURSEL, 0, 0));
    if (index >= 0) {
      text = ComboItemText(editor, index);
    } else {
      accept = false;  // nothing was chosen
    }
  } else {
    text = WindowText(editor);
  }
  // The editor is forgotten before it goes: what its going sets off (its
  // list closing up, its focus leaving) finds no editor to end.
  ForgetEditor(editor);
  if (kind == Kind::kDropList && SendMessageW(editor, CB_GETDROPPEDSTATE, 0, 0)) {
    SendMessageW(editor, CB_SHOWDROPDOWN, FALSE, 0);
  }
  // A person typing goes on typing in the list.
  const HWND focus = GetFocus();
  if (focus && (focus == editor || IsChild(editor, focus)) && hwnd()) SetFocus(hwnd());
  DestroyWindow(editor);
  if (!accept || !accepted_) return;
  // The callback may rebuild the list or replace itself.
  const CellAccepted accepted = accepted_;
  accepted(row, column, index, text);
}

void CReportCtrl::PostEndCellEdit(bool accept) {
  if (!editor_ || !hwnd()) return;
  // The entry chosen now: what happens before the posted close runs does not
  // change the person's choice.
  if (accept && chosen_index_ < 0) chosen_index_ = static_cast<int>(SendMessageW(editor_, CB_GETCURSEL, 0, 0));
  PostMessageW(hwnd(), EndEditMessage(), accept ? 1 : 0, editor_serial_);
}

void CReportCtrl::ForgetEditor(HWND editor) {
  if (!editor || editor != editor_) return;
  editor_ = nullptr;
  editor_kind_ = Kind::kNone;
  edit_row_ = -1;
  edit_column_ = -1;
  chosen_index_ = -1;
  if (clip_added_) {
    clip_added_ = false;
    if (HWND list = hwnd()) {
      SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN));
    }
  }
}

HBRUSH CReportCtrl::EditorColours(HDC dc) {
  if (!field_brush_) field_brush_.reset(CreateSolidBrush(kSkinLook.field_background));
  if (!field_brush_ || !dc) return nullptr;
  SetTextColor(dc, kSkinLook.text);
  SetBkColor(dc, kSkinLook.field_background);
  return field_brush_.get();
}

bool CReportCtrl::FromEditor(WPARAM wparam, LPARAM lparam) const {
  const auto from = reinterpret_cast<HWND>(lparam);
  return from && LOWORD(wparam) == kEditorId && hwnd() && GetParent(from) == hwnd();
}

bool CReportCtrl::ChangesRows(UINT message) {
  switch (message) {
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
    case LVM_SORTITEMS:
    case LVM_SORTITEMSEX:
    case LVM_SETITEMCOUNT:
      return true;
    default:
      return false;
  }
}

LRESULT CReportCtrl::EditorHook::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  // Ending the edit destroys this hook's window, and the owner's callback
  // may do anything: after EndCellEdit nothing of this object is touched.
  CReportCtrl& owner = owner_;
  const HWND editor = hooked_window();
  switch (message) {
    case WM_GETDLGCODE: {
      const LRESULT code = CSubclassWnd::WindowProc(message, wparam, lparam);
      // Enter and Escape are the editor's, not the dialog's default and
      // cancel buttons; Tab still moves on (and the focus leaving ends the
      // edit).
      const auto* pending = reinterpret_cast<const MSG*>(lparam);
      if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_TAB) return code;
      return code | DLGC_WANTALLKEYS;
    }
    case WM_KEYDOWN:
      if (wparam == VK_RETURN || wparam == VK_ESCAPE) {
        // Enter still held from opening the editor is no accept.
        if (wparam == VK_RETURN && Repeated(lparam)) return 0;
        if (owner.editor_ == editor) owner.EndCellEdit(wparam == VK_RETURN);
        return 0;
      }
      break;
    case WM_CHAR:
      // The characters of Enter and Escape would only beep.
      if (wparam == L'\r' || wparam == L'\n' || wparam == 0x1B) return 0;
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = CSubclassWnd::WindowProc(message, wparam, lparam);
      const auto to = reinterpret_cast<HWND>(wparam);
      if (to && editor && (to == editor || IsChild(editor, to))) return result;
      if (owner.editor_ == editor) owner.LeaveCellEdit();
      return result;
    }
    case WM_DESTROY:
      // Destroyed by someone else: no value to accept.
      owner.ForgetEditor(editor);
      break;
    default:
      break;
  }
  return CSubclassWnd::WindowProc(message, wparam, lparam);
}

LRESULT CReportCtrl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == EndEditMessage()) {
    if (editor_ && lparam == editor_serial_) EndCellEdit(wparam != 0);
    return 0;
  }
  if (editor_ && ChangesRows(message)) EndCellEdit(false);
  switch (message) {
    case WM_NOTIFY: {
      // The header is the list view's child: its drawing questions come here.
      auto* notice = reinterpret_cast<NMHDR*>(lparam);
      if (notice && notice->hwndFrom && notice->hwndFrom == Header()) {
        if (notice->code == NM_CUSTOMDRAW) return OnHeaderCustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lparam));
        // A column being resized would leave the editor over the old cell.
        if (editor_ && (notice->code == HDN_BEGINTRACKW || notice->code == HDN_BEGINTRACKA ||
                        notice->code == HDN_DIVIDERDBLCLICKW || notice->code == HDN_DIVIDERDBLCLICKA)) {
          LeaveCellEdit();
        }
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      // A click in the list is a click outside the editor.
      if (editor_) LeaveCellEdit();
      const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
      // The list toggles a box without touching the selection: the row is
      // selected first, so the check callback already finds it selected.
      if (left && check_boxes_) {
        const int row = BoxUnder(lparam);
        if (row >= 0) Select(row);
      }
      if (message != WM_LBUTTONDBLCLK || !editor_for_) break;
      // The list selects the row first; then the cell's editor opens.
      const LRESULT result = CSubclassWnd::WindowProc(message, wparam, lparam);
      LVHITTESTINFO hit{};
      hit.pt = POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      if (hwnd() && SendMessageW(hwnd(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0 &&
          hit.iItem >= 0 && hit.iSubItem >= 0 && !(hit.flags & LVHT_ONITEMSTATEICON)) {
        OpenCellEditor(hit.iItem, hit.iSubItem);
      }
      return result;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      // The rows move away under the editor.
      if (editor_) LeaveCellEdit();
      break;
    case WM_KEYDOWN:
      if (editor_for_ && (wparam == VK_F2 || wparam == VK_RETURN)) {
        const int row = hwnd() ? static_cast<int>(SendMessageW(hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                               LVNI_FOCUSED))
                               : -1;
        const int column = KeyboardEditColumn(ColumnCount());
        if (row < 0 || column < 0) break;
        // A key held down opens the editor once.
        if (!Repeated(lparam)) OpenCellEditor(row, column);
        return 0;
      }
      break;
    case WM_CHAR:
      if (editor_for_ && wparam == L'\r') return 0;
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CSubclassWnd::WindowProc(message, wparam, lparam);
      // Enter on a row opens its editor rather than pressing the dialog's
      // default button; without a focused row it is the dialog's.
      const auto* pending = reinterpret_cast<const MSG*>(lparam);
      if (editor_for_ && pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN && hwnd() &&
          SendMessageW(hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) >= 0) {
        code |= DLGC_WANTMESSAGE;
      }
      return code;
    }
    case WM_COMMAND:
      // The editor's notices are the list's own business: the list view
      // would pass them on to the dialog.
      if (FromEditor(wparam, lparam)) {
        if (reinterpret_cast<HWND>(lparam) == editor_ && editor_kind_ == Kind::kDropList) {
          // Sent from inside the box, which must return before it may go.
          if (HIWORD(wparam) == CBN_SELENDOK) PostEndCellEdit(true);
          if (HIWORD(wparam) == CBN_SELENDCANCEL) PostEndCellEdit(false);
        }
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      // The editors and a drop list's list: dark like the rows.
      if (HBRUSH brush = EditorColours(reinterpret_cast<HDC>(wparam))) return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_DESTROY:
      // The editor goes with the list, unaccepted.
      ForgetEditor(editor_);
      break;
    default:
      break;
  }
  return CSubclassWnd::WindowProc(message, wparam, lparam);
}

}  // namespace velkor
