#include "widgets/widget_geometry.h"

#include <algorithm>
#include <cstdint>

namespace velkor {

namespace {

int ClampToInt(int64_t value, int low, int high) {
  return static_cast<int>(std::clamp<int64_t>(value, low, high));
}

}  // namespace

SliderRange MakeSliderRange(int min, int max) {
  if (max < min) std::swap(min, max);
  return SliderRange{min, max};
}

int ClampSliderPos(int pos, const SliderRange& range) {
  return std::clamp(pos, range.min, range.max);
}

int SliderPosFromX(int x, int width, const SliderRange& range) {
  if (x <= 0 || width <= 0) return range.min;
  if (x >= width - 1) return range.max;
  const int64_t steps = int64_t{range.max} - range.min;
  // The nearest of the step marks 0, width/steps, 2*width/steps ...: round
  // x * steps / width, a half going up.
  const int64_t step = (int64_t{x} * steps * 2 + width) / (int64_t{width} * 2);
  return ClampToInt(int64_t{range.min} + step, range.min, range.max);
}

int SliderPosAfterKey(SliderKey key, int pos, int page, const SliderRange& range) {
  const int64_t from = ClampSliderPos(pos, range);
  const int64_t jump = std::max(page, 0);
  int64_t to = from;
  switch (key) {
    case SliderKey::kLeft:
    case SliderKey::kDown:
      to = from - 1;
      break;
    case SliderKey::kRight:
    case SliderKey::kUp:
      to = from + 1;
      break;
    case SliderKey::kPageUp:
      to = from - jump;
      break;
    case SliderKey::kPageDown:
      to = from + jump;
      break;
    case SliderKey::kHome:
      to = range.min;
      break;
    case SliderKey::kEnd:
      to = range.max;
      break;
  }
  return ClampToInt(to, range.min, range.max);
}

ColourButtonParts LayoutColourButton(const WidgetRect& client, bool has_colour, bool enabled) {
  ColourButtonParts parts;
  const int width = std::max(client.width(), 0);
  const int split = std::min(client.right, client.left + width / 2 + 5);
  parts.left_part = WidgetRect{client.left, client.top, split, client.bottom};
  parts.swatch = WidgetRect{client.left + 1, client.top + 1, split - 1, client.bottom - 1};
  parts.swatch_shown = has_colour && enabled && !parts.swatch.empty();
  if (split < client.right) parts.grey = WidgetRect{split, client.top, client.right, client.bottom};
  const int mid = (client.top + client.bottom) / 2;
  parts.arrow = {WidgetPoint{client.right - 11, mid - 2}, WidgetPoint{client.right - 5, mid - 2},
                 WidgetPoint{client.right - 8, mid + 1}};
  return parts;
}

WidgetRect ColourButtonFocusRect(const WidgetRect& button) {
  return WidgetRect{button.left - 3, button.top - 3, button.right + 3, button.bottom + 3};
}

PaletteLayout LayoutPalette(int count, int columns) {
  PaletteLayout layout;
  layout.count = std::max(count, 0);
  layout.columns = std::max(columns, 1);
  layout.rows = (layout.count + layout.columns - 1) / layout.columns;
  const int cells_width = layout.columns * kPaletteCell + (layout.columns - 1) * kPaletteGap;
  const int cells_height = layout.rows > 0 ? layout.rows * kPaletteCell + (layout.rows - 1) * kPaletteGap : 0;
  const int other_top = kPaletteMargin + cells_height + (layout.rows > 0 ? kPaletteOtherGap : 0);
  layout.window = WidgetRect{0, 0, cells_width + 2 * kPaletteMargin,
                             other_top + kPaletteOtherHeight + kPaletteMargin};
  layout.other = WidgetRect{kPaletteMargin, other_top, layout.window.right - kPaletteMargin,
                            other_top + kPaletteOtherHeight};
  return layout;
}

WidgetRect PaletteCellRect(const PaletteLayout& layout, int index) {
  if (index < 0 || index >= layout.count) return WidgetRect{};
  const int column = index % layout.columns;
  const int row = index / layout.columns;
  const int left = kPaletteMargin + column * (kPaletteCell + kPaletteGap);
  const int top = kPaletteMargin + row * (kPaletteCell + kPaletteGap);
  return WidgetRect{left, top, left + kPaletteCell, top + kPaletteCell};
}

int PaletteHitTest(const PaletteLayout& layout, WidgetPoint point) {
  if (layout.other.contains(point.x, point.y)) return kPaletteHitOther;
  const int x = point.x - kPaletteMargin;
  const int y = point.y - kPaletteMargin;
  if (x < 0 || y < 0) return kPaletteHitNothing;
  constexpr int kPitch = kPaletteCell + kPaletteGap;
  const int column = x / kPitch;
  const int row = y / kPitch;
  if (column >= layout.columns || row >= layout.rows) return kPaletteHitNothing;
  if (x % kPitch >= kPaletteCell || y % kPitch >= kPaletteCell) return kPaletteHitNothing;
  const int index = row * layout.columns + column;
  return index < layout.count ? index : kPaletteHitNothing;
}

int PaletteMoveHighlight(const PaletteLayout& layout, int current, PaletteKey key) {
  if (layout.count <= 0) return -1;
  if (current < 0 || current >= layout.count) return 0;
  const int last = layout.count - 1;
  switch (key) {
    case PaletteKey::kLeft:
      return std::max(current - 1, 0);
    case PaletteKey::kRight:
      return std::min(current + 1, last);
    case PaletteKey::kUp:
      return current >= layout.columns ? current - layout.columns : current;
    case PaletteKey::kDown:
      if (current + layout.columns <= last) return current + layout.columns;
      // The row below is shorter than this column: its last colour.
      return current / layout.columns < last / layout.columns ? last : current;
  }
  return current;
}

WidgetPoint PlacePalette(const WidgetRect& button, int width, int height, const WidgetRect& work_area) {
  WidgetPoint corner{button.left, button.bottom};
  if (button.bottom + height > work_area.bottom) {
    if (button.top - height >= work_area.top) {
      corner.y = button.top - height;
    } else {
      corner.y = std::max(work_area.top, work_area.bottom - height);
    }
  }
  if (corner.x + width > work_area.right) corner.x = work_area.right - width;
  if (corner.x < work_area.left) corner.x = work_area.left;
  return corner;
}

}  // namespace velkor
