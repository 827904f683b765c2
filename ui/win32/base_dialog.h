// The base of every skinned window: no title bar or frame, its size, shape
// and background from the images its skin file names, dragged by any point of
// its surface, and helpers that place its controls from the skin file.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "platform/ini_store.h"
#include "ui/skin_layout.h"
#include "ui/win32/dialog.h"
#include "ui/win32/gdi.h"

namespace velkor {

class CPngButton;
class StateSheet;

// Normal, over, pressed, disabled, checked.
using SheetSet = std::array<const StateSheet*, 5>;

class CBaseDialog : public CDialog {
 public:
  CBaseDialog(UINT template_id, HWND parent, IniStore& ini, std::u16string ini_path, std::u16string skin_folder);
  ~CBaseDialog() override;

  INT_PTR DoModal() { return CDialog::DoModal(parent_); }
  bool Create() { return CDialog::Create(parent_); }

  const SkinFile& skin() const { return skin_; }
  const std::u16string& skin_folder() const { return skin_.folder(); }
  HBITMAP background() const { return background_.get(); }
  HBITMAP mask() const { return mask_.get(); }
  bool busy() const { return busy_; }
  SIZE ClientSize() const;

  // An image button: moved to (x, y) with size w x h without repainting, its
  // five sheets and source point set, disabled when placed at (1, 1).
  void SkinImageButton(CPngButton& button, std::u16string_view key, const SheetSet& sheets);
  // A plain control: moved and sized without repainting.
  void SkinPlainControl(int control_id, std::u16string_view key);
  // Moved to (x, y), keeping its size, and repainted.
  void SkinPositionOnly(int control_id, std::u16string_view key);
  // An arrow picture: its rectangle from key, its source point from
  // source_key of BUTTONINFO2, the same sheet for all five states.
  void SkinArrow(CPngButton& button, std::u16string_view key, std::u16string_view source_key,
                 const StateSheet* sheet);

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override;
  virtual void DoDataExchange() {}
  // Commands other than OK and Cancel; true when handled.
  virtual bool OnCommand(int id, int notification) { return false; }
  virtual void OnOK();
  virtual void OnCancel();

  // Loads the background and mask, sizes and shapes the window. A picture
  // that cannot be loaded ends the program.
  void ApplySkin();
  void ReleaseSkinImages();
  // What a window draws on its surface over the skin's background.
  virtual void PaintOver(HDC dc) {}

 private:
  void PaintBackground(HDC dc);

  // Edits, combo boxes and their lists in the skin's colours.
  HBRUSH FieldColours(HDC dc);

  HWND parent_;
  UniqueBrush field_brush_;
  UniqueBitmap background_;
  UniqueBitmap mask_;
  SkinFile skin_;
  bool busy_ = false;
};

}  // namespace velkor
