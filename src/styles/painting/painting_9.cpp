// The blob painting. A blob's seed is drawn where the painting still differs from the photograph
// (or where the canvas is still white); its rays march outwards paying, at every step, the colour
// difference between the photograph and the seed colour, minus a little for canvas that differs
// from the seed colour anyway (paint runs more easily over white). Each ray is smoothed against
// its neighbour and shortened a little at random; the polygon through the ray ends is filled with
// the seed colour on a scratch copy of the blob's box, grained with the paper, and mixed into the
// painting, the more the nearer the seed.
#include "styles/painting/painting_9.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/canvas.h"
#include "core/hls.h"
#include "styles/painting/edge_strokes.h"
#include "styles/painting/paper_tables.h"

namespace atelion {
namespace {

constexpr int kRays = 150;
constexpr double kRayStep = 0.0419;  // radians between rays
constexpr int kBlobsPerArea = 40000;
constexpr int kMaxBlobsPerRound = 100;
constexpr int kSeedTries = 10;
constexpr int kWhiteRedraws = 4;
constexpr int kEdgeFade = 210;
constexpr int kEdgeLength = 15;
constexpr int kMaxMix = 90;
constexpr int kRoundsPerReport = 25;
constexpr int kRoundsPerShow = 50;

struct RayTables {
  std::array<float, kRays> cosines{}, sines{};
  RayTables() {
    for (int r = 0; r < kRays; ++r) {
      cosines[r] = static_cast<float>(std::cos(r * kRayStep));
      sines[r] = static_cast<float>(std::sin(r * kRayStep));
    }
  }
};

const RayTables& Rays() {
  static const RayTables tables;
  return tables;
}

// The seed colour as the three bytes of a pixel, blue first.
struct Seed {
  int x = 0, y = 0;
  std::uint8_t blue = 0, green = 0, red = 0;
};

inline int Dist(const std::uint8_t* pixel, const Seed& seed) {
  return std::abs(pixel[0] - seed.blue) + std::abs(pixel[1] - seed.green) + std::abs(pixel[2] - seed.red);
}

inline bool IsWhite(const std::uint8_t* pixel) { return pixel[0] + pixel[1] + pixel[2] >= 765; }

inline const std::uint8_t* PixelOf(const Bitmap24& picture, int x, int y) { return picture.Row(y) + 3 * x; }
inline std::uint8_t* PixelOf(Bitmap24& picture, int x, int y) { return picture.Row(y) + 3 * x; }

// The generator step s := s · a + c as a map; n steps compose into one map in log n steps.
struct LcgMap {
  std::uint32_t multiplier = 1, increment = 0;
  constexpr LcgMap Then(const LcgMap& next) const {
    return {next.multiplier * multiplier, next.multiplier * increment + next.increment};
  }
  constexpr std::uint32_t Apply(std::uint32_t seed) const { return seed * multiplier + increment; }
};

constexpr LcgMap LcgDraws(std::uint64_t steps) {
  LcgMap result, power{134775813u, 1u};
  for (; steps != 0; steps >>= 1) {
    if (steps & 1) result = result.Then(power);
    power = power.Then(power);
  }
  return result;
}

void KeepAlive(RunContext& context) { (void)context.CheckAbort(); }

// The bounding box of a blob's ray steps, inclusive.
struct Box {
  int minX, minY, maxX, maxY;
  bool Empty() const { return minX > maxX || minY > maxY; }
};

class BlobPainter {
 public:
  BlobPainter(const Bitmap24& source, Bitmap24& canvas, const BlobPaintingParameters& p, RunContext& context)
      : source_(source), canvas_(canvas), width_(canvas.Width()), height_(canvas.Height()),
        stepCost_((255 - p.brushSize) / 20 + 1), context_(context), paper_(WatercolourPaperTable()) {
    // The grain of every paper value: ((M − tex) shl 6) div 255.
    for (int v = 0; v < 256; ++v) grainShift_[v] = ((paper_.mean - v) * 64) / 255;
  }

