#include "core/filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace atelion {
namespace {

// ---------------------------------------------------------------------------------------------
// Direct transcriptions of the described arithmetic: every window re-summed, every neighbour read
// from a full copy taken at the start. The fast filters must give the same bytes.
// ---------------------------------------------------------------------------------------------

int Channel(const Bitmap24& picture, int x, int y, int c) { return picture.Row(y)[3 * x + c]; }
void SetChannel(Bitmap24& picture, int x, int y, int c, int value) { picture.Row(y)[3 * x + c] = static_cast<std::uint8_t>(value); }
int Clamp(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, 0, 255)); }

int Sum3x3(const Bitmap24& old, int x, int y, int c) {
  int sum = 0;
  for (int j = -1; j <= 1; ++j)
    for (int i = -1; i <= 1; ++i) sum += Channel(old, x + i, y + j, c);
  return sum;
}

void ReferenceSoften(Bitmap24& b) {
  const Bitmap24 old = b;
  const int w = b.Width(), h = b.Height();
  for (int y = 1; y <= h - 2; ++y)
    for (int x = 1; x <= w - 2; ++x)
      for (int c = 0; c < 3; ++c) SetChannel(b, x, y, c, (Sum3x3(old, x, y, c) / 9 + Channel(old, x, y, c)) >> 1);
  for (int y : {h - 1, 0})
    for (int x = 1; x <= w - 2; ++x)
      for (int c = 0; c < 3; ++c)
        SetChannel(b, x, y, c, (Channel(old, x - 1, y, c) + Channel(old, x, y, c) + Channel(old, x + 1, y, c)) / 3);
  for (int x : {0, w - 1})
    for (int y = 1; y <= h - 2; ++y)
      for (int c = 0; c < 3; ++c)
        SetChannel(b, x, y, c, (Channel(old, x, y - 1, c) + Channel(old, x, y, c) + Channel(old, x, y + 1, c)) / 3);
}

void ReferenceBoxBlur3(Bitmap24& b) {
  const Bitmap24 old = b;
  for (int y = 1; y <= b.Height() - 2; ++y)
    for (int x = 1; x <= b.Width() - 2; ++x)
      for (int c = 0; c < 3; ++c) SetChannel(b, x, y, c, Sum3x3(old, x, y, c) / 9);
}

void ReferenceSharpen3(Bitmap24& b) {
  const Bitmap24 old = b;
  for (int y = 1; y <= b.Height() - 2; ++y)
    for (int x = 1; x <= b.Width() - 2; ++x)
      for (int c = 0; c < 3; ++c) {
        const int v = Channel(old, x, y, c);
        const int n = Sum3x3(old, x, y, c) - v;
        int t = 5 * v - (n >> 3);
        if (t < 0) t = 0;
        SetChannel(b, x, y, c, t < 1024 ? t >> 2 : 255);
      }
}

void ReferencePivotContrast(Bitmap24& b, int pivot, int amount) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      for (int c = 0; c < 3; ++c) {
        const int v = Channel(b, x, y, c);
        SetChannel(b, x, y, c, Clamp(v + (static_cast<std::int64_t>(v - pivot) * amount) / 100));
      }
}

void ReferenceAdjustBrightness(Bitmap24& b, int amount) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      for (int c = 0; c < 3; ++c) {
        const int v = Channel(b, x, y, c);
        const std::int64_t change = amount <= 0 ? (static_cast<std::int64_t>(amount) * v) / 100
                                                : (static_cast<std::int64_t>(amount) * (255 - v)) / 100;
        SetChannel(b, x, y, c, Clamp(v + change));
      }
}

// LocalContrast with the whole padded picture built by its four draws and the 81 values re-summed.
void ReferenceLocalContrast(Bitmap24& b, int amount, const MeanColour& mean) {
  const int w = b.Width(), h = b.Height();
  Bitmap24 padded(w + 18, h + 18, 0xFFFFFF);
  for (auto [dx, dy] : {std::pair{0, 0}, std::pair{9, 0}, std::pair{0, 9}, std::pair{9, 9}})
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) padded.SetPixel(x + dx, y + dy, b.Pixel(x, y));
  const std::int64_t means[3] = {mean.blue, mean.green, mean.red};
  for (int y = 0; y <= h - 2; ++y)
    for (int x = 0; x <= w - 2; ++x)
      for (int c = 0; c < 3; ++c) {
        int s = 0;
        for (int j = 0; j < 9; ++j)
          for (int i = 0; i < 9; ++i) s += Channel(padded, x + 5 + i, y + 5 + j, c);
        const int own = Channel(b, x, y, c);
        const int local = (s - own) / 80;
        const std::int64_t blend = (means[c] + 2 * local) / 3;
        SetChannel(b, x, y, c, Clamp(own + (static_cast<std::int64_t>(amount) * (own - blend)) / 100));
      }
}

Bitmap24 ReferenceMedianSmooth(const Bitmap24& b, int size) {
  Bitmap24 result(b.Width(), b.Height(), 0xFFFFFF);
  const int r = size / 2;
  for (int x = 0; x < b.Width(); ++x)
    for (int y = 0; y < b.Height(); ++y)
      for (int c = 0; c < 3; ++c) {
        std::vector<int> samples;
        for (int j = -r; j <= r; ++j)
          for (int i = -r; i <= r; ++i)
            if (b.InBounds(x + i, y + j)) samples.push_back(Channel(b, x + i, y + j, c));
        std::sort(samples.begin(), samples.end());
        const std::size_t n = samples.size();
        SetChannel(result, x, y, c, n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2);
      }
  return result;
}

