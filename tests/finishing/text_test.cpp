#include "finishing/text.h"

#include <gtest/gtest.h>

#include <climits>

#include "core/canvas.h"

namespace atelion {
namespace {

// A picture with a different colour in every pixel, so misplaced or blended pixels show.
Bitmap24 Pattern(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour((x * 7) & 0xFF, (y * 5) & 0xFF, (x + y) & 0xFF));
  }
  return picture;
}

// The smallest rectangle holding every pixel where the two pictures differ; empty when none.
Rect ChangedArea(const Bitmap24& before, const Bitmap24& after) {
  Rect area{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < before.Height(); ++y) {
    for (int x = 0; x < before.Width(); ++x) {
      if (before.Pixel(x, y) == after.Pixel(x, y)) continue;
      area = {std::min(area.left, x), std::min(area.top, y), std::max(area.right, x + 1), std::max(area.bottom, y + 1)};
    }
  }
  if (area.left == INT_MAX) return Rect{};
  return area;
}

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST(TextPlacement, NineAnchorsAndTheFreePosition) {
  // A 400 × 300 source framed with a margin of 150: the result is 550 × 450, margin halves 75.
  const TextMeasures m{.width = 40, .widthForRight = 46, .height = 19};
  struct Case {
    int entry;
    bool framed;
    Point expected;
  };
  const Case cases[] = {
      {kTextTopLeft, true, {78, 78}},        {kTextTopMiddle, true, {255, 78}},
      {kTextTopRight, true, {426, 78}},      {kTextMiddleLeft, true, {78, 215}},
      {kTextCenter, true, {255, 215}},       {kTextMiddleRight, true, {426, 215}},
      {kTextBottomLeft, true, {78, 359}},    {kTextBottomMiddle, true, {255, 359}},
      {kTextBottomRight, true, {426, 359}},  {kTextTopLeft, false, {3, 3}},
      {kTextBottomRight, false, {501, 434}}, {kTextUserDefined, true, {120, 33}},
  };
  for (const Case& c : cases) {
    TextSettings settings;
    settings.positionEntry = c.entry;
    settings.x = 120;
    settings.y = 33;
    EXPECT_EQ(PlaceText(settings, m, 550, 450, 400, 300, c.framed), c.expected) << TextPositionName(c.entry);
  }
}

TEST(TextPlacement, FreePositionKeepsToThePositionBars) {
  const TextMeasures m{.width = 40, .widthForRight = 40, .height = 20};
  struct Case {
    int x, y;
    Point expected;
  };
  const Case cases[] = {
      {-1, -1, {0, 0}},         // nothing stored
      {600, 900, {550, 450}},   // beyond the picture: the bars stop at W and H
      {550, 450, {550, 450}},
  };
  for (const Case& c : cases) {
    TextSettings settings;
    settings.positionEntry = kTextUserDefined;
    settings.x = c.x;
    settings.y = c.y;
    EXPECT_EQ(PlaceText(settings, m, 550, 450, 550, 450, false), c.expected) << c.x << "," << c.y;
  }
  // Text wider than the picture at the right anchor starts left of the picture.
  TextSettings right;
  right.positionEntry = kTextTopRight;
  EXPECT_EQ(PlaceText(right, {.width = 400, .widthForRight = 400, .height = 20}, 100, 100, 100, 100, false).x, -303);
}

TEST(TextStyleWords, StoredLineRoundTrips) {
  TextSettings settings;
  ReadFontStyleWords("Italic Underline ", settings);
  EXPECT_FALSE(settings.bold);
  EXPECT_TRUE(settings.italic);
  EXPECT_TRUE(settings.underline);
  EXPECT_FALSE(settings.strikeout);
  EXPECT_EQ(FontStyleWords(settings), "Italic Underline ");
  settings.bold = settings.strikeout = true;
  EXPECT_EQ(FontStyleWords(settings), "Bold Italic Underline Strikeout ");
  ReadFontStyleWords("", settings);
  EXPECT_EQ(FontStyleWords(settings), "");
}

