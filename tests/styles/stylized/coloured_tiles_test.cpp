#include "styles/stylized/coloured_tiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ostream>

#include "core/canvas.h"
#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "support/picture_checksum.h"

namespace atelion {

// Failures name the size and the first pixels of a picture instead of dumping its bytes.
void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::NoisySyntheticPhoto;

constexpr std::uint32_t kSeed = 4242;

// ---- The tiling done literally as described: every window summed pixel by pixel ----

struct LiteralRun {
  Bitmap24 picture;
  std::uint32_t seedAfter = 0;
};

// `stopBeforePass` ends the run before that pass (counted from 0) as a stop would: no saturation.
LiteralRun LiteralTiles(bool circles, const Bitmap24& S, ParameterSet sliders, bool preview, int stopBeforePass = -1) {
  RunContext context;
  context.Rng.RandomSeed = kSeed;
  const int P1 = sliders[0], P2 = sliders[1], P3 = sliders[2], P5 = sliders[4];
  const int P4 = std::min(sliders[3], P5);
  const int W = S.Width(), H = S.Height();
  LiteralRun run{Bitmap24(W, H, 0xFFFFFF), 0};
  Bitmap24& D = run.picture;
  const int e = P4 / 5 + 2, g = P5 / 5 + 3;
  int pass = 0;
  for (int t = g; t >= e; --t, ++pass) {
    if (pass == stopBeforePass) {
      run.seedAfter = context.Rng.RandomSeed;
      return run;
    }
    std::int64_t Nt = ((std::int64_t{W} * H / (t * t)) / (g - e + 1)) * P2 / 255 * 300 + 1;
    if (preview && Nt < 5000) Nt = 3 * Nt;
    Nt = std::min<std::int64_t>(Nt, 100000);
    for (std::int64_t i = 0; i <= Nt; ++i) {
      const int cx = context.Random(W - 1);
      const int cy = context.Random(H - 1);
      // Row 0 and column 0 are not looked at, unless the picture has no other.
      auto inside = [&](int x, int y) {
        return (x > 0 || (x == 0 && W == 1)) && (y > 0 || (y == 0 && H == 1)) && x < W && y < H;
      };
      std::int64_t n = 0, sum[3] = {0, 0, 0};
      for (int y = cy - t / 2; y <= cy + t / 2; ++y) {
        for (int x = cx - t / 2; x <= cx + t / 2; ++x) {
          if (!inside(x, y)) continue;
          ++n;
          for (int c = 0; c < 3; ++c) sum[c] += S.Row(y)[3 * x + c];
        }
      }
      int M[3] = {0, 0, 0};
      for (int c = 0; c < 3; ++c) M[c] = n == 0 ? 0 : static_cast<int>(sum[c] / n);
      std::int64_t spread = 0, mismatch = 0, painted[3] = {0, 0, 0};
      for (int y = cy - t / 2; y <= cy + t / 2; ++y) {
        for (int x = cx - t / 2; x <= cx + t / 2; ++x) {
          if (!inside(x, y)) continue;
          for (int c = 0; c < 3; ++c) {
            painted[c] += D.Row(y)[3 * x + c];
            spread += std::abs(S.Row(y)[3 * x + c] - M[c]);
            mismatch += std::abs(S.Row(y)[3 * x + c] - D.Row(y)[3 * x + c]);
          }
        }
      }
      const std::int64_t a = n == 0 ? 0 : spread / n + 15;
      const std::int64_t b = n == 0 ? 0 : mismatch / n;
      bool white = n > 0;
      for (int c = 0; c < 3; ++c) white = white && painted[c] / n > 250;
      if (a + P1 < b || white) {
        const Colour fill = MakeColour(M[2], M[1], M[0]);
        const Rect box{cx - t, cy - t, cx + t, cy + t};
        if (circles) {
          DrawEllipse(D, box, Pen{MakeColour(std::max(M[2] - 10, 0), std::max(M[1] - 10, 0), std::max(M[0] - 10, 0)), 1},
                      fill);
        } else {
          FillRect(D, box, fill);
        }
      }
    }
  }
  run.seedAfter = context.Rng.RandomSeed;
  // White runs of at most e pixels, first down each column, then along each row, take the colour
  // before them (after them at the top or left edge).
  auto white = [&](int x, int y) { return D.Pixel(x, y) == 0xFFFFFF; };
  for (int x = 0; x < W; ++x) {
    for (int y = 0; y < H;) {
      int end = y;
      while (end < H && white(x, end)) ++end;
      if (end > y && end - y <= e && (y > 0 || end < H)) {
        const Colour colour = y > 0 ? D.Pixel(x, y - 1) : D.Pixel(x, end);
        for (int k = y; k < end; ++k) D.SetPixel(x, k, colour);
      }
      y = std::max(end, y + 1);
    }
  }
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W;) {
      int end = x;
      while (end < W && white(end, y)) ++end;
      if (end > x && end - x <= e && (x > 0 || end < W)) {
        const Colour colour = x > 0 ? D.Pixel(x - 1, y) : D.Pixel(end, y);
        for (int k = x; k < end; ++k) D.SetPixel(k, y, colour);
      }
      x = std::max(end, x + 1);
    }
  }
  AdjustSaturation(D, (P3 - 50) * 2, context);
  return run;
}

