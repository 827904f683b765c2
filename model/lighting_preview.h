// The lighting preview: while the lamp is on, the main window animates an
// approximation of the selected effect on its own key buttons, one frame every
// 50 ms (timer 1052). This is the whole engine: the key geometry (a 23 x 6
// grid and a serpentine key order), the colour tables, the kept phases, the
// light levels and ripple planes of the reactive effects (10, 13, 14, 15, 16),
// and one frame routine per effect. It sends nothing to the keyboard and draws
// nothing itself: a frame comes out as a tint (or none) per lit key button,
// and the window lays each tint over its button at strength 50.
//
// How the window drives it:
//   - on an effect selection: MarkForReinitialisation(), then Frame() once at
//     once, and timer 1052 armed for 100 ms;
//   - on every tick of timer 1052 while the lamp is on: Tick() (which
//     re-initialises first when marked), then re-arm for 50 ms.
// Everything runs on the window's thread. A frame allocates nothing.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "model/lighting.h"

namespace velkor {

// ---- Random numbers ----------------------------------------------------------

// Where the reactive effects take their random hues from. Seed() is called
// where a frame starts drawing random numbers (once per frame of effect 10,
// once per seeding of the light levels); each hue is Next() modulo 255.
class PreviewRandom {
 public:
  virtual ~PreviewRandom() = default;
  virtual void Seed() = 0;
  // 0..32767.
  virtual uint32_t Next() = 0;
};

// The program's generator: every Seed() takes the current time (at the clock's
// full resolution, so that frames within one second differ).
class ClockSeededPreviewRandom final : public PreviewRandom {
 public:
  void Seed() override;
  uint32_t Next() override;

 private:
  uint32_t state_ = 1;
};

// A fixed sequence for tests and benchmarks: Seed() keeps the sequence going.
class FixedSeedPreviewRandom final : public PreviewRandom {
 public:
  explicit FixedSeedPreviewRandom(uint32_t seed) : state_(seed) {}
  void Seed() override {}
  uint32_t Next() override;

 private:
  uint32_t state_;
};

// ---- A frame ---------------------------------------------------------------------

enum class PreviewFrameKind : uint8_t {
  kTints,       // tint every key button as `tints` says
  kClearTints,  // every panel key, G key and Fn: tint off, check cleared
  kLeave,       // touch nothing: effect 20 (the user mode's key colours stay), or a skipped frame
};

// A tint slot holding this is drawn without tint. Real colours are 0x00BBGGRR,
// so black (0) is a tint like any other: a reactive key whose light has faded
// is drawn darkened, not plain.
inline constexpr Colour kNoTint = 0xFFFFFFFFu;

struct PreviewFrame {
  PreviewFrameKind kind = PreviewFrameKind::kLeave;
  // One per lit key button, in LitKeys() order (the 104 panel keys, G1..G9,
  // Fn); meaningful only for kTints. A key the effect does not draw (G1..G5
  // outside effects 4, 5, 6 and 12; G6..G9 and Right Win always) holds
  // kNoTint: a selection clears every tint anyway, and an effect changed on
  // the keyboard itself leaves no stale colour behind. Consecutive frames
  // often repeat (the clearing effects every time): the window may compare
  // with the last frame and leave unchanged buttons alone.
  std::array<Colour, kLitKeyCount> tints{};
};

// ---- The engine ------------------------------------------------------------------

class LightingPreview {
 public:
  // Starts with the reactive families A and D as Reinitialise() leaves them,
  // so effects 15 and 16 animate even before any effect selection.
  LightingPreview();

  // Draws one frame of state.effect (direction, colour and multicolour are
  // read from state as well). Effects 1, 2, 7, 8, 9, 17 and unknown numbers
  // give kClearTints, 20 gives kLeave. A frame that arrives while the same
  // effect's frame is still being drawn (re-entered from `random`) is
  // skipped: kLeave, nothing kept changes.
  void Frame(const LightingState& state, PreviewRandom& random, PreviewFrame& out);

  // Restarts what an effect selection restarts: effect 14's stage, the shared
  // counter and hue counter, reactive families A and D. The phases, effect
  // 10's walk, effect 11's key phases and effects 13 and 14's light levels
  // and ripples run on for the life of the process.
  void Reinitialise();

  // The mark an effect selection leaves for the next tick.
  void MarkForReinitialisation() { reinitialise_marked_ = true; }
  bool reinitialisation_marked() const { return reinitialise_marked_; }
  // One tick of timer 1052 with the lamp on: Reinitialise() when marked
  // (clearing the mark), then Frame().
  void Tick(const LightingState& state, PreviewRandom& random, PreviewFrame& out);

  // ---- Building blocks, open for tests ----

