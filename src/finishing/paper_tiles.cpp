// Paper grain is built from periodic value noise: random values on a coarse lattice whose cell
// size divides 255, smoothly interpolated and wrapped, so the tile joins itself without a seam.
// Several octaves and a few woven or laid patterns give ten distinct papers and canvases.
#include "finishing/paper_tiles.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numeric>
#include <utility>
#include <vector>

#include "core/run_context.h"

namespace atelion {

namespace {

constexpr int N = kTextureTilePeriod;
constexpr double kPi = 3.14159265358979323846;

// A square field of N × N doubles that wraps at N in both directions.
struct Field {
  std::vector<double> values = std::vector<double>(N * N, 0.0);
  double& at(int x, int y) { return values[((y % N + N) % N) * N + ((x % N + N) % N)]; }
  double at(int x, int y) const { return values[((y % N + N) % N) * N + ((x % N + N) % N)]; }
};

double Smoothstep(double t) { return t * t * (3.0 - 2.0 * t); }

// Value noise with lattice cells of `cell` pixels (a divisor of 255), values in −1..1.
Field PeriodicNoise(int cell, RandomGenerator& rng) {
  const int lattice = N / cell;
  std::vector<double> knots(lattice * lattice);
  for (double& k : knots) k = rng.Random() * 2.0 - 1.0;
  auto knot = [&](int i, int j) { return knots[(j % lattice) * lattice + (i % lattice)]; };
  Field field;
  for (int y = 0; y < N; ++y) {
    const int j = y / cell;
    const double fy = Smoothstep(static_cast<double>(y % cell) / cell);
    for (int x = 0; x < N; ++x) {
      const int i = x / cell;
      const double fx = Smoothstep(static_cast<double>(x % cell) / cell);
      const double top = knot(i, j) * (1 - fx) + knot(i + 1, j) * fx;
      const double bottom = knot(i, j + 1) * (1 - fx) + knot(i + 1, j + 1) * fx;
      field.at(x, y) = top * (1 - fy) + bottom * fy;
    }
  }
  return field;
}

// Independent random value per pixel: the finest grain.
Field WhiteNoise(RandomGenerator& rng) {
  Field field;
  for (double& v : field.values) v = rng.Random() * 2.0 - 1.0;
  return field;
}

// Sum of octaves with the given cell sizes and weights.
Field Octaves(std::initializer_list<std::pair<int, double>> octaves, RandomGenerator& rng) {
  Field sum;
  for (const auto& [cell, weight] : octaves) {
    const Field layer = cell == 1 ? WhiteNoise(rng) : PeriodicNoise(cell, rng);
    for (int i = 0; i < N * N; ++i) sum.values[i] += weight * layer.values[i];
  }
  return sum;
}

// Threads of a woven canvas: `threads` periods across the tile in each direction, with
// over-and-under shading and a little irregularity from noise.
Field Canvas(int threads, double irregularity, RandomGenerator& rng) {
  const Field wobble = Octaves({{15, 1.0}, {5, 0.5}}, rng);
  const Field fibre = Octaves({{1, 1.0}}, rng);
  Field field;
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      const double u = 2 * kPi * threads * x / N + irregularity * wobble.at(x, y);
      const double v = 2 * kPi * threads * y / N + irregularity * wobble.at(y, x);
      const bool warpOnTop = (static_cast<int>(std::floor(u / kPi)) + static_cast<int>(std::floor(v / kPi))) % 2 == 0;
      const double thread = warpOnTop ? std::abs(std::sin(v)) : std::abs(std::sin(u));
      field.at(x, y) = thread - 0.64 + 0.15 * fibre.at(x, y);
    }
  }
  return field;
}

// Laid paper: fine parallel lines of the mould with occasional chain lines across.
Field Laid(RandomGenerator& rng) {
  const Field grain = Octaves({{17, 0.6}, {3, 0.5}, {1, 0.35}}, rng);
  Field field;
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      const double laidLine = std::cos(2 * kPi * 51 * y / N);
      const double chainLine = std::pow(std::max(0.0, std::cos(2 * kPi * 5 * x / N)), 24.0);
      field.at(x, y) = 0.5 * laidLine + 0.8 * chainLine + grain.at(x, y);
    }
  }
  return field;
}

