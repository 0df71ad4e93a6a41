// Pencil sketch 6. A grey target is made from the photograph and, for every inner pixel, the
// direction of its contour (or, where the gradient is weak, one of two hatching directions drawn at
// random). Then, pass after pass, strokes are placed: for each, candidates at random points (late
// passes prefer points where the drawing still differs from the target) are judged along their own
// pixels, and the best one that brings the drawing closer to the target is drawn with tapered
// ends, a little lighter than judged. Strong contours are darkened once more at the end.
#include "styles/sketch/pencil_sketch_6.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/filters.h"
#include "core/rounding.h"
#include "styles/sketch/pencil_sketch_5.h"

namespace atelion {

namespace {

// Gradient magnitude above which a pixel's strokes follow its contour.
constexpr int kContourMagnitude = 2500;
constexpr float kHatchingSteep = 2.7415926f;
constexpr float kHatchingFlat = 2.6415927f;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;
constexpr int kTriesPerPump = 200;
constexpr int kContourDarkening = 1800;
// A candidate point is drawn again while the drawing matches the target there better than a random
// level; the level is 0 with a chance of one in 5·p, so the search ends, but it is bounded anyway.
constexpr int kPointDraws = 100000;
constexpr int kVibrance = 35;

// What the strokes read of each pixel, in the narrowest types that keep every result: the contour
// angle in single precision (its half cosine and sine are computed from it when a candidate
// needs them) and the two quantities taken from the gradient magnitude.
struct PixelTables {
  int width = 0;
  std::vector<float> angle;
  std::vector<std::uint8_t> lengthBonus;  // min(40, magnitude div 2500)
  std::vector<std::uint8_t> darkening;    // magnitude div 1800, at most 145

  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width + x; }
};

GreyPlane GreyTarget(const Bitmap24& S) {
  GreyPlane grey{S.Width(), S.Height(), std::vector<std::uint8_t>(static_cast<std::size_t>(S.Width()) * S.Height())};
  for (int y = 0; y < S.Height(); ++y) {
    const std::uint8_t* row = S.Row(y);
    std::uint8_t* out = grey.values.data() + static_cast<std::size_t>(y) * S.Width();
    for (int x = 0; x < S.Width(); ++x) out[x] = static_cast<std::uint8_t>((3 * row[3 * x + 2] + 6 * row[3 * x + 1] + row[3 * x]) / 10);
  }
  return grey;
}

// Directions and magnitudes of the inner pixels, visited row by row; each weak-gradient pixel draws
// one random number. The rest keep magnitude 0 (the four corners also take the flat hatching angle).
PixelTables BuildTables(const GreyPlane& g, RunContext& context) {
  const int width = g.width, height = g.height;
  PixelTables tables;
  tables.width = width;
  const std::size_t count = static_cast<std::size_t>(width) * height;
  tables.angle.assign(count, 0.0f);
  tables.lengthBonus.assign(count, 0);
  tables.darkening.assign(count, 0);
  for (int y = 1; y <= height - 2; ++y) {
    for (int x = 1; x <= width - 2; ++x) {
      const int gy = 47 * g.At(x - 1, y - 1) + 162 * g.At(x, y - 1) + 47 * g.At(x + 1, y - 1) -
                     47 * g.At(x - 1, y + 1) - 162 * g.At(x, y + 1) - 47 * g.At(x + 1, y + 1);
      const int gx = 47 * g.At(x - 1, y - 1) + 162 * g.At(x - 1, y) + 47 * g.At(x - 1, y + 1) -
                     47 * g.At(x + 1, y - 1) - 162 * g.At(x + 1, y) - 47 * g.At(x + 1, y + 1);
      const int m = std::abs(gx) + std::abs(gy);
      float theta;
      if (m > kContourMagnitude) {
        theta = static_cast<float>(static_cast<double>(std::atan2(static_cast<float>(gy), static_cast<float>(gx))) + 1.5707);
      } else {
        theta = context.Random(100) <= 50 ? kHatchingSteep : kHatchingFlat;
      }
      if (theta < 0) theta = static_cast<float>(theta + kTwoPi);
      if (theta > kPi) theta = static_cast<float>(theta - kPi);
      const std::size_t at = tables.Index(x, y);
      tables.angle[at] = theta;
      tables.lengthBonus[at] = static_cast<std::uint8_t>(std::min(40, m / 2500));
      tables.darkening[at] = static_cast<std::uint8_t>(m / kContourDarkening);
    }
  }
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{width - 1, 0}, std::pair{0, height - 1},
                             std::pair{width - 1, height - 1}}) {
    const std::size_t at = tables.Index(x, y);
    tables.angle[at] = kHatchingFlat;
    tables.lengthBonus[at] = tables.darkening[at] = 0;
  }
  return tables;
}

