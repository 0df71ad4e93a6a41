#include "styles/painting/painting_4.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/canvas.h"
#include "core/geometry.h"
#include "imageio/image_files.h"
#include "styles/painting/brush_pictures.h"
#include "styles/painting/stroke_brushes.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;
using testing_support::SyntheticPhoto;

// ---- The search done literally as described, pixel by pixel, on a small picture ----

int Sq3(Colour a, Colour b) {
  const int dr = RedOf(a) - RedOf(b), dg = GreenOf(a) - GreenOf(b), db = BlueOf(a) - BlueOf(b);
  return (dr * dr + dg * dg + db * db) / 3;
}

// The textured mark, one pixel at a time.
void LiteralMark(double cx, double cy, double L, double w, double angle, Bitmap24& canvas, Colour colour,
                 const Bitmap32& brush, int o) {
  Bitmap32 Q(static_cast<int>(std::floor(L)), static_cast<int>(std::floor(w)));
  ResampleNearest32(brush, Q);
  for (int y = 0; y < Q.Height(); ++y) {
    for (int x = 0; x < Q.Width(); ++x) Q.Row(y)[4 * x + 3] = static_cast<std::uint8_t>(Q.Row(y)[4 * x + 3] * (255 - o) / 255);
  }
  Bitmap32 B;
  RotateBitmap32(Q, B, static_cast<int>(std::floor(angle)));
  const int left = static_cast<int>(std::floor(cx)) - B.Width() / 2;
  const int top = static_cast<int>(std::floor(cy)) - B.Height() / 2;
  for (int y = 0; y < B.Height(); ++y) {
    for (int x = 0; x < B.Width(); ++x) {
      const std::uint8_t* b = B.Row(y) + 4 * x;
      const int A = b[3];
      const int X = left + x, Y = top + y;
      if (A == 0 || X < 0 || Y < 0 || X >= canvas.Width() || Y >= canvas.Height()) continue;
      const Colour old = canvas.Pixel(X, Y);
      const int r = (255 - b[2]) * RedOf(colour) / 255, g = (255 - b[1]) * GreenOf(colour) / 255,
                b2 = (255 - b[0]) * BlueOf(colour) / 255;
      canvas.SetPixel(X, Y, MakeColour(((255 - A) * RedOf(old) + A * r) / 255, ((255 - A) * GreenOf(old) + A * g) / 255,
                                       ((255 - A) * BlueOf(old) + A * b2) / 255));
    }
  }
}

struct LiteralRun {
  Bitmap24 picture;
  std::vector<StrokeRecord> strokes;
};

