// Pencil hatching is drawn as patches of parallel strokes in two crossing diagonal directions,
// denser towards the dark end. Graphite only catches on the high points of the paper, so every
// stroke is modulated by a fixed paper grain. The stroke darkness is then mapped, column by
// column, onto the tone ramp the sketch relies on: the mean of each column and the spread of
// its values are set, so the pictures shade the same way whatever the strokes look like.
#include "styles/sketch/hatching_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "core/run_context.h"
#include "imageio/resource_pictures.h"

namespace atelion {

namespace {

constexpr int W = kHatchingWidth;
constexpr int H = kHatchingHeight;
// From this column on the picture is flat paper.
constexpr int kFlatColumn = 448;
constexpr int kFlatTone = 251;

struct RampPoint {
  int column;
  double value;
};

// Mean tone of the columns: how dark each brightness is shaded.
constexpr std::array<RampPoint, 15> kMeanTone = {{{0, 38},    {32, 42},   {64, 49},   {96, 65},   {128, 82},
                                                  {160, 92},  {192, 121}, {224, 147}, {256, 182}, {288, 201},
                                                  {320, 222}, {352, 237}, {384, 243}, {416, 250}, {448, 251}}};
// Spread (standard deviation) of the values within a column: strokes on near-black paper show
// little, the middle tones most, and the light end fades into flat paper.
constexpr std::array<RampPoint, 9> kToneSpread = {{{0, 11},    {64, 14},   {128, 19},  {176, 22}, {288, 22},
                                                   {352, 17},  {384, 11},  {416, 5},   {448, 0}}};

template <std::size_t N>
double Interpolate(const std::array<RampPoint, N>& ramp, double column) {
  if (column <= ramp.front().column) return ramp.front().value;
  for (std::size_t i = 1; i < N; ++i) {
    if (column <= ramp[i].column) {
      const double t = (column - ramp[i - 1].column) / (ramp[i].column - ramp[i - 1].column);
      return ramp[i - 1].value + t * (ramp[i].value - ramp[i - 1].value);
    }
  }
  return ramp.back().value;
}

struct Field {
  std::vector<double> values = std::vector<double>(static_cast<std::size_t>(W) * H, 0.0);
  double& at(int x, int y) { return values[static_cast<std::size_t>(y) * W + x]; }
  double at(int x, int y) const { return values[static_cast<std::size_t>(y) * W + x]; }
};

double Smoothstep(double t) { return t * t * (3.0 - 2.0 * t); }

// Paper tooth: how much graphite a pixel takes, 0.2..1. Value noise of two fine scales plus a
// per-pixel speckle, so strokes break up the way they do on drawing paper.
Field PaperGrain(RandomGenerator& rng) {
  Field grain;
  auto addNoise = [&](int cell, double weight) {
    const int columns = W / cell + 2;
    const int rows = H / cell + 2;
    std::vector<double> knots(static_cast<std::size_t>(columns) * rows);
    for (double& k : knots) k = rng.Random() * 2.0 - 1.0;
    for (int y = 0; y < H; ++y) {
      const int j = y / cell;
      const double fy = Smoothstep(static_cast<double>(y % cell) / cell);
      for (int x = 0; x < W; ++x) {
        const int i = x / cell;
        const double fx = Smoothstep(static_cast<double>(x % cell) / cell);
        auto knot = [&](int a, int b) { return knots[static_cast<std::size_t>(b) * columns + a]; };
        const double top = knot(i, j) * (1 - fx) + knot(i + 1, j) * fx;
        const double bottom = knot(i, j + 1) * (1 - fx) + knot(i + 1, j + 1) * fx;
        grain.at(x, y) += weight * (top * (1 - fy) + bottom * fy);
      }
    }
  };
  addNoise(6, 0.35);
  addNoise(2, 0.45);
  for (double& v : grain.values) v += 0.25 * (rng.Random() * 2.0 - 1.0);
  for (double& v : grain.values) v = std::clamp(0.65 + 0.7 * v, 0.2, 1.0);
  return grain;
}

// How dark the ramp is at a column: 1 at the black end, 0 on the flat paper.
double Darkness(double column) {
  if (column >= kFlatColumn - 8) return 0.0;
  return (255.0 - Interpolate(kMeanTone, std::max(column, 0.0))) / (255.0 - 38.0);
}

struct Stroke {
  double centreX, centreY;
  double directionX, directionY;  // unit vector along the stroke
  double length;
  double halfWidth;               // of the graphite line, in pixels
  double pressure;
  double wobblePhase;
};

// Adds one stroke's graphite to `darkness`: a soft line with tapered ends whose pressure
// varies slowly along its length and which only marks the paper where its grain takes it.
void DrawStroke(const Stroke& s, const Field& grain, Field& darkness) {
  const double reach = s.length / 2 + 3 * s.halfWidth + 1;
  const int left = std::max(0, static_cast<int>(std::floor(s.centreX - reach)));
  const int right = std::min(W - 1, static_cast<int>(std::ceil(s.centreX + reach)));
  const int top = std::max(0, static_cast<int>(std::floor(s.centreY - reach)));
  const int bottom = std::min(H - 1, static_cast<int>(std::ceil(s.centreY + reach)));
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const double dx = x - s.centreX;
      const double dy = y - s.centreY;
      const double along = dx * s.directionX + dy * s.directionY;
      if (std::abs(along) > s.length / 2) continue;
      // A hand-drawn line is not quite straight: it bows slightly along its length.
      const double bow = 0.6 * std::sin(std::numbers::pi * along / s.length + s.wobblePhase);
      const double across = -dx * s.directionY + dy * s.directionX - bow;
      const double profile = std::exp(-(across * across) / (2 * s.halfWidth * s.halfWidth));
      if (profile < 0.01) continue;
      const double t = along / s.length + 0.5;  // 0..1 from start to end
      // The pencil lands firmly and lifts off gradually.
      const double taper = Smoothstep(std::min(1.0, t / 0.12)) * Smoothstep(std::min(1.0, (1 - t) / 0.35));
      const double pressure = s.pressure * (0.85 + 0.15 * std::sin(2 * std::numbers::pi * t * 1.7 + s.wobblePhase));
      darkness.at(x, y) += pressure * profile * taper * grain.at(x, y);
    }
  }
}

