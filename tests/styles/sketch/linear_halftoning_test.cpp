#include "styles/sketch/linear_halftoning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "core/canvas.h"
#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "support/synthetic_photos.h"
#include "support/picture_checksum.h"

namespace atelion {

void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::NoisePicture;
using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

constexpr int kStyle = kLinearHalftoningEffectId;

StyleSettings SettingsFor(ParameterSet sliders, bool preview = true) {
  StyleSettings settings;
  settings.effectId = kStyle;
  settings.sliders = sliders;
  settings.preview = preview;
  return settings;
}

// The turn onto the enlarged canvas as the rules read, rows from the bottom up; `stopRow` ends it
// before that row is written, as a stop does. Rounding to nearest with halves to even.
void LiteralRotate(const Bitmap24& s, Bitmap24& d, int a, int stopRow = -1) {
  const int width = s.Width(), height = s.Height();
  const double b = -a * 3.141592653589793 / 180;
  const double sn = std::sin(b), cs = std::cos(b);
  const int wd = static_cast<int>(std::abs(std::nearbyint(height * sn)) + std::abs(std::nearbyint(width * cs)));
  const int hd = static_cast<int>(std::abs(std::nearbyint(width * sn)) + std::abs(std::nearbyint(height * cs)));
  d.Resize(wd, hd);
  const int f = width / 2, g = height / 2;
  for (int r = hd - 1; r >= 0; --r) {
    if (r == stopRow) return;
    const int h = (r - (hd - height) / 2 - g) * 2 + 1;
    for (int i = wd - 1; i >= 0; --i) {
      const int m = (i - (wd - width) / 2 - f) * 2 + 1;
      const int t = static_cast<int>(std::nearbyint(m * cs - h * sn));
      const int v = static_cast<int>(std::nearbyint(m * sn + h * cs));
      const int sx = f + (t - 1) / 2, sy = g + (v - 1) / 2;
      d.SetPixel(i, r, sx >= 0 && sx <= width - 1 && sy >= 0 && sy <= height - 1 ? s.Pixel(sx, sy) : 0xFFFFFF);
    }
  }
}

// The line screen as the rules read, reads past the right edge taking the last column.
void LiteralLines(const Bitmap24& s, Bitmap24& d, int la, int ci) {
  const int n = la / 2 + 4, ws = s.Width(), hd = d.Height();
  auto at = [&](int x, int y) { return s.Pixel(std::min(x, ws - 1), y); };
  double w = 0.0, step = 0.2;
  int previous[3] = {255, 255, 255};
  int x0 = 0, y0 = 0;
  while (y0 < hd - n - n / 2 - 1) {
    int sum = 0;
    for (int y = y0 + n / 2; y <= y0 + n / 2 + n - 1; ++y)
      for (int x = x0 + n / 2; x <= x0 + n / 2 + n - 1; ++x) {
        const Colour c = at(x, y);
        sum += 2 * RedOf(c) + GreenOf(c) + BlueOf(c);
      }
    const int f = sum / (4 * n * n), k = 255 - f;
    const Colour p = at(x0 + n, y0 + n);
    const int l[3] = {(ci * RedOf(p)) / 100 + (f * (100 - ci)) / 165, (ci * GreenOf(p)) / 100 + (f * (100 - ci)) / 165,
                      (ci * BlueOf(p)) / 100 + (f * (100 - ci)) / 165};
    const int yc = y0 + n + n / 2;
    for (int X = x0; X <= x0 + n - 1; ++X) {
      for (int y = yc - static_cast<int>(std::floor(w / 2)); y < yc + static_cast<int>(std::floor(w / 2)); ++y)
        d.SetPixel(X, y, MakeColour(l[0], l[1], l[2]));
      const int e = static_cast<int>(std::floor(255 * w - 255 * std::floor(w)));
      int q[3], edge[3];
      for (int c = 0; c < 3; ++c) {
        q[c] = (l[c] * e + (255 - e) * 255) / 255;
        edge[c] = (l[c] + q[c] + previous[c]) / 3;
      }
      d.SetPixel(X, yc - static_cast<int>(std::ceil(w / 2)), MakeColour(edge[0], edge[1], edge[2]));
      d.SetPixel(X, yc + static_cast<int>(std::ceil(w / 2)) - 1, MakeColour(edge[0], edge[1], edge[2]));
      std::copy(q, q + 3, previous);
      const int t = k / (255 / n);
      if (t - step > std::floor(w)) {
        w += step;
        step += 0.07;
      } else if (std::floor(w) > t + step) {
        w -= step;
        step += 0.07;
      } else {
        step = 0.2;
      }
      step = std::min(step, 2.5);
      if (n > 15) w = std::min(w, n - 1.5);
      w = std::max(w, 1.1);
    }
    x0 += n;
    if (x0 > ws - n - n / 2) {
      x0 = 0;
      y0 += n;
      w = 0.0;
      step = 0.2;
    }
  }
}

// The whole drawing as the rules read; `stopRow` stops the turn back before that row.
Bitmap24 LiteralHalftone(const Bitmap24& source, const ParameterSet& sliders, int stopRow = -1) {
  const int width = source.Width(), height = source.Height(), w2 = width + 50, h2 = height + 50;
  Bitmap24 p(w2, h2);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.SetPixel(x + 25, y + 25, source.Pixel(x, y));
  for (int y = 0; y < h2 - 1; ++y)
    for (int x = 0; x < 25; ++x) p.SetPixel(x, y, p.Pixel(x + 25, y));
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < w2 - 1; ++x) p.SetPixel(x, y, p.Pixel(x, y + 25));
  // The platform's shrinking copy, 25 columns (rows) into 24.
  const Bitmap24 unshrunk = p;
  StretchCopy(p, {w2 - 25, 0, w2 - 1, h2 - 1}, unshrunk, {w2 - 50, 0, w2 - 25, h2 - 1});
  const Bitmap24 unshrunkRows = p;
  StretchCopy(p, {0, h2 - 25, w2 - 1, h2 - 1}, unshrunkRows, {0, h2 - 50, w2 - 1, h2 - 25});
  Bitmap24 result = source;
  result.Resize(w2, h2);
  LiteralRotate(p, result, sliders[1]);
  p = Bitmap24(result.Width(), result.Height());
  LiteralLines(result, p, sliders[0], sliders[2]);
  LiteralRotate(p, result, -sliders[1], stopRow);
  Bitmap24 cut(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      cut.SetPixel(x, y, result.Pixel(x + (result.Width() - width) / 2, y + (result.Height() - height) / 2));
  Soften(cut);
  Sharpen3(cut);
  Sharpen3(cut);
  return cut;
}

TEST(RotateExpanded, MatchesTheLiteralTurn) {
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {7, 1}, {1, 9}, {13, 8}, {30, 21}};
  for (const auto& [width, height] : sizes) {
    const Bitmap24 source = NoisePicture(width, height, static_cast<unsigned>(width + 100 * height));
    for (const int angle : {0, 1, 30, 45, 90, 135, 180, 271, 360, -45, -90}) {
      Bitmap24 turned, expected;
      RunContext context;
      RotateExpanded(source, turned, angle, SettingsFor({}), context);
      LiteralRotate(source, expected, angle);
      ASSERT_EQ(turned, expected) << width << "x" << height << " by " << angle;
    }
  }
  // No angle leaves a pixel out or moves one at 0; a quarter turn swaps the sides.
  const Bitmap24 source = NoisePicture(13, 8, 1);
  Bitmap24 turned;
  RunContext context;
  RotateExpanded(source, turned, 0, SettingsFor({}), context);
  EXPECT_EQ(turned, source);
  RotateExpanded(source, turned, 90, SettingsFor({}), context);
  EXPECT_EQ(turned.Width(), 8);
  EXPECT_EQ(turned.Height(), 13);
}

