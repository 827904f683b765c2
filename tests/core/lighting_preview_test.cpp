// The lighting preview: its tables against the key tables, each effect's
// frames against values worked out by hand from the tables and phase steps,
// the reactive effects' levels, ripples and restarts, and the first ten
// frames of every effect pinned as hashes.
#include "model/lighting_preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <set>
#include <vector>

#include "resources/resource.h"

namespace velkor {
namespace {

LightingState StateFor(int effect, bool multicolour = false, uint8_t direction = kDirectionFirst,
                       Colour colour = kWhite) {
  LightingState state;
  state.effect = effect;
  state.multicolour = multicolour;
  state.direction = direction;
  state.colour = colour;
  return state;
}

Colour TintOf(const PreviewFrame& frame, int control) {
  return frame.tints[static_cast<size_t>(LitKeyIndex(control))];
}

// With a white colour and no multicolour, a key's tint is grey at its level.
Colour Grey(int level) { return RgbColour(level, level, level); }

// The keys drawn at `level` this frame.
std::set<int> KeysAt(const PreviewFrame& frame, int level) {
  std::set<int> keys;
  for (size_t i = 0; i < frame.tints.size(); ++i) {
    if (frame.tints[i] == Grey(level)) keys.insert(LitKeys()[i].control);
  }
  return keys;
}

std::set<int> SnakeControls() {
  std::set<int> controls;
  for (const SnakeKey& key : SnakeOrder()) controls.insert(key.control);
  return controls;
}

struct Runner {
  LightingPreview preview;
  FixedSeedPreviewRandom random{7};
  PreviewFrame frame;

  const PreviewFrame& Next(const LightingState& state) {
    preview.Frame(state, random, frame);
    return frame;
  }
  // What the window does on an effect selection: mark, one frame at once; the next tick restarts.
  const PreviewFrame& Select(const LightingState& state) {
    preview.MarkForReinitialisation();
    return Next(state);
  }
  const PreviewFrame& Tick(const LightingState& state) {
    preview.Tick(state, random, frame);
    return frame;
  }
};

// ---- Tables --------------------------------------------------------------------------

TEST(LightingPreviewTables, WheelHuesAndCurvesHoldTheirEdges) {
  const auto wheel = ColourWheel();
  EXPECT_EQ(wheel[0], RgbColour(255, 1, 0));
  EXPECT_EQ(wheel[31], RgbColour(255, 255, 0));
  EXPECT_EQ(wheel[32], RgbColour(248, 255, 0));
  EXPECT_EQ(wheel[95], RgbColour(0, 255, 255));
  EXPECT_EQ(wheel[191], RgbColour(255, 0, 0));
  EXPECT_EQ(HueTable()[191], wheel[191]);
  EXPECT_EQ(HueTable()[192], wheel[0]);
  EXPECT_EQ(HueTable()[255], RgbColour(0, 255, 0));

  EXPECT_EQ(BreathCurve()[0], 22);
  EXPECT_EQ(BreathCurve()[47], 255);
  EXPECT_EQ(BreathCurve()[48], 255);
  EXPECT_EQ(BreathCurve()[94], 24);
  EXPECT_EQ(PulseCurve()[16], 255);
  EXPECT_EQ(PulseCurve()[17], 248);
  EXPECT_EQ(PulseCurve()[79], 1);
  EXPECT_TRUE(std::all_of(PulseCurve().begin() + 80, PulseCurve().end(), [](uint8_t v) { return v == 0; }));
  EXPECT_EQ(ScaledColour(RgbColour(200, 100, 50), 33), RgbColour(25, 12, 6));
}

TEST(LightingPreviewTables, KeyGeometryAgreesWithTheKeyTables) {
  // The serpentine order: every panel key but Right Win, and Fn, each once,
  // at the light position the key tables give it.
  std::set<int> expected;
  for (const PanelKey& key : PanelKeyTable()) {
    if (key.control != IDC_MAIN_KEY_RIGHT_WIN) expected.insert(key.control);
  }
  expected.insert(kFnControl);
  EXPECT_EQ(SnakeControls(), expected);
  for (const SnakeKey& key : SnakeOrder()) {
    EXPECT_EQ(key.position, LightPositionOfControl(key.control)) << key.control;
    EXPECT_EQ(PreviewPosition(key.control), key.position);
  }
  EXPECT_EQ(PreviewPosition(IDC_MAIN_G1), -1);
  EXPECT_EQ(PreviewPosition(IDC_MAIN_KEY_RIGHT_WIN), -1);

  // The grid holds exactly the snake keys and G1..G5; the wide keys fill two cells.
  std::set<int> in_grid;
  for (int c = 0; c < kPreviewColumns; ++c) {
    for (int r = 0; r < kPreviewRows; ++r) {
      if (PreviewGridControl(c, r) != 0) in_grid.insert(PreviewGridControl(c, r));
    }
  }
  for (int n = 1; n <= 5; ++n) expected.insert(GKeyControl(n));
  EXPECT_EQ(in_grid, expected);
  EXPECT_EQ(PreviewGridControl(14, 1), IDC_MAIN_KEY_BACKSPACE);
  EXPECT_EQ(PreviewGridControl(15, 1), IDC_MAIN_KEY_BACKSPACE);
  EXPECT_EQ(PreviewGridControl(11, 5), IDC_MAIN_FN);
  EXPECT_EQ(PreviewGridControl(23, 0), 0);

  // Effect 10's shuffle visits every snake key once per round.
  std::set<int> shuffled(SparkleShuffle().begin(), SparkleShuffle().end());
  EXPECT_EQ(shuffled.size(), 104u);
  EXPECT_EQ(*shuffled.rbegin(), 103);
}

// ---- Effects without levels ---------------------------------------------------------------

TEST(LightingPreviewFrames, ClearingEffectsAndTheUserModeTouchNoColour) {
  Runner run;
  for (int effect : {0, 1, 2, 7, 8, 9, 17, 19, 21, 255}) {
    EXPECT_EQ(run.Next(StateFor(effect)).kind, PreviewFrameKind::kClearTints) << effect;
  }
  EXPECT_EQ(run.Next(StateFor(kUserDefinedEffect)).kind, PreviewFrameKind::kLeave);
}

TEST(LightingPreviewFrames, ColourCycleGivesTheWholeGridOneColourGKeysIncluded) {
  Runner run;
  // Colour and multicolour do not matter; the kept direction turns the wheel backward.
  const PreviewFrame& frame = run.Next(StateFor(4, true, kDirectionSecond, RgbColour(9, 9, 9)));
  ASSERT_EQ(frame.kind, PreviewFrameKind::kTints);
  const Colour expected = ColourWheel()[190];
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(TintOf(frame, GKeyControl(n)), expected) << n;
  for (const SnakeKey& key : SnakeOrder()) EXPECT_EQ(TintOf(frame, key.control), expected) << key.control;
  // Not in the grid: no tint.
  for (int n = 6; n <= 9; ++n) EXPECT_EQ(TintOf(frame, GKeyControl(n)), kNoTint) << n;
  EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_RIGHT_WIN), kNoTint);
  EXPECT_EQ(TintOf(run.Next(StateFor(4, false, kDirectionFirst)), IDC_MAIN_G1), ColourWheel()[0]);
}

