#include "styles/stylized/emergence_2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <set>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "support/picture_checksum.h"

namespace atelion {

// Failures name the size and checksum of a picture instead of dumping its bytes.
void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

StyleSettings Emergence2(ParameterSet sliders = FactoryDefaults(kEmergence2EffectId)) {
  StyleSettings settings;
  settings.effectId = kEmergence2EffectId;
  settings.sliders = sliders;
  settings.sourceMean = kInitialSourceMeanColour;
  return settings;
}

struct Drawn {
  Bitmap24 picture;
  RandomPolygonsEnd end = RandomPolygonsEnd::Completed;
};

Drawn Draw(const Bitmap24& source, const StyleSettings& settings, RunContext& context) {
  context.Rng.RandomSeed = 12345;  // the style must not depend on the seed it finds
  Drawn drawn{source};
  drawn.end = ShadedTriangles(source, drawn.picture, settings, context);
  return drawn;
}

Drawn Draw(const Bitmap24& source, const StyleSettings& settings) {
  RunContext context;
  return Draw(source, settings, context);
}

ShadedVertex Grey(int x, int y, float value) { return {x, y, {value, value, value}}; }

std::vector<int> RowValues(const Bitmap24& picture, int y) {
  std::vector<int> values;
  for (int x = 0; x < picture.Width(); ++x) values.push_back(picture.Row(y)[3 * x]);
  return values;
}

// ---- The triangle loop done literally as described: every trial on a scratch copy of the
// square around its point, every pixel of the area compared ----

Bitmap24 LiteralShadedTriangles(const Bitmap24& source, const StyleSettings& settings) {
  RunContext context;
  const ParameterSet& p = settings.sliders;
  const int P1 = p[0], P2 = p[1], P3 = p[2], P4 = p[3];
  const int P5 = std::max(p[4], P4);
  const int W = source.Width(), H = source.Height();
  Bitmap24 D(W, H, 0);
  context.Rng.RandomSeed = 1969;
  const std::vector<std::uint8_t> E = EmergenceDetailMap(source);
  Bitmap24 S = source;
  LocalContrastOverRepeatedEdges(S, 2 * P3, settings.sourceMean);
  AdjustBrightness(S, P3 / 8);
  const int N = 128 * P2 + 5000;
  const int K = settings.maxShown[kSlotTrackBar2] ? 3 : 1;
  const int F = settings.preview ? 0 : (W / 102 + H / 77) / 20 + 2;
  auto difference = [](const Bitmap24& a, const Bitmap24& b, int ax, int ay, int bx, int by) {
    int sum = 0;
    for (int c = 0; c < 3; ++c) sum += std::abs(a.Row(ay)[3 * ax + c] - b.Row(by)[3 * bx + c]);
    return sum;
  };
  int M = 0, R = 0;
  bool stop = false;  // set by the 800th rejection in a row, looked at by the stop checks
  // One attempt within step s.
  auto attempt = [&](int s) {
    const int A = s > 128 * P2 + 2000 ? 1000 : std::min(s / 128 + 2 * P4 + 20, 2 * P5 + 20);
    const int h = A / 2;
    int x = 0, y = 0, found = 0;
    for (int draw = 1; draw <= 76; ++draw) {
      x = context.Random(W);
      y = context.Random(H);
      if (difference(S, D, x, y, x, y) + E[static_cast<std::size_t>(y) * W + x] > P1 - s / 256) {
        found = draw;
        break;
      }
    }
    if (found == 0 || found > 74) return;
    const int q = A / 16;
    int x1 = x + q + context.Random(A - q) - h;
    int x2 = x + q + context.Random(A - q) - h;
    int y1 = y + q + context.Random(A - q) - h;
    int y2 = y + q + context.Random(A - q) - h;
    x1 = std::clamp(x1, 0, W - 1), x2 = std::clamp(x2, 0, W - 1);
    y1 = std::clamp(y1, 0, H - 1), y2 = std::clamp(y2, 0, H - 1);
    auto corner = [&](int cx, int cy) {
      const std::uint8_t* pixel = S.Row(cy) + 3 * cx;
      return ShadedVertex{cx, cy, {float(pixel[0]), float(pixel[1]), float(pixel[2])}};
    };
    ShadedTriangle triangle{corner(x, y), corner(x1, y1), corner(x2, y2)};
    if (A > 500) {
      ShadeTriangle(D, triangle);
      return;
    }
    const int Rt = std::min(x + h, W), B = std::min(y + h, H);
    const int L = std::max(x - h, 0), T = std::max(y - h, 0);
    Bitmap24 Q(A, A, 0x123456);
    CopyRect(Q, 0, 0, D, Rect{L, T, L + A, T + A});
    for (ShadedVertex& v : triangle) v.x -= L, v.y -= T;
    ShadeTriangle(Q, triangle);
    std::int64_t before = -static_cast<std::int64_t>(P1 / 8) * A, after = 0;
    for (int py = T; py < B; ++py) {
      for (int px = L; px < Rt; ++px) {
        before += difference(S, D, px, py, px, py);
        after += difference(S, Q, px, py, px - L, py - T);
      }
    }
    if (after < before) {
      DrawPicture(D, L, T, Q);
      R = 0;
    } else if (++R == 800) {
      stop = true;
    }
  };
  for (int s = N; s >= 0 && !(s % 100 == 0 && stop); --s) {
    if (s < 7000) M = (7000 - s) / (1315 - 5 * P2);
    int j = 0;
    for (; j < M * K * F + 1; ++j) {
      attempt(s);
      if (j % 50 == 0 && stop) break;
    }
    if (j < M * K * F + 1) break;
  }
  if (W < 2 || H < 2) return S;
  for (int py = 0; py < H; ++py) D.SetPixel(W - 1, py, D.Pixel(W - 2, py));
  for (int px = 0; px < W; ++px) D.SetPixel(px, H - 1, D.Pixel(px, H - 2));
  return D;
}

TEST(ShadeTriangle, DrawsHalfOpenInterpolatedSpans) {
  struct Case {
    const char* name;
    ShadedTriangle triangle;
    std::vector<std::vector<int>> rows;  // the blue bytes of each row of an 8 × 5 target
  };
  const std::vector<int> empty(8, 0);
  const Case cases[] = {
      {"corners on one row draw nothing", {Grey(0, 2, 100), Grey(7, 2, 100), Grey(3, 2, 100)},
       {empty, empty, empty, empty, empty}},
      {"bottom row and right edge column stay out", {Grey(0, 0, 50), Grey(4, 4, 50), Grey(0, 4, 50)},
       {empty, {50, 0, 0, 0, 0, 0, 0, 0}, {50, 50, 0, 0, 0, 0, 0, 0}, {50, 50, 50, 0, 0, 0, 0, 0}, empty}},
      // Row 0 runs from x = −4 (colour 0) to x = 4 (colour 160): w = 9, the step 160 / 9, and
      // column 0 starts four steps in, at 71.1; row 1 from −4 to 2 (colour 120): step 120 / 7.
      {"a span left of the picture starts at column 0, advanced",
       {Grey(-4, 0, 0), Grey(4, 0, 160), Grey(-4, 4, 0)},
       {{71, 88, 106, 124, 0, 0, 0, 0}, {68, 85, 0, 0, 0, 0, 0, 0}, empty, empty, empty}},
      {"rows below the picture end the drawing", {Grey(2, 3, 90), Grey(7, 9, 90), Grey(0, 12, 90)},
       {empty, empty, empty, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 90, 0, 0, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap24 target(8, 5, 0);
    ShadeTriangle(target, c.triangle);
    for (int y = 0; y < 5; ++y) EXPECT_EQ(RowValues(target, y), c.rows[y]) << "row " << y;
  }
  // The corners may come in any order.
  Bitmap24 first(8, 5, 0), second(8, 5, 0);
  ShadeTriangle(first, {Grey(1, 0, 10), Grey(7, 2, 200), Grey(2, 4, 90)});
  ShadeTriangle(second, {Grey(2, 4, 90), Grey(1, 0, 10), Grey(7, 2, 200)});
  EXPECT_EQ(first, second);
}

struct TrianglesCase {
  const char* name;
  int width, height;
  ParameterSet sliders;
  bool preview = false;
  bool max = false;
};

TEST(ShadedTriangles, MatchesTheLiteralTriangleLoop) {
  const TrianglesCase cases[] = {
      {"defaults, full size", 60, 44, {130, 100, 10, 15, 180}},
      {"preview, small triangles", 52, 40, {60, 20, 50, 2, 12}, true},
      {"MAX, no abstraction margin", 48, 36, {0, 255, 0, 1, 8}, false, true},
      {"greatest margin", 48, 36, {255, 0, 30, 0, 30}},
      {"minimum above maximum", 40, 30, {100, 10, 30, 60, 20}},
      {"tiny pictures", 3, 2, {130, 0, 10, 15, 180}},
      {"one column", 1, 9, {130, 0, 10, 15, 180}},
  };
  for (const TrianglesCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 source = NoisySyntheticPhoto(c.width, c.height);
    StyleSettings settings = Emergence2(c.sliders);
    settings.preview = c.preview;
    settings.maxShown[kSlotTrackBar2] = c.max;
    EXPECT_EQ(Draw(source, settings).picture, LiteralShadedTriangles(source, settings));
  }
}

TEST(ShadedTriangles, SeededRunsGiveTheSamePicture) {
  const Bitmap24 source = NoisySyntheticPhoto(60, 44);
  const Drawn first = Draw(source, Emergence2());
  EXPECT_EQ(first.picture, Draw(source, Emergence2()).picture);
  // Recorded once MatchesTheLiteralTriangleLoop passed on this fixture; any change of a single
  // output byte changes it.
  EXPECT_EQ(Fnv1a(first.picture), 0x110671e9a084d50eull);
}

TEST(ShadedTriangles, TinyPicturesAreDrawnEverywhere) {
  // Without contrast a uniform photograph stays as it is and every triangle takes its colour, so
  // the canvas, black at the start, must come back as the photograph.
  const Bitmap24 colour(1, 1, MakeColour(60, 140, 180));
  for (const auto& [width, height] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {5, 4}}) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    const Bitmap24 source(width, height, colour.Pixel(0, 0));
    for (bool preview : {false, true}) {
      StyleSettings settings = Emergence2({130, 0, 0, 15, 180});
      settings.preview = preview;
      const Drawn drawn = Draw(source, settings);
      EXPECT_EQ(drawn.picture, source);
    }
  }
  Bitmap24 empty;
  RunContext context;
  EXPECT_EQ(ShadedTriangles(Bitmap24(), empty, Emergence2(), context), RandomPolygonsEnd::Completed);
  EXPECT_TRUE(empty.Empty());
}

// Stops the run after a given number of event pumps, as a click on "stop" would.
class StopAfterPumps : public ProgressSink {
 public:
  StopAfterPumps(RunContext& context, int pumps) : context_(context), left_(pumps) {}
  void PumpEvents() override {
    if (--left_ <= 0) context_.AbortRequested = true;
  }