// Two crossing families of hatching lines, each line laid down as a run of strokes with small
// gaps. Every family covers the whole picture; a stroke is kept with a probability that grows
// with the darkness of the ramp where it lies, so the left end is densely crosshatched, the
// middle hatched in one direction with a few crossing strokes, and the light end scattered.
Field StrokeDarkness(const Field& grain, RandomGenerator& rng) {
  Field darkness;
  struct Family {
    double angleDegrees;  // from the horizontal, counter-clockwise on the screen
    double spacing;       // between neighbouring lines, in pixels
    double presenceBase, presenceGain, presencePower;
  };
  // Strokes rising to the right everywhere; the crossing strokes falling to the right mostly
  // where the tone is dark.
  constexpr std::array<Family, 2> kFamilies = {{{55.0, 2.7, 0.45, 0.55, 1.0}, {125.0, 3.1, 0.08, 0.92, 1.3}}};
  for (const Family& family : kFamilies) {
    const double angle = family.angleDegrees * std::numbers::pi / 180.0;
    const double directionX = std::cos(angle);
    const double directionY = -std::sin(angle);
    // Lines are n · p = offset with the normal n across the strokes; the offsets that reach the
    // picture run between the corners' projections.
    const double normalX = -directionY;
    const double normalY = directionX;
    const double corners[4] = {0.0, W * normalX, H * normalY, W * normalX + H * normalY};
    const double lowest = *std::min_element(corners, corners + 4) - 4;
    const double highest = *std::max_element(corners, corners + 4) + 4;
    const double alongFirst = -std::hypot(W, H);
    const double alongLast = std::hypot(W, H);
    for (double offset = lowest; offset <= highest; offset += family.spacing * (0.85 + 0.3 * rng.Random())) {
      for (double along = alongFirst + rng.Random() * 20; along < alongLast;) {
        const double length = 16.0 + rng.Random() * 30.0;
        const double gap = 1.0 + rng.Random() * 6.0;
        const double middle = along + length / 2;
        along += length + gap;
        Stroke s;
        s.centreX = normalX * offset + directionX * middle;
        s.centreY = normalY * offset + directionY * middle;
        const double presenceDraw = rng.Random();
        const double jitter = (rng.Random() * 6.0 - 3.0) * std::numbers::pi / 180.0;
        const double sideways = (rng.Random() - 0.5) * 1.2;
        s.length = length;
        s.halfWidth = 0.6 + 0.4 * rng.Random();
        s.pressure = 0.55 + 0.45 * rng.Random();
        s.wobblePhase = rng.Random() * 2 * std::numbers::pi;
        if (s.centreX < -length || s.centreX > W + length || s.centreY < -length || s.centreY > H + length) continue;
        const double presence =
            family.presenceBase + family.presenceGain * std::pow(Darkness(s.centreX), family.presencePower);
        if (presenceDraw >= presence) continue;
        s.directionX = std::cos(angle + jitter);
        s.directionY = -std::sin(angle + jitter);
        s.centreX += normalX * sideways;
        s.centreY += normalY * sideways;
        DrawStroke(s, grain, darkness);
      }
    }
  }
  // Layers of graphite darken less and less: the paper cannot get darker than the lead.
  for (double& v : darkness.values) v = 1.0 - std::exp(-1.3 * v);
  return darkness;
}

