#include "styles/painting/painting_2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/painting/flow_brushes.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {

void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

// ---- The painting done literally, pixel by pixel, from the written rules ----

struct Rgb {
  int c[3];
};

Rgb At(const Bitmap24& P, int x, int y) {
  const std::uint8_t* p = P.Row(y) + 3 * x;
  return {{p[0], p[1], p[2]}};
}
void Put(Bitmap24& P, int x, int y, const Rgb& v) {
  std::uint8_t* p = P.Row(y) + 3 * x;
  for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<std::uint8_t>(v.c[ch]);
}

struct LiteralBrush {
  int w = 0, h = 0;
  std::vector<std::vector<int>> alpha;    // [i][j]
  std::vector<std::vector<Rgb>> colour;   // [i][j]
  std::vector<std::vector<bool>> paints;  // [i][j]
  void Take(const Bitmap32& picture) {
    w = picture.Width();
    h = picture.Height();
    alpha.assign(w, std::vector<int>(h));
    colour.assign(w, std::vector<Rgb>(h));
    paints.assign(w, std::vector<bool>(h, true));
    for (int j = 0; j < h; ++j) {
      for (int i = 0; i < w; ++i) {
        const std::uint8_t* p = picture.Row(j) + 4 * i;
        alpha[i][j] = p[3];
        colour[i][j] = {{p[0], p[1], p[2]}};
      }
    }
  }
};

void LiteralStamp(const LiteralBrush& B, Bitmap24& T, int px, int py, int p) {
  for (int j = 0; j < B.h; ++j) {
    for (int i = 0; i < B.w; ++i) {
      const int A = B.alpha[i][j];
      const int x = px + i, y = py + j;
      if (A <= 0 || !B.paints[i][j] || x < 0 || y < 0 || x >= T.Width() || y >= T.Height()) continue;
      Rgb t = At(T, x, y);
      for (int ch = 0; ch < 3; ++ch) {
        const int mix = ((255 - A) * t.c[ch] + A * B.colour[i][j].c[ch]) / 255;
        t.c[ch] = ((255 - p) * t.c[ch] + p * mix) / 255;
      }
      Put(T, x, y, t);
    }
  }
}

std::int64_t LiteralSum(const Bitmap24& P, const Bitmap24& S, int x0, int y0, int x1, int y1) {
  std::int64_t e = 0;
  for (int x = x0; x <= x1; ++x) {
    for (int y = y0; y <= y1; ++y) {
      for (int ch = 0; ch < 3; ++ch) e += 32 * std::abs(At(P, x, y).c[ch] - At(S, x, y).c[ch]);
    }
  }
  return e;
}

