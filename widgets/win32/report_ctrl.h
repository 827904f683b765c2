// A report-style list over a list view of a dialog template (SysListView32
// with LVS_REPORT): columns of left-aligned text, drawn dark like the skinned
// windows' fields, its header too. The profile manager uses it as a check
// list: a check box on every row and, in single-check mode, at most one row
// checked (checking a row unchecks every other; the checked row can be
// unchecked). A click on a row's box also selects and focuses the row; Space
// toggles the focused row's box. Every change of a check mark, a person's or
// the program's, reaches the check callback once, after the change.
//
// The list view tells its parent, not itself, about its changes and asks the
// parent how to draw its rows: the parent forwards every WM_NOTIFY to
// OnNotify, which enforces single-check and answers the drawing questions.
// The header's drawing questions come to the list view itself, which this
// class hooks.
//
// The colours come from one table and each row's colours from one choice
// (the row drawing in OnNotify), where a second use of the control, with
// grey text and in-place cell editors, can take its own.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/skin_look.h"
#include "ui/win32/subclass_wnd.h"
#include "widgets/report_rules.h"

namespace velkor {

// Every colour the list draws with.
struct ReportLook {
  COLORREF background;
  COLORREF text;
  // The selected row while the list has the focus, and while it has not.
  COLORREF selected_background;
  COLORREF selected_text;
  COLORREF inactive_selected_background;
  COLORREF inactive_selected_text;
  COLORREF grid;
  COLORREF header_background;
  COLORREF header_text;
  COLORREF header_edge;
};
inline constexpr ReportLook kReportLook{
    kSkinLook.field_background,  // background: the skinned windows' fields
    kSkinLook.text,              // text
    RGB(0x2F, 0x55, 0x8A),  // selected_background
    RGB(0xFF, 0xFF, 0xFF),  // selected_text
    RGB(0x2C, 0x33, 0x3D),  // inactive_selected_background
    RGB(0xE4, 0xE4, 0xE4),  // inactive_selected_text
    RGB(0x30, 0x36, 0x3F),  // grid
    RGB(0x24, 0x29, 0x31),  // header_background
    RGB(0xC8, 0xCC, 0xD2),  // header_text
    RGB(0x3A, 0x41, 0x4B),  // header_edge
};

class CReportCtrl : public CSubclassWnd {
 public:
  using CheckChanged = std::function<void(int row, bool checked)>;

  CReportCtrl() = default;

  // Hooks the list view and gives it the dark colours; false when the window
  // is no list view or cannot be hooked.
  bool Attach(HWND list_view);
  HWND hwnd() const { return hooked_window(); }

  // A left-aligned column at the end; its index, or -1.
  int AddColumn(const std::wstring& header, int width);
  int ColumnCount() const;
  // Adds list view extended styles. LVS_EX_GRIDLINES asks for grid lines in
  // the list's own subtle colour: the list draws them itself, since the
  // system's are light. LVS_EX_CHECKBOXES belongs to EnableCheckBoxes.
  void AddExtendedStyle(DWORD styles);

  // Check boxes on; with single_check at most one row is checked (rows that
  // were checked already keep only the first mark).
  void EnableCheckBoxes(bool single_check);
  bool check_boxes() const { return check_boxes_; }
  bool single_check() const { return single_check_; }
  // Called for every change of a check mark, after the change; in
  // single-check mode the rows that lose their mark come first, the row that
  // gets it last. The callback may change the list. Deleting rows is no
  // change of a mark.
  void SetCheckChanged(CheckChanged changed) { changed_ = std::move(changed); }

  // A row at `row` (a place outside the list appends it) with one text per
  // column (more are dropped, missing ones are empty); the new row's index,
  // or -1.
  int InsertRow(int row, const std::vector<std::wstring>& texts);
  int AppendRow(const std::vector<std::wstring>& texts);
  // A row that does not exist is nothing to delete.
  void DeleteRow(int row);
  void DeleteAllRows();
  int RowCount() const;
  // Empty for a cell that does not exist.
  std::wstring Text(int row, int column) const;

  bool Checked(int row) const;
  // Single-check mode applies here too. Nothing happens without check boxes
  // or for a row that does not exist.
  void SetChecked(int row, bool checked);
  int FirstChecked() const;   // -1 for none
  int FirstSelected() const;  // -1 for none
  // Selects and focuses the row and scrolls it into view; -1 clears the
  // selection and the focus. A row that does not exist changes nothing.
  void Select(int row);

  // The parent forwards its WM_NOTIFY here: true when it was this list's and
  // is answered (result is then the answer). A selection change or a click
  // gives false, so the parent may handle them itself.
  bool OnNotify(LPARAM lparam, LRESULT& result);

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  HWND Header() const;
  std::vector<bool> CheckMarks() const;
  // Sets the marks without taking the list's own notices of them for a
  // person's change; the changes that took, in order.
  std::vector<CheckChange> SetMarks(const std::vector<CheckChange>& changes);
  // Tells the callback; touches nothing of this object afterwards.
  void Report(const std::vector<CheckChange>& changes) const;
  bool OnItemChanged(const NMLISTVIEW& change);
  LRESULT OnListCustomDraw(NMLVCUSTOMDRAW& draw) const;
  LRESULT OnHeaderCustomDraw(NMCUSTOMDRAW& draw) const;
  void DrawHeaderItem(HWND header, HDC dc, int index, const RECT& place) const;
  void DrawGrid(HDC dc) const;
  // The row whose check box lies under a point of the client area, or -1.
  int BoxUnder(LPARAM point) const;

  bool check_boxes_ = false;
  bool single_check_ = false;
  bool grid_lines_ = false;
  // Set while this object changes marks itself.
  bool setting_marks_ = false;
  CheckChanged changed_;
};

}  // namespace velkor
