// Paper and canvas grain for the texture overlay. Every tile is a gentle relief: a height field
// built on a 255 × 255 torus, so the grain joins itself without a seam, lit from the upper left
// and turned into small grey offsets around 128. The texture step subtracts the tile from the
// picture (a light tile value darkens it), so a tile holds 128 minus the light and shade the
// picture should take. All features are small beside the tile, so its repeat every 255 pixels
// does not show, and the offsets stay within a dozen grey levels, so a photograph takes on the
// feel of the paper without looking soiled.
#include "finishing/paper_tiles.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

#include "core/run_context.h"

namespace atelion {

namespace {

constexpr int N = kTextureTilePeriod;
constexpr double kPi = std::numbers::pi;

// A square field of N × N values that wraps at N in both directions.
struct Field {
  std::vector<double> values = std::vector<double>(N * N, 0.0);
  static int Wrap(int i) { return ((i % N) + N) % N; }
  double& at(int x, int y) { return values[Wrap(y) * N + Wrap(x)]; }
  double at(int x, int y) const { return values[Wrap(y) * N + Wrap(x)]; }
  Field& Add(const Field& other, double weight) {
    for (int i = 0; i < N * N; ++i) values[i] += weight * other.values[i];
    return *this;
  }
};

// An independent random value in −1..1 per pixel: the raw material of every grain.
Field WhiteNoise(RandomGenerator& rng) {
  Field field;
  for (double& v : field.values) v = rng.Random() * 2.0 - 1.0;
  return field;
}

// One pass of a Gaussian blur along rows (or columns) that wraps around the tile.
Field BlurAlong(const Field& field, double sigma, bool rows) {
  if (sigma <= 0) return field;
  const int radius = static_cast<int>(std::ceil(3 * sigma));
  std::vector<double> kernel(2 * radius + 1);
  for (int k = -radius; k <= radius; ++k) kernel[k + radius] = std::exp(-0.5 * k * k / (sigma * sigma));
  const double total = std::accumulate(kernel.begin(), kernel.end(), 0.0);
  for (double& k : kernel) k /= total;
  Field out;
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      double sum = 0;
      for (int k = -radius; k <= radius; ++k) {
        sum += kernel[k + radius] * (rows ? field.at(x + k, y) : field.at(x, y + k));
      }
      out.at(x, y) = sum;
    }
  }
  return out;
}

// Blurred, wrapped white noise scaled to a standard deviation of 1: grain whose features are
// about `sigmaX` × `sigmaY` pixels, with no lattice to give its construction away.
Field Grain(RandomGenerator& rng, double sigmaX, double sigmaY) {
  Field field = BlurAlong(BlurAlong(WhiteNoise(rng), sigmaX, true), sigmaY, false);
  const double mean = std::accumulate(field.values.begin(), field.values.end(), 0.0) / (N * N);
  double variance = 0;
  for (double v : field.values) variance += (v - mean) * (v - mean);
  const double scale = 1.0 / std::max(1e-12, std::sqrt(variance / (N * N)));
  for (double& v : field.values) v = (v - mean) * scale;
  return field;
}

Field Grain(RandomGenerator& rng, double sigma) { return Grain(rng, sigma, sigma); }

// The light a relief catches from the upper left: slopes that face the light are bright.
Field Shade(const Field& height) {
  Field light;
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      light.at(x, y) = 0.5 * (height.at(x - 1, y - 1) - height.at(x + 1, y + 1));
    }
  }
  return light;
}

// A woven canvas: warp threads running down, weft threads across, `threads` of each over the
// tile (an even number, so the over-and-under pattern wraps). Each thread is a rounded ridge
// that rises where it passes over a crossing thread and dips where it passes under; `slubs` is
// how much a thread thickens and thins along its length, as spun yarn does.
Field Weave(int threads, double slubs, RandomGenerator& rng) {
  const double pitch = static_cast<double>(N) / threads;
  // Row k of these holds how thread k thickens and thins along its length.
  const Field warpYarn = Grain(rng, 0.0, 9.0);
  const Field weftYarn = Grain(rng, 0.0, 9.0);
  const Field wander = Grain(rng, 20.0);
  Field height;
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      // Threads are not laid perfectly straight.
      const double u = x / pitch + 0.05 * wander.at(x, y);
      const double v = y / pitch + 0.05 * wander.at(y, x);
      const int column = static_cast<int>(std::floor(u));
      const int row = static_cast<int>(std::floor(v));
      // Across a thread: a rounded profile, 1 in its middle, 0 in the gap between threads.
      const double acrossWarp = std::sin(kPi * (u - column));
      const double acrossWeft = std::sin(kPi * (v - row));
      // Along a thread: it lies on top at every other crossing (the warp where column + row is
      // even, the weft where it is odd) and dips under the crossings between.
      const double warpLift = 0.5 + 0.5 * std::cos(kPi * (v - 0.5 + column));
      const double weftLift = 0.5 - 0.5 * std::cos(kPi * (u - 0.5 + row));
      const double warp = acrossWarp * (1.0 + slubs * warpYarn.at(column, y)) * (0.55 + 0.45 * warpLift);
      const double weft = acrossWeft * (1.0 + slubs * weftYarn.at(row, x)) * (0.55 + 0.45 * weftLift);
      height.at(x, y) = std::max(warp, weft);
    }
  }
  return height;
}