// Full-size run on the ground colour (erase mode), every rule written out as it reads.
LiteralRun LiteralSearch(const Bitmap24& source, int a, int b, int n, int o, int p, Colour ground) {
  RunContext ctx;
  ctx.Rng.RandomSeed = 1969;
  const int W = source.Width(), H = source.Height();
  const int d0 = 7;
  Bitmap24 S(W / d0, H / d0), C(W / d0, H / d0);
  Resample(source, S);
  const int Ws = S.Width(), Hs = S.Height();
  const std::int64_t N0 = 8 * n + 1;
  const double f = std::sqrt(static_cast<double>(d0 * d0) * Ws * Hs / 275217.0);
  const int N = static_cast<int>(static_cast<std::int64_t>(std::floor(f * 100 * N0)) / 100 + 1);
  int minS = a / d0 + 1, maxS = b / d0 + 1;
  if (minS > maxS) maxS = minS + 1;
  int d = d0;
  Bitmap24 P(Ws * d0 + d0, Hs * d0 + d0, 0xFFFFFF), D(Ws * d0 + d0, Hs * d0 + d0, 0xFFFFFF);
  for (int y = 0; y < D.Height() - 1; ++y) {
    for (int x = 0; x < D.Width() - 1; ++x) D.SetPixel(x, y, ground);
  }
  C.Fill(ground);
  int i = 1;
  std::vector<StrokeRecord> strokes;
  for (int k = 0; k <= N; ++k) {
    if (d > 1) {
      const int z = (100 - (100 * k / N)) / 20;
      if (z != d) {
        d = std::max(z, 1);
        S = Bitmap24(std::max(1, W / d), std::max(1, H / d));
        Resample(C, P);
        C = Bitmap24(S.Width(), S.Height());
        Resample(P, C);
        Resample(source, S);
        minS = a / d + 1, maxS = b / d + 1;
        if (minS > maxS) maxS = minS + 1;
      }
    }
    const int Wc = C.Width(), Hc = C.Height();
    for (int l = 0; l <= 15 * k / N + 1; ++l) {
      bool found = false;
      std::int64_t bestGain = 0;
      StrokeRecord best;
      const int count = k <= N / 4 ? p + 2 : 7 * p + 2;
      for (int c = 0; c < count; ++c) {
        int x = ctx.Random(Wc - 2) + 2, y = ctx.Random(Hc - 2) + 2;
        int bestE = 0;
        for (int t = 0; t < 8 * k / N + 1; ++t) {
          const int xr = ctx.Random(Wc - 2) + 2, yr = ctx.Random(Hc - 2) + 2;
          const int e = Sq3(S.Pixel(xr, yr), C.Pixel(xr, yr));
          if (e > bestE) bestE = e, x = xr, y = yr;
          if (bestE > 4800) break;
        }
        int L;
        if (k < N / 4) {
          L = std::min(std::max(3 * maxS, std::max(Wc, Hc) / 10), 512);
        } else {
          L = ctx.Random((N - k) * maxS) / N + minS;
        }
        int q;
        if (k < 3 * N / 10) q = 2; else if (k < 5 * N / 10) q = 16; else if (k < 7 * N / 10) q = 3;
        else if (k < 8 * N / 10) q = 12; else q = 5;
        const int w = ctx.Random(L) + L / q + 1;
        const Colour colour = S.Pixel(x, y);
        const double angle = ctx.Random(360);
        StrokeBox box = StrokeRectangle(x, y, L, w, angle, P, colour);
        box.x1 = std::max(box.x1, 0), box.y1 = std::max(box.y1, 0);
        box.x2 = std::min(box.x2, Wc - 1), box.y2 = std::min(box.y2, Hc - 1);
        std::int64_t t = 1, Eold = 0, Enew = 0;
        for (int X = box.x1; X <= box.x2; ++X) {
          for (int Y = box.y1; Y <= box.y2; ++Y) {
            if (P.Pixel(X, Y) == colour) ++t, Eold += Sq3(S.Pixel(X, Y), C.Pixel(X, Y));
          }
        }
        for (int X = box.x1; X <= box.x2; ++X) {
          for (int Y = box.y1; Y <= box.y2; ++Y) {
            if (P.Pixel(X, Y) == colour) Enew += Sq3(S.Pixel(X, Y), colour);
          }
          if (Eold - Enew < bestGain) break;
        }
        for (int X = box.x1 - 1; X <= box.x2; ++X) {
          for (int Y = box.y1 - 1; Y <= box.y2; ++Y) {
            if (X >= 0 && Y >= 0 && X < Wc && Y < Hc) P.SetPixel(X, Y, C.Pixel(X, Y));
          }
        }
        const std::int64_t gain = Eold - Enew;
        if (gain / t > 96 && gain > bestGain) {
          bestGain = gain;
          best = {x, y, L, w, angle, colour, box.x1, box.x2, box.y1, box.y2, 0, 0};
          found = true;
        }
      }
      if (found) {
        const int v = ctx.Random(4);
        const StrokeBox fresh = StrokeRectangle(best.x, best.y, best.length, best.width, best.angle, C, best.colour);
        for (int X = fresh.x1 * d; X <= fresh.x2 * d; ++X) {
          for (int Y = fresh.y1 * d; Y <= fresh.y2 * d; ++Y) {
            if (X >= 0 && Y >= 0 && X < D.Width() && Y < D.Height()) P.SetPixel(X, Y, D.Pixel(X, Y));
          }
        }
        best.scale = d, best.variant = v;
        strokes.push_back(best);
        LiteralMark(best.x * d, best.y * d, best.length * d, best.width * d, best.angle, D, best.colour,
                    ShippedStrokeBrush(v), o);
      }
    }
    if (16 * k / N > i) {
      ++i;
      Resample(D, C);
    }
  }
  Bitmap24 out(W, H);
  DrawPicture(out, 0, 0, D);
  return {out, strokes};
}

