#include "styles/stylized/vintage_photo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "styles/stylized/old_paper_picture.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

int At(const Bitmap24& p, int x, int y, int c) { return p.Row(y)[3 * x + c]; }

// ---- The blur and the colour pass as described, one pixel and one channel at a time ----

void LiteralBlur(Bitmap24& S, int P2) {
  const int W = S.Width(), H = S.Height(), k = 255 - P2;
  auto set = [&](int x, int y, int c, int v) { S.Row(y)[3 * x + c] = static_cast<std::uint8_t>(v); };
  for (int pass = 0; pass < P2 / 10 + 1; ++pass) {
    for (int c = 0; c < 3; ++c) {
      for (int y = 1; y <= H - 2; ++y)
        for (int x = 1; x <= W - 2; ++x) {
          int sum = 0;
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
              if (dx != 0 || dy != 0) sum += At(S, x + dx, y + dy, c);
          set(x, y, c, (sum + k * At(S, x, y, c)) / (k + 8));
        }
      auto five = [&](int x, int y, std::initializer_list<std::pair<int, int>> n) {
        int sum = 0;
        for (auto [nx, ny] : n) sum += At(S, nx, ny, c);
        set(x, y, c, (sum + k * At(S, x, y, c)) / (k + 5));
      };
      if (H >= 2) {
        for (int x = 1; x <= W - 2; ++x) five(x, 0, {{x - 1, 0}, {x + 1, 0}, {x - 1, 1}, {x, 1}, {x + 1, 1}});
        for (int x = 1; x <= W - 2; ++x)
          five(x, H - 1, {{x - 1, H - 1}, {x + 1, H - 1}, {x - 1, H - 2}, {x, H - 2}, {x + 1, H - 2}});
      }
      if (W >= 2) {
        for (int y = 1; y <= H - 2; ++y) five(0, y, {{0, y - 1}, {0, y + 1}, {1, y - 1}, {1, y}, {1, y + 1}});
        for (int y = 1; y <= H - 2; ++y)
          five(W - 1, y, {{W - 1, y - 1}, {W - 1, y + 1}, {W - 2, y - 1}, {W - 2, y}, {W - 2, y + 1}});
      }
    }
  }
}

Bitmap24 LiteralColours(const Bitmap24& S, const Bitmap24& paper, const ParameterSet& s) {
  const int P1 = s[kSlotTrackBar1], P3 = s[kSlotTrackBar5], P4 = s[kSlotTrackBar3], P5 = s[kSlotTrackBar4];
  Bitmap24 D(S.Width(), S.Height());
  for (int x = 0; x < S.Width(); ++x) {
    for (int y = 0; y < S.Height(); ++y) {
      const int p = RedOf(paper.Pixel(x % 56, y % 63));
      const int d = (190 - p) * P3 / 50;
      const Colour c = S.Pixel(x, y);
      const int r = std::clamp(RedOf(c) + d, 0, 255), g = std::clamp(GreenOf(c) + d, 0, 255),
                b = std::clamp(BlueOf(c) + d, 0, 255);
      const int tr = std::min((420 * r + 769 * g + 189 * b) / 1000, 255);
      const int tg = std::min((349 * r + 686 * g + 168 * b) / 1000, 255);
      const int tb = std::min((272 * r + 534 * g + 131 * b) / 1000, 255);
      int out[3] = {tr * P1 / 255 + RedOf(c) * (255 - P1) / 255, tg * P1 / 255 + GreenOf(c) * (255 - P1) / 255,
                    tb * P1 / 255 + BlueOf(c) * (255 - P1) / 255};
      const int m = (r + g + b) / 3;
      for (int& v : out) v = std::clamp(v * P4 / 255 + m * (255 - P4) / 255 + P5 - 127, 0, 255);
      D.SetPixel(x, y, MakeColour(out[0], out[1], out[2]));
    }
  }
  return D;
}

// A paper whose red channel varies in every place of the tile, so a wrong place shows.
Bitmap24 TestPaper() {
  std::mt19937 generator(9);
  Bitmap24 paper(70, 70);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 70; ++x) paper.SetPixel(x, y, MakeColour(150 + generator() % 90, 10, 20));
  return paper;
}

StyleSettings Settings(const ParameterSet& sliders, bool preview) {
  StyleSettings settings;
  settings.effectId = kVintagePhotoEffectId;
  settings.sliders = sliders;
  settings.preview = preview;
  return settings;
}

Bitmap24 Vintage(const Bitmap24& photo, const ParameterSet& sliders, bool preview, const Bitmap24& paper) {
  Bitmap24 source = photo;
  Bitmap24 out;
  RunContext context;
  VintagePhoto(source, out, paper, Settings(sliders, preview), context);
  return out;
}

TEST(VintagePhoto, PreviewMatchesTheLiteralBlurAndColourPass) {
  struct Case {
    ParameterSet sliders;
    int width, height;
  };
  const Case cases[] = {
      {FactoryDefaults(kVintagePhotoEffectId), 70, 75},  // the tile repeats in both directions
      {{0, 255, 100, 0, 0}, 9, 6},                       // k = 0, 26 passes, a grey picture
      {{128, 0, 0, 255, 255}, 2, 5},                     // one pass with k = 255, no defects
      {{255, 40, 73, 100, 60}, 7, 1},                    // one row: only the colour pass
      {{255, 99, 20, 180, 140}, 1, 9},                   // one column
  };
  const Bitmap24 paper = TestPaper();
  for (const Case& c : cases) {
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height, 5);
    Bitmap24 blurred = photo;
    LiteralBlur(blurred, c.sliders[kSlotTrackBar2]);
    EXPECT_EQ(Vintage(photo, c.sliders, true, paper), LiteralColours(blurred, paper, c.sliders))
        << c.width << "x" << c.height;
  }
}

