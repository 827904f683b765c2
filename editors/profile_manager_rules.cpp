#include "editors/profile_manager_rules.h"

#include <cstdio>

#include "device/commands.h"

namespace velkor {

ProfileRow RowForFile(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  const size_t start = slash == std::u16string_view::npos ? 0 : slash + 1;
  std::u16string_view file = path.substr(start);
  const size_t dot = file.rfind(u'.');
  if (dot != std::u16string_view::npos && dot > 0) file = file.substr(0, dot);
  return {std::u16string(file), std::u16string(path.substr(0, start))};
}

std::vector<std::pair<std::u16string, std::u16string>> ProfileListValues(const std::vector<ProfileRow>& rows) {
  auto name = [](size_t n) {
    char text[16];
    std::snprintf(text, sizeof(text), "PROFILE%02zu", n);
    return std::u16string(text, text + std::char_traits<char>::length(text));
  };
  auto number = [](size_t n) {
    const std::string text = std::to_string(n);
    return std::u16string(text.begin(), text.end());
  };
  std::vector<std::pair<std::u16string, std::u16string>> values;
  for (size_t b = 0; b < rows.size(); ++b) values.emplace_back(name(b + 1), rows[b].Path());
  values.emplace_back(name(0), number(rows.size()));
  return values;
}

int ProfileOfCheckedRow(const std::vector<int>& row_profiles, int checked_row) {
  if (checked_row < 0 || checked_row >= static_cast<int>(row_profiles.size())) return kNoHardwareProfile;
  const int profile = row_profiles[static_cast<size_t>(checked_row)];
  return profile >= 0 && profile < kProfiles ? profile : kNoHardwareProfile;
}

}  // namespace velkor
