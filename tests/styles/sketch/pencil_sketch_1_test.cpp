#include "styles/sketch/pencil_sketch_1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <tuple>

#include "core/resources.h"
#include "core/canvas.h"
#include "core/filters.h"
#include "core/rotate_bitmap.h"
#include "effects/run_pipeline.h"
#include "imageio/image_files.h"
#include "styles/sketch/hatching_picture.h"
#include "support/stop_at_pump.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

Bitmap24 Photo(int width, int height) { return testing_support::SyntheticPhoto(width, height); }

// A stand-in hatching picture made by integer arithmetic alone: darker at the left, with
// diagonal ripples, so that the row and column read matter.
Bitmap24 TestHatching() {
  Bitmap24 picture(512, 166);
  for (int y = 0; y < 166; ++y) {
    for (int x = 0; x < 512; ++x) {
      const int v = std::clamp(x / 2 + ((x * 3 + y * 5) % 17) - 8, 0, 255);
      picture.SetPixel(x, y, MakeColour(v, v, v));
    }
  }
  return picture;
}

using testing_support::StopAtPump;
using testing_support::Fnv1a;

PencilSketchParameters Parameters(int T, int E, int I, int D, int K) {
  return {.edgeThreshold = T, .edgeIntensity = E, .colourIntensity = I, .darkenLighten = D, .contrast = K};
}

const PencilSketchParameters kDefaults = PencilSketchParametersFrom(FactoryDefaults(kPencilSketch1EffectId));

Bitmap24 Sketch(const Bitmap24& source, const PencilSketchParameters& parameters,
                const SurfaceSettings& finishing = {}, const Bitmap24& hatching = TestHatching()) {
  RunContext context;
  Bitmap24 out;
  PencilSketch(source, out, parameters, hatching, finishing, context);
  return out;
}

bool AllWhite(const Bitmap24& picture) { return picture == Bitmap24(picture.Width(), picture.Height()); }

TEST(PencilSketch, SlidersAreReadInSlotOrderWithinTheirRanges) {
  const PencilSketchParameters p = PencilSketchParametersFrom({20, 100, 80, 160, 25});
  EXPECT_EQ(std::tie(p.edgeThreshold, p.edgeIntensity, p.colourIntensity, p.darkenLighten, p.contrast),
            std::make_tuple(20, 100, 80, 160, 25));
  const PencilSketchParameters q = PencilSketchParametersFrom({-5, 300, 140, 256, -1});
  EXPECT_EQ(std::tie(q.edgeThreshold, q.edgeIntensity, q.colourIntensity, q.darkenLighten, q.contrast),
            std::make_tuple(0, 255, 100, 255, 0));
}

// Golden checksums of the 48 × 40 fixture, computed once from this implementation after checking
// it against the described arithmetic and random draws; any change of a single byte shows here.
TEST(PencilSketch, GivesTheKnownPictureOfTheFixture) {
  const Bitmap24 photo = Photo(48, 40);
  EXPECT_EQ(Fnv1a(Sketch(photo, kDefaults)), 0x8f94bec18fdd2655ull);
  SurfaceSettings finishing;
  finishing.softenEdges = true;
  finishing.texture = {.enabled = true, .tileIndex = 0, .strength = 30};
  finishing.textureTile = TestHatching();
  EXPECT_EQ(Fnv1a(Sketch(photo, Parameters(35, 60, 40, 110, 90), finishing)), 0x843aa86d662aedf1ull);
}

TEST(PencilSketch, SameInputGivesTheSamePictureWhateverRanBefore) {
  const Bitmap24 photo = Photo(60, 45);
  RunContext context;
  Bitmap24 first, second;
  context.Rng.RandomSeed = 7;
  PencilSketch(photo, first, kDefaults, TestHatching(), {}, context);
  context.Rng.RandomSeed = 123456789;
  context.Random(1000);
  PencilSketch(photo, second, kDefaults, TestHatching(), {}, context);
  EXPECT_EQ(first, second);
  EXPECT_FALSE(AllWhite(first));
}

