// Turning a picture by a whole number of degrees, shared by the slanted drawing styles and the
// brush pictures.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/bitmap24.h"
#include "core/rounding.h"
#include "core/run_context.h"

namespace atelion {

/// The geometry of a turn by whole degrees about the picture's centre: the size of the turned
/// picture and, for each of its pixels, the source pixel its centre comes from (inverse mapping,
/// in half-pixel units so that even and odd sizes turn about the same centre). The same for
/// every kind of pixel buffer, 24-bit pictures and 32-bit brushes alike.
class TurnGeometry {
 public:
  /// A turn by `angle` degrees, clockwise on the screen for a positive angle. `enlarged`: the
  /// turned picture holds the whole turned source; otherwise it keeps the source's size.
  TurnGeometry(int width, int height, int angle, bool enlarged);

  int TurnedWidth() const { return turnedWidth_; }
  int TurnedHeight() const { return turnedHeight_; }

  /// Writes row `j` of `destination` (at least `TurnedWidth()` wide): every pixel the source
  /// pixel it comes from, or the bytes of `outside` where none does.
  template <class Picture>
  void TurnRow(const Picture& source, Picture& destination, int j, const std::uint8_t* outside) const {
    TurnRowPart(source, j, 0, turnedWidth_, destination.Row(j), outside);
  }

  /// Columns `first` .. `first + count − 1` of turned row `j` (all inside 0 .. TurnedWidth() − 1),
  /// written to `out`: the part of a turned row a cut keeps, without the whole turned picture.
  template <class Picture>
  void TurnRowPart(const Picture& source, int j, int first, int count, std::uint8_t* out,
                   const std::uint8_t* outside) const {
    constexpr int kBytes = Picture::kBytesPerPixel;
    // Integer division truncates toward zero throughout, also for negative offsets and for
    // (t − 1) / 2 with negative t.
    const double ry = 2.0 * (j - offsetY_ - halfHeight_) + 1.0;
    const double rySin = ry * sn_;
    const double ryCos = ry * cs_;
    for (int i = first; i < first + count; ++i) {
      const auto index = static_cast<std::size_t>(i);
      const std::int64_t sx = (RoundHalfEvenToInt64(columnCos_[index] - rySin) - 1) / 2 + halfWidth_;
      const std::int64_t sy = (RoundHalfEvenToInt64(columnSin_[index] + ryCos) - 1) / 2 + halfHeight_;
      const bool inside = sx >= 0 && sx < width_ && sy >= 0 && sy < height_;
      std::memcpy(out + kBytes * (i - first), inside ? source.Row(static_cast<int>(sy)) + kBytes * sx : outside,
                  kBytes);
    }
  }

 private:
  int width_;
  int height_;
  int turnedWidth_;
  int turnedHeight_;
  int halfWidth_;
  int halfHeight_;
  double sn_;
  double cs_;
  int offsetY_;
  // The column products are the same for every row; precomputing them changes no result bit.
  std::vector<double> columnCos_;
  std::vector<double> columnSin_;
};

/// `destination` receives `source` turned by `angle` degrees (clockwise on the screen for a
/// positive angle); destination pixels whose source position falls outside `source` are white.
///
/// Only the turn by exactly 30 degrees enlarges the picture so the whole turned source fits;
/// every other angle, the turn back by −30 included, keeps the source size. Rows are written
/// from the bottom up. `destination` is resized (keeping its top-left content) before the rows
/// are written, so a run stopped by `AbortRequested` leaves the rows not yet reached as they were.
///
/// During full-size runs — recognised by `context.Processing` — every 50th row reports progress
/// (phase 1 of 3 for the turn by 30, phase 3 of 3 for −30, no report for other angles) and lets
/// the shell handle its events. A preview runs with `Processing` clear and is neither reported
/// nor pumped here. When memory runs out the run is stopped as a cancel would stop it:
/// `AbortRequested` and `BatchCancelled` are set and the progress display ends.
///
/// There is no platform blit alternative: every turn of the program is made here.
void RotateBitmap(const Bitmap24& source, Bitmap24& destination, int angle, RunContext& context);

}  // namespace atelion
