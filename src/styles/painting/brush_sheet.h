// The opaque brush pictures of the painting styles: a sheet of forty bristle-brush marks and
// the default custom brush, both dark paint on a pure white ground. The styles read them as
// masks (a red byte below a threshold is paint, with weight 255 − red), so the ground is
// exactly 255 everywhere outside the marks.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

/// Layout of the brush sheet: 5 columns × 8 rows of 250 × 250 cells; cell a of the styles
/// that count cells lies at column a mod 5, row a div 5.
inline constexpr int kBrushSheetColumns = 5;
inline constexpr int kBrushSheetRows = 8;
inline constexpr int kBrushCellSize = 250;
inline constexpr int kBrushSheetWidth = kBrushSheetColumns * kBrushCellSize;  // 1250
inline constexpr int kBrushSheetHeight = kBrushSheetRows * kBrushCellSize;    // 2000
/// Side of the default custom brush.
inline constexpr int kCustomBrushSize = 64;

/// Draws the 1250 × 2000 brush sheet: in every cell one mark of a bristle brush — round and
/// oval dabs, flat and tapered strokes, fan marks, dry-brush streaks and pressed blots — with
/// streaks of clumped bristles, ragged ends and soft sides; every mark stays well inside its
/// cell. Deterministic: every call gives the same bytes.
Bitmap24 GenerateBrushSheet();

/// Draws one cell (0..39) of the brush sheet as a 250 × 250 picture.
Bitmap24 GenerateBrushCell(int cell);

/// Draws the 64 × 64 default custom brush: a small round bristle dab.
Bitmap24 GenerateCustomBrush();

/// The brush sheet as shipped ("brushes/brush_sheet.png"), loaded once; when the file is
/// missing or unreadable the same picture is drawn in memory. Safe to call from any thread.
const Bitmap24& BrushSheet();

/// The default custom brush as shipped ("brushes/custom_brush.png"), loaded once, with the
/// same fallback as BrushSheet.
const Bitmap24& DefaultCustomBrush();

}  // namespace atelion
