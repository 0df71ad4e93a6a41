#include "styles/sketch/pen_and_ink_sketch_2.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <tuple>

#include "core/canvas.h"
#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "support/synthetic_photos.h"
#include "support/stop_at_pump.h"
#include "support/picture_checksum.h"

namespace atelion {

void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::NoisePicture;
using testing_support::StopAtPump;
using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

constexpr int kStyle = kPenAndInkSketch2EffectId;

StyleSettings SettingsFor(const Bitmap24& photo, ParameterSet sliders) {
  StyleSettings settings;
  settings.effectId = kStyle;
  settings.sliders = sliders;
  settings.sourceMean = ComputeMeanColour(photo);
  return settings;
}

int Channel(const Bitmap24& picture, int x, int y, int c) { return picture.Row(y)[3 * x + c]; }

// The threshold and detail passes as the rules read, every window summed pixel by pixel.
Bitmap24 LiteralDrawing(const Bitmap24& source, int levelOfDetails, int darkenLighten, const MeanColour& mean,
                        bool withDetail = true) {
  const int width = source.Width(), height = source.Height();
  Bitmap24 softened = source;
  Soften(softened);
  Bitmap24 padded(width + 18, height + 18);
  for (const auto& [left, top] : {std::pair{0, 0}, {9, 0}, {0, 9}, {9, 9}})
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) padded.SetPixel(x + left, y + top, source.Pixel(x, y));
  // The strips at the right and bottom: the 9 columns (then rows) before them, repeated.
  for (int y = 0; y < height + 18; ++y)
    for (int x = width + 9; x < width + 18; ++x) padded.SetPixel(x, y, padded.Pixel(x - 9, y));
  for (int y = height + 9; y < height + 18; ++y)
    for (int x = 0; x < width + 18; ++x) padded.SetPixel(x, y, padded.Pixel(x, y - 9));
  Soften(padded);
  const std::int64_t means[3] = {mean.blue, mean.green, mean.red};
  Bitmap24 drawing = source;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::int64_t centreSum = 0, thresholdSum = 0;
      for (int c = 0; c < 3; ++c) {
        int s = 0;
        for (int j = y + 5; j <= y + 13; ++j)
          for (int i = x + 5; i <= x + 13; ++i) s += Channel(padded, i, j, c);
        const int centre = Channel(padded, x + 9, y + 9, c);
        centreSum += centre;
        thresholdSum += ((s - centre) / 20 + means[c] + 192 - darkenLighten) / 6;
      }
      drawing.SetPixel(x, y, centreSum > thresholdSum ? 0xFFFFFF : 0x000000);
    }
  }
  if (!withDetail) return drawing;
  auto kernel = [](int dx, int dy) { return dx == 0 && dy == 0 ? 30 : dx == 0 && dy == 2 ? -5 : -1; };
  for (int y = 2; y <= height - 3; ++y) {
    for (int x = 2; x <= width - 3; ++x) {
      int s = 0;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
          int v = 0;
          for (int c = 0; c < 3; ++c) v += Channel(softened, x + dx, y + dy, c);
          s += kernel(dx, dy) * v;
        }
      if (s < 5 * (levelOfDetails - 15)) drawing.SetPixel(x, y, 0x000000);
    }
  }
  return drawing;
}

// The clean-up as the rules read: a snapshot with a white border of 3, the 49 pyramid weights.
Bitmap24 LiteralClean(Bitmap24 picture, int simplification) {
  if (simplification == 0) return picture;
  const int width = picture.Width(), height = picture.Height();
  const int lo = 175 * simplification, hi = 175 * (255 - simplification);
  for (int pass = 0; pass <= 10; ++pass) {
    int count = 0;
    Bitmap24 snapshot(width + 6, height + 6);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) snapshot.SetPixel(x + 3, y + 3, picture.Pixel(x, y));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        int w = 0;
        for (int dy = -3; dy <= 3; ++dy)
          for (int dx = -3; dx <= 3; ++dx)
            w += (7 - std::abs(dx) - std::abs(dy)) * Channel(snapshot, x + 3 + dx, y + 3 + dy, 2);
        std::uint8_t& red = picture.Row(y)[3 * x + 2];
        if (w <= lo && red == 255) {
          red = 0;
          ++count;
        } else if (w >= hi && red == 0) {
          red = 255;
          ++count;
        }
      }
    }
    if (count < 20) break;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.Row(y)[3 * x] = picture.Row(y)[3 * x + 1] = picture.Row(y)[3 * x + 2];
  return picture;
}