TEST(PencilSketch, PicturesBelowThreePixelsComeOutWhite) {
  for (const auto& size : {std::pair{1, 1}, {2, 9}, {9, 2}, {0, 0}}) {
    const Bitmap24 out = Sketch(Photo(size.first, size.second), kDefaults);
    EXPECT_EQ(out.Width(), size.first);
    EXPECT_EQ(out.Height(), size.second);
    EXPECT_TRUE(AllWhite(out));
  }
  // 3 × 3: exactly one pixel is drawn, at (0, 0).
  const Bitmap24 out = Sketch(Bitmap24(3, 3, 0x203040), Parameters(0, 100, 100, 127, 0));
  EXPECT_NE(out.Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(out.Pixel(1, 0), 0xFFFFFFu);
  EXPECT_EQ(out.Pixel(0, 1), 0xFFFFFFu);
}

TEST(PencilSketch, LinePixelsDarkenTheColourByTheGradientAndEdgeIntensity) {
  // T = 0 makes every pixel a line pixel. On a flat picture both gradients are 0, so each
  // channel is clamp(Q − 2E + 255), then blended with the grey of the three channels by I.
  struct Case {
    int I;
    Colour expected;
  };
  // Q = red 200, green 100, blue 50; E = 100: e = (255, 155, 105), their sum 515.
  const Case cases[] = {
      {100, MakeColour(255, 155, 105)},
      {0, MakeColour(171, 171, 171)},                                      // (100·515 div 3) div 100
      {40, MakeColour((40 * 255 + 60 * 515 / 3) / 100, (40 * 155 + 60 * 515 / 3) / 100, (40 * 105 + 60 * 515 / 3) / 100)},
  };
  const Bitmap24 flat(20, 12, MakeColour(200, 100, 50));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.I);
    const Bitmap24 out = Sketch(flat, Parameters(0, 100, c.I, 127, 0));
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 18; ++x) ASSERT_EQ(out.Pixel(x, y), c.expected) << x << "," << y;
    }
  }
}

TEST(PencilSketch, WithEveryPixelALineTheHatchingIsNeverRead) {
  const Bitmap24 photo = Photo(50, 30);
  const Bitmap24 black(512, 166, 0);
  EXPECT_EQ(Sketch(photo, Parameters(0, 80, 70, 127, 30), {}, TestHatching()),
            Sketch(photo, Parameters(0, 80, 70, 127, 30), {}, black));
  // With lines only where the picture changes, the hatching shades the rest.
  EXPECT_NE(Sketch(photo, kDefaults, {}, TestHatching()), Sketch(photo, kDefaults, {}, black));
}

TEST(PencilSketch, ShadedPixelsFollowTheHatchingToneBrightnessAndContrast) {
  // A flat picture has no gradient: every pixel is shaded. A flat hatching of tone V makes the
  // row irrelevant. With "Soften edges" on, the random half-brightness lift is off.
  // Q = red 124, green 83, blue 47: L = (372 + 498 + 47) div 10 = 91, q = (120, 80, 40).
  struct Case {
    int V, I, D, K;
    int s;  // L − V + 2·(D − 127) + (L·K) div 64 − K
  };
  const Case cases[] = {
      {100, 50, 127, 0, -9},
      {100, 50, 127, 64, -9 + 91 - 64},
      {60, 80, 140, 25, 31 + 26 + (91 * 25) / 64 - 25},
      {200, 100, 0, 255, -109 - 254 + (91 * 255) / 64 - 255},
  };
  SurfaceSettings softened;
  softened.softenEdges = true;
  const Bitmap24 flat(24, 16, MakeColour(124, 83, 47));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "V " << c.V << " K " << c.K);
    const Bitmap24 hatching(512, 166, MakeColour(c.V, c.V, c.V));
    const Bitmap24 out = Sketch(flat, Parameters(255, 0, c.I, c.D, c.K), softened, hatching);
    const int q[3] = {120, 80, 40};  // red, green, blue
    const int m = std::clamp(240 / 3 + c.s, 0, 255);
    int expected[3];
    for (int k = 0; k < 3; ++k) expected[k] = (c.I * std::clamp(q[k] + c.s, 0, 255) + (100 - c.I) * m) / 100;
    const Colour colour = MakeColour(expected[0], expected[1], expected[2]);
    // Inner pixels away from the white border, which the soften pass blends.
    for (int y = 1; y < 12; ++y) {
      for (int x = 1; x < 20; ++x) ASSERT_EQ(out.Pixel(x, y), colour) << x << "," << y;
    }
  }
}