TEST(HalfToneLines, MatchesTheLiteralScreen) {
  const std::pair<int, int> sizes[] = {{1, 1}, {12, 40}, {40, 12}, {61, 47}, {90, 90}};
  const ParameterSet sliderSets[] = {{12, 0, 100, 0, 0}, {0, 0, 0, 0, 0}, {255, 0, 40, 0, 0}, {30, 0, 70, 0, 0}};
  for (const auto& [width, height] : sizes) {
    const Bitmap24 source = NoisySyntheticPhoto(width, height);
    for (const ParameterSet& sliders : sliderSets) {
      Bitmap24 lines(width, height), expected(width, height);
      RunContext context;
      HalfToneLines(source, lines, SettingsFor(sliders), context);
      LiteralLines(source, expected, sliders[0], sliders[2]);
      EXPECT_EQ(lines, expected) << width << "x" << height << " abstraction " << sliders[0];
    }
  }
}

TEST(HalfToneLines, AWhiteAreaGetsOnlyFaintEdgePixels) {
  // In white the thickness settles at 1.1: no line, but the two edge pixels at rows yc − 1 and yc
  // take L = 100·255 div 165 = 154 (colour intensity 0) faded by the fraction: e = 0 in the first
  // column of a cell row (q = 255), then 25 (q = 245). Edge = (L + q + previous q) div 3.
  const Bitmap24 white(60, 60);
  Bitmap24 lines(60, 60);
  RunContext context;
  HalfToneLines(white, lines, SettingsFor({12, 0, 0, 0, 0}), context);
  // n = 10: cell rows at y0 = 0 .. 40 (while y0 < 60 − 16), centre rows 15 .. 55; cells up to x0 = 40.
  Bitmap24 expected(60, 60);
  for (int cellRow = 0; cellRow < 5; ++cellRow) {
    const int yc = 15 + 10 * cellRow;
    for (int x = 0; x < 50; ++x) {
      const int grey = x >= 2 ? 214 : cellRow == 0 && x == 0 ? 221 : 218;
      expected.SetPixel(x, yc - 1, MakeColour(grey, grey, grey));
      expected.SetPixel(x, yc, MakeColour(grey, grey, grey));
    }
  }
  EXPECT_EQ(lines, expected);
}

