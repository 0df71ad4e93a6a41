// The styles' example pictures: their numbering across the group lists, the square cut from the
// photograph, and drawing them reproducibly.
#include "effects/style_samples.h"

#include <gtest/gtest.h>

#include <set>

#include "styles/catalogue.h"
#include "styles/style_list.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::SyntheticPhoto;

int Red(Colour colour) { return colour & 0xFF; }

TEST(StyleSampleIndexTest, ListsFollowEachOtherFromTheirOffsets) {
  struct Case {
    int effectId;
    int index;
  };
  const Case cases[] = {
      {kPencilSketch1EffectId, 0},   {kOilPastelEffectId, 3},      {kPencilSketch6EffectId, 6},
      {kPenAndInkSketch1EffectId, 7}, {kPenAndInkSketch2EffectId, 8}, {kPainting1EffectId, 9},
      {kPainting11EffectId, 19},     {kPixelationEffectId, 20},    {kAbstractEffectId, 27},
      {kVivifyEffectId, 28},         {kMergeEffectId, 30},         {kNoEffectId, 31},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.effectId);
    EXPECT_EQ(StyleSampleIndex(c.effectId), c.index);
    EXPECT_EQ(EffectForStyleSample(c.index), c.effectId);
  }
  EXPECT_EQ(StyleSamplePath(kPencilSketch6EffectId), "samples/style_sample_06.png");
  EXPECT_EQ(StyleSampleIndex(-1), -1);
  EXPECT_EQ(StyleSampleIndex(kEffectCount), -1);
  EXPECT_EQ(EffectForStyleSample(kEffectCount), -1);

  // Every style has its own picture: the 32 indices are 0..31, each once.
  std::set<int> indices;
  for (int effectId = 0; effectId < kEffectCount; ++effectId) indices.insert(StyleSampleIndex(effectId));
  EXPECT_EQ(indices.size(), static_cast<std::size_t>(kEffectCount));
  EXPECT_EQ(*indices.begin(), 0);
  EXPECT_EQ(*indices.rbegin(), kEffectCount - 1);
}

TEST(StyleSampleSceneTest, AWidePhotoIsScaledToTheSquaresHeightAndCutNearItsLeft) {
  // Black left half, white right half: 900 × 600 scales to 293 × 195, the square starts at 20
  // (7 % of 293), so the edge at 146.5 lands near column 126 of the square.
  Bitmap24 photo(900, 600, 0xFFFFFF);
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 450; ++x) photo.SetPixel(x, y, 0);
  }
  const Bitmap24 scene = StyleSampleScene(photo);
  ASSERT_EQ(scene.Width(), kStyleSampleSide);
  ASSERT_EQ(scene.Height(), kStyleSampleSide);
  for (const int y : {0, 97, 194}) {
    EXPECT_EQ(Red(scene.Pixel(0, y)), 0);
    EXPECT_EQ(Red(scene.Pixel(122, y)), 0);
    EXPECT_EQ(Red(scene.Pixel(131, y)), 255);
    EXPECT_EQ(Red(scene.Pixel(194, y)), 255);
  }
}

TEST(StyleSampleSceneTest, ANarrowPhotoIsCentredOnWhiteAndAnEmptyOneGivesWhite) {
  const Bitmap24 narrow(60, 600, 0);  // scales to 20 × 195, placed at columns 87..106
  const Bitmap24 scene = StyleSampleScene(narrow);
  ASSERT_EQ(scene.Width(), kStyleSampleSide);
  EXPECT_EQ(scene.Pixel(80, 100), 0xFFFFFFu);
  EXPECT_EQ(scene.Pixel(96, 100), 0u);
  EXPECT_EQ(scene.Pixel(110, 100), 0xFFFFFFu);
  const Bitmap24 empty = StyleSampleScene(Bitmap24());
  EXPECT_EQ(empty.Width(), kStyleSampleSide);
  EXPECT_EQ(empty.Pixel(0, 0), 0xFFFFFFu);
}

TEST(StyleSampleRenderTest, ExamplesAreTheSameOnEveryBuildAndShowTheStyle) {
  const Bitmap24 scene = StyleSampleScene(SyntheticPhoto(450, 300));
  const Bitmap24 drawing = RenderStyleSample(scene, scene, kPencilSketch1EffectId).value_or(Bitmap24());
  ASSERT_EQ(drawing.Width(), kStyleSampleSide);
  // A style that does not reset its own seed (Abstract) also draws the same twice.
  for (const int effectId : {kPencilSketch1EffectId, kPainting7EffectId, kAbstractEffectId, kPixelationEffectId}) {
    SCOPED_TRACE(effectId);
    if (!StyleAvailable(effectId)) continue;
    const auto first = RenderStyleSample(scene, drawing, effectId);
    const auto second = RenderStyleSample(scene, drawing, effectId);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Width(), kStyleSampleSide);
    EXPECT_EQ(first->Height(), kStyleSampleSide);
    EXPECT_EQ(Fnv1a(*first), Fnv1a(*second));
    EXPECT_NE(Fnv1a(*first), Fnv1a(scene));
  }
  // The merge blends the scene with the drawing it is given, not with itself.
  const auto merged = RenderStyleSample(scene, drawing, kMergeEffectId);
  const auto mergedWithItself = RenderStyleSample(scene, scene, kMergeEffectId);
  ASSERT_TRUE(merged && mergedWithItself);
  EXPECT_NE(Fnv1a(*merged), Fnv1a(*mergedWithItself));
}

}  // namespace
}  // namespace atelion
