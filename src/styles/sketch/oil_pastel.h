// Oil pastel sketch: the photograph repainted on coloured paper with dabs of a pastel scribble,
// each dab the mean photograph colour under it and kept only when it brings the painting closer
// to the photograph; then pencil contours, stronger colours and local contrast.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct PencilStrokesParameters {
  int minimumSize = 0;    ///< "Minimum stroke size": brush size at which painting stops
  int maximumSize = 0;    ///< "Maximum stroke size": the first brush is 6 pixels larger
  int iterations = 0;     ///< "Number of iterations", 0..100: number of dabs tried
  int edgeIntensity = 0;  ///< "Edge intensity": darkening of the contours at the end
  int precision = 0;      ///< "Filter precision": how strict the acceptance and the seed test are

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kMinimumStrokeSize, row_label::kMaximumStrokeSize, row_label::kNumberOfIterations,
      row_label::kEdgeIntensity, row_label::kFilterPrecision};
};

/// Reads the sliders in slot order, each limited to its range; a minimum size at or above the
/// maximum is lowered to it.
PencilStrokesParameters PencilStrokesParametersFrom(const ParameterSet& sliders);

/// Paints `source` into `destination` (W × H, filled with `settings.paperColour` first) with dabs
/// of the pastel scribble `scribble` (any size; `PastelScribble()` at run time). `source` receives
/// local contrast 10 in place first. The brush starts at maximum size + 6 and shrinks by a tenth
/// whenever its quota of dabs is spent, until it falls below minimum size + 5; it is turned to a
/// random angle every 500 dabs. A dab starts where the red channels of photograph and painting
/// differ by at least (255 − precision) div 10; when 10000 draws find no such place the painting
/// matches the photograph nearly everywhere at this size, and the brush moves on to the next size.
/// Then contours are darkened with the edge stroke layer (which carries the soften and texture
/// settings of `surface`), and saturation and local contrast are raised. Draws from
/// `context.Rng` without resetting it. The abort flag is looked at before every dab; an aborted
/// painting keeps its dabs and gets none of the final passes.
void PencilStrokes(Bitmap24& source, Bitmap24& destination, const PencilStrokesParameters& parameters,
                   const Bitmap24& scribble, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context);

/// The live preview on a crop: the painting of a copy of the crop, before soften and texture.
StyleOutput PreviewPencilStrokes(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context);

/// "Oil pastel sketch (color)" at full size: paints the document's source (which keeps its local
/// contrast) into the result panel's picture. The sliders given back show a minimum size lowered
/// to the maximum.
StyleOutput ProcessPencilStrokes(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kOilPastelStyle{.effectId = kOilPastelEffectId,
                                            .method = FullSizeMethod::ProcessPencilStrokes,
                                            .rowLabels = PencilStrokesParameters::kRowLabels,
                                            .fullSize = ProcessPencilStrokes,
                                            .preview = PreviewPencilStrokes,
                                            .paintsOnGroundColour = true};

}  // namespace atelion
