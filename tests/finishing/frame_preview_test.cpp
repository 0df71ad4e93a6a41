// The frame window's preview and its list: which controls each style shows, how entries carry
// their frame numbers, and what the 200 × 200 box shows for each style.
#include "finishing/frame_preview.h"

#include <gtest/gtest.h>

#include "core/canvas.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

constexpr Colour kFill = 0x2040C0;
constexpr Colour kLine = 0x10E0E0;

FrameSettings Frame(FrameStyle style, int margin) {
  FrameSettings settings;
  settings.entry = static_cast<int>(style);
  settings.margin = margin;
  settings.frameFillColor = kFill;
  settings.frameLineColor = kLine;
  return settings;
}

Bitmap24 Preview(const Bitmap24& source, const FrameSettings& settings) {
  RunContext context;
  return RenderFramePreview(source, settings, nullptr, context);
}

void ExpectClosedByTwoBlackOutlines(const Bitmap24& box) {
  ASSERT_EQ(box.Width(), kFramePreviewSide);
  ASSERT_EQ(box.Height(), kFramePreviewSide);
  for (int i = 0; i < kFramePreviewSide; ++i) {
    for (int edge : {0, 1, kFramePreviewSide - 2, kFramePreviewSide - 1}) {
      ASSERT_EQ(box.Pixel(i, edge), 0u) << i << "," << edge;
      ASSERT_EQ(box.Pixel(edge, i), 0u) << edge << "," << i;
    }
  }
}

TEST(FrameWindowList, EachStyleShowsItsOwnControls) {
  struct Case {
    FrameStyle style;
    FrameStyleControls controls;
  };
  const Case cases[] = {
      {FrameStyle::Simple, {}},
      {FrameStyle::Lined, {.lineColour = true}},
      {FrameStyle::Realistic, {.realisticNumber = true}},
      {FrameStyle::Coloured, {.colouredNumber = true, .colourOffsets = true}},
      {FrameStyle::HorizontalTriptych, {.panelSpacing = true}},
      {FrameStyle::Brushstrokes, {}},
      {FrameStyle::Custom, {.customPicture = true}},
  };
  for (const Case& c : cases) EXPECT_EQ(ControlsOfFrameStyle(static_cast<int>(c.style)), c.controls) << int(c.style);
  EXPECT_EQ(ControlsOfFrameStyle(-1), FrameStyleControls{});
  EXPECT_EQ(ControlsOfFrameStyle(kFrameStyleCount), FrameStyleControls{});
}

TEST(FrameWindowList, EntriesAreTrimmedAndThePictureFramesCarryTheirNumber) {
  FrameSettings settings;
  settings.realisticFrame = 3;
  settings.colouredFrame = 5;
  const std::pair<FrameStyle, std::string> cases[] = {
      {FrameStyle::Simple, "Simple frame"},       {FrameStyle::Lined, "Lined frame"},
      {FrameStyle::Realistic, "Realistic frame 3"}, {FrameStyle::Coloured, "Colored frame 5"},
      {FrameStyle::HorizontalTriptych, "Horizontal triptych"}, {FrameStyle::Brushstrokes, "Brushstrokes"},
      {FrameStyle::Custom, "Custom frame"},
  };
  for (const auto& [style, text] : cases) EXPECT_EQ(FrameEntryText(static_cast<int>(style), settings), text);
}

TEST(FramePreview, MarginStylesShowTheTopLeftCornerAtFullScale) {
  const Bitmap24 source = testing_support::SyntheticPhoto(300, 260);
  const int margin = 40;
  const int a = margin / 2;
  for (const FrameStyle style : {FrameStyle::Simple, FrameStyle::Lined}) {
    SCOPED_TRACE(static_cast<int>(style));
    const Bitmap24 box = Preview(source, Frame(style, margin));
    ExpectClosedByTwoBlackOutlines(box);
    // The margin's bands, then the photograph unscaled from (a, a).
    EXPECT_EQ(box.Pixel(5, 100), kFill);
    EXPECT_EQ(box.Pixel(100, 5), kFill);
    for (const Point p : {Point{0, 0}, Point{3, 40}, Point{150, 150}, Point{177, 177}}) {
      EXPECT_EQ(box.Pixel(a + p.x, a + p.y), source.Pixel(p.x, p.y)) << p.x << "," << p.y;
    }
    // The lined frame's line runs two pixels outside the photograph.
    const bool lined = style == FrameStyle::Lined;
    EXPECT_EQ(box.Pixel(a - 2, 100), lined ? kLine : kFill);
    EXPECT_EQ(box.Pixel(100, a - 2), lined ? kLine : kFill);
  }
}

TEST(FramePreview, APhotographSmallerThanTheBoxLeavesTheGreyGround) {
  const Bitmap24 source = testing_support::SyntheticPhoto(60, 50);
  const Bitmap24 box = Preview(source, Frame(FrameStyle::Simple, 20));
  EXPECT_EQ(box.Pixel(10 + 59, 10 + 49), source.Pixel(59, 49));
  EXPECT_EQ(box.Pixel(10 + 60, 10 + 60), kFramePreviewGrey);
  EXPECT_EQ(box.Pixel(150, 150), kFramePreviewGrey);
  // Without a photograph there is only the ground and the outlines.
  const Bitmap24 empty = Preview(Bitmap24(), Frame(FrameStyle::Simple, 20));
  ExpectClosedByTwoBlackOutlines(empty);
  EXPECT_EQ(empty.Pixel(100, 100), kFramePreviewGrey);
}