// In place, through single pixel reads, so that later windows see the pixels already written.
void ReferenceLocalSharpen5InPlace(Bitmap24& b, int strength) {
  for (int y = 2; y <= b.Height() - 3; ++y)
    for (int x = 2; x <= b.Width() - 3; ++x) {
      int mean[3];
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int j = -2; j <= 2; ++j)
          for (int i = -2; i <= 2; ++i)
            if (i != 0 && i != j) sum += Channel(b, x + i, y + j, c);
        mean[c] = sum / 24;
      }
      const int own[3] = {Channel(b, x, y, 0), Channel(b, x, y, 1), Channel(b, x, y, 2)};
      const int k = std::abs(own[0] + own[1] + own[2] - mean[0] - mean[1] - mean[2]) / 3;
      for (int c = 0; c < 3; ++c) SetChannel(b, x, y, c, Clamp(own[c] + ((own[c] - mean[c]) * k) / (256 - strength)));
    }
}

// The integer conversion with hardware divisions, as written.
Hls240 ReferenceRGBToHLS240(int r, int g, int b) {
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const int l = ((mx + mn) * 240 + 255) / 510;
  if (mx == mn) return {160, l, 0};
  const int d = mx - mn;
  const int s = l <= 120 ? (d * 240 + (mx + mn) / 2) / (mx + mn) : (d * 240 + (510 - mx - mn) / 2) / (510 - mx - mn);
  const int rd = ((mx - r) * 40 + d / 2) / d, gd = ((mx - g) * 40 + d / 2) / d, bd = ((mx - b) * 40 + d / 2) / d;
  int h = r == mx ? bd - gd : g == mx ? 80 + rd - bd : 160 + gd - rd;
  if (h < 0) h += 240;
  if (h > 240) h -= 240;
  return {h, l, s};
}

// ColourVibrance computing the saturation and lightness lifts per pixel, as written.
void ReferenceColourVibrance(Bitmap24& b, int amount) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const Colour colour = b.Pixel(x, y);
      Hls240 hls = ReferenceRGBToHLS240(RedOf(colour), GreenOf(colour), BlueOf(colour));
      int h = hls.hue, s = hls.saturation, l = hls.lightness;
      if (s > 5) {
        const int f = (81 <= h && h <= 139) ? (amount * 3) / 5 : amount;
        s = static_cast<int>(std::nearbyint(s * (1 + ((120 - std::abs(s - 120)) / 120.0) * (f / 100.0))));
        s = std::min(s, 240);
      }
      if (l > 10) l = std::min(240, (l * ((255 - l) / 50 + 100)) / 100);
      const Rgb240 rgb = HLSToRGB240(h, s, l);
      b.SetPixel(x, y, MakeColour(rgb.red, rgb.green, rgb.blue));
    }
}

// ---------------------------------------------------------------------------------------------

Bitmap24 RandomPicture(int width, int height, unsigned seed, int low = 0, int high = 255) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(low, high);
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (std::size_t i = 0; i < picture.RowBytes(); ++i) picture.Row(y)[i] = static_cast<std::uint8_t>(value(random));
  return picture;
}

// A picture with smooth areas and edges, closer to a photograph than noise (medians move little).
Bitmap24 SmoothPicture(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> noise(-6, 6);
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int base[3] = {(x * 7 + y * 3) % 256, (x * y) % 256, (x + y) % 64 < 32 ? 40 : 210};
      for (int c = 0; c < 3; ++c) SetChannel(picture, x, y, c, Clamp(base[c] + noise(random)));
    }
  return picture;
}

struct Size {
  int width, height;
};
// Includes the degenerate shapes: single pixels, one or two rows or columns, narrower than the
// windows; and pictures tall enough to be split into bands of rows worked side by side.
const Size kSizes[] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {1, 7}, {7, 1}, {2, 9},  {9, 2},   {3, 3},   {3, 4},
                       {4, 3}, {5, 5}, {4, 12}, {12, 4}, {8, 8}, {9, 9}, {10, 11}, {17, 13}, {31, 6}, {23, 37},
                       {6, 131}, {13, 257}};

std::string Describe(Size size, unsigned seed) {
  return std::to_string(size.width) + "x" + std::to_string(size.height) + " seed " + std::to_string(seed);
}

template <class Fast, class Reference>
void ExpectSameAsReference(Fast fast, Reference reference) {
  unsigned seed = 1;
  for (Size size : kSizes) {
    for (int round = 0; round < 3; ++round, ++seed) {
      const Bitmap24 original = round == 2 ? SmoothPicture(size.width, size.height, seed)
                                           : RandomPicture(size.width, size.height, seed);
      Bitmap24 expected = original, actual = original;
      reference(expected);
      fast(actual);
      ASSERT_EQ(actual, expected) << Describe(size, seed);
    }
  }
}

class AbortAfterPumps : public ProgressSink {
 public:
  AbortAfterPumps(RunContext& context, int pumps) : context_(context), remaining_(pumps) {}
  void PumpEvents() override {
    ++pumps;
    if (--remaining_ == 0) context_.AbortRequested = true;
  }
  int pumps = 0;

 private:
  RunContext& context_;
  int remaining_;
};

// --- Reference comparisons --------------------------------------------------------------------