StyleSettings Settings(int a, int b, int n, int o, int p) {
  StyleSettings s;
  s.effectId = kPainting4EffectId;
  s.sliders = FactoryDefaults(kPainting4EffectId);
  s.sliders[kSlotTrackBar1] = a;
  s.sliders[kSlotTrackBar2] = b;
  s.sliders[kSlotTrackBar5] = n;
  s.sliders[kSlotTrackBar3] = o;
  s.sliders[kSlotTrackBar4] = p;
  return s;
}

StyleOutput RunFull(const Bitmap24& photo, const StyleSettings& settings, RunContext& context) {
  Bitmap24 source = photo, shown = photo;
  return ProcessSearchedStrokes(source, shown, settings, SurfaceSettings{}, context);
}

// ---- The search ----

TEST(SearchedStrokes, MatchesTheLiteralSearchAndKeepsItsGoldenChecksum) {
  struct Case {
    int width, height, a, b, n, o, p;
    Colour ground;
  };
  const Case cases[] = {
      {84, 63, 20, 80, 2, 0, 10, 0xFFFFFF},
      {70, 91, 40, 10, 1, 100, 0, 0x3060A0},  // minimum above maximum, no extra candidates
  };
  std::vector<std::uint64_t> checksums;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    const LiteralRun literal = LiteralSearch(photo, c.a, c.b, c.n, c.o, c.p, c.ground);
    StyleSettings settings = Settings(c.a, c.b, c.n, c.o, c.p);
    settings.paperColour = c.ground;
    StrokeHistory history;
    settings.strokeHistory = &history;
    RunContext context;
    const StyleOutput out = RunFull(photo, settings, context);
    EXPECT_FALSE(literal.strokes.empty());
    EXPECT_EQ(history.strokes, literal.strokes);
    EXPECT_TRUE(out.picture == literal.picture);
    checksums.push_back(Fnv1a(out.picture));
  }
  // Recorded after the comparison above passed.
  EXPECT_EQ(checksums[0], 2606837935660691124u);
  EXPECT_EQ(checksums[1], 8078951281079316965u);
}

TEST(SearchedStrokes, PlacesNoStrokeWhereTheGroundAlreadyMatches) {
  // A white photograph on a white ground: no stroke improves anything.
  StyleSettings settings = Settings(20, 80, 25, 0, 30);
  StrokeHistory history;
  history.strokes.push_back({});
  settings.strokeHistory = &history;
  RunContext context;
  const Bitmap24 white(120, 90, 0xFFFFFF);
  const StyleOutput out = RunFull(white, settings, context);
  EXPECT_TRUE(history.strokes.empty());
  EXPECT_TRUE(out.picture == white);
}

TEST(SearchedStrokes, HistoryIsReplacedOnAFreshGroundAndGrowsOverThePreviousResult) {
  const Bitmap24 photo = SyntheticPhoto(96, 80);
  StyleSettings settings = Settings(20, 80, 3, 0, 10);
  StrokeHistory history;
  settings.strokeHistory = &history;
  RunContext context;
  const StyleOutput first = RunFull(photo, settings, context);
  const std::size_t afterFirst = history.strokes.size();
  ASSERT_GT(afterFirst, 0u);
  // Over the previous result the model starts as a copy of it; strokes repair what differs.
  settings.eraseBackground = false;
  Bitmap24 source = photo, shown = first.picture;
  (void)ProcessSearchedStrokes(source, shown, settings, SurfaceSettings{}, context);
  EXPECT_GE(history.strokes.size(), afterFirst);
  EXPECT_TRUE(std::equal(history.strokes.begin(), history.strokes.begin() + static_cast<long>(afterFirst),
                         history.strokes.begin()));
  for (std::size_t i = afterFirst; i < history.strokes.size(); ++i) EXPECT_EQ(history.strokes[i].scale, 1);
  // A fresh run replaces them.
  settings.eraseBackground = true;
  (void)RunFull(photo, settings, context);
  EXPECT_EQ(history.strokes.size(), afterFirst);
}

