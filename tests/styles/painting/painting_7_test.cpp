#include "styles/painting/painting_7.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <random>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "core/rotate_bitmap.h"
#include "effects/run_pipeline.h"
#include "styles/painting/brush_sheet.h"
#include "styles/painting/edge_strokes.h"
#include "support/picture_checksum.h"

namespace atelion {

// Failures name the size and checksum of a picture instead of dumping its bytes.
void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

constexpr int kPainting7 = kPainting7EffectId;

using testing_support::Fnv1a;

using testing_support::NoisySyntheticPhoto;

// ---- The painting done literally as described: every step on real pictures, no shortcuts ----

int Red(const Bitmap24& picture, int x, int y) { return picture.Row(y)[3 * x + 2]; }

int Dist(const std::uint8_t* a, const std::uint8_t* b) {
  return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

void ReferencePainting(Bitmap24& S, Bitmap24& D, int m, int M, int n, int e, int p, const StyleSettings& settings,
                       const StrokeEngineOptions& options) {
  RunContext context;
  LocalContrast(S, 10, settings.sourceMean, &context);
  bool opening = options.openingPhase;
  context.Rng.RandomSeed = 1969;
  const std::int64_t K = 2 * p + 514;
  const int t0 = (255 - p) / 10;
  const int s0 = settings.doubled ? (M * 194) / 100 + 5 : M + 6;
  m = std::min(m, M);
  int s = s0;
  const int W = S.Width(), H = S.Height();
  std::int64_t T = (std::int64_t{W} * H / 2) * n;
  T = T / ((M - m) / 100 + 1) * 4;
  T = std::min<std::int64_t>(T, 700000000);
  if (settings.maxShown[kSlotTrackBar5]) T *= 3;
  std::int64_t N = T / (s0 * s0);
  D = Bitmap24(W, H, options.ground);
  Bitmap24 E(W, H, 0xFFFFFF);
  EdgeStrokes(S, E, 4, 180, 20, settings.preview, SurfaceSettings{}, context);

  Bitmap24 B(s0, s0, 0xFFFFFF);
  Bitmap24 brushImage(250, 250, 0xFFFFFF);
  CopySheetCell(BrushSheet(), brushImage, 250, 250, 0, 0);
  StretchDraw(B, Rect{0, 0, s0, s0}, brushImage);
  int hx = B.Width() / 2, hy = B.Height() / 2;
  Bitmap24 R(s0, s0, 0xFFFFFF);
  std::int64_t j = 1;

  while (s >= m + 5) {
    if (!opening) {
      ++j;
    } else if (context.Random(100) <= 15) {
      ++j;
    }
    int x = context.Random(W), y = context.Random(H);
    for (int again = 0; again < 1001 && std::abs(Red(S, x, y) - Red(D, x, y)) < t0; ++again) {
      x = context.Random(W);
      y = context.Random(H);
    }
    if (j >= N) {
      opening = false;
      s = (s * 90) / 100;
      N = T / (s * s);
      B.Resize(s, s);
      R.Resize(s, s);
      hx = B.Width() >> 1;
      hy = B.Height() >> 1;
      j = 0;
    }
    if (j % 500 == 0) {
      opening = false;
      if (settings.customBrushInUse) {
        brushImage = *settings.customBrush;
      } else {
        const int a = context.Random(38);
        brushImage = Bitmap24(250, 250);
        CopySheetCell(BrushSheet(), brushImage, 250, 250, a % 5, a / 5);
      }
      Resample(brushImage, B);
      const int angle = context.Random(360);
      RotateBitmap(B, R, angle, context);
      const int wb = B.Width(), hb = B.Height(), wr = R.Width(), hr = R.Height();
      StretchCopy(B, Rect{0, 0, wb - 1, hb - 1}, R, Rect{(wr - wb) >> 1, (hr - hb) >> 1, (wr + wb) >> 1, (hr + hb) >> 1});
      R.Resize(wb, hb);
    }
    // Mean colour, column outer, row inner.
    std::int64_t sum[3] = {0, 0, 0}, count = 0;
    for (int i = 0; i < B.Width(); ++i) {
      for (int k = 0; k < B.Height(); ++k) {
        const int X = x + i - hx, Y = y + k - hy;
        if (Red(B, i, k) < 250 && X > 0 && X < W - 1 && Y > 0 && Y < H - 1) {
          for (int c = 0; c < 3; ++c) sum[c] += S.Row(Y)[3 * X + c];
          ++count;
        }
      }
    }
    int mean[3];
    for (int c = 0; c < 3; ++c) mean[c] = count == 0 ? 0 : static_cast<int>(sum[c] / count);
    // Patch: the square of D around (x, y) stretched onto R (nearest neighbour), positions past
    // D's border taking D's nearest edge pixel.
    for (int k = 0; k < R.Height(); ++k) {
      for (int i = 0; i < R.Width(); ++i) {
        const int X = std::clamp(x - hx + i * (2 * hx) / R.Width(), 0, W - 1);
        const int Y = std::clamp(y - hy + k * (2 * hy) / R.Height(), 0, H - 1);
        for (int c = 0; c < 3; ++c) R.Row(k)[3 * i + c] = D.Row(Y)[3 * X + c];
      }
    }
    for (int i = 1; i < R.Width() - 1; ++i) {
      for (int k = 1; k < R.Height() - 1; ++k) {
        const int v = Red(B, i, k);
        if (v >= 250) continue;
        for (int c = 0; c < 3; ++c) R.Row(k)[3 * i + c] = static_cast<std::uint8_t>((v * R.Row(k)[3 * i + c] + mean[c] * (255 - v)) >> 8);
      }
    }
    // Test, summed completely.
    std::int64_t base = opening ? 300000 : static_cast<std::int64_t>(p - 255) * hx;
    std::int64_t err = 0;
    for (int X = x - hx; X <= x + hx - 1; ++X) {
      for (int Y = y - hy; Y <= y + hy - 1; ++Y) {
        if (X <= 0 || X >= W - 1 || Y <= 0 || Y >= H - 1) continue;
        const int i = X - x + hx, k = Y - y + hy;
        if (Red(B, i, k) >= 250) continue;
        base += Dist(S.Row(Y) + 3 * X, D.Row(Y) + 3 * X);
        err += Dist(S.Row(Y) + 3 * X, R.Row(k) + 3 * i);
      }
    }
    if (base < 0) base = 0;
    const std::int64_t limit = (base >> 10) * K;
    if (err < limit) DrawPicture(D, x - hx, y - hy, R);
  }
  // Contour darkening, every pixel.
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      int q[3];
      for (int c = 0; c < 3; ++c) {
        q[c] = (std::abs(D.Row(y)[3 * x + c] - S.Row(y)[3 * x + c]) + 2 * (255 - E.Row(y)[3 * x + c])) / 3;
      }
      const int k = ((q[0] + q[1] + q[2]) / 3 * e) / 300;
      for (int c = 0; c < 3; ++c) D.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(D.Row(y)[3 * x + c] - k, 0, 255));
    }
  }
}