TEST(FiltersReference, Soften) { ExpectSameAsReference([](Bitmap24& b) { Soften(b); }, ReferenceSoften); }
TEST(FiltersReference, BoxBlur3) { ExpectSameAsReference([](Bitmap24& b) { BoxBlur3(b); }, ReferenceBoxBlur3); }
TEST(FiltersReference, Sharpen3) { ExpectSameAsReference([](Bitmap24& b) { Sharpen3(b); }, ReferenceSharpen3); }

TEST(FiltersReference, PivotContrastAndBrightness) {
  for (int amount : {-250, -100, -37, 0, 13, 100, 180}) {
    for (int pivot : {0, 64, 127, 255}) {
      ExpectSameAsReference([&](Bitmap24& b) { PivotContrast(b, pivot, amount); },
                            [&](Bitmap24& b) { ReferencePivotContrast(b, pivot, amount); });
    }
    ExpectSameAsReference([&](Bitmap24& b) { AdjustBrightness(b, amount); },
                          [&](Bitmap24& b) { ReferenceAdjustBrightness(b, amount); });
  }
}

TEST(FiltersReference, LocalContrast) {
  for (int amount : {-60, 0, 37, 100, 254}) {
    for (MeanColour mean : {MeanColour{116, 149, 69}, MeanColour{0, 255, 128}, MeanColour{-20, 300, 7}}) {
      ExpectSameAsReference([&](Bitmap24& b) { LocalContrast(b, amount, mean); },
                            [&](Bitmap24& b) { ReferenceLocalContrast(b, amount, mean); });
    }
  }
}

TEST(FiltersReference, MedianSmooth) {
  RunContext context;
  for (int size : {-3, 0, 1, 2, 3, 4, 5, 7, 11, 25}) {
    ExpectSameAsReference([&](Bitmap24& b) { b = MedianSmooth(b, size, context); },
                          [&](Bitmap24& b) { b = ReferenceMedianSmooth(b, std::max(size, 0)); });
  }
}

TEST(FiltersReference, LocalSharpen5InPlaceReadsWrittenPixels) {
  for (int strength : {-100, 0, 20, 25, 200, 255}) {
    ExpectSameAsReference([&](Bitmap24& b) { LocalSharpen5(b, b, strength); },
                          [&](Bitmap24& b) { ReferenceLocalSharpen5InPlace(b, strength); });
  }
}

TEST(FiltersReference, RGBToHLS240EveryColour) {
  for (int r = 0; r < 256; ++r)
    for (int g = 0; g < 256; ++g)
      for (int b = 0; b < 256; ++b) {
        const Hls240 fast = RGBToHLS240(r, g, b), slow = ReferenceRGBToHLS240(r, g, b);
        if (fast.hue != slow.hue || fast.lightness != slow.lightness || fast.saturation != slow.saturation)
          FAIL() << r << "," << g << "," << b;
      }
}

TEST(FiltersReference, ColourVibrance) {
  for (int amount : {-100, -30, 0, 35, 55, 100, 255}) {
    ExpectSameAsReference([&](Bitmap24& b) { ColourVibrance(b, b, amount); },
                          [&](Bitmap24& b) { ReferenceColourVibrance(b, amount); });
  }
}

// --- Soften, BoxBlur3, Sharpen3 ----------------------------------------------------------------

TEST(Soften, OneColourStaysUnchanged) {
  Bitmap24 picture(7, 5, 0x3C7AB4);
  Soften(picture);
  EXPECT_EQ(picture, Bitmap24(7, 5, 0x3C7AB4));
}

TEST(Soften, ThreeByThreeAveragesCentreTapsEdgesKeepsCorners) {
  const Bitmap24 original = RandomPicture(3, 3, 77);
  Bitmap24 picture = original;
  Soften(picture);
  for (int c = 0; c < 3; ++c) {
    auto at = [&](int x, int y) { return Channel(original, x, y, c); };
    EXPECT_EQ(Channel(picture, 1, 1, c), (Sum3x3(original, 1, 1, c) / 9 + at(1, 1)) >> 1);
    EXPECT_EQ(Channel(picture, 1, 0, c), (at(0, 0) + at(1, 0) + at(2, 0)) / 3);
    EXPECT_EQ(Channel(picture, 1, 2, c), (at(0, 2) + at(1, 2) + at(2, 2)) / 3);
    EXPECT_EQ(Channel(picture, 0, 1, c), (at(0, 0) + at(0, 1) + at(0, 2)) / 3);
    EXPECT_EQ(Channel(picture, 2, 1, c), (at(2, 0) + at(2, 1) + at(2, 2)) / 3);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{2, 0}, std::pair{0, 2}, std::pair{2, 2}}) EXPECT_EQ(Channel(picture, x, y, c), at(x, y));
  }
}

TEST(Sharpen3, FlatAreaStays) {
  for (int v : {0, 1, 77, 128, 254, 255}) {
    Bitmap24 picture(5, 4, MakeColour(v, v, v));
    Sharpen3(picture);
    EXPECT_EQ(picture, Bitmap24(5, 4, MakeColour(v, v, v))) << v;
  }
}

TEST(Sharpen3, LoneWhitePixelOnBlackStays) {
  Bitmap24 picture(5, 5, 0);
  picture.SetPixel(2, 2, 0xFFFFFF);
  const Bitmap24 original = picture;
  Sharpen3(picture);
  EXPECT_EQ(picture, original);
}

