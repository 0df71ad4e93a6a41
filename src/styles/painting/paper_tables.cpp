// Both papers are height fields lit from the upper left, as a scan of real paper shows them: a
// surface rising towards the light is bright, one falling away from it dark. The watercolour
// paper's relief is the rounded tooth of cold-pressed paper (noise of a few scales, the finest
// strongest, squeezed into bumps with narrow valleys) with a few pressed-in fibres; the impasto
// relief is built of short strokes of thick paint laid over each other, each ridged along its
// edges and grooved by the bristles. The fields wrap around, so the papers tile without a seam.
#include "styles/painting/paper_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <utility>

#include "core/run_context.h"
#include "imageio/resource_pictures.h"

namespace atelion {

namespace {

constexpr int W = kPaperTableWidth;
constexpr int H = kPaperTableHeight;

struct Field {
  std::vector<double> values = std::vector<double>(static_cast<std::size_t>(W) * H, 0.0);
  static std::size_t Index(int x, int y) {
    x %= W;
    y %= H;
    if (x < 0) x += W;
    if (y < 0) y += H;
    return static_cast<std::size_t>(y) * W + static_cast<std::size_t>(x);
  }
  double& at(int x, int y) { return values[Index(x, y)]; }
  double at(int x, int y) const { return values[Index(x, y)]; }
};

// One box blur of radius r along rows then columns, wrapping around the edges.
void BoxBlurWrapped(Field& field, int r) {
  std::vector<double> line;
  const double scale = 1.0 / (2 * r + 1);
  for (int y = 0; y < H; ++y) {
    line.assign(W, 0.0);
    double sum = 0;
    for (int k = -r; k <= r; ++k) sum += field.at(k, y);
    for (int x = 0; x < W; ++x) {
      line[x] = sum * scale;
      sum += field.at(x + r + 1, y) - field.at(x - r, y);
    }
    for (int x = 0; x < W; ++x) field.at(x, y) = line[x];
  }
  for (int x = 0; x < W; ++x) {
    line.assign(H, 0.0);
    double sum = 0;
    for (int k = -r; k <= r; ++k) sum += field.at(x, k);
    for (int y = 0; y < H; ++y) {
      line[y] = sum * scale;
      sum += field.at(x, y + r + 1) - field.at(x, y - r);
    }
    for (int y = 0; y < H; ++y) field.at(x, y) = line[y];
  }
}

// Scales a field to mean 0 and standard deviation 1.
void Normalise(Field& field) {
  double sum = 0, squares = 0;
  for (double v : field.values) sum += v;
  const double mean = sum / static_cast<double>(field.values.size());
  for (double v : field.values) squares += (v - mean) * (v - mean);
  const double deviation = std::sqrt(squares / static_cast<double>(field.values.size()));
  for (double& v : field.values) v = deviation > 0 ? (v - mean) / deviation : 0.0;
}

// Smooth noise of about `scale` pixels: white noise blurred three times (close to a Gaussian).
Field SmoothNoise(RandomGenerator& rng, int scale) {
  Field field;
  for (double& v : field.values) v = rng.Random() * 2.0 - 1.0;
  const int r = std::max(1, scale / 2);
  for (int pass = 0; pass < 3; ++pass) BoxBlurWrapped(field, r);
  Normalise(field);
  return field;
}

// Light from the upper left falling on a height field: the slope towards the lower right, with a
// little of the height itself (raised parts catch more light).
Field Lit(const Field& height, double heightShare) {
  Field light;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const double gx = (height.at(x + 1, y) - height.at(x - 1, y)) * 0.5;
      const double gy = (height.at(x, y + 1) - height.at(x, y - 1)) * 0.5;
      light.at(x, y) = gx + gy;
    }
  }
  Normalise(light);
  Field tone = height;
  Normalise(tone);
  for (std::size_t i = 0; i < light.values.size(); ++i) {
    light.values[i] = light.values[i] * (1.0 - heightShare) + tone.values[i] * heightShare;
  }
  return light;
}

