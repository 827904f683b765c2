#include "model/profile_operations.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "app/startup_facts.h"

namespace velkor {

namespace fs = std::filesystem;

namespace {
// The separator the documents path itself uses (a host test's folder has '/').
char16_t SeparatorOf(const std::u16string& path) {
  return path.find(u'/') != std::u16string::npos && path.find(u'\\') == std::u16string::npos ? u'/' : u'\\';
}
}  // namespace

ProfileFolder::ProfileFolder(std::u16string documents, std::function<void(const std::u16string&)> on_created)
    : on_created_(std::move(on_created)) {
  folder_ = std::move(documents);
  const char16_t separator = SeparatorOf(folder_);
  if (!folder_.empty() && folder_.back() != u'\\' && folder_.back() != u'/') folder_ += separator;
  folder_ += u"QN582";
}

std::u16string ProfileFolder::ProfileFilePath() const {
  return folder_ + SeparatorOf(folder_) + u"$Profile0";
}

bool ProfileFolder::Ensure() {
  std::error_code ec;
  const fs::path path(folder_);
  if (fs::is_directory(path, ec)) return true;
  if (!fs::create_directories(path, ec) && !fs::is_directory(path, ec)) return false;
  if (on_created_) on_created_(folder_);
  return true;
}

ProfileMenuModel BuildProfileMenu(int current_profile, const std::u16string& profile_file,
                                  const LanguageTable* language) {
  ProfileMenuModel menu;
  const std::u16string default_name(language ? language->Text(LangKey::DEFAULT_PROFILE_NAME)
                                             : LanguageBuiltIn(LangKey::DEFAULT_PROFILE_NAME));
  menu.items.push_back({kDefaultProfileCommand, default_name, false});
  menu.items.push_back({0, u"", false});
  const std::u16string name = SplitPath(profile_file).name;
  for (int i = 0; i < 3; ++i) menu.items.push_back({kDefaultProfileCommand + 1 + i, name, false});
  const size_t checked = current_profile >= 0 && current_profile <= 2 ? static_cast<size_t>(current_profile) + 2 : 0;
  menu.items[checked].checked = true;
  menu.button_text = menu.items[checked].text;
  menu.tooltip = std::u16string(language ? language->Text(LangKey::PROFILE_TIP) : LanguageBuiltIn(LangKey::PROFILE_TIP)) +
                 menu.button_text;
  return menu;
}

std::u16string ProfileOperations::Text(LangKey key) const {
  return std::u16string(TextOrBuiltIn(language_, key));
}

bool ProfileOperations::SaveToProfileFile() {
  folder_.Ensure();
  const std::u16string path = folder_.ProfileFilePath();
  std::error_code ec;
  if (!fs::exists(fs::path(path), ec)) return false;
  std::lock_guard working(locks_.working());
  return WriteImageFile(profiles_.working, path);
}

bool ProfileOperations::DownloadFromKeyboard(const std::u16string& path) {
  std::optional<ProfileImage> image = profiles_.ExportKeyboard(commands_, language_);
  if (!image) return false;
  return WriteImageFile(*image, path);
}

void ProfileOperations::LoadProfileFileOrDefault() {
  std::lock_guard working(locks_.working());
  profiles_.working.Empty();
  if (!LoadFile(folder_.ProfileFilePath(), profiles_.working)) profiles_.working = ProfileImage::Default();
}

void ProfileOperations::ReloadFromKeyboard(bool quiet) {
  folder_.Ensure();
  const std::u16string path = folder_.ProfileFilePath();
  const int current = commands_.ActiveProfile();
  std::optional<KeyboardContents> contents;
  if (current >= 0) contents = profiles_.ReadKeyboardContents(commands_);

  // The keyboard cannot give back launch and text-block texts, macro names
  // it stored without, or the cycle counts kept in macro keys' entries. So a
  // profile file that would send the keyboard exactly what it holds already
  // describes it, and stays as it is; only a keyboard that holds something
  // else (changed elsewhere) has its contents replace the file.
  //
  // A keyboard that can't be read shows the profile file, not a blank image
  // that the next Apply would save over the file; the default image is for
  // when there is no file either.
  std::optional<ProfileImage> image;
  ProfileImage from_file;
  const bool file_loaded = LoadValidFile(path, from_file);
  if (contents && !(file_loaded && profiles_.ImageMatchesKeyboard(from_file, *contents))) {
    image = profiles_.DecodeKeyboardContents(*contents, language_);
    // What the keyboard holds is shown even when the file can't be written.
    WriteImageFile(*image, path);
  } else if (file_loaded) {
    image = std::move(from_file);
  }
  {
    std::lock_guard working(locks_.working());
    profiles_.working.Empty();
    profiles_.working = image ? std::move(*image) : ProfileImage::Default();
    ui_.ShowCurrentBank(commands_.cached_active_profile());
  }
  if (!quiet) ui_.SetApplyEnabled(false);
}

std::vector<std::u16string> ProfileOperations::ApplyMessages(const ApplyOutcome& outcome) const {
  std::vector<std::u16string> messages;
  if (outcome.macros_too_large) messages.push_back(Text(LangKey::EXTRA_MACRO_TOO_LONG));
  if (outcome.names_dropped) messages.push_back(Text(LangKey::EXTRA_PROFILE_SPACE_TIGHT));
  return messages;
}

bool ProfileOperations::Apply() {
  bool done = false;
  std::vector<std::u16string> messages;
  {
    // No lock is held while the keyboard is written: the transfer sends a
    // snapshot of the image. A missing profile file is nothing to save to,
    // not a failure (the keyboard's next reading writes it).
    folder_.Ensure();
    std::error_code ec;
    const bool has_file = fs::exists(fs::path(folder_.ProfileFilePath()), ec);
    const bool saved = SaveToProfileFile() || !has_file;
    const ApplyOutcome outcome = profiles_.ApplyToKeyboard(commands_, whole_image_owed_);
    messages = ApplyMessages(outcome);
    if (outcome.success) whole_image_owed_ = false;
    done = saved && outcome.success;
  }
  // Messages come last: a message box is a modal loop.
  for (const auto& m : messages) ui_.ShowMessage(m);
  if (done) ui_.SetApplyEnabled(false);
  return done;
}

bool ProfileOperations::Export(const std::u16string& path) {
  std::lock_guard working(locks_.working());
  return WriteImageFile(profiles_.working, path);
}

bool ProfileOperations::Import(const std::u16string& path) {
  const FileCheck check = CheckFile(path);
  if (check.result <= 0) {
    if (check.wrong_format) {
      std::u16string text = Text(LangKey::PROFILE_FORMAT_ERROR);
      const size_t at = text.find(u"%s");
      if (at != std::u16string::npos) text.replace(at, 2, path);
      ui_.ShowMessage(text);
    }
    ui_.ShowMessage(Text(LangKey::MAIN_PROMPT_INPORT));
    return false;
  }
  ProfileImage loaded;
  if (!LoadFile(path, loaded)) {
    // The file changed since it was checked: the working image stays as it was.
    ui_.ShowMessage(Text(LangKey::MAIN_PROMPT_INPORT));
    return false;
  }
  ApplyOutcome outcome;
  std::vector<std::u16string> messages;
  {
    std::lock_guard working(locks_.working());
    profiles_.working.Empty();
    profiles_.working = std::move(loaded);
  }
  SaveToProfileFile();
  outcome = profiles_.ApplyToKeyboard(commands_, true);
  messages = ApplyMessages(outcome);
  // The space message says why by itself; any other failure is told here.
  if (!outcome.success && !outcome.macros_too_large) messages.push_back(Text(LangKey::MAIN_PROMPT_APPLY_FAILED));
  {
    std::lock_guard working(locks_.working());
    ui_.ShowCurrentBank(commands_.cached_active_profile());
  }
  for (const auto& m : messages) ui_.ShowMessage(m);
  // What the keyboard did not take stays pending, for Apply to send again,
  // all three profiles of it.
  whole_image_owed_ = !outcome.success;
  ui_.SetApplyEnabled(!outcome.success);
  return outcome.success;
}

bool ProfileOperations::SwitchProfile(int n) {
  if (n >= 3) n = 0;
  if (ui_.CompositeDialogOpen()) {
    ui_.ShowMessage(Text(LangKey::PROFILE_SEELCT_PROMPT2));
    return false;
  }
  if (!ui_.ManagerHasUnappliedChanges() && !ui_.MainHasUnappliedChanges()) {
    commands_.SetActiveProfile(n);
    if (ui_.ManagerOpen() && n >= 0) ui_.ManagerCheckRow(n);
  } else if (!asking_) {
    asking_ = true;
    const bool save = ui_.AskYesNo(Text(LangKey::PROFILE_SELECT_PROMPT));
    asking_ = false;
    if (save) {
      // The edits stay pending when the keyboard did not take them; they may
      // be in the profile being left, so the next Apply sends all three.
      if (!ui_.RunMainApply()) whole_image_owed_ = true;
    } else {
      ui_.SetApplyEnabled(false);
      if (commands_.cached_active_profile() >= 0) LoadProfileFileOrDefault();
    }
    commands_.SetActiveProfile(n);
  } else {
    commands_.SetActiveProfile(n);
  }
  {
    std::lock_guard working(locks_.working());
    ui_.ShowCurrentBank(commands_.cached_active_profile());
  }
  ui_.RebuildProfileMenu();
  return true;
}

ProfileMenuModel ProfileOperations::ProfileMenu() {
  return BuildProfileMenu(commands_.cached_active_profile(), folder_.ProfileFilePath(), language_);
}

}  // namespace velkor
