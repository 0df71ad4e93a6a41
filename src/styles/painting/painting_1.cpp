// The watercolour walk. At every step the walker looks at its eight neighbours for the closest
// colour (a small random allowance decides near ties), then either blends its carried colour with
// that neighbour's and writes the mix to both pixels, or, when the two are almost equal, just
// pushes the colour on. A step without any neighbour close enough ends the walk there and the
// walker jumps to a random pixel. Every couple of hundred steps the carried colour is made a
// little more saturated, so the washes keep their colour.
#include "styles/painting/painting_1.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "core/filters.h"
#include "core/hls.h"
#include "styles/painting/edge_strokes.h"
#include "styles/painting/painting_8.h"
#include "styles/painting/paper_tables.h"

namespace atelion {

namespace {

// The contour strokes: edge stroke threshold, sharpening, brush side, strokes per block, spread.
constexpr int kEdgeThreshold = 15;
constexpr int kStrokeSharpening = 35;
constexpr int kStrokeBrushSize = 10;
constexpr int kStrokesPerBlock = 100;
constexpr int kStrokeSpread = 100;
constexpr int kStrokeBrush = 2;
// Edge intensities up to this draw no contour strokes.
constexpr int kNoStrokesUpTo = 10;
constexpr int kFinalSharpening = 25;
// Colour strengthening in percent of the distance from the pixel's grey.
constexpr int kColourStrengthening = 12;
// Saturation lift of the carried colour, in percent.
constexpr int kSaturationLift = 102;
// A neighbour distance no pixel reaches: nothing found yet.
constexpr int kNoNeighbour = 500;
constexpr int kNoDirection = -100;
constexpr int kStepsPerPump = 100;
// Walk passes after which the painting is shown as it grows.
constexpr int kFirstShownPass = 3;

// The generator step s := s · a + c as a map; maps compose, so n steps take log n compositions.
struct LcgMap {
  std::uint32_t multiplier = 1, increment = 0;
  // This map, then `next`.
  constexpr LcgMap Then(const LcgMap& next) const {
    return {next.multiplier * multiplier, next.multiplier * increment + next.increment};
  }
  constexpr std::uint32_t Apply(std::uint32_t seed) const { return seed * multiplier + increment; }
};
constexpr LcgMap kOneDraw{134775813u, 1u};

constexpr LcgMap Draws(std::uint64_t steps) {
  LcgMap result, power = kOneDraw;
  for (; steps != 0; steps >>= 1) {
    if (steps & 1) result = result.Then(power);
    power = power.Then(power);
  }
  return result;
}

// The eight neighbour draws of a step, computed side by side from the seed before them.
constexpr std::array<LcgMap, 8> kNeighbourDraws = {Draws(1), Draws(2), Draws(3), Draws(4),
                                                   Draws(5), Draws(6), Draws(7), Draws(8)};

constexpr std::array<int, 8> kNeighbourColumn = {-1, -1, -1, 0, 0, 1, 1, 1};
constexpr std::array<int, 8> kNeighbourRow = {-1, 0, 1, -1, 1, -1, 0, 1};

inline int DrawFrom(std::uint32_t seed, int n) {
  return static_cast<int>((static_cast<std::int64_t>(seed) * n) >> 32);
}

void KeepAlive(RunContext& context) { (void)context.CheckAbort(); }

// The contour strokes painted onto the white layer `strokes`.
void PaintContourStrokes(const Bitmap24& source, Bitmap24& strokes, const WatercolourParameters& p,
                         const StyleSettings& settings, const SurfaceSettings& surface, RunContext& context) {
  const int e = p.edgeIntensity;
  {
    Bitmap24 edges(source.Width(), source.Height(), 0xFFFFFF);
    EdgeStrokes(source, edges, kEdgeThreshold, e / 20 + 180, e / 20 + 15, settings.preview, surface, context);
    KeepAlive(context);
    LocalContrast(edges, kStrokeSharpening, settings.sourceMean, &context);
    context.ReportProgress(100, 100, 2, 4);
    KeepAlive(context);
    const StampOptions options{.precision = p.strength, .pause = p.edgeIntensity,
                               .progress = StampProgress::WatercolourContours};
    BrushStampPainting(edges, strokes, kStrokeBrushSize, kStrokesPerBlock, kStrokeSpread, kStrokeBrush, options,
                       settings, context);
  }
  KeepAlive(context);
  LocalContrast(strokes, kStrokeSharpening, settings.sourceMean, &context);
  KeepAlive(context);
}

// The walk passes over `painting`. Returns false when aborted.
bool Walk(Bitmap24& painting, const WatercolourParameters& p, const StyleSettings& settings, RunContext& context) {
  const int width = painting.Width(), height = painting.Height();
  const int a = p.colourBlending;
  const int n = p.strength;
  const std::int64_t stepsPerPass = static_cast<std::int64_t>(width) * height;
  const std::size_t stride = painting.RowBytes();
  std::uint8_t* const pixels = painting.Row(0);
  const int liftPeriod = n / 2 - a / 2 + 210;  // at least 83 on the sliders' ranges
  const int blendAbove = a / 5 + 5;

  // The generator is kept in a local while walking and given back whenever others may draw.
  std::uint32_t seed = context.Rng.RandomSeed;
  auto random = [&](int range) {
    seed = kOneDraw.Apply(seed);
    return DrawFrom(seed, range);
  };

  // The eight neighbours in the order they are looked at: column offset outer, row offset inner.
  std::array<std::ptrdiff_t, 8> neighbourOffset{};
  for (int k = 0; k < 8; ++k) {
    neighbourOffset[k] = static_cast<std::ptrdiff_t>(kNeighbourRow[k]) * static_cast<std::ptrdiff_t>(stride) +
                         3 * kNeighbourColumn[k];
  }

  // Fetches the 3 × 3 pixels around the jump target drawn from `first` (x) and the draw after it.
  auto prefetchJump = [&](std::uint32_t first) {
    const int jumpX = DrawFrom(first, width - 2) + 1;
    const int jumpY = DrawFrom(kOneDraw.Apply(first), height - 2) + 1;
    const std::uint8_t* target = pixels + static_cast<std::size_t>(jumpY) * stride + 3 * static_cast<std::size_t>(jumpX);
    for (const std::ptrdiff_t row : {-static_cast<std::ptrdiff_t>(stride), std::ptrdiff_t{0}, static_cast<std::ptrdiff_t>(stride)}) {
      __builtin_prefetch(target + row - 3);
      __builtin_prefetch(target + row + 5);
    }
  };

  int x = 0, y = 0, dx = kNoDirection, dy = 0;
  int best = 10000;
  for (int pass = 0; pass <= n; ++pass) {
    if (settings.preview && n > 0) {
      context.ShowPreviewProgress(painting, -1);
    } else {
      context.ReportProgress((n + pass) / 2, n, 4, 4);
    }
    KeepAlive(context);
    dx = kNoDirection;
    int liftCountdown = 0;
    for (std::int64_t j = 0; j <= stepsPerPass; ++j) {
      // Position: on along the walk while the last neighbour was close enough, else a jump.
      if (best >= a) {
        x = random(width - 2) + 1;
        y = random(height - 2) + 1;
      } else {
        x += dx;
        y += dy;
        if (x < 1 || x > width - 2 || y < 1 || y > height - 2) {
          x = random(width - 2) + 1;
          y = random(height - 2) + 1;
        }
      }
      std::uint8_t* const here = pixels + static_cast<std::size_t>(y) * stride + 3 * static_cast<std::size_t>(x);
      int red = here[2], green = here[1], blue = here[0];

      if (liftCountdown == 0) {
        HlsColour hls = ColorRGBToHLS(MakeColour(red, green, blue));
        hls.saturation = std::min(240, (hls.saturation * kSaturationLift) / 100);
        const Colour lifted = ColorHLSToRGB(hls);
        red = RedOf(lifted);
        green = GreenOf(lifted);
        blue = BlueOf(lifted);
        liftCountdown = liftPeriod;
      }
      --liftCountdown;

      // The closest neighbour, columns outer and rows inner, one draw Random(3) for each. The
      // choice is made without branches (it is as good as random which neighbour wins), with the
      // winner's number 0..7 standing for its offsets.
      best = kNoNeighbour;
      const std::uint32_t before = seed;
      seed = kNeighbourDraws[7].Apply(before);
      // Should a coming step jump, its pixel is already known from the generator: fetch its rows
      // now, since a jump lands far from anything in the cache. The next step's jump draws follow
      // this step's draws; the step after it draws its jump after eight more neighbour draws, or
      // after ten when the next step jumps too.
      prefetchJump(kOneDraw.Apply(seed));
      prefetchJump(kNeighbourDraws[7].Apply(kOneDraw.Apply(seed)));
      prefetchJump(kNeighbourDraws[7].Apply(kNeighbourDraws[2].Apply(seed)));
      int winner = -1;
      for (int k = 0; k < 8; ++k) {
        const std::uint8_t* q = here + neighbourOffset[k];
        const int distance = std::abs(q[2] - here[2]) + std::abs(q[1] - here[1]) + std::abs(q[0] - here[0]);
        const int allowance = DrawFrom(kNeighbourDraws[k].Apply(before), 3);
        const int take = -static_cast<int>((distance <= best - allowance) & (distance > 3));
        best = (distance & take) | (best & ~take);
        winner = (k & take) | (winner & ~take);
      }
      if (winner >= 0) {
        dx = kNeighbourColumn[winner];
        dy = kNeighbourRow[winner];
      } else {
        dx = kNoDirection;  // dy keeps its value; it is not used before a jump
      }

      if (best <= a + 15) {
        std::uint8_t* const next =
            here + static_cast<std::ptrdiff_t>(dy) * static_cast<std::ptrdiff_t>(stride) + 3 * dx;
        if (best > blendAbove) {
          const int lift = static_cast<int>(j % 8) / 5;
          red = std::min(255, (red + next[2]) / 2 + lift);
          green = std::min(255, (green + next[1]) / 2 + lift);
          blue = std::min(255, (blue + next[0]) / 2 + lift);
          here[2] = static_cast<std::uint8_t>(red);
          here[1] = static_cast<std::uint8_t>(green);
          here[0] = static_cast<std::uint8_t>(blue);
        }
        next[2] = static_cast<std::uint8_t>(red);
        next[1] = static_cast<std::uint8_t>(green);
        next[0] = static_cast<std::uint8_t>(blue);
      }

      if (context.AbortRequested) {
        context.Rng.RandomSeed = seed;
        context.ReportProgress(101, 100, 4, 4);
        return false;
      }
      if ((j + 1) % kStepsPerPump == 0) {
        context.Rng.RandomSeed = seed;
        KeepAlive(context);
        seed = context.Rng.RandomSeed;
      }
    }
    context.Rng.RandomSeed = seed;
    // From the fourth pass on the painting is shown as it grows: the preview is sent it; a
    // full-size run paints into the result panel's own picture, which the shell repaints while
    // the interface is kept alive.
    if (pass >= kFirstShownPass && !settings.manualBrushMode) {
      if (settings.preview) context.ShowPreviewProgress(painting, -1);
      KeepAlive(context);
      seed = context.Rng.RandomSeed;
    }
  }
  context.Rng.RandomSeed = seed;
  return true;
}

// Each channel pushed away from the pixel's grey by 12 % of the distance.
void StrengthenColours(Bitmap24& picture) {
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      std::uint8_t* pixel = row + 3 * x;
      const int grey = (pixel[0] + pixel[1] + pixel[2]) / 3;
      for (int c = 0; c < 3; ++c) {
        pixel[c] = static_cast<std::uint8_t>(std::clamp(pixel[c] + ((pixel[c] - grey) * kColourStrengthening) / 100, 0, 255));
      }
    }
  }
}

