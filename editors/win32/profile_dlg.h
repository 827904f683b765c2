// The profile manager: a modal skinned dialog (template 131) listing the
// profile files, one of whose first three rows can be checked to choose the
// keyboard's hardware profile. The main window owns one for the whole run;
// what Apply does to the settings and the keyboard is the main window's
// (it runs on the keyboard thread), given here as a function.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editors/profile_manager_rules.h"
#include "ui/language_table.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/skinned_controls.h"
#include "widgets/win32/report_ctrl.h"

namespace velkor {

struct ProfileManagerContext {
  IniStore& ini;
  std::u16string skin_file;    // Skins\Profile.ini
  std::u16string skin_folder;  // Skins
  LanguageTable* language;
  // The profile file all three hardware profiles share, and its folder
  // (made sure to exist).
  std::function<std::u16string()> profile_file;
  std::function<std::u16string()> profile_folder;
  // The keyboard's profile as last read; -1 for none.
  std::function<int()> current_profile;
  // A new profile file holding the default image.
  std::function<bool(const std::u16string& path)> write_default_file;
  // The rows and the hardware profile the checked row asks for (-1: none);
  // false when it could not be done now (Apply then stays enabled).
  std::function<bool(const std::vector<ProfileRow>& rows, int profile)> apply;
  std::function<void()> open_help;
};

class CVelkor_DlgProfile : public CBaseDialog {
 public:
  CVelkor_DlgProfile(HWND parent, ProfileManagerContext context);

  // Runs the dialog modally; nothing while it is open already.
  INT_PTR Open();
  bool IsOpen() const { return hwnd() != nullptr; }
  // 1 while the dialog is shown, 0 otherwise (read by the keyboard thread).
  int open_count() const { return open_.load(); }
  // Unapplied changes: Apply is enabled (read by the keyboard thread).
  bool changed() const { return changed_.load(); }
  // A profile switch made elsewhere: its row checked, Apply disabled.
  void CheckRow(int row);
  // The keyboard job of an Apply ended: the keyboard's profile checked; a
  // failed one leaves Apply enabled.
  void ApplyFinished(bool succeeded, int profile);
  void Cancel() { OnCancel(); }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override;
  bool OnCommand(int id, int notification) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  std::u16string Text(LangKey key) const;
  void FillList();
  void AppendFile(const std::u16string& path);
  std::vector<ProfileRow> Rows() const;
  std::optional<std::u16string> ChooseFile(bool save);
  void Add();
  void Load();
  void Delete();
  // False when it could not be done now (a keyboard job runs).
  bool Apply();
  void SetChanged(bool changed);

  ProfileManagerContext context_;
  // Made again on every opening: its buttons belong to that opening's window.
  std::unique_ptr<SkinnedControls> controls_;
  CReportCtrl list_;
  // What each row stands for (see ProfileOfCheckedRow), beside the rows.
  std::vector<int> row_profiles_;
  std::atomic<bool> changed_{false};
  std::atomic<int> open_{0};
  bool filled_ = false;
};

}  // namespace velkor