TEST(FramePreview, TheTriptychIsShownWholeInABandOnAGroundThatContrastsWithTheFill) {
  // 300 × 100 with margin 40 and spacing 20: w = 420, h = 180, so the band is 200 × 84.
  const Bitmap24 source = testing_support::SyntheticPhoto(300, 100);
  FrameSettings settings = Frame(FrameStyle::HorizontalTriptych, 40);
  settings.panelSpacing = 20;
  struct Case {
    Colour fill;
    Colour ground;
  };
  for (const Case c : {Case{0x000000, 0xFFFFFF}, Case{0xFFFFFF, kFramePreviewGrey}, Case{10647999, 0xFFFFFF},
                       Case{10648000, kFramePreviewGrey}}) {
    settings.frameFillColor = c.fill;
    const Bitmap24 box = Preview(source, settings);
    ExpectClosedByTwoBlackOutlines(box);
    EXPECT_EQ(box.Pixel(100, 57), c.ground) << c.fill;   // just above the band
    EXPECT_EQ(box.Pixel(100, 142), c.ground) << c.fill;  // just below it
    EXPECT_EQ(box.Pixel(5, 100), c.fill) << "the triptych's own margin at the band's left end";
  }
}

TEST(FramePreview, TheColouredFrameTintsTheFrameButNotThePhotograph) {
  const Bitmap24 source(400, 400, 0x406080);
  FrameSettings plain = Frame(FrameStyle::Coloured, 0);
  FrameSettings tinted = plain;
  tinted.redOffset = 120;
  tinted.blueOffset = -255;
  const Bitmap24 a = Preview(source, plain);
  const Bitmap24 b = Preview(source, tinted);
  // The moulding at the box's corner, inside the outlines.
  const Colour frame = a.Pixel(6, 6);
  EXPECT_EQ(RedOf(b.Pixel(6, 6)), std::min(255, RedOf(frame) + 120));
  EXPECT_EQ(GreenOf(b.Pixel(6, 6)), GreenOf(frame));
  EXPECT_EQ(BlueOf(b.Pixel(6, 6)), 0);
  // The photograph fills the inner corner and reaches the box's far side.
  EXPECT_EQ(a.Pixel(197, 197), 0x406080u);
  EXPECT_EQ(b.Pixel(197, 197), 0x406080u);
  // The realistic frame with the same picture is not tinted.
  FrameSettings realistic = tinted;
  realistic.entry = static_cast<int>(FrameStyle::Realistic);
  EXPECT_EQ(Preview(source, realistic).Pixel(6, 6), frame);
}

TEST(FramePreview, ThePaintedBorderPaintsTheCornersStripsReproduciblyAndOnlyBelowItsMarginLimit) {
  const Bitmap24 source = testing_support::SyntheticPhoto(300, 300);
  const FrameSettings painted = Frame(FrameStyle::Brushstrokes, 40);
  // The same corner without strokes: a black ground, the margin bands and the photograph.
  Bitmap24 unpainted(kFramePreviewSide, kFramePreviewSide, 0x000000);
  FillRect(unpainted, Rect{2, 2, 200, 22}, kFill);
  FillRect(unpainted, Rect{2, 2, 22, 200}, kFill);
  DrawPicture(unpainted, 20, 20, source);
  FrameRect(unpainted, Rect{0, 0, 200, 200}, 0);
  FrameRect(unpainted, Rect{1, 1, 199, 199}, 0);

  const Bitmap24 first = Preview(source, painted);
  EXPECT_EQ(first, Preview(source, painted)) << "the strokes are seeded";
  EXPECT_NE(first, unpainted);
  // Strips of 40 lines: beyond them the photograph is untouched.
  for (int y = 45; y < 198; y += 7) {
    for (int x = 45; x < 198; x += 7) ASSERT_EQ(first.Pixel(x, y), unpainted.Pixel(x, y)) << x << "," << y;
  }
  // A stopped preview leaves the corner unpainted.
  RunContext stopped;
  stopped.AbortRequested = true;
  EXPECT_EQ(RenderFramePreview(source, painted, nullptr, stopped), unpainted);
  // From the limit on the margin stays plain.
  const FrameSettings wide = Frame(FrameStyle::Brushstrokes, kPaintedPreviewMarginLimit);
  const Bitmap24 plain = Preview(source, wide);
  EXPECT_EQ(plain.Pixel(100, 100), kFill);
  EXPECT_EQ(plain.Pixel(kPaintedPreviewMarginLimit / 2 - 1, 10), kFill);
}

TEST(FramePreview, TheCustomFrameShowsTheWholeFramedPictureOverTheCheckerboard) {
  const Bitmap24 source(300, 300, 0x30A050);
  // A 100 × 100 frame: an opaque red ring 20 pixels wide around a transparent middle.
  Bitmap32 frame(100, 100);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool ring = x < 20 || y < 20 || x >= 80 || y >= 80;
      std::uint8_t* pixel = frame.Row(y) + 4 * x;
      pixel[0] = 0;
      pixel[1] = 0;
      pixel[2] = 255;
      pixel[3] = ring ? 255 : 0;
    }
  }
  FrameSettings settings = Frame(FrameStyle::Custom, 0);
  settings.useDefaultFrame = false;
  RunContext context;
  const Bitmap24 box = RenderFramePreview(source, settings, &frame, context);
  ExpectClosedByTwoBlackOutlines(box);
  EXPECT_EQ(box.Pixel(100, 100), 0x30A050u) << "the photograph in the opening";
  EXPECT_EQ(box.Pixel(10, 100), 0x0000FFu) << "the frame's ring";
  // Without a frame of the user's the built-in one is laid round the photograph.
  const Bitmap24 builtIn = Preview(source, Frame(FrameStyle::Custom, 0));
  EXPECT_EQ(builtIn.Pixel(100, 100), 0x30A050u);
  EXPECT_NE(builtIn.Pixel(4, 100), 0x30A050u);
}

}  // namespace
}  // namespace atelion
