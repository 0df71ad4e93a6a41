#include "styles/sketch/cartoon_2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/hls.h"
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

constexpr int kStyle = kCartoon2EffectId;

StyleSettings SettingsFor(const Bitmap24& photo, ParameterSet sliders) {
  StyleSettings settings;
  settings.effectId = kStyle;
  settings.sliders = sliders;
  settings.sourceMean = ComputeMeanColour(photo);
  return settings;
}

int At(const Bitmap24& picture, int x, int y, int c) { return picture.Row(y)[3 * x + c]; }

void Set(Bitmap24& picture, int x, int y, int c, int value) {
  picture.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// The paper pass as the rules read, the tile repeated every width − 1 and height − 1 pixels and
// moved right and down by `shift` pixels.
void LiteralPaper(Bitmap24& picture, const Bitmap24& tile, int strength, int shift) {
  const int g = (512 * strength) / 100, a = (10 * g) / 128;
  const int px = tile.Width() - 1, py = tile.Height() - 1;
  for (int y = 1; y < picture.Height(); ++y)
    for (int x = 1; x < picture.Width(); ++x)
      for (int c = 0; c < 3; ++c)
        Set(picture, x, y, c,
            At(picture, x, y, c) + g - (At(tile, ((x - shift) % px + px) % px, ((y - shift) % py + py) % py, c) * a) / 10);
}

// The whole cartoon as the rules read, every neighbourhood summed pixel by pixel. `passesBeforeStop`
// stops the flattening before that pass, as a stop of the run does.
Bitmap24 LiteralCartoon(Bitmap24 source, const ParameterSet& sliders, const MeanColour& mean, const Bitmap24* tile,
                        int strength, int passesBeforeStop = 1000, int tileShift = 0) {
  const int cb = sliders[0], ei = sliders[1], se = sliders[2], dl = sliders[3];
  const int width = source.Width(), height = source.Height();
  RunContext context;
  Soften(source);
  // FlattenColours
  Bitmap24 b = source;
  Soften(b);
  const Bitmap24 o = b;
  Bitmap24 d = b;
  Soften(b);
  AdjustSaturation(b, 15, context);
  AdjustSaturation(b, 15, context);
  LocalContrast(b, 100, mean);
  AdjustBrightness(b, 25);
  bool stopped = false;
  for (int i = 0; i <= se; ++i) {
    if (i == passesBeforeStop) {
      stopped = true;
      break;
    }
    for (int y = 2; y <= height - 2; ++y) {
      for (int x = 2; x <= width - 3; ++x) {
        int m[3], e = 0;
        for (int c = 0; c < 3; ++c) {
          int sum = 0;
          for (int dx = -2; dx <= 2; ++dx) sum += At(b, x + dx, y - 1, c) + At(b, x + dx, y + 1, c);
          for (int dx : {-2, -1, 1, 2}) sum += At(b, x + dx, y, c);
          m[c] = sum / 14;
          e = std::max(e, std::abs(m[c] - At(b, x, y, c)));
        }
        for (int c = 0; c < 3; ++c) Set(d, x, y, c, e <= cb / 2 ? m[c] : At(o, x, y, c));
      }
    }
    b = d;
  }
  if (!stopped) {
    b = o;
    Soften(b);
    const int t = 255 - ei;
    for (int y = 1; y <= height - 1; ++y) {
      for (int x = 1; x <= width - 1; ++x) {
        int a = 0, up = 0;
        for (int c = 0; c < 3; ++c) {
          a += std::abs(At(b, x - 1, y, c) - At(b, x, y, c));
          up += std::abs(At(b, x, y, c) - At(b, x, y - 1, c));
        }
        for (int c = 0; c < 3; ++c)
          Set(d, x, y, c, a < t && up < t ? At(d, x, y, c) + dl - 127 : (98 * At(b, x, y, c)) / 100);
      }
    }
    Soften(d);
    if (tile != nullptr) LiteralPaper(d, *tile, strength, tileShift);
  }
  // ColourInk after the flattening
  AdjustBrightness(d, dl - 127);
  auto kernel = [](int dx, int dy) { return dx == 0 && dy == 0 ? 30 : dx == 0 && dy == 2 ? -5 : -1; };
  for (int y = 2; y <= height - 3; ++y) {
    for (int x = 2; x <= width - 3; ++x) {
      int r = 0;
      for (int c = 0; c < 3; ++c)
        for (int dy = -2; dy <= 2; ++dy)
          for (int dx = -2; dx <= 2; ++dx) r += kernel(dx, dy) * At(source, x + dx, y + dy, c);
      if (r / 3 < ei - 64) {
        d.SetPixel(x, y, 0);
      } else {
        const HlsColour hls = ColorRGBToHLS(d.Pixel(x, y));
        const int l2 = std::clamp(hls.lightness - hls.saturation / 10 + 25, 10, 255);
        d.SetPixel(x, y, ColorHLSToRGB(hls.hue, l2, hls.saturation));
      }
    }
  }
  if (tile != nullptr) LiteralPaper(d, *tile, strength, tileShift);
  return d;
}

// What the style draws: the literal cartoon of the photograph grown by 2·(Se + 1) + 8 pixels of
// repeated edge on every side, the texture moved with it, cut back to the photograph's size.
Bitmap24 LiteralFramelessCartoon(const Bitmap24& photo, const ParameterSet& sliders, const MeanColour& mean,
                                 const Bitmap24* tile = nullptr, int strength = 0) {
  const int width = photo.Width(), height = photo.Height();
  const int m = 2 * (sliders[2] + 1) + 8;
  Bitmap24 grown(width + 2 * m, height + 2 * m);
  for (int y = 0; y < height + 2 * m; ++y)
    for (int x = 0; x < width + 2 * m; ++x)
      grown.SetPixel(x, y, photo.Pixel(std::clamp(x - m, 0, width - 1), std::clamp(y - m, 0, height - 1)));
  const Bitmap24 drawing = LiteralCartoon(grown, sliders, mean, tile, strength, 1000, m);
  Bitmap24 cut(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) cut.SetPixel(x, y, drawing.Pixel(x + m, y + m));
  return cut;
}

TEST(ColourInk, MatchesTheLiteralRules) {
  struct Fixture {
    int width, height;
    bool noise;
  };
  const Fixture fixtures[] = {{1, 1, true},  {2, 2, true},  {7, 1, true},    {1, 9, true},
                              {30, 2, true}, {5, 4, true},  {6, 6, true},    {33, 27, false}};
  const ParameterSet sliderSets[] = {{30, 30, 10, 127, 0}, {0, 0, 0, 0, 0},       {255, 255, 3, 255, 0},
                                     {90, 200, 5, 60, 0},  {160, 120, 2, 200, 0}};
  const Bitmap24 tile = NoisePicture(9, 7, 5);
  for (const Fixture& f : fixtures) {
    const Bitmap24 photo = f.noise ? NoisePicture(f.width, f.height, static_cast<unsigned>(f.width * 17 + f.height))
                                   : NoisySyntheticPhoto(f.width, f.height);
    for (const ParameterSet& sliders : sliderSets) {
      for (const bool textured : {false, true}) {
        SCOPED_TRACE(::testing::Message() << f.width << " x " << f.height << " sliders " << sliders[0] << ", "
                                          << sliders[1] << ", " << sliders[2] << ", " << sliders[3]
                                          << (textured ? " textured" : ""));
        StyleSettings settings = SettingsFor(photo, sliders);
        SurfaceSettings surface;
        surface.texture = {.enabled = textured, .tileIndex = 0, .strength = 40};
        surface.textureTile = tile;
        RunContext context;
        Bitmap24 source = photo, drawing;
        ColourInk(source, drawing, settings, surface, context);
        EXPECT_EQ(drawing, LiteralCartoon(photo, sliders, settings.sourceMean, textured ? &tile : nullptr, 40));
        Bitmap24 softened = photo;
        Soften(softened);
        EXPECT_EQ(source, softened);  // the source is softened in place
      }
    }
  }
}

TEST(ColourInk, InkFollowsEdgeIntensityOnAFlatArea) {
  // A flat area of value v gives a kernel sum of 2·3v, div 3 is 2v: at Edge intensity 255 it is
  // inked up to v = 95; at 0 never. The pixels the ink pass reaches are rows and columns 2 .. 17.
  struct Case {
    int grey, edgeIntensity;
    bool inked;
  };
  const Case cases[] = {{95, 255, true}, {96, 255, false}, {0, 0, false}, {31, 127, true}, {32, 127, false}};
  for (const Case& c : cases) {
    const Bitmap24 photo(20, 20, MakeColour(c.grey, c.grey, c.grey));
    StyleSettings settings = SettingsFor(photo, {30, c.edgeIntensity, 2, 127, 0});
    RunContext context;
    Bitmap24 source = photo, drawing;
    ColourInk(source, drawing, settings, SurfaceSettings{}, context);
    EXPECT_EQ(drawing.Pixel(10, 10) == 0, c.inked) << "grey " << c.grey << " edge intensity " << c.edgeIntensity;
    if (c.inked) {
      EXPECT_NE(drawing.Pixel(1, 10), 0u);  // no ink on the two outermost columns
    }
  }
}

TEST(ColourInk, AStopEndsTheFlatteningButStillInks) {
  // The two saturation steps let the shell handle events after every row (2 · 30 times), then each
  // flattening pass once before it starts: a stop at the 63rd lets two passes run.
  const Bitmap24 photo = NoisySyntheticPhoto(36, 30);
  const ParameterSet sliders = {60, 40, 10, 150, 0};
  StyleSettings settings = SettingsFor(photo, sliders);
  RunContext context;
  StopAtPump sink(context, 2 * 30 + 3);
  context.Progress = &sink;
  Bitmap24 source = photo, drawing;
  ColourInk(source, drawing, settings, SurfaceSettings{}, context);
  ASSERT_TRUE(context.AbortRequested);
  EXPECT_EQ(drawing, LiteralCartoon(photo, sliders, settings.sourceMean, nullptr, 0, 2));
}

TEST(ProcessColourInk, IsReproducibleKeepsItsGoldenChecksumAndIgnoresSoftenEdges) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  StyleSettings settings = SettingsFor(photo, FactoryDefaults(kStyle));
  FinishingSettings finishing;
  finishing.softenEdges = true;
  RunPictures first, second;
  first.source = second.source = photo;
  RunContext context;
  ASSERT_EQ(RunEffect(first, settings, finishing, context), RunOutcome::Finished);
  EXPECT_EQ(context.Rng.RandomSeed, kStyleSeed);
  context.Rng.RandomSeed = 4321;
  ASSERT_EQ(RunEffect(second, settings, finishing, context), RunOutcome::Finished);
  EXPECT_EQ(first.result, second.result);
  EXPECT_EQ(first.source, photo);
  EXPECT_TRUE(first.untexturedCopy.Empty());  // not the style's to update
  EXPECT_TRUE(first.showParametersWindow);
  EXPECT_EQ(first.result, LiteralFramelessCartoon(photo, FactoryDefaults(kStyle), settings.sourceMean));
  // Recorded after the comparison with the literal rules above; any change of a byte changes it.
  EXPECT_EQ(Fnv1a(first.result), 0x41f83e2e439cbb6full);
}

