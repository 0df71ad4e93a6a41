// Preparing a transparent brush picture for one mark: cutting a cell out of a brush sheet,
// scaling it by nearest neighbour and turning it by a whole number of degrees.
#pragma once

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

}  // namespace atelion
