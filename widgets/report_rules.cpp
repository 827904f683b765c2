#include "widgets/report_rules.h"

#include <algorithm>

namespace velkor {

std::vector<CheckChange> CheckMarkChanges(const std::vector<bool>& checked_rows, int row, bool checked,
                                          bool single_check) {
  std::vector<CheckChange> changes;
  const int count = static_cast<int>(checked_rows.size());
  if (row < 0 || row >= count) return changes;
  if (single_check && checked) {
    for (int other = 0; other < count; ++other) {
      if (other != row && checked_rows[static_cast<size_t>(other)]) changes.push_back({other, false});
    }
  }
  if (checked_rows[static_cast<size_t>(row)] != checked) changes.push_back({row, checked});
  return changes;
}

int RowAfterDelete(int deleted_row, int rows_left) {
  if (rows_left <= 0) return -1;
  return std::clamp(deleted_row, 0, rows_left - 1);
}

}  // namespace velkor