  // One blob of round j. `seedSlack` is 105 − P.
  void Paint(int j, int seedSlack, int whiteRounds) {
    RandomGenerator& rng = context_.Rng;
    Seed seed;
    int d = 0;
    if (!ChooseSeed(j, seedSlack, whiteRounds, seed, d)) return;

    const int rayBudget = (185000 - 2 * j) / 100;
    Box box{width_, height_, 0, 0};
    int prev = 0;
    const RayTables& rays = Rays();
    for (int r = 0; r < kRays; ++r) {
      int t = 1;
      std::int64_t budget = rayBudget;
      while (budget > 0 && t <= kMaxBlobRay) {
        const int px = seed.x + static_cast<int>(std::floor(static_cast<double>(rays.cosines[r]) * t));
        const int py = seed.y + static_cast<int>(std::floor(static_cast<double>(rays.sines[r]) * t));
        if (px < 0 || py < 0 || px >= width_ || py >= height_) break;
        box.minX = std::min(box.minX, px);
        box.minY = std::min(box.minY, py);
        box.maxX = std::max(box.maxX, px);
        box.maxY = std::max(box.maxY, py);
        int cost = Dist(PixelOf(source_, px, py), seed) - Dist(PixelOf(canvas_, px, py), seed) / 19;
        if (cost > 300) {
          cost *= 4;
        } else if (cost > 120) {
          cost *= 2;
        }
        budget -= static_cast<std::int64_t>(cost) * stepCost_;
        ++t;
      }
      if (prev > 0) t = (4 * t + 7 * prev) / 11;
      t = (t * (100 - rng.Random(6))) / 100;
      prev = t;
      polygon_[r] = {seed.x + static_cast<int>(std::floor(static_cast<double>(rays.cosines[r]) * t)),
                     seed.y + static_cast<int>(std::floor(static_cast<double>(rays.sines[r]) * t))};
    }

    // The blob on a scratch copy of its box.
    const int boxWidth = box.Empty() ? 0 : box.maxX - box.minX + 1;
    const int boxHeight = box.Empty() ? 0 : box.maxY - box.minY + 1;
    if (boxWidth > 0) {
      scratch_.Resize(boxWidth, boxHeight);
      for (int y = 0; y < boxHeight; ++y) {
        std::memcpy(scratch_.Row(y), PixelOf(canvas_, box.minX, box.minY + y), 3 * static_cast<std::size_t>(boxWidth));
      }
      std::array<Point, kRays> local;
      for (int r = 0; r < kRays; ++r) local[r] = {polygon_[r].x - box.minX, polygon_[r].y - box.minY};
      const Colour colour = MakeColour(seed.red, seed.green, seed.blue);
      DrawPolygon(scratch_, local, Pen{colour, 1}, colour);
      if (std::abs(box.minX - box.maxX) + std::abs(box.minY - box.maxY) >= 20) Grain(box, seed);
    }
    Mix(box, seed, d);
  }

 private:
  // Draws the seed; false when the blob is given up after ten tries.
  bool ChooseSeed(int j, int seedSlack, int whiteRounds, Seed& seed, int& d) {
    RandomGenerator& rng = context_.Rng;
    const int lim = rng.Random(6 * seedSlack) + 2 * seedSlack;
    d = 0;
    int tries = 0;
    while (d <= lim) {
      int x = rng.Random(width_ - 1);
      int y = rng.Random(height_ - 1);
      if (j < whiteRounds) {
        for (int again = 0; again < kWhiteRedraws && !IsWhite(PixelOf(canvas_, x, y)); ++again) {
          x = rng.Random(width_ - 1);
          y = rng.Random(height_ - 1);
        }
      }
      const std::uint8_t* colour = PixelOf(source_, x, y);
      seed = {x, y, colour[0], colour[1], colour[2]};
      const std::uint8_t* painted = PixelOf(canvas_, x, y);
      d = Dist(painted, seed);
      if (IsWhite(painted) && seed.red + seed.green + seed.blue < 700) return true;
      if (++tries == kSeedTries) return false;
    }
    return true;
  }

  // Pixels of the box that hold exactly the seed colour take the paper's grain, the paper's column
  // offset by the seed's red.
  void Grain(const Box& box, const Seed& seed) {
    const int boxWidth = box.maxX - box.minX + 1;
    for (int y = box.minY; y <= box.maxY; ++y) {
      std::uint8_t* row = scratch_.Row(y - box.minY);
      const int paperRow = y % (kPaperTableHeight - 1);
      const std::uint8_t* paper = paper_.values.data() + static_cast<std::size_t>(paperRow) * kPaperTableWidth;
      int paperColumn = (box.minX + seed.red) % (kPaperTableWidth - 1);
      for (int i = 0; i < boxWidth; ++i) {
        std::uint8_t* pixel = row + 3 * i;
        const int column = paperColumn;
        if (++paperColumn == kPaperTableWidth - 1) paperColumn = 0;
        if (pixel[0] != seed.blue || pixel[1] != seed.green || pixel[2] != seed.red) continue;
        const int shift = grainShift_[paper[column]];
        pixel[0] = static_cast<std::uint8_t>(std::clamp(seed.blue + shift, 0, 255));
        pixel[1] = static_cast<std::uint8_t>(std::clamp(seed.green + shift, 0, 255));
        pixel[2] = static_cast<std::uint8_t>(std::clamp(seed.red + shift, 0, 255));
      }
    }
  }

