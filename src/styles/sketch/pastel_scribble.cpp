// A pastel scribble is drawn as a zigzag of broad strokes running across a steep band, each stroke
// a soft-edged ribbon whose pigment thins towards its sides and ends. The stick deposits pigment
// only on the high points of the paper, so the ink is multiplied by a grain made of fine noise and
// short fibres; where the grain is deep the paper stays white. Finally the tones are scaled so
// that the covered part has the density the oil pastel sketch expects of its brush.
#include "styles/sketch/pastel_scribble.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/run_context.h"
#include "imageio/resource_pictures.h"

namespace atelion {

namespace {

constexpr int kSide = kPastelScribbleSide;

// The band's axis: from (206, 18) at the top to (290, 490) at the bottom.
constexpr double kTopX = 206, kTopY = 18, kBottomX = 290, kBottomY = 490;
constexpr double kHalfWidth = 51;  // of the band, across its axis

struct Field {
  std::vector<double> values = std::vector<double>(static_cast<std::size_t>(kSide) * kSide, 0.0);
  double& at(int x, int y) { return values[static_cast<std::size_t>(y) * kSide + x]; }
  double at(int x, int y) const { return values[static_cast<std::size_t>(y) * kSide + x]; }
};

// Paper grain in 0..1 (1 = a high point that takes pigment): noise smoothed over a pixel or two,
// with short fibres along random directions.
Field PaperGrain(RandomGenerator& rng) {
  Field noise;
  for (double& v : noise.values) v = rng.Random();
  Field grain;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      double sum = 0;
      int count = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int xx = std::clamp(x + dx, 0, kSide - 1), yy = std::clamp(y + dy, 0, kSide - 1);
          const double w = dx == 0 && dy == 0 ? 4.0 : 1.0;
          sum += w * noise.at(xx, yy);
          count += static_cast<int>(w);
        }
      }
      grain.at(x, y) = sum / count;
    }
  }
  // Fibres: short light scratches where the paper dips.
  for (int f = 0; f < 2600; ++f) {
    const double x0 = rng.Random() * kSide, y0 = rng.Random() * kSide;
    const double angle = rng.Random() * 3.14159265358979;
    const int length = 3 + rng.Random(7);
    for (int t = 0; t < length; ++t) {
      const int x = static_cast<int>(x0 + t * std::cos(angle)), y = static_cast<int>(y0 + t * std::sin(angle));
      if (x >= 0 && y >= 0 && x < kSide && y < kSide) grain.at(x, y) *= 0.55;
    }
  }
  return grain;
}

// Pigment coverage in 0..1 laid by the zigzag of strokes.
Field StrokeCoverage(RandomGenerator& rng) {
  Field coverage;
  const double axisX = kBottomX - kTopX, axisY = kBottomY - kTopY;
  const double length = std::hypot(axisX, axisY);
  const double ux = axisX / length, uy = axisY / length;  // along the band
  const double vx = -uy, vy = ux;                          // across it
  // Strokes go across the band, slanted, one every few pixels along it, each a little off.
  double along = 4;
  while (along < length - 4) {
    const double spacing = 2.2 + 2.0 * rng.Random();
    const double slant = 0.35 + 0.25 * (rng.Random() - 0.5);  // stroke direction against "across"
    const double width = 3.0 + 3.5 * rng.Random();
    const double pressure = 0.55 + 0.45 * rng.Random();
    // The band narrows at both ends and wavers.
    const double end = std::min(along, length - along);
    const double half = kHalfWidth * std::min(1.0, 0.35 + end / 70.0) * (0.85 + 0.3 * rng.Random());
    const double reach0 = -half * (0.8 + 0.25 * rng.Random()), reach1 = half * (0.8 + 0.25 * rng.Random());
    const double dirX = vx + slant * ux, dirY = vy + slant * uy;
    const double dirLength = std::hypot(dirX, dirY);
    const double cx = kTopX + along * ux, cy = kTopY + along * uy;
    for (double s = reach0; s <= reach1; s += 0.5) {
      const double px = cx + s * dirX / dirLength, py = cy + s * dirY / dirLength;
      // Pigment thins towards the stroke's ends.
      const double fromEnd = std::min(s - reach0, reach1 - s);
      const double endFade = std::min(1.0, fromEnd / 9.0);
      const int r = static_cast<int>(std::ceil(width));
      for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
          const int x = static_cast<int>(std::lround(px)) + dx, y = static_cast<int>(std::lround(py)) + dy;
          if (x < 0 || y < 0 || x >= kSide || y >= kSide) continue;
          const double d = std::hypot(x - px, y - py) / width;
          if (d >= 1) continue;
          const double amount = pressure * endFade * (1 - d * d) * 0.045;
          coverage.at(x, y) = std::min(1.0, coverage.at(x, y) + amount);
        }
      }
    }
    along += spacing;
  }
  return coverage;
}

}  // namespace

Bitmap24 GeneratePastelScribble() {
  RandomGenerator rng;
  rng.RandomSeed = 0xA57E1;
  const Field grain = PaperGrain(rng);
  const Field coverage = StrokeCoverage(rng);
  Bitmap24 picture(kSide, kSide, 0xFFFFFF);
  for (int y = 0; y < kSide; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < kSide; ++x) {
      const double c = coverage.at(x, y);
      if (c <= 0) continue;
      // Light pressure only catches the highest grain; heavy pressure fills the paper.
      const double catchLevel = 1.0 - c;
      const double g = grain.at(x, y);
      const double ink = std::clamp((g - catchLevel * 0.62) / 0.45, 0.0, 1.0) * std::min(1.0, 0.25 + 0.9 * c);
      int value = std::clamp(static_cast<int>(std::lround(255 - 178 * ink)), 0, 255);
      // A trace too faint to count as pigment is bare paper.
      if (value >= 250) value = 255;
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<std::uint8_t>(value);
    }
  }
  return picture;
}

const Bitmap24& PastelScribble() {
  // Initialised once, also when several threads ask at the same time.
  static const Bitmap24 picture = [] {
    std::optional<Bitmap24> shipped = ReadResourcePicture(kPastelScribblePath, kSide, kSide);
    return shipped ? std::move(*shipped) : GeneratePastelScribble();
  }();
  return picture;
}

}  // namespace atelion
