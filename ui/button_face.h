// The decisions behind an image button's face: which state sheet it shows,
// and where a rotated caption goes. The drawing itself is the Win32 layer's.
#pragma once

namespace velkor {

enum class FaceSheet { kNormal, kOver, kDown, kDisabled, kChecked, kAlternative1, kAlternative2 };

struct FaceState {
  bool window_disabled = false;
  bool alternative_mode = false;
  bool alternative_selector = false;
  bool down = false;
  bool hover = false;
  bool checked = false;
};

// First match wins: disabled, the alternative images, pressed, hover,
// checked, normal.
FaceSheet ChooseFaceSheet(const FaceState& state);

struct TextBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const TextBox&) const = default;
};

// The caption rectangle of a button whose text is drawn at an angle (tenths
// of a degree): with the text's extent cx x cy, a = trunc(cos t * cx) and
// b = trunc(sin t * cx). When a is less than the width the left edge moves
// right by (width - a) / 2 less trunc(sin t * cy / 2); when b is less than
// the height the bottom edge moves up by (height - b) / 2 and down by
// trunc(cos t * cy / 2).
TextBox RotatedCaptionBox(const TextBox& client, int tenths, int cx, int cy);

}  // namespace velkor
