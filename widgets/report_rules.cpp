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

WidgetRect CellEditorRect(const WidgetRect& cell, const WidgetRect& client, int min_width) {
  const int width = std::max(cell.width(), std::max(min_width, 0));
  int left = cell.left;
  // Only a widened editor is moved: a cell that is itself wider than the
  // client keeps its place, as the person sees its left part.
  if (width > cell.width() && left + width > client.right) left = std::max(client.right - width, client.left);
  return WidgetRect{left, cell.top, left + width, cell.bottom};
}

int ScrollToShowCell(const WidgetRect& cell, const WidgetRect& client) {
  if (cell.left < client.left) return cell.left - client.left;
  if (cell.right > client.right) {
    // As far as the right edge needs, but never so far that the left edge
    // goes out of view.
    return std::max(std::min(cell.right - client.right, cell.left - client.left), 0);
  }
  return 0;
}

int DropListRows(int visible_rows, int item_count) {
  const int rows = visible_rows > 0 ? visible_rows : kDefaultDropRows;
  return std::clamp(rows, 1, std::max(item_count, 1));
}

int DropListHeight(int field_height, int item_height, int rows) {
  // Nonsense figures are bounded first, so the sum stays an int.
  return std::clamp(field_height, 0, 1000) + std::clamp(rows, 0, 2000) * std::clamp(item_height, 0, 1000) + 2;
}

int DropListPreselection(int selected, int item_count) {
  return selected >= 0 && selected < item_count ? selected : -1;
}

int KeyboardEditColumn(int column_count) {
  return column_count > 0 ? column_count - 1 : -1;
}

}  // namespace velkor
