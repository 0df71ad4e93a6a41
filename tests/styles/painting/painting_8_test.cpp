#include "styles/painting/painting_8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "core/rotate_bitmap.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "styles/painting/brush_sheet.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

Bitmap24 Photo(int width, int height) { return testing_support::NoisySyntheticPhoto(width, height); }

using testing_support::Fnv1a;

StyleSettings Painting8Settings(ParameterSet sliders, const Bitmap24& source) {
  StyleSettings settings;
  settings.effectId = kPainting8EffectId;
  settings.sliders = sliders;
  settings.sourceMean = ComputeMeanColour(source);
  return settings;
}

// What Painting 8 hands the stroke engine: its precision and stroke sliders, its own progress.
StampOptions Painting8Options(const StyleSettings& settings) {
  return {.precision = settings.sliders[kSlotTrackBar5], .pause = settings.sliders[kSlotTrackBar2],
          .progress = StampProgress::ExpressivePainting};
}

// ---- A literal version of the stroke engine, written straight from the rules: the grid indexed
// by column then row, the two fixed stroke lists, repeated minimum search per block and a paint
// patch copied out and back. The fast engine must give the same bytes. ----

void ReferenceBrushStampPainting(const Bitmap24& S, Bitmap24& D, int size, int perBlock, int spread,
                                 int brushChoice, const StyleSettings& settings, RunContext& context) {
  if (context.AbortRequested) return;
  if (size % 2 != 0) ++size;
  const int h = size / 2;
  context.Rng.RandomSeed = 1969;
  const int W = D.Width();
  const int H = D.Height();
  const int Q = settings.sliders[kSlotTrackBar5];
  const int B = settings.sliders[kSlotTrackBar2];
  struct Cell {
    int orientation = 0;
    int error = 99999999;
    int red = 0, green = 0, blue = 0;
  };
  std::vector<Cell> grid(static_cast<std::size_t>(W) * H);
  auto cell = [&](int x, int y) -> Cell& { return grid[static_cast<std::size_t>(x) * H + y]; };
  auto s = [&](int x, int y, int ch) { return static_cast<int>(S.Row(y)[3 * x + ch]); };
  std::vector<int> E(static_cast<std::size_t>(W) * H, 0);
  auto detail = [&](int x, int y) -> int& { return E[static_cast<std::size_t>(x) * H + y]; };
  for (int x = 1; x <= W - 2; ++x) {
    for (int y = 1; y <= H - 2; ++y) {
      int total = 0;
      for (int ch = 0; ch < 3; ++ch) {
        const int neighbours = s(x - 1, y - 1, ch) + s(x, y - 1, ch) + s(x + 1, y - 1, ch) + s(x - 1, y, ch) +
                               s(x + 1, y, ch) + s(x - 1, y + 1, ch) + s(x, y + 1, ch) + s(x + 1, y + 1, ch);
        total += std::abs(s(x, y, ch) - (neighbours >> 3));
      }
      detail(x, y) = total / 3;
    }
  }
  const Bitmap24 brush = StampBrushPicture(brushChoice, settings);
  std::vector<Bitmap24> stamps;
  for (int t = 0; t < 10; ++t) {
    Bitmap24 stamp(size, size);
    Resample(brush, stamp);
    Bitmap24 R;
    if (t == 0) RotateQuarterInto(0, stamp, R);
    else if (t == 5) RotateQuarterInto(1, stamp, R);
    else RotateBitmap(stamp, R, 18 * t, context);
    CopyRect(stamp, 0, 0, R, Rect{0, 0, size, size});
    stamps.push_back(stamp);
  }
  auto mask = [&](int t, int i, int j) { return static_cast<int>(stamps[t].Row(j)[3 * i + 2]); };
  std::int64_t ink = 0;
  for (int j = 0; j < size; ++j) {
    for (int i = 0; i < size; ++i) {
      if (mask(0, i, j) < 245) ink += 255 - mask(0, i, j);
    }
  }
  ink = ink * (125 - Q) / 5;
  int q = 0;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const std::int64_t thr = ink + context.Random(static_cast<int>(ink >> 3));
      if (detail(x, y) >= 5) q = 0;
      if (q > 0) --q;
      const int r = context.Random(spread);
      if (!(r >= 97 - detail(x, y) && q == 0)) continue;
      if (context.AbortRequested) return;
      Cell& c = cell(x, y);
      for (int t = 0; t < 10; ++t) {
        int sums[3] = {0, 0, 0};
        int k = 0;
        for (int j = 0; j < size; ++j) {
          for (int i = 0; i < size; ++i) {
            const int X = x + i - h;
            const int Y = y + j - h;
            if (mask(t, i, j) < 245 && X >= 0 && X < W - 1 && Y >= 0 && Y < H - 1) {
              for (int ch = 0; ch < 3; ++ch) sums[ch] += s(X, Y, ch);
              ++k;
            }
          }
        }
        int mean[3] = {0, 0, 0};
        if (k > 0) {
          for (int ch = 0; ch < 3; ++ch) mean[ch] = sums[ch] / k;
        }
        int e = 0;
        for (int Y = std::max(0, y - h); Y <= std::min(H, y + h) - 1; ++Y) {
          for (int X = std::max(0, x - h); X <= std::min(W, x + h) - 1; ++X) {
            const int w = 255 - mask(t, X - x + h, Y - y + h);
            if (w > 10) {
              e += ((std::abs(s(X, Y, 0) - mean[0]) + std::abs(s(X, Y, 1) - mean[1]) +
                     std::abs(s(X, Y, 2) - mean[2])) * w) >> 5;
            }
          }
        }
        if (e < c.error) c = {t, e, mean[2], mean[1], mean[0]};
      }
      if (c.error <= thr) {
        if (c.error <= (thr >> 3)) q = 33 - (B >> 3);
        const int g = 14 - std::min(detail(x, y), 12);
        const int ox = context.Random(g) - g / 2;
        const int oy = context.Random(g) - g / 2;
        const int colour[3] = {c.blue, c.green, c.red};
        for (int Y = y - h + std::abs(oy); Y <= y + h - std::abs(oy) - 1; ++Y) {
          for (int X = x - h + std::abs(ox); X <= x + h - std::abs(ox) - 1; ++X) {
            if (X < 0 || X >= W || Y < 0 || Y >= H) continue;
            const int m = mask(c.orientation, X - x + h - ox, Y - y + h - oy);
            if (m >= 245) continue;
            for (int ch = 0; ch < 3; ++ch) {
              std::uint8_t& d = D.Row(Y)[3 * X + ch];
              d = static_cast<std::uint8_t>((d * m + colour[ch] * (255 - m)) >> 8);
            }
          }
        }
      }
    }
  }
  std::vector<int> listX(2501, 0);
  std::vector<int> listY(2501, 0);
  const std::int64_t limit = ink * 100 / 250;
  for (int by = H / size - 1; by >= 1; --by) {
    for (int bx = W / size - 1; bx >= 1; --bx) {
      int k0 = -1;
      for (int k = perBlock; k >= 0; --k) {
        int best = 99999999;
        int bestX = 0;
        int bestY = 0;
        for (int X = bx * size - h; X <= bx * size + h - 1; ++X) {
          for (int Y = by * size - h; Y <= by * size + h - 1; ++Y) {
            if (cell(X, Y).error < best) best = cell(X, Y).error, bestX = X, bestY = Y;
          }
        }
        listX[k] = bestX;
        listY[k] = bestY;
        cell(bestX, bestY).error = 99999999;
        if (best > limit) {
          k0 = k;
          break;
        }
      }
      for (int k = k0 + 1; k <= perBlock; ++k) {
        const int X = listX[k];
        const int Y = listY[k];
        if (X == 0 || Y == 0) continue;
        Bitmap24 P(size, size);
        CopyRect(P, 0, 0, D, Rect{X - h, Y - h, X + h, Y + h});
        const Cell& c = cell(X, Y);
        const int colour[3] = {c.blue, c.green, c.red};
        for (int j = 0; j < size; ++j) {
          for (int i = 0; i < size; ++i) {
            const int m = mask(c.orientation, i, j);
            std::uint8_t* p = P.Row(j) + 3 * i;
            if (perBlock - k > 2 || detail(X, Y) < 10) {
              if (m < 245) {
                for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<std::uint8_t>((p[ch] * m + colour[ch] * (255 - m)) >> 8);
              }
            } else if (m < 240) {
              const int d = std::abs(perBlock - k);
              for (int ch = 0; ch < 3; ++ch) {
                const int t = std::clamp(colour[ch] + d - 1, 0, 255);
                p[ch] = static_cast<std::uint8_t>((((p[ch] * 50 + t * 50) / 100) + ((p[ch] * m + colour[ch] * (255 - m)) >> 8)) >> 1);
              }
            }
          }
        }
        DrawPicture(D, X - h, Y - h, P);
      }
      if (context.AbortRequested) return;
    }
  }
}