// Laid paper: the fine wires of the mould leave close, slightly wavering lines across the sheet,
// some pressed deeper than others.
Field LaidLines(int lines, RandomGenerator& rng) {
  const Field waver = Grain(rng, 20.0, 3.0);
  const Field depth = Grain(rng, 30.0, 0.8);
  Field height;
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      const double v = static_cast<double>(y) * lines / N + 0.08 * waver.at(x, y);
      height.at(x, y) = std::cos(2 * kPi * v) * (1.0 + 0.35 * depth.at(x, y));
    }
  }
  return height;
}

// Fibres lying in the paper: `count` thin, gently curved strands of random direction, between
// `minLength` and `maxLength` pixels long and about `width` pixels thick; most lie on top
// (raised), some are pressed in.
Field Fibres(int count, double minLength, double maxLength, double width, RandomGenerator& rng) {
  Field height;
  for (int f = 0; f < count; ++f) {
    double x = rng.Random() * N;
    double y = rng.Random() * N;
    double angle = rng.Random() * 2 * kPi;
    const double curl = (rng.Random() - 0.5) * 0.015;
    const double length = minLength + (maxLength - minLength) * rng.Random();
    const double raised = rng.Random() < 0.7 ? 1.0 : -0.6;
    const double thickness = width * (0.7 + 0.6 * rng.Random());
    for (double s = 0; s < length; s += 0.5) {
      // A soft dot of the fibre's thickness, wrapped around the tile.
      const int x0 = static_cast<int>(std::floor(x - thickness - 1));
      const int y0 = static_cast<int>(std::floor(y - thickness - 1));
      for (int j = y0; j <= y0 + static_cast<int>(2 * thickness + 3); ++j) {
        for (int i = x0; i <= x0 + static_cast<int>(2 * thickness + 3); ++i) {
          const double d = std::hypot(i - x, j - y) / thickness;
          if (d >= 1.0) continue;
          // Fade in and out along the fibre so its ends taper.
          const double taper = std::min({1.0, s / 3.0, (length - s) / 3.0});
          double& h = height.at(i, j);
          const double value = raised * (1.0 - d * d) * taper;
          if (std::abs(value) > std::abs(h)) h = value;
        }
      }
      x += 0.5 * std::cos(angle);
      y += 0.5 * std::sin(angle);
      angle += curl;
    }
  }
  return height;
}

// The felt that presses pastel paper leaves a net of small shallow cells: each pixel's height is
// how far it lies from the nearest cell seed, nearer the middle of a cell being deeper.
Field FeltCells(int cellsAcross, RandomGenerator& rng) {
  const double pitch = static_cast<double>(N) / cellsAcross;
  std::vector<double> seedX(cellsAcross * cellsAcross), seedY(cellsAcross * cellsAcross);
  for (int j = 0; j < cellsAcross; ++j) {
    for (int i = 0; i < cellsAcross; ++i) {
      seedX[j * cellsAcross + i] = (i + 0.15 + 0.7 * rng.Random()) * pitch;
      seedY[j * cellsAcross + i] = (j + 0.15 + 0.7 * rng.Random()) * pitch;
    }
  }
  Field height;
  for (int y = 0; y < N; ++y) {
    for (int x = 0; x < N; ++x) {
      const int ci = static_cast<int>(x / pitch);
      const int cj = static_cast<int>(y / pitch);
      double nearest = 1e9;
      for (int dj = -1; dj <= 1; ++dj) {
        for (int di = -1; di <= 1; ++di) {
          const int i = ((ci + di) % cellsAcross + cellsAcross) % cellsAcross;
          const int j = ((cj + dj) % cellsAcross + cellsAcross) % cellsAcross;
          // The seed's position shifted by whole tiles so it lies next to (x, y).
          const double sx = seedX[j * cellsAcross + i] + N * std::floor((ci + di) / static_cast<double>(cellsAcross));
          const double sy = seedY[j * cellsAcross + i] + N * std::floor((cj + dj) / static_cast<double>(cellsAcross));
          nearest = std::min(nearest, std::hypot(x - sx, y - sy));
        }
      }
      height.at(x, y) = std::min(1.0, nearest / pitch);
    }
  }
  return height;
}

// Grit of sanded card: sharp grains, `density` of them per pixel, standing out of a fine tooth.
Field Grit(double density, RandomGenerator& rng) {
  Field height = Grain(rng, 0.7);
  for (double& h : height.values) h *= 0.4;
  const int grains = static_cast<int>(density * N * N);
  for (int g = 0; g < grains; ++g) {
    const int x = rng.Random(N);
    const int y = rng.Random(N);
    const double size = 0.6 + 1.2 * rng.Random();
    for (int j = -2; j <= 2; ++j) {
      for (int i = -2; i <= 2; ++i) {
        const double d = std::hypot(i, j) / size;
        if (d < 1.0) height.at(x + i, y + j) = std::max(height.at(x + i, y + j), 1.6 * (1.0 - d * d));
      }
    }
  }
  return height;
}

