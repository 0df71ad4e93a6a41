// Whole-degree rotation by inverse mapping: every destination pixel looks up the source pixel
// its centre comes from, in half-pixel units so that even and odd sizes turn about the same centre.
#include "core/rotate_bitmap.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numbers>
#include <vector>

namespace atelion {

namespace {

// The only angle whose destination is enlarged; the turn back keeps the enlarged size.
constexpr int kEnlargingAngle = 30;
constexpr int kRowsPerProgressReport = 50;

// Nearest integer with halves to even. Adding and removing 1.5 · 2^52 leaves a double whose
// fraction has been rounded by the hardware in its default mode (to nearest, ties to even);
// exact for |value| < 2^51, far beyond any picture coordinate in half pixels.
inline double RoundHalfEven(double value) {
  constexpr double kShifter = 6755399441055744.0;  // 1.5 · 2^52
  return (value + kShifter) - kShifter;
}

std::int64_t RoundHalfEvenToInteger(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

void TurnRows(const Bitmap24& source, Bitmap24& destination, int angle, RunContext& context) {
  const int width = source.Width();
  const int height = source.Height();
  // y points down, so turning by −angle in the usual orientation is clockwise on the screen.
  const double theta = -angle * std::numbers::pi / 180.0;
  const double sn = std::sin(theta);
  const double cs = std::cos(theta);

  int turnedWidth = width;
  int turnedHeight = height;
  if (angle == kEnlargingAngle) {
    turnedWidth = static_cast<int>(std::llabs(RoundHalfEvenToInteger(height * sn)) +
                                   std::llabs(RoundHalfEvenToInteger(width * cs)));
    turnedHeight = static_cast<int>(std::llabs(RoundHalfEvenToInteger(width * sn)) +
                                    std::llabs(RoundHalfEvenToInteger(height * cs)));
  }
  destination.Resize(turnedWidth, turnedHeight);

  // Integer division truncates toward zero throughout, also for negative offsets and for
  // (t − 1) / 2 with negative t.
  const int halfWidth = width / 2;
  const int halfHeight = height / 2;
  const int offsetX = (turnedWidth - width) / 2;
  const int offsetY = (turnedHeight - height) / 2;

  // The column products are the same for every row; precomputing them changes no result bit.
  std::vector<double> columnCos(static_cast<std::size_t>(turnedWidth));
  std::vector<double> columnSin(static_cast<std::size_t>(turnedWidth));
  for (int i = 0; i < turnedWidth; ++i) {
    const double rx = 2.0 * (i - offsetX - halfWidth) + 1.0;
    columnCos[static_cast<std::size_t>(i)] = rx * cs;
    columnSin[static_cast<std::size_t>(i)] = rx * sn;
  }

  const bool reportsProgress = angle == kEnlargingAngle || angle == -kEnlargingAngle;
  const int progressPass = angle == kEnlargingAngle ? 1 : 3;
  for (int j = turnedHeight - 1; j >= 0; --j) {
    if (j % kRowsPerProgressReport == 0 && context.Processing) {
      if (reportsProgress) context.ReportProgress(turnedHeight - j * 6 / 10, turnedHeight, progressPass, 3);
      context.CheckAbort();
    }
    if (context.AbortRequested) return;

    const double ry = 2.0 * (j - offsetY - halfHeight) + 1.0;
    const double rySin = ry * sn;
    const double ryCos = ry * cs;
    std::uint8_t* out = destination.Row(j);
    for (int i = 0; i < turnedWidth; ++i) {
      const auto u = static_cast<std::int64_t>(RoundHalfEven(columnCos[static_cast<std::size_t>(i)] - rySin));
      const auto v = static_cast<std::int64_t>(RoundHalfEven(columnSin[static_cast<std::size_t>(i)] + ryCos));
      const std::int64_t sx = (u - 1) / 2 + halfWidth;
      const std::int64_t sy = (v - 1) / 2 + halfHeight;
      std::uint8_t* pixel = out + 3 * static_cast<std::size_t>(i);
      if (sx >= 0 && sx < width && sy >= 0 && sy < height) {
        std::memcpy(pixel, source.Row(static_cast<int>(sy)) + 3 * sx, 3);
      } else {
        pixel[0] = pixel[1] = pixel[2] = 255;
      }
    }
  }
}

}  // namespace

void RotateBitmap(const Bitmap24& source, Bitmap24& destination, int angle, RunContext& context) {
  try {
    if (&source == &destination) {
      const Bitmap24 copy = source;
      TurnRows(copy, destination, angle, context);
    } else {
      TurnRows(source, destination, angle, context);
    }
  } catch (const std::bad_alloc&) {
    // Too large to turn: stop the run the way a cancel does; the caller's remaining steps
    // find the abort flag set and return at once.
    context.StopForLackOfMemory();
  }
}

}  // namespace atelion
