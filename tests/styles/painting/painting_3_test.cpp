#include "styles/painting/painting_3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::NoisePicture;
using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

int At(const Bitmap24& p, int x, int y, int c) { return p.Row(y)[3 * x + c]; }

// ---- The median as described: the padded picture built by four draws, every window sorted ----

Bitmap24 LiteralMedian(const Bitmap24& s, int k) {
  const int W = s.Width(), H = s.Height();
  k = std::clamp(k, 2, 11);
  Bitmap24 P(W + 2 * k, H + 2 * k);
  for (const auto& [left, top] : {std::pair{0, 0}, {0, k}, {k, 0}, {k, k}})
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) P.SetPixel(left + x, top + y, s.Pixel(x, y));
  Bitmap24 Q(W + 2 * k, H + 2 * k);
  const int r = (k * k - 1) >> 1;
  for (int i = 0; i <= H + k - 1; ++i) {
    for (int j = 0; j <= W + k - 1; ++j) {
      for (int c = 0; c < 3; ++c) {
        std::vector<int> values;
        for (int y = i; y < i + k; ++y)
          for (int x = j; x < j + k; ++x) values.push_back(At(P, x, y, c));
        int v = 0;
        while (std::count_if(values.begin(), values.end(), [&](int a) { return a <= v; }) < r) ++v;
        Q.Row(i + (k >> 1))[3 * (j + (k >> 1)) + c] = static_cast<std::uint8_t>(v);
      }
    }
  }
  Bitmap24 D(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) D.SetPixel(x, y, Q.Pixel(x + k, y + k));
  return D;
}

TEST(Painting3Median, MatchesTheLiteralWindowRank) {
  const Bitmap24 source = NoisePicture(23, 17, 3);
  const Bitmap24 photo = NoisySyntheticPhoto(31, 24);
  for (int k : {0, 2, 3, 4, 6, 11, 15}) {
    for (const Bitmap24* s : {&source, &photo}) {
      RunContext context;
      Bitmap24 out(5, 5, 0);
      MedianFilter(*s, out, k, 1, 1, context);
      EXPECT_EQ(out, LiteralMedian(*s, k)) << "k " << k << " width " << s->Width();
    }
  }
}

TEST(Painting3Median, WindowOfTwoIsTheMinimumAndKeepsAFlatPicture) {
  Bitmap24 lines(12, 10, MakeColour(200, 200, 200));
  for (int y = 0; y < 10; ++y) lines.SetPixel(5, y, 0xFFFFFF);  // a thin bright line disappears
  RunContext context;
  Bitmap24 out;
  MedianFilter(lines, out, 2, 1, 1, context);
  for (int y = 0; y < 9; ++y) EXPECT_EQ(out.Pixel(5, y), MakeColour(200, 200, 200)) << y;
  const Bitmap24 flat(20, 20, MakeColour(10, 120, 250));
  MedianFilter(flat, out, 3, 1, 1, context);
  // Only the last k shr 1 rows and columns see the white margin.
  EXPECT_EQ(out.Pixel(0, 0), MakeColour(10, 120, 250));
  EXPECT_EQ(out.Pixel(18, 18), MakeColour(10, 120, 250));
}

TEST(Painting3Median, AWindowLargerThanThePictureDoesNotWashItOut) {
  // Windows larger than the picture would mostly see white margin; they are shrunk to the picture.
  for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 30}, {5, 4}}) {
    const Bitmap24 dark(w, h, MakeColour(20, 30, 40));
    RunContext context;
    Bitmap24 out;
    MedianFilter(dark, out, 11, 1, 1, context);
    ASSERT_EQ(out.Width(), w);
    ASSERT_EQ(out.Height(), h);
    EXPECT_EQ(out.Pixel(0, 0), MakeColour(20, 30, 40)) << w << "x" << h;
  }
}

TEST(Painting3Median, AbortLeavesTheDestinationAsItWas) {
  RunContext context;
  context.AbortRequested = true;
  Bitmap24 out(3, 3, 0x123456);
  MedianFilter(NoisePicture(20, 20, 1), out, 4, 1, 1, context);
  EXPECT_EQ(out, Bitmap24(3, 3, 0x123456));
}

// ---- The block merging as described, pixel by pixel ----

void LiteralMergePass(Bitmap24& D, int o, int A) {
  const int W = D.Width(), H = D.Height();
  for (int r = 0; r <= (H >> 1) - 2; ++r) {
    for (int q = 0; q <= (W >> 1) - 2; ++q) {
      const int px[4] = {2 * q + o, 2 * q + o + 1, 2 * q + o, 2 * q + o + 1};
      const int py[4] = {2 * r + o, 2 * r + o, 2 * r + o + 1, 2 * r + o + 1};
      const Colour tl = D.Pixel(px[0], py[0]);
      const int th = A + (RedOf(tl) + GreenOf(tl) + BlueOf(tl)) / 30 - 25;
      int sr = RedOf(tl), sg = GreenOf(tl), sb = BlueOf(tl), n = 1;
      bool marked[4] = {true, false, false, false};
      for (int i = 1; i < 4; ++i) {
        const Colour c = D.Pixel(px[i], py[i]);
        const int diff = std::max({2 * std::abs(RedOf(c) - RedOf(tl)), std::abs(GreenOf(c) - GreenOf(tl)),
                                   std::abs(BlueOf(c) - BlueOf(tl))});
        if (diff < th) {
          sr += RedOf(c), sg += GreenOf(c), sb += BlueOf(c), ++n;
          marked[i] = true;
        }
      }
      if (n < 2) continue;
      auto mean = [&](int sum) { return std::min(sum / n + ((sum % n) > (n >> 1) ? 1 : 0), 255); };
      for (int i = 0; i < 4; ++i)
        if (marked[i]) D.SetPixel(px[i], py[i], MakeColour(mean(sr), mean(sg), mean(sb)));
    }
  }
}

