// The live preview without its window: the crop and where it reaches past the source, the box
// display at both ends of the zoom, each previewable style run on a crop, and a stopped preview.
#include "effects/preview.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/picture_checksum.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::SyntheticPhoto;

bool SamePixels(const Bitmap24& a, const Bitmap24& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && Fnv1a(a) == Fnv1a(b);
}

std::vector<int> PreviewableStyles() {
  std::vector<int> styles;
  for (const EffectDescription& effect : Effects()) {
    if (StyleAvailable(effect.effectId) && StyleHasPreview(effect.effectId)) styles.push_back(effect.effectId);
  }
  return styles;
}

PreviewInput InputFor(int effectId, const Bitmap24& crop) {
  PreviewInput input;
  input.crop = crop;
  input.style.effectId = effectId;
  input.style.sliders = FactoryDefaults(effectId);
  input.style.sourceMean = ComputeMeanColour(crop);
  return input;
}

TEST(PreviewCropTest, SourceRectangleLandsAtTheOriginAndTheRestStaysDarkGrey) {
  const Bitmap24 source = SyntheticPhoto(90, 60);
  struct Case {
    Point origin;
  };
  for (const Case& c : {Case{{0, 0}}, Case{{-15, -7}}, Case{{30, 20}}, Case{{500, 500}}}) {
    SCOPED_TRACE(::testing::Message() << c.origin.x << "," << c.origin.y);
    const Bitmap24 crop = PreviewCrop(source, c.origin, PreviewCropSize(100));
    ASSERT_EQ(crop.Width(), 220);
    ASSERT_EQ(crop.Height(), 220);
    for (int y = 0; y < crop.Height(); y += 3) {
      for (int x = 0; x < crop.Width(); x += 3) {
        const int sx = x + c.origin.x, sy = y + c.origin.y;
        const bool inside = sx >= 0 && sy >= 0 && sx < source.Width() && sy < source.Height();
        ASSERT_EQ(crop.Pixel(x, y), inside ? source.Pixel(sx, sy) : kPreviewOutsideColour) << x << "," << y;
      }
    }
  }
}

TEST(PreviewCropTest, ZoomEndsGiveCropSidesAndKeepTheCentre) {
  EXPECT_EQ(PreviewCropSize(PreviewZoomForSliderPosition(25)), 220);
  EXPECT_EQ(PreviewCropSize(PreviewZoomForSliderPosition(100)), 880);
  const Point origin{300, 200};
  const Point wide = ZoomedPreviewOrigin(origin, 100, 25);
  EXPECT_EQ(wide, (Point{300 - 330, 200 - 330}));
  // The centre of the crop stays where it was, and zooming back returns to the same crop.
  EXPECT_EQ(wide.x + 880 / 2, origin.x + 220 / 2);
  EXPECT_EQ(ZoomedPreviewOrigin(wide, 25, 100), origin);
}

TEST(PreviewCropTest, DraggingMovesTheCropAgainstThePointerScaledByTheZoom) {
  // At 1:1 the crop moves by the pointer's distance; at Z = 25 by four times that.
  EXPECT_EQ(DraggedPreviewOrigin({50, 50}, {100, 100}, {110, 95}, 100), (Point{40, 55}));
  EXPECT_EQ(DraggedPreviewOrigin({50, 50}, {100, 100}, {110, 95}, 25), (Point{10, 70}));
  // Division truncates towards zero in both directions: 3·100 div 40 = 7.
  EXPECT_EQ(DraggedPreviewOrigin({0, 0}, {0, 0}, {3, -3}, 40), (Point{-7, 7}));
}

TEST(PreviewBoxTest, OneToOneAtFullZoomScaledAndSharpenedWhenZoomedOut) {
  const Bitmap24 small = SyntheticPhoto(220, 220);
  EXPECT_TRUE(SamePixels(ShowInBox(small, 100), small));

  // An 880 crop whose right half is white: shown 1:1 the box would be all black.
  Bitmap24 wide(880, 880, 0x000000);
  FillRect(wide, {440, 0, 880, 880}, 0xFFFFFF);
  const Bitmap24 box = ShowInBox(wide, 25);
  ASSERT_EQ(box.Width(), 220);
  ASSERT_EQ(box.Height(), 220);
  for (int y = 2; y < 218; y += 20) {
    EXPECT_EQ(box.Pixel(50, y), 0x000000u);
    EXPECT_EQ(box.Pixel(170, y), 0xFFFFFFu);
  }
}