struct EngineCase {
  const char* name;
  int width, height;
  int size, perBlock, spread, brushChoice;
  int precision, strokes;  // the TrackBar5 and TrackBar2 positions the engine reads
  bool customBrush;
};

class BrushStampEngine : public ::testing::TestWithParam<EngineCase> {};

TEST_P(BrushStampEngine, MatchesTheLiteralRules) {
  const EngineCase& c = GetParam();
  const Bitmap24 source = Photo(c.width, c.height);
  StyleSettings settings = Painting8Settings({50, c.strokes, c.precision, 85, 215}, source);
  settings.customBrushInUse = c.customBrush;

  Bitmap24 fast = source;
  RunContext fastContext;
  BrushStampPainting(source, fast, c.size, c.perBlock, c.spread, c.brushChoice, Painting8Options(settings), settings, fastContext);
  Bitmap24 reference = source;
  RunContext referenceContext;
  ReferenceBrushStampPainting(source, reference, c.size, c.perBlock, c.spread, c.brushChoice, settings,
                              referenceContext);
  EXPECT_EQ(fast, reference);
  EXPECT_EQ(fastContext.Rng.RandomSeed, referenceContext.Rng.RandomSeed) << "the same number of draws";
  if (c.width >= 8 && c.height >= 8) {
    EXPECT_NE(fast, source) << "strokes were laid";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrushStampEngine,
    ::testing::Values(
        EngineCase{"LargeBrushManyStrokes", 72, 56, 16, 20, 110, 1, 70, 25, false},
        EngineCase{"OddSizeFewStrokesPerBlock", 64, 48, 9, 3, 150, 2, 30, 255, false},
        EngineCase{"NoPrecisionOneStrokePerBlock", 50, 37, 12, 0, 200, 1, 0, 0, false},
        EngineCase{"HighPrecisionTightThreshold", 60, 44, 10, 40, 180, 2, 100, 100, false},
        EngineCase{"CustomBrush", 70, 40, 20, 50, 140, 1, 60, 25, true},
        EngineCase{"NoBlockFitsBelowTwiceTheBrush", 30, 70, 16, 10, 160, 1, 70, 25, false},
        EngineCase{"TinyPicture", 5, 4, 16, 10, 200, 1, 70, 25, false},
        EngineCase{"OnePixel", 1, 1, 8, 10, 200, 2, 70, 25, false},
        EngineCase{"TwoByThree", 2, 3, 8, 10, 200, 1, 70, 25, false}),
    [](const ::testing::TestParamInfo<EngineCase>& info) { return std::string(info.param.name); });

TEST(BrushStampPainting, OddSizeIsRaisedByOne) {
  const Bitmap24 source = Photo(64, 48);
  const StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), source);
  Bitmap24 odd = source;
  Bitmap24 even = source;
  RunContext context;
  BrushStampPainting(source, odd, 15, 30, 120, 1, Painting8Options(settings), settings, context);
  BrushStampPainting(source, even, 16, 30, 120, 1, Painting8Options(settings), settings, context);
  EXPECT_EQ(odd, even);
}