Bitmap24 LiteralPainting(const Bitmap24& S, int a, int b, int c, int e, int f) {
  RunContext context;
  RandomGenerator& rng = context.Rng;
  rng.RandomSeed = 1969;
  const int W = S.Width(), H = S.Height();
  const int L = 28 - a / 10, m = a / 4, gate = 255 - b, q = b / 25 + 1;
  const float factor = static_cast<float>(1 + c / 4000.0);
  Bitmap24 D(W, H, 0xFFFFFF);

  std::vector<std::vector<int>> magnitude(W, std::vector<int>(H, 0));
  std::vector<std::vector<float>> angle(W, std::vector<float>(H, 0.0f));
  for (int y = 1; y <= H - 2; ++y) {
    for (int x = 1; x <= W - 2; ++x) {
      int gys[3], gxs[3];
      for (int ch = 0; ch < 3; ++ch) {
        auto s = [&](int dx, int dy) { return At(S, x + dx, y + dy).c[ch]; };
        gys[ch] = 3 * s(-1, -1) + 10 * s(0, -1) + 3 * s(1, -1) - 3 * s(-1, 1) - 10 * s(0, 1) - 3 * s(1, 1);
        gxs[ch] = 3 * s(-1, -1) + 10 * s(-1, 0) + 3 * s(-1, 1) - 3 * s(1, -1) - 10 * s(1, 0) - 3 * s(1, 1);
      }
      const int Gy = std::max({gys[0], gys[1], gys[2]}), Gx = std::max({gxs[0], gxs[1], gxs[2]});
      magnitude[x][y] = (std::abs(Gx) + std::abs(Gy)) / 32;
      angle[x][y] = magnitude[x][y] >= 1 ? static_cast<float>(std::atan2(double(Gy), double(Gx)) + 1.5707)
                                         : static_cast<float>(rng.Random(628) / 1000.0);
    }
  }

  // Underpainting.
  Bitmap24 M(W / 2, H / 2, 0xFFFFFF);
  LiteralBrush B;
  B.Take(GenerateFlowBrush(FlowBrush::Large));
  {
    const Rgb first = At(S, std::min(2 * (B.w / 2), W - 1), std::min(2 * (B.h / 2), H - 1));
    for (auto& column : B.colour) std::fill(column.begin(), column.end(), first);
  }
  const int MW = M.Width(), MH = M.Height();
  for (int by = 0; by <= (MH + 39) / 40; ++by) {
    for (int bx = 0; bx <= (MW + 39) / 40; ++bx) {
      const int ox = 40 * bx, oy = 40 * by;
      if (ox + B.w / 2 <= MW - 1 && oy + B.h / 2 <= MH - 1) {
        const Rgb centre = At(S, 2 * (ox + B.w / 2), 2 * (oy + B.h / 2));
        for (int j = 0; j < B.h; ++j) {
          for (int i = 0; i < B.w; ++i) {
            const int t = rng.Random(i + j) % 3 != 0 ? 15 : -rng.Random(10);
            for (int ch = 0; ch < 3; ++ch) B.colour[i][j].c[ch] = std::clamp(centre.c[ch] + t, 0, 255);
          }
        }
      }
      const int ax = B.w / 2 + ox / 2, ay = B.h / 2 + oy / 2;
      float v = (2 <= ax && ax < MW - 1 && 2 <= ay && ay < MH - 1) ? angle[ax][ay] : float(rng.Random() * 6.28);
      float d = float(rng.Random() * 0.005 - 0.0025);
      const int p = rng.Random(f / 10) + 15;
      const int n = rng.Random((MW + MH) / 128) + rng.Random(20) + 10;
      for (int s = 0; s <= n; ++s) {
        const int px = ox + int(std::floor(s * std::cos(double(v)))) - B.w / 2;
        const int py = oy + int(std::floor(s * std::sin(double(v)))) - B.h / 2;
        if (rng.Random(100) >= 75) d = float(d + rng.Random() * 0.003 - 0.0015);
        v = v + d;
        LiteralStamp(B, M, px, py, p);
      }
    }
  }
  if (MW > 0 && MH > 0) {
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) Put(D, x, y, At(M, x * MW / W, y * MH / H));
    }
  }
  M = D;

  bool test = false;
  int k2 = 1;
  for (int k = 0; k <= 500; ++k) {
    const std::int64_t cnt = (std::int64_t{W} * H * q / 48400) * k2;
    for (std::int64_t l = 0; l <= cnt; ++l) {
      if (l == 0) {
        if (k == 15) test = true;
        if (k == 50) B.Take(GenerateFlowBrush(FlowBrush::Medium));
        if (k == 400) {
          k2 = 8;
          B.Take(GenerateFlowBrush(FlowBrush::Small));
        }
      }
      const int ox = rng.Random(W - 1) - B.w / 2, oy = rng.Random(H - 1) - B.h / 2;
      const int cx = ox + B.w / 2, cy = oy + B.h / 2;
      if (rng.Random(290) < gate) continue;
      if (k > 50 && magnitude[cx][cy] < rng.Random(k / 4)) continue;
      float u = (cx < W - 1 && cy < H - 1) ? angle[cx][cy] : float(rng.Random() * 6.28);
      const int z = rng.Random(100) < 70 ? -50 : 100;
      for (int j = 0; j < B.h; ++j) {
        for (int i = 0; i < B.w; ++i) {
          const int x = ox + i, y = oy + j;
          if (x < 0 || y < 0 || x >= W || y >= H) {
            B.colour[i][j] = At(S, std::clamp(x, 0, W - 1), std::clamp(y, 0, H - 1));
            continue;
          }
          const int t = rng.Random(i + j) % 3 != 0 ? 25 : -rng.Random(20);
          const Rgb from = rng.Random(150) + z < c / 5 + 80 ? At(S, cx, cy) : At(S, x, y);
          for (int ch = 0; ch < 3; ++ch) B.colour[i][j].c[ch] = std::clamp(from.c[ch] + t, 0, 255);
        }
      }
      float d = float(rng.Random() * 0.009 - 0.0045);
      const int n = std::max(std::min(rng.Random((500 - k) / L), 150) + (2 * magnitude[cx][cy]) / L, 10);
      int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
      std::int64_t before = 0;
      if (test) {
        const int ex = ox + int(std::floor(n * std::cos(double(u))));
        const int ey = oy + int(std::floor(n * std::sin(double(u))));
        x0 = std::clamp(std::min(ox, ex) - B.w - m, 0, W - 1);
        x1 = std::clamp(std::max(ox, ex) + B.w + m, 0, W - 1);
        y0 = std::clamp(std::min(oy, ey) - B.h - m, 0, H - 1);
        y1 = std::clamp(std::max(oy, ey) + B.h + m, 0, H - 1);
        for (int y = y0; y < (y1 == H - 1 ? H : y1); ++y) {
          for (int x = x0; x < (x1 == W - 1 ? W : x1); ++x) Put(M, x, y, At(D, x, y));
        }
        before = LiteralSum(D, S, x0, y0, x1, y1);
      }
      const int p = rng.Random(f / 4 + k / 30) + f / 25;
      for (int s = 0; s <= n; ++s) {
        const int px = ox + int(std::floor(s * std::cos(double(u))));
        const int py = oy + int(std::floor(s * std::sin(double(u))));
        if (test) {
          if (rng.Random(100) > 80) d = float(d + rng.Random() * 0.003 - 0.0015);
        } else if (rng.Random(100) > 85) {
          d = float(d + rng.Random() * 0.002 - 0.001);
        }
        u = u + d;
        LiteralStamp(B, test ? M : D, px, py, p);
      }
      if (test && double(before) > double(LiteralSum(M, S, x0, y0, x1, y1)) * double(factor)) {
        for (int y = y0; y < (y1 == H - 1 ? H : y1); ++y) {
          for (int x = x0; x < (x1 == W - 1 ? W : x1); ++x) Put(D, x, y, At(M, x, y));
        }
      }
    }
  }
  Sharpen3(D);
  AdjustSaturation(D, ((e - 128) * 100) / 128, context);
  return D;
}

