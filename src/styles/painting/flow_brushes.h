// The three round bristle brushes that the flow-following painting drags along its strokes:
// black pictures whose alpha holds the shape and the bristle texture of the mark.
#pragma once

#include <array>

#include "core/bitmap24.h"

namespace atelion {

/// The brushes from the largest, used first, to the smallest, used for the last details.
enum class FlowBrush { Large, Medium, Small };
inline constexpr int kFlowBrushCount = 3;

/// Where the resource generator writes a brush (its colours and its alpha as a grey matte) and
/// its size.
struct FlowBrushInfo {
  const char* colourPath;
  const char* mattePath;
  int width, height;
};
inline constexpr std::array<FlowBrushInfo, kFlowBrushCount> kFlowBrushes = {{
    {"brushes/flow_brush_large.png", "brushes/flow_brush_large_matte.png", 80, 80},
    {"brushes/flow_brush_medium.png", "brushes/flow_brush_medium_matte.png", 54, 56},
    {"brushes/flow_brush_small.png", "brushes/flow_brush_small_matte.png", 38, 39},
}};

/// Draws a brush: an elliptic dab filling the picture, dense in the middle and fading softly to
/// full transparency at its rim, textured by the tips of its bristles. Black everywhere.
Bitmap32 GenerateFlowBrush(FlowBrush brush);

/// The colour picture (black) and the matte (alpha as grey) the resource generator writes.
Bitmap24 FlowBrushColour(FlowBrush brush);
Bitmap24 FlowBrushMatte(FlowBrush brush);

/// A brush as shipped: read once from the resources, drawn here when the files are missing.
const Bitmap32& ShippedFlowBrush(FlowBrush brush);

}  // namespace atelion
