// The edge stroke layer: a Sobel-like brightness gradient at every inner pixel; where it is
// strong enough, a straight stroke along the contour (at right angles to the gradient) darkens
// the white layer, most at the centre pixel and one level less per pixel towards both ends.
#include "styles/painting/edge_strokes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/filters.h"

namespace atelion {

namespace {

// A vertical contour would need exactly π/2; the table uses this shorter constant, and the
// stroke geometry depends on it (see DirectionTable).
constexpr double kQuarterTurn = 1.5707;
constexpr double kHalfTurn = 3.14159;

// Rows between two abort checks of a full-size run.
constexpr int kAbortCheckRows = 20;

// Brightness Y = (30 red + 59 green + 11 blue) div 100 of every pixel, row after row.
std::vector<std::uint8_t> BrightnessOf(const Bitmap24& source) {
  const int width = source.Width();
  std::vector<std::uint8_t> brightness(static_cast<std::size_t>(width) * source.Height());
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* row = source.Row(y);
    std::uint8_t* out = brightness.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      const int blue = row[3 * x], green = row[3 * x + 1], red = row[3 * x + 2];
      out[x] = static_cast<std::uint8_t>((30 * red + 59 * green + 11 * blue) / 100);
    }
  }
  return brightness;
}

// Darkens one layer pixel by `darkness` (> 0) when it lies in columns 0..W−2 and rows 0..H−2.
inline void Darken(Bitmap24& layer, int x, int y, int darkness) {
  if (x < 0 || y < 0 || x > layer.Width() - 2 || y > layer.Height() - 2) return;
  std::uint8_t* pixel = layer.Row(y) + 3 * x;
  for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>(std::max(pixel[c] - darkness, 0));
}

// One stroke through (x, y): step i darkens the two pixels i steps away along the angle by
// `centreDarkness` − i, until that reaches 0 or i passes `lastStep`.
void DrawStroke(Bitmap24& layer, int x, int y, double angle, int lastStep, int centreDarkness) {
  const double cosine = std::cos(angle);
  const double sine = std::sin(angle);
  for (int i = 0; i <= lastStep; ++i) {
    const int darkness = centreDarkness - i;
    if (darkness <= 0) return;
    const int dx = static_cast<int>(std::floor(i * cosine));
    const int dy = static_cast<int>(std::floor(i * sine));
    Darken(layer, x - dx, y - dy, darkness);
    Darken(layer, x + dx, y + dy, darkness);
  }
}

// The stroke pass over rows 1..H−2; false when a full-size run was aborted.
bool DrawContourStrokes(const Bitmap24& source, Bitmap24& layer, int threshold, int fade, int lengthFactor,
                        bool preview, RunContext& context) {
  const int width = source.Width();
  const int height = source.Height();
  const std::vector<std::uint8_t> brightness = BrightnessOf(source);
  const DirectionTable& directions = DirectionTable::Instance();
  const int fadeShift = (150 - fade) / 4;

  for (int y = 1; y <= height - 2; ++y) {
    const std::uint8_t* above = brightness.data() + static_cast<std::size_t>(y - 1) * width;
    const std::uint8_t* here = above + width;
    const std::uint8_t* below = here + width;
    for (int x = 1; x <= width - 2; ++x) {
      const int p00 = above[x - 1], p01 = above[x], p02 = above[x + 1];
      const int p10 = here[x - 1], p12 = here[x + 1];
      const int p20 = below[x - 1], p21 = below[x], p22 = below[x + 1];
      const int gx = std::clamp((p00 - p02 + 2 * p10 - 2 * p12 + p20 - p22) / 4, -255, 255);
      const int gy = std::clamp((p00 + 2 * p01 + p02 - p20 - 2 * p21 - p22) / 4, -255, 255);
      const int strength = (std::abs(gx) + std::abs(gy)) >> 1;
      // Purely diagonal gradients (|gx| and |gy| almost equal) draw nothing.
      if (strength < threshold || std::abs(std::abs(gx) - std::abs(gy)) <= 1) continue;
      const int lastStep = ((strength >> 2) * lengthFactor) / 50;
      const int centreDarkness = ((strength >> 1) * lengthFactor) / 50 - fadeShift;
      DrawStroke(layer, x, y, directions.Angle(gx, gy), lastStep, centreDarkness);
    }
    if (!preview) {
      context.ReportProgress(static_cast<int>(static_cast<std::int64_t>(y) * 100 / height), 99, 1, 2);
      if (y % kAbortCheckRows == 0 && context.CheckAbort()) return false;
    }
  }
  return true;
}

}  // namespace

double DirectionTable::ComputeAngle(int gx, int gy) {
  if (gx == 0) return kHalfTurn;
  return std::atan(static_cast<double>(gy) / static_cast<double>(gx)) + kQuarterTurn;
}

DirectionTable::DirectionTable() : angles_(static_cast<std::size_t>(kSide) * kSide) {
  for (int gy = -kLimit; gy <= kLimit; ++gy) {
    for (int gx = -kLimit; gx <= kLimit; ++gx) {
      angles_[(gy + kLimit) * kSide + (gx + kLimit)] = ComputeAngle(gx, gy);
    }
  }
}

const DirectionTable& DirectionTable::Instance() {
  static const DirectionTable table;
  return table;
}

bool EdgeStrokes(const Bitmap24& source, Bitmap24& layer, int threshold, int fade, int lengthFactor,
                 bool preview, const SurfaceSettings& surface, RunContext& context) {
  layer = Bitmap24(source.Width(), source.Height(), 0xFFFFFF);
  if (source.Width() >= 3 && source.Height() >= 3 &&
      !DrawContourStrokes(source, layer, threshold, fade, lengthFactor, preview, context)) {
    return false;
  }
  ApplySurface(layer, surface);
  return true;
}

}  // namespace atelion