TEST(LightingPreviewFrames, HorizontalWaveStepsBackwardNineAColumnApart) {
  Runner run;
  const LightingState state = StateFor(5, true, kDirectionSecond);
  // The phase goes 0, 183, 174, 165; column 0 (G1) shows it, column 1 (`) nine entries further.
  for (int phase : {183, 174, 165}) {
    const PreviewFrame& frame = run.Next(state);
    EXPECT_EQ(TintOf(frame, IDC_MAIN_G1), ColourWheel()[static_cast<size_t>(phase)]);
    EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_GRAVE), ColourWheel()[static_cast<size_t>((phase + 9) % 192)]);
    EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_TAB), TintOf(frame, IDC_MAIN_KEY_GRAVE));
    // Backspace fills columns 14 and 15 and shows the second.
    EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_BACKSPACE), ColourWheel()[static_cast<size_t>((phase + 135) % 192)]);
  }
  // Without multicolour the colour breathes by columns, seven entries apart,
  // from the kept phase: 165 - 7 = 158.
  const Colour colour = RgbColour(200, 100, 50);
  const PreviewFrame& frame = run.Next(StateFor(5, false, kDirectionSecond, colour));
  EXPECT_EQ(TintOf(frame, IDC_MAIN_G1), ScaledColour(colour, BreathCurve()[158 % 96]));
  EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_ESC), ScaledColour(colour, BreathCurve()[(158 + 14) % 96]));
}

TEST(LightingPreviewFrames, SerpentineFlowBreathesTheColourAlongTheSnake) {
  const Colour colour = RgbColour(200, 100, 50);
  Runner forward;
  // Phase 4: Pause (key 0) at curve entry 4 = 33, Left Ctrl (key 20) at entry 8 = 45.
  const PreviewFrame& frame = forward.Next(StateFor(3, false, kDirectionFirst, colour));
  EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_PAUSE), RgbColour(25, 12, 6));
  EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_CTRL), RgbColour(35, 17, 8));
  EXPECT_EQ(TintOf(frame, IDC_MAIN_G1), kNoTint);
  Runner backward;
  // Phase 92: entry 92 of the curve is its fourth value from the end, 30.
  EXPECT_EQ(TintOf(backward.Next(StateFor(3, false, kDirectionSecond, colour)), IDC_MAIN_KEY_PAUSE),
            RgbColour(23, 11, 5));
  // With multicolour the same kept phase walks the wheel: 92 - 4 = 88, then key k adds 5k.
  const PreviewFrame& wheel = backward.Next(StateFor(3, true, kDirectionSecond));
  EXPECT_EQ(TintOf(wheel, IDC_MAIN_KEY_PAUSE), ColourWheel()[88]);
  EXPECT_EQ(TintOf(wheel, IDC_MAIN_KEY_F12), ColourWheel()[103]);
}

