// The shaded round brush of Painting 10: a black picture whose alpha holds a round dab lit from
// the upper left, so that mixing the paint colour with a lighter one by the alpha gives the dab
// a rounded, three-dimensional look, with the streaks of its bristles across it.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

inline constexpr int kShadedBrushWidth = 94;
inline constexpr int kShadedBrushHeight = 95;
inline constexpr const char* kShadedBrushColourPath = "brushes/shaded_brush.png";
inline constexpr const char* kShadedBrushMattePath = "brushes/shaded_brush_matte.png";

/// Draws the brush (94 × 95): dense where the dab faces away from the light, thinner on its lit
/// upper-left side, fading to full transparency at its rim. Black everywhere. Deterministic.
Bitmap32 GenerateShadedBrush();

/// The colour picture (black) and the matte (alpha as grey) the resource generator writes.
Bitmap24 ShadedBrushColour();
Bitmap24 ShadedBrushMatte();

/// The brush as shipped (`StandardPaintBrush3D`): read once from the resources, drawn here when
/// the files are missing. Safe to call from any thread.
const Bitmap32& StandardPaintBrush3D();

}  // namespace atelion