TEST(ProcessColourInk, AFlatPhotographStaysFlatUpToItsEdgesAndTakesTheTextureInPlace) {
  // Drawn on the photograph as it is, the two outermost rows and columns would keep the
  // unlightened colour: a dark frame.
  const Bitmap24 photo(24, 18, MakeColour(120, 160, 60));
  StyleSettings settings = SettingsFor(photo, FactoryDefaults(kStyle));
  RunPictures pictures;
  pictures.source = photo;
  RunContext context;
  ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(pictures.result, Bitmap24(24, 18, pictures.result.Pixel(0, 0)));
  Bitmap24 source = photo, unmended;
  ColourInk(source, unmended, settings, SurfaceSettings{}, context);
  EXPECT_NE(unmended.Pixel(0, 0), unmended.Pixel(10, 10));

  const Bitmap24 tile = NoisePicture(12, 10, 9);
  FinishingSettings finishing;
  finishing.texture = {.enabled = true, .tileIndex = 0, .strength = 60};
  finishing.textureTile = tile;
  const Bitmap24 textured = NoisySyntheticPhoto(31, 23);
  settings = SettingsFor(textured, {70, 90, 4, 140, 0});
  pictures = RunPictures();
  pictures.source = textured;
  ASSERT_EQ(RunEffect(pictures, settings, finishing, context), RunOutcome::Finished);
  EXPECT_EQ(pictures.result, LiteralFramelessCartoon(textured, settings.sliders, settings.sourceMean, &tile, 60));
}

TEST(ProcessColourInk, DrawsTinyAndThinPictures) {
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}};
  for (const auto& [width, height] : sizes) {
    const Bitmap24 photo = NoisePicture(width, height, 3);
    RunPictures pictures;
    pictures.source = photo;
    StyleSettings settings = SettingsFor(photo, FactoryDefaults(kStyle));
    RunContext context;
    ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished) << width << "x" << height;
    EXPECT_EQ(pictures.result, LiteralFramelessCartoon(photo, settings.sliders, settings.sourceMean))
        << width << "x" << height;
  }
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

}  // namespace atelion