struct PaintingCase {
  const char* name;
  int width, height;
  int a, b, c, e, f;
};

TEST(FlowStrokePainting, MatchesTheLiteralRules) {
  const PaintingCase cases[] = {
      {"factory settings", 120, 90, 135, 80, 25, 135, 135},
      {"every attempt strokes, longest strokes", 100, 140, 255, 255, 100, 200, 255},
      {"fewest strokes, shortest strokes", 130, 100, 0, 0, 0, 40, 0},
      {"smaller than the brush", 60, 30, 135, 200, 50, 135, 135},
      {"large enough for many attempts per level", 260, 200, 135, 150, 25, 135, 135},
  };
  for (const PaintingCase& t : cases) {
    SCOPED_TRACE(t.name);
    const Bitmap24 photo = NoisySyntheticPhoto(t.width, t.height);
    StyleSettings settings;
    RunContext context;
    Bitmap24 painted;
    FlowStrokePainting(photo, painted, {t.a, t.b, t.c, t.e, t.f}, settings, context);
    EXPECT_EQ(painted, LiteralPainting(photo, t.a, t.b, t.c, t.e, t.f));
  }
}

RunPictures PicturesOf(const Bitmap24& photo) {
  RunPictures pictures;
  pictures.source = photo;
  pictures.result = photo;
  return pictures;
}

StyleSettings DefaultSettings() {
  StyleSettings settings;
  settings.effectId = kPainting2EffectId;
  settings.sliders = FactoryDefaults(kPainting2EffectId);
  return settings;
}

