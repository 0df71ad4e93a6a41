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

void TurnRows(const Bitmap24& source, Bitmap24& destination, int angle, RunContext& context) {
  // Only the turn by exactly 30 degrees enlarges the picture.
  const TurnGeometry turn(source.Width(), source.Height(), angle, angle == kEnlargingAngle);
  const int turnedHeight = turn.TurnedHeight();
  destination.Resize(turn.TurnedWidth(), turnedHeight);

  constexpr std::uint8_t kWhite[3] = {255, 255, 255};
  const bool reportsProgress = angle == kEnlargingAngle || angle == -kEnlargingAngle;
  const int progressPass = angle == kEnlargingAngle ? 1 : 3;
  for (int j = turnedHeight - 1; j >= 0; --j) {
    if (j % kRowsPerProgressReport == 0 && context.Processing) {
      if (reportsProgress) context.ReportProgress(turnedHeight - j * 6 / 10, turnedHeight, progressPass, 3);
      context.CheckAbort();
    }
    if (context.AbortRequested) return;
    turn.TurnRow(source, destination, j, kWhite);
  }
}

}  // namespace

TurnGeometry::TurnGeometry(int width, int height, int angle, bool enlarged)
    : width_(width), height_(height), turnedWidth_(width), turnedHeight_(height), halfWidth_(width / 2),
      halfHeight_(height / 2) {
  // y points down, so turning by −angle in the usual orientation is clockwise on the screen.
  const double theta = -angle * std::numbers::pi / 180.0;
  sn_ = std::sin(theta);
  cs_ = std::cos(theta);
  if (enlarged) {
    turnedWidth_ = static_cast<int>(std::llabs(RoundHalfEvenToInt64(height * sn_)) +
                                    std::llabs(RoundHalfEvenToInt64(width * cs_)));
    turnedHeight_ = static_cast<int>(std::llabs(RoundHalfEvenToInt64(width * sn_)) +
                                     std::llabs(RoundHalfEvenToInt64(height * cs_)));
  }
  const int offsetX = (turnedWidth_ - width) / 2;
  offsetY_ = (turnedHeight_ - height) / 2;
  columnCos_.resize(static_cast<std::size_t>(turnedWidth_));
  columnSin_.resize(static_cast<std::size_t>(turnedWidth_));
  for (int i = 0; i < turnedWidth_; ++i) {
    const double rx = 2.0 * (i - offsetX - halfWidth_) + 1.0;
    columnCos_[static_cast<std::size_t>(i)] = rx * cs_;
    columnSin_[static_cast<std::size_t>(i)] = rx * sn_;
  }
}

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