TEST(BoxBlur3, BorderKeepsItsValues) {
  const Bitmap24 original = RandomPicture(6, 5, 3);
  Bitmap24 picture = original;
  BoxBlur3(picture);
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(picture.Pixel(x, 0), original.Pixel(x, 0));
    EXPECT_EQ(picture.Pixel(x, 4), original.Pixel(x, 4));
  }
  for (int y = 0; y < 5; ++y) {
    EXPECT_EQ(picture.Pixel(0, y), original.Pixel(0, y));
    EXPECT_EQ(picture.Pixel(5, y), original.Pixel(5, y));
  }
}

// --- Per-pixel adjustments -----------------------------------------------------------------------

TEST(PivotContrast, MinusHundredGivesThePivotZeroChangesNothing) {
  const Bitmap24 original = RandomPicture(9, 4, 5);
  Bitmap24 picture = original;
  PivotContrast(picture, 127, 0);
  EXPECT_EQ(picture, original);
  PivotContrast(picture, 90, -100);
  EXPECT_EQ(picture, Bitmap24(9, 4, MakeColour(90, 90, 90)));
}

TEST(PivotContrast, NegativeProductsTruncateTowardZero) {
  Bitmap24 picture(1, 1, MakeColour(120, 120, 120));
  PivotContrast(picture, 127, 50);  // 120 + (−7·50) div 100 = 120 − 3
  EXPECT_EQ(picture.Pixel(0, 0), MakeColour(117, 117, 117));
}

TEST(AdjustBrightness, ExtremesGiveBlackAndWhite) {
  Bitmap24 dark = RandomPicture(8, 3, 6);
  AdjustBrightness(dark, -100);
  EXPECT_EQ(dark, Bitmap24(8, 3, 0));
  Bitmap24 light = RandomPicture(8, 3, 6);
  AdjustBrightness(light, 100);
  EXPECT_EQ(light, Bitmap24(8, 3, 0xFFFFFF));
}

TEST(AdjustBrightness, Values) {
  Bitmap24 picture(1, 1, MakeColour(100, 200, 0));
  AdjustBrightness(picture, 30);  // v + 30·(255 − v) div 100: 146, 216, 76
  EXPECT_EQ(picture.Pixel(0, 0), MakeColour(146, 216, 76));
  AdjustBrightness(picture, -30);  // v − 30·v div 100: 146 − 43, 216 − 64, 76 − 22
  EXPECT_EQ(picture.Pixel(0, 0), MakeColour(103, 152, 54));
}

TEST(AdjustSaturation, MinusHundredGivesGreyZeroChangesNothing) {
  RunContext context;
  const Bitmap24 original = RandomPicture(7, 6, 8);
  Bitmap24 picture = original;
  AdjustSaturation(picture, 0, context);
  EXPECT_EQ(picture, original);
  AdjustSaturation(picture, -100, context);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      const Colour c = original.Pixel(x, y);
      const int grey = (RedOf(c) + GreenOf(c) + BlueOf(c)) / 3;
      EXPECT_EQ(picture.Pixel(x, y), MakeColour(grey, grey, grey));
    }
}

TEST(AdjustSaturation, Values) {
  RunContext context;
  Bitmap24 picture(1, 1, MakeColour(200, 100, 30));  // grey 110
  AdjustSaturation(picture, 50, context);             // 200 + 45, 100 − 5, 30 − 40 → clamped
  EXPECT_EQ(picture.Pixel(0, 0), MakeColour(245, 95, 0));
}

TEST(AdjustSaturation, StopsAfterTheRowWhoseCheckSeesTheAbort) {
  RunContext context;
  AbortAfterPumps sink(context, 2);
  context.Progress = &sink;
  const Bitmap24 original = RandomPicture(5, 6, 9);
  Bitmap24 picture = original;
  AdjustSaturation(picture, -100, context);
  EXPECT_EQ(sink.pumps, 2);
  Bitmap24 allGrey = original;
  RunContext quiet;
  AdjustSaturation(allGrey, -100, quiet);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(picture.Pixel(x, y), (y < 2 ? allGrey : original).Pixel(x, y)) << x << "," << y;
}

TEST(InvertColours, EveryChannel) {
  Bitmap24 picture(2, 1, MakeColour(0, 100, 255));
  picture.SetPixel(1, 0, MakeColour(1, 128, 254));
  InvertColours(picture);
  EXPECT_EQ(picture.Pixel(0, 0), MakeColour(255, 155, 0));
  EXPECT_EQ(picture.Pixel(1, 0), MakeColour(254, 127, 1));
}

// --- LocalContrast ---------------------------------------------------------------------------------

TEST(LocalContrast, LastRowAndColumnKeepTheirValues) {
  const Bitmap24 original = RandomPicture(14, 11, 10);
  Bitmap24 picture = original;
  LocalContrast(picture, 150, kInitialSourceMeanColour);
  for (int x = 0; x < 14; ++x) EXPECT_EQ(picture.Pixel(x, 10), original.Pixel(x, 10));
  for (int y = 0; y < 11; ++y) EXPECT_EQ(picture.Pixel(13, y), original.Pixel(13, y));
  EXPECT_NE(picture, original);
}