TEST(PencilSketch, WithoutSofteningSomeShadedStreaksAreLiftedByHalfTheBrightness) {
  const Bitmap24 flat(60, 30, MakeColour(124, 83, 47));  // L = 91, q grey 80
  const Bitmap24 hatching(512, 166, MakeColour(100, 100, 100));
  // I = 0: each pixel is the grey clamp(80 + s), s = −9 or −9 + 45.
  const Bitmap24 out = Sketch(flat, Parameters(255, 0, 0, 127, 0), {}, hatching);
  std::set<Colour> seen;
  for (int y = 0; y < 28; ++y) {
    for (int x = 0; x < 58; ++x) seen.insert(out.Pixel(x, y));
  }
  EXPECT_EQ(seen, (std::set<Colour>{MakeColour(71, 71, 71), MakeColour(116, 116, 116)}));
}

TEST(PencilSketch, ColourIntensityZeroGivesGrey) {
  const Bitmap24 out = Sketch(Photo(48, 40), Parameters(20, 100, 0, 160, 25));
  for (int y = 0; y < out.Height(); ++y) {
    for (int x = 0; x < out.Width(); ++x) {
      const Colour c = out.Pixel(x, y);
      ASSERT_TRUE(RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c)) << x << "," << y;
    }
  }
}

TEST(PencilSketch, DrawsEachPixelOneUpAndLeftOfItsNeighbourhoodAndLeavesTheLastRowsWhite) {
  // Dark left of column 20, light from it on: only centres in column 20 see the step, and their
  // pixels land in column 19.
  Bitmap24 step(40, 20, 0xF0F0F0);
  FillRect(step, Rect{0, 0, 20, 20}, 0x101010);
  const Bitmap24 out = Sketch(step, Parameters(60, 255, 100, 127, 0));
  for (int y = 0; y < 18; ++y) {
    EXPECT_EQ(out.Pixel(19, y), 0u) << y;  // a line: the dark neighbour minus 2·255 and more
    EXPECT_NE(out.Pixel(18, y), 0u) << y;
    EXPECT_NE(out.Pixel(20, y), 0u) << y;
  }
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(out.Pixel(i, 18), 0xFFFFFFu);
    EXPECT_EQ(out.Pixel(i, 19), 0xFFFFFFu);
  }
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(out.Pixel(38, i), 0xFFFFFFu);
    EXPECT_EQ(out.Pixel(39, i), 0xFFFFFFu);
  }
}

// The soften pass written out literally: in place, so each pixel sees the softened row above
// and the softened pixel to its left; only pixels whose channel mean is 1 or above 253.
void ReferenceSoftenPass(Bitmap24& d) {
  for (int y = 1; y <= d.Height() - 2; ++y) {
    for (int x = 1; x <= d.Width() - 2; ++x) {
      auto at = [&](int px, int py, int c) { return static_cast<int>(d.Row(py)[3 * px + c]); };
      const int m = (at(x, y, 0) + at(x, y, 1) + at(x, y, 2)) / 3;
      if (!(m == 1 || m > 253)) continue;
      for (int c = 0; c < 3; ++c) {
        int sum = 2 * at(x, y, c);
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            if (dx != 0 || dy != 0) sum += at(x + dx, y + dy, c);
          }
        }
        d.Row(y)[3 * x + c] = static_cast<std::uint8_t>(sum / 10);
      }
    }
  }
}

