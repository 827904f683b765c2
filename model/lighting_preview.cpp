#include "model/lighting_preview.h"

#include <chrono>
#include <iterator>

#include "resources/resource.h"

namespace velkor {

namespace {

// ---- Key geometry ------------------------------------------------------------------

// Column by column, rows 0..5 (0 = no key). Keys two cells wide fill both.
constexpr int kGrid[kPreviewColumns][kPreviewRows] = {
    {0, IDC_MAIN_G1, IDC_MAIN_G2, IDC_MAIN_G3, IDC_MAIN_G4, IDC_MAIN_G5},
    {0, IDC_MAIN_KEY_GRAVE, IDC_MAIN_KEY_TAB, IDC_MAIN_KEY_CAPS_LOCK, IDC_MAIN_KEY_SHIFT, IDC_MAIN_KEY_CTRL},
    {IDC_MAIN_KEY_ESC, IDC_MAIN_KEY_1, IDC_MAIN_KEY_Q, IDC_MAIN_KEY_A, IDC_MAIN_KEY_Z, IDC_MAIN_KEY_WIN},
    {IDC_MAIN_KEY_F1, IDC_MAIN_KEY_2, IDC_MAIN_KEY_W, IDC_MAIN_KEY_S, IDC_MAIN_KEY_X, IDC_MAIN_KEY_ALT},
    {IDC_MAIN_KEY_F2, IDC_MAIN_KEY_3, IDC_MAIN_KEY_E, IDC_MAIN_KEY_D, IDC_MAIN_KEY_C, 0},
    {IDC_MAIN_KEY_F3, IDC_MAIN_KEY_4, IDC_MAIN_KEY_R, IDC_MAIN_KEY_F, IDC_MAIN_KEY_V, 0},
    {IDC_MAIN_KEY_F4, IDC_MAIN_KEY_5, IDC_MAIN_KEY_T, IDC_MAIN_KEY_G, IDC_MAIN_KEY_B, IDC_MAIN_KEY_SPACE},
    {0, IDC_MAIN_KEY_6, IDC_MAIN_KEY_Y, IDC_MAIN_KEY_H, IDC_MAIN_KEY_N, 0},
    {IDC_MAIN_KEY_F5, IDC_MAIN_KEY_7, IDC_MAIN_KEY_U, IDC_MAIN_KEY_J, IDC_MAIN_KEY_M, 0},
    {IDC_MAIN_KEY_F6, IDC_MAIN_KEY_8, IDC_MAIN_KEY_I, IDC_MAIN_KEY_K, IDC_MAIN_KEY_COMMA, IDC_MAIN_KEY_RIGHT_ALT},
    {IDC_MAIN_KEY_F7, IDC_MAIN_KEY_9, IDC_MAIN_KEY_O, IDC_MAIN_KEY_L, IDC_MAIN_KEY_PERIOD, IDC_MAIN_KEY_RIGHT_ALT},
    {IDC_MAIN_KEY_F8, IDC_MAIN_KEY_0, IDC_MAIN_KEY_P, IDC_MAIN_KEY_SEMICOLON, IDC_MAIN_KEY_SLASH, IDC_MAIN_FN},
    {IDC_MAIN_KEY_F9, IDC_MAIN_KEY_MINUS, IDC_MAIN_KEY_LBRACKET, IDC_MAIN_KEY_QUOTE, 0, IDC_MAIN_KEY_APP},
    {IDC_MAIN_KEY_F10, IDC_MAIN_KEY_EQUALS, IDC_MAIN_KEY_RBRACKET, IDC_MAIN_KEY_ENTER, 0, 0},
    {IDC_MAIN_KEY_F11, IDC_MAIN_KEY_BACKSPACE, IDC_MAIN_KEY_BACKSLASH, 0, IDC_MAIN_KEY_RIGHT_SHIFT,
     IDC_MAIN_KEY_RIGHT_CTRL},
    {IDC_MAIN_KEY_F12, IDC_MAIN_KEY_BACKSPACE, IDC_MAIN_KEY_BACKSLASH, 0, IDC_MAIN_KEY_RIGHT_SHIFT,
     IDC_MAIN_KEY_RIGHT_CTRL},
    {IDC_MAIN_KEY_PRINT_SCREEN, IDC_MAIN_KEY_INSERT, IDC_MAIN_KEY_DELETE, 0, 0, IDC_MAIN_KEY_LEFT},
    {IDC_MAIN_KEY_SCROLL_LOCK, IDC_MAIN_KEY_HOME, IDC_MAIN_KEY_END, 0, IDC_MAIN_KEY_UP, IDC_MAIN_KEY_DOWN},
    {IDC_MAIN_KEY_PAUSE, IDC_MAIN_KEY_PAGE_UP, IDC_MAIN_KEY_PAGE_DOWN, 0, 0, IDC_MAIN_KEY_RIGHT},
    {0, IDC_MAIN_KEY_NUM_LOCK, IDC_MAIN_KEY_NUM_7, IDC_MAIN_KEY_NUM_4, IDC_MAIN_KEY_NUM_1, IDC_MAIN_KEY_NUM_0},
    {0, IDC_MAIN_KEY_NUM_DIVIDE, IDC_MAIN_KEY_NUM_8, IDC_MAIN_KEY_NUM_5, IDC_MAIN_KEY_NUM_2, IDC_MAIN_KEY_NUM_0},
    {0, IDC_MAIN_KEY_NUM_MULTIPLY, IDC_MAIN_KEY_NUM_9, IDC_MAIN_KEY_NUM_6, IDC_MAIN_KEY_NUM_3,
     IDC_MAIN_KEY_NUM_DECIMAL},
    {0, IDC_MAIN_KEY_NUM_SUBTRACT, 0, IDC_MAIN_KEY_NUM_ADD, IDC_MAIN_KEY_NUM_ENTER, 0},
};

// Top row right to left, down the left edge, along the bottom row, up the
// numeric pad, right to left along the number row, and so on.
constexpr SnakeKey kSnake[] = {
    {IDC_MAIN_KEY_PAUSE, 16},        {IDC_MAIN_KEY_SCROLL_LOCK, 15},  {IDC_MAIN_KEY_PRINT_SCREEN, 14},
    {IDC_MAIN_KEY_F12, 12},          {IDC_MAIN_KEY_F11, 11},          {IDC_MAIN_KEY_F10, 10},
    {IDC_MAIN_KEY_F9, 9},            {IDC_MAIN_KEY_F8, 8},            {IDC_MAIN_KEY_F7, 7},
    {IDC_MAIN_KEY_F6, 6},            {IDC_MAIN_KEY_F5, 5},            {IDC_MAIN_KEY_F4, 4},
    {IDC_MAIN_KEY_F3, 3},            {IDC_MAIN_KEY_F2, 2},            {IDC_MAIN_KEY_F1, 1},
    {IDC_MAIN_KEY_ESC, 0},           {IDC_MAIN_KEY_GRAVE, 21},        {IDC_MAIN_KEY_TAB, 42},
    {IDC_MAIN_KEY_CAPS_LOCK, 63},    {IDC_MAIN_KEY_SHIFT, 84},        {IDC_MAIN_KEY_CTRL, 105},
    {IDC_MAIN_KEY_WIN, 106},         {IDC_MAIN_KEY_ALT, 107},         {IDC_MAIN_KEY_SPACE, 108},
    {IDC_MAIN_KEY_RIGHT_ALT, 109},   {IDC_MAIN_FN, kFnLight},         {IDC_MAIN_KEY_APP, 111},
    {IDC_MAIN_KEY_RIGHT_CTRL, 113},  {IDC_MAIN_KEY_LEFT, 119},        {IDC_MAIN_KEY_DOWN, 120},
    {IDC_MAIN_KEY_RIGHT, 121},       {IDC_MAIN_KEY_NUM_0, 123},       {IDC_MAIN_KEY_NUM_DECIMAL, 124},
    {IDC_MAIN_KEY_NUM_ENTER, 104},   {IDC_MAIN_KEY_NUM_ADD, 62},      {IDC_MAIN_KEY_NUM_SUBTRACT, 41},
    {IDC_MAIN_KEY_NUM_MULTIPLY, 40}, {IDC_MAIN_KEY_NUM_DIVIDE, 39},   {IDC_MAIN_KEY_NUM_LOCK, 38},
    {IDC_MAIN_KEY_PAGE_UP, 37},      {IDC_MAIN_KEY_HOME, 36},         {IDC_MAIN_KEY_INSERT, 35},
    {IDC_MAIN_KEY_BACKSPACE, 34},    {IDC_MAIN_KEY_EQUALS, 33},       {IDC_MAIN_KEY_MINUS, 32},
    {IDC_MAIN_KEY_0, 31},            {IDC_MAIN_KEY_9, 30},            {IDC_MAIN_KEY_8, 29},
    {IDC_MAIN_KEY_7, 28},            {IDC_MAIN_KEY_6, 27},            {IDC_MAIN_KEY_5, 26},
    {IDC_MAIN_KEY_4, 25},            {IDC_MAIN_KEY_3, 24},            {IDC_MAIN_KEY_2, 23},
    {IDC_MAIN_KEY_1, 22},            {IDC_MAIN_KEY_Q, 43},            {IDC_MAIN_KEY_A, 64},
    {IDC_MAIN_KEY_Z, 86},            {IDC_MAIN_KEY_X, 87},            {IDC_MAIN_KEY_C, 88},
    {IDC_MAIN_KEY_V, 89},            {IDC_MAIN_KEY_B, 90},            {IDC_MAIN_KEY_N, 91},
    {IDC_MAIN_KEY_M, 92},            {IDC_MAIN_KEY_COMMA, 93},        {IDC_MAIN_KEY_PERIOD, 94},
    {IDC_MAIN_KEY_SLASH, 95},        {IDC_MAIN_KEY_RIGHT_SHIFT, 97},  {IDC_MAIN_KEY_UP, 99},
    {IDC_MAIN_KEY_NUM_1, 101},       {IDC_MAIN_KEY_NUM_2, 102},       {IDC_MAIN_KEY_NUM_3, 103},
    {IDC_MAIN_KEY_NUM_6, 82},        {IDC_MAIN_KEY_NUM_9, 61},        {IDC_MAIN_KEY_NUM_8, 60},
    {IDC_MAIN_KEY_NUM_7, 59},        {IDC_MAIN_KEY_PAGE_DOWN, 58},    {IDC_MAIN_KEY_END, 57},
    {IDC_MAIN_KEY_DELETE, 56},       {IDC_MAIN_KEY_BACKSLASH, 55},    {IDC_MAIN_KEY_RBRACKET, 54},
    {IDC_MAIN_KEY_LBRACKET, 53},     {IDC_MAIN_KEY_P, 52},            {IDC_MAIN_KEY_O, 51},
    {IDC_MAIN_KEY_I, 50},            {IDC_MAIN_KEY_U, 49},            {IDC_MAIN_KEY_Y, 48},
    {IDC_MAIN_KEY_T, 47},            {IDC_MAIN_KEY_R, 46},            {IDC_MAIN_KEY_E, 45},
    {IDC_MAIN_KEY_W, 44},            {IDC_MAIN_KEY_S, 65},            {IDC_MAIN_KEY_D, 66},
    {IDC_MAIN_KEY_F, 67},            {IDC_MAIN_KEY_G, 68},            {IDC_MAIN_KEY_H, 69},
    {IDC_MAIN_KEY_J, 70},            {IDC_MAIN_KEY_K, 71},            {IDC_MAIN_KEY_L, 72},
    {IDC_MAIN_KEY_SEMICOLON, 73},    {IDC_MAIN_KEY_QUOTE, 74},        {IDC_MAIN_KEY_ENTER, 76},
    {IDC_MAIN_KEY_NUM_4, 80},        {IDC_MAIN_KEY_NUM_5, 81},
};
static_assert(std::size(kSnake) == kSnakeKeys);

// ---- Colours and curves --------------------------------------------------------------

constexpr uint8_t kRise[32] = {1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
                               81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr uint8_t kFall[32] = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
                               69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

constexpr std::array<Colour, 192> MakeWheel() {
  std::array<Colour, 192> wheel{};
  for (int i = 0; i < 32; ++i) {
    const int u = kRise[i];
    const int d = kFall[i];
    wheel[i] = RgbColour(255, u, 0);
    wheel[32 + i] = RgbColour(d, 255, 0);
    wheel[64 + i] = RgbColour(0, 255, u);
    wheel[96 + i] = RgbColour(0, d, 255);
    wheel[128 + i] = RgbColour(u, 0, 255);
    wheel[160 + i] = RgbColour(255, 0, d);
  }
  return wheel;
}
constexpr std::array<Colour, 192> kWheel = MakeWheel();

constexpr std::array<Colour, 256> MakeHues() {
  std::array<Colour, 256> hues{};
  for (int i = 0; i < 256; ++i) hues[i] = kWheel[i % 192];
  return hues;
}
constexpr std::array<Colour, 256> kHues = MakeHues();

constexpr uint8_t kBreathRise[] = {22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
                                   77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
                                   158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
static_assert(std::size(kBreathRise) == 48);

constexpr std::array<uint8_t, 96> MakeBreath() {
  std::array<uint8_t, 96> curve{};
  for (int i = 0; i < 48; ++i) {
    curve[i] = kBreathRise[i];
    curve[95 - i] = kBreathRise[i];
  }
  return curve;
}
constexpr std::array<uint8_t, 96> kBreath = MakeBreath();

// A fast rise to full (0..16), a slow fall (17..79), then dark.
constexpr uint8_t kPulseShape[] = {
    0,   4,   8,   14,  22,  33,  45,  61,  77,  94,  114, 134, 158, 182, 206, 234, 255, 248, 241, 234,
    227, 220, 213, 206, 200, 194, 188, 182, 176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119, 114,
    109, 104, 99,  94,  89,  85,  81,  77,  73,  69,  65,  61,  57,  53,  49,  45,  42,  39,  36,  33,
    30,  27,  24,  22,  20,  18,  16,  14,  12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1};
static_assert(std::size(kPulseShape) == 80);

constexpr std::array<uint8_t, 128> MakePulse() {
  std::array<uint8_t, 128> curve{};
  for (size_t i = 0; i < std::size(kPulseShape); ++i) curve[i] = kPulseShape[i];
  return curve;
}
constexpr std::array<uint8_t, 128> kPulse = MakePulse();

// ---- Effect 10, 14 and 18 key sets -------------------------------------------------------

constexpr uint8_t kShuffle[] = {
    88, 24, 101, 57, 16, 69, 35, 34, 36, 51, 78, 18, 12, 66, 97, 9,  33, 41, 55, 52, 48, 95,  77, 70,  10, 23,
    39, 3,  102, 17, 65, 22, 31, 4,  85, 76, 15, 60, 54, 21, 83, 94, 6,  61, 49, 20, 5,  14,  68, 98,  71, 27,
    81, 1,  0,   87, 46, 75, 37, 73, 32, 79, 8,  29, 72, 56, 44, 99, 13, 47, 42, 93, 91, 80,  86, 89,  43, 28,
    58, 59, 38,  53, 2,  62, 64, 90, 96, 74, 92, 40, 25, 26, 7,  30, 50, 84, 45, 67, 19, 103, 100, 82, 11, 63};
static_assert(std::size(kShuffle) == kSnakeKeys);

// Up to six keys; 0 ends a shorter set.
using KeySet = std::array<int, 6>;

// Effect 14, stage 0: one group a frame, from both ends of the board inward.
constexpr KeySet kDemoGroups[] = {
    {IDC_MAIN_KEY_ESC, IDC_MAIN_KEY_NUM_ENTER},
    {IDC_MAIN_KEY_F1, IDC_MAIN_KEY_NUM_DECIMAL},
    {IDC_MAIN_KEY_F2, IDC_MAIN_KEY_NUM_0},
    {IDC_MAIN_KEY_F3, IDC_MAIN_KEY_RIGHT, IDC_MAIN_KEY_GRAVE, IDC_MAIN_KEY_NUM_ENTER},
    {IDC_MAIN_KEY_F4, IDC_MAIN_KEY_DOWN, IDC_MAIN_KEY_1, IDC_MAIN_KEY_NUM_3},
    {IDC_MAIN_KEY_F5, IDC_MAIN_KEY_LEFT, IDC_MAIN_KEY_2, IDC_MAIN_KEY_NUM_2},
    {IDC_MAIN_KEY_F6, IDC_MAIN_KEY_RIGHT_CTRL, IDC_MAIN_KEY_3, IDC_MAIN_KEY_NUM_1, IDC_MAIN_KEY_TAB,
     IDC_MAIN_KEY_NUM_ADD},
    {IDC_MAIN_KEY_F7, IDC_MAIN_KEY_APP, IDC_MAIN_KEY_4, IDC_MAIN_KEY_UP, IDC_MAIN_KEY_Q, IDC_MAIN_KEY_NUM_6},
    {IDC_MAIN_KEY_F8, IDC_MAIN_FN, IDC_MAIN_KEY_5, IDC_MAIN_KEY_RIGHT_SHIFT, IDC_MAIN_KEY_W, IDC_MAIN_KEY_NUM_5},
    {IDC_MAIN_KEY_F9, IDC_MAIN_KEY_RIGHT_ALT, IDC_MAIN_KEY_6, IDC_MAIN_KEY_SLASH, IDC_MAIN_KEY_E,
     IDC_MAIN_KEY_NUM_4},
    {IDC_MAIN_KEY_EQUALS, IDC_MAIN_KEY_COMMA, IDC_MAIN_KEY_7, IDC_MAIN_KEY_PERIOD, IDC_MAIN_KEY_R},
    {IDC_MAIN_KEY_RBRACKET, IDC_MAIN_KEY_K, IDC_MAIN_KEY_8, IDC_MAIN_KEY_COMMA, IDC_MAIN_KEY_T},
    {IDC_MAIN_KEY_QUOTE, IDC_MAIN_KEY_I, IDC_MAIN_KEY_9, IDC_MAIN_KEY_K, IDC_MAIN_KEY_Y, IDC_MAIN_KEY_ENTER},
    {IDC_MAIN_KEY_SLASH, IDC_MAIN_KEY_9, IDC_MAIN_KEY_0, IDC_MAIN_KEY_I, IDC_MAIN_KEY_U, IDC_MAIN_KEY_QUOTE},
    {IDC_MAIN_KEY_PERIOD, IDC_MAIN_KEY_0, IDC_MAIN_KEY_P, IDC_MAIN_KEY_9, IDC_MAIN_KEY_I, IDC_MAIN_KEY_SEMICOLON},
    {IDC_MAIN_KEY_COMMA, IDC_MAIN_KEY_MINUS, IDC_MAIN_KEY_L, IDC_MAIN_KEY_0, IDC_MAIN_KEY_O, IDC_MAIN_KEY_L},
    {IDC_MAIN_KEY_K, IDC_MAIN_KEY_EQUALS, IDC_MAIN_KEY_K, IDC_MAIN_KEY_P, IDC_MAIN_KEY_P, IDC_MAIN_KEY_K},
    {IDC_MAIN_KEY_I, IDC_MAIN_KEY_RBRACKET, IDC_MAIN_KEY_I, IDC_MAIN_KEY_L, IDC_MAIN_KEY_LBRACKET},
    {IDC_MAIN_KEY_9, IDC_MAIN_KEY_QUOTE},
    {IDC_MAIN_KEY_0, IDC_MAIN_KEY_SLASH},
};
constexpr int kDemoGroupCount = static_cast<int>(std::size(kDemoGroups));
static_assert(kDemoGroupCount == 20);

// Effect 14, stage 1: pairs turning around O, gone through (almost) twice.
constexpr int kDemoPairs[16][2] = {
    {IDC_MAIN_KEY_9, IDC_MAIN_KEY_SLASH},           {IDC_MAIN_KEY_0, IDC_MAIN_KEY_PERIOD},
    {IDC_MAIN_KEY_MINUS, IDC_MAIN_KEY_COMMA},       {IDC_MAIN_KEY_EQUALS, IDC_MAIN_KEY_K},
    {IDC_MAIN_KEY_RBRACKET, IDC_MAIN_KEY_I},        {IDC_MAIN_KEY_QUOTE, IDC_MAIN_KEY_9},
    {IDC_MAIN_KEY_SLASH, IDC_MAIN_KEY_0},           {IDC_MAIN_KEY_PERIOD, IDC_MAIN_KEY_MINUS},
    {IDC_MAIN_KEY_COMMA, IDC_MAIN_KEY_EQUALS},      {IDC_MAIN_KEY_K, IDC_MAIN_KEY_RBRACKET},
    {IDC_MAIN_KEY_I, IDC_MAIN_KEY_QUOTE},           {IDC_MAIN_KEY_O, IDC_MAIN_KEY_SEMICOLON},
    {IDC_MAIN_KEY_P, IDC_MAIN_KEY_L},               {IDC_MAIN_KEY_LBRACKET, IDC_MAIN_KEY_O},
    {IDC_MAIN_KEY_SEMICOLON, IDC_MAIN_KEY_P},       {IDC_MAIN_KEY_L, IDC_MAIN_KEY_LBRACKET},
};
constexpr int kDemoPairSteps = 31;
constexpr int kDemoWaitKey = IDC_MAIN_KEY_L;     // stage 1 ends when it has gone dark
constexpr int kDemoRippleKey = IDC_MAIN_KEY_P;   // stage 2 starts a ring here
constexpr int kDemoFarKey = IDC_MAIN_KEY_CTRL;   // stage 3 ends when the ring reaches it

// Effect 18: rings 1..12 around O; every snake key is in exactly one.
constexpr int kRingSizes[12] = {1, 6, 10, 11, 12, 11, 10, 11, 10, 11, 8, 3};
constexpr int kRingKeys[] = {
    IDC_MAIN_KEY_O,
    IDC_MAIN_KEY_9, IDC_MAIN_KEY_I, IDC_MAIN_KEY_K, IDC_MAIN_KEY_L, IDC_MAIN_KEY_P, IDC_MAIN_KEY_0,
    IDC_MAIN_KEY_F8, IDC_MAIN_KEY_8, IDC_MAIN_KEY_U, IDC_MAIN_KEY_J, IDC_MAIN_KEY_M, IDC_MAIN_KEY_COMMA,
    IDC_MAIN_KEY_PERIOD, IDC_MAIN_KEY_SEMICOLON, IDC_MAIN_KEY_LBRACKET, IDC_MAIN_KEY_MINUS,
    IDC_MAIN_KEY_F7, IDC_MAIN_KEY_7, IDC_MAIN_KEY_Y, IDC_MAIN_KEY_H, IDC_MAIN_KEY_N, IDC_MAIN_KEY_RIGHT_ALT,
    IDC_MAIN_KEY_SLASH, IDC_MAIN_KEY_QUOTE, IDC_MAIN_KEY_RBRACKET, IDC_MAIN_KEY_EQUALS, IDC_MAIN_KEY_F9,
    IDC_MAIN_KEY_F6, IDC_MAIN_KEY_6, IDC_MAIN_KEY_T, IDC_MAIN_KEY_G, IDC_MAIN_KEY_B, IDC_MAIN_FN,
    IDC_MAIN_KEY_RIGHT_SHIFT, IDC_MAIN_KEY_ENTER, IDC_MAIN_KEY_BACKSLASH, IDC_MAIN_KEY_BACKSPACE,
    IDC_MAIN_KEY_F10, IDC_MAIN_KEY_F11,
    IDC_MAIN_KEY_F5, IDC_MAIN_KEY_5, IDC_MAIN_KEY_R, IDC_MAIN_KEY_F, IDC_MAIN_KEY_V, IDC_MAIN_KEY_SPACE,
    IDC_MAIN_KEY_APP, IDC_MAIN_KEY_RIGHT_CTRL, IDC_MAIN_KEY_DELETE, IDC_MAIN_KEY_INSERT, IDC_MAIN_KEY_F12,
    IDC_MAIN_KEY_F4, IDC_MAIN_KEY_4, IDC_MAIN_KEY_E, IDC_MAIN_KEY_D, IDC_MAIN_KEY_C, IDC_MAIN_KEY_LEFT,
    IDC_MAIN_KEY_UP, IDC_MAIN_KEY_END, IDC_MAIN_KEY_HOME, IDC_MAIN_KEY_PRINT_SCREEN,
    IDC_MAIN_KEY_F3, IDC_MAIN_KEY_3, IDC_MAIN_KEY_W, IDC_MAIN_KEY_S, IDC_MAIN_KEY_X, IDC_MAIN_KEY_DOWN,
    IDC_MAIN_KEY_RIGHT, IDC_MAIN_KEY_PAGE_DOWN, IDC_MAIN_KEY_PAGE_UP, IDC_MAIN_KEY_PAUSE,
    IDC_MAIN_KEY_SCROLL_LOCK,
    IDC_MAIN_KEY_F2, IDC_MAIN_KEY_2, IDC_MAIN_KEY_Q, IDC_MAIN_KEY_A, IDC_MAIN_KEY_Z, IDC_MAIN_KEY_ALT,
    IDC_MAIN_KEY_NUM_1, IDC_MAIN_KEY_NUM_4, IDC_MAIN_KEY_NUM_7, IDC_MAIN_KEY_NUM_LOCK,
    IDC_MAIN_KEY_F1, IDC_MAIN_KEY_1, IDC_MAIN_KEY_TAB, IDC_MAIN_KEY_CAPS_LOCK, IDC_MAIN_KEY_SHIFT,
    IDC_MAIN_KEY_WIN, IDC_MAIN_KEY_NUM_0, IDC_MAIN_KEY_NUM_2, IDC_MAIN_KEY_NUM_5, IDC_MAIN_KEY_NUM_8,
    IDC_MAIN_KEY_NUM_DIVIDE,
    IDC_MAIN_KEY_ESC, IDC_MAIN_KEY_GRAVE, IDC_MAIN_KEY_CTRL, IDC_MAIN_KEY_NUM_DECIMAL, IDC_MAIN_KEY_NUM_3,
    IDC_MAIN_KEY_NUM_6, IDC_MAIN_KEY_NUM_9, IDC_MAIN_KEY_NUM_MULTIPLY,
    IDC_MAIN_KEY_NUM_ENTER, IDC_MAIN_KEY_NUM_ADD, IDC_MAIN_KEY_NUM_SUBTRACT,
};
static_assert(std::size(kRingKeys) == 104);

constexpr int kFirstControl = IDC_MAIN_G1;
constexpr int kControlSpan = IDC_MAIN_FN - kFirstControl + 1;

constexpr int SnakePositionOf(int control) {
  for (const SnakeKey& key : kSnake) {
    if (key.control == control) return key.position;
  }
  return -1;
}

// The grid cell where a key starts: column by column from column 0, each from row 0.
struct Cell {
  int column;
  int row;
};
constexpr Cell FirstCellOf(int control) {
  for (int c = 0; c < kPreviewColumns; ++c) {
    for (int r = 0; r < kPreviewRows; ++r) {
      if (kGrid[c][r] == control) return {c, r};
    }
  }
  return {-1, -1};
}
constexpr Cell kDemoRippleCell = FirstCellOf(kDemoRippleKey);
static_assert(kDemoRippleCell.column == 11 && kDemoRippleCell.row == 2);

// What a frame needs per key, looked up once: the light position and the
// index of the key button in LitKeys().
struct Lookup {
  std::array<int16_t, kControlSpan> position_of{};  // by control - kFirstControl; -1 none
  std::array<int16_t, kControlSpan> lit_of{};       // -1 none
  std::array<std::array<int16_t, kPreviewRows>, kPreviewColumns> grid_position{};
  std::array<std::array<int16_t, kPreviewRows>, kPreviewColumns> grid_lit{};
  std::array<int16_t, kSnakeKeys> snake_lit{};

  int PositionOf(int control) const {
    const int i = control - kFirstControl;
    return i >= 0 && i < kControlSpan ? position_of[static_cast<size_t>(i)] : -1;
  }
  int LitOf(int control) const {
    const int i = control - kFirstControl;
    return i >= 0 && i < kControlSpan ? lit_of[static_cast<size_t>(i)] : -1;
  }
};

const Lookup& Keys() {
  static const Lookup lookup = [] {
    Lookup l;
    for (int i = 0; i < kControlSpan; ++i) {
      l.position_of[static_cast<size_t>(i)] = static_cast<int16_t>(SnakePositionOf(kFirstControl + i));
      l.lit_of[static_cast<size_t>(i)] = static_cast<int16_t>(LitKeyIndex(kFirstControl + i));
    }
    for (int c = 0; c < kPreviewColumns; ++c) {
      for (int r = 0; r < kPreviewRows; ++r) {
        const int control = kGrid[c][r];
        l.grid_position[static_cast<size_t>(c)][static_cast<size_t>(r)] =
            static_cast<int16_t>(control != 0 ? l.PositionOf(control) : -1);
        l.grid_lit[static_cast<size_t>(c)][static_cast<size_t>(r)] =
            static_cast<int16_t>(control != 0 ? l.LitOf(control) : -1);
      }
    }
    for (size_t k = 0; k < kSnakeKeys; ++k) l.snake_lit[k] = static_cast<int16_t>(l.LitOf(kSnake[k].control));
    return l;
  }();
  return lookup;
}

// ---- Small helpers ----------------------------------------------------------------

// x moved by s within 0..n-1: forward for any direction but 0, backward for 0.
int Step(int x, int s, int n, uint8_t direction) {
  if (direction != 0) {
    x += s;
    if (x >= n) x -= n;
  } else {
    x -= s;
    if (x < 0) x += n;
  }
  return x;
}

// The wheel entry at i, going round (i >= 0).
Colour WheelAt(int i) { return kWheel[static_cast<size_t>(i % 192)]; }

int GridLit(int column, int row) {
  return Keys().grid_lit[static_cast<size_t>(column)][static_cast<size_t>(row)];
}
int SnakeLit(int k) { return Keys().snake_lit[static_cast<size_t>(k)]; }

void Tint(PreviewFrame& out, int lit, Colour colour) {
  if (lit >= 0) out.tints[static_cast<size_t>(lit)] = colour;
}

// Every key in grid column c.
void TintColumn(PreviewFrame& out, int c, Colour colour) {
  for (int r = 0; r < kPreviewRows; ++r) Tint(out, GridLit(c, r), colour);
}

uint8_t ColumnOr(const LightingPreview::Planes& planes, int column) {
  const size_t c = static_cast<size_t>(column);
  return static_cast<uint8_t>(planes[0][c] | planes[1][c] | planes[2][c] | planes[3][c]);
}

void SetInAllPlanes(LightingPreview::Planes& planes, int column, uint8_t bits) {
  if (column < 0 || column >= kPreviewColumns) return;
  for (auto& plane : planes) plane[static_cast<size_t>(column)] |= bits;
}

void LightAt(uint8_t* level, uint8_t* hue, int position, uint8_t hue_value) {
  if (position < 0) return;
  level[position] = 255;
  hue[position] = hue_value;
}

uint32_t NextLcg(uint32_t& state) {
  state = state * 214013u + 2531011u;
  return (state >> 16) & 0x7FFFu;
}

}  // namespace

// ---- Tables ------------------------------------------------------------------------

int PreviewGridControl(int column, int row) {
  if (column < 0 || column >= kPreviewColumns || row < 0 || row >= kPreviewRows) return 0;
  return kGrid[column][row];
}
std::span<const SnakeKey, kSnakeKeys> SnakeOrder() { return std::span<const SnakeKey, kSnakeKeys>(kSnake); }
int PreviewPosition(int control) { return Keys().PositionOf(control); }
std::span<const Colour, 192> ColourWheel() { return kWheel; }
std::span<const Colour, 256> HueTable() { return kHues; }
std::span<const uint8_t, 96> BreathCurve() { return kBreath; }
std::span<const uint8_t, 128> PulseCurve() { return kPulse; }
std::span<const uint8_t, kSnakeKeys> SparkleShuffle() { return std::span<const uint8_t, kSnakeKeys>(kShuffle); }

// ---- Random numbers ------------------------------------------------------------------

void ClockSeededPreviewRandom::Seed() {
  const auto now = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  state_ = static_cast<uint32_t>(now ^ (now >> 32));
}
uint32_t ClockSeededPreviewRandom::Next() { return NextLcg(state_); }
uint32_t FixedSeedPreviewRandom::Next() { return NextLcg(state_); }

// ---- Levels and ripples ----------------------------------------------------------------

uint8_t LightingPreview::Decayed(uint8_t level, Decay schedule) {
  const bool fast = schedule == Decay::kFast;
  int step = 0;
  if (level >= 128) step = fast ? 30 : 20;
  else if (level >= 64) step = fast ? 20 : 16;
  else if (level >= 32) step = 10;
  else if (level >= 17) step = 5;
  else if (level >= 1) step = 1;
  return static_cast<uint8_t>(level - step);
}

void LightingPreview::MoveDiamond(Planes& planes) {
  constexpr int last = kPreviewColumns - 1;  // column 23 is never moved into
  auto& down_left = planes[0];
  auto& down_right = planes[1];
  auto& up_right = planes[2];
  auto& up_left = planes[3];
  // Leftward planes read column j + 1 before it changes; rightward ones j - 1.
  for (int j = 0; j < last; ++j) {
    const size_t i = static_cast<size_t>(j);
    down_left[i] = static_cast<uint8_t>(down_left[i] << 1 | down_left[i + 1]);
    up_left[i] = static_cast<uint8_t>(up_left[i] >> 1 | up_left[i + 1]);
  }
  down_left[last] = static_cast<uint8_t>(down_left[last] << 1);
  up_left[last] = static_cast<uint8_t>(up_left[last] >> 1);
  for (int j = last; j > 0; --j) {
    const size_t i = static_cast<size_t>(j);
    down_right[i] = static_cast<uint8_t>(down_right[i] << 1 | down_right[i - 1]);
    up_right[i] = static_cast<uint8_t>(up_right[i] >> 1 | up_right[i - 1]);
  }
  down_right[0] = static_cast<uint8_t>(down_right[0] << 1);
  up_right[0] = static_cast<uint8_t>(up_right[0] >> 1);
}

void LightingPreview::MoveVertical(Planes& planes) {
  for (size_t j = 0; j < kPlaneBytes; ++j) {
    planes[0][j] = static_cast<uint8_t>(planes[0][j] << 1);
    planes[1][j] = static_cast<uint8_t>(planes[1][j] << 1);
    planes[2][j] = static_cast<uint8_t>(planes[2][j] >> 1);
    planes[3][j] = static_cast<uint8_t>(planes[3][j] >> 1);
  }
}

void LightingPreview::SeedLevels(Family& family, bool multicolour, PreviewRandom& random) {
  random.Seed();
  const Lookup& keys = Keys();
  for (int c = 0; c < kPreviewColumns; ++c) {
    const uint8_t lit = ColumnOr(family.planes, c);
    if (lit == 0) continue;
    for (int r = 0; r < kPreviewRows; ++r) {
      const int p = keys.grid_position[static_cast<size_t>(c)][static_cast<size_t>(r)];
      if ((lit >> r & 1) == 0 || p < 0) continue;
      family.level[static_cast<size_t>(p)] = 255;
      if (multicolour) family.hue[static_cast<size_t>(p)] = static_cast<uint8_t>(random.Next() % 255);
    }
  }
}

void LightingPreview::DrawLevels(Family& family, const LightingState& state, PreviewFrame& out) {
  const Lookup& keys = Keys();
  for (size_t k = 0; k < kSnakeKeys; ++k) {
    const size_t p = static_cast<size_t>(kSnake[k].position);
    const uint8_t level = Decayed(family.level[p], family.decay);
    family.level[p] = level;
    const Colour base = state.multicolour ? kHues[family.hue[p]] : state.colour;
    Tint(out, keys.snake_lit[k], ScaledColour(base, level));
  }
}

void LightingPreview::ResetFamily(Family& family, int column, uint8_t row_bit) {
  family.level.fill(0);
  family.hue.fill(0);
  for (auto& plane : family.planes) {
    for (int c = 0; c < kPreviewColumns; ++c) plane[static_cast<size_t>(c)] = 0;
  }
  SetInAllPlanes(family.planes, column, row_bit);
}

// ---- The engine --------------------------------------------------------------------------

LightingPreview::LightingPreview() {
  demo_.decay = Decay::kFast;
  Reinitialise();
}

void LightingPreview::Reinitialise() {
  demo_stage_ = 0;
  counter_ = 0;
  hue_counter_ = 0;
  ResetFamily(drops_, 9, 0x40);    // one front rising from below column 9
  ResetFamily(corners_, 1, 0x01);  // rings leaving the top-left corner
}

void LightingPreview::Tick(const LightingState& state, PreviewRandom& random, PreviewFrame& out) {
  if (reinitialise_marked_) {
    reinitialise_marked_ = false;
    Reinitialise();
  }
  Frame(state, random, out);
}

void LightingPreview::Frame(const LightingState& state, PreviewRandom& random, PreviewFrame& out) {
  Routine routine = kClear;
  switch (state.effect) {
    case 3: routine = kFlow; break;
    case 4: routine = kCycle; break;
    case 5: routine = kWave; break;
    case 6: routine = kSweep; break;
    case 10: routine = kSparkle; break;
    case 11: routine = kSnakeRainbow; break;
    case 12: routine = kRowRainbow; break;
    case 13: routine = kBounce; break;
    case 14: routine = kDemo; break;
    case 15: routine = kRain; break;
    case 16: routine = kCorners; break;
    case 18: routine = kRings; break;
    case kUserDefinedEffect: out.kind = PreviewFrameKind::kLeave; return;
    default: break;
  }
  bool& busy = busy_[routine];
  if (busy) {
    out.kind = PreviewFrameKind::kLeave;
    return;
  }
  struct Release {
    bool& flag;
    ~Release() { flag = false; }
  } release{busy};
  busy = true;
  FrameOf(routine, state, random, out);
}

void LightingPreview::FrameOf(Routine routine, const LightingState& state, PreviewRandom& random,
                              PreviewFrame& out) {
  out.tints.fill(kNoTint);
  switch (routine) {
    case kClear: out.kind = PreviewFrameKind::kClearTints; return;
    case kFlow: SerpentineFlow(state, out); break;
    case kCycle: ColourCycle(state, out); break;
    case kWave: HorizontalWave(state, out); break;
    case kSweep: HorizontalSweep(state, out); break;
    case kSparkle: RandomSparkle(state, random, out); break;
    case kSnakeRainbow: SerpentineRainbow(out); break;
    case kRowRainbow: VerticalRainbow(state, out); break;
    case kBounce: BouncingRipple(state, random, out); break;
    case kDemo: Demonstration(state, random, out); break;
    case kRain: Rain(state, random, out); break;
    case kCorners: CornerRipples(state, random, out); break;
    case kRings: Rings(state, out); break;
    case kRoutineCount: break;
  }
  out.kind = PreviewFrameKind::kTints;
}

// Effect 3: the serpentine order flows through the wheel, or breathes the colour.
void LightingPreview::SerpentineFlow(const LightingState& state, PreviewFrame& out) {
  if (state.multicolour) {
    flow_phase_ = Step(flow_phase_, 4, 192, state.direction);
    for (int k = 0; k < kSnakeKeys; ++k) Tint(out, SnakeLit(k), WheelAt(flow_phase_ + 5 * k));
  } else {
    flow_phase_ = Step(flow_phase_, 4, 96, state.direction);
    for (int k = 0; k < kSnakeKeys; ++k) {
      Tint(out, SnakeLit(k), ScaledColour(state.colour, kBreath[static_cast<size_t>((flow_phase_ + 5 * k) % 96)]));
    }
  }
}

// Effect 4: the whole board, G keys included, one colour going round the wheel
// (the way round follows the kept direction, though the panel shows none).
void LightingPreview::ColourCycle(const LightingState& state, PreviewFrame& out) {
  cycle_phase_ = Step(cycle_phase_, 2, 192, state.direction);
  for (int c = 0; c < kPreviewColumns; ++c) TintColumn(out, c, WheelAt(cycle_phase_));
}

// Effect 5: columns travel through the wheel, or breathe the colour.
void LightingPreview::HorizontalWave(const LightingState& state, PreviewFrame& out) {
  if (state.multicolour) {
    wave_phase_ = Step(wave_phase_, 9, 192, state.direction);
    for (int c = 0; c < kPreviewColumns; ++c) TintColumn(out, c, WheelAt(wave_phase_ + 9 * c));
  } else {
    wave_phase_ = Step(wave_phase_, 7, 96, state.direction);
    for (int c = 0; c < kPreviewColumns; ++c) {
      TintColumn(out, c, ScaledColour(state.colour, kBreath[static_cast<size_t>((wave_phase_ + 7 * c) % 96)]));
    }
  }
}

// Effect 6: columns through the wheel, or a pulse of the colour sweeping across.
void LightingPreview::HorizontalSweep(const LightingState& state, PreviewFrame& out) {
  if (state.multicolour) {
    sweep_phase_ = Step(sweep_phase_, 4, 192, state.direction);
    for (int c = 0; c < kPreviewColumns; ++c) TintColumn(out, c, WheelAt(sweep_phase_ + 5 * c));
    return;
  }
  sweep_phase_ = (sweep_phase_ + 4) % 128;
  const int move = state.direction == kDirectionFirst ? 5 : 128 - 5;  // backward wraps round
  int index = sweep_phase_;
  for (int c = 0; c < kPreviewColumns; ++c) {
    index = (index + move) % 128;
    TintColumn(out, c, ScaledColour(state.colour, kPulse[static_cast<size_t>(index)]));
  }
}

// Effect 10: three keys a frame, in a fixed shuffled order, flare up in a random hue.
void LightingPreview::RandomSparkle(const LightingState& state, PreviewRandom& random, PreviewFrame& out) {
  random.Seed();
  for (int n = 0; n < 3; ++n) {
    walk_ = walk_ >= kSnakeKeys - 1 ? 0 : walk_ + 1;
    const int p = kSnake[kShuffle[walk_]].position;
    LightAt(drops_.level.data(), drops_.hue.data(), p, static_cast<uint8_t>(random.Next() % 255));
  }
  DrawLevels(drops_, state, out);
}

// Effect 11: every key of the serpentine order runs round the wheel from its own start.
void LightingPreview::SerpentineRainbow(PreviewFrame& out) {
  if (!snake_phases_set_) {
    int value = 0;
    for (int& phase : snake_phase_) {
      value += 33;
      if (value > 192) value -= 192;
      phase = value;
    }
    snake_phases_set_ = true;
  }
  for (int k = 0; k < kSnakeKeys; ++k) {
    int& phase = snake_phase_[static_cast<size_t>(k)];
    phase += 3;
    if (phase >= 192) phase = 0;
    Tint(out, SnakeLit(k), WheelAt(phase));
  }
}

// Effect 12: rows travel through the wheel, up or down.
void LightingPreview::VerticalRainbow(const LightingState& state, PreviewFrame& out) {
  row_phase_ = Step(row_phase_, 3, 192, state.direction);
  for (int r = 0; r < kPreviewRows; ++r) {
    const Colour colour = WheelAt(row_phase_ + 32 * r);
    for (int c = 0; c < kPreviewColumns; ++c) Tint(out, GridLit(c, r), colour);
  }
}

// Effect 13: a ring rises from below column 9, restarts from the top when its
// front reaches row 0 there, and from below when it comes back down.
void LightingPreview::BouncingRipple(const LightingState& state, PreviewRandom& random, PreviewFrame& out) {
  constexpr int column = 9;
  if (!bounce_started_) {
    SetInAllPlanes(bounce_.planes, column, 0x40);
    bounce_started_ = true;
  }
  const uint8_t front = ColumnOr(bounce_.planes, column);
  if (front == 0x01) {
    for (auto& plane : bounce_.planes) plane[column] = 0x01;
  } else if (front == 0x40) {
    SetInAllPlanes(bounce_.planes, column, 0x40);
  }
  SeedLevels(bounce_, state.multicolour, random);
  MoveDiamond(bounce_.planes);
  DrawLevels(bounce_, state, out);
}

// Effect 14: groups closing in from both ends, pairs turning round O, then a
// ring from P out to Left Ctrl; then again.
void LightingPreview::Demonstration(const LightingState& state, PreviewRandom& random, PreviewFrame& out) {
  const Lookup& keys = Keys();
  uint8_t* level = demo_.level.data();
  uint8_t* hue = demo_.hue.data();
  auto light = [&](int control, int hue_step) {
    const int p = keys.PositionOf(control);
    if (p < 0) return;
    if (state.multicolour) hue_counter_ = static_cast<uint8_t>(hue_counter_ + hue_step);
    LightAt(level, hue, p, state.multicolour ? hue_counter_ : 0);
  };
  hue_counter_ = static_cast<uint8_t>(hue_counter_ + 1);
  switch (demo_stage_) {
    case 0:
      // The counter may come from rain (effect 15) when the effect changed
      // without a restart: past the last group it moves on like the last one.
      if (counter_ >= 0 && counter_ < kDemoGroupCount) {
        for (int control : kDemoGroups[counter_]) {
          if (control != 0) light(control, 11);
        }
      }
      counter_ = static_cast<int8_t>(counter_ + 1);
      if (counter_ < 0 || counter_ >= kDemoGroupCount) {
        counter_ = 0;
        demo_stage_ = 1;
      }
      break;
    case 1:
      // One pair a frame, 31 in all; then wait for L to go dark.
      if (counter_ >= 0 && counter_ < kDemoPairSteps) {
        for (int control : kDemoPairs[counter_ % 16]) light(control, 1);
        counter_ = static_cast<int8_t>(counter_ + 1);
      } else if (level[keys.PositionOf(kDemoWaitKey)] == 0) {
        demo_stage_ = 2;
        counter_ = 0;
      }
      break;
    case 2:
      SetInAllPlanes(demo_.planes, kDemoRippleCell.column, static_cast<uint8_t>(1 << kDemoRippleCell.row));
      demo_stage_ = 3;
      break;
    case 3:
      SeedLevels(demo_, state.multicolour, random);
      MoveDiamond(demo_.planes);
      if (level[keys.PositionOf(kDemoFarKey)] != 0) demo_stage_ = 4;
      break;
    default:
      if (level[keys.PositionOf(kDemoFarKey)] == 0) {
        demo_stage_ = 0;
        counter_ = 0;
      }
      break;
  }
  DrawLevels(demo_, state, out);
}

// Effect 15: three drops a frame fall from the top row, three columns apart,
// carrying on from the column the last frame ended at. The shared counter
// holds 0..31 here (rain's columns, effect 14's counts), which always gives
// columns 0..22; a column outside the grid would be dropped.
void LightingPreview::Rain(const LightingState& state, PreviewRandom& random, PreviewFrame& out) {
  const int s = counter_;
  int b = s < -7 || s > 15 ? s - 16 : s + 7;
  int c = b;
  for (int n = 0; n < 3; ++n) {
    c = b + 3 > 22 ? b - 20 : b + 3;
    SetInAllPlanes(drops_.planes, c, 0x01);
    b = c;
  }
  counter_ = static_cast<int8_t>(c);
  SeedLevels(drops_, state.multicolour, random);
  MoveVertical(drops_.planes);
  DrawLevels(drops_, state, out);
}

// Effect 16: rings leave the top-left corner; when a front arrives below the
// bottom-right corner, a ring leaves from there.
void LightingPreview::CornerRipples(const LightingState& state, PreviewRandom& random, PreviewFrame& out) {
  if (ColumnOr(corners_.planes, 1) == 0x01) {
    for (auto& plane : corners_.planes) plane[1] = 0x01;
  }
  if (ColumnOr(corners_.planes, 22) == 0x40) SetInAllPlanes(corners_.planes, 22, 0x40);
  SeedLevels(corners_, state.multicolour, random);
  MoveDiamond(corners_.planes);
  DrawLevels(corners_, state, out);
}

// Effect 18: twelve rings round O, spreading or gathering through the wheel.
void LightingPreview::Rings(const LightingState& state, PreviewFrame& out) {
  // The phase is the hue counter; after effect 14 it may hold anything 0..255.
  int phase = hue_counter_;
  if (state.direction != 0) {
    phase += 2;
    if (phase >= 192) phase = 0;
  } else {
    phase = ((phase - 2) % 192 + 192) % 192;
  }
  hue_counter_ = static_cast<uint8_t>(phase);
  const Lookup& keys = Keys();
  size_t next = 0;
  for (int ring = 1; ring <= 12; ++ring) {
    const Colour colour = WheelAt(phase + 21 * ring);
    for (int n = 0; n < kRingSizes[ring - 1]; ++n) Tint(out, keys.LitOf(kRingKeys[next++]), colour);
  }
}

}  // namespace velkor
