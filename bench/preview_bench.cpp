// What one lighting preview frame costs, per effect: the frame routine alone,
// without the window's tinting. A frame comes every 50 ms. Prints figures;
// judges nothing.
//
//   host:    build/host/bin/velkor_preview_bench
//   Windows: build/windows/bin/velkor_preview_bench.exe under Wine
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "model/lighting_preview.h"

using namespace velkor;
using Clock = std::chrono::steady_clock;

namespace {

double Us(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

struct Figures {
  double median;
  double p99;
  double max;
};

// Times each of `frames` frames after a selection of the effect.
Figures TimeFrames(const LightingState& state, int frames) {
  LightingPreview preview;
  FixedSeedPreviewRandom random(1);
  PreviewFrame frame;
  preview.MarkForReinitialisation();
  std::vector<double> each;
  each.reserve(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const auto t0 = Clock::now();
    preview.Tick(state, random, frame);
    each.push_back(Us(Clock::now() - t0));
  }
  std::sort(each.begin(), each.end());
  return {each[each.size() / 2], each[each.size() * 99 / 100], each.back()};
}

}  // namespace

int main() {
  constexpr int kFrames = 5000;  // over four minutes of preview
  std::printf("%-7s %-12s %10s %10s %10s\n", "effect", "colour", "median", "99%", "max");
  for (int effect : {1, 3, 4, 5, 6, 10, 11, 12, 13, 14, 15, 16, 18, 20}) {
    for (bool multicolour : {false, true}) {
      LightingState state;
      state.effect = effect;
      state.multicolour = multicolour;
      state.colour = RgbColour(200, 100, 50);
      state.direction = kDirectionSecond;
      const Figures f = TimeFrames(state, kFrames);
      std::printf("%-7d %-12s %8.2fus %8.2fus %8.2fus\n", effect, multicolour ? "multicolour" : "plain", f.median,
                  f.p99, f.max);
    }
  }
  std::printf("one frame of the effect's routine (clock read included), %d frames each after a selection;\n"
              "frames come every 50000us.\n",
              kFrames);
  return 0;
}
