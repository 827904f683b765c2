// The report list's decisions: which check marks change in single-check and
// plain check-box mode, and which row is selected after a delete.
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

}  // namespace
}  // namespace velkor
