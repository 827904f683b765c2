// The firmware update dialog (template 149): the person picks the external
// updater program, and Update puts the keyboard into its boot mode and starts
// that program; Backup first saves the settings to a profile file. What
// Update does step by step is StartUpdate's (editors/update_rules.h); this is
// the skinned window around it.
//
// The main window keeps one object for the whole run and opens it modally;
// the chosen updater's path lives in that object, so it is empty at start,
// kept between openings, and emptied once an update was tried and by the
// cancel-update button.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "editors/update_rules.h"
#include "platform/ini_store.h"
#include "ui/language_table.h"
#include "ui/win32/base_dialog.h"

namespace velkor {

class ColorStatic;
class SkinnedControls;

struct UpdateDialogContext {
  IniStore& ini;
  std::u16string skin_file;       // Skins\UpdateDlg.ini
  std::u16string skin_folder;     // its folder
  std::u16string package_folder;  // the program's Package folder
  LanguageTable* language;        // null: the built-in texts
  // False when the boot-mode request could not be written (the keyboard
  // busy counts so).
  std::function<bool()> enter_boot_mode = {};
  // Writes the working profile image to a file; false when it was not written.
  std::function<bool(const std::u16string& path)> backup = {};
  std::function<void()> open_help = {};
};

class CVelkor_DlgUpdate : public CBaseDialog {
 public:
  CVelkor_DlgUpdate(HWND parent, UpdateDialogContext context);
  ~CVelkor_DlgUpdate() override;

  // Runs the dialog modally and returns how it ended (IDCANCEL, or -1 when
  // it could not be made); while it is open already, returns -1 at once.
  INT_PTR Open();
  bool IsOpen() const { return running_ || hwnd() != nullptr; }
  // Closes it as Cancel does (the program's end).
  void Cancel();

  const std::u16string& chosen_path() const { return chosen_path_; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override;
  bool OnCommand(int id, int notification) override;

 private:
  class Host;

  void ChooseUpdater();
  void Update();
  void Backup();
  // The chosen path in the list box, which is shown, and the window redrawn.
  void ShowChosenPath();
  void Tell(LangKey text);

  UpdateDialogContext context_;
  std::u16string chosen_path_;
  bool running_ = false;
  // Made again for every opening: they attach to that opening's controls.
  std::unique_ptr<SkinnedControls> controls_;
  std::unique_ptr<ColorStatic> status_;
};

}  // namespace velkor