TEST(PenAndInkSketch2, MatchesTheLiteralWindowLoops) {
  struct Fixture {
    int width, height;
    bool noise;
  };
  // Pictures narrower than the windows, strips, and photographs with edges and grain.
  const Fixture fixtures[] = {{1, 1, true},   {2, 2, true},   {7, 1, true},   {1, 23, true}, {30, 2, true},
                              {5, 5, true},   {8, 12, true},  {13, 11, false}, {41, 33, false}, {36, 29, true}};
  const ParameterSet sliderSets[] = {{40, 160, 40, 0, 0}, {0, 0, 100, 0, 0}, {255, 255, 11, 0, 0},
                                     {15, 90, 0, 0, 0},   {120, 200, 70, 0, 0}};
  for (const Fixture& f : fixtures) {
    const Bitmap24 photo = f.noise ? NoisePicture(f.width, f.height, static_cast<unsigned>(f.width * 31 + f.height))
                                   : NoisySyntheticPhoto(f.width, f.height);
    for (const ParameterSet& sliders : sliderSets) {
      SCOPED_TRACE(::testing::Message() << f.width << " x " << f.height << " sliders " << sliders[0] << ", "
                                        << sliders[1] << ", " << sliders[2]);
      StyleSettings settings = SettingsFor(photo, sliders);
      settings.sourceMean = {100 + sliders[0] / 4, 80, 140};  // a crop of a larger source
      RunContext context;
      Bitmap24 drawing = photo;
      PenAndInkSketch2(drawing, settings, context);
      const Bitmap24 expected = LiteralDrawing(photo, sliders[0], sliders[1], settings.sourceMean);
      ASSERT_EQ(drawing, expected);
      SimplifyInk(drawing, settings, context);
      EXPECT_EQ(drawing, LiteralClean(expected, sliders[2]));
    }
  }
}

TEST(PenAndInkSketch2, UniformGreyFollowsTheThresholdAndTheDetailTest) {
  // A grey v whose mean colour is v everywhere turns white exactly when v > (5v + 192 − Dl) div 6
  // and is blackened again when 6v < 5·(Ld − 15) (inside the outermost two rows and columns).
  // The windows see the picture repeated past every edge, so the thresholds are the same up to
  // the edges: no line is drawn along them.
  struct Case {
    int grey, levelOfDetails, darkenLighten;
    Colour threshold;  // what the threshold makes of every pixel
    bool detail;       // the detail test blackens the inner pixels
  };
  const Case cases[] = {{33, 0, 160, 0xFFFFFF, false},  {32, 0, 160, 0x000000, false},
                        {33, 40, 160, 0xFFFFFF, false}, {21, 40, 255, 0xFFFFFF, false},
                        {20, 40, 255, 0xFFFFFF, true},  {100, 255, 160, 0xFFFFFF, true},
                        {200, 255, 160, 0xFFFFFF, false}, {193, 0, 0, 0xFFFFFF, false},
                        {192, 0, 0, 0x000000, false},
                        // At the lightest setting the threshold of black falls below zero.
                        {0, 0, 255, 0xFFFFFF, false}};
  for (const Case& c : cases) {
    const Bitmap24 photo(30, 30, MakeColour(c.grey, c.grey, c.grey));
    StyleSettings settings = SettingsFor(photo, {c.levelOfDetails, c.darkenLighten, 0, 0, 0});
    RunContext context;
    Bitmap24 drawing = photo;
    PenAndInkSketch2(drawing, settings, context);
    Bitmap24 expected(30, 30, c.threshold);
    if (c.detail) FillRect(expected, {2, 2, 28, 28}, 0x000000);
    EXPECT_EQ(drawing, expected) << "grey " << c.grey << " details " << c.levelOfDetails;
  }
}