TEST(StylePreviewTest, EachPreviewableStyleIsRepeatableAndDrawsTheCrop) {
  const Bitmap24 crop = PreviewCrop(SyntheticPhoto(260, 180), {60, -20}, 220);
  for (const int effectId : PreviewableStyles()) {
    SCOPED_TRACE(EffectName(effectId));
    PreviewInput input = InputFor(effectId, crop);
    if (effectId == 14) input.style.sliders[kSlotTrackBar1] = 200;  // brighter than neutral
    if (effectId == kMergeEffectId) input.resultCrop = Bitmap24(220, 220, 0);  // merged with black
    RunContext first, second;
    const PreviewOutput a = RunStylePreview(input, first);
    const PreviewOutput b = RunStylePreview(input, second);
    ASSERT_EQ(a.picture.Width(), 220);
    ASSERT_EQ(a.picture.Height(), 220);
    EXPECT_TRUE(SamePixels(a.picture, b.picture));
    EXPECT_FALSE(SamePixels(a.picture, crop));
    EXPECT_EQ(first.PreviewEffect, 0);
    EXPECT_FALSE(first.Processing);
    // Without soften and texture the untextured copy is the picture itself — except for the
    // tone adjustment of "Frame, texture and text only", which comes after and is not kept.
    if (effectId == 14) {
      EXPECT_TRUE(SamePixels(a.untexturedCopy, crop));
    } else {
      EXPECT_TRUE(SamePixels(a.untexturedCopy, a.picture));
    }
  }
}

TEST(StylePreviewTest, SoftenIsLaidOverTheUntexturedCopyAndCanBeRedoneFromIt) {
  const Bitmap24 crop = PreviewCrop(SyntheticPhoto(220, 220), {0, 0}, 220);
  PreviewInput input = InputFor(12, crop);
  input.finishing.softenEdges = true;
  RunContext context;
  const PreviewOutput output = RunStylePreview(input, context);
  EXPECT_FALSE(SamePixels(output.picture, output.untexturedCopy));
  EXPECT_TRUE(SamePixels(RetexturedPreview(output.untexturedCopy, input.finishing), output.picture));
  input.finishing.softenEdges = false;
  EXPECT_TRUE(SamePixels(RetexturedPreview(output.untexturedCopy, input.finishing), output.untexturedCopy));
}

TEST(StylePreviewTest, StylesWithoutAPreviewGiveWhite) {
  const Bitmap24 crop = PreviewCrop(SyntheticPhoto(100, 100), {0, 0}, 220);
  int tested = 0;
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    if (StyleHasPreview(effectId)) continue;
    SCOPED_TRACE(effectId);
    RunContext context;
    const PreviewOutput output = RunStylePreview(InputFor(effectId, crop), context);
    EXPECT_TRUE(SamePixels(output.picture, Bitmap24(220, 220, 0xFFFFFF)));
    ++tested;
  }
  if (tested == 0) GTEST_SKIP() << "every style of this build has a preview";
}

// Stops the run at the first intermediate picture, as a slider move during a preview does.
class AbortAtFirstPicture : public PreviewSink {
 public:
  explicit AbortAtFirstPicture(RunContext& context) : context_(context) {}
  void ShowPreviewProgress(const Bitmap24& picture, int) override {
    ++pictures;
    lastSize = picture.Width();
    context_.AbortRequested = true;
  }
  int pictures = 0;
  int lastSize = 0;

 private:
  RunContext& context_;
};

TEST(StylePreviewTest, AnAbortEndsThePreviewEarlyWithAPicture) {
  const Bitmap24 crop = PreviewCrop(SyntheticPhoto(220, 220), {0, 0}, 220);
  for (const int effectId : PreviewableStyles()) {
    SCOPED_TRACE(EffectName(effectId));
    RunContext before;
    before.AbortRequested = true;
    const PreviewOutput stopped = RunStylePreview(InputFor(effectId, crop), before);
    EXPECT_EQ(stopped.picture.Width(), 220);
    EXPECT_EQ(stopped.picture.Height(), 220);
    EXPECT_EQ(before.PreviewEffect, 0);
  }
  // The styles that show intermediate pictures stop after the first one with a partial picture.
  for (const int effectId : {15, 20, 22}) {
    if (!StyleAvailable(effectId)) continue;
    SCOPED_TRACE(EffectName(effectId));
    RunContext whole;
    const PreviewOutput finished = RunStylePreview(InputFor(effectId, crop), whole);
    RunContext context;
    AbortAtFirstPicture sink(context);
    context.Preview = &sink;
    const PreviewOutput partial = RunStylePreview(InputFor(effectId, crop), context);
    EXPECT_GE(sink.pictures, 1);
    EXPECT_EQ(sink.lastSize, 220);
    EXPECT_EQ(partial.picture.Width(), 220);
    EXPECT_FALSE(SamePixels(partial.picture, finished.picture));
  }
}

}  // namespace
}  // namespace atelion
