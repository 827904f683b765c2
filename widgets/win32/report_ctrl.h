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
// (the row drawing in OnNotify).
//
// The macro editor's action list uses it the other way: columns whose text
// is grey (but for the selected row) and in-place cell editors. A double
// click on a cell, or F2 / Enter on the focused row (its last column), asks
// the owner which editor the cell has: none, a drop list over the cell
// (dropped open at once; choosing an entry accepts, Escape or leaving it
// cancels) or a number field (Enter or leaving it accepts, Escape cancels).
// An accepted edit reaches the owner once, after the editor is gone, so the
// owner may rebuild the list from the callback. Scrolling the list, a click
// in it or a change of its rows ends the edit first. The editors are children
// of the list: their notices and colour questions come to the list view,
// which this class hooks, not to the dialog.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/gdi.h"
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
  // Which editor a cell opens, as its owner says.
  struct CellEditorPlan {
    enum class Kind { kNone, kDropList, kNumber } kind = Kind::kNone;
    std::vector<std::wstring> items;  // drop list entries; a drop list without entries opens nothing
    int selected = -1;                // drop list preselection; -1 (or no entry) for none
    int visible_rows = 0;             // drop list height in rows; 0 for a default
    std::wstring text;                // number editor's starting text
  };
  using CellEditorFor = std::function<CellEditorPlan(int row, int column)>;
  // A drop list gives the chosen entry's index and its text; a number editor
  // gives index -1 and its text as typed (digits, though a paste may bring
  // anything: the owner reads it as it would any typed number).
  using CellAccepted = std::function<void(int row, int column, int index, const std::wstring& text)>;

  CReportCtrl() = default;
  // An open editor is closed without being accepted.
  ~CReportCtrl() override;

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
  // Nothing happens for a cell that does not exist.
  void SetText(int row, int column, const std::wstring& text);
  // Scrolls the row into view (a row that does not exist changes nothing).
  void EnsureVisible(int row);
  // Moves a row so it ends at index `to`, with its texts, its selection, its
  // focus and its check mark (no change of a mark: nothing is reported).
  // False, and nothing moved, when either index is outside the list.
  bool MoveRow(int from, int to);

  // These columns' text is grey, except in a selected row. Columns that do
  // not exist are ignored; an empty list makes every column plain again.
  void SetGreyColumns(std::vector<int> columns);

  bool Checked(int row) const;
  // Single-check mode applies here too. Nothing happens without check boxes
  // or for a row that does not exist.
  void SetChecked(int row, bool checked);
  int FirstChecked() const;   // -1 for none
  int FirstSelected() const;  // -1 for none
  // Selects and focuses the row and scrolls it into view; -1 clears the
  // selection and the focus. A row that does not exist changes nothing.
  void Select(int row);

  // Turns the in-place editors on: editor_for is asked on every double click
  // on a cell and on F2 or Enter, and may show a message itself before it
  // answers kNone; accepted hears of every accepted edit, also of a drop list
  // entry that was chosen again (the owner decides whether anything changed).
  // A drop list closed with no entry selected is no accept.
  void EnableCellEditing(CellEditorFor editor_for, CellAccepted accepted);
  bool editing() const { return editor_ != nullptr; }
  // Closes an open editor, accepting its value or not; nothing when none is
  // open. Deleting, inserting or moving rows closes it unaccepted.
  void EndCellEdit(bool accept);

  // The parent forwards its WM_NOTIFY here: true when it was this list's and
  // is answered (result is then the answer). A selection change or a click
  // gives false, so the parent may handle them itself.
  bool OnNotify(LPARAM lparam, LRESULT& result);

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // The hook on an open editor: its keys, its focus and its end.
  class EditorHook : public CSubclassWnd {
   public:
    explicit EditorHook(CReportCtrl& owner) : owner_(owner) {}
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

   private:
    CReportCtrl& owner_;
  };
  using Kind = CellEditorPlan::Kind;

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
  bool Grey(int column) const;
  // Gives the row drawing the row's text and background colours; whether
  // the row is selected.
  bool RowColours(NMLVCUSTOMDRAW& draw) const;

  // Opens the editor the owner names for the cell; false when none opened.
  bool OpenCellEditor(int row, int column);
  HWND CreateEditor(const CellEditorPlan& plan, const RECT& cell, const RECT& client);
  // The cell's rectangle in the list's client area; false when it has none.
  bool CellRect(int row, int column, RECT& cell) const;
  // A person turned to something else (a click in the list, a scroll): a
  // number is kept, a drop list left unchosen.
  void LeaveCellEdit() { EndCellEdit(editor_kind_ == Kind::kNumber); }
  // Closes from inside the editor's own notice, which must return before
  // the editor may be destroyed: the close is posted to the list.
  void PostEndCellEdit(bool accept);
  // Lets go of the editor, unaccepted: it is being closed, or destroyed by
  // someone else or with the list.
  void ForgetEditor(HWND editor);
  // Answers the editors' colour questions; null when none is to be given.
  HBRUSH EditorColours(HDC dc);
  // Whether a command came from this list's editor (also one being closed).
  bool FromEditor(WPARAM wparam, LPARAM lparam) const;
  // The list view itself is asked: rows added, deleted or sorted while an
  // editor is open would leave it over another row.
  static bool ChangesRows(UINT message);

  bool check_boxes_ = false;
  bool single_check_ = false;
  bool grid_lines_ = false;
  // Set while this object changes marks itself.
  bool setting_marks_ = false;
  CheckChanged changed_;
  std::vector<int> grey_columns_;

  CellEditorFor editor_for_;
  CellAccepted accepted_;
  // The open editor, the cell under it and its kind; a drop list's entry as
  // chosen when its notice came (the close waits for the posted message).
  HWND editor_ = nullptr;
  Kind editor_kind_ = Kind::kNone;
  int edit_row_ = -1;
  int edit_column_ = -1;
  int chosen_index_ = -1;
  // Tells a posted close from one meant for an earlier editor.
  LPARAM editor_serial_ = 0;
  // The list clips its children while an editor is open, so its painting
  // does not cover the editor; set when the list had no such style before.
  bool clip_added_ = false;
  EditorHook editor_hook_{*this};
  UniqueBrush field_brush_;
};

}  // namespace velkor
