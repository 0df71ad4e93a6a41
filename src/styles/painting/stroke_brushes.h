// The four textured brush marks the searched-stroke painting lays: long flat strokes of a loaded
// brush, dark where the paint lies thick, with bristle streaks along their length and a dry,
// broken end. The colour bytes hold the marks' darkness (dark = full stroke colour), the alpha
// their shape.
#pragma once

#include <array>

#include "core/bitmap24.h"

namespace atelion {

inline constexpr int kStrokeBrushCount = 4;

/// Where the resource generator writes a brush (its colours and its alpha as a grey matte) and
/// its size; the stroke runs along the picture's width.
struct StrokeBrushInfo {
  const char* colourPath;
  const char* mattePath;
  int width, height;
};
inline constexpr std::array<StrokeBrushInfo, kStrokeBrushCount> kStrokeBrushes = {{
    {"brushes/stroke_brush_1.png", "brushes/stroke_brush_1_matte.png", 255, 180},
    {"brushes/stroke_brush_2.png", "brushes/stroke_brush_2_matte.png", 354, 114},
    {"brushes/stroke_brush_3.png", "brushes/stroke_brush_3_matte.png", 300, 126},
    {"brushes/stroke_brush_4.png", "brushes/stroke_brush_4_matte.png", 223, 115},
}};

/// Draws brush `variant` (0..3; other values are taken modulo 4).
Bitmap32 GenerateStrokeBrush(int variant);

/// The colour picture and the matte (alpha as grey) the resource generator writes.
Bitmap24 StrokeBrushColour(int variant);
Bitmap24 StrokeBrushMatte(int variant);

/// A brush as shipped: read once from the resources, drawn here when the files are missing.
const Bitmap32& ShippedStrokeBrush(int variant);

}  // namespace atelion
