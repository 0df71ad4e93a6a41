// The adjustments of the photograph: the chain of filters runs in the order the sliders call for
// (median first, blur and sharpening last, box blurs before softenings), gives the same bytes as
// the filters called one by one, and the preview part stays inside the photograph.
#include "document/source_modifications.h"

#include <gtest/gtest.h>

#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using Filter = ModificationStep::Filter;
using testing_support::NoisySyntheticPhoto;

TEST(PlanSourceModifications, RunsTheFiltersInTheOrderTheSlidersCallFor) {
  struct Case {
    const char* what;
    SourceModificationSettings settings;
    std::vector<ModificationStep> expected;
  };
  const std::vector<ModificationStep> neutral = {{Filter::Brightness, 0}, {Filter::LocalContrast, 0}, {Filter::Saturation, 0}};
  auto neutralThen = [&](std::vector<ModificationStep> tail) {
    std::vector<ModificationStep> steps = neutral;
    steps.insert(steps.end(), tail.begin(), tail.end());
    return steps;
  };
  const Case cases[] = {
      {"all at 0: local contrast 0 still runs", {}, neutral},
      {"contrast -1 pulls towards grey", {0, -1, 0, 0, 0},
       {{Filter::Brightness, 0}, {Filter::PivotContrast, -1}, {Filter::Saturation, 0}}},
      {"contrast 30 is local contrast 60", {0, 30, 0, 0, 0},
       {{Filter::Brightness, 0}, {Filter::LocalContrast, 60}, {Filter::Saturation, 0}}},
      {"-3: three softenings", {0, 0, 0, -3, 0}, neutralThen({{Filter::Soften}, {Filter::Soften}, {Filter::Soften}})},
      {"-4: one box blur then three softenings", {0, 0, 0, -4, 0},
       neutralThen({{Filter::BoxBlur}, {Filter::Soften}, {Filter::Soften}, {Filter::Soften}})},
      {"-5: two box blurs then three softenings", {0, 0, 0, -5, 0},
       neutralThen({{Filter::BoxBlur}, {Filter::BoxBlur}, {Filter::Soften}, {Filter::Soften}, {Filter::Soften}})},
      {"-1: one softening", {0, 0, 0, -1, 0}, neutralThen({{Filter::Soften}})},
      {"2: two sharpenings", {0, 0, 0, 2, 0}, neutralThen({{Filter::Sharpen}, {Filter::Sharpen}})},
      {"every slider: median of window n + 2 first", {25, -40, 60, 1, 3},
       {{Filter::Median, 5}, {Filter::Brightness, 25}, {Filter::PivotContrast, -40}, {Filter::Saturation, 60},
        {Filter::Sharpen}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlanSourceModifications(c.settings), c.expected) << c.what;
  }
}

// The chain against the filters called by hand in the order the sliders describe.
TEST(ModifyPicture, GivesTheBytesOfTheFiltersCalledOneByOne) {
  const Bitmap24 photo = NoisySyntheticPhoto(40, 30);
  const MeanColour mean = ComputeMeanColour(photo);
  struct Case {
    SourceModificationSettings settings;
    void (*literal)(Bitmap24&, const MeanColour&, RunContext&);
  };
  const Case cases[] = {
      {{20, 30, -40, -4, 2},
       [](Bitmap24& p, const MeanColour& m, RunContext& c) {
         p = MedianSmooth(p, 4, c);
         AdjustBrightness(p, 20);
         LocalContrast(p, 60, m);
         AdjustSaturation(p, -40, c);
         BoxBlur3(p);
         Soften(p);
         Soften(p);
         Soften(p);
       }},
      {{-10, -25, 15, 3, 0},
       [](Bitmap24& p, const MeanColour&, RunContext& c) {
         AdjustBrightness(p, -10);
         PivotContrast(p, 127, -25);
         AdjustSaturation(p, 15, c);
         Sharpen3(p);
         Sharpen3(p);
         Sharpen3(p);
       }},
      {{0, 0, 0, -5, 9},
       [](Bitmap24& p, const MeanColour&, RunContext& c) {
         p = MedianSmooth(p, 11, c);
         BoxBlur3(p);
         BoxBlur3(p);
         Soften(p);
         Soften(p);
         Soften(p);
       }},
  };
  for (const Case& c : cases) {
    RunContext context;
    Bitmap24 expected = photo;
    c.literal(expected, mean, context);
    Bitmap24 modified = photo;
    EXPECT_TRUE(ModifyPicture(modified, c.settings, mean, context));
    EXPECT_EQ(modified, expected) << c.settings.luminosity << " " << c.settings.contrast << " " << c.settings.blurSharpen;
    EXPECT_NE(modified, photo);
  }
}

TEST(ModifyPicture, AllSlidersAtZeroLeaveThePictureAsItIsAndAStopLeavesEarly) {
  const Bitmap24 photo = NoisySyntheticPhoto(33, 21);
  RunContext context;
  Bitmap24 unchanged = photo;
  EXPECT_TRUE(ModifyPicture(unchanged, {}, ComputeMeanColour(photo), context));
  EXPECT_EQ(unchanged, photo);

  context.AbortRequested = true;
  Bitmap24 stopped = photo;
  EXPECT_FALSE(ModifyPicture(stopped, {50, 0, 0, 0, 0}, ComputeMeanColour(photo), context));
  EXPECT_EQ(stopped, photo) << "stopped before the first filter";
}

TEST(ModificationPreview, ThePartStaysInsideThePhotograph) {
  struct Case {
    Point wanted;
    PictureSize source;
    Point expected;
  };
  const Case cases[] = {
      {kModificationPreviewStart, {400, 300}, {110, 0}},
      {{-20, -5}, {400, 300}, {0, 0}},
      {{300, 200}, {400, 300}, {250, 150}},
      {kModificationPreviewStart, {200, 120}, {50, 0}},
      // Smaller than the preview: the part stays at the corner on that axis.
      {kModificationPreviewStart, {100, 80}, {0, 0}},
      {{30, 40}, {149, 500}, {0, 40}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClampModificationPreviewOrigin(c.wanted, c.source), c.expected)
        << c.wanted.x << "," << c.wanted.y << " in " << c.source.width << "x" << c.source.height;
  }

  const Bitmap24 large = NoisySyntheticPhoto(400, 300);
  const Bitmap24 part = ModificationPreviewPart(large, {300, 10});
  ASSERT_EQ(part.Width(), kModificationPreviewSide);
  ASSERT_EQ(part.Height(), kModificationPreviewSide);
  EXPECT_EQ(part.Pixel(0, 0), large.Pixel(250, 10));
  EXPECT_EQ(part.Pixel(149, 149), large.Pixel(399, 159));

  // A photograph smaller than the preview is shown whole.
  const Bitmap24 small = NoisySyntheticPhoto(90, 60);
  EXPECT_EQ(ModificationPreviewPart(small, kModificationPreviewStart), small);
}

}  // namespace
}  // namespace atelion
