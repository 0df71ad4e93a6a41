// Pencil sketch 4: single pencil strokes stamped onto white paper at random places, laid along
// the edges (longer where an edge is stronger) and, with a probability growing with darkness, as
// short hatching at two fixed slants; every stroke darkens the paper and is tinted towards the
// photograph's colour.
#pragma once

#include <array>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct NewPencilSketchParameters {
  int edgeThreshold = 0;    ///< "Edge threshold": gradient level from which an edge stroke is laid
  int iterations = 0;       ///< "Number of iterations" as the slider shows it (0..255)
  int strokeLength = 0;     ///< "Stroke length": stroke size, 0..100
  int abstraction = 0;      ///< "Level of abstraction": fewer hatching strokes; 255 none
  int colourIntensity = 0;  ///< "Color intensity": 0 grey strokes, 255 tinted with the pixel colour

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kEdgeThreshold, row_label::kNumberOfIterations, row_label::kStrokeLength,
      row_label::kLevelOfAbstraction, row_label::kColorIntensity};
};

/// Reads the parameters from slider values in slot order.
NewPencilSketchParameters NewPencilSketchParametersFrom(const ParameterSet& sliders);

/// The stroke picture turned by `degrees` (0..359) as the sketch stamps it: 100 × 100, white
/// around the stroke; the straight stroke, or the curved one for multiples of 3 degrees, turned
/// and, for even angles, blurred once. Each turn is built once per program run, on its first use
/// (safe from any thread), and kept.
const Bitmap24& TurnedPencilStroke(int degrees);

/// Stamps the strokes of `source` (W × H) onto `destination`, which must have the source's size
/// and is first filled white. T edge threshold, N number of attempts per 200 pixels (the slider
/// + 1), S stroke length, A level of abstraction, K colour intensity. Resets the random seed to
/// 1969, so equal input gives an equal picture. Pictures narrower or lower than 3 pixels get no
/// stroke. In a full-size run (`preview` false) progress is reported now and then; the preview is
/// shown the growing picture instead. Stops when `AbortRequested` is set, keeping the strokes laid.
void NewPencilSketch(const Bitmap24& source, Bitmap24& destination, int T, int N, int S, int A, int K, bool preview,
                     RunContext& context);

/// The full-size drawing: the strokes laid into a white picture of the source's size, which the
/// shell watches grow; soften and texture follow in the pipeline.
StyleOutput ProcessNewPencilSketch(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context);

/// The live preview on a crop, before soften and texture.
StyleOutput PreviewNewPencilSketch(const Bitmap24& crop, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kNewPencilSketchStyle{.effectId = kPencilSketch4EffectId,
                                                  .method = FullSizeMethod::ProcessNewPencilSketch,
                                                  .rowLabels = NewPencilSketchParameters::kRowLabels,
                                                  .fullSize = ProcessNewPencilSketch,
                                                  .preview = PreviewNewPencilSketch,
                                                  .seeded = true};

}  // namespace atelion