TEST(SearchedStrokes, TinyAndThinPicturesComeBackAtTheirSize) {
  const int sizes[][2] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {15, 15}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
    const Bitmap24 photo = SyntheticPhoto(size[0], size[1]);
    RunContext context;
    StyleSettings settings = Settings(20, 80, 25, 0, 30);
    const StyleOutput out = RunFull(photo, settings, context);
    EXPECT_EQ(out.picture.Width(), size[0]);
    EXPECT_EQ(out.picture.Height(), size[1]);
    settings.preview = true;
    const StyleOutput preview = PreviewSearchedStrokes(photo, settings, SurfaceSettings{}, context);
    EXPECT_EQ(preview.picture.Width(), size[0]);
    EXPECT_EQ(preview.picture.Height(), size[1]);
    settings.preview = false;
    settings.eraseBackground = false;
    const StyleOutput over = RunFull(photo, settings, context);
    EXPECT_EQ(over.picture.Width(), size[0]);
  }
}

// Sets the abort flag after the interface has been kept alive a number of times.
class AbortAfter : public ProgressSink {
 public:
  AbortAfter(RunContext& context, int reports) : context_(context), left_(reports) {}
  void PumpEvents() override {
    if (--left_ == 0) context_.AbortRequested = true;
  }

 private:
  RunContext& context_;
  int left_;
};

TEST(SearchedStrokes, AStoppedRunKeepsWhatWasLastShownAndItsStrokes) {
  const Bitmap24 photo = NoisySyntheticPhoto(140, 100);
  StyleSettings settings = Settings(20, 80, 10, 0, 10);
  StrokeHistory history;
  settings.strokeHistory = &history;
  {
    RunContext context;
    context.AbortRequested = true;
    const StyleOutput out = RunFull(photo, settings, context);
    EXPECT_TRUE(out.picture == photo);  // nothing was shown yet: the result still shows the source
    EXPECT_TRUE(history.strokes.empty());
  }
  RunContext whole;
  const StyleOutput complete = RunFull(photo, settings, whole);
  const std::vector<StrokeRecord> all = history.strokes;
  RunContext context;
  AbortAfter sink(context, 60);
  context.Progress = &sink;
  (void)RunFull(photo, settings, context);
  ASSERT_TRUE(context.AbortRequested);
  EXPECT_LT(history.strokes.size(), all.size());
  EXPECT_TRUE(std::equal(history.strokes.begin(), history.strokes.end(), all.begin()));
  (void)complete;
}

// ---- The stroke rectangle and the textured mark ----

