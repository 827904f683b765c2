// The widget kit's decisions: the slider's position under a point and after
// a key, the colour button's parts, the palette's cells and where it opens.
// Every expected number is worked out by hand from the control's rules.
#include <gtest/gtest.h>

#include <climits>

#include "widgets/widget_geometry.h"

namespace velkor {
namespace {

TEST(WidgetSliderFromPoint, EndsAndOutsideTheControlClamp) {
  const SliderRange range{0, 4};
  EXPECT_EQ(SliderPosFromX(0, 101, range), 0);
  EXPECT_EQ(SliderPosFromX(-40, 101, range), 0);
  EXPECT_EQ(SliderPosFromX(100, 101, range), 4);  // width - 1
  EXPECT_EQ(SliderPosFromX(500, 101, range), 4);
  // A control narrower than its steps still reaches max at its last pixel.
  EXPECT_EQ(SliderPosFromX(9, 10, SliderRange{0, 20}), 20);
  EXPECT_EQ(SliderPosFromX(0, 10, SliderRange{0, 20}), 0);
}

TEST(WidgetSliderFromPoint, NearestStepOnAWidthThatDoesNotDivide) {
  // 101 pixels in 4 steps: marks at 0, 25.25, 50.5, 75.75, 101.
  const SliderRange range{0, 4};
  EXPECT_EQ(SliderPosFromX(12, 101, range), 0);  // 0.475 of a step
  EXPECT_EQ(SliderPosFromX(13, 101, range), 1);  // 0.515
  EXPECT_EQ(SliderPosFromX(37, 101, range), 1);  // 1.465
  EXPECT_EQ(SliderPosFromX(38, 101, range), 2);  // 1.505
  EXPECT_EQ(SliderPosFromX(50, 101, range), 2);
  EXPECT_EQ(SliderPosFromX(88, 101, range), 3);  // 3.485
  EXPECT_EQ(SliderPosFromX(89, 101, range), 4);  // 3.525
  // Exactly half-way goes up; a range away from zero keeps its offset.
  EXPECT_EQ(SliderPosFromX(2, 8, SliderRange{0, 2}), 1);
  EXPECT_EQ(SliderPosFromX(15, 30, SliderRange{10, 13}), 12);
  EXPECT_EQ(SliderPosFromX(14, 30, SliderRange{10, 13}), 11);
}

TEST(WidgetSliderFromPoint, DegenerateAndHugeRanges) {
  EXPECT_EQ(SliderPosFromX(50, 100, SliderRange{7, 7}), 7);
  EXPECT_EQ(SliderPosFromX(5, 0, SliderRange{1, 9}), 1);  // a control with no width
  // The whole int range: half-way lands on 0 without overflowing.
  EXPECT_EQ(SliderPosFromX(500, 1000, SliderRange{INT_MIN, INT_MAX}), 0);
  // A range given backwards is turned round.
  const SliderRange turned = MakeSliderRange(5, 1);
  EXPECT_EQ(turned.min, 1);
  EXPECT_EQ(turned.max, 5);
}

TEST(WidgetSliderKeys, StepsPagesAndEndsStayInRange) {
  const SliderRange range{0, 4};
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kLeft, 2, 10, range), 1);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kDown, 2, 10, range), 1);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kRight, 2, 10, range), 3);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kUp, 2, 10, range), 3);
  // The default page is bigger than the default range: the ends.
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kPageUp, 2, 10, range), 0);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kPageDown, 2, 10, range), 4);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kHome, 3, 10, range), 0);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kEnd, 1, 10, range), 4);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kLeft, 0, 10, range), 0);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kRight, 4, 10, range), 4);

  const SliderRange wide{-20, 100};
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kPageUp, 50, 3, wide), 47);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kPageDown, 50, 3, wide), 53);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kPageUp, -18, 3, wide), -20);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kPageDown, 50, -5, wide), 50) << "a negative page moves nothing";
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kPageDown, INT_MAX - 1, INT_MAX, SliderRange{0, INT_MAX}), INT_MAX);
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kPageUp, INT_MIN + 1, INT_MAX, SliderRange{INT_MIN, 0}), INT_MIN);
  // A position outside the range steps from its nearest end.
  EXPECT_EQ(SliderPosAfterKey(SliderKey::kLeft, 9, 10, range), 3);
}