StyleSettings Tiles(bool circles, ParameterSet sliders, bool preview) {
  StyleSettings settings;
  settings.effectId = circles ? kColouredDotsEffectId : kPixelationEffectId;
  settings.sliders = sliders;
  settings.preview = preview;
  return settings;
}

struct Drawn {
  Bitmap24 picture;
  bool completed = false;
  std::uint32_t seedAfter = 0;
};

Drawn Draw(bool circles, const Bitmap24& source, ParameterSet sliders, bool preview, RunContext& context,
           Bitmap24* shown = nullptr) {
  context.Rng.RandomSeed = kSeed;
  const StyleSettings settings = Tiles(circles, sliders, preview);
  Drawn drawn;
  drawn.completed = circles ? ColouredCircles(source, drawn.picture, settings, context, shown)
                            : ColouredSquares(source, drawn.picture, settings, context, shown);
  drawn.seedAfter = context.Rng.RandomSeed;
  return drawn;
}

Drawn Draw(bool circles, const Bitmap24& source, ParameterSet sliders, bool preview) {
  RunContext context;
  return Draw(circles, source, sliders, preview, context);
}

// Stops the run at a given event pump, as a click on "stop" would; counts the pumps.
class StopAtPump : public ProgressSink {
 public:
  StopAtPump(RunContext& context, int stopAt) : context_(context), stopAt_(stopAt) {}
  void PumpEvents() override {
    if (++pumps == stopAt_) context_.AbortRequested = true;
  }
  int pumps = 0;

 private:
  RunContext& context_;
  int stopAt_;
};

struct TilesCase {
  const char* name;
  bool circles;
  int width, height;
  ParameterSet sliders;
  bool preview;
};

TEST(ColouredTiles, MatchesTheLiteralTileLoop) {
  const TilesCase cases[] = {
      {"squares, defaults, full size", false, 120, 90, {65, 100, 55, 15, 180}, false},
      {"dots, defaults, full size", true, 120, 90, {65, 100, 55, 15, 180}, false},
      {"squares, preview triples small passes", false, 80, 70, {65, 100, 55, 15, 180}, true},
      {"dots, preview, no abstraction", true, 80, 70, {0, 60, 50, 0, 40}, true},
      {"tiles larger than the picture", false, 23, 17, {30, 255, 80, 200, 255}, false},
      {"dots larger than the picture", true, 23, 17, {30, 255, 0, 200, 255}, true},
      {"minimum above maximum", true, 64, 48, {65, 100, 55, 120, 40}, false},
      {"no tiles asked for", false, 64, 48, {65, 0, 100, 15, 180}, false},
      {"greatest abstraction", true, 64, 48, {255, 255, 55, 0, 255}, false},
  };
  for (const TilesCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 source = NoisySyntheticPhoto(c.width, c.height);
    const Drawn drawn = Draw(c.circles, source, c.sliders, c.preview);
    const LiteralRun literal = LiteralTiles(c.circles, source, c.sliders, c.preview);
    EXPECT_TRUE(drawn.completed);
    EXPECT_EQ(drawn.picture, literal.picture);
    EXPECT_EQ(drawn.seedAfter, literal.seedAfter);
  }
}

