#include "styles/painting/painting_11.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "styles/painting/alpha_brush_sheets.h"
#include "styles/painting/brush_pictures.h"
#include "styles/painting/edge_strokes.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::NoisySyntheticPhoto;

StyleSettings Settings(const AlphaBrushParameters& p) {
  StyleSettings settings;
  settings.effectId = kPainting11EffectId;
  settings.sliders = {p.minimumSize, p.maximumSize, p.strokeCount, p.blending, p.abstraction};
  return settings;
}

// ---- The brush sheets ----

TEST(AlphaBrushSheets, MarksAreBlackSoftEdgedAndStayInsideTheirCells) {
  for (int s = 0; s < kAlphaBrushSheetCount; ++s) {
    const auto sheetId = static_cast<AlphaBrushSheet>(s);
    const AlphaBrushSheetInfo& info = kAlphaBrushSheets[static_cast<std::size_t>(s)];
    const Bitmap32& sheet = ShippedAlphaBrushSheet(sheetId);
    ASSERT_EQ(sheet.Width(), info.Width());
    ASSERT_EQ(sheet.Height(), info.Height());
    for (int cell = 0; cell < info.columns * info.rows; ++cell) {
      const int left = (cell % 8) * kAlphaBrushCell, top = (cell / 8) * kAlphaBrushCell;
      int painted = 0, partial = 0, strongest = 0, onBorder = 0, coloured = 0;
      for (int y = 0; y < kAlphaBrushCell; ++y) {
        const std::uint8_t* row = sheet.Row(top + y) + 4 * left;
        for (int x = 0; x < kAlphaBrushCell; ++x) {
          const int alpha = row[4 * x + 3];
          coloured += row[4 * x] + row[4 * x + 1] + row[4 * x + 2];
          if (alpha == 0) continue;
          ++painted;
          if (alpha < 200) ++partial;
          strongest = std::max(strongest, alpha);
          if (x < 4 || y < 4 || x > kAlphaBrushCell - 5 || y > kAlphaBrushCell - 5) ++onBorder;
        }
      }
      SCOPED_TRACE(testing::Message() << "sheet " << s << " cell " << cell);
      EXPECT_EQ(coloured, 0);
      EXPECT_EQ(onBorder, 0);
      if (cell < info.marks) {
        EXPECT_GT(painted, 2000);   // a real mark, not a speck
        EXPECT_GT(strongest, 180);  // dense somewhere
        EXPECT_GT(partial, painted / 10);  // soft edges and bristle texture, not a cut-out
      } else {
        EXPECT_EQ(painted, 0);  // the empty cells a draw may pick
      }
    }
  }
}

TEST(AlphaBrushSheets, CellsAreDrawnTheSameEveryTimeAndDifferFromEachOther) {
  EXPECT_EQ(GenerateAlphaBrushCell(AlphaBrushSheet::Default, 3), GenerateAlphaBrushCell(AlphaBrushSheet::Default, 3));
  EXPECT_NE(GenerateAlphaBrushCell(AlphaBrushSheet::Default, 3), GenerateAlphaBrushCell(AlphaBrushSheet::Default, 8));
  EXPECT_NE(GenerateAlphaBrushCell(AlphaBrushSheet::Pastel, 0), GenerateAlphaBrushCell(AlphaBrushSheet::Crosshatch, 0));
}

// ---- The painting done literally: a whole-picture trial copy Q, every pixel of the square
// blended and measured, std::sqrt for every distance ----

std::uint8_t LiteralOver(int tinted, int alpha, int background) {
  return static_cast<std::uint8_t>(std::min(255, tinted + (background * (255 - alpha) + 127) / 255));
}