// A grey picture of mean `mean` and spread `spread` from a field of mean 0.
Bitmap24 GreyPicture(Field field, double mean, double spread) {
  Normalise(field);
  Bitmap24 picture(W, H);
  for (int y = 0; y < H; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < W; ++x) {
      const double v = std::clamp(std::nearbyint(mean + spread * field.at(x, y)), 0.0, 255.0);
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<std::uint8_t>(v);
    }
  }
  return picture;
}

struct Point {
  double x = 0, y = 0;
};

// A point of a quadratic curve from a over the control point c to b.
Point OnCurve(const Point& a, const Point& c, const Point& b, double t) {
  const double u = 1 - t;
  return {u * u * a.x + 2 * u * t * c.x + t * t * b.x, u * u * a.y + 2 * u * t * c.y + t * t * b.y};
}

}  // namespace

PaperTable PaperTableFrom(const Bitmap24& picture) {
  PaperTable table;
  if (picture.Width() != W || picture.Height() != H) return table;
  table.values.resize(static_cast<std::size_t>(W) * H);
  std::int64_t sum = 0;
  for (int y = 0; y < H; ++y) {
    const std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < W; ++x) {
      const std::uint8_t red = row[3 * x + 2];
      table.values[static_cast<std::size_t>(y) * W + x] = red;
      sum += red;
    }
  }
  table.mean = static_cast<int>(sum / (static_cast<std::int64_t>(W) * H));
  return table;
}

Bitmap24 GenerateWatercolourPaper() {
  RandomGenerator rng;
  rng.RandomSeed = 20240611u;
  // The tooth: the finest scale strongest, coarser scales for the uneven sizing of the sheet.
  const Field fine = SmoothNoise(rng, 3);
  const Field medium = SmoothNoise(rng, 7);
  const Field coarse = SmoothNoise(rng, 18);
  const Field cloud = SmoothNoise(rng, 64);
  Field height;
  for (std::size_t i = 0; i < height.values.size(); ++i) {
    const double bumps = 0.9 * fine.values[i] + 0.7 * medium.values[i] + 0.35 * coarse.values[i];
    // Rounded tops and narrow valleys, as felt-pressed grain is.
    height.values[i] = bumps > 0 ? std::sqrt(bumps) : -0.6 * std::sqrt(-bumps) * std::sqrt(-bumps);
  }
  // Fibres pressed into the sheet: thin shallow grooves along gentle curves.
  for (int fibre = 0; fibre < 260; ++fibre) {
    const Point a{rng.Random() * W, rng.Random() * H};
    const double angle = rng.Random() * 2 * std::numbers::pi;
    const double length = 15 + rng.Random() * 50;
    const Point b{a.x + std::cos(angle) * length, a.y + std::sin(angle) * length};
    const Point c{(a.x + b.x) / 2 + (rng.Random() - 0.5) * length * 0.6,
                  (a.y + b.y) / 2 + (rng.Random() - 0.5) * length * 0.6};
    const double depth = 0.25 + rng.Random() * 0.35;
    const int steps = static_cast<int>(length * 2);
    for (int s = 0; s <= steps; ++s) {
      const Point p = OnCurve(a, c, b, static_cast<double>(s) / steps);
      height.at(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y))) -= depth / 2;
    }
  }
  Field tone = Lit(height, 0.3);
  // The sheet is not evenly white: faint clouds of sizing.
  for (std::size_t i = 0; i < tone.values.size(); ++i) tone.values[i] += 0.25 * cloud.values[i];
  return GreyPicture(std::move(tone), 204.0, 12.0);
}