TEST(StrokeRectangleTest, CornersAndBoxFollowTheAngle) {
  struct Case {
    double angle;
    std::array<Point, 4> corners;
    StrokeBox box;
  };
  // A 10 × 4 stroke centred on (20, 20).
  const Case cases[] = {
      {0, {{{15, 18}, {25, 18}, {25, 22}, {15, 22}}}, {15, 18, 25, 22}},
      {90, {{{22, 15}, {22, 25}, {18, 25}, {18, 15}}}, {18, 15, 22, 25}},
      {180, {{{25, 22}, {15, 22}, {15, 18}, {25, 18}}}, {15, 18, 25, 22}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    EXPECT_EQ(StrokeCorners(20, 20, 10, 4, c.angle), c.corners);
    Bitmap24 picture(40, 40, 0xFFFFFF);
    EXPECT_EQ(StrokeRectangle(20, 20, 10, 4, c.angle, picture, 0x0000FF), c.box);
    // Every painted pixel lies within the box grown by one, and the centre is painted.
    EXPECT_EQ(picture.Pixel(20, 20), 0x0000FFu);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        if (picture.Pixel(x, y) != 0x0000FFu) continue;
        EXPECT_TRUE(x >= c.box.x1 - 1 && x <= c.box.x2 + 1 && y >= c.box.y1 - 1 && y <= c.box.y2 + 1) << x << "," << y;
      }
    }
  }
  // At 45 degrees: hx = hy = round(14 · 0.7071) shr 1 = 10 shr 1 = 5.
  Bitmap24 picture(40, 40, 0xFFFFFF);
  EXPECT_EQ(StrokeRectangle(20, 20, 10, 4, 45, picture, 0), (StrokeBox{15, 15, 25, 25}));
}

TEST(TexturedStrokeTest, TintsByTheBrushDarknessAndBlendsByItsAlpha) {
  struct Case {
    int grey, alpha, blending, canvas, colour, expected;
  };
  // expected = ((255 − A)·canvas + A·((255 − grey)·colour div 255)) div 255, A = alpha·(255 − o) div 255
  const Case cases[] = {
      {0, 255, 0, 200, 100, 100},     // dark brush, opaque: the colour itself
      {255, 255, 0, 200, 100, 0},     // light brush: towards black
      {51, 255, 0, 200, 100, 80},     // (204·100) div 255 = 80
      {0, 128, 0, 200, 100, 149},     // (127·200 + 128·100) div 255 = 149
      {0, 255, 255, 200, 100, 200},   // full blending: nothing laid
      {0, 255, 128, 200, 100, 149},   // A = 255·127 div 255 = 127: (128·200 + 127·100) div 255 = 150 − 1
      {0, 0, 0, 200, 100, 200},       // transparent
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.grey << " " << c.alpha << " " << c.blending);
    Bitmap32 brush(8, 8, 0);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        std::uint8_t* px = brush.Row(y) + 4 * x;
        px[0] = px[1] = px[2] = static_cast<std::uint8_t>(c.grey);
        px[3] = static_cast<std::uint8_t>(c.alpha);
      }
    }
    Bitmap24 canvas(20, 20, MakeColour(c.canvas, c.canvas, c.canvas));
    TexturedStroke(10, 10, 6, 4, 0, canvas, c.colour, c.colour, c.colour, brush, c.blending);
    const int A = c.alpha * (255 - c.blending) / 255;
    const int want = ((255 - A) * c.canvas + A * ((255 - c.grey) * c.colour / 255)) / 255;
    EXPECT_EQ(RedOf(canvas.Pixel(10, 10)), want);
    if (c.blending != 128) EXPECT_EQ(want, c.expected);
    EXPECT_EQ(canvas.Pixel(0, 0), MakeColour(c.canvas, c.canvas, c.canvas));  // outside the mark
  }
}

TEST(TexturedStrokeTest, MarksOffTheCanvasOrOfNoSizeDrawNothingAndDoNotFail) {
  const Bitmap32& brush = ShippedStrokeBrush(0);
  struct Case {
    double cx, cy, length, width;
  };
  const Case cases[] = {{-500, -500, 40, 20}, {5000, 3, 40, 20}, {3, 3, 0.5, 20}, {3, 3, 40, 0}, {3, 3, NAN, 5}};
  for (const Case& c : cases) {
    Bitmap24 canvas(10, 10, 0xFFFFFF);
    TexturedStroke(c.cx, c.cy, c.length, c.width, 30, canvas, 10, 20, 30, brush, 0);
    EXPECT_TRUE(canvas == Bitmap24(10, 10, 0xFFFFFF));
  }
  // A mark larger than the canvas covers it without reading outside.
  Bitmap24 canvas(10, 10, 0xFFFFFF);
  TexturedStroke(5, 5, 200, 120, 17, canvas, 10, 20, 30, brush, 0);
  EXPECT_NE(canvas.Pixel(5, 5), 0xFFFFFFu);
}