// A round, soft custom brush of an odd size, as the custom-brush window makes them.
Bitmap24 RoundCustomBrush() {
  Bitmap24 brush(29, 29, 0xFFFFFF);
  for (int y = 0; y < 29; ++y) {
    for (int x = 0; x < 29; ++x) {
      const int r2 = (x - 14) * (x - 14) + (y - 14) * (y - 14);
      if (r2 < 100) brush.SetPixel(x, y, MakeColour(r2 * 2, r2 * 2, r2 * 2));
    }
  }
  return brush;
}

struct PaintingCase {
  const char* name;
  int width, height;
  int m, M, n, e, p;
  bool doubled = false;
  bool max = false;
  bool custom = false;
  bool opening = true;  // Painting 7 itself; other callers paint without the opening phase
};

TEST(RandomStrokePainting, MatchesTheLiteralStrokeLoop) {
  const Bitmap24 customBrush = RoundCustomBrush();
  const PaintingCase cases[] = {
      {"even and odd sizes down to the minimum", 48, 40, 0, 20, 50, 30, 190},
      {"large brushes reaching past every border", 37, 29, 3, 60, 80, 60, 150},
      {"doubled start and tripled budget", 40, 33, 0, 12, 30, 100, 220, true, true},
      {"custom brush", 45, 38, 2, 15, 40, 30, 190, false, false, true},
      {"another caller: no opening, frame ground", 44, 36, 5, 25, 40, 0, 190, false, false, false, false},
      {"no budget: a size step per stroke", 30, 30, 0, 30, 0, 30, 190},
      {"least and greatest precision", 36, 30, 4, 18, 60, 255, 0},
      {"greatest precision", 36, 30, 4, 18, 60, 255, 255},
      {"minimum above maximum", 36, 30, 40, 18, 60, 20, 190},
  };
  for (const PaintingCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    StyleSettings settings;
    settings.sourceMean = ComputeMeanColour(photo);
    settings.paperColour = MakeColour(250, 240, 200);
    settings.doubled = c.doubled;
    settings.maxShown[kSlotTrackBar5] = c.max;
    settings.customBrushInUse = c.custom;
    settings.customBrush = &customBrush;
    const Colour frameFill = MakeColour(20, 40, 60);
    const StrokeEngineOptions options{.openingPhase = c.opening, .ground = c.opening ? settings.paperColour : frameFill};

    Bitmap24 source = photo, result;
    RunContext context;
    RandomStrokePainting(source, result, {c.m, c.M, c.n, c.e, c.p}, options, settings, SurfaceSettings{}, context);
    Bitmap24 expectedSource = photo, expected;
    ReferencePainting(expectedSource, expected, c.m, c.M, c.n, c.e, c.p, settings, options);
    EXPECT_EQ(source, expectedSource);
    EXPECT_EQ(result, expected);
  }
}

