#include "document/image_view.h"

#include <gtest/gtest.h>

#include <vector>

#include <cstdlib>
#include <utility>

namespace atelion {
namespace {

TEST(MainZoom, TypedZoomIsAcceptedOnlyInItsRange) {
  const std::pair<const char*, int> cases[] = {
      {"150", 150}, {"5", 5},       {"1000", 1000}, {" 250 ", 250}, {"+80", 80},
      {"4", 77},    {"1001", 77},   {"0", 77},      {"-50", 77},    {"abc", 77},
      {"12.5", 77}, {"150 %", 77},  {"", 77},       {"   ", 77},    {"99999999999", 77},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ZoomFromInput(text, 77), expected) << '"' << text << '"';
}

TEST(MainZoom, WheelChangesZoomOrBrushSizeWithinLimits) {
  const struct {
    int value;
    bool up;
    int zoom, brush;
  } cases[] = {
      {100, true, 102, 95}, {100, false, 98, 105}, {6, false, 5, 11},    {5, false, 5, 10},
      {999, true, 1000, 994}, {1000, true, 1000, 995}, {7, true, 9, 5},  {5, true, 7, 5},
      {196, false, 194, 199}, {199, false, 197, 199},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ZoomAfterWheel(c.value, c.up), c.zoom) << c.value << (c.up ? " up" : " down");
    EXPECT_EQ(BrushSizeAfterWheel(c.value, c.up), c.brush) << c.value << (c.up ? " up" : " down");
  }
}

TEST(MainZoom, HeldZoomButtonsStepFasterTheLongerTheyAreHeld) {
  // Zooming in from 100 %: the first ticks add 100 div 30 = 3, later ones the count's quarter too.
  int zoom = 100;
  std::vector<int> steps;
  for (int count = 1; count <= 9; ++count) {
    const int next = SteppedZoom(zoom, count, true);
    steps.push_back(next - zoom);
    zoom = next;
  }
  EXPECT_EQ(steps.front(), 3);
  EXPECT_GT(steps.back(), steps.front());
  EXPECT_EQ(SteppedZoom(700, 1, false), 700 - 20);
  EXPECT_EQ(SteppedZoom(kMinZoom, 50, false), kMinZoom);
  EXPECT_EQ(SteppedZoom(kMaxZoom, 50, true), kMaxZoom);
  // Right-clicks jump by 100 above 100 %, by 10 below, and stop short of the limits.
  EXPECT_EQ(JumpedZoom(250, false), 150);
  EXPECT_EQ(JumpedZoom(100, false), 90);
  EXPECT_EQ(JumpedZoom(14, false), 14);
  EXPECT_EQ(JumpedZoom(900, true), 1000);
  EXPECT_EQ(JumpedZoom(901, true), 901);
}

TEST(MainZoom, TextAndZoomedSizes) {
  EXPECT_EQ(ZoomText(100), "100 %");
  EXPECT_EQ(ZoomText(5), "5 %");
  const struct {
    PictureSize natural;
    int zoom;
    PictureSize expected;
  } cases[] = {
      {{640, 480}, 100, {640, 480}},
      {{641, 479}, 50, {320, 239}},  // halves truncate
      {{33, 7}, 5, {1, 0}},
      {{4000, 3000}, 1000, {40000, 30000}},
      {{32768, 15000}, 1000, {327680, 150000}},
  };
  for (const auto& c : cases) EXPECT_EQ(ZoomedSize(c.natural, c.zoom), c.expected) << c.zoom;
}

TEST(ImagePlacementRules, CentringUsesHalvesOfPanelAndImage) {
  EXPECT_EQ(CentredPlacement({40, 21}, {101, 50}), (ImagePlacement{30, 15, 40, 21}));
  // A picture larger than its panel overhangs equally on both sides.
  EXPECT_EQ(CentredPlacement({300, 100}, {200, 60}), (ImagePlacement{-50, -20, 300, 100}));
}

TEST(ImagePlacementRules, BoundingKeepsSmallImagesInsideAndLargeOnesCovering) {
  const struct {
    int position, image, panel, expected;
  } cases[] = {
      // Smaller than the panel (room 60): stays fully visible.
      {-5, 40, 100, 0}, {70, 40, 100, 60}, {30, 40, 100, 30}, {60, 40, 100, 60},
      // Larger than the panel (room −50): never leaves a gap.
      {10, 150, 100, 0}, {-60, 150, 100, -50}, {-20, 150, 100, -20}, {0, 150, 100, 0},
      // Exactly as large: pinned at 0.
      {5, 100, 100, 0}, {-5, 100, 100, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BoundedPosition(c.position, c.image, c.panel), c.expected)
        << "position " << c.position << ", image " << c.image << ", panel " << c.panel;
  EXPECT_EQ(BoundImage({-5, 120, 40, 150}, {100, 100}), (ImagePlacement{0, 0, 40, 150}));
}

TEST(ImagePlacementRules, ZoomGrowsAroundTheCentreThenBounds) {
  const PictureSize natural{40, 20};
  const PictureSize panel{200, 200};
  const struct {
    ImagePlacement before;
    int zoom;
    ImagePlacement expected;
  } cases[] = {
      {{80, 90, 40, 20}, 200, {60, 80, 80, 40}},       // grows by 40 × 20 around its centre
      {{80, 90, 80, 40}, 100, {100, 100, 40, 20}},     // and shrinks back
      {{10, 5, 40, 20}, 300, {0, 0, 120, 60}},         // would leave the panel: pushed back in
      {{30, 15, 40, 20}, 1000, {-150, 0, 400, 200}},   // wider than the panel; exactly as high: top 0
      {{80, 90, 40, 20}, 105, {79, 90, 42, 21}},       // half of an odd change truncates
  };
  for (const auto& c : cases) EXPECT_EQ(ZoomImage(c.before, natural, c.zoom, panel), c.expected) << c.zoom;
}

TEST(ImagePlacementRules, RefitStartsFromTheNewPicturesNaturalSize) {
  // The image showed an 80 × 40 picture at 200 %; undo brings back a 30 × 10 picture.
  const ImagePlacement shown{50, 50, 160, 80};
  EXPECT_EQ(RefitImage(shown, {30, 10}, 200, {300, 300}), (ImagePlacement{35, 45, 60, 20}));
  EXPECT_EQ(RefitImage(shown, {30, 10}, 100, {300, 300}), (ImagePlacement{50, 50, 30, 10}));
}

TEST(ImagePlacementRules, PanningMovesThenBounds) {
  EXPECT_EQ(PanImage({-20, 10, 300, 50}, {15, -4}, {200, 100}), (ImagePlacement{-5, 6, 300, 50}));
  EXPECT_EQ(PanImage({-20, 10, 300, 50}, {40, 80}, {200, 100}), (ImagePlacement{0, 50, 300, 50}));
}

TEST(Panning, DragMovesByTheCursorAndSetsTheVelocity) {
  PanState pan;
  EXPECT_EQ(pan.Move({5, 5}), (Point{0, 0}));  // no drag yet
  pan.Press({100, 100});
  EXPECT_EQ(pan.Move({107, 97}), (Point{7, -3}));
  EXPECT_EQ(pan.Velocity(), (Point{14, -6}));
  EXPECT_EQ(pan.Move({110, 90}), (Point{3, -7}));
  EXPECT_EQ(pan.Velocity(), (Point{6, -14}));
  EXPECT_FALSE(pan.Release());  // |vx| = 6 is too slow
  EXPECT_FALSE(pan.Dragging());
}

TEST(Panning, OnlyAFastDiagonalReleaseGlides) {
  const struct {
    Point lastMove;
    bool glides;
  } cases[] = {
      {{6, 6}, true}, {{-6, 6}, true}, {{-6, -6}, true},
      {{5, 6}, false},    // velocity 10 is not above 10
      {{40, 0}, false},   // both components must be fast
      {{0, -40}, false},
  };
  for (const auto& c : cases) {
    PanState pan;
    pan.Press({0, 0});
    pan.Move(c.lastMove);
    EXPECT_EQ(pan.Release(), c.glides) << c.lastMove.x << ", " << c.lastMove.y;
  }
}

TEST(Panning, GlideSlowsDownAndStops) {
  PanState pan;
  pan.Press({0, 0});
  pan.Move({-20, 15});  // velocity (−40, 30)
  ASSERT_TRUE(pan.Release());
  // Each tick keeps 85 %, truncated toward zero.
  const Point expected[] = {{-40, 30}, {-34, 25}, {-28, 21}, {-23, 17}};
  for (const Point& offset : expected) {
    const PanState::GlideStep step = pan.GlideTick();
    EXPECT_EQ(step.offset, offset);
    EXPECT_FALSE(step.last);
  }
  int ticks = 0;
  PanState::GlideStep step;
  do {
    step = pan.GlideTick();
    ++ticks;
  } while (!step.last && ticks < 100);
  EXPECT_TRUE(step.last);
  EXPECT_LE(std::abs(pan.Velocity().x), 1);
  EXPECT_LE(std::abs(pan.Velocity().y), 1);
  EXPECT_FALSE(pan.Gliding());
  EXPECT_EQ(pan.GlideTick().offset, (Point{0, 0}));

  // A new drag stops a glide at once.
  pan.Press({0, 0});
  pan.Move({30, 30});
  ASSERT_TRUE(pan.Release());
  pan.Press({1, 1});
  EXPECT_FALSE(pan.Gliding());
}

TEST(DropShadow, DepthAndDarkening) {
  const std::pair<int, int> depths[] = {{0, 0}, {34, 0}, {35, 1}, {199, 5}, {200, 5}, {201, 7}, {5000, 7}};
  for (const auto& [height, depth] : depths) EXPECT_EQ(ShadowDepth(height), depth) << height;
  EXPECT_EQ(ShadowLineBrightness(0), -35);
  EXPECT_EQ(ShadowLineBrightness(3), -20);
  EXPECT_EQ(ShadowLineBrightness(7), 0);
}

TEST(PanelDivider, LayoutForWidthAndOffset) {
  const struct {
    int width, offset;
    DividerLayout expected;
  } cases[] = {
      {1000, 0, {0, 491, 503, 490, 494}},
      {1001, 0, {0, 491, 503, 491, 494}},  // the odd pixel goes to the right panel
      {1000, 100, {100, 391, 403, 590, 394}},
      {1000, 600, {490, 1, 13, 980, 4}},       // limited to W div 2 − 10
      {1000, -600, {-490, 981, 993, 0, 984}},  // limited to 10 − W div 2: the source fills the window
      {10, 0, {-5, 1, 13, 0, 4}},              // narrower than the margins: upper limit wins
  };
  for (const auto& c : cases)
    EXPECT_EQ(LayOutDivider(c.width, c.offset), c.expected) << c.width << " / " << c.offset;
}

TEST(PanelDivider, ReleaseAndKeysSetTheOffset) {
  // The handle ends 6 pixels left of where it was released.
  for (const int releaseX : {-300, -1, 0, 4, 250}) {
    const int offset = SplitOffsetAfterRelease(1000, 494, releaseX);
    EXPECT_EQ(LayOutDivider(1000, offset).handleLeft, 494 + releaseX - 6) << releaseX;
  }
  EXPECT_EQ(SplitOffsetForKey(DividerKey::Right, 1001), -490);
  EXPECT_EQ(SplitOffsetForKey(DividerKey::Left, 1001), 490);
  EXPECT_EQ(SplitOffsetForKey(DividerKey::Middle, 1001), 0);
  EXPECT_EQ(LayOutDivider(1000, SplitOffsetForKey(DividerKey::Right, 1000)).rightPanelWidth, 0);
  EXPECT_EQ(LayOutDivider(1000, SplitOffsetForKey(DividerKey::Left, 1000)).leftPanelWidth, 1);
}

TEST(PreviewCrop, OriginAfterUndoAndRedo) {
  const struct {
    PictureSize source;
    int limit;
    Point expected;
  } cases[] = {
      {{220, 220}, kPreviewResetLimitAfterUndo, {0, 0}},
      {{221, 1000}, kPreviewResetLimitAfterUndo, {10, 400}},
      {{210, 200}, kPreviewResetLimitAfterRedo, {5, 0}},
      {{210, 200}, kPreviewResetLimitAfterUndo, {0, 0}},
      {{4000, 3000}, kPreviewResetLimitAfterRedo, {1900, 1400}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PreviewCropOrigin(c.source, c.limit), c.expected) << c.source.width << "x" << c.source.height;
}

}  // namespace
}  // namespace atelion