TEST(SimplifyInk, RemovesSpecksByStrength) {
  // A lone black pixel in white weighs 44 625 − 7·255 = 42 840: it goes for Si ≥ 11. A lone
  // white pixel in black weighs 7·255 = 1785 and goes for every Si ≥ 11 too (lo = 175·Si).
  struct Case {
    Colour ground, speck;
    int simplification;
    bool removed;
  };
  const Case cases[] = {{0xFFFFFF, 0x000000, 11, true}, {0xFFFFFF, 0x000000, 10, false},
                        {0x000000, 0xFFFFFF, 11, true}, {0x000000, 0xFFFFFF, 10, false},
                        {0xFFFFFF, 0x000000, 0, false}, {0xFFFFFF, 0x000000, 100, true}};
  for (const Case& c : cases) {
    Bitmap24 picture(15, 15, c.ground);
    picture.SetPixel(7, 7, c.speck);
    StyleSettings settings = SettingsFor(picture, {0, 0, c.simplification, 0, 0});
    RunContext context;
    SimplifyInk(picture, settings, context);
    EXPECT_EQ(picture.Pixel(7, 7), c.removed ? c.ground : c.speck) << "simplification " << c.simplification;
  }
}

TEST(ProcessPenAndInkSketch2, IsReproducibleAndKeepsItsGoldenChecksum) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  StyleSettings settings = SettingsFor(photo, FactoryDefaults(kStyle));
  RunPictures first, second;
  first.source = second.source = photo;
  RunContext context;
  ASSERT_EQ(RunEffect(first, settings, FinishingSettings{}, context), RunOutcome::Finished);
  ASSERT_EQ(RunEffect(second, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(first.result, second.result);
  EXPECT_EQ(first.source, photo);
  const MeanColour mean = ComputeMeanColour(photo);
  EXPECT_EQ(first.result, LiteralClean(LiteralDrawing(photo, 40, 160, mean), 40));
  // Recorded after the comparison with the literal loops above; any change of a byte changes it.
  EXPECT_EQ(Fnv1a(first.result), 0xfbf355233fb7cb9full);
}

TEST(ProcessPenAndInkSketch2, DrawsTinyAndThinPicturesInBlackAndWhite) {
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}};
  for (const auto& [width, height] : sizes) {
    const Bitmap24 photo = NoisePicture(width, height, 3);
    RunPictures pictures;
    pictures.source = photo;
    StyleSettings settings = SettingsFor(photo, FactoryDefaults(kStyle));
    RunContext context;
    ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished) << width << "x" << height;
    ASSERT_EQ(pictures.result.Width(), width);
    ASSERT_EQ(pictures.result.Height(), height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const Colour pixel = pictures.result.Pixel(x, y);
        ASSERT_TRUE(pixel == 0 || pixel == 0xFFFFFF) << width << "x" << height << " at " << x << ", " << y;
      }
  }
}

TEST(ProcessPenAndInkSketch2, AStopKeepsTheRowsDrawnAndTheRestOfThePhotograph) {
  // The threshold pass lets the shell handle events at padded row 50 (picture row 45); the stop
  // comes there, so rows 0..45 are drawn, rows below keep the photograph and no clean-up runs.
  const Bitmap24 photo = NoisySyntheticPhoto(40, 120);
  StyleSettings settings = SettingsFor(photo, FactoryDefaults(kStyle));
  RunContext context;
  context.Processing = true;
  StopAtPump sink(context, 1);
  context.Progress = &sink;
  Bitmap24 drawing = photo;
  PenAndInkSketch2(drawing, settings, context);
  SimplifyInk(drawing, settings, context);
  ASSERT_TRUE(context.AbortRequested);
  // The stop comes before the detail pass.
  const Bitmap24 complete = LiteralDrawing(photo, 40, 160, settings.sourceMean, false);
  for (int y = 0; y < 120; ++y) {
    const Bitmap24& expected = y <= 45 ? complete : photo;
    for (int x = 0; x < 40; ++x) ASSERT_EQ(drawing.Pixel(x, y), expected.Pixel(x, y)) << x << ", " << y;
  }
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

}  // namespace atelion