TEST(ColouredTiles, TheAttemptsPerPassFollowTheCountAndThePreview) {
  // No tiles asked for: Nt = 1, so a full-size pass makes two attempts and a preview pass four;
  // each attempt draws two random numbers. Sizes 15 and 40 give passes 5..11.
  const Bitmap24 source = NoisySyntheticPhoto(40, 30);
  for (const auto& [preview, attemptsPerPass] : {std::pair{false, 2}, std::pair{true, 4}}) {
    RandomGenerator expected;
    expected.RandomSeed = kSeed;
    for (int draw = 0; draw < 7 * attemptsPerPass * 2; ++draw) expected.Random(2);
    EXPECT_EQ(Draw(false, source, {65, 0, 50, 15, 40}, preview).seedAfter, expected.RandomSeed) << preview;
  }
}

TEST(ColouredTiles, AMinimumAboveTheMaximumIsLoweredToIt) {
  const Bitmap24 source = NoisySyntheticPhoto(48, 40);
  for (bool circles : {false, true}) {
    StyleSettings settings = Tiles(circles, {65, 100, 55, 200, 60}, true);
    RunContext context;
    context.Rng.RandomSeed = kSeed;
    const StyleOutput output = circles ? PreviewColouredCircles(source, settings, SurfaceSettings{}, context)
                                       : PreviewColouredSquares(source, settings, SurfaceSettings{}, context);
    EXPECT_EQ(output.sliders[kSlotTrackBar3], 60);
    EXPECT_EQ(output.sliders[kSlotTrackBar4], 60);
    EXPECT_EQ(output.picture, Draw(circles, source, {65, 100, 55, 60, 60}, true).picture);
  }
}

TEST(ColouredTiles, TinyPicturesAreTiled) {
  // A uniform photograph: every tile takes its colour (and at neutral colour intensity keeps it),
  // the dots' outline a slightly darker one. Small pictures are covered; on the long thin ones
  // the few small tiles the count allows leave white gaps, but most of the picture is tiled.
  const Colour colour = MakeColour(40, 90, 150), outline = MakeColour(30, 80, 140);
  for (const auto& [width, height] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 7}, {1, 1000}, {3000, 2}}) {
    for (bool circles : {false, true}) {
      SCOPED_TRACE(testing::Message() << width << "x" << height << (circles ? " dots" : " squares"));
      const Bitmap24 source(width, height, colour);
      for (bool preview : {false, true}) {
        const Drawn drawn = Draw(circles, source, {65, 100, 50, 15, 180}, preview);
        EXPECT_TRUE(drawn.completed);
        ASSERT_EQ(drawn.picture.Width(), width);
        ASSERT_EQ(drawn.picture.Height(), height);
        int tiled = 0, other = 0;
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) {
            const Colour pixel = drawn.picture.Pixel(x, y);
            tiled += pixel == colour || (circles && pixel == outline);
            other += pixel != colour && pixel != 0xFFFFFF && !(circles && pixel == outline);
          }
        }
        EXPECT_EQ(other, 0);
        if (width * height <= 8) {
          EXPECT_EQ(tiled, width * height);
        } else {
          EXPECT_GT(tiled, width * height * 9 / 10);
        }
      }
      // Sizes far beyond the picture, and a noisy photograph, against the literal rule.
      const Bitmap24 noisy = NoisySyntheticPhoto(width, height);
      EXPECT_EQ(Draw(circles, noisy, {20, 255, 70, 255, 255}, false).picture,
                LiteralTiles(circles, noisy, {20, 255, 70, 255, 255}, false).picture);
    }
  }
  Bitmap24 empty;
  RunContext context;
  EXPECT_TRUE(ColouredSquares(Bitmap24(), empty, Tiles(false, {65, 100, 55, 15, 180}, false), context));
  EXPECT_TRUE(empty.Empty());
}