TEST(LocalContrast, WhitePaddingDarkensTheRightAndBottomEdges) {
  const int w = 20, h = 16;
  Bitmap24 picture(w, h, MakeColour(128, 128, 128));
  LocalContrast(picture, 100, MeanColour{128, 128, 128});
  for (int y = 0; y <= h - 2; ++y)
    for (int x = 0; x <= w - 2; ++x) {
      const int red = RedOf(picture.Pixel(x, y));
      // The window reaches the white padding beyond the picture from 3 pixels before the last column or row.
      if (x >= w - 4 || y >= h - 4) EXPECT_LT(red, 128) << x << "," << y;
      else EXPECT_EQ(red, 128) << x << "," << y;  // the left and top padding repeats the same grey
    }
}

TEST(LocalContrastOverRepeatedEdges, AFlatPictureStaysFlatAndTheInsideMatchesThePlainFilter) {
  const int w = 20, h = 16;
  Bitmap24 flat(w, h, MakeColour(128, 90, 200));
  LocalContrastOverRepeatedEdges(flat, 100, MeanColour{128, 128, 128});
  // Pushed away from the source's mean colour, but alike everywhere: no band along any edge.
  EXPECT_EQ(flat, Bitmap24(w, h, flat.Pixel(w / 2, h / 2)));

  // Far enough from every border, the window sees the same pixels as the plain filter's.
  const Bitmap24 original = RandomPicture(w, h, 12);
  Bitmap24 plain = original, repeated = original;
  LocalContrast(plain, 120, kInitialSourceMeanColour);
  LocalContrastOverRepeatedEdges(repeated, 120, kInitialSourceMeanColour);
  for (int y = 5; y < h - 5; ++y)
    for (int x = 5; x < w - 5; ++x) EXPECT_EQ(repeated.Pixel(x, y), plain.Pixel(x, y)) << x << "," << y;
  EXPECT_NE(repeated.Pixel(w - 1, h - 1), original.Pixel(w - 1, h - 1)) << "the last pixel is treated too";
}

TEST(LocalContrast, OnePixelWideOrHighChangesNothing) {
  for (Size size : {Size{1, 9}, Size{9, 1}, Size{1, 1}}) {
    const Bitmap24 original = RandomPicture(size.width, size.height, 11);
    Bitmap24 picture = original;
    LocalContrast(picture, 200, kInitialSourceMeanColour);
    EXPECT_EQ(picture, original);
  }
}

TEST(LocalContrast, PumpsEvery25PaddedRowsWhileProcessing) {
  RunContext context;
  AbortAfterPumps sink(context, 1000);
  context.Progress = &sink;
  Bitmap24 picture = RandomPicture(3, 80, 12);
  LocalContrast(picture, 50, kInitialSourceMeanColour, &context);
  EXPECT_EQ(sink.pumps, 0);
  context.Processing = true;
  LocalContrast(picture, 50, kInitialSourceMeanColour, &context);
  EXPECT_EQ(sink.pumps, 3);  // y + 5 = 25, 50, 75 for y = 0..78
}

// --- ColourVibrance and ToneAdjust ---------------------------------------------------------------

TEST(ColourVibrance, Values) {
  struct Case {
    Colour in;
    int amount;
    Colour out;
  };
  const Case cases[] = {
      {MakeColour(128, 128, 128), 55, MakeColour(129, 129, 129)},  // grey: only the lightness lift 120 → 122
      {MakeColour(255, 0, 0), 100, MakeColour(255, 4, 4)},        // saturation 240 is not lifted
      {MakeColour(191, 64, 64), 100, MakeColour(255, 4, 4)},       // saturation 120 doubled
      {MakeColour(191, 64, 64), 50, MakeColour(223, 36, 36)},      // 120 · 1.5 = 180
      {MakeColour(64, 191, 64), 50, MakeColour(36, 223, 36)},      // hue 80 is below the green-cyan band: f = 50
      {MakeColour(64, 191, 128), 50, MakeColour(48, 211, 130)},    // hue 100: f = 30, 120 · 1.3 = 156
      {MakeColour(5, 5, 5), 100, MakeColour(5, 5, 5)},             // lightness 5: no lift
  };
  for (const Case& c : cases) {
    Bitmap24 picture(1, 1, c.in);
    ColourVibrance(picture, picture, c.amount);
    EXPECT_EQ(picture.Pixel(0, 0), c.out) << std::hex << c.in << " amount " << std::dec << c.amount;
  }
}

TEST(ColourVibrance, SeparateTargetTakesTheSourceSize) {
  const Bitmap24 source = RandomPicture(6, 4, 13);
  Bitmap24 inPlace = source;
  ColourVibrance(inPlace, inPlace, 35);
  Bitmap24 target;
  ColourVibrance(source, target, 35);
  EXPECT_EQ(target, inPlace);
}

TEST(ToneAdjust, NeutralValuesCopyTheSource) {
  RunContext context;
  const Bitmap24 source = RandomPicture(12, 9, 14);
  Bitmap24 target(3, 3, 0);
  ToneAdjust(source, target, ToneSettings{}, kInitialSourceMeanColour, context);
  EXPECT_EQ(target, source);
}

