// The old-paper sheet, drawn from a few layers: a grain that repeats every 56 × 63 pixels
// (mottled value noise of two sizes and a per-pixel speckle), then, faded in away from the
// top-left corner, a broad cloudiness, fibres, water stains with tide lines, foxing spots and the
// darkening along the edges. The red channel carries the tone; green and blue fall away a little
// more in the stained parts, which gives them their yellow-brown cast.
#include "styles/stylized/old_paper_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/run_context.h"
#include "imageio/resource_pictures.h"

namespace atelion {

namespace {

constexpr int W = kOldPaperWidth;
constexpr int H = kOldPaperHeight;
constexpr double kPi = 3.14159265358979323846;

// A value in [−1, 1] for each integer lattice point, from a hash of its coordinates.
double LatticeValue(int x, int y, std::uint32_t salt) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343u ^ static_cast<std::uint32_t>(y) * 0xD8163841u ^
                    salt * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  h ^= h >> 15;
  return static_cast<double>(h & 0xFFFF) / 32767.5 - 1.0;
}

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

// Value noise over cells of `cellX` × `cellY` pixels; with `wrapX`/`wrapY` lattice points it
// repeats (0 for no wrap).
double ValueNoise(double x, double y, double cellX, double cellY, int wrapX, int wrapY, std::uint32_t salt) {
  const double gx = x / cellX, gy = y / cellY;
  const int x0 = static_cast<int>(std::floor(gx)), y0 = static_cast<int>(std::floor(gy));
  const double fx = Smooth(gx - x0), fy = Smooth(gy - y0);
  auto at = [&](int lx, int ly) {
    if (wrapX > 0) lx = ((lx % wrapX) + wrapX) % wrapX;
    if (wrapY > 0) ly = ((ly % wrapY) + wrapY) % wrapY;
    return LatticeValue(lx, ly, salt);
  };
  const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
  const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
  return top + (bottom - top) * fy;
}

// Broad cloudiness of several octaves, not repeating.
double Clouds(double x, double y, std::uint32_t salt) {
  return 0.55 * ValueNoise(x, y, 180, 180, 0, 0, salt) + 0.3 * ValueNoise(x, y, 70, 70, 0, 0, salt + 1) +
         0.15 * ValueNoise(x, y, 25, 25, 0, 0, salt + 2);
}

// The per-pixel layers: tone (red) and how brown the added marks are (taken from green and blue).
struct Sheet {
  std::vector<double> tone = std::vector<double>(static_cast<std::size_t>(W) * H, 0.0);
  std::vector<double> brown = std::vector<double>(static_cast<std::size_t>(W) * H, 0.0);
  std::vector<double> fade = std::vector<double>(static_cast<std::size_t>(W) * H, 0.0);

  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * W + x; }
  // Adds a mark of `amount` (negative darkens) with a brown share, faded near the grain corner.
  void Mark(int x, int y, double amount, double brownShare) {
    if (x < 0 || y < 0 || x >= W || y >= H) return;
    const std::size_t i = Index(x, y);
    tone[i] += amount * fade[i];
    brown[i] += -amount * brownShare * fade[i];
  }
};

// 0 in the corner the photograph is tiled from, rising smoothly to 1 about 150 pixels away.
double CornerFade(int x, int y) {
  const double t = std::clamp(std::max((x - 70) / 150.0, (y - 76) / 150.0), 0.0, 1.0);
  return Smooth(t);
}

void DrawFibres(Sheet& sheet, RandomGenerator& rng) {
  for (int f = 0; f < 3200; ++f) {
    double x = rng.Random() * W, y = rng.Random() * H;
    double angle = rng.Random() * 2 * kPi;
    const int length = 10 + rng.Random(45);
    // Most fibres are a little darker than the sheet, some lighter (bleached) ones shine.
    const double amount = rng.Random(5) == 0 ? 8.0 + rng.Random() * 6 : -(9.0 + rng.Random() * 12);
    const double bend = (rng.Random() - 0.5) * 0.08;
    for (int s = 0; s < length; ++s) {
      // Spread over the two nearest pixels across the fibre, so it stays thin but not jagged.
      const double px = x - std::sin(angle) * 0.5, py = y + std::cos(angle) * 0.5;
      const int ix = static_cast<int>(std::floor(px)), iy = static_cast<int>(std::floor(py));
      const double wx = px - ix, wy = py - iy;
      const double taper = std::sin(kPi * (s + 0.5) / length);
      sheet.Mark(ix, iy, amount * taper * (1 - wx) * (1 - wy), 0.4);
      sheet.Mark(ix + 1, iy, amount * taper * wx * (1 - wy), 0.4);
      sheet.Mark(ix, iy + 1, amount * taper * (1 - wx) * wy, 0.4);
      sheet.Mark(ix + 1, iy + 1, amount * taper * wx * wy, 0.4);
      x += std::cos(angle);
      y += std::sin(angle);
      angle += bend + (rng.Random() - 0.5) * 0.07;
    }
  }
}

