// The paintings' own papers: a cold-pressed watercolour paper and an impasto relief of thick
// brushed paint, both grey 1024 × 768 pictures. A painting presses the paper into its colours by
// adding (mean − tex) scaled by its strength, so pixels darker than the mean darken the paint and
// lighter ones lighten it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/bitmap24.h"

namespace atelion {

inline constexpr int kPaperTableWidth = 1024;
inline constexpr int kPaperTableHeight = 768;
/// Where the generated pictures are stored among the resources.
inline constexpr const char* kWatercolourPaperPath = "painting/watercolor_texture.png";
inline constexpr const char* kImpastoPaperPath = "painting/impasto_texture.png";

/// A paper as the paintings read it.
struct PaperTable {
  /// tex(x, y) = red byte of the picture's pixel (x, y), row by row (index y · 1024 + x).
  std::vector<std::uint8_t> values;
  /// M = (sum of all tex values) div 786432.
  int mean = 0;

  /// tex(x, y) for 0 ≤ x < 1024, 0 ≤ y < 768.
  int At(int x, int y) const { return values[static_cast<std::size_t>(y) * kPaperTableWidth + x]; }
  /// The paper repeated over a picture: tex(x mod 1023, y mod 767) for x, y ≥ 0. The periods are
  /// one less than the table, so its last column and row are never read this way.
  int Repeated(int x, int y) const { return At(x % (kPaperTableWidth - 1), y % (kPaperTableHeight - 1)); }
};

/// Builds the table of a 1024 × 768 picture (red bytes and their mean). Another size gives an
/// empty table with mean 0.
PaperTable PaperTableFrom(const Bitmap24& picture);

/// The 1024 × 768 grey cold-pressed watercolour paper: rounded grain of a few pixels with shallow
/// valleys, lit from the upper left, a few fibres. Deterministic: the same picture on every call.
Bitmap24 GenerateWatercolourPaper();

/// The 1024 × 768 grey impasto relief: overlapping short strokes of thick paint with bristle
/// grooves and raised edges, lit from the upper left. Deterministic.
Bitmap24 GenerateImpastoPaper();

/// The tables as the program ships them: read from the resources once and kept (generated
/// instead, with the same pixels, should a file be missing or unreadable). Safe to call from
/// several threads.
const PaperTable& WatercolourPaperTable();
const PaperTable& ImpastoPaperTable();

}  // namespace atelion