TEST(PencilSketch, SoftenEdgesBlendsWhiteAndNearlyBlackPixelsWithTheirNeighbours) {
  // With T = 0 every pixel is a line pixel, so the option changes nothing but the soften pass.
  SurfaceSettings softened;
  softened.softenEdges = true;
  const Bitmap24 photo = Photo(48, 40);
  Bitmap24 expected = Sketch(photo, Parameters(0, 40, 60, 127, 0));
  ReferenceSoftenPass(expected);
  EXPECT_EQ(Sketch(photo, Parameters(0, 40, 60, 127, 0), softened), expected);

  // Channel mean 0 is left alone, mean 1 is softened: E = 128 turns a flat grey v into v − 1.
  const Bitmap24 black = Sketch(Bitmap24(12, 12, 0x010101), Parameters(0, 128, 100, 127, 0), softened);
  const Bitmap24 one = Sketch(Bitmap24(12, 12, 0x020202), Parameters(0, 128, 100, 127, 0), softened);
  EXPECT_EQ(black.Pixel(9, 9), 0u);  // next to the white border, still black
  EXPECT_GT(RedOf(one.Pixel(9, 9)), 1);
}

TEST(PencilSketch, PaperTextureShiftsEveryPixelButRowAndColumnZero) {
  SurfaceSettings textured;
  textured.texture = {.enabled = true, .tileIndex = 0, .strength = 45};
  // A 256 × 256 tile with a pattern that shows whether it repeats every 256 pixels.
  Bitmap24 tile(256, 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) tile.SetPixel(x, y, MakeColour((x * 5 + y) & 0xFF, (x + 3 * y) & 0xFF, (x ^ y) & 0xFF));
  }
  textured.textureTile = tile;
  const Bitmap24 photo = Photo(300, 270);
  const Bitmap24 plain = Sketch(photo, Parameters(0, 40, 60, 127, 0));
  const Bitmap24 out = Sketch(photo, Parameters(0, 40, 60, 127, 0), textured);
  const int g = (512 * 45) / 100, a = (10 * g) / 128;
  for (int y = 0; y < 270; ++y) {
    for (int x = 0; x < 300; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int before = plain.Row(y)[3 * x + c];
        const int expected =
            (x == 0 || y == 0) ? before : std::clamp(before + g - (tile.Row(y % 256)[3 * (x % 256) + c] * a) / 10, 0, 255);
        ASSERT_EQ(out.Row(y)[3 * x + c], expected) << x << "," << y << " channel " << c;
      }
    }
  }
}

TEST(PencilSketch, AStopKeepsTheRowsAlreadyDrawn) {
  const Bitmap24 photo = Photo(48, 40);
  const Bitmap24 whole = Sketch(photo, kDefaults);
  RunContext context;
  context.Processing = true;  // full-size runs pump once per row
  StopAtPump shell(context, 6);
  context.Progress = &shell;
  Bitmap24 out;
  PencilSketch(photo, out, kDefaults, TestHatching(), {}, context);
  // Rows 1..5 were pumped before drawing; the stop comes at the pump of row 6.
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 48; ++x) ASSERT_EQ(out.Pixel(x, y), y < 5 ? whole.Pixel(x, y) : 0xFFFFFFu) << x << "," << y;
  }
}

// ---- The full-size method and the preview ----

// The corners of a width × height photograph turned by 30 degrees, done literally: a pixel the
// turn found nothing for (white in the turn of a black picture of that size) takes the nearest
// photograph pixel of its row; in a row without any, the pixel below or above it in the nearest
// row that has some.
void RepeatNearestPhotographPixelIntoCorners(Bitmap24& turned, int width, int height) {
  RunContext context;
  Bitmap24 coverage;
  RotateBitmap(Bitmap24(width, height, 0x000000), coverage, 30, context);
  auto isPhotograph = [&](int x, int y) { return coverage.Pixel(x, y) == 0x000000u; };
  auto rowHasPhotograph = [&](int y) {
    for (int x = 0; x < turned.Width(); ++x) {
      if (isPhotograph(x, y)) return true;
    }
    return false;
  };
  const Bitmap24 original = turned;
  auto nearestInRow = [&](int x, int y) {
    for (int distance = 0;; ++distance) {
      if (x - distance >= 0 && isPhotograph(x - distance, y)) return original.Pixel(x - distance, y);
      if (x + distance < turned.Width() && isPhotograph(x + distance, y)) return original.Pixel(x + distance, y);
    }
  };
  auto nearestRowWithPhotograph = [&](int y) {
    for (int distance = 0;; ++distance) {
      if (y - distance >= 0 && rowHasPhotograph(y - distance)) return y - distance;
      if (y + distance < turned.Height() && rowHasPhotograph(y + distance)) return y + distance;
    }
  };
  for (int y = 0; y < turned.Height(); ++y) {
    const int row = nearestRowWithPhotograph(y);
    for (int x = 0; x < turned.Width(); ++x) turned.SetPixel(x, y, nearestInRow(x, row));
  }
}