TEST(VintagePhoto, SlidersAtTheirEnds) {
  const Bitmap24 photo = NoisySyntheticPhoto(30, 20, 8);
  const Bitmap24 paper = TestPaper();
  // Sepia colouring 0: a grey picture shifted by the brightness offset.
  const Bitmap24 grey = Vintage(photo, {255, 127, 50, 0, 150}, true, paper);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      const Colour c = grey.Pixel(x, y);
      EXPECT_TRUE(RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c)) << x << "," << y;
    }
  // Strength 0, blur 0 (one pass with a heavy centre), no defects, neutral: the photograph's
  // own blurred colours.
  Bitmap24 blurred = photo;
  LiteralBlur(blurred, 0);
  EXPECT_EQ(Vintage(photo, {0, 0, 0, 255, 127}, true, paper), blurred);
  // No defects: the paper does not matter.
  EXPECT_EQ(Vintage(photo, {200, 60, 0, 200, 127}, true, paper),
            Vintage(photo, {200, 60, 0, 200, 127}, true, Bitmap24(60, 70, 0)));
}

TEST(VintagePhoto, VignetteDarkensTowardsTheCornersAndOnlyAtFullSize) {
  Bitmap24 white(200, 120);
  Vignette(white);
  // Inside the first ring the channel loses its 256th part; the corners are darkest.
  EXPECT_EQ(white.Pixel(100, 60), MakeColour(254, 254, 254));
  EXPECT_LT(RedOf(white.Pixel(0, 0)), RedOf(white.Pixel(20, 12)));
  EXPECT_LT(RedOf(white.Pixel(20, 12)), 254);
  EXPECT_EQ(white.Pixel(0, 0), white.Pixel(199, 119));
  const Bitmap24 photo = NoisySyntheticPhoto(64, 48, 3);
  const ParameterSet sliders = FactoryDefaults(kVintagePhotoEffectId);
  const Bitmap24 paper = TestPaper();
  Bitmap24 vignetted = photo;
  Vignette(vignetted);
  EXPECT_EQ(Vintage(photo, sliders, false, paper), Vintage(vignetted, sliders, true, paper));
  EXPECT_NE(Vintage(photo, sliders, false, paper), Vintage(photo, sliders, true, paper));
}

TEST(VintagePhoto, TinyPicturesComeBackDrawn) {
  // A picture of one pixel has a vignette of half-size 0.
  for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}}) {
    const Bitmap24 photo = NoisySyntheticPhoto(w, h, 4);
    Bitmap24 vignetted = photo;
    Vignette(vignetted);
    ASSERT_EQ(vignetted.Width(), w);
    EXPECT_EQ(RedOf(vignetted.Pixel(0, 0)), RedOf(photo.Pixel(0, 0)) * 255 / 256) << w << "x" << h;
    const Bitmap24 out = Vintage(photo, FactoryDefaults(kVintagePhotoEffectId), false, OldPaperPicture());
    EXPECT_EQ(out.Width(), w);
    EXPECT_EQ(out.Height(), h);
  }
}

TEST(VintagePhoto, FullSizeRunKeepsItsGoldenChecksum) {
  // The vignette, blur and colours over the shipped paper; recorded after the literal checks above.
  const Bitmap24 photo = NoisySyntheticPhoto(90, 70, 6);
  Bitmap24 source = photo, shown = photo;
  RunContext context;
  const StyleOutput output = ProcessSepia(source, shown, Settings(FactoryDefaults(kVintagePhotoEffectId), false),
                                          SurfaceSettings{}, context);
  EXPECT_EQ(source, photo);  // the style works on a copy
  EXPECT_EQ(Fnv1a(output.picture), 0x5a8da543cf148d0full);
}

TEST(OldPaperPicture, IsALightGreyStainedSheetWhoseTileRepeatsWithoutSeams) {
  const Bitmap24 paper = GenerateOldPaperPicture();
  ASSERT_EQ(paper.Width(), kOldPaperWidth);
  ASSERT_EQ(paper.Height(), kOldPaperHeight);
  EXPECT_EQ(paper, OldPaperPicture());
  // The tile's mean tone is near the neutral value, so the photograph keeps its brightness.
  long sum = 0;
  for (int y = 0; y < 63; ++y)
    for (int x = 0; x < 56; ++x) sum += RedOf(paper.Pixel(x, y));
  EXPECT_NEAR(sum / (56.0 * 63.0), 190.0, 4.0);
  // Across the tile's seams the tone steps no more than inside it.
  int inside = 0, seam = 0;
  for (int y = 0; y < 63; ++y) {
    seam = std::max(seam, std::abs(RedOf(paper.Pixel(55, y)) - RedOf(paper.Pixel(0, y))));
    for (int x = 0; x < 55; ++x) inside = std::max(inside, std::abs(RedOf(paper.Pixel(x, y)) - RedOf(paper.Pixel(x + 1, y))));
  }
  EXPECT_LE(seam, inside);
  // The edges are darker than the middle of the sheet.
  long edge = 0, middle = 0;
  for (int x = 200; x < 1200; ++x) edge += RedOf(paper.Pixel(x, kOldPaperHeight - 2)), middle += RedOf(paper.Pixel(x, 500));
  EXPECT_LT(edge + 20 * 1000, middle);
}

}  // namespace
}  // namespace atelion
