// Size changes, quarter turns and sheet cutting of whole 24-bit pictures: the fast fixed-point
// bilinear resampler every pipeline step uses, a floating-point one for small previews,
// exact quarter turns, and copying one cell out of a sheet of equal cells.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

/// Fills the whole of D (whose size the caller has set) with S scaled bilinearly to D's size,
/// in 15-bit fixed point. The step is (size − 1)/size of a source pixel, so even a same-size
/// resample blends: the last column and row sample just inside the source's last ones.
/// A destination with no pixels, or an empty source, leaves D untouched.
void Resample(const Bitmap24& S, Bitmap24& D);

/// Bilinear scaling of S to D's size in single precision with half-to-even rounding, for small
/// previews. A source narrower or lower than 2 pixels repeats its last column or row.
void ResampleSmooth(const Bitmap24& S, Bitmap24& D);

/// Turns B in place by a quarter turn: clockwise when `angle` is 90, counter-clockwise for any
/// other value. Width and height swap.
void RotateQuarter(Bitmap24& B, int angle);

/// D becomes (S height × S width) and receives S turned a quarter: counter-clockwise when
/// `direction` is below 1, clockwise otherwise.
void RotateQuarterInto(int direction, const Bitmap24& S, Bitmap24& D);

/// Copies cell (column, row) of a sheet of cellWidth × cellHeight cells into the top-left of D,
/// pixel for pixel. D keeps its size; only the part of the cell that lies both inside the sheet
/// and inside D is copied, the rest of D keeps its content.
void CopySheetCell(const Bitmap24& sheet, Bitmap24& D, int cellWidth, int cellHeight, int column, int row);

}  // namespace atelion
