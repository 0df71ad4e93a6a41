// The three sheets of transparent brush marks that Painting 11 paints with: round and flat
// bristle marks, crosshatch marks and pastel marks. Every mark is black; its shape, bristle
// streaks and soft edges lie in the alpha channel. Cells of 256 × 256 pixels, 8 to a row; the
// cell after the last mark of each sheet is left empty (a draw of it lays nothing).
#pragma once

#include <array>

#include "core/bitmap24.h"

namespace atelion {

enum class AlphaBrushSheet { Default, Crosshatch, Pastel };
inline constexpr int kAlphaBrushSheetCount = 3;
inline constexpr int kAlphaBrushCell = 256;
inline constexpr int kAlphaBrushColumns = 8;

/// Where the resource generator writes a sheet (black colours and the alpha as a grey matte),
/// its layout, and how many of its cells carry a mark (cells 0 .. marks − 1).
struct AlphaBrushSheetInfo {
  const char* colourPath;
  const char* mattePath;
  int columns, rows;
  int marks;
  int Width() const { return columns * kAlphaBrushCell; }
  int Height() const { return rows * kAlphaBrushCell; }
};
inline constexpr std::array<AlphaBrushSheetInfo, kAlphaBrushSheetCount> kAlphaBrushSheets = {{
    {"brushes/alpha_brushes_default.png", "brushes/alpha_brushes_default_matte.png", 8, 6, 40},
    {"brushes/alpha_brushes_crosshatch.png", "brushes/alpha_brushes_crosshatch_matte.png", 8, 4, 29},
    {"brushes/alpha_brushes_pastel.png", "brushes/alpha_brushes_pastel_matte.png", 8, 2, 13},
}};

/// Draws one mark of a sheet as a 256 × 256 black picture with alpha; cells beyond the sheet's
/// marks are fully transparent. Deterministic: every call gives the same bytes.
Bitmap32 GenerateAlphaBrushCell(AlphaBrushSheet sheet, int cell);

/// Draws a whole sheet.
Bitmap32 GenerateAlphaBrushSheet(AlphaBrushSheet sheet);

/// The colour picture (black) and the matte (alpha as grey) the resource generator writes.
Bitmap24 AlphaBrushSheetColour(AlphaBrushSheet sheet);
Bitmap24 AlphaBrushSheetMatte(AlphaBrushSheet sheet);

/// A sheet as shipped: read once from the resources, drawn here when the files are missing.
/// Safe to call from any thread.
const Bitmap32& ShippedAlphaBrushSheet(AlphaBrushSheet sheet);

}  // namespace atelion