TEST(BrushStampPainting, WhiteBrushPaintsNothing) {
  const Bitmap24 source = Photo(48, 40);
  StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), source);
  const Bitmap24 white(64, 64, 0xFFFFFF);
  settings.customBrushInUse = true;
  settings.customBrush = &white;
  Bitmap24 painted = source;
  RunContext context;
  BrushStampPainting(source, painted, 16, 100, 200, 1, Painting8Options(settings), settings, context);
  EXPECT_EQ(painted, source);
}

TEST(BrushStampPainting, StopRequestedBeforehandLeavesThePictureAndTheGenerator) {
  const Bitmap24 source = Photo(48, 40);
  const StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), source);
  Bitmap24 painted(48, 40, 0x123456);
  RunContext context;
  context.Rng.RandomSeed = 77;
  context.AbortRequested = true;
  BrushStampPainting(source, painted, 16, 10, 200, 1, Painting8Options(settings), settings, context);
  EXPECT_EQ(painted, Bitmap24(48, 40, 0x123456));
  EXPECT_EQ(context.Rng.RandomSeed, 77u);
}

// Requests a stop at the n-th event pump, as a click on the cancel button would.
class StopAfterPumps : public ProgressSink {
 public:
  StopAfterPumps(RunContext& context, int pumps) : context_(context), left_(pumps) {}
  void PumpEvents() override {
    if (--left_ == 0) context_.AbortRequested = true;
  }

