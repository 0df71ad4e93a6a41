#include "styles/stylized/vivify.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <tuple>

#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "support/synthetic_photos.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

Bitmap24 Photo(int width, int height) { return testing_support::SyntheticPhoto(width, height); }

using testing_support::NoisePicture;
using testing_support::Fnv1a;

Bitmap24 Vivified(const Bitmap24& source, ParameterSet sliders) {
  StyleSettings settings;
  settings.effectId = kVivifyEffectId;
  settings.sliders = sliders;
  settings.sourceMean = kInitialSourceMeanColour;
  RunContext context;
  Bitmap24 output;
  Vivify(source, output, settings, context);
  return output;
}

// The edge rule read column by column, for pictures run without local contrast and at the
// neutral colour intensity.
Bitmap24 EdgesByColumns(const Bitmap24& s, int threshold, int intensity, int darkenLighten) {
  const int width = s.Width(), height = s.Height();
  Bitmap24 d(width, height);
  auto flat = [&](int x, int y) {
    for (int c = 0; c < 3; ++c) d.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(s.Row(y)[3 * x + c] + darkenLighten - 127, 0, 255));
  };
  for (int x = 0; x <= width - 2; ++x) {
    for (int y = 0; y <= height - 2; ++y) {
      auto at = [&](int px, int py, int c) { return static_cast<int>(s.Row(py)[3 * px + c]); };
      int g = 0;
      for (int c = 0; c < 3; ++c) g += std::abs(at(x, y, c) - at(x + 1, y, c)) + std::abs(at(x, y, c) - at(x, y + 1, c));
      const int e = (g / 4) * (256 - (at(x, y, 0) + at(x, y, 1) + at(x, y, 2)) / 3) / (256 - intensity);
      if (e < threshold) {
        flat(x, y);
      } else {
        for (int c = 0; c < 3; ++c) d.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::max(255 - e, 0) * at(x, y, c) / 255);
      }
    }
  }
  for (int y = 0; y < height; ++y) flat(width - 1, y);
  for (int x = 0; x < width; ++x) flat(x, height - 1);
  return d;
}

TEST(Vivify, GoldenPictures) {
  const Bitmap24 source = Photo(48, 40);
  const Bitmap24 first = Vivified(source, FactoryDefaults(kVivifyEffectId));
  EXPECT_EQ(first, Vivified(source, FactoryDefaults(kVivifyEffectId)));
  // Computed once from this implementation after checking it against the description of the
  // style; any change of a single output byte changes them.
  EXPECT_EQ(Fnv1a(first), 0x13290fcf28dccdeaull);
  EXPECT_EQ(Fnv1a(Vivified(source, {20, 200, 90, 170, 120})), 0x0bcbd7184adb77fcull);
}

TEST(Vivify, EdgesDarkenAndFlatAreasShift) {
  // Level of contrast 0 or 1 skips the local contrast, colour intensity 50 the colour changes.
  for (const auto& [width, height] : {std::pair{45, 7}, {21, 3}, {2, 9}, {40, 2}}) {
    const Bitmap24 source = NoisePicture(width, height, static_cast<unsigned>(width * 100 + height));
    for (const auto& [threshold, intensity, darkenLighten, contrast] :
         {std::tuple{35, 100, 128, 0}, {0, 0, 127, 1}, {255, 255, 60, 0}, {90, 230, 255, 1}, {10, 30, 0, 0}}) {
      EXPECT_EQ(Vivified(source, {threshold, intensity, 50, darkenLighten, contrast}),
                EdgesByColumns(source, threshold, intensity, darkenLighten))
          << width << "x" << height << " threshold " << threshold << " intensity " << intensity;
    }
  }
}

TEST(Vivify, APhotographOfOneColourStaysOfOneColourWithLocalContrast) {
  // The local contrast sees the photograph continue past its edges, so it shifts every pixel
  // alike: no darker band along the right and bottom edges, and no edge drawn along it.
  const Bitmap24 source(40, 30, MakeColour(150, 120, 90));
  for (const int contrast : {20, 255}) {
    const Bitmap24 output = Vivified(source, {35, 100, 55, 128, contrast});
    EXPECT_EQ(output, Bitmap24(40, 30, output.Pixel(0, 0))) << "contrast " << contrast;
  }
}

