// The report list's decisions, apart from the window: which check marks
// change when one row is checked or unchecked, which row a list selects once
// a row was deleted, and where a cell's in-place editor stands. The Win32
// control only carries them out.
#pragma once

#include <vector>

#include "widgets/widget_geometry.h"

namespace velkor {

// One row's check mark, set to `checked`.
struct CheckChange {
  int row = -1;
  bool checked = false;
  bool operator==(const CheckChange&) const = default;
};

// The marks to set when `row` is to be checked or unchecked, given every
// row's mark as it stands (the row's own mark may already be the new one:
// the list view changes it before telling). In single-check mode checking a
// row unchecks every other checked row; unchecking never touches another
// row. The unchecks come first, in row order, and the row itself last, only
// when its own mark differs; a row out of range changes nothing.
std::vector<CheckChange> CheckMarkChanges(const std::vector<bool>& checked_rows, int row, bool checked,
                                          bool single_check);

// The row to select once `deleted_row` was deleted and `rows_left` rows
// remain: the row after it (which now has its index), or the one before when
// it was the last; -1 when no row remains. Always a row that exists.
int RowAfterDelete(int deleted_row, int rows_left);

// ---- In-place cell editors -------------------------------------------------

// A cell narrower than this still gets an editor a person can read and type
// in.
inline constexpr int kCellEditorMinWidth = 60;
// The drop list's height in rows when its owner names none.
inline constexpr int kDefaultDropRows = 8;

// The editor's place over a cell (client coordinates of the list): the
// cell's top, height and left edge, its width but at least min_width. An
// editor widened past the client's right edge moves left until it fits, but
// never past the client's left edge.
WidgetRect CellEditorRect(const WidgetRect& cell, const WidgetRect& client, int min_width = kCellEditorMinWidth);

// How far the list scrolls sideways (positive: the content moves left) so a
// cell shows: its left edge comes into view, and its right edge too when the
// cell is narrower than the client. 0 when the cell already shows.
int ScrollToShowCell(const WidgetRect& cell, const WidgetRect& client);

// How many rows the drop list shows: `visible_rows`, kDefaultDropRows when
// that is not positive, no more than there are items but at least one.
int DropListRows(int visible_rows, int item_count);
// The height of a drop-down list box's window: its selection field and,
// below it, the list with `rows` rows of `item_height` and a 1-pixel border
// above and below.
int DropListHeight(int field_height, int item_height, int rows);

// The drop list's first selection: `selected` when it names an item, else
// none (-1).
int DropListPreselection(int selected, int item_count);

// The column that F2 and Enter open on the focused row: the last one, -1 for
// a list without columns.
int KeyboardEditColumn(int column_count);

}  // namespace velkor
