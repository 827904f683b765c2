// A window's shape from its mask picture: every pixel that is not exactly
// white belongs to the window. The mask is walked row by row from the top;
// each run of non-white pixels becomes a one-pixel-high rectangle. Runs are
// handed on in batches of at most 2000, which the Win32 layer turns into a
// region and adds to the window's shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace velkor {

struct MaskRun {
  int left = 0;    // first pixel of the run
  int top = 0;
  int right = 0;   // the white pixel after it (or the width)
  int bottom = 0;  // top + 1
  bool operator==(const MaskRun&) const = default;
};

inline constexpr size_t kMaskRunBatch = 2000;
inline constexpr uint32_t kMaskOutside = 0xFFFFFF;

// pixels: width x height values, rows top first, colour in the low 24 bits
// (0xRRGGBB or 0xBBGGRR alike: only white matters); the top byte is ignored.
// Returns the number of runs.
size_t CollectMaskRuns(std::span<const uint32_t> pixels, int width, int height,
                       const std::function<void(std::span<const MaskRun>)>& add_batch);

}  // namespace velkor
