// Painting 2: a round bristle brush dragged along curved paths that follow the direction of the
// picture's edges, first as a coarse underpainting, then stroke by stroke, each late stroke kept
// only when it brings the painting closer to the photograph.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct FlowStrokeParameters {
  int strokeLength = 135;     ///< "Stroke length": longer strokes, wider test area
  int strokeCount = 80;       ///< "Number of brushstrokes": more strokes per level
  int abstraction = 25;       ///< "Level of abstraction": more single-coloured brushes, looser acceptance
  int colourIntensity = 135;  ///< "Color intensity": the final saturation change
  int strokeIntensity = 135;  ///< "Brushstrokes intensity": opacity of the strokes

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kStrokeLength, row_label::kNumberOfBrushstrokes, row_label::kLevelOfAbstraction,
      row_label::kColorIntensity, row_label::kBrushstrokesIntensity};
};

/// Reads the parameters from slider values in slot order.
FlowStrokeParameters FlowStrokeParametersFrom(const ParameterSet& sliders);

/// Paints `destination` (resized to the size of `source`) from `source`: the flow field of the
/// picture's edges; an underpainting on a half-size canvas with one stroke per 40 × 40 block; 501
/// levels of strokes thrown at random places, from level 15 on each tried on a scratch canvas
/// and kept only when it lowers the difference to the photograph; then `Sharpen3` and the
/// saturation change. The random generator is reset to 1969, so equal inputs give equal
/// pictures. Reads `settings.preview` (intermediate pictures go to the preview box instead of
/// progress). An abort ends the run at the next block or stroke: the painting keeps what was
/// painted (white when stopped in the underpainting) and gets no sharpening.
void FlowStrokePainting(const Bitmap24& source, Bitmap24& destination, const FlowStrokeParameters& parameters,
                        const StyleSettings& settings, RunContext& context);

/// "Painting 2 (brushstrokes)" at full size: paints into the result panel's picture, which
/// becomes the drawing.
StyleOutput ProcessPainting2(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                             const SurfaceSettings& surface, RunContext& context);

/// The live preview's run on a crop, before soften and texture.
StyleOutput PreviewPainting2(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                             RunContext& context);

inline constexpr StyleEntry kFlowStrokesStyle{.effectId = kPainting2EffectId,
                                              .method = FullSizeMethod::ProcessPainting2,
                                              .rowLabels = FlowStrokeParameters::kRowLabels,
                                              .fullSize = ProcessPainting2,
                                              .preview = PreviewPainting2,
                                              .seeded = true};

}  // namespace atelion