// The grey of point i of n on a stroke of grey q over `under`: fully q in the middle, fading to
// `under` towards the ends; `lighten` raises the fade everywhere.
inline std::uint8_t StrokeGrey(int i, int n, int q, int under, int lighten) {
  const int t = std::clamp((std::abs(i - n / 2) * 384) / std::max(n - 1, 1) + lighten, 0, 255);
  return static_cast<std::uint8_t>(((255 - t) * q) / 255 + (t * under) / 255);
}

// Tries per stroke for the filter precision at percent p done.
int TriesPerStroke(int precision, int p) {
  int tries = precision <= 127 ? (110 - p) / ((128 - precision) / 25 + 1) : (110 - p) * ((precision - 127) / 15 + 1);
  if (p < 5) tries /= 4;
  return tries;
}

}  // namespace

PencilSketch6Parameters PencilSketch6ParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPencilSketch6EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

std::vector<Point> LinePoints(int x1, int y1, int x2, int y2) {
  const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  std::vector<Point> points;
  points.reserve(static_cast<std::size_t>(std::max(dx, dy)) + 1);
  int x = x1, y = y1, error = dx - dy;
  while (true) {
    points.push_back({x, y});
    if (x == x2 && y == y2) break;
    const int doubled = 2 * error;
    if (doubled > -dy) {
      error -= dy;
      x += sx;
    }
    if (doubled < dx) {
      error += dx;
      y += sy;
    }
  }
  return points;
}

std::int64_t StrokeGain(const Bitmap24& D, std::span<const std::uint8_t> candidate, const GreyPlane& target,
                        std::span<const Point> points) {
  std::int64_t e = 0, b = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const int t = target.At(points[i].x, points[i].y);
    e += std::abs(D.Row(points[i].y)[3 * points[i].x + 2] - t);
    b += std::abs(candidate[i] - t);
    if (b > e) break;
  }
  return b - e;
}

