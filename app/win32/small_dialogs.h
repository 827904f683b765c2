// The main window's small dialog: the modeless about box.
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

}  // namespace velkor