TEST(Vivify, GradientsWeighByDarkness) {
  // The pixel at (0, 0) of a 2 × 2 picture, its right and lower neighbours given; the other three
  // pixels take the flat rule. Values worked out by hand from the edge rule.
  struct Case {
    Colour pixel, neighbours;
    int threshold, intensity, darkenLighten;
    int expected;  // every channel of the pixel
  };
  const Case cases[] = {
      // White weighs its gradient by 1: (1530 div 4) · 1 div 256 = 1, flat, 255 + 100 − 127 = 228.
      {0xFFFFFF, 0x000000, 35, 0, 100, 228},
      // The same with edge intensity 255 divides by 1: 382, an edge, darkened to black.
      {0xFFFFFF, 0x000000, 35, 255, 100, 0},
      // Black weighs by 256: an edge, but black stays black.
      {0x000000, 0xFFFFFF, 35, 0, 200, 0},
      // Grey 100 beside 120: (60 div 4) · 156 div 156 = 15 ≥ 10, kept at 240 · 100 div 255 = 94.
      {0x646464, 0x787878, 10, 100, 127, 94},
      // ... and below a threshold of 16 it is flat; 127 leaves it as it is.
      {0x646464, 0x787878, 16, 100, 127, 100},
  };
  for (const Case& c : cases) {
    Bitmap24 source(2, 2, c.neighbours);
    source.SetPixel(0, 0, c.pixel);
    if (c.neighbours != 0x000000 && c.neighbours != 0xFFFFFF) source.SetPixel(0, 1, c.pixel);
    const Bitmap24 output = Vivified(source, {c.threshold, c.intensity, 50, c.darkenLighten, 0});
    EXPECT_EQ(output.Pixel(0, 0), MakeColour(c.expected, c.expected, c.expected))
        << std::hex << c.pixel << " intensity " << std::dec << c.intensity;
  }
}

TEST(Vivify, ColourIntensityAboveNeutralAddsTheBoost) {
  const Bitmap24 source = Photo(48, 40);
  Bitmap24 expected = Vivified(source, {35, 100, 50, 128, 20});
  RunContext context;
  AdjustSaturation(expected, 2, context);
  BoostVibrancy(expected, expected);
  EXPECT_EQ(Vivified(source, {35, 100, 51, 128, 20}), expected);
}

TEST(Vivify, ThinPicturesTakeTheFlatRuleOnly) {
  for (const auto& [width, height] : {std::pair{1, 1}, {1, 7}, {7, 1}}) {
    const Bitmap24 source = NoisePicture(width, height, 7);
    Bitmap24 expected = source;
    for (int y = 0; y < height; ++y)
      for (int i = 0; i < 3 * width; ++i) expected.Row(y)[i] = static_cast<std::uint8_t>(std::clamp(source.Row(y)[i] + 40, 0, 255));
    EXPECT_EQ(Vivified(source, {0, 255, 50, 167, 200}), expected) << width << "x" << height;
  }
  EXPECT_TRUE(Vivified(Bitmap24(), FactoryDefaults(kVivifyEffectId)).Empty());
}

TEST(BoostVibrancy, LiftsSaturationAndLightness) {
  // Worked out by hand on the 0..240 scale. Red: saturation 240 stays at the cap, lightness 120
  // becomes 124, giving (255, 10, 9). Grey 128: lightness 120 → 124, 124 · 255 / 240 = 131.75 → 132.
  // White stays at lightness 240, black at 0.
  const std::pair<Colour, Colour> cases[] = {
      {0x0000FF, MakeColour(255, 10, 9)}, {0x808080, 0x848484}, {0xFFFFFF, 0xFFFFFF}, {0x000000, 0x000000}};
  Bitmap24 source(4, 1);
  for (int i = 0; i < 4; ++i) source.SetPixel(i, 0, cases[i].first);
  const Bitmap24 unchanged = source;
  Bitmap24 target(4, 1, 0x123456);
  BoostVibrancy(source, target);
  EXPECT_EQ(source, unchanged);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(target.Pixel(i, 0), cases[i].second) << std::hex << cases[i].first;
  BoostVibrancy(source, source);
  EXPECT_EQ(source, target);
}

TEST(ProcessVivify, TheVivifiedCopyBecomesTheResult) {
  const Bitmap24 source = Photo(48, 40);
  RunPictures pictures;
  pictures.source = source;
  StyleSettings settings;
  settings.effectId = kVivifyEffectId;
  settings.sliders = FactoryDefaults(kVivifyEffectId);
  settings.sourceMean = kInitialSourceMeanColour;
  FinishingSettings finishing;
  finishing.softenEdges = true;
  RunContext context;
  ASSERT_EQ(RunEffect(pictures, settings, finishing, context), RunOutcome::Finished);
  const Bitmap24 vivified = Vivified(source, settings.sliders);
  EXPECT_EQ(pictures.untexturedCopy, vivified);
  Bitmap24 softened = vivified;
  Soften(softened);
  EXPECT_EQ(pictures.result, softened);
  EXPECT_EQ(pictures.source, source);
  EXPECT_FALSE(context.Processing);
}

}  // namespace
}  // namespace atelion