TEST(HalfToneLines, ACellWiderThanThePictureReadsItsLastColumnAgain) {
  // Cells of 131 pixels on a canvas 20 pixels wide: every cell reaches past the right edge. It
  // reads the last column (black here) instead of running on into the next rows, so the left half
  // being white changes nothing.
  Bitmap24 halfWhite(20, 300, 0x000000), black(20, 300, 0x000000);
  FillRect(halfWhite, {0, 0, 10, 300}, 0xFFFFFF);
  Bitmap24 fromHalfWhite(20, 300), fromBlack(20, 300);
  RunContext context;
  HalfToneLines(halfWhite, fromHalfWhite, SettingsFor({255, 0, 100, 0, 0}), context);
  HalfToneLines(black, fromBlack, SettingsFor({255, 0, 100, 0, 0}), context);
  EXPECT_EQ(fromHalfWhite, fromBlack);
  EXPECT_NE(fromBlack, Bitmap24(20, 300));
}

TEST(ProcessHalfToneLines, MatchesTheLiteralChainAndKeepsItsGoldenChecksum) {
  const ParameterSet sliderSets[] = {{12, 45, 100, 0, 0}, {0, 0, 0, 0, 0}, {60, 90, 50, 0, 0}, {200, 301, 80, 0, 0}};
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {7, 1}, {40, 33}};
  for (const auto& [width, height] : sizes) {
    const Bitmap24 photo = NoisySyntheticPhoto(width, height);
    for (const ParameterSet& sliders : sliderSets) {
      RunPictures pictures;
      pictures.source = photo;
      StyleSettings settings = SettingsFor(sliders, false);
      RunContext context;
      ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
      EXPECT_EQ(pictures.result, LiteralHalftone(photo, sliders)) << width << "x" << height << " angle " << sliders[1];
    }
  }
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  RunPictures first, second;
  first.source = second.source = photo;
  StyleSettings settings = SettingsFor(FactoryDefaults(kStyle), false);
  RunContext context;
  ASSERT_EQ(RunEffect(first, settings, FinishingSettings{}, context), RunOutcome::Finished);
  ASSERT_EQ(RunEffect(second, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(first.result, second.result);
  EXPECT_EQ(first.result, LiteralHalftone(photo, FactoryDefaults(kStyle)));
  // Recorded after the comparison with the literal chain above; any change of a byte changes it.
  EXPECT_EQ(Fnv1a(first.result), 0xa88367e85c89a185ull);

  // The preview runs the same chain on its crop.
  settings.preview = true;
  EXPECT_EQ(PreviewHalfToneLines(photo, settings, SurfaceSettings{}, context).picture, first.result);
}

TEST(ProcessHalfToneLines, DrawsTinyAndThinPictures) {
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}};
  for (const auto& [width, height] : sizes) {
    const Bitmap24 photo = NoisePicture(width, height, 3);
    for (const ParameterSet& sliders : {FactoryDefaults(kStyle), ParameterSet{255, 0, 100, 0, 0}}) {
      RunPictures pictures;
      pictures.source = photo;
      StyleSettings settings = SettingsFor(sliders, false);
      RunContext context;
      ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished)
          << width << "x" << height;
      EXPECT_EQ(pictures.result.Width(), width);
      EXPECT_EQ(pictures.result.Height(), height);
    }
  }
}

TEST(ProcessHalfToneLines, AStopDuringTheTurnBackKeepsWhatWasDrawn) {
  // The stop percentage 67 is reached by the turn back's second report: the rows from the bottom
  // up to that report's row are turned back, the rows above keep the turned screen's canvas.
  const Bitmap24 photo = NoisySyntheticPhoto(90, 70);
  const ParameterSet sliders = {20, 30, 80, 0, 0};
  RunPictures pictures;
  pictures.source = photo;
  StyleSettings settings = SettingsFor(sliders, false);
  RunContext context;
  context.StopPercentage = 67;
  ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Aborted);
  // The turn back's height, and the first row (a multiple of 50 from the bottom) whose report shows 67 %.
  Bitmap24 framed(140, 120), turned, back;
  LiteralRotate(framed, turned, 30);
  LiteralRotate(turned, back, -30);
  const int hd = back.Height();
  int stopRow = -1;
  for (int r = hd - 1; r >= 0 && stopRow < 0; --r) {
    if (r % 50 == 0 && (((hd - r - 1) * 95 / 100) * 101 / (hd - 1) + 200) / 3 >= 67) stopRow = r;
  }
  ASSERT_GT(stopRow, 0);
  EXPECT_EQ(pictures.result, LiteralHalftone(photo, sliders, stopRow));
  EXPECT_NE(pictures.result, LiteralHalftone(photo, sliders));
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

}  // namespace atelion