// Long fibres of handmade or cardboard paper: short streaks drawn along random directions.
Field Fibres(int count, RandomGenerator& rng) {
  Field field = Octaves({{15, 0.5}, {1, 0.3}}, rng);
  for (int f = 0; f < count; ++f) {
    double x = rng.Random() * N;
    double y = rng.Random() * N;
    const double angle = rng.Random() * 2 * kPi;
    const int length = 6 + rng.Random(20);
    const double strength = (rng.Random() < 0.5 ? -1.0 : 1.0) * (0.12 + rng.Random() * 0.25);
    for (int s = 0; s < length; ++s) {
      field.at(static_cast<int>(x), static_cast<int>(y)) += strength;
      x += std::cos(angle);
      y += std::sin(angle);
    }
  }
  return field;
}

// Crumpled paper: ridges where a smooth noise crosses its mid level.
Field Crumpled(RandomGenerator& rng) {
  const Field folds = Octaves({{51, 1.0}, {17, 0.5}}, rng);
  const Field grain = Octaves({{3, 0.3}, {1, 0.25}}, rng);
  Field field;
  for (int i = 0; i < N * N; ++i) {
    field.values[i] = 0.7 - 3.0 * std::abs(folds.values[i]) + grain.values[i];
  }
  return field;
}

// Shifts and scales a field to mean 128 with the given standard deviation, then writes it as a
// 256 × 256 grey tile whose last row and column repeat the first (they are never read).
Bitmap24 ToTile(const Field& field, double deviation) {
  const double mean = std::accumulate(field.values.begin(), field.values.end(), 0.0) / (N * N);
  double variance = 0;
  for (double v : field.values) variance += (v - mean) * (v - mean);
  const double scale = deviation / std::max(1e-9, std::sqrt(variance / (N * N)));
  Bitmap24 tile(kTextureTileSize, kTextureTileSize, 0x808080);
  for (int y = 0; y < kTextureTileSize; ++y) {
    std::uint8_t* row = tile.Row(y);
    for (int x = 0; x < kTextureTileSize; ++x) {
      const double value = 128.0 + (field.at(x, y) - mean) * scale;
      const auto grey = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
      for (int c = 0; c < 3; ++c) row[3 * x + c] = grey;
    }
  }
  return tile;
}

}  // namespace

Bitmap24 GeneratePaperTile(int index) {
  RandomGenerator rng;
  rng.RandomSeed = 20260 + static_cast<std::uint32_t>(index);
  switch (index) {
    case 0: return ToTile(Octaves({{3, 0.6}, {1, 1.0}}, rng), 14);                       // fine drawing paper
    case 1: return ToTile(Octaves({{17, 1.0}, {5, 0.7}, {1, 0.4}}, rng), 22);            // cold-pressed watercolour
    case 2: return ToTile(Octaves({{51, 0.8}, {15, 1.0}, {5, 0.6}, {1, 0.3}}, rng), 28);  // rough watercolour
    case 3: return ToTile(Canvas(17, 0.6, rng), 24);                                    // fine canvas
    case 4: return ToTile(Canvas(9, 0.9, rng), 30);                                     // coarse canvas
    case 5: return ToTile(Laid(rng), 18);                                               // laid paper
    case 6: return ToTile(Fibres(500, rng), 20);                                        // handmade paper
    case 7: return ToTile(Crumpled(rng), 26);                                           // crumpled paper
    case 8: return ToTile(Octaves({{5, 1.0}, {3, 0.8}, {1, 0.8}}, rng), 34);             // pastel sandpaper
    default: return ToTile(Fibres(1500, rng), 26);                                      // cardboard
  }
}

Bitmap24 GenerateTextureSheet() {
  Bitmap24 sheet(5 * kTextureTileSize, 2 * kTextureTileSize, 0x808080);
  for (int i = 0; i < kTextureTileCount; ++i) {
    const Bitmap24 tile = GeneratePaperTile(i);
    const int left = (i % 5) * kTextureTileSize;
    const int top = (i / 5) * kTextureTileSize;
    for (int y = 0; y < kTextureTileSize; ++y) {
      std::copy_n(tile.Row(y), tile.RowBytes(), sheet.Row(top + y) + 3 * left);
    }
  }
  return sheet;
}

}  // namespace atelion
