// The decisions of the widget kit's controls, apart from the windows: where
// an image slider stands for a point or a key, and how the colour button and
// its drop-down palette are laid out and hit. The Win32 views only carry
// them out.
#pragma once

#include <array>

namespace velkor {

// Rectangles keep the Win32 convention: right and bottom lie just outside.
struct WidgetRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const WidgetRect&) const = default;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct WidgetPoint {
  int x = 0;
  int y = 0;
  bool operator==(const WidgetPoint&) const = default;
};

// ---- The image slider ----------------------------------------------------

// A slider's range. A range given backwards is turned round, so min <= max
// always holds.
struct SliderRange {
  int min = 0;
  int max = 4;
};
SliderRange MakeSliderRange(int min, int max);
int ClampSliderPos(int pos, const SliderRange& range);

// The position under a point x pixels from the control's left edge: the
// width is cut into (max - min) equal steps and the nearest step wins (a
// point exactly half-way goes up). x <= 0 is min, x >= width - 1 is max, so
// a drag held outside the control stays at its ends.
int SliderPosFromX(int x, int width, const SliderRange& range);

enum class SliderKey { kLeft, kRight, kUp, kDown, kPageUp, kPageDown, kHome, kEnd };

// The position after a key: Left and Down one step back, Right and Up one
// forward, Page Up and Page Down a page back or forward, Home and End the
// ends; always within the range. A negative page counts as none.
int SliderPosAfterKey(SliderKey key, int pos, int page, const SliderRange& range);

// ---- The colour button ---------------------------------------------------

// The button's right part, a grey area the arrow sits on.
inline constexpr unsigned kColourButtonGrey = 0x008B9294;  // RGB(0x94, 0x92, 0x8B)

struct ColourButtonParts {
  // The left part runs from the left edge to min(right, left + width/2 + 5)
  // and carries a 1-pixel outline; the chosen colour fills it inside that
  // outline. Shown only with a colour on an enabled button.
  WidgetRect left_part;
  bool swatch_shown = false;
  WidgetRect swatch;
  // The rest, filled grey and outlined; empty on a button so narrow that the
  // left part takes its whole width.
  WidgetRect grey;
  // The down arrow, filled: (right - 11, mid - 2), (right - 5, mid - 2),
  // (right - 8, mid + 1) with mid = (top + bottom) / 2.
  std::array<WidgetPoint, 3> arrow;
};
ColourButtonParts LayoutColourButton(const WidgetRect& client, bool has_colour, bool enabled);

// The focus rectangle of a button at this place: 3 pixels outside it on
// every side, so it lies on the button's parent.
WidgetRect ColourButtonFocusRect(const WidgetRect& button);

// ---- The drop-down palette -----------------------------------------------

inline constexpr int kPaletteMargin = 4;      // around everything, inside the frame
inline constexpr int kPaletteCell = 16;       // a cell's side
inline constexpr int kPaletteGap = 2;         // between neighbouring cells
inline constexpr int kPaletteOtherGap = 4;    // between the last row and the button
inline constexpr int kPaletteOtherHeight = 22;

// What a point of the palette falls on: a cell's index (>= 0), the "other"
// button, or nothing (a gap, an empty place of the last row, the margins,
// outside the window).
inline constexpr int kPaletteHitNothing = -1;
inline constexpr int kPaletteHitOther = -2;

struct PaletteLayout {
  int count = 0;    // colours
  int columns = 1;  // at least 1
  int rows = 0;     // enough for every colour; the last one may be short
  WidgetRect window;  // the whole palette, its corner at 0,0
  WidgetRect other;   // the full-width button under the cells
};
PaletteLayout LayoutPalette(int count, int columns);
// The cell of a colour (an empty rectangle for an index outside the palette).
WidgetRect PaletteCellRect(const PaletteLayout& layout, int index);
int PaletteHitTest(const PaletteLayout& layout, WidgetPoint point);

enum class PaletteKey { kLeft, kRight, kUp, kDown };
// The highlighted cell after an arrow key. Left and Right go to the previous
// and next colour (across rows); Up and Down a row up or down, Down landing
// on the last colour when the row below is shorter; nothing moves past the
// first or last colour. From no highlight (-1) any arrow lights the first
// colour. -1 when the palette has no colour.
int PaletteMoveHighlight(const PaletteLayout& layout, int current, PaletteKey key);

// Where the palette's top-left corner goes on the screen: under the button,
// its left edges lined up, or above it when under it would leave the work
// area and above does not; shifted sideways to stay within the work area.
// When it fits neither way it keeps to the work area's bottom.
WidgetPoint PlacePalette(const WidgetRect& button, int width, int height, const WidgetRect& work_area);

}  // namespace velkor
