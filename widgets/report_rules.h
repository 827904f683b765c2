// The report list's decisions, apart from the window: which check marks
// change when one row is checked or unchecked, and which row a list selects
// once a row was deleted. The Win32 control only carries them out.
#pragma once

#include <vector>

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

}  // namespace velkor