  // The blob mixed into the painting, with one draw Random(5) per pixel of the box, column by
  // column: the weight of the old paint grows with the distance from the seed. The pixels are
  // visited row by row, which is kinder to the memory; the draw of a pixel is found from the one
  // to its left by stepping the generator a column's height at once. Where the scratch box still
  // equals the painting the mix leaves the pixel as it is, so its draw is only counted.
  void Mix(const Box& box, const Seed& seed, int d) {
    RandomGenerator& rng = context_.Rng;
    const int w0 = rng.Random(30 - (d * 30) / 765) + 5;
    if (box.Empty()) return;
    const int boxWidth = box.maxX - box.minX + 1, boxHeight = box.maxY - box.minY + 1;
    const LcgMap column = LcgDraws(static_cast<std::uint64_t>(boxHeight));
    std::uint32_t rowStart = rng.RandomSeed;
    for (int y = box.minY; y <= box.maxY; ++y) {
      rowStart = rowStart * 134775813u + 1u;  // the draw of the box's first column in this row
      std::uint32_t state = rowStart;
      const std::int64_t dy = y - seed.y;
      const std::uint8_t* blob = scratch_.Row(y - box.minY);
      std::uint8_t* out = PixelOf(canvas_, box.minX, y);
      for (int i = 0; i < boxWidth; ++i, state = column.Apply(state), blob += 3, out += 3) {
        if (blob[0] == out[0] && blob[1] == out[1] && blob[2] == out[2]) continue;
        const int r5 = static_cast<int>((static_cast<std::uint64_t>(state) * 5u) >> 32);
        const std::int64_t dx = box.minX + i - seed.x;
        int f = static_cast<int>(std::floor(std::sqrt(static_cast<double>(dy * dy + dx * dx)))) / 6 + w0 + r5;
        f = std::clamp(f, 0, kMaxMix);
        for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((f * out[c] + (100 - f) * blob[c]) / 100);
      }
    }
    rng.RandomSeed = LcgDraws(static_cast<std::uint64_t>(boxWidth) * static_cast<std::uint64_t>(boxHeight))
                         .Apply(rng.RandomSeed);
  }

  const Bitmap24& source_;
  Bitmap24& canvas_;
  const int width_, height_;
  const int stepCost_;  // K
  RunContext& context_;
  const PaperTable& paper_;
  std::array<Point, kRays> polygon_{};
  std::array<int, 256> grainShift_{};
  Bitmap24 scratch_;
};

// A ray that reaches the right or bottom border ends one step before it, and a polygon leaves
// out the pixels on its right and bottom edges, so blobs seldom cover the last column and row:
// on a white canvas they would stay a thin white line. Pixels there still bare white take the
// paint of the nearest painted pixel inside, up to a few pixels in (the last column first, then
// the last row).
constexpr int kEdgeReach = 8;

void PaintBareEdges(Bitmap24& picture) {
  const int width = picture.Width(), height = picture.Height();
  for (int y = 0; y < height && width >= 2; ++y) {
    std::uint8_t* pixel = PixelOf(picture, width - 1, y);
    for (int x = width - 2; IsWhite(pixel) && x >= std::max(0, width - 1 - kEdgeReach); --x) {
      std::memcpy(pixel, PixelOf(picture, x, y), 3);
    }
  }
  for (int x = 0; x < width && height >= 2; ++x) {
    std::uint8_t* pixel = PixelOf(picture, x, height - 1);
    for (int y = height - 2; IsWhite(pixel) && y >= std::max(0, height - 1 - kEdgeReach); --y) {
      std::memcpy(pixel, PixelOf(picture, x, y), 3);
    }
  }
}

// Painting over an earlier result: lightness raised (more for weak colours and light pixels),
// then every channel lifted by L div 5.
void Lighten(Bitmap24& picture, int lighten) {
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      std::uint8_t* pixel = row + 3 * x;
      HlsColour hls = ColorRGBToHLS(MakeColour(pixel[2], pixel[1], pixel[0]));
      if (lighten > 0) {
        int add = (((240 - hls.saturation) * 2 + (hls.lightness - 128) / 2) * 255) / ((255 - lighten) * 32 + 2);
        add = std::max(add, 0);
        hls.lightness = std::min(hls.lightness + add, 240);
      }
      const Colour back = ColorHLSToRGB(hls);
      pixel[2] = static_cast<std::uint8_t>(std::min(RedOf(back) + lighten / 5, 255));
      pixel[1] = static_cast<std::uint8_t>(std::min(GreenOf(back) + lighten / 5, 255));
      pixel[0] = static_cast<std::uint8_t>(std::min(BlueOf(back) + lighten / 5, 255));
    }
  }
}

