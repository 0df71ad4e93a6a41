#include "styles/sketch/cartoon_1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "effects/run_pipeline.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;
using testing_support::SyntheticPhoto;

CartoonParameters Factory() { return CartoonParametersFrom(FactoryDefaults(kCartoon1EffectId)); }

Bitmap24 Cartoon(const Bitmap24& photo, const CartoonParameters& p, std::uint32_t seed, RunContext& context) {
  StyleSettings settings;
  settings.effectId = kCartoon1EffectId;
  context.Rng.RandomSeed = seed;
  Bitmap24 drawing;
  Cartoonify(photo, drawing, p, settings, context);
  return drawing;
}

// Pictures under 140 pixels once divided by zero in the coverage limit (and under 100 in the
// progress): they are drawn like any other, through the whole pipeline.
TEST(ProcessCartoonify, DrawsTinyPictures) {
  const int sizes[][2] = {{1, 1}, {2, 2}, {7, 1}, {1, 7}, {10, 13}, {9, 11}, {1, 1000}, {3000, 2}, {4, 4}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(::testing::Message() << width << " x " << height);
    const Bitmap24 photo = NoisySyntheticPhoto(width, height);
    RunPictures pictures;
    pictures.source = photo;
    pictures.result = photo;
    StyleSettings settings;
    settings.effectId = kCartoon1EffectId;
    settings.sliders = FactoryDefaults(kCartoon1EffectId);
    RunContext context;
    context.Rng.RandomSeed = 7;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    ASSERT_EQ(pictures.result.Width(), width);
    ASSERT_EQ(pictures.result.Height(), height);
  }
}

TEST(Cartoonify, DrawsFromTheRunningGeneratorWithoutSeedingIt) {
  const Bitmap24 photo = NoisySyntheticPhoto(90, 70);
  RunContext first, again, other;
  const Bitmap24 a = Cartoon(photo, Factory(), 11, first);
  const Bitmap24 b = Cartoon(photo, Factory(), 11, again);
  const Bitmap24 c = Cartoon(photo, Factory(), 12, other);
  EXPECT_EQ(Fnv1a(a), Fnv1a(b));
  EXPECT_NE(Fnv1a(a), Fnv1a(c));
  EXPECT_EQ(first.Rng.RandomSeed, again.Rng.RandomSeed);
  EXPECT_NE(first.Rng.RandomSeed, 11u);
}

// Flat regions: the cartoon has far fewer colours than the grainy photograph it comes from.
TEST(Cartoonify, FlattensTheGrainIntoFewColours) {
  const Bitmap24 photo = NoisySyntheticPhoto(120, 90);
  CartoonParameters p = Factory();
  p.edgeIntensity = 0;  // no ink lines
  RunContext context;
  const Bitmap24 drawing = Cartoon(photo, p, 3, context);
  auto colours = [](const Bitmap24& picture) {
    std::vector<Colour> all;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) all.push_back(picture.Pixel(x, y));
    std::sort(all.begin(), all.end());
    return std::unique(all.begin(), all.end()) - all.begin();
  };
  EXPECT_LT(colours(drawing) * 4, colours(photo));
}

// The ink rule on a sharp vertical edge: no ink with Ei = 0, dark ink with Ei = 255; the outermost
// rows and columns never get ink.
TEST(Cartoonify, InkLinesFollowTheEdgeIntensity) {
  Bitmap24 photo(60, 40, MakeColour(230, 220, 60));
  for (int y = 0; y < 40; ++y)
    for (int x = 30; x < 60; ++x) photo.SetPixel(x, y, MakeColour(20, 40, 160));
  CartoonParameters p = Factory();
  p.edgeIntensity = 0;
  RunContext plainContext, inkedContext;
  const Bitmap24 plain = Cartoon(photo, p, 5, plainContext);
  p.edgeIntensity = 255;
  const Bitmap24 inked = Cartoon(photo, p, 5, inkedContext);
  for (int y = 5; y < 35; ++y) {
    for (int x : {29, 30}) {
      const Colour c = inked.Pixel(x, y);
      EXPECT_LT(RedOf(c) + GreenOf(c) + BlueOf(c), 60) << x << ", " << y;
    }
    // Far from the edge both runs agree, up to the block contrast's pivot, which follows the
    // darkened blocks along the row.
    const Colour a = inked.Pixel(10, y), b = plain.Pixel(10, y);
    EXPECT_NEAR(RedOf(a), RedOf(b), 4);
    EXPECT_NEAR(GreenOf(a), GreenOf(b), 4);
    EXPECT_NEAR(BlueOf(a), BlueOf(b), 4);
  }
}

// Stops the run at the n-th time the shell is asked to handle its events.
class AbortAfterPumps : public ProgressSink {
 public:
  AbortAfterPumps(RunContext& context, int pumps) : context_(context), left_(pumps) {}
  void PumpEvents() override {
    if (--left_ == 0) context_.AbortRequested = true;
  }

 private:
  RunContext& context_;
  int left_;
};

TEST(Cartoonify, AStopDuringTheRegionsKeepsThePaintedRegionsAndLeavesTheRestWhite) {
  const Bitmap24 photo = NoisySyntheticPhoto(100, 80);
  RunContext context;
  AbortAfterPumps sink(context, 6);
  context.Progress = &sink;
  const Bitmap24 stopped = Cartoon(photo, Factory(), 9, context);
  int white = 0, painted = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x) {
      const Colour c = stopped.Pixel(x, y);
      if (c == 0xFFFFFF) {
        ++white;
      } else {
        ++painted;
        // Region colours are limited to 254 and not yet posterized or inked.
        EXPECT_LE(std::max({RedOf(c), GreenOf(c), BlueOf(c)}), 254);
      }
    }
  }
  EXPECT_GT(white, 0);
  EXPECT_GT(painted, 0);
}

}  // namespace
}  // namespace atelion