void PencilSketch6(const Bitmap24& S, Bitmap24& D, const PencilSketch6Parameters& parameters,
                   const StyleSettings& settings, bool preview, RunContext& context) {
  context.ReportProgress(0, 100, 1, 1);
  const int width = S.Width(), height = S.Height();
  const int lmax = parameters.maximumSize + 5;
  const int lmin = std::min(parameters.minimumSize, lmax);
  if (settings.eraseBackground || preview) D.Fill(settings.paperColour);
  if (D.Width() != width || D.Height() != height || S.Empty()) return;

  const GreyPlane target = GreyTarget(S);
  PixelTables tables = BuildTables(target, context);

  // Pictures without inner pixels have nowhere to start a stroke.
  if (width >= 3 && height >= 3) {
    const double wholeArea = settings.sourceWidth > 0 && settings.sourceHeight > 0
                                 ? static_cast<double>(settings.sourceWidth) * settings.sourceHeight
                                 : static_cast<double>(width) * height;
    const std::int64_t passes = static_cast<std::int64_t>(
        RoundHalfEven((300.0 * parameters.iterations + 200) * (static_cast<double>(width) * height / wholeArea))) + 1;
    std::vector<std::uint8_t> candidate, bestCandidate;
    std::vector<Point> bestPoints;

    for (std::int64_t k = 0; k <= passes; ++k) {
      const int p = static_cast<int>((100 * k) / passes);
      const int strokes = (p > 5 ? static_cast<int>((4 * k) / passes) : 25) + 1;
      const int tries = TriesPerStroke(parameters.precision, p);
      for (int stroke = 0; stroke < strokes; ++stroke) {
        std::int64_t best = 0;
        int bestGrey = 0;
        int stagnation = 0;
        for (int j = 0; j <= tries; ++j) {
          int x = 0, y = 0;
          for (int draw = 0; draw < kPointDraws; ++draw) {
            x = context.Random(width - 2) + 1;
            y = context.Random(height - 2) + 1;
            const int r = context.Random(5 * p);
            if (!(std::abs(target.At(x, y) - D.Row(y)[3 * x + 2]) < r && p > 4)) break;
          }
          const int q = (target.At(x, y) + 2 * D.Row(y)[3 * x + 1]) / 3;
          const std::size_t at = tables.Index(x, y);
          int length = context.Random(lmax / 2 - p + 100) / 3;
          length += context.Random(tables.lengthBonus[at]) + lmin + 3;
          length = std::min(length, lmax);
          const double halfCos = std::cos(static_cast<double>(tables.angle[at])) / 2;
          const double halfSin = std::sin(static_cast<double>(tables.angle[at])) / 2;
          const int dx = RoundHalfEvenToInt(length * halfCos), dy = RoundHalfEvenToInt(length * halfSin);
          const int x2 = std::clamp(x + dx, 0, width - 1), y2 = std::clamp(y + dy, 0, height - 1);
          const int x1 = std::clamp(x - dx, 0, width - 1), y1 = std::clamp(y - dy, 0, height - 1);
          const std::vector<Point> points = LinePoints(x1, y1, x2, y2);
          const int n = static_cast<int>(points.size());
          // The candidate is judged as drawn on a copy of D restored under it: its grey over D's.
          candidate.resize(points.size());
          for (int i = 0; i < n; ++i) candidate[i] = StrokeGrey(i, n, q, D.Row(points[i].y)[3 * points[i].x + 2], 0);

          if (j % kTriesPerPump == 0 && context.CheckAbort()) {
            if (!preview) context.ReportProgress(101, 100, 1, 1);
            return;
          }
          const std::int64_t gain = StrokeGain(D, candidate, target, points);
          if (gain < best) {
            best = gain;
            bestGrey = q;
            bestPoints = points;
            stagnation = 0;
          }
          if (++stagnation >= tries / 20 + 5) {
            if (best < 0) break;
            stagnation = 0;
          }
        }
        if (best < 0) {
          const int n = static_cast<int>(bestPoints.size());
          for (int i = 0; i < n; ++i) {
            std::uint8_t* pixel = D.Row(bestPoints[i].y) + 3 * bestPoints[i].x;
            pixel[0] = pixel[1] = pixel[2] = StrokeGrey(i, n, bestGrey, pixel[2], 64);
          }
        }
      }
      if ((k + strokes) % 300 == 0 || (p <= 4 && (k + strokes) % 30 == 0)) {
        if (preview) {
          context.ShowPreviewProgress(D, p);
        } else {
          context.ReportProgress(p, 100, 1, 1);
        }
        if (context.CheckAbort()) return;
      }
    }
  }

  // Contour darkening.
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = D.Row(y);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = row + 3 * x;
      if (pixel[0] + pixel[1] + pixel[2] >= 540) continue;
      const int darkening = tables.darkening[tables.Index(x, y)];
      for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>(std::max(0, pixel[c] - darkening));
    }
  }
  tables = PixelTables{};

  if (parameters.colourIntensity > 0) {
    Bitmap24 coloured = D;
    ColouriseDrawing(S, coloured);
    BlendLayers(S, coloured, 255, parameters.colourIntensity / 3, 50);
    BlendLayers(D, coloured, parameters.colourIntensity, parameters.colourIntensity / 4, 50);
    D = std::move(coloured);
    ColourVibrance(D, D, kVibrance);
    ColourVibrance(D, D, kVibrance);
  }
  context.ReportProgress(101, 100, 1, 1);
}

StyleOutput PreviewPencilSketch6(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context) {
  (void)surface;
  StyleOutput output{.picture = crop, .sliders = settings.sliders};
  PencilSketch6(crop, output.picture, PencilSketch6ParametersFrom(settings.sliders), settings, true, context);
  return output;
}

StyleOutput ProcessPencilSketch6(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context) {
  (void)surface;
  if (settings.eraseBackground || shown.Width() != source.Width() || shown.Height() != source.Height()) shown = source;
  PencilSketch6(source, shown, PencilSketch6ParametersFrom(settings.sliders), settings, false, context);
  return {.picture = std::move(shown), .sliders = settings.sliders};
}

}  // namespace atelion