TEST(ToneAdjust, RunsTheDescribedFilters) {
  const Bitmap24 source = SmoothPicture(24, 19, 15);
  const MeanColour mean = ComputeMeanColour(source);
  struct Case {
    ToneSettings settings;
    void (*expected)(Bitmap24&, const MeanColour&);
  };
  RunContext context;
  const Case cases[] = {
      {{.blurSharpen = 255}, [](Bitmap24& b, const MeanColour&) { for (int i = 0; i < 6; ++i) Sharpen3(b); }},
      {{.blurSharpen = 0},
       [](Bitmap24& b, const MeanColour&) {
         for (int i = 0; i < 3; ++i) BoxBlur3(b);
         for (int i = 0; i < 3; ++i) Soften(b);
       }},
      {{.blurSharpen = 100}, [](Bitmap24& b, const MeanColour&) { Soften(b); }},
      {{.blurSharpen = 146}, [](Bitmap24&, const MeanColour&) {}},  // (146 − 127) div 20 = 0
      {{.blurSharpen = 147}, [](Bitmap24& b, const MeanColour&) { Sharpen3(b); }},
      {{.blurSharpen = 167}, [](Bitmap24& b, const MeanColour&) { Sharpen3(b); Sharpen3(b); }},
      {{.luminosity = 200}, [](Bitmap24& b, const MeanColour&) { AdjustBrightness(b, 73); }},
      {{.luminosity = 0}, [](Bitmap24& b, const MeanColour&) { AdjustBrightness(b, -127); }},
      {{.contrast = 100}, [](Bitmap24& b, const MeanColour&) { PivotContrast(b, 127, -27); }},
      {{.contrast = 200}, [](Bitmap24& b, const MeanColour& m) { LocalContrast(b, 146, m); }},
      {{.contrast = 127}, [](Bitmap24&, const MeanColour&) {}},  // LocalContrast with amount 0
      {{.saturation = 80}, [](Bitmap24& b, const MeanColour&) { RunContext c; AdjustSaturation(b, 60, c); }},
      {{.vivify = 40}, [](Bitmap24& b, const MeanColour&) { ColourVibrance(b, b, 40); }},
      {{.luminosity = 90, .contrast = 180, .saturation = 20, .blurSharpen = 30, .vivify = 10},
       [](Bitmap24& b, const MeanColour& m) {
         AdjustBrightness(b, -37);
         LocalContrast(b, 106, m);
         RunContext c;
         AdjustSaturation(b, -60, c);
         BoxBlur3(b);  // (30 − 127) div 20 = −4: one box blur, then three softenings
         for (int i = 0; i < 3; ++i) Soften(b);
         ColourVibrance(b, b, 10);
       }},
  };
  for (const Case& c : cases) {
    Bitmap24 expected = source;
    c.expected(expected, mean);
    Bitmap24 actual;
    ToneAdjust(source, actual, c.settings, mean, context);
    EXPECT_EQ(actual, expected) << c.settings.luminosity << " " << c.settings.contrast << " " << c.settings.saturation
                                << " " << c.settings.blurSharpen << " " << c.settings.vivify;
  }
}

TEST(ToneAdjust, SourceAndTargetMayBeOnePicture) {
  RunContext context;
  const Bitmap24 source = RandomPicture(10, 8, 16);
  Bitmap24 separate;
  const ToneSettings settings{.luminosity = 140, .saturation = 70, .blurSharpen = 0};
  ToneAdjust(source, separate, settings, kInitialSourceMeanColour, context);
  Bitmap24 same = source;
  ToneAdjust(same, same, settings, kInitialSourceMeanColour, context);
  EXPECT_EQ(same, separate);
}

// --- AutoContrast ---------------------------------------------------------------------------------

// Trunc((255 / sum) · cum) as written gives 254 for the top value in many of these cases (for example
// 4 × 4 with exponent 0.2: eight pixels each); the filter must reach 255 in all of them.
TEST(AutoContrast, TwoValuesOnHalfThePixelsGiveHalfAndTop) {
  for (float exponent : {0.2f, 0.23f, 0.3f, 0.5f, 1.0f, 1.7f}) {
    for (Size size : {Size{2, 1}, Size{4, 4}, Size{100, 37}, Size{1000, 700}}) {
      Bitmap24 picture(size.width, size.height, MakeColour(10, 50, 50));
      for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
          if ((x + y * size.width) % 2 == 1) picture.SetPixel(x, y, MakeColour(20, 50, 50));
      AutoContrast(picture, exponent);
      for (int i = 0; i < 2; ++i) {
        const Colour c = picture.Pixel(i, 0);
        EXPECT_EQ(RedOf(c), i == 0 ? 127 : 255) << exponent << " " << size.width << "x" << size.height;
        EXPECT_EQ(GreenOf(c), 255);  // one value only: the top of the scale
      }
    }
  }
}

TEST(AutoContrast, HighestValuePresentReachesTheTopAndOrderIsKept) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    Bitmap24 picture = seed % 2 ? RandomPicture(37, 23, seed, 30, 200) : SmoothPicture(41, 29, seed);
    const Bitmap24 original = picture;
    const float exponent = 0.05f * static_cast<float>(seed % 20 + 1);
    AutoContrast(picture, exponent);
    for (int c = 0; c < 3; ++c) {
      int highest = -1;
      int mapped[256];
      std::fill(std::begin(mapped), std::end(mapped), -1);
      for (int y = 0; y < original.Height(); ++y)
        for (int x = 0; x < original.Width(); ++x) {
          highest = std::max(highest, Channel(original, x, y, c));
          mapped[Channel(original, x, y, c)] = Channel(picture, x, y, c);
        }
      EXPECT_EQ(mapped[highest], 255) << "seed " << seed << " channel " << c;
      int previous = -1;
      for (int v = 0; v < 256; ++v)
        if (mapped[v] >= 0) {
          EXPECT_GE(mapped[v], previous);
          previous = mapped[v];
        }
    }
  }
}