RunOutcome RunFullSize(RunPictures& pictures, const ParameterSet& sliders, RunContext& context,
                       const FinishingSettings& finishing = {}) {
  StyleSettings settings;
  settings.effectId = kPencilSketch1EffectId;
  settings.sliders = sliders;
  return RunEffect(pictures, settings, finishing, context);
}

TEST(ProcessPencilSketch, SketchesTheTurnedPhotographAndCutsItBackToSize) {
  const Bitmap24 photo = Photo(64, 64);
  RunPictures pictures;
  pictures.source = photo;
  RunContext context;
  ASSERT_EQ(RunFullSize(pictures, FactoryDefaults(kPencilSketch1EffectId), context), RunOutcome::Finished);
  EXPECT_FALSE(context.Processing);

  // The same chain by hand: turn by 30, fill the corners, soften, sketch, fill its undrawn last
  // rows and columns, turn back, the centre cut out.
  RunContext manual;
  Bitmap24 turned, sketch;
  RotateBitmap(photo, turned, 30, manual);
  RepeatNearestPhotographPixelIntoCorners(turned, 64, 64);
  Soften(turned);
  PencilSketch(turned, sketch, kDefaults, HatchingPicture(), {}, manual);
  const Bitmap24 undrawnWhite = sketch;
  for (int y = 0; y < sketch.Height(); ++y) {
    for (int x = 0; x < sketch.Width(); ++x) {
      sketch.SetPixel(x, y, undrawnWhite.Pixel(std::min(x, sketch.Width() - 3), std::min(y, sketch.Height() - 3)));
    }
  }
  RotateBitmap(sketch, turned, -30, manual);
  Bitmap24 expected(64, 64);
  CopyRect(expected, 0, 0, turned, Rect{(turned.Width() - 64) / 2, (turned.Height() - 64) / 2, turned.Width(), turned.Height()});
  EXPECT_EQ(pictures.result, expected);

  // The preview of a square crop runs the same chain and centres it the same way.
  StyleSettings settings;
  settings.sliders = FactoryDefaults(kPencilSketch1EffectId);
  RunContext previewContext;
  EXPECT_EQ(PreviewPencilSketch(photo, settings, {}, previewContext).picture, pictures.result);

  // Golden checksum of the full-size run with the shipped hatching picture, computed once from
  // this implementation; it also guards the hatching picture and the rotation.
  EXPECT_EQ(Fnv1a(pictures.result), 0xe5048be0f0dd579dull);
}

// A photograph of one colour has no edges, so its sketch has no lines either: on all four sides,
// the two outermost rows and columns keep within the brightness range of the pixels inside them,
// at full size and in the preview, for landscape and portrait shapes.
TEST(ProcessPencilSketch, AFlatPhotographGetsNoFrameLine) {
  const struct {
    int width, height;
    Colour colour;
  } cases[] = {{90, 60, MakeColour(110, 110, 110)}, {50, 80, MakeColour(40, 60, 150)}, {71, 53, MakeColour(230, 210, 120)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const Bitmap24 photo(c.width, c.height, c.colour);
    RunPictures pictures;
    pictures.source = photo;
    RunContext context;
    ASSERT_EQ(RunFullSize(pictures, FactoryDefaults(kPencilSketch1EffectId), context), RunOutcome::Finished);
    StyleSettings settings;
    settings.sliders = FactoryDefaults(kPencilSketch1EffectId);
    RunContext previewContext;
    const Bitmap24 preview = PreviewPencilSketch(photo, settings, {}, previewContext).picture;
    for (const Bitmap24* drawing : std::initializer_list<const Bitmap24*>{&pictures.result, &preview}) {
      auto brightness = [&](int x, int y) {
        const Colour p = drawing->Pixel(x, y);
        return RedOf(p) + GreenOf(p) + BlueOf(p);
      };
      auto onEdge = [&](int x, int y) { return x < 2 || y < 2 || x >= c.width - 2 || y >= c.height - 2; };
      int darkest = 765, brightest = 0;
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          if (onEdge(x, y)) continue;
          darkest = std::min(darkest, brightness(x, y));
          brightest = std::max(brightest, brightness(x, y));
        }
      }
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          if (!onEdge(x, y)) continue;
          ASSERT_GE(brightness(x, y), darkest) << (drawing == &preview ? "preview " : "") << x << "," << y;
          ASSERT_LE(brightness(x, y), brightest) << (drawing == &preview ? "preview " : "") << x << "," << y;
        }
      }
    }
  }
}