TEST(StrokeBrushesTest, ShippedBrushesAreLongStrokesWithDryTails) {
  for (int v = 0; v < kStrokeBrushCount; ++v) {
    SCOPED_TRACE(v);
    const Bitmap32& brush = ShippedStrokeBrush(v);
    ASSERT_EQ(brush.Width(), kStrokeBrushes[static_cast<std::size_t>(v)].width);
    ASSERT_EQ(brush.Height(), kStrokeBrushes[static_cast<std::size_t>(v)].height);
    // Covered share of the first, middle and last fifth along the stroke: full in the middle,
    // broken in the dry tail; the corners are clear.
    auto cover = [&](int x0, int x1) {
      int covered = 0, total = 0;
      for (int y = 0; y < brush.Height(); ++y) {
        for (int x = x0; x < x1; ++x, ++total) covered += brush.Row(y)[4 * x + 3] > 128 ? 1 : 0;
      }
      return static_cast<double>(covered) / total;
    };
    const int w = brush.Width();
    EXPECT_GT(cover(2 * w / 5, 3 * w / 5), 0.75);
    EXPECT_LT(cover(w - w / 10, w), 0.6 * cover(2 * w / 5, 3 * w / 5));
    EXPECT_EQ(brush.Row(0)[3], 0);
    EXPECT_EQ(brush.Row(brush.Height() - 1)[4 * (w - 1) + 3], 0);
    // Dark marks: the colour bytes under the paint stay well below the light ground.
    EXPECT_LT(brush.Row(brush.Height() / 2)[4 * (w / 2)], 140);
  }
}

// ---- The vector polygons ----

TEST(StrokeSvgTest, PolygonLinesCarryCornersColourAndOpacity) {
  struct Case {
    int blending;
    const char* opacity;
  };
  const Case cases[] = {{0, "1"}, {128, "0.5"}, {160, "0.37"}, {255, "0"}};
  for (const Case& c : cases) {
    EXPECT_EQ(SvgStrokePolygon(20, 20, 10, 4, 0, MakeColour(10, 20, 30), c.blending),
              std::string("<polygon points=\"15,18,25,18,25,22,15,22\" style=\"fill:rgb(10,20,30)\" fill-opacity=\"") +
                  c.opacity + "\" />");
  }
}

TEST(StrokeSvgTest, FileHoldsOnePolygonPerStrokeScaledByItsOwnScale) {
  const std::vector<StrokeRecord> strokes = {
      {.x = 4, .y = 4, .length = 5, .width = 2, .angle = 0, .colour = 0x0000FF, .scale = 5},
      {.x = 20, .y = 20, .length = 10, .width = 4, .angle = 90, .colour = 0x00FF00, .scale = 1},
  };
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "atelion_strokes_test.svg";
  ASSERT_TRUE(WriteStrokeSvg(path, strokes, 640, 480, 0).ok());
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  std::filesystem::remove(path);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "<svg xmlns=\"http://www.w3.org/2000/svg\" height=\"480\" width=\"640\">");
  EXPECT_EQ(lines[1], SvgStrokePolygon(20, 20, 25, 10, 0, 0x0000FF, 0));
  EXPECT_EQ(lines[2], "<polygon points=\"22,15,22,25,18,25,18,15\" style=\"fill:rgb(0,255,0)\" fill-opacity=\"1\" />");
  EXPECT_EQ(lines[3], "</svg>");
  EXPECT_FALSE(WriteStrokeSvg(std::filesystem::path("/nonexistent-dir/x.svg"), strokes, 1, 1, 0).ok());
}

// ---- Repainting the history at a larger size ----

