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

// The hardware profile a checked row asks for: rows 0..2 are the keyboard's
// three profiles; no checked row (-1), and rows added after them, which
// stand for no profile of the keyboard, ask for none (-1).
int ProfileOfCheckedRow(int row);

}  // namespace velkor