 private:
  RunContext& context_;
  int left_;
};

TEST(BrushStampPainting, StopDuringTheFirstPhaseKeepsTheStrokesLaidSoFar) {
  const Bitmap24 source = Photo(96, 80);
  const StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), source);
  Bitmap24 complete = source;
  RunContext fullContext;
  BrushStampPainting(source, complete, 16, 30, 150, 1, Painting8Options(settings), settings, fullContext);

  Bitmap24 stopped = source;
  RunContext context;
  StopAfterPumps sink(context, 40);
  context.Progress = &sink;
  BrushStampPainting(source, stopped, 16, 30, 150, 1, Painting8Options(settings), settings, context);
  EXPECT_TRUE(context.AbortRequested);
  EXPECT_NE(stopped, source) << "strokes before the stop stay";
  EXPECT_NE(stopped, complete) << "the run ended early";
  // The rows far below the stop point are untouched.
  for (int y = 70; y < 80; ++y) {
    EXPECT_TRUE(std::equal(stopped.Row(y), stopped.Row(y) + stopped.RowBytes(), source.Row(y))) << y;
  }
}

// Records every percentage shown.
class PercentRecorder : public ProgressSink {
 public:
  std::vector<int> percents;
  void ShowProgress(int percent, Colour) override { percents.push_back(percent); }
};

TEST(BrushStampPainting, ProgressPhasesFollowTheCallingStyle) {
  struct Case {
    StampProgress progress;
    int brushChoice;
    int lowest, highest;  // the shown percentages lie in these phases of four
  };
  for (const Case& c : {Case{StampProgress::ExpressivePainting, 1, 0, 50},
                        Case{StampProgress::ExpressivePainting, 2, 50, 100},
                        Case{StampProgress::WatercolourContours, 2, 50, 75}}) {
    SCOPED_TRACE(static_cast<int>(c.progress) * 10 + c.brushChoice);
    const Bitmap24 source = Photo(64, 64);
    StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), source);
    StampOptions options = Painting8Options(settings);
    options.progress = c.progress;
    Bitmap24 painted = source;
    RunContext context;
    PercentRecorder recorder;
    context.Progress = &recorder;
    context.Processing = true;
    BrushStampPainting(source, painted, 16, 10, 150, c.brushChoice, options, settings, context);
    ASSERT_FALSE(recorder.percents.empty());
    EXPECT_GE(*std::min_element(recorder.percents.begin(), recorder.percents.end()), c.lowest);
    EXPECT_LE(*std::max_element(recorder.percents.begin(), recorder.percents.end()), c.highest);
  }
}

