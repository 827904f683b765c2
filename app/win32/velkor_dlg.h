// The main window: a hidden skinned dialog on template 102 that carries the
// main-window marker, shows itself on SP/OPEN and ends the program on
// MK/KILL. Its shape, background and buttons come from Skins\Main.ini.
#pragma once

#include <memory>

#include "ui/win32/base_dialog.h"
#include "ui/win32/skinned_controls.h"

namespace velkor {

inline constexpr UINT kMainDialogTemplate = 102;
inline constexpr UINT kMainIcon = 128;

class CVelkorDlg : public CBaseDialog {
 public:
  CVelkorDlg();
  ~CVelkorDlg() override;

  // The one routine that ends the program: releases what the run holds and
  // ends the modal loop.
  void Shutdown();

  bool pending_changes() const { return pending_changes_; }
  void set_pending_changes(bool value) { pending_changes_ = value; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override;

 private:
  void ShowMainWindow();
  // Binds the HID service library, starts the reads and counts keyboards.
  void BindDeviceLink();

  SkinnedControls controls_;
  HICON icon_ = nullptr;
  bool pending_changes_ = false;
  bool shut_down_ = false;
};

}  // namespace velkor
