// The main window's two small dialogs: the modeless about box, and the
// plain skinned dialog that stands in for a window not built yet.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/language_table.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/dialog.h"

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

// A skinned dialog with nothing but its skin, run modally; its OK and Cancel
// end it. on_end is told how it ended.
class StandInDialog : public CBaseDialog {
 public:
  StandInDialog(UINT template_id, HWND parent, IniStore& ini, std::u16string skin, std::u16string skin_folder)
      : CBaseDialog(template_id, parent, ini, std::move(skin), std::move(skin_folder)) {}
  bool IsOpen() const { return hwnd() != nullptr; }
  void Cancel() { OnCancel(); }
  // Runs with the window once it exists (a stand-in marks what it was
  // opened for there).
  std::function<void(HWND)> on_open;

 protected:
  BOOL OnInitDialog() override;
};

}  // namespace velkor