  static constexpr int kLevels = 126;      // light positions 0..125
  static constexpr int kPlaneBytes = 24;   // one byte per grid column; 23 is never shown
  using Planes = std::array<std::array<uint8_t, kPlaneBytes>, 4>;
  enum class Decay : uint8_t { kStandard, kFast };

  // The level a key is drawn at one frame after `level`.
  static uint8_t Decayed(uint8_t level, Decay schedule);
  // Rings: a cell set in all four planes becomes, t moves later, the cells
  // at distance t (rows plus columns): plane 3 its up-left quarter, 2
  // up-right, 0 down-left, 1 down-right.
  static void MoveDiamond(Planes& planes);
  // Rain: planes 0 and 1 move one row down, 2 and 3 one row up.
  static void MoveVertical(Planes& planes);

 private:
  struct Family {
    std::array<uint8_t, kLevels> level{};
    std::array<uint8_t, kLevels> hue{};
    Planes planes{};
    Decay decay = Decay::kStandard;
  };
  enum Routine : uint8_t {
    kClear, kFlow, kCycle, kWave, kSweep, kSparkle, kSnakeRainbow, kRowRainbow,
    kBounce, kDemo, kRain, kCorners, kRings, kRoutineCount
  };

  void FrameOf(Routine routine, const LightingState& state, PreviewRandom& random, PreviewFrame& out);
  void SerpentineFlow(const LightingState& state, PreviewFrame& out);
  void ColourCycle(const LightingState& state, PreviewFrame& out);
  void HorizontalWave(const LightingState& state, PreviewFrame& out);
  void HorizontalSweep(const LightingState& state, PreviewFrame& out);
  void RandomSparkle(const LightingState& state, PreviewRandom& random, PreviewFrame& out);
  void SerpentineRainbow(PreviewFrame& out);
  void VerticalRainbow(const LightingState& state, PreviewFrame& out);
  void BouncingRipple(const LightingState& state, PreviewRandom& random, PreviewFrame& out);
  void Demonstration(const LightingState& state, PreviewRandom& random, PreviewFrame& out);
  void Rain(const LightingState& state, PreviewRandom& random, PreviewFrame& out);
  void CornerRipples(const LightingState& state, PreviewRandom& random, PreviewFrame& out);
  void Rings(const LightingState& state, PreviewFrame& out);

  static void SeedLevels(Family& family, bool multicolour, PreviewRandom& random);
  static void DrawLevels(Family& family, const LightingState& state, PreviewFrame& out);
  static void ResetFamily(Family& family, int column, uint8_t row_bit);

  // Kept phases (effect 3, 4, 5, 6, 12) and effect 11's one per snake key.
  int flow_phase_ = 0;
  int cycle_phase_ = 0;
  int wave_phase_ = 0;
  int sweep_phase_ = 0;
  int row_phase_ = 0;
  std::array<int, 104> snake_phase_{};
  bool snake_phases_set_ = false;

  int8_t counter_ = 0;       // effect 14's group/pair counter and effect 15's last column
  uint8_t hue_counter_ = 0;  // effect 14's hues and effect 18's phase
  int walk_ = 0;             // effect 10's index into its shuffle
  int demo_stage_ = 0;       // effect 14, 0..4
  bool bounce_started_ = false;  // effect 13

  Family corners_;  // A: effect 16
  Family bounce_;   // B: effect 13
  Family demo_;     // C: effect 14
  Family drops_;    // D: effects 10 and 15

  std::array<bool, kRoutineCount> busy_{};
  bool reinitialise_marked_ = false;
};

// ---- Constant tables ---------------------------------------------------------------

inline constexpr int kPreviewColumns = 23;
inline constexpr int kPreviewRows = 6;
inline constexpr int kSnakeKeys = 104;

struct SnakeKey {
  int control;
  int position;  // the key's light position
};

// Control id of the key button at (column, row), 0 for none; a key may fill two cells.
int PreviewGridControl(int column, int row);
// The 104 keys of the serpentine order: the panel keys but Right Win, and Fn.
std::span<const SnakeKey, kSnakeKeys> SnakeOrder();
// The light position of a control in SnakeOrder(), or -1 (G keys, empty cells).
int PreviewPosition(int control);

std::span<const Colour, 192> ColourWheel();
std::span<const Colour, 256> HueTable();  // the wheel, then its first 64 entries again
std::span<const uint8_t, 96> BreathCurve();
std::span<const uint8_t, 128> PulseCurve();
// Effect 10's order of SnakeOrder() indices.
std::span<const uint8_t, kSnakeKeys> SparkleShuffle();

// Each channel times level / 255, the remainder dropped.
constexpr Colour ScaledColour(Colour colour, int level) {
  return RgbColour(RedOf(colour) * level / 255, GreenOf(colour) * level / 255, BlueOf(colour) * level / 255);
}

}  // namespace velkor
