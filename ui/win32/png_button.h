// An owner-drawn button whose face is cut out of shared state sheets: the
// piece under its own rectangle, from the sheet that matches its state
// (disabled, alternative images, pressed, hover, checked, normal). It can
// draw its caption (straight or turned), a frame instead of the face, and a
// tooltip. It is attached to a button of a dialog template.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/button_face.h"
#include "ui/win32/gdi.h"

namespace velkor {

class StateSheet;

class CPngButton {
 public:
  using DrawCallback = std::function<void(HWND button, bool normal_sheet_drawn)>;

  CPngButton() = default;
  virtual ~CPngButton();
  CPngButton(const CPngButton&) = delete;
  CPngButton& operator=(const CPngButton&) = delete;

  // Takes over the dialog's control (adds the owner-draw style).
  bool Attach(HWND dialog, int control_id);
  HWND hwnd() const { return hwnd_; }
  // The button behind a control, if it is one of ours.
  static CPngButton* FromHandle(HWND hwnd);

  void SetSheetsAndSource(int x, int y, const StateSheet* normal, const StateSheet* over, const StateSheet* down,
                          const StateSheet* disabled, const StateSheet* checked, bool redraw);
  void SetSheets(const StateSheet* normal, const StateSheet* over, const StateSheet* down,
                 const StateSheet* disabled, const StateSheet* checked, bool redraw);
  void SetAlternativeImages(const StateSheet* image1, const StateSheet* image2, bool mode, bool selector,
                            bool redraw);
  void SetChecked(bool checked, bool redraw);
  // The tint: the colour laid over the face at the percentage, framed by a
  // 2-pixel line of the colour. Redraws when anything changed.
  void SetFramed(COLORREF colour, int percent, bool framed);
  // The same without drawing: true when anything changed. An animation then
  // draws the changed buttons itself (DrawInto), all in one go.
  bool ChangeFramed(COLORREF colour, int percent, bool framed);
  // Draws the button's face into a DC whose origin is the button's corner.
  void DrawInto(HDC dc);
  void SetTextStyle(bool show, int size, std::wstring face, COLORREF colour, UINT format);
  void SetRotation(int tenths, bool rotated);
  // Keeps the caption this far from the right and bottom edges (0 at first).
  void SetTextInsets(int right, int bottom) {
    text_inset_right_ = right;
    text_inset_bottom_ = bottom;
  }
  // An empty text changes nothing.
  void SetTooltip(const std::wstring& text, bool activate);
  void SetDrawCallback(DrawCallback callback) { draw_callback_ = std::move(callback); }

  bool checked() const { return checked_; }
  bool hover() const { return hover_; }
  bool down() const { return down_; }
  int source_x() const { return source_x_; }
  int source_y() const { return source_y_; }
  int framed_percent() const { return framed_percent_; }
  bool framed() const { return framed_; }
  COLORREF framed_colour() const { return framed_colour_; }
  HWND tooltip() const { return tooltip_; }
  // The sheet the next draw uses.
  FaceSheet CurrentSheet() const;

  // From the owner's WM_DRAWITEM.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);

 protected:
  virtual void PreSubclassWindow();
  // Returns true when the message was handled; result is then the answer.
  virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR data);
  void Redraw(bool now);
  void Draw(HDC dc, const RECT& client);
  void DrawCaption(HDC dc, const RECT& client);
  void EnsureTooltip();
  // A 32-bit picture of the button's size to build a tinted face in (kept).
  HDC Scratch(HDC like, int width, int height);
  const StateSheet* SheetFor(FaceSheet sheet) const;

  HWND hwnd_ = nullptr;
  const StateSheet* normal_ = nullptr;
  const StateSheet* over_ = nullptr;
  const StateSheet* down_sheet_ = nullptr;
  const StateSheet* disabled_ = nullptr;
  const StateSheet* checked_sheet_ = nullptr;
  const StateSheet* alternative1_ = nullptr;
  const StateSheet* alternative2_ = nullptr;
  bool alternative_mode_ = false;
  bool alternative_selector_ = false;
  int source_x_ = 1;
  int source_y_ = 1;
  bool hover_ = false;
  bool tracking_ = false;
  bool down_ = false;
  bool checked_ = false;
  bool framed_ = false;
  COLORREF framed_colour_ = 0;
  int framed_percent_ = 0;
  bool show_text_ = false;
  int text_size_ = 8;
  std::wstring text_face_ = L"Tahoma";
  COLORREF text_colour_ = 0;
  UINT text_format_ = 37;  // DT_SINGLELINE | DT_VCENTER | DT_CENTER
  int text_inset_right_ = 0;
  int text_inset_bottom_ = 0;
  int rotation_ = 0;
  bool rotated_ = false;
  std::wstring tooltip_text_;
  bool tooltip_active_ = true;
  HWND tooltip_ = nullptr;
  bool tool_added_ = false;
  DrawCallback draw_callback_;
  // The picture a tinted face is built in; its DC, declared after it, goes
  // first and lets the picture go.
  UniqueBitmap scratch_bitmap_;
  UniqueMemoryDc scratch_dc_;
  uint32_t* scratch_bits_ = nullptr;
  int scratch_width_ = 0;
  int scratch_height_ = 0;
};

}  // namespace velkor