 private:
  RunContext& context_;
  int left_;
};

TEST(ShadedTriangles, AStopLeavesWhatWasDrawn) {
  const Bitmap24 source = NoisySyntheticPhoto(48, 40);
  const Bitmap24 complete = Draw(source, Emergence2()).picture;
  RunContext context;
  StopAfterPumps stop(context, 40);
  context.Progress = &stop;
  const Drawn drawn = Draw(source, Emergence2(), context);
  EXPECT_EQ(drawn.end, RandomPolygonsEnd::Stopped);
  EXPECT_NE(drawn.picture, complete);
  std::set<Colour> colours;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 48; ++x) colours.insert(drawn.picture.Pixel(x, y));
  EXPECT_GT(colours.size(), 20u);
}

TEST(ProcessShadedTriangles, TheCanvasBecomesTheResult) {
  // A uniform photograph is soon rebuilt; with no margin every point is a seed but no triangle
  // improves any more, so the run stops itself. That end is not a cancel: the run finishes and
  // asks for the parameters window again.
  for (const auto& [source, sliders] : {std::pair{NoisySyntheticPhoto(64, 48), ParameterSet{130, 100, 10, 2, 12}},
                                        std::pair{Bitmap24(30, 20, 0x808080), ParameterSet{0, 0, 0, 25, 130}}}) {
    RunPictures pictures;
    pictures.source = source;
    StyleSettings settings = Emergence2(sliders);
    settings.sourceMean = ComputeMeanColour(source);
    const Drawn drawn = Draw(source, settings);
    RunContext context;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    EXPECT_EQ(pictures.showParametersWindow, drawn.end == RandomPolygonsEnd::RejectionLimit);
    EXPECT_EQ(pictures.result, drawn.picture);
    EXPECT_EQ(pictures.source, source);
    if (sliders[0] == 0) EXPECT_EQ(drawn.end, RandomPolygonsEnd::RejectionLimit);
  }
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

}  // namespace atelion
