// preview_frames: what the main window's lighting preview shows, frame by
// frame, as text.
//
//   preview_frames EFFECT FRAMES [--multicolour] [--direction 0|255] [--colour RRGGBB]
//
// Runs the preview engine the way the window does after an effect selection
// (the selection's frame at once, then one tick of timer 1052 per frame),
// with a fixed sequence of random hues so that two runs print the same, and
// prints FRAMES lines, one a frame:
//
//   tints 1022:FF8000 1010:- ...   a tint (red, green, blue in hex) or "-" for
//                                   none, for every lit key in LitKeys() order
//                                   (the 104 panel keys, G1..G9, Fn)
//   clear 1022:- 1010:- ...        every tint taken off
//   leave                          nothing touched: the keys keep what they show
//
// The settings not given are those a keyboard has after restoring its
// defaults: one colour (red), direction 0.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "model/lighting.h"
#include "model/lighting_preview.h"

namespace {

using namespace velkor;

constexpr int kMaxFrames = 100000;     // well over an hour of preview
constexpr uint32_t kRandomSeed = 1;

constexpr const char* kUsage =
    "usage: preview_frames EFFECT FRAMES [--multicolour] [--direction 0|255] [--colour RRGGBB]\n"
    "  EFFECT 0..255, FRAMES 1..100000\n";

// A whole decimal number within [low, high], nothing else in the text.
bool ParseNumber(std::string_view text, int low, int high, int& out) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (text.empty() || error != std::errc() || stop != end || value < low || value > high) return false;
  out = value;
  return true;
}

// Exactly six hex digits, red first.
bool ParseColour(std::string_view text, Colour& out) {
  if (text.size() != 6) return false;
  uint32_t rgb = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, rgb, 16);
  if (error != std::errc() || stop != end) return false;
  out = RgbColour(static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF), static_cast<int>(rgb & 0xFF));
  return true;
}

struct Options {
  LightingState state;
  int frames = 0;
};

bool ParseArguments(int argc, char** argv, Options& options) {
  if (argc < 3) return false;
  if (!ParseNumber(argv[1], 0, 255, options.state.effect)) return false;
  if (!ParseNumber(argv[2], 1, kMaxFrames, options.frames)) return false;
  options.state.colour = kRed;
  options.state.direction = kDirectionSecond;
  options.state.multicolour = false;
  for (int i = 3; i < argc; ++i) {
    const std::string_view word = argv[i];
    const bool has_value = i + 1 < argc;
    if (word == "--multicolour") {
      options.state.multicolour = true;
    } else if (word == "--direction" && has_value) {
      const std::string_view value = argv[++i];
      if (value == "0") options.state.direction = kDirectionSecond;
      else if (value == "255") options.state.direction = kDirectionFirst;
      else return false;
    } else if (word == "--colour" && has_value) {
      if (!ParseColour(argv[++i], options.state.colour)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// One frame as its line, built whole so that a line is either written or not.
void FormatFrame(const PreviewFrame& frame, std::string& line) {
  line.clear();
  if (frame.kind == PreviewFrameKind::kLeave) {
    line += "leave\n";
    return;
  }
  const bool tints = frame.kind == PreviewFrameKind::kTints;
  line += tints ? "tints" : "clear";
  const auto& keys = LitKeys();
  char piece[24];
  for (size_t i = 0; i < keys.size(); ++i) {
    const Colour tint = tints ? frame.tints[i] : kNoTint;
    if (tint == kNoTint) {
      std::snprintf(piece, sizeof piece, " %d:-", keys[i].control);
    } else {
      std::snprintf(piece, sizeof piece, " %d:%02X%02X%02X", keys[i].control, RedOf(tint), GreenOf(tint),
                    BlueOf(tint));
    }
    line += piece;
  }
  line += '\n';
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  LightingPreview preview;
  FixedSeedPreviewRandom random(kRandomSeed);
  PreviewFrame frame;
  std::string line;
  line.reserve(16 * kLitKeyCount);
  // The selection: marked for the next tick, and its frame drawn at once.
  preview.MarkForReinitialisation();
  for (int n = 0; n < options.frames; ++n) {
    if (n == 0) preview.Frame(options.state, random, frame);
    else preview.Tick(options.state, random, frame);
    FormatFrame(frame, line);
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) break;
  }
  // A reader that went away, or a full disk, is a failure, not a short success.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("preview_frames: could not write the frames\n", stderr);
    return 1;
  }
  return 0;
}
