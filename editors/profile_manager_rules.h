// The profile manager's decisions: how a profile file shows as a row (its
// name and its folder), what the rows write into the settings, and which
// hardware profile a checked row asks for.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkor {

// A row of the manager's list.
struct ProfileRow {
  std::u16string name;    // the file name without folder and extension
  std::u16string folder;  // drive and folder, with the trailing separator
  // The path the row stands for: folder + name + ".kpx".
  std::u16string Path() const { return folder + name + u".kpx"; }
};

// "C:\a\b\x.kpx" -> {"x", "C:\a\b\"}; both separators count; the extension
// is what follows the name's last dot ("a.b.kpx" -> "a.b"); a name without
// one is kept whole.
ProfileRow RowForFile(std::u16string_view path);

// The settings' values, section "PROFILES": "PROFILE01" ... with each row's
// path, then "PROFILE00" with the number of rows.
std::vector<std::pair<std::u16string, std::u16string>> ProfileListValues(const std::vector<ProfileRow>& rows);

// What each row stands for: the keyboard's profiles 0..2 for the rows the
// list starts with, kNoHardwareProfile for rows a person added or loaded.
// Kept beside the rows, so that a Delete moving rows up does not make an
// added file stand for a profile.
inline constexpr int kNoHardwareProfile = -1;
// The hardware profile the checked row asks for; none (-1) when no row is
// checked or the checked row stands for none.
int ProfileOfCheckedRow(const std::vector<int>& row_profiles, int checked_row);

}  // namespace velkor
