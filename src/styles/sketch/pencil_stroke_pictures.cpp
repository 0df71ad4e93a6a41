// A pencil stroke is drawn column by column along its centre line. Across the line the graphite
// is densest in the middle and thins towards the sides; along it the pressure wavers and the ends
// taper where the pencil lands and lifts. Graphite catches on the high points of the paper, so a
// streaky grain (long along the stroke, short across it) breaks the tone into specks, most at
// the sides where the pencil barely touches.
#include "styles/sketch/pencil_stroke_pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <vector>

#include "core/run_context.h"
#include "imageio/resource_pictures.h"

namespace atelion {

namespace {

constexpr int N = kPencilStrokeSide;
// Darkest graphite and the lightest paper grain; the paper never falls to 240 or below, so the
// sketch never stamps it.
constexpr double kGraphite = 22.0;
constexpr double kPaperGrainDepth = 7.0;

double Smoothstep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// Value noise on a grid of cellX × cellY pixels, smoothly interpolated, in 0..1.
class ValueNoise {
 public:
  ValueNoise(RandomGenerator& rng, double cellX, double cellY) : cellX_(cellX), cellY_(cellY) {
    columns_ = static_cast<int>(N / cellX) + 3;
    rows_ = static_cast<int>(N / cellY) + 3;
    values_.resize(static_cast<std::size_t>(columns_) * rows_);
    for (double& v : values_) v = rng.Random();
  }
  double At(double x, double y) const {
    const double gx = x / cellX_, gy = y / cellY_;
    const int ix = static_cast<int>(gx), iy = static_cast<int>(gy);
    const double fx = Smoothstep(gx - ix), fy = Smoothstep(gy - iy);
    auto v = [&](int cx, int cy) { return values_[static_cast<std::size_t>(cy) * columns_ + cx]; };
    const double top = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * fx;
    const double bottom = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * fx;
    return top + (bottom - top) * fy;
  }

 private:
  double cellX_, cellY_;
  int columns_ = 0, rows_ = 0;
  std::vector<double> values_;
};

struct StrokeShape {
  int firstColumn, lastColumn;
  std::function<double(double)> centre;  // row of the centre line (pixel centres at y + 0.5)
  double halfWidth;                      // at full pressure
  std::uint32_t seed;
};

Bitmap24 DrawStroke(const StrokeShape& shape) {
  RandomGenerator rng;
  rng.RandomSeed = shape.seed;
  const ValueNoise paper(rng, 1.7, 1.3);
  const ValueNoise streaks(rng, 7.0, 1.0);
  const ValueNoise pressure(rng, 23.0, 100.0);
  Bitmap24 picture(N, N);
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      const double grain = paper.At(x, y);
      double tone = 255.0 - kPaperGrainDepth * grain * grain;
      if (x >= shape.firstColumn && x <= shape.lastColumn) {
        const double t = (x + 0.5 - shape.firstColumn) / (shape.lastColumn + 1 - shape.firstColumn);
        // Landing and lifting: the line narrows and lightens over its first and last ninth.
        const double ends = Smoothstep(std::min(t, 1.0 - t) / 0.11);
        const double press = 0.78 + 0.22 * pressure.At(x, 0.0);
        const double half = shape.halfWidth * (0.3 + 0.7 * ends) * (0.9 + 0.1 * press);
        const double d = std::abs(y + 0.5 - shape.centre(x + 0.5));
        const double cover = std::clamp(half - d + 0.5, 0.0, 1.0);
        if (cover > 0.0) {
          const double across = std::max(0.0, 1.0 - (d / (half + 0.5)) * (d / (half + 0.5)));
          // Grain breaks the graphite most where the pencil barely touches.
          const double tooth = 0.55 * streaks.At(x, y) + 0.45 * grain;
          const double bite = std::clamp(1.0 - (1.0 - across) * 1.1 * tooth - 0.25 * tooth, 0.0, 1.0);
          const double density = cover * press * (0.35 + 0.65 * ends) * (0.3 + 0.7 * across) * bite;
          tone = tone - density * (tone - kGraphite);
        }
      }
      const int v = std::clamp(static_cast<int>(std::lround(tone)), 0, 255);
      picture.SetPixel(x, y, MakeColour(v, v, v));
    }
  }
  return picture;
}

}  // namespace

Bitmap24 GeneratePencilStroke() {
  return DrawStroke({.firstColumn = 1,
                     .lastColumn = 99,
                     .centre = [](double) { return 51.5; },
                     .halfWidth = 2.75,
                     .seed = 0x57E0C1});
}

Bitmap24 GeneratePencilStroke2() {
  // A parabola through (3, 54.2), (50, 49.0) and (97, 52.5).
  return DrawStroke({.firstColumn = 3,
                     .lastColumn = 97,
                     .centre =
                         [](double x) {
                           const double t = (x - 3.0) / 94.0;
                           const double a = 54.2, b = 49.0, c = 52.5;
                           return a * (1 - t) * (1 - 2 * t) + 4 * b * t * (1 - t) + c * t * (2 * t - 1);
                         },
                     .halfWidth = 2.9,
                     .seed = 0x57E0C2});
}

const Bitmap24& PencilStroke() {
  static const Bitmap24 picture = [] {
    std::optional<Bitmap24> shipped = ReadResourcePicture(kPencilStrokePath, N, N);
    return shipped ? std::move(*shipped) : GeneratePencilStroke();
  }();
  return picture;
}

const Bitmap24& PencilStroke2() {
  static const Bitmap24 picture = [] {
    std::optional<Bitmap24> shipped = ReadResourcePicture(kPencilStroke2Path, N, N);
    return shipped ? std::move(*shipped) : GeneratePencilStroke2();
  }();
  return picture;
}

}  // namespace atelion