TEST(WidgetColourButton, PartsOfAnEvenWidthOddHeightButton) {
  const ColourButtonParts parts = LayoutColourButton(WidgetRect{0, 0, 40, 21}, true, true);
  // 40 / 2 + 5 = 25; mid = 21 / 2 = 10.
  EXPECT_EQ(parts.left_part, (WidgetRect{0, 0, 25, 21}));
  EXPECT_TRUE(parts.swatch_shown);
  EXPECT_EQ(parts.swatch, (WidgetRect{1, 1, 24, 20}));
  EXPECT_EQ(parts.grey, (WidgetRect{25, 0, 40, 21}));
  EXPECT_EQ(parts.arrow[0], (WidgetPoint{29, 8}));
  EXPECT_EQ(parts.arrow[1], (WidgetPoint{35, 8}));
  EXPECT_EQ(parts.arrow[2], (WidgetPoint{32, 11}));
}

TEST(WidgetColourButton, PartsOfAnOddWidthButtonAwayFromTheOrigin) {
  const ColourButtonParts parts = LayoutColourButton(WidgetRect{10, 5, 41, 25}, true, true);
  // 31 / 2 + 5 = 20 from the left edge; mid = (5 + 25) / 2 = 15.
  EXPECT_EQ(parts.left_part, (WidgetRect{10, 5, 30, 25}));
  EXPECT_EQ(parts.swatch, (WidgetRect{11, 6, 29, 24}));
  EXPECT_EQ(parts.grey, (WidgetRect{30, 5, 41, 25}));
  EXPECT_EQ(parts.arrow[0], (WidgetPoint{30, 13}));
  EXPECT_EQ(parts.arrow[1], (WidgetPoint{36, 13}));
  EXPECT_EQ(parts.arrow[2], (WidgetPoint{33, 16}));
  EXPECT_EQ(ColourButtonFocusRect(WidgetRect{10, 5, 41, 25}), (WidgetRect{7, 2, 44, 28}));
}

TEST(WidgetColourButton, NarrowButtonsAndNoSwatch) {
  // width / 2 + 5 reaches the right edge: the left part takes everything.
  ColourButtonParts parts = LayoutColourButton(WidgetRect{0, 0, 9, 12}, true, true);
  EXPECT_EQ(parts.left_part, (WidgetRect{0, 0, 9, 12}));
  EXPECT_TRUE(parts.grey.empty());
  parts = LayoutColourButton(WidgetRect{0, 0, 10, 12}, true, true);
  EXPECT_EQ(parts.left_part.right, 10);
  EXPECT_TRUE(parts.grey.empty());
  parts = LayoutColourButton(WidgetRect{0, 0, 11, 12}, true, true);
  EXPECT_EQ(parts.grey, (WidgetRect{10, 0, 11, 12}));
  // Too small for anything inside the outline.
  EXPECT_FALSE(LayoutColourButton(WidgetRect{0, 0, 2, 12}, true, true).swatch_shown);

  EXPECT_FALSE(LayoutColourButton(WidgetRect{0, 0, 40, 21}, false, true).swatch_shown) << "no colour";
  EXPECT_FALSE(LayoutColourButton(WidgetRect{0, 0, 40, 21}, true, false).swatch_shown) << "disabled";
  // The parts stay where they are without a swatch.
  EXPECT_EQ(LayoutColourButton(WidgetRect{0, 0, 40, 21}, false, false).grey, (WidgetRect{25, 0, 40, 21}));
}

TEST(WidgetPalette, LayoutOfFourFullRows) {
  const PaletteLayout layout = LayoutPalette(40, 10);
  EXPECT_EQ(layout.rows, 4);
  // 4 + 10 * 16 + 9 * 2 + 4 wide; the button starts 4 under the cells' 70.
  EXPECT_EQ(layout.window, (WidgetRect{0, 0, 186, 104}));
  EXPECT_EQ(layout.other, (WidgetRect{4, 78, 182, 100}));
  EXPECT_EQ(PaletteCellRect(layout, 0), (WidgetRect{4, 4, 20, 20}));
  EXPECT_EQ(PaletteCellRect(layout, 39), (WidgetRect{166, 58, 182, 74}));
  EXPECT_TRUE(PaletteCellRect(layout, 40).empty());
  EXPECT_TRUE(PaletteCellRect(layout, -1).empty());

  EXPECT_EQ(PaletteHitTest(layout, {4, 4}), 0);
  EXPECT_EQ(PaletteHitTest(layout, {19, 19}), 0);
  EXPECT_EQ(PaletteHitTest(layout, {22, 4}), 1);
  EXPECT_EQ(PaletteHitTest(layout, {181, 73}), 39);
  EXPECT_EQ(PaletteHitTest(layout, {20, 10}), kPaletteHitNothing) << "the gap between two cells";
  EXPECT_EQ(PaletteHitTest(layout, {10, 21}), kPaletteHitNothing) << "the gap between two rows";
  EXPECT_EQ(PaletteHitTest(layout, {3, 3}), kPaletteHitNothing) << "the margin";
  EXPECT_EQ(PaletteHitTest(layout, {100, 76}), kPaletteHitNothing) << "above the button";
  EXPECT_EQ(PaletteHitTest(layout, {4, 78}), kPaletteHitOther);
  EXPECT_EQ(PaletteHitTest(layout, {181, 99}), kPaletteHitOther);
  EXPECT_EQ(PaletteHitTest(layout, {100, 100}), kPaletteHitNothing);
  EXPECT_EQ(PaletteHitTest(layout, {-1, 10}), kPaletteHitNothing);
  EXPECT_EQ(PaletteHitTest(layout, {200, 10}), kPaletteHitNothing);
}