TEST(ProcessPencilSketch, TinyAndVeryWidePicturesKeepTheirSize) {
  // A panorama turned by 30 degrees is narrower than itself: the cut has white at its sides.
  for (const auto& size : {std::pair{1, 1}, {2, 1}, {1, 3}, {3, 3}, {5, 2}, {200, 20}}) {
    SCOPED_TRACE(testing::Message() << size.first << "x" << size.second);
    RunPictures pictures;
    pictures.source = Photo(size.first, size.second);
    RunContext context;
    ASSERT_EQ(RunFullSize(pictures, FactoryDefaults(kPencilSketch1EffectId), context), RunOutcome::Finished);
    EXPECT_EQ(pictures.result.Width(), size.first);
    EXPECT_EQ(pictures.result.Height(), size.second);
  }
  RunPictures wide;
  wide.source = Bitmap24(200, 20, 0x000000);
  RunContext context;
  RunFullSize(wide, FactoryDefaults(kPencilSketch1EffectId), context);
  EXPECT_EQ(wide.result.Pixel(0, 10), 0xFFFFFFu);
  EXPECT_EQ(wide.result.Pixel(199, 10), 0xFFFFFFu);
}

TEST(ProcessPencilSketch, AStoppedRunEndsWithThePictureAtSourceSizeAndNoFinishing) {
  RunPictures pictures;
  pictures.source = Photo(80, 60);
  RunContext context;
  StopAtPump shell(context, 3);  // in the first turn: pumps at the start, at row 50 and at row 0
  context.Progress = &shell;
  EXPECT_EQ(RunFullSize(pictures, FactoryDefaults(kPencilSketch1EffectId), context), RunOutcome::Aborted);
  EXPECT_EQ(pictures.result.Width(), 80);
  EXPECT_EQ(pictures.result.Height(), 60);
  EXPECT_FALSE(context.Processing);
  EXPECT_EQ(context.ShownPercent(), -1);  // the progress display was ended
}

TEST(ProcessPencilSketch, TheSamplePhotographLooksDrawn) {
  const LoadedImage sample = LoadImageFile(FindResource(kSamplePhotoPath));
  ASSERT_TRUE(sample.status) << sample.status.message();
  RunPictures pictures;
  pictures.source = sample.picture;
  RunContext context;
  ASSERT_EQ(RunFullSize(pictures, FactoryDefaults(kPencilSketch1EffectId), context), RunOutcome::Finished);
  ASSERT_EQ(pictures.result.Width(), sample.picture.Width());
  // A drawing, not the photograph: most pixels changed, some became dark lines.
  int changed = 0, dark = 0;
  for (int y = 0; y < pictures.result.Height(); ++y) {
    for (int x = 0; x < pictures.result.Width(); ++x) {
      const Colour c = pictures.result.Pixel(x, y);
      changed += c != sample.picture.Pixel(x, y);
      dark += RedOf(c) + GreenOf(c) + BlueOf(c) < 120;
    }
  }
  const int pixels = pictures.result.Width() * pictures.result.Height();
  EXPECT_GT(changed, pixels * 9 / 10);
  EXPECT_GT(dark, pixels / 200);
}

}  // namespace
}  // namespace atelion