TEST(TextPositionNames, ListTexts) {
  EXPECT_EQ(TextPositionName(0), "User defined position");
  EXPECT_EQ(TextPositionName(5), "Center");
  EXPECT_EQ(TextPositionName(9), "Bottom right");
  EXPECT_EQ(TextPositionName(10), "");
}

class ApplyTextTest : public ::testing::Test {
 protected:
  TextSettings Settings(const std::string& text, int entry) {
    TextSettings settings;
    settings.text = text;
    settings.positionEntry = entry;
    settings.fontSize = 20;
    settings.colour = MakeColour(250, 240, 20);
    return settings;
  }
};

TEST_F(ApplyTextTest, FramedTopLeftBlockStartsInsideTheMargin) {
  const Bitmap24 before = Pattern(550, 450);
  Bitmap24 picture = before;
  const TextOutcome outcome = ApplyText(picture, Settings("Atelion", kTextTopLeft), 400, 300, true);
  ASSERT_TRUE(outcome.status) << outcome.status.message();
  EXPECT_EQ(outcome.position, (Point{78, 78}));
  EXPECT_EQ(outcome.block.left, 77);
  EXPECT_EQ(outcome.block.top, 73);
  const Rect changed = ChangedArea(before, picture);
  EXPECT_GT(changed.right - changed.left, 40);
  EXPECT_TRUE(Inside(changed, outcome.block));
  EXPECT_TRUE(outcome.notice.empty());
  EXPECT_EQ(outcome.fontFamily, kDefaultFontFamily);
}

TEST_F(ApplyTextTest, EachAnchorPutsTheTextInItsPartOfThePicture) {
  const Bitmap24 before = Pattern(600, 450);
  for (int entry = kTextTopLeft; entry <= kTextBottomRight; ++entry) {
    Bitmap24 picture = before;
    const TextOutcome outcome = ApplyText(picture, Settings("Atelion", entry), 600, 450, false);
    ASSERT_TRUE(outcome.status);
    const Rect changed = ChangedArea(before, picture);
    ASSERT_LT(changed.left, changed.right) << TextPositionName(entry);
    EXPECT_TRUE(Inside(changed, outcome.block)) << TextPositionName(entry);
    // Column 0, 1 or 2 and row 0, 1 or 2 of a 3 × 3 grid, from the entry number.
    const int column = (entry - 1) % 3;
    const int row = (entry - 1) / 3;
    const int centreX = (changed.left + changed.right) / 2;
    const int centreY = (changed.top + changed.bottom) / 2;
    EXPECT_EQ(centreX * 3 / 600, column) << TextPositionName(entry);
    EXPECT_EQ(centreY * 3 / 450, row) << TextPositionName(entry);
    // Edge anchors hug their edges: ink starts or ends within a few pixels of the border.
    if (column == 0) {
      EXPECT_LE(changed.left, 10) << TextPositionName(entry);
    }
    if (column == 2) {
      EXPECT_GE(changed.right, 600 - 10) << TextPositionName(entry);
    }
    if (row == 0) {
      EXPECT_LE(changed.top, 12) << TextPositionName(entry);
    }
    if (row == 2) {
      EXPECT_GE(changed.bottom, 450 - 12) << TextPositionName(entry);
    }
  }
}

