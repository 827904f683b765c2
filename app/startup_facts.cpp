#include "app/startup_facts.h"

namespace velkor {

namespace {
bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
}  // namespace

PathParts SplitPath(std::u16string_view full_path) {
  PathParts parts;
  std::u16string_view rest = full_path;
  if (rest.size() >= 2 && rest[1] == u':') {
    parts.drive = std::u16string(rest.substr(0, 2));
    rest.remove_prefix(2);
  }
  size_t last_sep = std::u16string_view::npos;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (IsSeparator(rest[i])) last_sep = i;
  }
  if (last_sep != std::u16string_view::npos) {
    parts.folder = std::u16string(rest.substr(0, last_sep + 1));
    rest.remove_prefix(last_sep + 1);
  }
  const size_t dot = rest.rfind(u'.');
  if (dot != std::u16string_view::npos) {
    parts.name = std::u16string(rest.substr(0, dot));
    parts.extension = std::u16string(rest.substr(dot));
  } else {
    parts.name = std::u16string(rest);
  }
  return parts;
}

std::u16string FolderOf(std::u16string_view path) {
  size_t last_sep = std::u16string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i])) last_sep = i;
  }
  return last_sep == std::u16string_view::npos ? std::u16string()
                                               : std::u16string(path.substr(0, last_sep + 1));
}

StartupFacts BuildStartupFacts(std::u16string_view program_path) {
  const PathParts parts = SplitPath(program_path);
  const std::u16string base = parts.drive + parts.folder;
  const auto join = [&](std::u16string_view relative) { return base + std::u16string(relative); };

  StartupFacts f;
  f.program_drive = parts.drive;
  f.program_folder = parts.folder;
  f.program_file_name = parts.name + parts.extension;
  f.program_name = parts.name;
  f.help_folder = join(u"Help\\");
  f.main_skin = join(u"Skins\\Main.ini");
  f.main_skin_folder = FolderOf(f.main_skin);
  f.profile_skin = join(u"Skins\\Profile.ini");
  f.profile_skin_folder = FolderOf(f.profile_skin);
  f.update_skin = join(u"Skins\\UpdateDlg.ini");
  f.update_skin_folder = FolderOf(f.update_skin);
  f.package_folder = join(u"Package");
  f.key_skin = join(u"Skins\\Key.ini");
  f.skin_folder = FolderOf(f.key_skin);
  f.composite_skin = join(u"Skins\\Composite.ini");
  f.composite_skin_folder = FolderOf(f.composite_skin);
  f.colour_file_prefix = join(u"\\QN582\\UserDengColor_");
  f.skin_colour_file_prefix = join(u"\\Skins\\UserDengColor_");
  f.daemon = join(u"Tassel.exe");
  f.language_file = join(u"Skins\\language.ini");
  return f;
}

}  // namespace velkor
