// The report list's decisions: which check marks change in single-check and
// plain check-box mode, which row is selected after a delete, and where a
// cell's editor stands.
#include <gtest/gtest.h>

#include <vector>

#include "widgets/report_rules.h"

namespace velkor {
namespace {

using Changes = std::vector<CheckChange>;

TEST(ReportSingleCheck, CheckingARowUnchecksTheOthersFirst) {
  // Nothing checked: only the row itself.
  EXPECT_EQ(CheckMarkChanges({false, false, false}, 1, true, true), (Changes{{1, true}}));
  // Another row checked: it loses its mark before the new row gets one.
  EXPECT_EQ(CheckMarkChanges({true, false, false}, 2, true, true), (Changes{{0, false}, {2, true}}));
  // The list view already set the row's mark (a click): only the others.
  EXPECT_EQ(CheckMarkChanges({true, false, true}, 2, true, true), (Changes{{0, false}}));
  // Several marks from before single-check: all of them go, in row order.
  EXPECT_EQ(CheckMarkChanges({true, true, false, true}, 2, true, true),
            (Changes{{0, false}, {1, false}, {3, false}, {2, true}}));
}

TEST(ReportSingleCheck, UncheckingTouchesOnlyTheRow) {
  EXPECT_EQ(CheckMarkChanges({false, true, false}, 1, false, true), (Changes{{1, false}}));
  // An unchecked row stays as it is, and so does everything else.
  EXPECT_TRUE(CheckMarkChanges({true, false, false}, 1, false, true).empty());
  // Checking the checked row again changes nothing.
  EXPECT_TRUE(CheckMarkChanges({false, true, false}, 1, true, true).empty());
}

TEST(ReportSingleCheck, RowsOutsideTheListChangeNothing) {
  EXPECT_TRUE(CheckMarkChanges({true, false}, 2, true, true).empty());
  EXPECT_TRUE(CheckMarkChanges({true, false}, -1, true, true).empty());
  EXPECT_TRUE(CheckMarkChanges({}, 0, true, true).empty());
}

TEST(ReportPlainCheckBoxes, EveryRowKeepsItsOwnMark) {
  EXPECT_EQ(CheckMarkChanges({true, false, false}, 2, true, false), (Changes{{2, true}}));
  EXPECT_EQ(CheckMarkChanges({true, false, true}, 0, false, false), (Changes{{0, false}}));
}

TEST(ReportRowAfterDelete, TheRowAfterOrBeforeTheLastOrNone) {
  // Four rows, one deleted: three left.
  EXPECT_EQ(RowAfterDelete(1, 3), 1);  // the next row moved up into its place
  EXPECT_EQ(RowAfterDelete(0, 3), 0);
  EXPECT_EQ(RowAfterDelete(3, 3), 2);  // the last: the one before
  EXPECT_EQ(RowAfterDelete(0, 0), -1); // the only row
}

TEST(ReportRowAfterDelete, NonsenseStillGivesARowThatExists) {
  EXPECT_EQ(RowAfterDelete(9, 2), 1);
  EXPECT_EQ(RowAfterDelete(-1, 2), 0);
  EXPECT_EQ(RowAfterDelete(2, -5), -1);
}

// A list 300 pixels wide.
constexpr WidgetRect kClient{0, 0, 300, 200};

TEST(ReportCellEditor, CoversTheCellAtLeastSixtyWideAndInsideTheList) {
  EXPECT_EQ(CellEditorRect({100, 40, 220, 57}, kClient), (WidgetRect{100, 40, 220, 57}));
  // The 30-pixel direction column, or a hidden one: widened to the right.
  EXPECT_EQ(CellEditorRect({100, 40, 130, 57}, kClient), (WidgetRect{100, 40, 160, 57}));
  EXPECT_EQ(CellEditorRect({100, 40, 100, 57}, kClient), (WidgetRect{100, 40, 160, 57}));
  // At the list's right edge: moved left so all 60 show, but never past the
  // left edge of a list narrower than that.
  EXPECT_EQ(CellEditorRect({270, 40, 300, 57}, kClient), (WidgetRect{240, 40, 300, 57}));
  EXPECT_EQ(CellEditorRect({10, 40, 30, 57}, WidgetRect{0, 0, 40, 200}), (WidgetRect{0, 40, 60, 57}));
  // A cell wider than the list starts where the person sees it start.
  EXPECT_EQ(CellEditorRect({50, 40, 400, 57}, kClient), (WidgetRect{50, 40, 400, 57}));
}

TEST(ReportCellEditor, ScrollsSidewaysOnlyAsFarAsTheCellNeeds) {
  EXPECT_EQ(ScrollToShowCell({100, 40, 200, 57}, kClient), 0);
  EXPECT_EQ(ScrollToShowCell({-80, 40, 20, 57}, kClient), -80);
  EXPECT_EQ(ScrollToShowCell({250, 40, 350, 57}, kClient), 50);
  EXPECT_EQ(ScrollToShowCell({200, 40, 600, 57}, kClient), 200);  // wider than the list: its left edge wins
}

TEST(ReportDropList, RowsAndHeight) {
  EXPECT_EQ(DropListRows(20, 104), 20);  // the key list
  EXPECT_EQ(DropListRows(6, 2), 2);      // two directions: only as long as its items
  EXPECT_EQ(DropListRows(0, 50), 8);     // none named: the default
  EXPECT_EQ(DropListRows(6, 0), 1);      // no items: still a row, so the box can drop
  EXPECT_EQ(DropListHeight(21, 16, 20), 21 + 20 * 16 + 2);
  // Nonsense figures give a height that stays sane.
  EXPECT_EQ(DropListHeight(21, 1 << 30, 1 << 30), 21 + 2000 * 1000 + 2);
  EXPECT_EQ(DropListHeight(-5, -16, -2), 2);
  // A preselection that names no entry is none.
  EXPECT_EQ(DropListPreselection(1, 2), 1);
  EXPECT_EQ(DropListPreselection(2, 2), -1);
  EXPECT_EQ(DropListPreselection(-1, 2), -1);
}

}  // namespace
}  // namespace velkor
