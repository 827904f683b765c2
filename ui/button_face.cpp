#include "ui/button_face.h"

#include <cmath>

namespace velkor {

FaceSheet ChooseFaceSheet(const FaceState& state) {
  if (state.window_disabled) return FaceSheet::kDisabled;
  if (state.alternative_mode) {
    return state.alternative_selector ? FaceSheet::kAlternative2 : FaceSheet::kAlternative1;
  }
  if (state.down) return FaceSheet::kDown;
  if (state.hover) return FaceSheet::kOver;
  if (state.checked) return FaceSheet::kChecked;
  return FaceSheet::kNormal;
}

TextBox RotatedCaptionBox(const TextBox& client, int tenths, int cx, int cy) {
  constexpr double kPi = 3.14159265358979323846;
  const double theta = tenths / 10.0 * kPi / 180.0;
  const int a = static_cast<int>(std::trunc(std::cos(theta) * cx));
  const int b = static_cast<int>(std::trunc(std::sin(theta) * cx));
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  TextBox box = client;
  if (a < width) {
    box.left += (width - a) / 2;
    box.left -= static_cast<int>(std::trunc(std::sin(theta) * cy * 0.5));
  }
  if (b < height) {
    box.bottom -= (height - b) / 2;
    box.bottom += static_cast<int>(std::trunc(std::cos(theta) * cy * 0.5));
  }
  return box;
}

}  // namespace velkor