// Column statistics of the darkness, averaged over a few neighbouring columns so the mapping
// onto the tone ramp changes smoothly from column to column and shows no vertical bands.
void SmoothedColumnStatistics(const Field& darkness, std::vector<double>& mean, std::vector<double>& spread) {
  constexpr int kReach = 10;
  std::vector<double> sum(W, 0.0), sumSquares(W, 0.0);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      sum[x] += darkness.at(x, y);
      sumSquares[x] += darkness.at(x, y) * darkness.at(x, y);
    }
  }
  mean.assign(W, 0.0);
  spread.assign(W, 0.0);
  for (int x = 0; x < W; ++x) {
    double s = 0, s2 = 0;
    int n = 0;
    for (int c = std::max(0, x - kReach); c <= std::min(W - 1, x + kReach); ++c) {
      s += sum[c];
      s2 += sumSquares[c];
      n += H;
    }
    mean[x] = s / n;
    spread[x] = std::sqrt(std::max(0.0, s2 / n - mean[x] * mean[x]));
  }
}

}  // namespace

Bitmap24 GenerateHatchingPicture() {
  RandomGenerator rng;
  rng.RandomSeed = 0x5EC7C4;
  const Field grain = PaperGrain(rng);
  const Field darkness = StrokeDarkness(grain, rng);

  std::vector<double> mean, spread;
  SmoothedColumnStatistics(darkness, mean, spread);

  // Tone = ramp mean − ramp spread × standardised darkness, then each column's mean is nudged
  // onto the ramp so rounding and clamping at black or white do not shift it.
  std::vector<int> tone(static_cast<std::size_t>(W) * H);
  for (int x = 0; x < W; ++x) {
    const double target = Interpolate(kMeanTone, x);
    const double targetSpread = x >= kFlatColumn ? 0.0 : Interpolate(kToneSpread, x);
    std::vector<double> column(H);
    for (int y = 0; y < H; ++y) {
      const double z = spread[x] > 1e-9 ? (darkness.at(x, y) - mean[x]) / spread[x] : 0.0;
      column[y] = target - targetSpread * z;
    }
    // The correction goes mostly into the strokes, in proportion to their graphite, so the paper
    // between them keeps its smooth ramp and the columns show no bands.
    std::vector<double> weight(H);
    double weightSum = 0;
    for (int y = 0; y < H; ++y) weightSum += weight[y] = darkness.at(x, y) + 0.1;
    for (double& w : weight) w *= H / weightSum;
    double shift = 0;
    for (int pass = 0; pass < 6; ++pass) {
      double total = 0;
      for (int y = 0; y < H; ++y) total += std::clamp(std::nearbyint(column[y] + shift * weight[y]), 0.0, 255.0);
      shift += target - total / H;
    }
    for (int y = 0; y < H; ++y) {
      const int value = static_cast<int>(std::clamp(std::nearbyint(column[y] + shift * weight[y]), 0.0, 255.0));
      tone[static_cast<std::size_t>(y) * W + x] = x >= kFlatColumn ? kFlatTone : value;
    }
  }

  Bitmap24 picture(W, H);
  for (int y = 0; y < H; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < W; ++x) {
      for (int c = 0; c < 3; ++c) row[3 * x + c] = static_cast<std::uint8_t>(tone[static_cast<std::size_t>(y) * W + x]);
    }
  }
  return picture;
}

const Bitmap24& HatchingPicture() {
  // Initialised once, also when several threads ask at the same time.
  static const Bitmap24 picture = [] {
    std::optional<Bitmap24> shipped = ReadResourcePicture(kHatchingPicturePath, W, H);
    return shipped ? std::move(*shipped) : GenerateHatchingPicture();
  }();
  return picture;
}

}  // namespace atelion
