#include "finishing/frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "core/canvas.h"
#include "effects/run_pipeline.h"
#include "finishing/picture_frames.h"
#include "styles/painting/painting_7.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

Bitmap24 Photo(int width, int height) { return testing_support::SyntheticPhoto(width, height); }

FrameSettings Frame(FrameStyle style, int margin, Colour fill = 0x3366CC, Colour line = 0xF0F0F0) {
  FrameSettings settings;
  settings.entry = static_cast<int>(style);
  settings.margin = margin;
  settings.frameFillColor = fill;
  settings.frameLineColor = line;
  return settings;
}

Bitmap24 Framed(const Bitmap24& picture, const FrameSettings& settings, bool addFrame = true) {
  Bitmap24 result = picture;
  RunContext context;
  ApplyFrameChain(result, picture, addFrame, settings, context);
  return result;
}

// The margin steps alone, before any frame picture is added.
Bitmap24 WithMargin(const Bitmap24& picture, const FrameSettings& settings) {
  Bitmap24 result = picture;
  LayFrameMargin(result, picture.Width(), picture.Height(), true, settings);
  return result;
}

int Darkened(Colour colour, int channel, int amount) {
  const int values[] = {BlueOf(colour), GreenOf(colour), RedOf(colour)};
  return std::max(0, values[channel] - amount);
}

TEST(FrameChain, WithoutAFrameTheResultIsUntouchedWhateverTheStyle) {
  const Bitmap24 picture = Photo(40, 30);
  for (int entry = 0; entry < kFrameStyleCount; ++entry) {
    EXPECT_EQ(Framed(picture, Frame(static_cast<FrameStyle>(entry), 150), false), picture) << entry;
  }
  EXPECT_EQ(Framed(picture, Frame(FrameStyle::Simple, 0)), picture);
}