TEST_F(ApplyTextTest, OpacityBlendsWithTheBackground) {
  const Bitmap24 before = Pattern(300, 200);
  Bitmap24 invisible = before;
  TextSettings settings = Settings("Atelion", kTextCenter);
  settings.opacity = 0;
  ASSERT_TRUE(ApplyText(invisible, settings, 300, 200, false).status);
  EXPECT_EQ(invisible, before);

  // Half opacity: every channel lies between the background and the opaque text, by the formula.
  Bitmap24 opaque = before;
  settings.opacity = 255;
  ApplyText(opaque, settings, 300, 200, false);
  Bitmap24 half = before;
  settings.opacity = 128;
  const TextOutcome outcome = ApplyText(half, settings, 300, 200, false);
  int blended = 0;
  for (int y = outcome.block.top; y < outcome.block.bottom; ++y) {
    for (int x = outcome.block.left; x < outcome.block.right; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int full = opaque.Row(y)[3 * x + c];
        const int back = before.Row(y)[3 * x + c];
        ASSERT_EQ(half.Row(y)[3 * x + c], (128 * full + 127 * back) / 255) << x << "," << y;
        blended += full != back;
      }
    }
  }
  EXPECT_GT(blended, 100);
}

TEST_F(ApplyTextTest, ShadowIsTheTextInBlackOnePixelRightAndDown) {
  const Colour grey = MakeColour(128, 128, 128);
  const Bitmap24 plain(300, 120, grey);
  TextSettings settings = Settings("Shadow", kTextCenter);
  settings.shadow = false;
  settings.colour = 0x000000;
  Bitmap24 black = plain;
  ApplyText(black, settings, 300, 120, false);
  settings.colour = 0xFFFFFF;
  settings.shadow = true;
  Bitmap24 withShadow = plain;
  const TextOutcome outcome = ApplyText(withShadow, settings, 300, 120, false);

  // Every pixel darker than the background is shadow: black text moved by (1, 1).
  Rect dark{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 300; ++x) {
      if (RedOf(withShadow.Pixel(x, y)) >= 128) continue;
      ASSERT_NE(black.Pixel(x - 1, y - 1), grey) << x << "," << y;
      dark = {std::min(dark.left, x), std::min(dark.top, y), std::max(dark.right, x + 1), std::max(dark.bottom, y + 1)};
    }
  }
  ASSERT_LT(dark.left, dark.right);
  // The white text covers the shadow's upper left; its lower right edges show, one pixel beyond the black text's.
  const Rect ink = ChangedArea(plain, black);
  EXPECT_EQ(dark.right, ink.right + 1);
  EXPECT_EQ(dark.bottom, ink.bottom + 1);
  EXPECT_TRUE(Inside(ChangedArea(plain, withShadow), outcome.block));

  // Without the shadow, white text makes nothing darker.
  Bitmap24 noShadow = plain;
  settings.shadow = false;
  ApplyText(noShadow, settings, 300, 120, false);
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 300; ++x) ASSERT_GE(RedOf(noShadow.Pixel(x, y)), 128) << x << "," << y;
  }
}

TEST_F(ApplyTextTest, MissingFontFallsBackAndSaysWhich) {
  Bitmap24 picture = Pattern(300, 120);
  TextSettings settings = Settings("Atelion", kTextCenter);
  settings.fontName = "Atelion Missing Family";
  const TextOutcome outcome = ApplyText(picture, settings, 300, 120, false);
  ASSERT_TRUE(outcome.status);
  EXPECT_EQ(outcome.fontFamily, kDefaultFontFamily);
  EXPECT_NE(outcome.notice.find("Atelion Missing Family"), std::string::npos) << outcome.notice;
  EXPECT_NE(outcome.notice.find(kDefaultFontFamily), std::string::npos) << outcome.notice;
  EXPECT_NE(picture, Pattern(300, 120));
}

TEST_F(ApplyTextTest, AccentedLatinAndArabicLinesDraw) {
  for (const char* text : {"Crème brûlée à Noël", "مرحبا بالعالم", ""}) {
    const Bitmap24 before = Pattern(400, 120);
    Bitmap24 picture = before;
    TextSettings settings = Settings(text, kTextCenter);
    const TextOutcome outcome = ApplyText(picture, settings, 400, 120, false);
    ASSERT_TRUE(outcome.status);
    const Rect changed = ChangedArea(before, picture);
    if (*text == '\0') {
      // An empty text still draws a blank; its block is 50 pixels wider than the blank.
      TextFont font;
      ASSERT_TRUE(OpenTextFont(settings, font));
      EXPECT_EQ(outcome.block.right - outcome.block.left, font.regular.TextWidth(" ") + 50);
      EXPECT_EQ(picture, before);
      continue;
    }
    EXPECT_GT(changed.right - changed.left, 100) << text;
    EXPECT_TRUE(Inside(changed, outcome.block)) << text;
  }
}

