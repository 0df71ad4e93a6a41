// Moving text by hand: the range of a free position, grabbing the text or placing it where the
// picture is pressed, following the pointer within the range, and the measures of the anchors.
#include "finishing/text_placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace atelion {
namespace {

TEST(TextPlacement, AFreePositionStaysOnThePicture) {
  EXPECT_EQ(TextPositionRange(640, 480), (TextPositionLimits{0, 640, 0, 480}));
  EXPECT_EQ(TextPositionRange(0, 0), (TextPositionLimits{0, 0, 0, 0}));
  EXPECT_EQ(TextPositionRange(-5, 7), (TextPositionLimits{0, 0, 0, 7}));
}

TEST(TextPlacement, APressInsideTheTextGrabsItAndOneOutsidePlacesIt) {
  const Rect block{99, 45, 199, 80};  // the text at (100, 50)
  const Point position{100, 50};
  struct Case {
    Point press;
    Point start;
  };
  const Case cases[] = {
      {{150, 60}, position},  // on the text
      {{99, 45}, position},   // its block's first pixel
      {{198, 79}, position},  // and last
      {{199, 60}, {199, 60}}, // right of it: the block's right edge is outside
      {{150, 80}, {150, 80}}, // below it
      {{10, 10}, {10, 10}},
  };
  for (const Case& c : cases) {
    const Point start = TextDragStart(position, block, c.press);
    EXPECT_EQ(start, c.start) << c.press.x << "," << c.press.y;
  }
  // Before the text was drawn there is no block: a press places it.
  EXPECT_EQ(TextDragStart(position, Rect{}, Point{0, 0}), (Point{0, 0}));
}

TEST(TextPlacement, ADraggedTextFollowsThePointerWithinTheRange) {
  const TextPositionLimits limits = TextPositionRange(400, 300);
  struct Case {
    Point start, grab, pointer, expected;
  };
  const Case cases[] = {
      {{100, 50}, {120, 60}, {120, 60}, {100, 50}},    // not moved yet
      {{100, 50}, {120, 60}, {180, 100}, {160, 90}},   // moved by (60, 40)
      {{100, 50}, {120, 60}, {20, 10}, {0, 0}},        // held at the left and top edges
      {{100, 50}, {120, 60}, {900, 700}, {400, 300}},  // and at the far edges
      {{0, 0}, {0, 0}, {INT_MAX, INT_MIN}, {400, 0}},  // far beyond, without overflow
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DraggedTextPosition(c.start, c.grab, c.pointer, limits), c.expected)
        << c.pointer.x << "," << c.pointer.y;
  }
}

TEST(TextPlacement, TheRightAnchorsMeasureATrailingBlankOnlyForAPlainItalic) {
  TextSettings settings;
  settings.text = "Atelion";
  settings.fontSize = 20;
  struct Case {
    bool bold, italic, underline;
    bool blankAdded;
  };
  for (const Case c : {Case{false, false, false, false}, Case{false, true, false, true},
                       Case{true, true, false, false}, Case{false, true, true, false}}) {
    settings.bold = c.bold;
    settings.italic = c.italic;
    settings.underline = c.underline;
    TextFont font;
    ASSERT_TRUE(OpenTextFont(settings, font));
    const TextMeasures measures = MeasureText(settings, font);
    EXPECT_EQ(measures.width, font.regular.TextWidth("Atelion"));
    EXPECT_EQ(measures.height, font.regular.Height());
    EXPECT_EQ(measures.widthForRight, font.regular.TextWidth(c.blankAdded ? "Atelion " : "Atelion"))
        << c.bold << c.italic << c.underline;
    if (c.blankAdded) EXPECT_GT(measures.widthForRight, measures.width);
  }
}

}  // namespace
}  // namespace atelion
