// A colour button with a drop-down palette, over an owner-drawn button
// (BS_OWNERDRAW in a dialog template). It paints itself, so its parent needs
// no WM_DRAWITEM code: the chosen colour on the left, a grey part with a down
// arrow on the right (widget_geometry.h has the exact layout). A click, or
// Space / Enter while it has the focus, drops its palette down: a popup of
// colour cells and an "other" button that opens the system colour dialog.
// A colour a person chooses is taken and sent to the parent as a WM_COMMAND
// with kColourChosenNotification.
//
// The focus rectangle lies 3 pixels outside the button, on the parent, where
// the button's own painting cannot reach: the button draws no focus mark
// itself. A parent that shows it calls DrawFocus from its own WM_PAINT; the
// button invalidates that rectangle of the parent whenever it gains or loses
// the focus, so the parent's paint keeps it right.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/win32/subclass_wnd.h"
#include "widgets/widget_geometry.h"

namespace velkor {

// The WM_COMMAND notification code of a chosen colour: wParam =
// MAKEWPARAM(id, kColourChosenNotification), lParam = the button. Well clear
// of the BN_* codes.
inline constexpr WORD kColourChosenNotification = 0x0A01;

class CSkinColorBtn : public CSubclassWnd {
 public:
  CSkinColorBtn();
  ~CSkinColorBtn() override;

  // Hooks the button's painting, mouse and keys; false when it cannot be
  // hooked.
  bool Attach(HWND button);
  HWND hwnd() const { return hooked_window(); }

  // The colour shown; both repaint the button at once.
  void SetColour(COLORREF colour);
  void SetNoColour();
  bool has_colour() const { return has_colour_; }
  COLORREF colour() const { return colour_; }

  // The text of the palette's "other" button.
  void SetOtherButtonText(std::wstring text) { other_text_ = std::move(text); }
  const std::wstring& other_button_text() const { return other_text_; }
  // Cells per palette row (at least 1; 10 at first).
  void SetColumns(int columns) { columns_ = columns < 1 ? 1 : columns; }
  int columns() const { return columns_; }
  // The palette's colours (40 at first: four rows of ten).
  void SetPalette(std::vector<COLORREF> colours) { palette_ = std::move(colours); }
  const std::vector<COLORREF>& palette() const { return palette_; }
  static std::vector<COLORREF> DefaultPalette();

  // Drops the palette down and runs it until it closes; returns true when a
  // colour was chosen (it is then taken and the parent told). Nothing happens
  // on a disabled or hidden button, or while a palette is open.
  bool DropDown();
  // The palette open now, or nullptr.
  static HWND OpenPaletteWindow();
  // The palette's layout for this button's colours and columns.
  PaletteLayout Layout() const;

  // The focus rectangle in the parent's client coordinates; false (and
  // nothing drawn) while the button does not have the focus.
  bool FocusRectInParent(RECT& rect) const;
  void DrawFocus(HDC parent_dc) const;

  // Paints the button into a DC whose origin is its client corner.
  void DrawInto(HDC dc) const;

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  struct Session;

  void Repaint();
  void InvalidateFocusRect();
  // Shows the palette and runs its loop until it closes; the colour of the
  // cell chosen, if any. Touches only the session, never the button object.
  static std::optional<COLORREF> RunPalette(Session& session);
  // Takes the colour and tells the parent.
  void Choose(COLORREF colour);

  COLORREF colour_ = 0;
  bool has_colour_ = false;
  std::wstring other_text_ = L"Other...";
  int columns_ = 10;
  std::vector<COLORREF> palette_;
  bool pressed_ = false;
  // Set while a palette or the colour dialog runs: the destructor tells it
  // that this object is gone.
  Session* session_ = nullptr;
};

}  // namespace velkor