TEST_F(ApplyTextTest, RightAnchoredLinesEndBeforeTheEdgeInBothDirections) {
  for (const char* text : {"Crème brûlée", "مرحبا بالعالم", "قهوة Atelion"}) {
    const Bitmap24 before = Pattern(400, 120);
    Bitmap24 picture = before;
    const TextSettings settings = Settings(text, kTextBottomRight);
    ASSERT_TRUE(ApplyText(picture, settings, 400, 120, false).status);
    const Rect changed = ChangedArea(before, picture);
    // The whole line shows: its right end lies a few pixels inside the picture, not cut by the edge.
    EXPECT_LT(changed.right, 400) << text;
    EXPECT_GE(changed.right, 400 - 12) << text;
  }
}

// Five thousand characters at the largest size are some three million pixels of line on a picture
// of 240 × 640: what shows is the part of the line that falls on the picture, the same as a short
// line that already runs past the right edge gives, and the picture keeps its size.
TEST_F(ApplyTextTest, ALineFarWiderThanThePictureShowsThePartThatFalls) {
  std::string longText;
  for (int i = 0; i < 625; ++i) longText += "Atelion ";
  TextSettings settings = Settings(longText, kTextTopLeft);
  settings.fontSize = kMaxFontSize;
  settings.underline = true;
  settings.opacity = 200;
  const Bitmap24 before = Pattern(240, 640);
  Bitmap24 withLongText = before;
  const TextOutcome outcome = ApplyText(withLongText, settings, 240, 640, false);
  ASSERT_TRUE(outcome.status) << outcome.status.message();
  EXPECT_GT(outcome.block.right - outcome.block.left, 1'000'000);
  EXPECT_EQ(withLongText.Width(), 240);
  EXPECT_EQ(withLongText.Height(), 640);

  settings.text = "Atelion ";
  Bitmap24 withShortText = before;
  ASSERT_TRUE(ApplyText(withShortText, settings, 240, 640, false).status);
  EXPECT_NE(withShortText, before);
  EXPECT_EQ(withLongText, withShortText);
}

TEST(WriteAntiAliasTest, SmoothsEdgesAndClipsAtThePictureBorder) {
  TextSettings settings;
  settings.fontSize = 24;
  settings.colour = 0x000000;
  TextFont font;
  ASSERT_TRUE(OpenTextFont(settings, font));
  Bitmap24 picture(200, 60, 0xFFFFFF);
  WriteAntiAlias(picture, 5, 5, "Sow", font);
  bool grey = false;
  bool black = false;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      const int red = RedOf(picture.Pixel(x, y));
      grey |= red > 0 && red < 255;
      black |= red < 40;
    }
  }
  EXPECT_TRUE(grey);
  EXPECT_TRUE(black);
  // Nothing beyond the block: text width + 10 wide, text height tall.
  const Rect changed = ChangedArea(Bitmap24(200, 60, 0xFFFFFF), picture);
  EXPECT_TRUE(Inside(changed, Rect{5, 5, 5 + font.regular.TextWidth("Sow") + 10, 5 + font.regular.Height()}));

  // Hanging over every border is allowed and draws the visible part only.
  for (const Point at : {Point{-20, -10}, Point{180, 40}, Point{-500, 0}}) {
    Bitmap24 edge(60, 50, 0xFFFFFF);
    WriteAntiAlias(edge, at.x, at.y, "Sow", font);
    EXPECT_EQ(edge.Width(), 60);
  }
}

}  // namespace
}  // namespace atelion