TEST(LightingPreviewFrames, HorizontalSweepPulsesEitherWayRoundTheCurve) {
  // Phase 4; the running index moves 5 before each column: forward 9, 14, 19, ...
  Runner forward;
  const PreviewFrame& right = forward.Next(StateFor(6, false, kDirectionFirst));
  EXPECT_EQ(TintOf(right, IDC_MAIN_G1), Grey(94));          // index 9
  EXPECT_EQ(TintOf(right, IDC_MAIN_KEY_ESC), Grey(234));    // index 19
  // Backward it wraps below 0: 127, 122, ...; column 10 reaches 77, column 22 reaches 17.
  Runner backward;
  const PreviewFrame& left = backward.Next(StateFor(6, false, kDirectionSecond));
  EXPECT_EQ(TintOf(left, IDC_MAIN_G1), Grey(0));
  EXPECT_EQ(TintOf(left, IDC_MAIN_KEY_F7), Grey(2));
  EXPECT_EQ(TintOf(left, IDC_MAIN_KEY_NUM_SUBTRACT), Grey(248));
  // A direction value other than 0xFF counts as backward here.
  Runner other;
  EXPECT_EQ(TintOf(other.Next(StateFor(6, false, 0x01)), IDC_MAIN_KEY_NUM_SUBTRACT), Grey(248));
}

TEST(LightingPreviewFrames, RingsGatherWithoutRepeatingAFrameAtTheWrap) {
  Runner run;
  // Ring 1 (O) shows phase + 21, ring 12 (Num Enter) phase + 252.
  std::vector<int> phases;
  for (int i = 0; i < 3; ++i) run.Next(StateFor(18, false, kDirectionFirst));  // 2, 4, 6
  for (int i = 0; i < 5; ++i) {
    const PreviewFrame& frame = run.Next(StateFor(18, false, kDirectionSecond));
    const auto wheel = ColourWheel();
    const int phase = static_cast<int>(std::find(wheel.begin(), wheel.end(), TintOf(frame, IDC_MAIN_KEY_O)) -
                                       wheel.begin()) - 21;
    phases.push_back((phase + 192) % 192);
    EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_NUM_ENTER), wheel[static_cast<size_t>((phases.back() + 252) % 192)]);
    EXPECT_EQ(TintOf(frame, IDC_MAIN_KEY_CTRL), wheel[static_cast<size_t>((phases.back() + 231) % 192)]);
  }
  EXPECT_EQ(phases, (std::vector<int>{4, 2, 0, 190, 188}));
}

// ---- Reactive effects --------------------------------------------------------------------

TEST(LightingPreviewLevels, DecayFollowsTheStandardAndFastSchedules) {
  auto run_down = [](LightingPreview::Decay schedule, size_t count) {
    std::vector<int> seen;
    uint8_t level = 255;
    while (seen.size() < count) seen.push_back(level = LightingPreview::Decayed(level, schedule));
    return seen;
  };
  EXPECT_EQ(run_down(LightingPreview::Decay::kFast, 15),
            (std::vector<int>{225, 195, 165, 135, 105, 85, 65, 45, 35, 25, 20, 15, 14, 13, 12}));
  EXPECT_EQ(run_down(LightingPreview::Decay::kStandard, 18),
            (std::vector<int>{235, 215, 195, 175, 155, 135, 115, 99, 83, 67, 51, 41, 31, 26, 21, 16, 15, 14}));
  EXPECT_EQ(LightingPreview::Decayed(1, LightingPreview::Decay::kFast), 0);
  EXPECT_EQ(LightingPreview::Decayed(0, LightingPreview::Decay::kStandard), 0);

  // Drawn: Esc, lit once by effect 14 (fast), and the first sparkle of effect 10
  // (standard), fade a step a frame from the frame they were lit, down to 0.
  Runner demo;
  Runner sparkle;
  std::vector<int> esc;
  std::vector<int> right_alt;
  for (int i = 0; i < 33; ++i) {
    esc.push_back(RedOf(TintOf(demo.Next(StateFor(14)), IDC_MAIN_KEY_ESC)));
    right_alt.push_back(RedOf(TintOf(sparkle.Next(StateFor(10)), IDC_MAIN_KEY_RIGHT_ALT)));
  }
  EXPECT_EQ(std::vector<int>(esc.begin(), esc.begin() + 14),
            (std::vector<int>{225, 195, 165, 135, 105, 85, 65, 45, 35, 25, 20, 15, 14, 13}));
  EXPECT_EQ(esc[25], 1);
  EXPECT_EQ(esc[26], 0);
  EXPECT_EQ(std::vector<int>(right_alt.begin(), right_alt.begin() + 17),
            (std::vector<int>{235, 215, 195, 175, 155, 135, 115, 99, 83, 67, 51, 41, 31, 26, 21, 16, 15}));
  EXPECT_EQ(right_alt[31], 0);
}