// The stroke layer multiplied in by `intensity` where it is not white.
void MultiplyStrokes(Bitmap24& picture, const Bitmap24& strokes, int intensity) {
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    const std::uint8_t* layer = strokes.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      if (layer[3 * x + 2] >= 254) continue;
      for (int c = 0; c < 3; ++c) {
        const int v = row[3 * x + c];
        const int k = (v * layer[3 * x + c]) / 255;
        row[3 * x + c] = static_cast<std::uint8_t>((v * (255 - intensity) + k * intensity) / 255);
      }
    }
  }
}

// The watercolour paper pressed in: (M − tex) · T div 255 added to every channel, the paper
// repeated every 1023 columns and 767 rows. The program draws Random(1) twice per channel and
// pixel here (always 0); the generator is moved on by as many draws.
void PressPaper(Bitmap24& picture, int intensity, RandomGenerator& rng) {
  const PaperTable& paper = WatercolourPaperTable();
  const std::uint64_t pixels = static_cast<std::uint64_t>(picture.Width()) * static_cast<std::uint64_t>(picture.Height());
  rng.RandomSeed = Draws(6 * pixels).Apply(rng.RandomSeed);
  if (intensity == 0) return;
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      const int shift = ((paper.mean - paper.Repeated(x, y)) * intensity) / 255;
      for (int c = 0; c < 3; ++c) row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(row[3 * x + c] + shift, 0, 255));
    }
  }
}

}  // namespace