// A water stain: a faintly darker, browner inside, darkest towards the tide line where the water
// dried, and a soft dark tide line along its wavering outline.
void DrawStain(Sheet& sheet, RandomGenerator& rng, double cx, double cy, double radius) {
  const std::uint32_t salt = static_cast<std::uint32_t>(rng.Random(1 << 20));
  const double inside = 4.0 + rng.Random() * 5;
  const double tide = 9.0 + rng.Random() * 9;
  const double phase = rng.Random() * 2 * kPi;
  const int reach = static_cast<int>(radius * 1.4) + 8;
  for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y) {
    for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
      const double dx = x - cx, dy = y - cy;
      const double angle = std::atan2(dy, dx);
      // The outline wavers gently with the angle and with the place.
      const double edge = radius * (1 + 0.12 * std::sin(2 * angle + phase) + 0.05 * std::sin(5 * angle + 2 * phase) +
                                    0.12 * ValueNoise(x, y, radius * 0.6, radius * 0.6, 0, 0, salt));
      const double d = std::sqrt(dx * dx + dy * dy) - edge;  // < 0 inside
      double amount = 0;
      if (d < 0) amount -= inside * (0.45 + 0.55 * std::exp(d / (0.25 * radius)));
      const double line = d / 2.6;
      amount -= tide * std::exp(-line * line) * (0.7 + 0.3 * ValueNoise(x, y, 14, 14, 0, 0, salt + 3));
      if (d > 0) amount -= 0.35 * tide * std::exp(-d / 2.0) * std::exp(-d / 6.0);
      if (amount < -0.05) sheet.Mark(x, y, amount, 0.9);
    }
  }
}

// A foxing spot: a small soft brown dot with a darker core.
void DrawFoxing(Sheet& sheet, double cx, double cy, double radius, double depth) {
  const int reach = static_cast<int>(radius * 2.5) + 2;
  for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y) {
    for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
      const double r2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
      sheet.Mark(x, y, -depth * (std::exp(-r2) + 0.35 * std::exp(-r2 / 4)), 1.4);
    }
  }
}

}  // namespace

Bitmap24 GenerateOldPaperPicture() {
  RandomGenerator rng;
  rng.RandomSeed = 0x01D9A9E5;
  Sheet sheet;
  // The repeating grain: two sizes of mottle that wrap at 56 × 63 pixels, and a fine speckle
  // that wraps as well.
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const std::size_t i = sheet.Index(x, y);
      const int gx = x % kOldPaperGrainPeriodX, gy = y % kOldPaperGrainPeriodY;
      const double mottle = 7.0 * ValueNoise(gx, gy, 8, 9, 7, 7, 11) + 4.0 * ValueNoise(gx, gy, 4, 3, 14, 21, 12);
      const double speckle = 3.0 * LatticeValue(gx, gy, 13);
      // Away from the corner the same grain without repeating, so no pattern shows on the sheet.
      const double freeMottle = 7.0 * ValueNoise(x, y, 8, 9, 0, 0, 14) + 4.0 * ValueNoise(x, y, 4, 3, 0, 0, 15);
      const double freeSpeckle = 3.0 * LatticeValue(x, y, 16);
      sheet.fade[i] = CornerFade(x, y);
      sheet.tone[i] = 191.0 + (1 - sheet.fade[i]) * (mottle + speckle) + sheet.fade[i] * (freeMottle + freeSpeckle);
    }
  }
  // Broad cloudiness and the darkened edges, their depth varying along the sheet.
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const double edgeDistance = std::min({x, y, W - 1 - x, H - 1 - y});
      const double wear = 0.65 + 0.35 * (1 + ValueNoise(x, y, 120, 120, 0, 0, 21));
      const double edge = wear * (30.0 * std::exp(-edgeDistance / 18.0) + 16.0 * std::exp(-edgeDistance / 110.0));
      sheet.Mark(x, y, 6.0 * Clouds(x, y, 31) - edge, 0.7);
    }
  }
  for (int s = 0; s < 7; ++s) {
    const double radius = 40 + rng.Random() * 150;
    DrawStain(sheet, rng, rng.Random() * W, rng.Random() * H, radius);
  }
  for (int f = 0; f < 70; ++f) {
    // Foxing gathers in clusters.
    const double cx = rng.Random() * W, cy = rng.Random() * H;
    const int count = 1 + rng.Random(5);
    for (int k = 0; k < count; ++k)
      DrawFoxing(sheet, cx + (rng.Random() - 0.5) * 60, cy + (rng.Random() - 0.5) * 60, 1.2 + rng.Random() * 3.5,
                 8 + rng.Random() * 22);
  }
  DrawFibres(sheet, rng);

  Bitmap24 picture(W, H);
  for (int y = 0; y < H; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < W; ++x) {
      const std::size_t i = sheet.Index(x, y);
      const double red = sheet.tone[i];
      const double green = red - 5 - 0.35 * sheet.brown[i];
      const double blue = red - 17 - 0.8 * sheet.brown[i];
      row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(std::lround(red), 0L, 255L));
      row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(std::lround(green), 0L, 255L));
      row[3 * x] = static_cast<std::uint8_t>(std::clamp(std::lround(blue), 0L, 255L));
    }
  }
  return picture;
}

const Bitmap24& OldPaperPicture() {
  static const Bitmap24 picture = [] {
    std::optional<Bitmap24> shipped = ReadResourcePicture(kOldPaperPicturePath, W, H);
    return shipped ? std::move(*shipped) : GenerateOldPaperPicture();
  }();
  return picture;
}

}  // namespace atelion