TEST(LightingPreviewLevels, SparkleLightsThreeKeysAFrameInShuffleOrderFromEntryOne) {
  Runner run;
  EXPECT_EQ(KeysAt(run.Next(StateFor(10)), 235),
            (std::set<int>{IDC_MAIN_KEY_RIGHT_ALT, IDC_MAIN_KEY_ENTER, IDC_MAIN_KEY_Z}));  // entries 24, 101, 57
  EXPECT_EQ(KeysAt(run.Next(StateFor(10)), 235),
            (std::set<int>{IDC_MAIN_KEY_GRAVE, IDC_MAIN_KEY_NUM_1, IDC_MAIN_KEY_NUM_SUBTRACT}));  // 16, 69, 35
  // Entry 0 (snake key 88, R) comes last, in the 35th frame, after entry 103.
  std::set<int> seen;
  for (int i = 3; i <= 34; ++i) {
    const std::set<int> lit = KeysAt(run.Next(StateFor(10)), 235);
    EXPECT_EQ(lit.size(), 3u);
    seen.insert(lit.begin(), lit.end());
  }
  EXPECT_FALSE(seen.count(IDC_MAIN_KEY_R));
  EXPECT_TRUE(KeysAt(run.Next(StateFor(10)), 235).count(IDC_MAIN_KEY_R));
}

TEST(LightingPreviewLevels, ReactiveEffectsDrawEverySnakeKeyAndNeverAGKey) {
  for (int effect : {10, 13, 14, 15, 16}) {
    Runner run;
    bool any_lit = false;
    for (int i = 0; i < 400; ++i) {
      const PreviewFrame& frame = run.Next(StateFor(effect, true));
      ASSERT_EQ(frame.kind, PreviewFrameKind::kTints);
      for (int n = 1; n <= kGKeyCount; ++n) ASSERT_EQ(TintOf(frame, GKeyControl(n)), kNoTint) << effect;
      for (const SnakeKey& key : SnakeOrder()) {
        ASSERT_NE(TintOf(frame, key.control), kNoTint) << effect;
        any_lit |= TintOf(frame, key.control) != 0;
      }
    }
    EXPECT_TRUE(any_lit) << effect;
  }
}

TEST(LightingPreviewLevels, DiamondMoveTurnsACellIntoTheRingAtItsDistance) {
  LightingPreview::Planes planes{};
  for (auto& plane : planes) plane[11] = 1 << 2;  // P
  for (int t = 1; t <= 4; ++t) {
    LightingPreview::MoveDiamond(planes);
    for (int c = 0; c < 24; ++c) {
      for (int r = 0; r < 8; ++r) {
        const bool lit = ((planes[0][c] | planes[1][c] | planes[2][c] | planes[3][c]) >> r & 1) != 0;
        EXPECT_EQ(lit, std::abs(c - 11) + std::abs(r - 2) == t) << "t " << t << " cell " << c << "," << r;
      }
    }
  }
  // Quarters: plane 3 up-left, 2 up-right, 0 down-left, 1 down-right.
  EXPECT_EQ(planes[3][9], 1 << 0);
  EXPECT_EQ(planes[2][13], 1 << 0);
  EXPECT_EQ(planes[0][9], 1 << 4);
  EXPECT_EQ(planes[1][13], 1 << 4);
  // Nothing spills past column 22 or the two hidden rows.
  LightingPreview::Planes edge{};
  for (auto& plane : edge) plane[22] = 0x80;
  LightingPreview::MoveDiamond(edge);
  EXPECT_EQ(edge[1][23], 0);
  EXPECT_EQ(edge[1][22], 0);
  EXPECT_EQ(edge[2][22], 0x40);

  LightingPreview::Planes rain{};
  for (auto& plane : rain) plane[4] = 0x08;
  LightingPreview::MoveVertical(rain);
  EXPECT_EQ(rain[0][4], 0x10);
  EXPECT_EQ(rain[1][4], 0x10);
  EXPECT_EQ(rain[2][4], 0x04);
  EXPECT_EQ(rain[3][4], 0x04);
}