Bitmap24 LiteralBlockMerge(Bitmap24 S, const ParameterSet& sliders, bool soften, const MeanColour& mean) {
  RunContext context;
  Soften(S);
  AdjustSaturation(S, 15, context);
  LocalContrast(S, 25, mean, &context);
  Bitmap24 D = S;
  for (int p = 0; p <= sliders[kSlotTrackBar5]; ++p) LiteralMergePass(D, p % 2, sliders[kSlotTrackBar1]);
  for (int y = 1; y < D.Height(); ++y)
    for (int x = 1; x < D.Width(); ++x)
      for (int c = 0; c < 3; ++c)
        D.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(At(D, x, y, c) + sliders[kSlotTrackBar3] - 127, 0, 255));
  if (soften) Soften(D);
  for (int i = 0; i < 3; ++i) Sharpen3(D);
  return D;
}

StyleSettings Settings(const ParameterSet& sliders, bool preview = false) {
  StyleSettings settings;
  settings.effectId = kPainting3EffectId;
  settings.sliders = sliders;
  settings.preview = preview;
  settings.sourceMean = kInitialSourceMeanColour;
  return settings;
}

TEST(Painting3Merge, MatchesTheLiteralPasses) {
  struct Case {
    ParameterSet sliders;
    bool soften;
    int width, height;
  };
  const Case cases[] = {
      {FactoryDefaults(kPainting3EffectId), false, 37, 29},
      {{80, 5, 0, 127, 0}, true, 20, 20},    // one pass on the unshifted grid
      {{255, 5, 7, 200, 0}, false, 33, 18},  // everything merges, odd sizes
      {{0, 5, 3, 0, 0}, false, 16, 40},      // nothing merges below a negative threshold
  };
  for (const Case& c : cases) {
    Bitmap24 source = NoisySyntheticPhoto(c.width, c.height, 11);
    Bitmap24 out;
    RunContext context;
    SurfaceSettings surface;
    surface.softenEdges = c.soften;
    const Bitmap24 expected = LiteralBlockMerge(source, c.sliders, c.soften, kInitialSourceMeanColour);
    BlockMerge(source, out, 1, 1, Settings(c.sliders), surface, context);
    EXPECT_EQ(out, expected) << c.width << "x" << c.height;
  }
}

TEST(Painting3Merge, SmallPicturesGetNoMergingAndIdenticalBlocksStay) {
  // Fewer than 4 rows: the passes change nothing; what remains is the brightness and sharpening.
  const ParameterSet sliders{255, 5, 10, 127, 0};
  Bitmap24 thin = NoisePicture(30, 3, 5);
  const Bitmap24 expected = LiteralBlockMerge(thin, {255, 5, -1, 127, 0}, false, kInitialSourceMeanColour);
  Bitmap24 out;
  RunContext context;
  BlockMerge(thin, out, 1, 1, Settings(sliders), SurfaceSettings{}, context);
  EXPECT_EQ(out, expected);

  Bitmap24 flat(16, 16, MakeColour(100, 150, 200));
  Bitmap24 d = flat;
  LiteralMergePass(d, 0, 255);
  LiteralMergePass(d, 1, 255);
  EXPECT_EQ(d, flat);
}

// ---- The whole style ----

Bitmap24 Painted(const Bitmap24& photo, const ParameterSet& sliders, bool preview = false) {
  RunContext context;
  const StyleSettings settings = Settings(sliders, preview);
  Bitmap24 source = photo;
  Bitmap24 shown = photo;
  return preview ? PreviewPainting3(photo, settings, SurfaceSettings{}, context).picture
                 : ProcessPainting3(source, shown, settings, SurfaceSettings{}, context).picture;
}

TEST(Painting3, IsTheMedianOfTheBlurredCopyThenTheMergingAndKeepsItsGoldenChecksum) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40, 2);
  const ParameterSet sliders = FactoryDefaults(kPainting3EffectId);
  Bitmap24 median = LiteralMedian(photo, sliders[kSlotTrackBar2] + 1);
  Sharpen3(median);
  const Bitmap24 expected = LiteralBlockMerge(median, sliders, false, kInitialSourceMeanColour);
  const Bitmap24 painted = Painted(photo, sliders);
  ASSERT_EQ(painted, expected);
  EXPECT_EQ(Painted(photo, sliders, true), expected);
  // Recorded after the comparison above passed.
  EXPECT_EQ(Fnv1a(painted), 0x93ec5624a19252f8ull);
}

TEST(Painting3, TinyPicturesComeBackDrawn) {
  for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}}) {
    const Bitmap24 photo = NoisySyntheticPhoto(w, h, 4);
    for (int size : {1, 10}) {
      const Bitmap24 painted = Painted(photo, {35, size, 30, 140, 0});
      EXPECT_EQ(painted.Width(), w);
      EXPECT_EQ(painted.Height(), h);
    }
  }
}

TEST(Painting3, AbortDuringTheMergingKeepsWhatWasMerged) {
  RunContext context;
  context.AbortRequested = true;
  Bitmap24 source = NoisySyntheticPhoto(20, 20);
  Bitmap24 shown = source;
  const StyleOutput output =
      ProcessPainting3(source, shown, Settings(FactoryDefaults(kPainting3EffectId)), SurfaceSettings{}, context);
  // The abort came before the median and before the preparation: the painting is left white.
  EXPECT_EQ(output.picture, Bitmap24(20, 20));
}

}  // namespace
}  // namespace atelion
