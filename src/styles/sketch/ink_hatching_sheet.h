// The pen-and-ink hatch sheet: nine patterns of black ink hatching on white paper, from dense
// cross-hatching to a few horizontal lines, which the pen-and-ink drawings shade with.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

/// The sheet is a grid of 3 × 3 cells; pattern k lies in column k mod 3 and row k div 3.
inline constexpr int kInkHatchCellWidth = 100;
inline constexpr int kInkHatchCellHeight = 200;
inline constexpr int kInkHatchColumns = 3;
inline constexpr int kInkHatchRows = 3;
inline constexpr int kInkHatchPatternCount = kInkHatchColumns * kInkHatchRows;
inline constexpr int kInkHatchSheetWidth = kInkHatchColumns * kInkHatchCellWidth;    // 300
inline constexpr int kInkHatchSheetHeight = kInkHatchRows * kInkHatchCellHeight;     // 600
/// Where the generated sheet is stored among the resources.
inline constexpr const char* kInkHatchSheetPath = "sketch/ink_hatching.png";

/// The column and row of the cell that holds pattern k (0 … 8).
constexpr int InkHatchCellColumn(int pattern) { return pattern % kInkHatchColumns; }
constexpr int InkHatchCellRow(int pattern) { return pattern / kInkHatchColumns; }

/// The mean grey each pattern is drawn to, darkest (pattern 0) to lightest (pattern 8). A drawing
/// that picks pattern k for the brightness band 26·k … 26·k + 25 thus keeps the photograph's tones.
inline constexpr int kInkHatchMeanTone[kInkHatchPatternCount] = {28, 50, 74, 98, 122, 148, 172, 196, 226};

/// Makes the 300 × 600 grey sheet (red = green = blue): pattern 0 is dense hatching in four
/// directions, each lighter pattern drops a direction or widens the spacing, pattern 8 is a few
/// broken horizontal lines. Lines are drawn as separate strokes of a pen, slightly bowed, with
/// tapered ends and small gaps. Every cell repeats seamlessly when tiled in both directions, so a
/// drawing may read it at (x mod 100, y mod 200). Paper is pure white (255); each cell's mean is
/// within 2 of its `kInkHatchMeanTone`. Deterministic: the same sheet on every call.
Bitmap24 GenerateInkHatchSheet();

/// The sheet as the program ships it, read from the resources once and kept. Should the file be
/// missing or unreadable, the sheet is generated instead (the same pixels).
const Bitmap24& InkHatchSheet();

}  // namespace atelion