// ---- Painting 8 as a whole ----

// The local contrast of the style, literally: the picture grown by 5 pixels on every side, each
// added pixel repeating the nearest edge pixel, goes through LocalContrast and is cut back.
void ContrastOverRepeatedEdges(Bitmap24& picture, int amount, const MeanColour& sourceMean) {
  const int width = picture.Width(), height = picture.Height();
  Bitmap24 grown(width + 10, height + 10);
  for (int y = 0; y < height + 10; ++y) {
    for (int x = 0; x < width + 10; ++x) {
      grown.SetPixel(x, y, picture.Pixel(std::clamp(x - 5, 0, width - 1), std::clamp(y - 5, 0, height - 1)));
    }
  }
  LocalContrast(grown, amount, sourceMean);
  CopyRect(picture, 0, 0, grown, Rect{5, 5, width + 5, height + 5});
}

TEST(ExpressivePainting, SeededRunsAreIdenticalAndMatchTheGoldenChecksum) {
  const Bitmap24 photo = Photo(48, 40);
  Bitmap24 first;
  for (int run = 0; run < 2; ++run) {
    Bitmap24 source = photo;
    Bitmap24 painted = photo;
    StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), photo);
    RunContext context;
    context.Rng.RandomSeed = 5u + run;  // the engine sets its own seed
    ExpressivePainting(source, painted, settings, context);
    if (run == 0) first = painted;
    else EXPECT_EQ(painted, first);
  }
  // Computed once from this implementation after checking it line by line against the rules
  // of the stroke engine and the order of the sharpening steps; any changed byte shows here.
  EXPECT_EQ(Fnv1a(first), 0x0a5b68b3f04e6a84ull);
}

TEST(ExpressivePainting, StepsAreSharpenPaintSharpenDetailPassSharpen) {
  for (const int details : {0, 120}) {
    SCOPED_TRACE(details);
    const Bitmap24 photo = Photo(72, 60);
    const ParameterSet sliders{100, 60, 50, 90, details};
    StyleSettings settings = Painting8Settings(sliders, photo);
    Bitmap24 source = photo;
    Bitmap24 painted = photo;
    RunContext context;
    ExpressivePainting(source, painted, settings, context);

    StyleSettings plain = Painting8Settings(sliders, photo);
    Bitmap24 expectedSource = photo;
    Bitmap24 expected = photo;
    ContrastOverRepeatedEdges(expectedSource, 90 / 5, plain.sourceMean);
    const int brush = 100 / 4 + 15;
    const int perBlock = 50 * brush * brush / 256;
    BrushStampPainting(expectedSource, expected, brush, perBlock, 60 / 4 + 98, 1, Painting8Options(plain), plain, context);
    Sharpen3(expected);
    if (details > 0) {
      BrushStampPainting(expectedSource, expected, brush * 100 / 185, perBlock, details / 3 + 25, 2, Painting8Options(plain), plain, context);
    }
    ContrastOverRepeatedEdges(expected, 90 / 4, plain.sourceMean);
    EXPECT_EQ(source, expectedSource) << "the source stays sharpened";
    EXPECT_EQ(painted, expected);
  }
}