// The largest colour distance (summed over the channels) between `colour` and a pixel of the
// outermost rows and columns of `picture`.
int FarthestEdgePixel(const Bitmap24& picture, Colour colour) {
  const std::uint8_t wanted[3] = {static_cast<std::uint8_t>(BlueOf(colour)), static_cast<std::uint8_t>(GreenOf(colour)),
                                  static_cast<std::uint8_t>(RedOf(colour))};
  int farthest = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (x > 0 && y > 0 && x < picture.Width() - 1 && y < picture.Height() - 1) continue;
      farthest = std::max(farthest, Dist(picture.Row(y) + 3 * x, wanted));
    }
  }
  return farthest;
}

// Strokes reaching past the border take the painting's own edge pixels there: the outermost rows
// and columns show neither colours of strokes laid elsewhere (an orange block 25 pixels in, out of
// reach of the small brushes at the border) nor bare paper.
TEST(RandomStrokePainting, TheOutermostRowsAndColumnsTakeOnlyTheColourAroundThem) {
  const Colour grey = MakeColour(128, 128, 128);
  const struct {
    const char* name;
    Colour block;
    int minimumSize, maximumSize;
  } cases[] = {
      {"flat grey photograph", grey, 0, 12},
      {"orange block in the middle", MakeColour(240, 120, 20), 0, 12},
      {"orange block, one odd brush size", MakeColour(240, 120, 20), 7, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap24 photo(90, 70, grey);
    FillRect(photo, Rect{30, 25, 60, 45}, c.block);
    StyleSettings settings;
    settings.sourceMean = ComputeMeanColour(photo);
    Bitmap24 source = photo, result;
    RunContext context;
    RandomStrokePainting(source, result, {c.minimumSize, c.maximumSize, 60, 30, 190}, {}, settings, SurfaceSettings{},
                         context);
    EXPECT_LE(FarthestEdgePixel(result, grey), 24);
  }
}

RunPictures PicturesOf(const Bitmap24& photo) {
  RunPictures pictures;
  pictures.source = photo;
  pictures.result = photo;
  return pictures;
}

StyleSettings DefaultSettings(const Bitmap24& photo) {
  StyleSettings settings;
  settings.effectId = kPainting7;
  settings.sliders = FactoryDefaults(kPainting7);
  settings.sourceMean = ComputeMeanColour(photo);
  return settings;
}

TEST(ProcessRandomStrokes, IsReproducibleAndKeepsItsGoldenChecksum) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  RunPictures first = PicturesOf(photo), second = PicturesOf(photo);
  StyleSettings settings = DefaultSettings(photo);
  RunContext context;
  ASSERT_EQ(RunEffect(first, settings, FinishingSettings{}, context), RunOutcome::Finished);
  context.Rng.RandomSeed = 12345;  // whatever ran before, the style reseeds
  ASSERT_EQ(RunEffect(second, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(first.result, second.result);
  EXPECT_EQ(first.untexturedCopy, first.result);
  EXPECT_FALSE(context.Processing);
  // Computed once from this implementation after checking it against the literal stroke loop
  // above; any change of a single output byte changes it.
  EXPECT_EQ(Fnv1a(first.result), 0xa37fd58ea531c29full);
}

TEST(ProcessRandomStrokes, PaintsTheSharpenedDocumentSourceAndLowersTheMinimumSize) {
  const Bitmap24 photo = NoisySyntheticPhoto(40, 32);
  RunPictures pictures = PicturesOf(photo);
  StyleSettings settings = DefaultSettings(photo);
  settings.sliders[kSlotTrackBar1] = 50;
  settings.sliders[kSlotTrackBar2] = 30;
  RunContext context;
  ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(settings.sliders[kSlotTrackBar1], 30);

  Bitmap24 sharpened = photo;
  LocalContrast(sharpened, 10, settings.sourceMean);
  EXPECT_EQ(pictures.source, sharpened);
  Bitmap24 source = photo, expected;
  ReferencePainting(source, expected, 30, 30, settings.sliders[kSlotTrackBar5], settings.sliders[kSlotTrackBar3],
                    settings.sliders[kSlotTrackBar4], settings, {.openingPhase = true, .ground = settings.paperColour});
  EXPECT_EQ(pictures.result, expected);
}

TEST(ProcessRandomStrokes, HandlesTinyPicturesAndSlidersOutsideTheirRange) {
  struct Case {
    int width, height, m, M;
  };
  const Case cases[] = {{1, 1, 10, 200}, {1, 6, 10, 200}, {6, 1, 10, 200}, {2, 2, 0, 20},
                        {3, 3, 0, 20},   {3, 40, 0, 30},  {30, 20, -40, 400}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " sizes " << c.m << ".." << c.M);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    RunPictures pictures = PicturesOf(photo);
    StyleSettings settings = DefaultSettings(photo);
    settings.sliders[kSlotTrackBar1] = c.m;
    settings.sliders[kSlotTrackBar2] = c.M;
    RunContext context;
    RunEffect(pictures, settings, FinishingSettings{}, context);
    EXPECT_EQ(pictures.result.Width(), c.width);
    EXPECT_EQ(pictures.result.Height(), c.height);
    EXPECT_FALSE(context.AbortRequested);
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

TEST(RandomStrokePainting, AnAbortedPaintingKeepsItsStrokesWithoutContourDarkening) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  StyleSettings settings = DefaultSettings(photo);
  settings.sliders = {0, 20, 100, 0, 190};
  auto paint = [&](int edgeIntensity, int pumpsBeforeAbort) {
    Bitmap24 source = photo, result;
    RunContext context;
    context.Processing = true;
    AbortAfterPumps sink(context, pumpsBeforeAbort);
    context.Progress = &sink;
    RandomStrokePainting(source, result, {0, 20, 100, edgeIntensity, 190}, {}, settings, SurfaceSettings{}, context);
    EXPECT_EQ(context.ShownPercent(), -1);  // the progress display ended
    return result;
  };
  const Bitmap24 ground(48, 40, settings.paperColour);
  const Bitmap24 complete = paint(0, 1000000);
  const Bitmap24 darkened = paint(255, 1000000);
  EXPECT_NE(complete, darkened);

  // Abort during the edge layer: not a single stroke.
  EXPECT_EQ(paint(255, 1), ground);
  // Abort in the middle of the stroke loop: strokes so far, no darkening whatever the intensity.
  const Bitmap24 partial = paint(0, 12);
  EXPECT_NE(partial, ground);
  EXPECT_NE(partial, complete);
  EXPECT_EQ(paint(255, 12), partial);
}

TEST(PreviewRandomStrokes, PaintsACopyOfTheCropAndDoesNothingWhileProgressIsSuppressed) {
  const Bitmap24 crop = NoisySyntheticPhoto(44, 44);
  StyleSettings settings = DefaultSettings(crop);
  settings.preview = true;
  settings.sliders[kSlotTrackBar1] = 90;
  settings.sliders[kSlotTrackBar2] = 25;
  RunContext context;
  const StyleOutput output = PreviewRandomStrokes(crop, settings, SurfaceSettings{}, context);
  EXPECT_EQ(output.sliders[kSlotTrackBar1], 25);
  Bitmap24 source = crop, expected;
  ReferencePainting(source, expected, 25, 25, settings.sliders[kSlotTrackBar5], settings.sliders[kSlotTrackBar3],
                    settings.sliders[kSlotTrackBar4], settings, {.openingPhase = true, .ground = settings.paperColour});
  EXPECT_EQ(output.picture, expected);

  context.ProgressSuppressed = true;
  EXPECT_EQ(PreviewRandomStrokes(crop, settings, SurfaceSettings{}, context).picture, crop);
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex << Fnv1a(picture)
       << std::dec;
}

}  // namespace atelion