TEST(ProcessPainting2, IsReproducibleAndKeepsItsGoldenChecksum) {
  const Bitmap24 photo = NoisySyntheticPhoto(96, 72);
  RunPictures first = PicturesOf(photo), second = PicturesOf(photo);
  StyleSettings settings = DefaultSettings();
  RunContext context;
  ASSERT_EQ(RunEffect(first, settings, FinishingSettings{}, context), RunOutcome::Finished);
  context.Rng.RandomSeed = 4242;  // whatever ran before, the style reseeds
  ASSERT_EQ(RunEffect(second, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(first.result, second.result);
  EXPECT_EQ(first.source, photo);
  EXPECT_EQ(first.result, LiteralPainting(photo, 135, 80, 25, 135, 135));
  // Recorded from this implementation once it matched the literal rules above.
  EXPECT_EQ(Fnv1a(first.result), 0xd4685a2cc00c40bcull);
}

TEST(ProcessPainting2, PaintsTinyAndThinPictures) {
  const struct {
    int width, height;
  } sizes[] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {3, 3}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(::testing::Message() << size.width << " x " << size.height);
    const Bitmap24 photo = NoisySyntheticPhoto(size.width, size.height);
    RunPictures pictures = PicturesOf(photo);
    StyleSettings settings = DefaultSettings();
    RunContext context;
    ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    ASSERT_EQ(pictures.result.Width(), size.width);
    ASSERT_EQ(pictures.result.Height(), size.height);
    // Painted, never left as the bare white canvas.
    EXPECT_NE(pictures.result, Bitmap24(size.width, size.height, 0xFFFFFF));
  }
}

// No strip along any edge stays near the white of the canvas: the photograph is a mid grey.
TEST(ProcessPainting2, LeavesNoBareCanvasAlongTheEdges) {
  const Bitmap24 photo(300, 220, MakeColour(110, 120, 100));
  RunPictures pictures = PicturesOf(photo);
  StyleSettings settings = DefaultSettings();
  RunContext context;
  ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
  int lightest = 0;
  for (int y = 0; y < photo.Height(); ++y) {
    for (int x = 0; x < photo.Width(); ++x) {
      if (x > 2 && y > 2 && x < photo.Width() - 3 && y < photo.Height() - 3) continue;
      const Rgb v = At(pictures.result, x, y);
      lightest = std::max({lightest, v.c[0], v.c[1], v.c[2]});
    }
  }
  EXPECT_LT(lightest, 200);

  // Nor is the outermost line of pixels on any side lighter than the line three pixels in.
  const Bitmap24& r = pictures.result;
  const int W = r.Width(), H = r.Height();
  auto lineMean = [&](bool column, int at) {
    std::int64_t total = 0;
    const int n = column ? H : W;
    for (int t = 0; t < n; ++t) {
      const Rgb v = column ? At(r, at, t) : At(r, t, at);
      total += v.c[0] + v.c[1] + v.c[2];
    }
    return total / (3 * n);
  };
  EXPECT_LE(lineMean(true, 0), lineMean(true, 3) + 10);
  EXPECT_LE(lineMean(true, W - 1), lineMean(true, W - 4) + 10);
  EXPECT_LE(lineMean(false, 0), lineMean(false, 3) + 10);
  EXPECT_LE(lineMean(false, H - 1), lineMean(false, H - 4) + 10);
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

TEST(FlowStrokePainting, AnAbortKeepsWhatWasPainted) {
  const Bitmap24 photo = NoisySyntheticPhoto(200, 160);
  auto paint = [&](int pumps) {
    RunContext context;
    context.Processing = true;
    AbortAfterPumps sink(context, pumps);
    context.Progress = &sink;
    Bitmap24 painted;
    FlowStrokePainting(photo, painted, {}, StyleSettings{}, context);
    EXPECT_EQ(context.ShownPercent(), -1);  // the progress display ended
    return painted;
  };
  const Bitmap24 white(200, 160, 0xFFFFFF);
  const Bitmap24 complete = paint(1000000000);
  // Stopped in the underpainting: the canvas stays white.
  EXPECT_EQ(paint(2), white);
  // Stopped among the stroke levels: strokes so far, no sharpening.
  const Bitmap24 partial = paint(60);
  EXPECT_NE(partial, white);
  EXPECT_NE(partial, complete);
}

TEST(PreviewPainting2, PaintsTheCropWithTheSameRules) {
  const Bitmap24 crop = NoisySyntheticPhoto(110, 110);
  StyleSettings settings = DefaultSettings();
  settings.preview = true;
  RunContext context;
  const StyleOutput output = PreviewPainting2(crop, settings, SurfaceSettings{}, context);
  EXPECT_EQ(output.picture, LiteralPainting(crop, 135, 80, 25, 135, 135));
}

// The shipped brushes: read from the generated resources, equal to what the program draws
// itself, black, transparent at their rim and dense in the middle.
TEST(FlowBrushes, AreSoftRoundBlackDabs) {
  for (int index = 0; index < kFlowBrushCount; ++index) {
    const auto brush = static_cast<FlowBrush>(index);
    SCOPED_TRACE(index);
    const FlowBrushInfo& info = kFlowBrushes[static_cast<std::size_t>(index)];
    const Bitmap32& shipped = ShippedFlowBrush(brush);
    ASSERT_EQ(shipped.Width(), info.width);
    ASSERT_EQ(shipped.Height(), info.height);
    EXPECT_EQ(shipped, GenerateFlowBrush(brush));
    int rim = 0, middle = 0;
    for (int y = 0; y < info.height; ++y) {
      for (int x = 0; x < info.width; ++x) {
        const std::uint8_t* p = shipped.Row(y) + 4 * x;
        EXPECT_EQ(p[0] + p[1] + p[2], 0);
        if (x == 0 || y == 0 || x == info.width - 1 || y == info.height - 1) rim = std::max<int>(rim, p[3]);
        if (std::abs(2 * x - info.width) < info.width / 4 && std::abs(2 * y - info.height) < info.height / 4) {
          middle += p[3];
        }
      }
    }
    EXPECT_EQ(rim, 0);
    EXPECT_GT(middle / ((info.width / 4) * (info.height / 4)), 120);
  }
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex << Fnv1a(picture)
       << std::dec;
}

}  // namespace atelion