TEST(ReplayStrokesTest, SizesFollowTheFactorAndTheLargestSide) {
  RunContext context;
  // No strokes: the ground colour at half the chosen size.
  const Bitmap24 empty = ReplayStrokes({}, 101, 60, 2.0, 0x112233, 0, {}, context);
  EXPECT_EQ(empty.Width(), 101);
  EXPECT_EQ(empty.Height(), 60);
  EXPECT_TRUE(empty == Bitmap24(101, 60, 0x112233));
  EXPECT_EQ(ReplayPercentLimit(4000, 100, 1000), 500);
  EXPECT_EQ(ReplayPercentLimit(100, 3000, 1000), 666);
  EXPECT_EQ(ReplayPercentLimit(100, 100, 50), 100);
  // Both sides within 20000 but more pixels than a picture may have: held at 250 megapixels.
  EXPECT_EQ(ReplayPercentLimit(4000, 3000, 1000), 456);
  EXPECT_EQ(ReplayPercentLimit(2000, 2000, 1000), 790);
  for (const auto& [w, h] : {std::pair{4000, 3000}, std::pair{2000, 2000}, std::pair{19999, 12500}}) {
    const std::int64_t p = ReplayPercentLimit(w, h, 1000);
    EXPECT_LE((p * w / 100) * (p * h / 100), ImageLimits::kMaxPixels);
    EXPECT_GT(((p + 1) * w / 100) * ((p + 1) * h / 100), ImageLimits::kMaxPixels);
  }
  const std::vector<StrokeRecord> one = {{.x = 10, .y = 8, .length = 12, .width = 5, .angle = 30, .colour = 0x2040C0,
                                          .scale = 1, .variant = 2}};
  const Bitmap24 big = ReplayStrokes(one, 30000, 2, 5.0, 0xFFFFFF, 0, {}, context);
  EXPECT_EQ(big.Width(), 19800);  // a picture already wider than the largest side: 66 %
}

TEST(ReplayStrokesTest, FewStrokesAreDrawnAtFullSizeAsTheMarkItself) {
  RunContext context;
  const std::vector<StrokeRecord> strokes = {
      {.x = 10, .y = 8, .length = 12, .width = 5, .angle = 30, .colour = 0x2040C0, .scale = 2, .variant = 1},
      {.x = 20, .y = 12, .length = 9, .width = 4, .angle = 300, .colour = 0x40C020, .scale = 1, .variant = 3}};
  const Bitmap24 replayed = ReplayStrokes(strokes, 50, 40, 3.0, 0xFFFFFF, 40, {}, context);
  Bitmap24 expected(150, 120, 0xFFFFFF);
  for (const StrokeRecord& r : strokes) {
    const double f = r.scale * 3.0;
    LiteralMark(r.x * f, r.y * f, r.length * f, r.width * f, r.angle, expected, r.colour, ShippedStrokeBrush(r.variant),
                40);
  }
  EXPECT_TRUE(replayed == expected);
}

TEST(ReplayStrokesTest, UnknownVariantsAndAStopAreHandled) {
  std::vector<StrokeRecord> strokes(20, StrokeRecord{.x = 10, .y = 10, .length = 8, .width = 4, .angle = 0,
                                                     .colour = 0x000000, .scale = 1, .variant = 9});
  RunContext context;
  context.AbortRequested = true;
  // Stopped in the first tenth: the picture stays at half size.
  const Bitmap24 stopped = ReplayStrokes(strokes, 40, 30, 2.0, 0xFFFFFF, 0, {}, context);
  EXPECT_EQ(stopped.Width(), 40);
  EXPECT_EQ(stopped.Height(), 30);
  EXPECT_NE(stopped.Pixel(10, 10), 0xFFFFFFu);
  // A user's set of one brush: every variant maps onto it.
  RunContext fresh;
  const std::vector<Bitmap32> custom = {Bitmap32(4, 4, 255)};
  const Bitmap24 withCustom = ReplayStrokes(strokes, 40, 30, 1.0, 0xFFFFFF, 0, custom, fresh);
  EXPECT_EQ(withCustom.Width(), 40);
}

}  // namespace
}  // namespace atelion
