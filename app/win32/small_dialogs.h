// The main window's two small dialogs: the modeless about box, and the
// plain skinned dialog that stands in for a window not built yet.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/language_table.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/dialog.h"
#include "ui/win32/skinned_controls.h"

namespace velkor {

// Template 100, modeless; OK and Cancel destroy it (hiding it only if that
// fails), so the next request makes it again.
class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(LanguageTable* language) : CDialog(100), language_(language) {}
  // Shows the box; nothing happens while it exists already.
  void Open(HWND owner);
  bool IsOpen() const { return hwnd() != nullptr; }
  void Close();

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override;

 private:
  LanguageTable* language_;
};

// A skinned dialog with nothing but its skin and its OK and Cancel, run
// modally; OK, Cancel and Escape end it.
class StandInDialog : public CBaseDialog {
 public:
  // window: whose skin plan gives OK's and Cancel's place and faces.
  StandInDialog(SkinWindow window, HWND parent, IniStore& ini, std::u16string skin, std::u16string skin_folder,
                LanguageTable* language);
  bool IsOpen() const { return hwnd() != nullptr; }
  void Cancel() { OnCancel(); }
  // Runs with the window once it exists (a stand-in marks what it was
  // opened for there).
  std::function<void(HWND)> on_open;

 protected:
  BOOL OnInitDialog() override;

 private:
  SkinWindowPlan plan_;  // the window's plan cut down to OK and Cancel
  SkinnedControls controls_;
  LanguageTable* language_;
};

}  // namespace velkor
