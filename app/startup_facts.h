// File locations and names the program derives from its own path at start-up.
// Written once before the main window exists, read-only afterwards.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

// The parts of a full path the way the platform's path splitter gives them:
// drive "C:", folder "\Program Files\Velkor\" (with both separators),
// name "Velkor", extension ".exe".
struct PathParts {
  std::u16string drive;
  std::u16string folder;
  std::u16string name;
  std::u16string extension;
};

PathParts SplitPath(std::u16string_view full_path);

struct StartupFacts {
  std::u16string program_drive;
  std::u16string program_folder;
  std::u16string program_file_name;  // name and extension, no folder
  std::u16string program_name;       // without extension
  std::u16string help_folder;
  std::u16string main_skin;
  std::u16string main_skin_folder;
  std::u16string profile_skin;
  std::u16string profile_skin_folder;
  std::u16string update_skin;
  std::u16string update_skin_folder;
  std::u16string package_folder;
  std::u16string key_skin;
  std::u16string skin_folder;
  std::u16string composite_skin;
  std::u16string composite_skin_folder;
  // Both colour-file prefixes begin with a separator, so they carry a doubled
  // one after the program folder; the file system accepts it.
  std::u16string colour_file_prefix;
  std::u16string skin_colour_file_prefix;
  std::u16string daemon;
  std::u16string language_file;
};

StartupFacts BuildStartupFacts(std::u16string_view program_path);

// The folder of a file path, up to and including its last separator.
std::u16string FolderOf(std::u16string_view path);

}  // namespace velkor