// The relief a paper shows: its lit slopes plus `depth` times as much of its height itself, so
// hollows hold a little more shade than rises.
Field Relief(const Field& height, double depth) {
  Field light = Shade(height);
  const auto spread = [](const Field& f) {
    const double mean = std::accumulate(f.values.begin(), f.values.end(), 0.0) / (N * N);
    double variance = 0;
    for (double v : f.values) variance += (v - mean) * (v - mean);
    return std::max(1e-12, std::sqrt(variance / (N * N)));
  };
  const double lightScale = 1.0 / spread(light);
  const double depthScale = depth / spread(height);
  Field relief;
  for (int i = 0; i < N * N; ++i) relief.values[i] = lightScale * light.values[i] + depthScale * height.values[i];
  return relief;
}

// Writes a relief as a tile: shifted to mean 0 and scaled to the given standard deviation in
// grey levels, with its few strongest points eased back inside ±12 so no spot stands out, then
// stored as 128 minus the relief (the texture step subtracts the tile). The last row and column
// repeat the first; they are never read.
Bitmap24 ToTile(const Field& relief, double deviation) {
  constexpr double kLimit = 12.0;
  const double mean = std::accumulate(relief.values.begin(), relief.values.end(), 0.0) / (N * N);
  double variance = 0;
  for (double v : relief.values) variance += (v - mean) * (v - mean);
  const double scale = deviation / std::max(1e-12, std::sqrt(variance / (N * N)));
  Field eased;
  for (int i = 0; i < N * N; ++i) eased.values[i] = kLimit * std::tanh((relief.values[i] - mean) * scale / kLimit);
  // Easing an uneven spread of highs and lows moves the mean a little; put it back on 128.
  const double shift = std::accumulate(eased.values.begin(), eased.values.end(), 0.0) / (N * N);
  Bitmap24 tile(kTextureTileSize, kTextureTileSize, 0x808080);
  for (int y = 0; y < kTextureTileSize; ++y) {
    std::uint8_t* row = tile.Row(y);
    for (int x = 0; x < kTextureTileSize; ++x) {
      const double offset = std::clamp(eased.at(x, y) - shift, -kLimit, kLimit);
      const auto grey = static_cast<std::uint8_t>(std::lround(128.0 - offset));
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
    case 0: {  // smooth hot-pressed drawing paper: the faintest tooth
      const Field height = Grain(rng, 0.9).Add(Grain(rng, 3.0), 0.4);
      return ToTile(Relief(height, 0.5), 2.6);
    }
    case 1: {  // cold-pressed watercolour paper: an even tooth of small rounded bumps
      const Field height = Grain(rng, 2.2).Add(Grain(rng, 4.5), 0.5).Add(Grain(rng, 0.8), 0.15);
      return ToTile(Relief(height, 0.35), 3.8);
    }
    case 2: {  // rough watercolour paper: deeper, irregular hills and hollows
      const Field height = Grain(rng, 3.5).Add(Grain(rng, 7.0), 0.5).Add(Grain(rng, 1.2), 0.2);
      return ToTile(Relief(height, 0.5), 5.0);
    }
    case 3: {  // fine canvas: a close plain weave
      const Field height = Weave(50, 0.15, rng).Add(Grain(rng, 0.7), 0.06);
      return ToTile(Relief(height, 0.6), 3.8);
    }
    case 4: {  // coarse linen canvas: a looser weave of uneven yarn
      const Field height = Weave(30, 0.3, rng).Add(Grain(rng, 0.8), 0.08);
      return ToTile(Relief(height, 0.6), 4.8);
    }
    case 5: {  // laid paper: close mould lines over a soft formation
      const Field height = LaidLines(60, rng).Add(Grain(rng, 1.0), 0.5).Add(Grain(rng, 5.0), 0.4);
      return ToTile(Relief(height, 0.5), 3.0);
    }
    case 6: {  // handmade paper: long fibres in an uneven, cloudy sheet
      const Field height = Fibres(700, 6, 26, 0.55, rng).Add(Grain(rng, 1.5), 0.3).Add(Grain(rng, 5.0), 0.3);
      return ToTile(Relief(height, 0.5), 4.0);
    }
    case 7: {  // pastel paper: the net of shallow cells the felt leaves
      const Field height = FeltCells(34, rng).Add(Grain(rng, 0.8), 0.05);
      return ToTile(Relief(height, 0.7), 3.8);
    }
    case 8: {  // sanded pastel card: sharp grit standing out of a fine tooth
      const Field height = Grit(0.035, rng);
      return ToTile(Relief(height, 0.4), 4.0);
    }
    default: {  // cardboard: short coarse fibres and specks pressed into a rough pulp
      const Field height =
          Fibres(700, 5, 16, 1.1, rng).Add(Grain(rng, 1.2), 0.35).Add(Grain(rng, 3.5), 0.35);
      return ToTile(Relief(height, 0.6), 4.5);
    }
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
