#include "styles/stylized/merge_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "effects/preview.h"
#include "effects/run_pipeline.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::NoisePicture;
using testing_support::NoisySyntheticPhoto;

// The merge as described, one channel value at a time.
Bitmap24 LiteralMerge(const Bitmap24& A, const Bitmap24& B, const ParameterSet& s) {
  const int P1 = s[kSlotTrackBar1], P2 = s[kSlotTrackBar2], P3 = s[kSlotTrackBar5];
  Bitmap24 out = B;
  for (int y = 0; y < A.Height(); ++y)
    for (int i = 0; i < 3 * A.Width(); ++i) {
      const int a = A.Row(y)[i], b = B.Row(y)[i];
      const int X = a * (255 - P1) / 255 + P1 * b / 255;
      const int m = std::min(a * b / (455 - 4 * P3), 255);
      out.Row(y)[i] = static_cast<std::uint8_t>(X * (255 - P2) / 255 + m * P2 / 255);
    }
  return out;
}

StyleSettings Settings(const ParameterSet& sliders) {
  StyleSettings settings;
  settings.effectId = kMergeEffectId;
  settings.sliders = sliders;
  return settings;
}

Bitmap24 Merged(const Bitmap24& source, Bitmap24 result, const ParameterSet& sliders) {
  RunContext context;
  MergeImages(source, result, Settings(sliders), context);
  return result;
}

TEST(MergeImages, MatchesTheLiteralMixes) {
  const Bitmap24 a = NoisePicture(23, 11, 1), b = NoisePicture(23, 11, 2);
  for (const ParameterSet& sliders : {FactoryDefaults(kMergeEffectId), ParameterSet{200, 90, 0, 0, 0},
                                      ParameterSet{31, 255, 100, 0, 0}, ParameterSet{255, 128, 73, 0, 0}}) {
    EXPECT_EQ(Merged(a, b, sliders), LiteralMerge(a, b, sliders)) << sliders[0] << " " << sliders[1] << " " << sliders[2];
  }
}

TEST(MergeImages, SlidersAtTheirEndsAndDifferentSizes) {
  const Bitmap24 source = NoisySyntheticPhoto(30, 20, 3);
  const Bitmap24 result = NoisePicture(30, 20, 4);
  EXPECT_EQ(Merged(source, result, {0, 0, 50, 0, 0}), source);
  EXPECT_EQ(Merged(source, result, {255, 0, 50, 0, 0}), result);
  // Pure multiply: white in the result shows the source unchanged.
  EXPECT_EQ(Merged(source, Bitmap24(30, 20), {0, 255, 50, 0, 0}), source);
  for (const auto& [w, h] : {std::pair{31, 20}, {30, 19}}) {
    const Bitmap24 other = NoisePicture(w, h, 5);
    EXPECT_EQ(Merged(source, other, FactoryDefaults(kMergeEffectId)), other);
  }
}

TEST(MergeImages, FullSizeMergesTheCentredPartOfALargerResult) {
  Bitmap24 source = NoisySyntheticPhoto(20, 10, 6);
  const Bitmap24 inner = NoisePicture(20, 10, 7);
  Bitmap24 framed(30, 18, 0x00FF00);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) framed.SetPixel(5 + x, 4 + y, inner.Pixel(x, y));
  const ParameterSet sliders{100, 60, 40, 0, 0};
  RunContext context;
  const StyleOutput output = ProcessAlphaBlend(source, framed, Settings(sliders), SurfaceSettings{}, context);
  EXPECT_EQ(output.picture, LiteralMerge(source, inner, sliders));
  // A result smaller than the source is left as it is.
  Bitmap24 small = NoisePicture(19, 10, 8);
  EXPECT_EQ(ProcessAlphaBlend(source, small, Settings(sliders), SurfaceSettings{}, context).picture, small);
}

TEST(MergeImages, RunsThroughThePipelineOnTheCurrentResult) {
  RunPictures pictures;
  pictures.source = NoisySyntheticPhoto(16, 12, 9);
  pictures.result = NoisePicture(16, 12, 10);
  const Bitmap24 before = pictures.result;
  StyleSettings settings = Settings({90, 200, 60, 0, 0});
  RunContext context;
  ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(pictures.result, LiteralMerge(pictures.source, before, settings.sliders));
}

TEST(MergeImages, PreviewWorksOnTheResultCropOrPassesTheCropWhenWidthsDiffer) {
  const Bitmap24 source = NoisySyntheticPhoto(300, 250, 11);
  const Bitmap24 result = NoisePicture(300, 250, 12);
  const Point origin{40, 30};
  PreviewInput input;
  input.crop = PreviewCrop(source, origin, 220);
  input.resultCrop = PreviewCrop(result, origin, 220);
  input.style = Settings({150, 100, 30, 0, 0});
  RunContext context;
  const PreviewOutput output = RunStylePreview(input, context);
  EXPECT_EQ(output.picture, LiteralMerge(input.crop, input.resultCrop, input.style.sliders));
  EXPECT_EQ(output.style.result, nullptr);
  // No result crop (the result's width differs): the crop passes as "Frame, texture and text only".
  input.resultCrop = Bitmap24();
  const PreviewOutput passed = RunStylePreview(input, context);
  EXPECT_EQ(passed.style.effectId, kNoEffectId);
  EXPECT_EQ(passed.picture, input.crop);
}

TEST(MergeImages, TinyPicturesComeBackMerged) {
  for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}}) {
    const Bitmap24 a = NoisePicture(w, h, 13), b = NoisePicture(w, h, 14);
    EXPECT_EQ(Merged(a, b, FactoryDefaults(kMergeEffectId)), LiteralMerge(a, b, FactoryDefaults(kMergeEffectId)));
  }
}

}  // namespace
}  // namespace atelion