TEST(LightingPreviewLevels, DemonstrationWalksGroupsPairsRippleAndBack) {
  Runner run;
  const LightingState state = StateFor(14);
  // Stage 0: one group a frame (hand-picked ones); freshly lit keys are drawn at 225.
  std::vector<std::set<int>> fresh;
  for (int i = 0; i < 20; ++i) fresh.push_back(KeysAt(run.Next(state), 225));
  EXPECT_EQ(fresh[0], (std::set<int>{IDC_MAIN_KEY_ESC, IDC_MAIN_KEY_NUM_ENTER}));
  EXPECT_EQ(fresh[3], (std::set<int>{IDC_MAIN_KEY_F3, IDC_MAIN_KEY_RIGHT, IDC_MAIN_KEY_GRAVE, IDC_MAIN_KEY_NUM_ENTER}));
  EXPECT_EQ(fresh[8], (std::set<int>{IDC_MAIN_KEY_F8, IDC_MAIN_FN, IDC_MAIN_KEY_5, IDC_MAIN_KEY_RIGHT_SHIFT,
                                     IDC_MAIN_KEY_W, IDC_MAIN_KEY_NUM_5}));
  EXPECT_EQ(fresh[16], (std::set<int>{IDC_MAIN_KEY_K, IDC_MAIN_KEY_EQUALS, IDC_MAIN_KEY_P}));
  EXPECT_EQ(fresh[19], (std::set<int>{IDC_MAIN_KEY_0, IDC_MAIN_KEY_SLASH}));
  // Stage 1: 31 pairs, round O twice (pair 15 once only).
  fresh.clear();
  for (int i = 0; i < 31; ++i) fresh.push_back(KeysAt(run.Next(state), 225));
  EXPECT_EQ(fresh[0], (std::set<int>{IDC_MAIN_KEY_9, IDC_MAIN_KEY_SLASH}));
  EXPECT_EQ(fresh[12], (std::set<int>{IDC_MAIN_KEY_P, IDC_MAIN_KEY_L}));
  EXPECT_EQ(fresh[15], (std::set<int>{IDC_MAIN_KEY_L, IDC_MAIN_KEY_LBRACKET}));
  EXPECT_EQ(fresh[16], fresh[0]);
  EXPECT_EQ(fresh[30], (std::set<int>{IDC_MAIN_KEY_SEMICOLON, IDC_MAIN_KEY_P}));
  // Then nothing new until L (last lit by pair 28) has gone dark; the next
  // frame turns to stage 2, which plants the ring at P; stage 3 spreads it.
  int frames = 0;
  while (RedOf(TintOf(run.frame, IDC_MAIN_KEY_L)) != 0) {
    EXPECT_TRUE(KeysAt(run.Next(state), 225).empty());
    ++frames;
  }
  EXPECT_EQ(frames, 24);  // L: 225 two frames before the last pair, 0 27 frames after
  EXPECT_TRUE(KeysAt(run.Next(state), 225).empty());  // stage 1 ends
  EXPECT_TRUE(KeysAt(run.Next(state), 225).empty());  // stage 2
  EXPECT_EQ(KeysAt(run.Next(state), 225), (std::set<int>{IDC_MAIN_KEY_P}));
  EXPECT_EQ(KeysAt(run.Next(state), 225), (std::set<int>{IDC_MAIN_KEY_O, IDC_MAIN_KEY_LBRACKET, IDC_MAIN_KEY_0,
                                                         IDC_MAIN_KEY_SEMICOLON}));
  // Left Ctrl, 13 cells from P, is reached 13 frames after P; stage 4 then
  // waits for it to go dark, and stage 0 starts again with group 0.
  for (int t = 2; t < 13; ++t) EXPECT_FALSE(KeysAt(run.Next(state), 225).count(IDC_MAIN_KEY_CTRL));
  EXPECT_TRUE(KeysAt(run.Next(state), 225).count(IDC_MAIN_KEY_CTRL));
  frames = 0;
  while (RedOf(TintOf(run.frame, IDC_MAIN_KEY_CTRL)) != 0) {
    run.Next(state);
    ++frames;
  }
  EXPECT_EQ(frames, 26);
  EXPECT_TRUE(KeysAt(run.Next(state), 225).empty());  // stage 4 ends
  EXPECT_EQ(KeysAt(run.Next(state), 225), (std::set<int>{IDC_MAIN_KEY_ESC, IDC_MAIN_KEY_NUM_ENTER}));
}

TEST(LightingPreviewLevels, DemonstrationTakesOverRainsCounterSafely) {
  // Seven frames of rain leave the shared counter at column 20, past the last
  // group; switched to effect 14 without a restart, it moves on to the pairs.
  Runner run;
  for (int i = 0; i < 7; ++i) run.Next(StateFor(15));
  EXPECT_TRUE(KeysAt(run.Next(StateFor(14)), 225).empty());
  EXPECT_EQ(KeysAt(run.Next(StateFor(14)), 225), (std::set<int>{IDC_MAIN_KEY_9, IDC_MAIN_KEY_SLASH}));
}