TEST(WidgetPalette, IncompleteLastRowNoColoursAndNoColumns) {
  const PaletteLayout layout = LayoutPalette(13, 5);
  EXPECT_EQ(layout.rows, 3);
  EXPECT_EQ(layout.window, (WidgetRect{0, 0, 96, 86}));
  EXPECT_EQ(PaletteCellRect(layout, 12), (WidgetRect{40, 40, 56, 56}));
  EXPECT_EQ(PaletteHitTest(layout, {41, 41}), 12);
  EXPECT_EQ(PaletteHitTest(layout, {60, 41}), kPaletteHitNothing) << "where the 14th colour would be";

  const PaletteLayout empty = LayoutPalette(0, 10);
  EXPECT_EQ(empty.rows, 0);
  EXPECT_EQ(empty.other, (WidgetRect{4, 4, 182, 26}));
  EXPECT_EQ(PaletteHitTest(empty, {10, 10}), kPaletteHitOther);

  const PaletteLayout single = LayoutPalette(3, 0);
  EXPECT_EQ(single.columns, 1);
  EXPECT_EQ(PaletteCellRect(single, 2), (WidgetRect{4, 40, 20, 56}));
}

TEST(WidgetPalette, ArrowsMoveTheHighlightWithinTheColours) {
  const PaletteLayout layout = LayoutPalette(13, 5);
  EXPECT_EQ(PaletteMoveHighlight(layout, -1, PaletteKey::kDown), 0);
  EXPECT_EQ(PaletteMoveHighlight(layout, 0, PaletteKey::kLeft), 0);
  EXPECT_EQ(PaletteMoveHighlight(layout, 4, PaletteKey::kRight), 5) << "on to the next row";
  EXPECT_EQ(PaletteMoveHighlight(layout, 12, PaletteKey::kRight), 12);
  EXPECT_EQ(PaletteMoveHighlight(layout, 2, PaletteKey::kUp), 2);
  EXPECT_EQ(PaletteMoveHighlight(layout, 7, PaletteKey::kUp), 2);
  EXPECT_EQ(PaletteMoveHighlight(layout, 7, PaletteKey::kDown), 12);
  EXPECT_EQ(PaletteMoveHighlight(layout, 8, PaletteKey::kDown), 12) << "the shorter row's last colour";
  EXPECT_EQ(PaletteMoveHighlight(layout, 10, PaletteKey::kDown), 10);
  EXPECT_EQ(PaletteMoveHighlight(LayoutPalette(0, 10), -1, PaletteKey::kRight), -1);
}

TEST(WidgetPalette, OpensUnderTheButtonOrAboveItWithinTheWorkArea) {
  const WidgetRect screen{0, 0, 1600, 1000};
  EXPECT_EQ(PlacePalette(WidgetRect{100, 200, 150, 221}, 186, 104, screen), (WidgetPoint{100, 221}));
  EXPECT_EQ(PlacePalette(WidgetRect{100, 900, 150, 921}, 186, 104, screen), (WidgetPoint{100, 796}));
  EXPECT_EQ(PlacePalette(WidgetRect{100, 875, 150, 896}, 186, 104, screen), (WidgetPoint{100, 896}))
      << "just fits under";
  EXPECT_EQ(PlacePalette(WidgetRect{1500, 200, 1550, 221}, 186, 104, screen), (WidgetPoint{1414, 221}));
  // Room neither under nor above: kept to the work area's bottom.
  EXPECT_EQ(PlacePalette(WidgetRect{0, 50, 50, 71}, 186, 104, WidgetRect{0, 0, 800, 150}), (WidgetPoint{0, 46}));
  // A monitor left of the primary one.
  EXPECT_EQ(PlacePalette(WidgetRect{-10, 10, 0, 30}, 186, 104, WidgetRect{-1280, 0, 0, 1024}),
            (WidgetPoint{-186, 30}));
}

}  // namespace
}  // namespace velkor