// The sound arithmetic equals the exact truncation of 255 · cum / sum, checked in extended precision.
TEST(AutoContrast, MatchesExactTruncation) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    const Bitmap24 original = RandomPicture(53, 31, seed, 0, 90 + 8 * static_cast<int>(seed));
    const float exponent = 0.11f * static_cast<float>(seed % 9 + 1);
    Bitmap24 picture = original;
    AutoContrast(picture, exponent);
    for (int c = 0; c < 3; ++c) {
      std::uint32_t counts[256] = {};
      for (int y = 0; y < original.Height(); ++y)
        for (int x = 0; x < original.Width(); ++x) ++counts[Channel(original, x, y, c)];
      float cum[256];
      float running = 0;
      for (int v = 0; v < 256; ++v) {
        running += counts[v] ? static_cast<float>(std::pow(static_cast<double>(counts[v]), static_cast<double>(exponent))) : 0.0f;
        cum[v] = running;
      }
      for (int y = 0; y < original.Height(); ++y)
        for (int x = 0; x < original.Width(); ++x) {
          const int v = Channel(original, x, y, c);
          const long double exact = 255.0L * static_cast<long double>(cum[v]) / static_cast<long double>(cum[255]);
          ASSERT_EQ(Channel(picture, x, y, c), static_cast<int>(std::floor(exact))) << "seed " << seed;
        }
    }
  }
}

// --- LocalSharpen5 ---------------------------------------------------------------------------------

TEST(LocalSharpen5, PicturesUnderFivePixelsStayUnchanged) {
  for (Size size : {Size{4, 10}, Size{10, 4}, Size{1, 1}}) {
    const Bitmap24 original = RandomPicture(size.width, size.height, 17);
    Bitmap24 picture = original;
    LocalSharpen5(picture, 20);
    EXPECT_EQ(picture, original);
  }
}

TEST(LocalSharpen5, FlatAreaMeanIsTakenOverTwentyFour) {
  Bitmap24 picture(5, 5, MakeColour(90, 90, 90));
  LocalSharpen5(picture, 20);
  // Σ = 16·90, Σ div 24 = 60, k = |270 − 180| div 3 = 30, v' = 90 + (30·30) div 236 = 93.
  EXPECT_EQ(picture.Pixel(2, 2), MakeColour(93, 93, 93));
  EXPECT_EQ(picture.Pixel(1, 2), MakeColour(90, 90, 90));
}

TEST(LocalSharpen5, SeparateTargetReadsOnlyTheSource) {
  const Bitmap24 source = SmoothPicture(19, 14, 18);
  Bitmap24 target;
  LocalSharpen5(source, target, 25);
  Bitmap24 inPlace = source;
  LocalSharpen5(inPlace, 25);
  EXPECT_NE(target, inPlace);  // in place, the windows see sharpened pixels
  // Each pixel of the separate result is the in-place result of its own window taken from the source.
  for (int y = 2; y <= 11; ++y)
    for (int x = 2; x <= 16; ++x) {
      Bitmap24 window(5, 5);
      for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) window.SetPixel(i, j, source.Pixel(x - 2 + i, y - 2 + j));
      LocalSharpen5(window, 25);
      ASSERT_EQ(target.Pixel(x, y), window.Pixel(2, 2)) << x << "," << y;
    }
}

// --- MedianSmooth ----------------------------------------------------------------------------------

TEST(MedianSmooth, SizesZeroAndOneCopy) {
  RunContext context;
  const Bitmap24 original = RandomPicture(9, 7, 19);
  EXPECT_EQ(MedianSmooth(original, 0, context), original);
  EXPECT_EQ(MedianSmooth(original, 1, context), original);
}

TEST(MedianSmooth, CornerWindowOfFourTakesTheMeanOfTheMiddleTwo) {
  RunContext context;
  Bitmap24 picture(3, 3, 0);
  picture.SetPixel(0, 0, MakeColour(10, 200, 0));
  picture.SetPixel(1, 0, MakeColour(40, 100, 0));
  picture.SetPixel(0, 1, MakeColour(25, 0, 0));
  picture.SetPixel(1, 1, MakeColour(90, 51, 0));
  const Bitmap24 result = MedianSmooth(picture, 3, context);
  // red 10, 25, 40, 90 → (25 + 40) div 2; green 0, 51, 100, 200 → (51 + 100) div 2
  EXPECT_EQ(result.Pixel(0, 0), MakeColour(32, 75, 0));
}

TEST(MedianSmooth, SourceIsUnchanged) {
  RunContext context;
  const Bitmap24 original = RandomPicture(8, 8, 20);
  Bitmap24 picture = original;
  (void)MedianSmooth(picture, 5, context);
  EXPECT_EQ(picture, original);
}

TEST(MedianSmooth, AbortLeavesTheRemainingColumnsWhite) {
  RunContext context;
  AbortAfterPumps sink(context, 3);
  context.Progress = &sink;
  const Bitmap24 original = RandomPicture(6, 5, 21);
  const Bitmap24 result = MedianSmooth(original, 3, context);
  EXPECT_EQ(sink.pumps, 3);
  const Bitmap24 complete = ReferenceMedianSmooth(original, 3);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(result.Pixel(x, y), x < 2 ? complete.Pixel(x, y) : 0xFFFFFFu) << x << "," << y;
}