TEST(LightingPreviewLevels, SelectingRainRestartsItButTheBouncingRippleRunsOn) {
  // Rain: a fresh front rises from below column 9 after every selection.
  Runner rain;
  const LightingState drops = StateFor(15);
  std::vector<PreviewFrame> first;
  rain.Select(drops);
  for (int i = 0; i < 40; ++i) first.push_back(rain.Tick(drops));
  EXPECT_TRUE(KeysAt(first[0], 235).count(IDC_MAIN_KEY_RIGHT_ALT) == 0);
  EXPECT_TRUE(KeysAt(first[1], 235).count(IDC_MAIN_KEY_RIGHT_ALT));  // row 5
  EXPECT_TRUE(KeysAt(first[2], 235).count(IDC_MAIN_KEY_COMMA));      // row 4
  EXPECT_TRUE(KeysAt(first[6], 235).count(IDC_MAIN_KEY_F6));         // row 0
  rain.Select(drops);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(rain.Tick(drops).tints, first[static_cast<size_t>(i)].tints) << i;

  // The bouncing ripple: selecting it again changes nothing in its course.
  Runner once;
  Runner twice;
  const LightingState bounce = StateFor(13, true);
  once.Select(bounce);
  twice.Select(bounce);
  for (int i = 0; i < 60; ++i) {
    once.Tick(bounce);
    twice.Tick(bounce);
  }
  twice.Select(bounce);
  once.Next(bounce);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(twice.Tick(bounce).tints, once.Tick(bounce).tints) << i;
}

TEST(LightingPreviewLevels, CornerRipplesRunFromTheStartWithoutASelection) {
  // A program started with effect 16 on the keyboard draws before any selection.
  Runner run;
  const LightingState corners = StateFor(16);
  EXPECT_TRUE(KeysAt(run.Next(corners), 235).empty());  // cell (1, 0) holds no key
  EXPECT_EQ(KeysAt(run.Next(corners), 235), (std::set<int>{IDC_MAIN_KEY_ESC, IDC_MAIN_KEY_GRAVE}));
  EXPECT_EQ(KeysAt(run.Next(corners), 235), (std::set<int>{IDC_MAIN_KEY_F1, IDC_MAIN_KEY_1, IDC_MAIN_KEY_TAB}));
  // and keeps rings coming from both corners for good.
  int last_lit = 0;
  for (int i = 4; i < 2000; ++i) {
    if (!KeysAt(run.Next(corners), 235).empty()) last_lit = i;
  }
  EXPECT_GT(last_lit, 1990);
}

// ---- Driving ------------------------------------------------------------------------------

TEST(LightingPreviewDriving, TickRestartsOnlyWhenMarked) {
  Runner marked;
  Runner plain;
  const LightingState state = StateFor(15);
  for (int i = 0; i < 5; ++i) {
    marked.Next(state);
    plain.Next(state);
  }
  EXPECT_EQ(marked.Tick(state).tints, plain.Tick(state).tints);
  marked.preview.MarkForReinitialisation();
  EXPECT_TRUE(marked.preview.reinitialisation_marked());
  EXPECT_NE(marked.Tick(state).tints, plain.Tick(state).tints);
  EXPECT_FALSE(marked.preview.reinitialisation_marked());
}

// A generator that asks for a frame of the same effect while one is drawn.
class ReenteringRandom final : public PreviewRandom {
 public:
  ReenteringRandom(LightingPreview& preview, const LightingState& state) : preview_(preview), state_(state) {}
  void Seed() override {
    FixedSeedPreviewRandom inner(1);
    PreviewFrame frame;
    preview_.Frame(state_, inner, frame);
    inner_kinds.push_back(frame.kind);
  }
  uint32_t Next() override { return 1234; }
  std::vector<PreviewFrameKind> inner_kinds;

 private:
  LightingPreview& preview_;
  const LightingState& state_;
};

TEST(LightingPreviewDriving, AFrameArrivingInsideTheSameEffectsFrameIsSkipped) {
  const LightingState state = StateFor(10, true);
  LightingPreview preview;
  ReenteringRandom random(preview, state);
  PreviewFrame frame;
  preview.Frame(state, random, frame);
  EXPECT_EQ(frame.kind, PreviewFrameKind::kTints);
  EXPECT_EQ(random.inner_kinds, std::vector<PreviewFrameKind>{PreviewFrameKind::kLeave});
  preview.Frame(state, random, frame);  // the flag was released
  EXPECT_EQ(random.inner_kinds.size(), 2u);
}

// ---- The first ten frames of every effect ---------------------------------------------------

