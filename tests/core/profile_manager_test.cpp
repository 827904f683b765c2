// The profile manager's rows, settings values and checked-row decision.
#include "editors/profile_manager_rules.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(ProfileManagerRulesTest, ARowShowsTheFileNameAndItsFolder) {
  ProfileRow row = RowForFile(u"C:\\Users\\me\\Documents\\QN582\\$Profile0.kpx");
  EXPECT_EQ(row.name, u"$Profile0");
  EXPECT_EQ(row.folder, u"C:\\Users\\me\\Documents\\QN582\\");
  EXPECT_EQ(row.Path(), u"C:\\Users\\me\\Documents\\QN582\\$Profile0.kpx");
  // ".kpx" once: the name column never keeps it.
  EXPECT_EQ(RowForFile(u"D:\\x.kpx").Path(), u"D:\\x.kpx");
  row = RowForFile(u"D:\\a.b.kpx");
  EXPECT_EQ(row.name, u"a.b");
  row = RowForFile(u"Z:/tmp/plain");
  EXPECT_EQ(row.name, u"plain");
  EXPECT_EQ(row.folder, u"Z:/tmp/");
  row = RowForFile(u"D:\\dir.v2\\.hidden");
  EXPECT_EQ(row.name, u".hidden");
  EXPECT_EQ(row.folder, u"D:\\dir.v2\\");
  // The profile file itself has no extension: its row keeps its name.
  EXPECT_EQ(RowForFile(u"C:\\p\\$Profile0").name, u"$Profile0");
}

TEST(ProfileManagerRulesTest, TheSettingsGetEveryRowThenTheirNumber) {
  const std::vector<ProfileRow> rows = {{u"a", u"C:\\"}, {u"b", u"D:\\f\\"}};
  const auto values = ProfileListValues(rows);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0], (std::pair<std::u16string, std::u16string>{u"PROFILE01", u"C:\\a.kpx"}));
  EXPECT_EQ(values[1], (std::pair<std::u16string, std::u16string>{u"PROFILE02", u"D:\\f\\b.kpx"}));
  EXPECT_EQ(values[2], (std::pair<std::u16string, std::u16string>{u"PROFILE00", u"2"}));
  const std::vector<ProfileRow> many(12, ProfileRow{u"x", u"C:\\"});
  const auto more = ProfileListValues(many);
  EXPECT_EQ(more[11].first, u"PROFILE12");
  EXPECT_EQ(more.back().second, u"12");
  EXPECT_EQ(ProfileListValues({}), (std::vector<std::pair<std::u16string, std::u16string>>{{u"PROFILE00", u"0"}}));
}

TEST(ProfileManagerRulesTest, OnlyTheRowsTheListStartsWithAreHardwareProfiles) {
  std::vector<int> rows = {0, 1, 2, kNoHardwareProfile};
  EXPECT_EQ(ProfileOfCheckedRow(rows, -1), -1);
  EXPECT_EQ(ProfileOfCheckedRow(rows, 0), 0);
  EXPECT_EQ(ProfileOfCheckedRow(rows, 2), 2);
  EXPECT_EQ(ProfileOfCheckedRow(rows, 3), -1) << "an added file";
  EXPECT_EQ(ProfileOfCheckedRow(rows, 4), -1);
  // Row 0 deleted: the added file moves up to row 2 and still stands for none.
  rows.erase(rows.begin());
  EXPECT_EQ(ProfileOfCheckedRow(rows, 2), -1);
  EXPECT_EQ(ProfileOfCheckedRow(rows, 0), 1);
  EXPECT_EQ(ProfileOfCheckedRow({7}, 0), -1);
}

}  // namespace
}  // namespace velkor
