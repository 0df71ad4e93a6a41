// The edge stroke layer: short dark pencil strokes on white paper along the contours of a
// picture, laid by several painting styles under or over their paint.
#pragma once

#include <vector>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/style.h"

namespace atelion {

/// The direction of a contour for every pair of brightness gradients gx, gy in −255..255:
/// arctan(gy / gx) + 1.5707 radians, and 3.14159 when gx is 0. The constants are deliberately
/// the short ones (not π/2 and π in full precision): stroke pixels are placed with floor(), so
/// `sin(1.5707)` falling just below 1 moves a vertical stroke by one pixel.
class DirectionTable {
 public:
  static constexpr int kLimit = 255;
  static constexpr int kSide = 2 * kLimit + 1;  // 511

  /// The one table of the program, filled on first use (safe from any thread).
  static const DirectionTable& Instance();

  /// gx and gy must lie in −255..255.
  double Angle(int gx, int gy) const { return angles_[(gy + kLimit) * kSide + (gx + kLimit)]; }

  /// The angle as the table defines it, computed directly.
  static double ComputeAngle(int gx, int gy);

 private:
  DirectionTable();
  std::vector<double> angles_;
};

/// `layer` becomes a white picture of the source's size carrying one stroke through every inner
/// pixel whose brightness gradient m = (|gx| + |gy|) shr 1 reaches `threshold` (purely diagonal
/// gradients excepted). A stroke lies along the contour, is darkest at its centre and lightens by
/// one level per pixel to both ends; `lengthFactor` scales its length and darkness, `fade`
/// lightens it (150 − fade enters the darkness). The last row and column are never darkened.
/// Then the finishing touches: `Soften` when "Soften edges" is on, the paper texture when the
/// texture is on.
/// In full-size runs (`preview` false) progress is reported after every row as pass 1 of 2 and
/// the abort flag is looked at every 20 rows: an aborted layer is left half drawn and gets no
/// finishing touches. A preview run always draws the whole layer. Returns false when aborted.
bool EdgeStrokes(const Bitmap24& source, Bitmap24& layer, int threshold, int fade, int lengthFactor,
                 bool preview, const SurfaceSettings& surface, RunContext& context);

}  // namespace atelion