uint32_t Fnv1a(const PreviewFrame& frame) {
  uint32_t hash = 2166136261u;
  auto add = [&hash](uint8_t byte) { hash = (hash ^ byte) * 16777619u; };
  add(static_cast<uint8_t>(frame.kind));
  for (Colour c : frame.tints) {
    for (int shift = 0; shift < 32; shift += 8) add(static_cast<uint8_t>(c >> shift));
  }
  return hash;
}

std::array<uint32_t, 10> FirstTenFrames(const LightingState& state) {
  Runner run;
  run.random = FixedSeedPreviewRandom(20240601);
  std::array<uint32_t, 10> hashes{};
  hashes[0] = Fnv1a(run.Select(state));
  for (size_t i = 1; i < hashes.size(); ++i) hashes[i] = Fnv1a(run.Tick(state));
  return hashes;
}

// Frames 1..10 after selecting each effect (the frame at once, then nine
// ticks), colour (200, 100, 50), generator seed 20240601: multicolour with
// direction 0x00, and plain colour with direction 0xFF. Every frame that
// draws no random hue was checked against a separate working of the tables
// before it was pinned.
struct Pinned {
  int effect;
  std::array<uint32_t, 10> multicolour;
  std::array<uint32_t, 10> plain;
};
const Pinned kPinned[] = {
    {1,
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44},
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44}},
    {2,
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44},
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44}},
    {3,
     {0xB01296B1, 0xF45413A6, 0x7595D192, 0xE9305D1D, 0x2F37C363,
      0xC109ED4E, 0x3CB9056C, 0x1C228262, 0xA1962ECC, 0x75638BBB},
     {0x2C2424EA, 0x2CAE54F9, 0x720AB559, 0xC39DBA59, 0x3EB8379A,
      0x9478635A, 0x39ADF0B2, 0x8E682DEE, 0x364E92F6, 0x21BE5646}},
    {4,
     {0x2D191856, 0x69773EB2, 0xE64BA6C8, 0xFC85C9B0, 0xF6417F21,
      0x53AC9115, 0xFF93A3D9, 0xEFA09B29, 0x19030A39, 0x31EC778C},
     {0x634B9703, 0x56C2D37A, 0x09CB5C32, 0x5DE69F8A, 0x321E1F46,
      0x61787012, 0x246DAE6F, 0xA4BAE51F, 0x9275E02D, 0x48C537C1}},
    {5,
     {0x1C3FF11A, 0x9FE39493, 0xAED1B654, 0xD9F4F73C, 0xE78909E3,
      0x6B562108, 0x1619A5B6, 0x7A1D4D8A, 0xBE585DC8, 0x87E03B98},
     {0x8BE9BE4E, 0x997280E2, 0x2F2DDB34, 0x45378FA8, 0x143BDA72,
      0x2CE2D605, 0xDE3C3A15, 0x76356F5D, 0xEF5852B1, 0x258C94B5}},
    {6,
     {0x94D00B17, 0xC967BA1D, 0x2AB40949, 0xFC5B312E, 0x4156697B,
      0xD6DC92B6, 0xA68B655E, 0xCF4718A1, 0x4B9F1F51, 0xBC1F749C},
     {0xA77539E4, 0xEEDCD587, 0xE9AD25C8, 0x840E7C02, 0x92821B35,
      0x09E4A151, 0x1331A0FD, 0xC601ECFB, 0x40E5BAB1, 0xDDEE80E4}},
    {7,
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44},
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44}},
    {8,
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44},
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44}},
    {9,
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44},
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44}},
    {10,
     {0xF42DE13C, 0x4ADB7763, 0xAA4AD2A9, 0x5FD64675, 0x83E8D23F,
      0xFE775763, 0xD0D2D172, 0x55FEA39D, 0x8AD9B61F, 0x36D0930A},
     {0xF9A2DE15, 0xAF1BB415, 0x2282A84B, 0xF9928911, 0x93C4DF56,
      0x6673E9C5, 0x05396182, 0xA528907D, 0xB25B919D, 0x121D76DC}},
    {11,
     {0x95CB2D59, 0xC430187A, 0xF090118D, 0x13F0CB17, 0xB805C099,
      0xEF9FA618, 0x85A7B78B, 0xB0A2A04F, 0x4C8E3BEB, 0xA446908E},
     {0x95CB2D59, 0xC430187A, 0xF090118D, 0x13F0CB17, 0xB805C099,
      0xEF9FA618, 0x85A7B78B, 0xB0A2A04F, 0x4C8E3BEB, 0xA446908E}},
    {12,
     {0x460734EA, 0x74A58532, 0xF0F14C46, 0xF13BB62F, 0x4CEEE047,
      0xA2EDB7FF, 0x7DBA49AC, 0x039B486C, 0x633E18A8, 0x604CFDE2},
     {0xE334A6D9, 0xD55C655C, 0x80CA7DA2, 0xD95481C4, 0x0E3A3A1F,
      0xA1133D5D, 0x4930E783, 0xF692FBD6, 0x0C3A516A, 0xBB1C8DB3}},
    {13,
     {0xDFB93517, 0x52F9FBA1, 0x4FF6A0AA, 0x26DA094D, 0x500C11CB,
      0xB103CC88, 0xF6ABF1C9, 0xB8449286, 0xAFB23341, 0x7C4E5A08},
     {0xDFB93517, 0x8D3F8785, 0xFB6D16E7, 0xA92C9587, 0x75E02645,
      0xD57B1539, 0x97DAEC17, 0x25E9ABB8, 0xE2D24F2A, 0x1C36309F}},
    {14,
     {0xD37625C5, 0xD37625C5, 0x818C2C97, 0xB0925477, 0x6775CD7D,
      0xA73D1D05, 0xD1C6EDA4, 0x65EF0D5D, 0x69CEF4E6, 0x1B174799},
     {0xDFEE632F, 0xDFEE632F, 0xD310C79F, 0x03CB71B7, 0xAB3F5FF8,
      0x8A00C41E, 0x72BB1882, 0x372ADEA6, 0x59CA645B, 0x4D67270D}},
    {15,
     {0x108442AC, 0x8F57B25B, 0x919B6D4F, 0x7C1D9A12, 0xFF0D77D6,
      0x796464DC, 0x2E65494F, 0xAD89437E, 0x7AA5E4D7, 0xF2703C1C},
     {0xECC826D5, 0xECC826D5, 0xEE6D246B, 0xD5EE1F33, 0x6F5F0DEA,
      0xD1FF2449, 0xF7F042C6, 0xBAB8ACE7, 0x630352E6, 0xF0E73BFC}},
    {16,
     {0xDFB93517, 0xDFB93517, 0x92B04ABB, 0x091C51F8, 0x4EE613DA,
      0x87264DB0, 0xD42931B9, 0xCBD45F67, 0xBCC7F1CC, 0x54AE7559},
     {0xDFB93517, 0xDFB93517, 0x6549F4E7, 0x671A44F5, 0x6779E839,
      0xCBF61427, 0x4BC49566, 0x169CA9E4, 0xBF611961, 0xEF053F93}},
    {17,
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44},
     {0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44,
      0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44, 0x575ECC44}},
    {18,
     {0xC9CEF454, 0xC9CEF454, 0x3617105C, 0x25423502, 0xA5232082,
      0x0DC5331C, 0x91BC14A0, 0x7F3996EF, 0x927A6C17, 0x62728D08},
     {0x9FA762ED, 0x9FA762ED, 0x858AE5AF, 0x7051F3D5, 0x609472A6,
      0x149BA27D, 0x684D679B, 0x17A2B556, 0x7254ED1E, 0x14E9BA8B}},
    {20,
     {0xCED27EE5, 0xCED27EE5, 0xCED27EE5, 0xCED27EE5, 0xCED27EE5,
      0xCED27EE5, 0xCED27EE5, 0xCED27EE5, 0xCED27EE5, 0xCED27EE5},
     {0xCED27EE5, 0xCED27EE5, 0xCED27EE5, 0xCED27EE5, 0xCED27EE5,
      0xCED27EE5, 0xCED27EE5, 0xCED27EE5, 0xCED27EE5, 0xCED27EE5}},
};