TEST(FrameChain, SimpleFrameLaysTheMarginAndClosesThePictureEdge) {
  const Bitmap24 picture = Photo(400, 300);
  const Colour fill = 0x3366CC;
  const Bitmap24 framed = Framed(picture, Frame(FrameStyle::Simple, 150, fill));
  ASSERT_EQ(framed.Width(), 550);
  ASSERT_EQ(framed.Height(), 450);
  for (int y = 0; y < 450; ++y) {
    for (int x = 0; x < 550; ++x) {
      const int px = x - 75;
      const int py = y - 75;
      const bool inPicture = px >= 0 && py >= 0 && px < 400 && py < 300;
      // The outermost two rows and columns of the picture take the fill colour.
      const bool inner = px >= 2 && py >= 2 && px < 398 && py < 298;
      const Colour expected = inPicture && inner ? picture.Pixel(px, py) : fill;
      ASSERT_EQ(framed.Pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST(FrameChain, LinedFrameDrawsItsLineTwoOrThreePixelsOutsideThePicture) {
  const Colour fill = 0x102030;
  const Colour line = 0xE0D0C0;
  const Bitmap24 framed = Framed(Photo(400, 300), Frame(FrameStyle::Lined, 150, fill, line));
  ASSERT_EQ(framed.Width(), 550);
  const int right = framed.Width() - 73;
  const int bottom = framed.Height() - 73;
  for (int i = 72; i <= right; ++i) {
    EXPECT_EQ(framed.Pixel(i, 72), line) << i;
    EXPECT_EQ(framed.Pixel(i, bottom), line) << i;
  }
  for (int i = 72; i <= bottom; ++i) {
    EXPECT_EQ(framed.Pixel(72, i), line) << i;
    EXPECT_EQ(framed.Pixel(right, i), line) << i;
  }
  // Inside and outside the line: the fill colour, then the picture's outlined edge.
  for (int x : {71, 73, 74, 75, 76}) EXPECT_EQ(framed.Pixel(x, 200), fill) << x;
  EXPECT_EQ(framed.Pixel(77, 200), Photo(400, 300).Pixel(2, 125));
  EXPECT_EQ(framed.Pixel(right + 1, 200), fill);
  EXPECT_EQ(framed.Pixel(right - 1, 200), fill);
}

TEST(FrameChain, SmallMarginsKeepTheLineOffTheCanvas) {
  // (m − 5) div 2 truncates toward zero: a margin of 2 puts the line at −1, outside the canvas.
  const Bitmap24 picture = Photo(30, 20);
  const Bitmap24 lined = Framed(picture, Frame(FrameStyle::Lined, 2));
  EXPECT_EQ(lined, Framed(picture, Frame(FrameStyle::Simple, 2)));
  const Bitmap24 odd = Framed(picture, Frame(FrameStyle::Lined, 9, 0, 0xFFFFFF));
  ASSERT_EQ(odd.Width(), 39);
  EXPECT_EQ(odd.Pixel(2, 10), 0xFFFFFFu);     // (9 − 5) div 2
  EXPECT_EQ(odd.Pixel(36, 10), 0xFFFFFFu);    // 39 − 2 − 1
  EXPECT_EQ(odd.Pixel(6, 10), picture.Pixel(2, 6));  // the picture at (4, 4), outlined by two pixels
}

TEST(MarginCanvas, TakesTheSourceSizedBlockFromTheMiddleOfALargerResult) {
  // A result framed earlier (and painted over) is 2 × 11 pixels larger than the source.
  const Bitmap24 older = Photo(42, 33);
  const Bitmap24 canvas = MarginCanvas(older, 20, 10, 6, 0x0000FF);
  ASSERT_EQ(canvas.Width(), 26);
  ASSERT_EQ(canvas.Height(), 16);
  // Left edge 21 − 10 = 11, top 16 − 5 = 11.
  EXPECT_EQ(canvas.Pixel(3, 3), older.Pixel(11, 11));
  EXPECT_EQ(canvas.Pixel(22, 12), older.Pixel(30, 20));
  EXPECT_EQ(canvas.Pixel(2, 3), 0x0000FFu);
  EXPECT_EQ(canvas.Pixel(23, 12), 0x0000FFu);
  EXPECT_EQ(canvas.Pixel(22, 13), 0x0000FFu);
}

TEST(InnerShadow, DarkensTopAndLeftEdgesAndSmoothsTheCorner) {
  Bitmap24 picture(60, 40, MakeColour(200, 200, 200));
  InnerShadow(picture);
  struct Case {
    int x, y, value;
  };
  const Case cases[] = {
      {30, 0, 120},  {30, 1, 128}, {30, 9, 192}, {30, 10, 200}, {30, 11, 200},  // top edge
      {0, 30, 120},  {3, 30, 144}, {10, 30, 200}, {11, 30, 200},                 // left edge
      {0, 0, 120},   {9, 9, 192},                                                // corner block border
      {1, 1, 124},   // mean of 120 × 5, 128 × 3 and 136 around the diagonal
      {10, 9, 192},  // outside the corner block: above the diagonal, row 9
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RedOf(picture.Pixel(c.x, c.y)), c.value) << c.x << "," << c.y;
    EXPECT_EQ(BlueOf(picture.Pixel(c.x, c.y)), c.value) << c.x << "," << c.y;
  }
  Bitmap24 dark(12, 12, MakeColour(30, 50, 70));
  InnerShadow(dark);
  EXPECT_EQ(dark.Pixel(11, 0), MakeColour(0, 0, 0));
  EXPECT_EQ(dark.Pixel(11, 6), MakeColour(0, 18, 38));  // darkened by 32
  Bitmap24 tiny(3, 2, 0xFFFFFF);  // smaller than the corner block
  InnerShadow(tiny);
  EXPECT_EQ(RedOf(tiny.Pixel(2, 1)), 255 - 72);
}

TEST(FrameChain, PictureFramesShadowThePictureEdgeAndTheMarginEdge) {
  const Bitmap24 picture = Photo(80, 60);
  const Colour fill = 0xC8C8C8;
  for (FrameStyle style : {FrameStyle::Realistic, FrameStyle::Coloured}) {
    const Bitmap24 framed = WithMargin(picture, Frame(style, 40, fill));
    ASSERT_EQ(framed.Width(), 120);
    ASSERT_EQ(framed.Height(), 100);
    EXPECT_EQ(framed.Pixel(60, 0), MakeColour(120, 120, 120));  // the canvas edge, 80 darker
    EXPECT_EQ(framed.Pixel(0, 60), MakeColour(120, 120, 120));
    EXPECT_EQ(framed.Pixel(60, 11), fill);
    // The picture's third row was shadowed by 64 before it went onto the canvas.
    const Colour original = picture.Pixel(40, 2);
    const Colour shadowed = framed.Pixel(60, 22);
    for (int c = 0; c < 3; ++c) {
      const int values[] = {BlueOf(shadowed), GreenOf(shadowed), RedOf(shadowed)};
      EXPECT_EQ(values[c], Darkened(original, c, 64)) << c;
    }
    EXPECT_EQ(framed.Pixel(60, 40), picture.Pixel(40, 20));
  }
}

TEST(FrameChain, PictureFramesTakeTheMarginFramedPicture) {
  const Bitmap24 picture = Photo(90, 60);
  FrameSettings settings = Frame(FrameStyle::Realistic, 20);
  settings.realisticFrame = 4;
  settings.colouredFrame = 2;
  settings.redOffset = 40;
  settings.blueOffset = -90;

  Bitmap24 expected = WithMargin(picture, settings);
  AddFrame(expected, 4);
  EXPECT_EQ(Framed(picture, settings), expected);

  settings.entry = static_cast<int>(FrameStyle::Coloured);
  expected = WithMargin(picture, settings);
  AddColorFrame(expected, 2, 40, 0, -90);
  EXPECT_EQ(Framed(picture, settings), expected);

  settings.entry = static_cast<int>(FrameStyle::Custom);
  expected = WithMargin(picture, settings);
  Point offset;
  ASSERT_TRUE(AddCustomFrame(expected, 90, 60, true, {}, true, offset));
  Bitmap24 framed = picture;
  RunContext context;
  const FrameOutcome outcome = ApplyFrameChain(framed, picture, true, settings, context);
  EXPECT_TRUE(outcome.status);
  EXPECT_EQ(outcome.framedPictureOffset, offset);
  EXPECT_EQ(framed, expected);

  // An unreadable frame picture of the user's leaves the margin and says why.
  settings.useDefaultFrame = false;
  settings.customFramePath = "/nonexistent/frame.png";
  framed = picture;
  EXPECT_FALSE(ApplyFrameChain(framed, picture, true, settings, context).status);
  EXPECT_EQ(framed, WithMargin(picture, settings));
}

// A caller that released the source hands the chain the source's size and mean colour instead:
// every frame style draws the same, on a result larger than the source (an older frame around it)
// too, and only the painted border asks for the mean.
TEST(FrameChain, TheSourcesFactsFrameAsTheSourceItselfDoes) {
  const Bitmap24 source = Photo(70, 50);
  const Bitmap24 older = Photo(90, 64);
  for (const bool addFrame : {false, true}) {
    for (int entry = 0; entry < kFrameStyleCount; ++entry) {
      SCOPED_TRACE(FrameStyleName(entry) + (addFrame ? " added" : " not added"));
      const FrameSettings settings = Frame(static_cast<FrameStyle>(entry), 16);
      EXPECT_EQ(FrameReadsSourceMean(addFrame, settings), addFrame && entry == static_cast<int>(FrameStyle::Brushstrokes));
      const FrameSourceFacts facts{.width = 70, .height = 50, .mean = ComputeMeanColour(source)};
      for (const Bitmap24* drawn : std::array<const Bitmap24*, 2>{&source, &older}) {
        Bitmap24 fromSource = *drawn, fromFacts = *drawn;
        RunContext context;
        const FrameOutcome a = ApplyFrameChain(fromSource, source, addFrame, settings, context);
        const FrameOutcome b = ApplyFrameChain(fromFacts, facts, addFrame, settings, context);
        EXPECT_EQ(fromFacts, fromSource);
        EXPECT_EQ(b.framedPictureOffset, a.framedPictureOffset);
        EXPECT_EQ(static_cast<bool>(b.status), static_cast<bool>(a.status));
      }
    }
  }
  // The painted border really reads the mean: another mean paints other strokes.
  const FrameSettings border = Frame(FrameStyle::Brushstrokes, 16);
  Bitmap24 dark = source, light = source;
  RunContext context;
  ApplyFrameChain(dark, FrameSourceFacts{70, 50, {10, 10, 10}}, true, border, context);
  ApplyFrameChain(light, FrameSourceFacts{70, 50, {240, 240, 240}}, true, border, context);
  EXPECT_NE(dark, light);
}

TEST(HorizontalTriptych, CutsThreePanelsAndDropsTheLastColumnAndRow) {
  const Bitmap24 picture = Photo(301, 120);
  const Colour fill = 0x204060;
  FrameSettings settings = Frame(FrameStyle::HorizontalTriptych, 150, fill);
  settings.panelSpacing = 75;
  const Bitmap24 triptych = Framed(picture, settings);
  ASSERT_EQ(triptych.Width(), 600);
  ASSERT_EQ(triptych.Height(), 270);
  const int panelLefts[] = {75, 250, 425};
  for (int k = 0; k < 3; ++k) {
    const int left = panelLefts[k];
    for (int y = 75; y < 75 + 119; ++y) {
      for (int x = left; x < left + 100; ++x) {
        const int dx = x - left;
        const int dy = y - 75;
        int darken = 0;
        if (dy <= 10 && dy < dx) darken = (10 - dy) * 8;
        else if (dx <= 10 && dy >= dx) darken = (10 - dx) * 8;
        const Colour source = picture.Pixel(k * 100 + dx, dy);
        const Colour expected =
            MakeColour(Darkened(source, 2, darken), Darkened(source, 1, darken), Darkened(source, 0, darken));
        ASSERT_EQ(triptych.Pixel(x, y), expected) << k << ": " << dx << "," << dy;
      }
    }
    // The last picture row is not used: the panel's last row keeps the fill (shadowed at its left).
    EXPECT_EQ(triptych.Pixel(left + 50, 75 + 119), fill);
    EXPECT_EQ(triptych.Pixel(left - 1, 100), fill);
    EXPECT_EQ(triptych.Pixel(left + 100, 100), fill);
  }
  // Column 300 of the picture appears nowhere: the third panel ends with column 299.
  EXPECT_EQ(triptych.Pixel(524, 115), picture.Pixel(299, 40));
  EXPECT_EQ(triptych.Pixel(525, 115), fill);
}

// How many pixels of the band `rows` × `columns` differ between two pictures of the same size.
int DifferingPixels(const Bitmap24& a, const Bitmap24& b, int top, int bottom, int left, int right) {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) count += a.Pixel(x, y) != b.Pixel(x, y);
  }
  return count;
}

TEST(PaintedBorder, PaintsOnlyTheEdgeStripsAndIsReproducible) {
  const Bitmap24 picture = Photo(120, 90);
  const FrameSettings settings = Frame(FrameStyle::Brushstrokes, 30, 0x000000);
  const Bitmap24 painted = Framed(picture, settings);
  EXPECT_EQ(painted, Framed(picture, settings));
  const Bitmap24 plain = WithMargin(picture, settings);
  ASSERT_EQ(painted.Width(), 150);
  ASSERT_EQ(painted.Height(), 120);
  // Strips of 30: the outer 17 lines are strokes, the rest fades into the picture. Strokes that
  // lie on the black ground are coloured from it, and the soft bristle ends leave ground showing,
  // so only where strokes carry the picture's colours out does a strip differ from the plain margin.
  EXPECT_EQ(DifferingPixels(painted, plain, 30, 90, 30, 120), 0);
  for (const auto& [top, bottom, left, right] : {std::array{0, 17, 0, 150}, std::array{104, 120, 0, 150},
                                                  std::array{0, 120, 0, 17}, std::array{0, 120, 134, 150}}) {
    EXPECT_GT(DifferingPixels(painted, plain, top, bottom, left, right), (bottom - top) * (right - left) / 8)
        << top << " " << left;
  }
}

// The top strip is strokes outside and fades into the picture inside; the bottom strip is the
// same upside down: its outer 17 lines, down to the two outlines of the fill colour over the
// picture's last rows (canvas rows 103 and 104), are all strokes, so those outlines do not show
// through the fade as a seam along the picture's edge.
TEST(PaintedBorder, TheTopAndBottomStripsAreStrokesOutsideAndFadeIntoThePictureInside) {
  const Bitmap24 picture = Photo(120, 90);
  const Colour fill = 0x203040;
  const FrameSettings settings = Frame(FrameStyle::Brushstrokes, 30, fill);
  const Bitmap24 plain = WithMargin(picture, settings);
  const Bitmap24 painted = Framed(picture, settings);
  struct Strip {
    const char* name;
    int top;           // canvas row of the strip's first line
    bool outerAtTop;   // the strip's outer line is its first
  };
  for (const Strip& s : {Strip{"top", 0, true}, Strip{"bottom", 90, false}}) {
    SCOPED_TRACE(s.name);
    // The strip painted on its own: the border paints the top strip first, and it does not reach
    // the bottom one.
    Bitmap24 strip(150, 30);
    CopyRect(strip, 0, 0, plain, Rect{0, s.top, 150, s.top + 30});
    Bitmap24 strokes;
    RunContext context;
    context.ProgressSuppressed = true;
    StyleSettings style;
    style.sourceMean = ComputeMeanColour(picture);
    RandomStrokePainting(strip, strokes, {30, 150, 40, 0, 190}, {.openingPhase = false, .ground = fill}, style,
                         SurfaceSettings{}, context);
    ASSERT_EQ(strokes.Width(), 150);
    // Columns 30..119 are out of reach of the side strips.
    for (int i = 0; i < 30; ++i) {
      const int fromOuter = s.outerAtTop ? i : 29 - i;
      for (int x = 30; x < 120; ++x) {
        const Colour p = plain.Pixel(x, s.top + i);
        const Colour b = strokes.Pixel(x, i);
        Colour expected = b;
        if (fromOuter > 15 + 1) {
          const int k = fromOuter - 15;
          auto blend = [&](int pv, int bv) { return (5 * k * pv + (100 - 5 * k) * bv) / 100; };
          expected = MakeColour(blend(RedOf(p), RedOf(b)), blend(GreenOf(p), GreenOf(b)), blend(BlueOf(p), BlueOf(b)));
        }
        ASSERT_EQ(painted.Pixel(x, s.top + i), expected) << x << "," << s.top + i;
      }
    }
  }
}

TEST(PaintedBorder, ANarrowMarginStillPaintsTenPixelStripsOverThePicture) {
  const Bitmap24 picture = Photo(60, 40);
  const FrameSettings settings = Frame(FrameStyle::Brushstrokes, 5, 0xFFFFFF);
  const Bitmap24 painted = Framed(picture, settings);
  const Bitmap24 plain = WithMargin(picture, settings);
  ASSERT_EQ(painted.Width(), 65);
  // The picture starts at (2, 2); its own rows 2..6 lie in the painted half of the top strip.
  EXPECT_GT(DifferingPixels(painted, plain, 4, 9, 12, 53), 0);
  EXPECT_EQ(DifferingPixels(painted, plain, 10, 35, 10, 55), 0);
}

// The stroke engine gets the strips only as far as they lie within reach of the picture: with a
// margin of 5000 around 12 × 12 pixels it paints four parts of under 300 × 300 instead of four
// strips of 5012 × 5000, and the margin beyond keeps its plain fill. Ordinary margins paint whole
// strips.
TEST(PaintedBorder, AHugeMarginIsPaintedOnlyWithinReachOfThePicture) {
  const int reach = 126;
  const Rect block{2500, 2500, 2512, 2512};
  for (const Rect& area : PaintedStripAreas(5012, 5012, 5000)) {
    EXPECT_LE(area.right - area.left, 12 + 2 * reach);
    EXPECT_LE(area.bottom - area.top, 12 + 2 * reach);
    EXPECT_GE(area.left, block.left - reach);
    EXPECT_LE(area.right, block.right + reach);
    EXPECT_GE(area.top, block.top - reach);
    EXPECT_LE(area.bottom, block.bottom + reach);
  }
  struct Case {
    int width, height, margin;
  };
  for (const Case& c : {Case{150, 120, 30}, Case{65, 45, 5}, Case{352, 332, 252}, Case{1250, 270, 250}}) {
    const int thickness = std::max(10, 2 * (c.margin / 2));
    const std::array<Rect, 4> whole = {Rect{0, 0, c.width, thickness}, Rect{0, c.height - thickness, c.width, c.height},
                                       Rect{0, 0, thickness, c.height}, Rect{c.width - thickness, 0, c.width, c.height}};
    EXPECT_EQ(PaintedStripAreas(c.width, c.height, c.margin), whole) << c.margin;
  }

  const Colour fill = 0x000000;
  const Bitmap24 picture = Photo(12, 12);
  const FrameSettings settings = Frame(FrameStyle::Brushstrokes, 5000, fill);
  const Bitmap24 painted = Framed(picture, settings);
  ASSERT_EQ(painted.Width(), 5012);
  ASSERT_EQ(painted.Height(), 5012);
  const Bitmap24 plain = WithMargin(picture, settings);
  EXPECT_GT(DifferingPixels(painted, plain, 2400, 2600, 2400, 2600), 0);
  EXPECT_EQ(DifferingPixels(painted, plain, 0, 5012, 0, 2200), 0);
  EXPECT_EQ(DifferingPixels(painted, plain, 2800, 5012, 0, 5012), 0);
}

TEST(PaintedBorder, ClearsItsRunFlagsAndStopsWhenTheRunIsAborted) {
  Bitmap24 picture = Photo(50, 40);
  RunContext context;
  context.AbortRequested = true;
  PaintedBorder(picture, 20, 0, MeanColour{}, context);
  EXPECT_EQ(picture, Photo(50, 40));
  EXPECT_FALSE(context.Processing);
  EXPECT_FALSE(context.ProgressSuppressed);
}

TEST(FrameSettings, ClampingKeepsEveryValueInItsRange) {
  FrameSettings wild;
  wild.entry = -1;
  wild.margin = 6000;
  wild.realisticFrame = 13;
  wild.colouredFrame = 0;
  wild.redOffset = -300;
  wild.blueOffset = 256;
  wild.panelSpacing = -5;
  wild.frameFillColor = 0xFF123456;
  const FrameSettings clamped = ClampFrameSettings(wild);
  EXPECT_EQ(clamped.entry, 0);
  EXPECT_EQ(clamped.margin, 5000);
  EXPECT_EQ(clamped.realisticFrame, 12);
  EXPECT_EQ(clamped.colouredFrame, 1);
  EXPECT_EQ(clamped.redOffset, -255);
  EXPECT_EQ(clamped.blueOffset, 255);
  EXPECT_EQ(clamped.panelSpacing, 0);
  EXPECT_EQ(clamped.frameFillColor, 0x123456u);
  EXPECT_EQ(ClampFrameSettings(FrameSettings{}), FrameSettings{});
  EXPECT_EQ(FrameStyleName(static_cast<int>(FrameStyle::HorizontalTriptych)), "Horizontal triptych ");
  EXPECT_EQ(FrameStyleName(7), "");
}

}  // namespace
}  // namespace atelion