Bitmap24 GenerateImpastoPaper() {
  RandomGenerator rng;
  rng.RandomSeed = 19690712u;
  Field height;
  const Field underlayer = SmoothNoise(rng, 24);
  for (std::size_t i = 0; i < height.values.size(); ++i) height.values[i] = 0.3 * underlayer.values[i];
  // A slowly turning direction field, so neighbouring strokes follow each other as a painter's do.
  const Field direction = SmoothNoise(rng, 200);
  constexpr int kStrokes = 2600;
  for (int stroke = 0; stroke < kStrokes; ++stroke) {
    const Point a{rng.Random() * W, rng.Random() * H};
    const double angle = direction.at(static_cast<int>(a.x), static_cast<int>(a.y)) * 1.6 +
                         (rng.Random() - 0.5) * 0.9;
    const double length = 30 + rng.Random() * 70;
    const double width = 10 + rng.Random() * 16;
    const Point b{a.x + std::cos(angle) * length, a.y + std::sin(angle) * length};
    const Point c{(a.x + b.x) / 2 + (rng.Random() - 0.5) * length * 0.4,
                  (a.y + b.y) / 2 + (rng.Random() - 0.5) * length * 0.4};
    const double thickness = 0.8 + rng.Random() * 0.6;
    // Bristle grooves: a few frequencies with their own phases, fixed along the stroke.
    const double groove1 = 2.2 + rng.Random() * 1.2, phase1 = rng.Random() * 6.3;
    const double groove2 = 5.0 + rng.Random() * 2.0, phase2 = rng.Random() * 6.3;
    const int steps = static_cast<int>(length * 2);
    const int across = static_cast<int>(width * 2);
    for (int s = 0; s <= steps; ++s) {
      const double t = static_cast<double>(s) / steps;
      const Point p = OnCurve(a, c, b, t);
      const Point q = OnCurve(a, c, b, std::min(1.0, t + 0.01));
      const Point o = OnCurve(a, c, b, std::max(0.0, t - 0.01));
      double tx = q.x - o.x, ty = q.y - o.y;
      const double norm = std::hypot(tx, ty);
      if (norm <= 0) continue;
      tx /= norm;
      ty /= norm;
      // The paint is thick where the loaded brush lands and thins towards the end of the stroke,
      // with a blunt heap at the start.
      const double load = thickness * (0.55 + 0.45 * (1 - t)) + (t < 0.12 ? 0.3 * std::sin(t / 0.12 * std::numbers::pi) : 0.0);
      // The stroke narrows a little at its end.
      const double halfWidth = width * 0.5 * (t > 0.8 ? 1.0 - (t - 0.8) * 1.5 : 1.0);
      for (int k = -across / 2; k <= across / 2; ++k) {
        const double offset = k * 0.5;
        if (std::abs(offset) > halfWidth) continue;
        const double u = offset / halfWidth;  // −1..1 across the stroke
        const double ridge = 0.45 * std::exp(-std::pow((std::abs(u) - 0.85) / 0.13, 2));
        const double grooves = 0.14 * std::sin(offset * groove1 + phase1) + 0.08 * std::sin(offset * groove2 + phase2);
        const double value = load * (1.0 - 0.35 * u * u) + ridge + grooves;
        // The new paint covers the old fully inside the stroke and merges into it at the rim
        // and at both ends, so the relief has banks rather than cliffs.
        const double rim = std::clamp((1.0 - std::abs(u)) / 0.25, 0.0, 1.0);
        const double ends = std::clamp(std::min(t, 1.0 - t) / 0.1, 0.0, 1.0);
        const double cover = rim * ends;
        const int x = static_cast<int>(std::floor(p.x - ty * offset));
        const int y = static_cast<int>(std::floor(p.y + tx * offset));
        double& here = height.at(x, y);
        here = here * (1.0 - cover) + std::max(value, here * 0.6 + value * 0.4) * cover;
      }
    }
  }
  // A touch of blur: the paint is soft, and the half-pixel stamping leaves no holes behind.
  BoxBlurWrapped(height, 1);
  BoxBlurWrapped(height, 1);
  Field tone = Lit(height, 0.15);
  // The steepest banks would burn out to white and black; a scan's tones roll off instead.
  for (double& v : tone.values) v = 1.6 * std::tanh(v / 1.6);
  return GreyPicture(std::move(tone), 170.0, 24.0);
}

const PaperTable& WatercolourPaperTable() {
  static const PaperTable table = [] {
    std::optional<Bitmap24> shipped = ReadResourcePicture(kWatercolourPaperPath, W, H);
    return PaperTableFrom(shipped ? *shipped : GenerateWatercolourPaper());
  }();
  return table;
}

const PaperTable& ImpastoPaperTable() {
  static const PaperTable table = [] {
    std::optional<Bitmap24> shipped = ReadResourcePicture(kImpastoPaperPath, W, H);
    return PaperTableFrom(shipped ? *shipped : GenerateImpastoPaper());
  }();
  return table;
}

}  // namespace atelion
