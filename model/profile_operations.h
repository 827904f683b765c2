// The profile operations the windows call: the per-user folder and its
// profile file, saving, downloading from and reloading from the keyboard,
// import and export on a chosen path, switching the current profile, and the
// profile menu's contents. What they show or ask goes through ProfileUi.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "device/commands.h"
#include "model/profiles.h"
#include "ui/language_table.h"

namespace velkor {

class ProfileUi {
 public:
  virtual ~ProfileUi() = default;
  virtual void ShowCurrentBank(int bank) = 0;           // the keyboard panel
  virtual void SetApplyEnabled(bool enabled) = 0;       // the main window's Apply
  virtual void ShowMessage(const std::u16string& text) = 0;
  virtual bool AskYesNo(const std::u16string& question) = 0;  // No is the default
  virtual bool CompositeDialogOpen() = 0;
  virtual bool MainHasUnappliedChanges() = 0;
  virtual bool ManagerHasUnappliedChanges() = 0;
  virtual bool ManagerOpen() = 0;
  virtual void ManagerCheckRow(int row) = 0;            // and disable its Apply
  virtual bool RunMainApply() = 0;                      // control 1006, waited for; true when it all went
  virtual void RebuildProfileMenu() = 0;
};

// The folder QN582 in the user's documents folder, and the one profile file
// "$Profile0" in it that holds all three profiles.
class ProfileFolder {
 public:
  // on_created runs once the folder had to be made (the lighting files go in).
  ProfileFolder(std::u16string documents, std::function<void(const std::u16string&)> on_created = {});
  const std::u16string& folder() const { return folder_; }
  std::u16string ProfileFilePath() const;
  // Makes the folder when it is missing; false when it can't be made.
  bool Ensure();

 private:
  std::u16string folder_;
  std::function<void(const std::u16string&)> on_created_;
};

struct ProfileMenuItem {
  int id = 0;  // 0 for the separator
  std::u16string text;
  bool checked = false;
};
struct ProfileMenuModel {
  std::vector<ProfileMenuItem> items;
  std::u16string button_text;  // the profile button's caption
  std::u16string tooltip;
};
inline constexpr int kDefaultProfileCommand = 9000;
ProfileMenuModel BuildProfileMenu(int current_profile, const std::u16string& profile_file,
                                  const LanguageTable* language);

class ProfileOperations {
 public:
  ProfileOperations(Profiles& profiles, ImageLocks& locks, DeviceCommands& commands, ProfileFolder& folder,
                    ProfileUi& ui, const LanguageTable* language)
      : profiles_(profiles), locks_(locks), commands_(commands), folder_(folder), ui_(ui), language_(language) {}

  // Writes the working image to the profile file only when that file exists.
  bool SaveToProfileFile();
  // The keyboard's contents into a profile file at path.
  bool DownloadFromKeyboard(const std::u16string& path);
  void ReloadFromKeyboard(bool quiet);
  // The main window's Apply: save, then send the current profile (all
  // three while an earlier transfer of the whole image is still owed).
  bool Apply();
  // Import from a chosen file: checked, loaded, saved, sent with all profiles.
  // True when the keyboard took it; otherwise Apply stays enabled.
  bool Import(const std::u16string& path);
  bool Export(const std::u16string& path);
  bool SwitchProfile(int n);
  ProfileMenuModel ProfileMenu();

 private:
  std::u16string Text(LangKey key) const;
  void LoadProfileFileOrDefault();
  std::vector<std::u16string> ApplyMessages(const ApplyOutcome& outcome) const;

  Profiles& profiles_;
  ImageLocks& locks_;
  DeviceCommands& commands_;
  ProfileFolder& folder_;
  ProfileUi& ui_;
  const LanguageTable* language_;
  bool asking_ = false;
  // An import, or the save before a profile switch, that the keyboard did not
  // take leaves edits in profiles the next Apply would not otherwise send.
  bool whole_image_owed_ = false;
};

}  // namespace velkor