TEST(LightingPreviewGolden, FirstTenFramesOfEveryEffect) {
  std::string actual;
  bool same = std::size(kPinned) == 19;
  for (int effect : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20}) {
    const Colour colour = RgbColour(200, 100, 50);
    const auto multicolour = FirstTenFrames(StateFor(effect, true, kDirectionSecond, colour));
    const auto plain = FirstTenFrames(StateFor(effect, false, kDirectionFirst, colour));
    const Pinned* pinned = nullptr;
    for (const Pinned& p : kPinned) {
      if (p.effect == effect) pinned = &p;
    }
    same = same && pinned && pinned->multicolour == multicolour && pinned->plain == plain;
    char line[64];
    std::snprintf(line, sizeof(line), "    {%d,\n     {", effect);
    actual += line;
    for (size_t i = 0; i < 10; ++i) {
      std::snprintf(line, sizeof(line), "%s0x%08X", i ? ", " : "", multicolour[i]);
      actual += line;
    }
    actual += "},\n     {";
    for (size_t i = 0; i < 10; ++i) {
      std::snprintf(line, sizeof(line), "%s0x%08X", i ? ", " : "", plain[i]);
      actual += line;
    }
    actual += "}},\n";
  }
  EXPECT_TRUE(same) << "frames now hash to:\n" << actual;
}

}  // namespace
}  // namespace velkor