long long RoundedDistance(const std::uint8_t* a, const std::uint8_t* b) {
  const double d = std::sqrt(double((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                                    (a[2] - b[2]) * (a[2] - b[2])));
  return std::lround(d);
}

void ReferencePainting(const Bitmap24& S, Bitmap24& D, int a, int b, int n, int o, int v, RunContext& context) {
  const int W = S.Width(), H = S.Height();
  int smin = std::min(2 * std::min(a, b) + 5, 512);
  int smax = std::max(std::min(2 * b + 5, 512), smin);
  const int perStep = n / 10, cand = 300 - v;
  const int reps = std::clamp(std::max(W / 200, H / 200), 0, 25);
  D = Bitmap24(W, H, 0xFFFFFF);
  Bitmap24 Q(W, H, 0xFFFFFF);
  Bitmap24 E(W, H, 0xFFFFFF);
  EdgeStrokes(S, E, 4, 180, 20, false, SurfaceSettings{}, context);
  const Bitmap32* sheets[3] = {&ShippedAlphaBrushSheet(AlphaBrushSheet::Default),
                               &ShippedAlphaBrushSheet(AlphaBrushSheet::Crosshatch),
                               &ShippedAlphaBrushSheet(AlphaBrushSheet::Pastel)};
  Bitmap32 brushImage(257, 257, 0), P, P2;
  double val = smax;
  for (int k = 1000; k >= 0; --k) {
    int s;
    if (k >= 999) {
      s = std::min(2 * smax, 512);
    } else {
      if (k % 100 == 0) val *= 0.5;
      s = static_cast<int>(std::nearbyint(val)) + smin;
    }
    s = std::min({std::max(s, smin), W / 2, H / 2});
    const int w = context.Random(cand / 90 + 3);
    int sheet = 0, g;
    if (w == 1) sheet = 1, g = context.Random(30);
    else if (w == 2) sheet = 2, g = context.Random(14);
    else g = context.Random(41);
    CopySheetCell32(*sheets[sheet], brushImage, 256, 256, g % 8, g / 8);
    P = Bitmap32(s, s, 0);
    const long long thresh = static_cast<long long>(s) * s / 5;
    for (int y = 0; y < s; ++y) {
      for (int x = 0; x < s; ++x) {
        const double fx = double(brushImage.Width()) / s, fy = double(brushImage.Height()) / s;
        const std::uint8_t* in = brushImage.Row(int(std::floor(y * fy))) + 4 * int(std::floor(x * fx));
        std::uint8_t* out = P.Row(y) + 4 * x;
        std::copy(in, in + 4, out);
        out[3] = static_cast<std::uint8_t>((out[3] * (255 - o)) >> 8);
      }
    }
    RotateBitmap32(P, P2, context.Random(360));
    P = P2;
    s = std::max(P.Width(), P.Height());
    for (int r = 0; r <= reps; ++r) {
      for (int i = 0; i <= std::max(0, (perStep * (256 - s)) / 50); ++i) {
        int x = 0, y = 0;
        if (k > 970) {
          x = context.Random(W - 2) + 1;
          y = context.Random(H - 2) + 1;
        } else {
          long long best = -90000000;
          for (int c = 0; c < (1000 - k) / cand + 1; ++c) {
            const int cx = context.Random(W), cy = context.Random(H);
            long long score = 3 * (255 - E.Row(cy)[3 * cx + 2]);
            for (int yy = cy - 1; yy <= cy + 1; ++yy) {
              for (int xx = cx - 1; xx <= cx + 1; ++xx) {
                if (xx < 0 || yy < 0 || xx >= W || yy >= H) continue;
                for (int ch = 0; ch < 3; ++ch) score += std::abs(S.Row(yy)[3 * xx + ch] - D.Row(yy)[3 * xx + ch]);
              }
            }
            if (score > best) best = score, x = cx, y = cy;
          }
        }
        for (int t = 0; t < 3; ++t) context.Random(0);
        const std::uint8_t* colour = S.Row(y) + 3 * x;
        for (int py = 0; py < P.Height(); ++py) {
          for (int px = 0; px < P.Width(); ++px) {
            std::uint8_t* p = P.Row(py) + 4 * px;
            if (p[3] == 0) continue;
            for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<std::uint8_t>((colour[ch] * p[3]) >> 8);
          }
        }
        const int h = s / 2;
        long long e1 = 0, e2 = 0;
        for (int py = 0; py < P.Height(); ++py) {
          for (int px = 0; px < P.Width(); ++px) {
            const int qx = x - h + px, qy = y - h + py;
            if (qx < 0 || qy < 0 || qx >= W || qy >= H) continue;
            const std::uint8_t* p = P.Row(py) + 4 * px;
            std::uint8_t* q = Q.Row(qy) + 3 * qx;
            const std::uint8_t* d = D.Row(qy) + 3 * qx;
            for (int ch = 0; ch < 3; ++ch) q[ch] = LiteralOver(p[ch], p[3], d[ch]);
            e1 += RoundedDistance(S.Row(qy) + 3 * qx, d);
            e2 += RoundedDistance(S.Row(qy) + 3 * qx, q);
          }
        }
        if (e1 - e2 >= thresh) {
          for (int py = 0; py < P.Height(); ++py) {
            for (int px = 0; px < P.Width(); ++px) {
              const int qx = x - h + px, qy = y - h + py;
              if (qx < 0 || qy < 0 || qx >= W || qy >= H) continue;
              std::copy(Q.Row(qy) + 3 * qx, Q.Row(qy) + 3 * qx + 3, D.Row(qy) + 3 * qx);
            }
          }
        }
      }
    }
  }
}

TEST(AlphaBrushPainting, MatchesTheLiteralTrialLoop) {
  struct Case {
    int width, height;
    AlphaBrushParameters p;
  };
  const Case cases[] = {
      {30, 26, {0, 6, 20, 0, 127}},     // marks cut down to half the picture
      {40, 34, {2, 3, 100, 60, 255}},   // thinned marks, many trials, the widest candidate rule
      {420, 30, {10, 100, 5, 0, 0}},    // two repetitions, one trial each
      // Marks wider than a cell: they reach the next cell's first row and column, which at the
      // sheet's last row and column are what an earlier cell left there.
      {600, 560, {0, 255, 0, 0, 127}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    RunContext real, literal;
    real.Rng.RandomSeed = literal.Rng.RandomSeed = 4242;
    Bitmap24 painted(c.width, c.height), expected;
    AlphaBrushPainting(photo, painted, c.p, Settings(c.p), SurfaceSettings{}, real);
    ReferencePainting(photo, expected, c.p.minimumSize, c.p.maximumSize, c.p.strokeCount, c.p.blending,
                      c.p.abstraction, literal);
    EXPECT_EQ(painted, expected);
    EXPECT_EQ(real.Rng.RandomSeed, literal.Rng.RandomSeed);
    EXPECT_NE(painted, Bitmap24(c.width, c.height, 0xFFFFFF));
  }
}

TEST(AlphaBrushPainting, FullyTransparentMarksLeaveTheGroundOrTheEarlierPicture) {
  const Bitmap24 photo = NoisySyntheticPhoto(40, 30);
  const AlphaBrushParameters p{10, 40, 50, 255, 100};
  StyleSettings settings = Settings(p);
  settings.paperColour = 0x336699;
  RunContext context;
  Bitmap24 painted(40, 30, 0);
  AlphaBrushPainting(photo, painted, p, settings, SurfaceSettings{}, context);
  EXPECT_EQ(painted, Bitmap24(40, 30, 0x336699));

  settings.eraseBackground = false;  // "Don't erase background": paint over what is there
  const Bitmap24 earlier = NoisySyntheticPhoto(40, 30, 99);
  painted = earlier;
  AlphaBrushPainting(photo, painted, p, settings, SurfaceSettings{}, context);
  EXPECT_EQ(painted, earlier);
}

TEST(AlphaBrushPainting, TinyAndThinPicturesComeBackWithTheirSize) {
  const int sizes[][2] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {9, 9}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
    const Bitmap24 photo = NoisySyntheticPhoto(size[0], size[1]);
    StyleSettings settings = Settings({10, 100, 20, 0, 127});
    RunContext context;
    context.Rng.RandomSeed = 5;
    Bitmap24 source = photo, shown = photo;
    const StyleOutput output = ProcessPainting11(source, shown, settings, SurfaceSettings{}, context);
    EXPECT_EQ(output.picture.Width(), size[0]);
    EXPECT_EQ(output.picture.Height(), size[1]);
    const StyleOutput preview = PreviewPainting11(photo, settings, SurfaceSettings{}, context);
    EXPECT_EQ(preview.picture.Width(), size[0]);
    // Too thin for a mark of one pixel: the picture comes back as it was; otherwise it is painted.
    const bool fits = std::min(size[0], size[1]) >= 2;
    EXPECT_EQ(output.picture == photo, !fits);
    EXPECT_EQ(preview.picture == photo, !fits);
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

TEST(AlphaBrushPainting, AnAbortedPaintingKeepsItsMarks) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  const AlphaBrushParameters p{0, 10, 20, 0, 127};
  auto paint = [&](int pumps) {
    RunContext context;
    context.Rng.RandomSeed = 77;
    context.Processing = true;
    AbortAfterPumps sink(context, pumps);
    context.Progress = &sink;
    Bitmap24 painted(48, 40);
    AlphaBrushPainting(photo, painted, p, Settings(p), SurfaceSettings{}, context);
    return painted;
  };
  const Bitmap24 ground(48, 40, 0xFFFFFF);
  const Bitmap24 complete = paint(1 << 30);
  const Bitmap24 partial = paint(3000);
  EXPECT_NE(partial, ground);
  EXPECT_NE(partial, complete);
  EXPECT_EQ(paint(3000), partial);  // the same marks every time it stops at the same trial
}

}  // namespace
}  // namespace atelion