// The contrast steps see the photograph continue past its edges: a photograph of one colour comes
// out with its outermost rows and columns as bright as the lines further in, with no darker band
// along the right and bottom edges.
TEST(ExpressivePainting, EdgesAreNotDarkenedByTheContrastSteps) {
  for (const Colour colour : {MakeColour(120, 140, 90), MakeColour(200, 190, 170), MakeColour(40, 60, 150)}) {
    const Bitmap24 photo(96, 72, colour);
    Bitmap24 source = photo;
    Bitmap24 painted = photo;
    StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), photo);
    RunContext context;
    ExpressivePainting(source, painted, settings, context);
    // Mean brightness (sum of the channels) of line d counted from one edge, over the part of the
    // line away from the other edges.
    auto lineMean = [&](int side, int d) {
      long sum = 0, count = 0;
      const int length = side < 2 ? 72 : 96;
      for (int t = 12; t < length - 12; ++t) {
        const int x = side == 0 ? d : side == 1 ? 95 - d : t;
        const int y = side == 2 ? d : side == 3 ? 71 - d : t;
        const Colour p = painted.Pixel(x, y);
        sum += RedOf(p) + GreenOf(p) + BlueOf(p);
        ++count;
      }
      return static_cast<double>(sum) / count;
    };
    for (int side = 0; side < 4; ++side) {
      const double inside = (lineMean(side, 6) + lineMean(side, 7) + lineMean(side, 8) + lineMean(side, 9)) / 4;
      for (int d = 0; d < 6; ++d) {
        EXPECT_NEAR(lineMean(side, d), inside, 4.0) << "colour " << std::hex << colour << std::dec << ", "
                                                    << (side == 0 ? "left" : side == 1 ? "right" : side == 2 ? "top" : "bottom")
                                                    << " line " << d;
      }
    }
  }
}

class PreviewRecorder : public PreviewSink {
 public:
  int shown = 0;
  void ShowPreviewProgress(const Bitmap24&, int percent) override {
    ++shown;
    EXPECT_EQ(percent, -1);
  }
};

TEST(ExpressivePainting, PreviewPaintsTheSameAndShowsIntermediatePictures) {
  const Bitmap24 photo = Photo(64, 48);
  Bitmap24 fullSource = photo;
  Bitmap24 full = photo;
  StyleSettings fullSettings = Painting8Settings(FactoryDefaults(kPainting8EffectId), photo);
  RunContext fullContext;
  ExpressivePainting(fullSource, full, fullSettings, fullContext);

  Bitmap24 previewSource = photo;
  Bitmap24 preview = photo;
  StyleSettings previewSettings = Painting8Settings(FactoryDefaults(kPainting8EffectId), photo);
  previewSettings.preview = true;
  RunContext previewContext;
  PreviewRecorder recorder;
  previewContext.Preview = &recorder;
  ExpressivePainting(previewSource, preview, previewSettings, previewContext);
  EXPECT_EQ(preview, full);
  EXPECT_GT(recorder.shown, 0);
  EXPECT_FALSE(previewContext.Processing);
}

TEST(ProcessExpressivePainting, FullSizeRunPaintsSharpensTheSourceAndHandlesTinyPictures) {
  for (const auto& [width, height] : {std::pair{80, 60}, std::pair{1, 1}, std::pair{3, 2}, std::pair{2, 90}}) {
    SCOPED_TRACE(width * 1000 + height);
    const Bitmap24 photo = Photo(width, height);
    RunPictures pictures;
    pictures.source = photo;
    StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), photo);
    RunContext context;
    ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    EXPECT_EQ(pictures.result.Width(), width);
    EXPECT_EQ(pictures.result.Height(), height);
    EXPECT_EQ(pictures.untexturedCopy, pictures.result);
    EXPECT_FALSE(context.Processing);
    EXPECT_FALSE(context.AbortRequested);
    if (width >= 80) {
      EXPECT_NE(pictures.result, photo);
      EXPECT_NE(pictures.source, photo) << "the document's source is sharpened in place";
    }
  }
}

TEST(ProcessExpressivePainting, StopAfterTheFirstPassSkipsTheRest) {
  const Bitmap24 photo = Photo(96, 80);
  RunPictures pictures;
  pictures.source = photo;
  StyleSettings settings = Painting8Settings(FactoryDefaults(kPainting8EffectId), photo);
  RunContext context;
  StopAfterPumps sink(context, 60);
  context.Progress = &sink;
  EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Aborted);
  EXPECT_TRUE(context.AbortRequested);
  EXPECT_FALSE(context.Processing);
  EXPECT_NE(pictures.result, photo) << "the strokes laid before the stop stay";
}

}  // namespace
}  // namespace atelion