// --- ColouriseDrawing and the integer HLS conversion -------------------------------------------------

TEST(ColouriseDrawing, WhiteDrawingGivesWhite) {
  const Bitmap24 photo = RandomPicture(7, 5, 22);
  Bitmap24 drawing(7, 5, 0xFFFFFF);
  ColouriseDrawing(photo, drawing);
  EXPECT_EQ(drawing, Bitmap24(7, 5, 0xFFFFFF));
}

TEST(ColouriseDrawing, BlackStaysBlackGreyPhotoKeepsTheDrawingScaledBy255Over240) {
  const Bitmap24 grey(2, 1, MakeColour(90, 90, 90));
  Bitmap24 drawing(2, 1, MakeColour(200, 0, 0));  // only the red channel is read
  drawing.SetPixel(1, 0, MakeColour(0, 255, 255));
  ColouriseDrawing(grey, drawing);
  EXPECT_EQ(drawing.Pixel(0, 0), MakeColour(212, 212, 212));  // 200 · 255 div 240
  EXPECT_EQ(drawing.Pixel(1, 0), 0u);
  Bitmap24 colourful = RandomPicture(4, 4, 23);
  Bitmap24 black(4, 4, 0);
  ColouriseDrawing(colourful, black);
  EXPECT_EQ(black, Bitmap24(4, 4, 0));
}

TEST(ColouriseDrawing, DarkStrokeTakesTheHue) {
  const Bitmap24 red(1, 1, MakeColour(255, 0, 0));
  Bitmap24 drawing(1, 1, MakeColour(60, 60, 60));
  ColouriseDrawing(red, drawing);
  // s' = 240 · 195 div 255 = 183; HLSToRGB240(0, 183, 60): m2 = (60·423 + 120) div 240 = 106, m1 = 14.
  EXPECT_EQ(drawing.Pixel(0, 0), MakeColour(113, 15, 15));
}

TEST(ColouriseDrawing, DrawingTakesThePhotoSize) {
  const Bitmap24 photo(4, 3, 0x102030);
  Bitmap24 drawing(2, 2, 0);
  ColouriseDrawing(photo, drawing);
  EXPECT_EQ(drawing.Width(), 4);
  EXPECT_EQ(drawing.Height(), 3);
  EXPECT_EQ(drawing.Pixel(3, 2), 0xFFFFFFu);  // outside the drawing counts as white
}

TEST(HLS240, Conversions) {
  const Hls240 red = RGBToHLS240(255, 0, 0);
  EXPECT_EQ(red.hue, 0);
  EXPECT_EQ(red.saturation, 240);
  EXPECT_EQ(red.lightness, 120);
  const Rgb240 back = HLSToRGB240(0, 240, 120);
  EXPECT_EQ(back.red, 255);
  EXPECT_EQ(back.green, 0);
  EXPECT_EQ(back.blue, 0);
  const Hls240 grey = RGBToHLS240(128, 128, 128);
  EXPECT_EQ(grey.hue, 160);
  EXPECT_EQ(grey.saturation, 0);
  EXPECT_EQ(grey.lightness, 120);
  const Hls240 green = RGBToHLS240(0, 255, 0);
  EXPECT_EQ(green.hue, 80);
  const Hls240 blue = RGBToHLS240(0, 0, 255);
  EXPECT_EQ(blue.hue, 160);
  EXPECT_EQ(blue.saturation, 240);
}

TEST(HLS240, RoundTripStaysClose) {
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 7)
      for (int b = 0; b < 256; b += 3) {
        const Hls240 hls = RGBToHLS240(r, g, b);
        ASSERT_GE(hls.hue, 0);
        ASSERT_LE(hls.hue, 240);
        ASSERT_LE(hls.saturation, 240);
        ASSERT_LE(hls.lightness, 240);
        const Rgb240 back = HLSToRGB240(hls.hue, hls.saturation, hls.lightness);
        ASSERT_NEAR(back.red, r, 6) << r << "," << g << "," << b;
        ASSERT_NEAR(back.green, g, 6) << r << "," << g << "," << b;
        ASSERT_NEAR(back.blue, b, 6) << r << "," << g << "," << b;
      }
}

// ColouriseDrawing feeds lightness up to 255; the channels then exceed 255 but never drop below 0.
TEST(HLS240, LightnessBeyondTheScaleNeverGoesNegative) {
  for (int d = 0; d < 256; ++d)
    for (int s = 0; s <= 240; s += 3)
      for (int h = 0; h <= 240; ++h) {
        const Rgb240 rgb = HLSToRGB240(h, (s * (255 - d)) / 255, d);
        ASSERT_GE(std::min({rgb.red, rgb.green, rgb.blue}), 0) << h << " " << s << " " << d;
      }
}

TEST(ComputeMeanColour, IntegerMeanPerChannel) {
  Bitmap24 picture(3, 1, MakeColour(10, 20, 30));
  picture.SetPixel(1, 0, MakeColour(11, 0, 255));
  picture.SetPixel(2, 0, MakeColour(12, 1, 255));
  const MeanColour mean = ComputeMeanColour(picture);
  EXPECT_EQ(mean.red, 11);
  EXPECT_EQ(mean.green, 7);
  EXPECT_EQ(mean.blue, 180);
  const MeanColour empty = ComputeMeanColour(Bitmap24());
  EXPECT_EQ(empty.red, 0);
}

}  // namespace
}  // namespace atelion