WatercolourParameters WatercolourParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPainting1EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

void SkipRandomDraws(RandomGenerator& rng, std::uint64_t steps) { rng.RandomSeed = Draws(steps).Apply(rng.RandomSeed); }

namespace {

// The painting; `release`, when given, is the source itself, which becomes the painting once the
// contour strokes have read it instead of being copied.
void PaintWatercolour(const Bitmap24& source, Bitmap24& destination, const WatercolourParameters& p,
                      const StyleSettings& settings, const SurfaceSettings& surface, RunContext& context,
                      Bitmap24* release) {
  context.ReportProgress(0, 100, 1, 4);
  const int width = source.Width(), height = source.Height();
  Bitmap24 strokes(width, height, 0xFFFFFF);
  const bool withStrokes = p.edgeIntensity > kNoStrokesUpTo;
  if (withStrokes && !source.Empty()) PaintContourStrokes(source, strokes, p, settings, surface, context);
  if (release != nullptr) {
    destination = std::move(*release);
    *release = Bitmap24();
  } else {
    destination = source;
  }

  // A walker needs a pixel with all eight neighbours inside the picture.
  if (width >= 3 && height >= 3 && !Walk(destination, p, settings, context)) return;

  AdjustBrightness(destination, (p.darkenLighten - 127) / 3);
  StrengthenColours(destination);
  // Sharpened as if the picture went on past its borders: the plain filter would darken a band
  // along the right and bottom edges, where its window reaches into white padding.
  LocalContrastOverRepeatedEdges(destination, kFinalSharpening, settings.sourceMean, &context);
  if (withStrokes) MultiplyStrokes(destination, strokes, p.edgeIntensity);
  PressPaper(destination, p.paperIntensity, context.Rng);
  context.ReportProgress(101, 100, 4, 4);
}

}  // namespace

void WatercolourPainting(const Bitmap24& source, Bitmap24& destination, const WatercolourParameters& p,
                         const StyleSettings& settings, const SurfaceSettings& surface, RunContext& context) {
  PaintWatercolour(source, destination, p, settings, surface, context, nullptr);
}

StyleOutput ProcessWatercolourPainting(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                       const SurfaceSettings& surface, RunContext& context) {
  const WatercolourParameters parameters = WatercolourParametersFrom(settings.sliders);
  // Without a watcher the shown copy waits for nothing while the strokes are painted, and a source
  // the caller does not keep becomes the painting itself.
  ReleaseUnwatchedShown(shown, settings);
  PaintWatercolour(source, shown, parameters, settings, surface, context, settings.sourceKept ? nullptr : &source);
  return {.picture = std::move(shown), .sliders = settings.sliders};
}

StyleOutput PreviewWatercolourPainting(const Bitmap24& crop, const StyleSettings& settings,
                                       const SurfaceSettings& surface, RunContext& context) {
  StyleOutput output{.picture = crop, .sliders = settings.sliders};
  WatercolourPainting(crop, output.picture, WatercolourParametersFrom(settings.sliders), settings, surface, context);
  return output;
}

}  // namespace atelion