// The contour layer darkens by G; the last row and column are left as they are.
void DarkenContours(Bitmap24& picture, const Bitmap24& edges, int intensity) {
  for (int y = 0; y + 1 < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    const std::uint8_t* edge = edges.Row(y);
    for (int x = 0; x + 1 < picture.Width(); ++x) {
      const int g = (std::max<int>(edge[3 * x], 20) + std::max<int>(edge[3 * x + 1], 20) +
                     std::max<int>(edge[3 * x + 2], 20)) / 3;
      for (int c = 0; c < 3; ++c) {
        const int v = row[3 * x + c];
        row[3 * x + c] = static_cast<std::uint8_t>((v * (255 - intensity) + intensity * ((v * g) / 255)) / 255);
      }
    }
  }
}

}  // namespace

BlobPaintingParameters BlobPaintingParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPainting9EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

void BlobPainting(const Bitmap24& source, Bitmap24& canvas, const BlobPaintingParameters& p,
                  const StyleSettings& settings, const SurfaceSettings& surface, RunContext& context) {
  const int width = source.Width(), height = source.Height();
  if (canvas.Width() != width || canvas.Height() != height) canvas = Bitmap24(width, height, 0xFFFFFF);
  if (settings.eraseBackground) canvas.Fill(0xFFFFFF);
  if (settings.preview) context.ShowPreviewProgress(Bitmap24(width, height, 0xFFFFFF), -1);
  context.Rng.RandomSeed = kStyleSeed;
  context.ReportProgress(0, 100, 1, 2);
  if (source.Empty()) {
    context.ReportProgress(101, 100, 2, 2);
    return;
  }

  // The contour layer is white, and changes nothing, when the edge intensity is 0.
  Bitmap24 edges;
  if (p.edgeIntensity > 0) {
    edges = Bitmap24(width, height, 0xFFFFFF);
    EdgeStrokes(source, edges, 50 - p.edgeIntensity / 8, kEdgeFade, kEdgeLength, settings.preview, surface, context);
  }
  KeepAlive(context);
  const int blobsPerRound =
      static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(width) * height / kBlobsPerArea, 1,
                                                kMaxBlobsPerRound));

  BlobPainter painter(source, canvas, p, context);
  const int rounds = 75 * p.iterations;
  for (int j = 0; j <= rounds; ++j) {
    for (int b = 0; b <= blobsPerRound; ++b) {
      painter.Paint(j, 105 - p.precision, 12 * p.iterations);
      if (j % kRoundsPerReport == 0) {
        context.ReportProgress(j, 100 * p.iterations, 2, 2);
        KeepAlive(context);
        if (j % kRoundsPerShow == 0 && !settings.manualBrushMode && settings.preview) {
          context.ShowPreviewProgress(canvas, -1);
        }
      }
      if (context.AbortRequested) {
        context.ReportProgress(101, 100, 2, 2);
        return;
      }
    }
  }

  if (settings.eraseBackground) PaintBareEdges(canvas);
  if (!settings.eraseBackground) Lighten(canvas, p.lighten);
  if (p.edgeIntensity > 0) DarkenContours(canvas, edges, p.edgeIntensity);
  context.ReportProgress(101, 100, 2, 2);
}

StyleOutput ProcessBlobPainting(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                const SurfaceSettings& surface, RunContext& context) {
  // The canvas: the earlier result drawn over the source (only its place matters when the
  // background is erased). The result panel's own picture serves when it has the source's size.
  if (shown.Width() != source.Width() || shown.Height() != source.Height()) {
    Bitmap24 canvas = source;
    if (!settings.eraseBackground) DrawPicture(canvas, 0, 0, shown);
    shown = std::move(canvas);
  }
  context.ReportProgress(0, 100, 1, 1);
  BlobPainting(source, shown, BlobPaintingParametersFrom(settings.sliders), settings, surface, context);
  return {.picture = std::move(shown), .sliders = settings.sliders};
}

StyleOutput PreviewBlobPainting(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                RunContext& context) {
  StyleOutput output{.picture = crop, .sliders = settings.sliders};
  BlobPainting(crop, output.picture, BlobPaintingParametersFrom(settings.sliders), settings, surface, context);
  return output;
}

}  // namespace atelion