TEST(ColouredTiles, NoCanvasShowsBetweenTheTiles) {
  // Tiles are judged by the middle of their area and never look at row 0 or column 0; the
  // slivers and edge strips they leave are filled, so on a photograph without pure white no
  // white pixel remains.
  const Bitmap24 source = NoisySyntheticPhoto(320, 240);
  for (bool circles : {false, true}) {
    for (bool preview : {false, true}) {
      const Bitmap24 picture = Draw(circles, source, {65, 100, 55, 15, 180}, preview).picture;
      int white = 0;
      for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) white += picture.Pixel(x, y) == 0xFFFFFF;
      EXPECT_EQ(white, 0) << circles << preview;
    }
  }
}

TEST(ColouredTiles, AStopKeepsTheTilesOfTheFinishedPassesWithoutSaturation) {
  // The preview pumps once at the start of each pass and never per tile, so a stop raised at the
  // third pump ends the run before the third pass.
  const Bitmap24 source = NoisySyntheticPhoto(64, 48);
  for (bool circles : {false, true}) {
    RunContext context;
    StopAtPump stop(context, 3);
    context.Progress = &stop;
    const Drawn drawn = Draw(circles, source, {65, 100, 20, 15, 180}, true, context);
    EXPECT_FALSE(drawn.completed);
    const LiteralRun literal = LiteralTiles(circles, source, {65, 100, 20, 15, 180}, true, 2);
    EXPECT_EQ(drawn.picture, literal.picture);
    EXPECT_EQ(drawn.seedAfter, literal.seedAfter);
  }
  {
    // At full size the shown result receives what was drawn.
    RunContext context;
    context.AbortRequested = true;
    Bitmap24 shown = source;
    const Drawn drawn = Draw(false, source, {65, 100, 55, 15, 180}, false, context, &shown);
    EXPECT_FALSE(drawn.completed);
    EXPECT_EQ(drawn.picture, Bitmap24(64, 48, 0xFFFFFF));
    EXPECT_EQ(shown, drawn.picture);
  }
}

TEST(ColouredTiles, TilesAtFullSizePumpEventsByTimeNotPerTile) {
  // A pass throws up to 100001 tiles; the shell's events are handled at the start of each pass
  // and otherwise at most once every few milliseconds.
  const Bitmap24 source = NoisySyntheticPhoto(400, 300);
  RunContext context;
  StopAtPump count(context, -1);
  context.Progress = &count;
  const auto start = std::chrono::steady_clock::now();
  const Drawn drawn = Draw(true, source, {65, 255, 55, 0, 255}, false, context);
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  const int passes = 255 / 5 + 3 - 2 + 1;
  EXPECT_TRUE(drawn.completed);
  EXPECT_GE(count.pumps, passes);
  // The saturation step pumps once per row.
  EXPECT_LE(count.pumps, passes + 300 + elapsed.count() + 1);
}

TEST(ProcessColouredTiles, ThePaintingBecomesTheResult) {
  const Bitmap24 source = NoisySyntheticPhoto(64, 48);
  for (bool circles : {false, true}) {
    RunPictures pictures;
    pictures.source = source;
    StyleSettings settings = Tiles(circles, {65, 100, 55, 150, 100}, false);
    RunContext context;
    context.Rng.RandomSeed = kSeed;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    EXPECT_EQ(settings.sliders[kSlotTrackBar3], 100);
    EXPECT_EQ(pictures.result, LiteralTiles(circles, source, {65, 100, 55, 100, 100}, false).picture);
    EXPECT_EQ(pictures.untexturedCopy, pictures.result);
    EXPECT_EQ(pictures.source, source);
  }
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture);
  for (int x = 0; x < std::min(picture.Width(), 4) && picture.Height() > 0; ++x) *out << " " << picture.Pixel(x, 0);
  *out << std::dec;
}

}  // namespace atelion
