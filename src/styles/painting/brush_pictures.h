// Preparing a transparent brush picture for one mark: cutting a cell out of a brush sheet,
// scaling it by nearest neighbour and turning it by a whole number of degrees.
#pragma once

#include <cstdint>
#include <vector>

#include "core/bitmap24.h"

namespace atelion {

/// D becomes (cellWidth + 1) × (cellHeight + 1) and receives cell (column, row) of the sheet
/// together with the first column and row of the next cell where the sheet has them; whole
/// pixels, alpha included. D's pixels beyond the copied range keep their content.
/// A negative cell size leaves D unchanged.
void CopySheetCell32(const Bitmap32& sheet, Bitmap32& D, int cellWidth, int cellHeight, int column, int row);

/// Scales S onto D's size by nearest neighbour: D(x, y) = S(floor(x · Ws / Wd), floor(y · Hs / Hd)),
/// all four bytes. An empty source leaves D unchanged.
void ResampleNearest32(const Bitmap32& S, Bitmap32& D);

/// D receives S turned by `angle` degrees, clockwise on the screen for a positive angle, enlarged
/// to hold the whole turned picture; pixels that fall outside S are transparent black.
void RotateBitmap32(const Bitmap32& S, Bitmap32& D, int angle);

/// A brush picture turned into storage that is reused from one turn to the next (a loop that
/// turns a mark at every step allocates nothing once the storage is large enough).
struct TurnedBrush {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  ///< width × height pixels of four bytes, row after row
  const std::uint8_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width * 4; }
};
/// The same turn as RotateBitmap32, into `turned`.
void RotateBitmap32(const Bitmap32& S, TurnedBrush& turned, int angle);

}  // namespace atelion
