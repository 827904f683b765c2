#include "ui/mask_shape.h"

#include <vector>

namespace velkor {

namespace {
constexpr size_t kGrowBy = 100;
}

size_t CollectMaskRuns(std::span<const uint32_t> pixels, int width, int height,
                       const std::function<void(std::span<const MaskRun>)>& add_batch) {
  if (width <= 0 || height <= 0) return 0;
  if (pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) return 0;
  std::vector<MaskRun> runs;
  runs.reserve(kGrowBy);
  size_t total = 0;
  auto inside = [](uint32_t pixel) { return (pixel & 0xFFFFFF) != kMaskOutside; };
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    int x = 0;
    while (x < width) {
      while (x < width && !inside(row[x])) ++x;
      if (x >= width) break;
      const int start = x;
      while (x < width && inside(row[x])) ++x;
      if (runs.size() == runs.capacity()) runs.reserve(runs.capacity() + kGrowBy);
      runs.push_back({start, y, x, y + 1});
      ++total;
      if (runs.size() == kMaskRunBatch) {
        add_batch(runs);
        runs.clear();
      }
    }
  }
  if (!runs.empty()) add_batch(runs);
  return total;
}

}  // namespace velkor
