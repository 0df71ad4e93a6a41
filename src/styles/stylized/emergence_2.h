// Emergence 2: the photograph rebuilt from random triangles whose corners take the photograph's
// colours, blended smoothly across each triangle.
#pragma once

#include <array>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"
#include "styles/stylized/emergence.h"

namespace atelion {

/// One corner of a shaded triangle: its position and its colour, one value per channel in the
/// byte order of a pixel (blue, green, red), 0..255.
struct ShadedVertex {
  int x = 0;
  int y = 0;
  std::array<float, 3> colour{};
};

/// A triangle whose colour is blended from its three corners.
using ShadedTriangle = std::array<ShadedVertex, 3>;

/// Draws `triangle` into `target`, the colours interpolated in single precision down the edges
/// and along each row. Rows run from the top corner's row to the row before the bottom corner's;
/// each row's span runs from its left edge rounded (halves to even) to the column before its
/// right edge rounded, so the bottom row and the right edge's column are never drawn. Spans
/// starting left of the picture start at column 0 with the colour advanced by the clipped width;
/// drawing ends at the picture's last row. A triangle whose corners share one row draws nothing.
void ShadeTriangle(Bitmap24& target, const ShadedTriangle& triangle);

/// Draws `source` as shaded triangles into `destination` (resized to the source's size and
/// started black): large triangles first without a test, then ever smaller ones at points where
/// the canvas still differs from the photograph, each kept only when it lowers the summed
/// difference around it by more than a margin that grows with the level of abstraction.
/// Reads the sliders as RandomPolygons does (the same rows, ranges and "MAX" mode; a maximum
/// radius below the minimum is raised to it), `preview`, `manualBrushMode` and `sourceMean`.
/// The random generator is reset to 1969, so equal input gives an equal picture. No triangle
/// reaches the last row and column; at the end they take the row and column next to them (a
/// picture of one row or column, where triangles have no area, becomes the adjusted photograph).
/// `emergingResult`, when given in a full-size run outside the manual brush and of the
/// destination's size, receives the canvas from time to time.
RandomPolygonsEnd ShadedTriangles(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                                  RunContext& context, Bitmap24* emergingResult = nullptr);

/// The live preview's run on a crop, before soften and texture. The sliders given back show a
/// maximum radius raised to the minimum.
StyleOutput PreviewShadedTriangles(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                   RunContext& context);

/// The full-size drawing, shown in the result panel as it emerges. A run that converged by
/// itself finishes, and outside the manual brush asks for the drawing-parameters window.
StyleOutput ProcessShadedTriangles(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kEmergence2Style{.effectId = kEmergence2EffectId,
                                             .method = FullSizeMethod::ProcessShadedTriangles,
                                             .rowLabels = EmergenceParameters::kRowLabels,
                                             .fullSize = ProcessShadedTriangles,
                                             .preview = PreviewShadedTriangles,
                                             .seeded = true};

}  // namespace atelion
