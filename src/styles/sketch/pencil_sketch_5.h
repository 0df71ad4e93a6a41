// Pencil sketch 5: hundreds of thousands of traced pencil lines on white paper, started mostly
// on dark pixels, running along contours or in two hatching directions, darkening the paper where
// it is still lighter than the photograph; the photograph's colours can be blended in at the end.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct PencilSketch5Parameters {
  int iterations = 0;      ///< "Number of iterations": number of lines
  int strokeLength = 0;    ///< "Stroke length": line length and darkening strength
  int blending = 0;        ///< "Blending intensity": gradient from which lines follow contours
  int contrast = 0;        ///< "Contrast enhancement ": local contrast of the photograph first
  int colourIntensity = 0; ///< "Color intensity": colour blended in at the end, 0 none

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kNumberOfIterations, row_label::kStrokeLength, row_label::kBlendingIntensity,
      row_label::kContrastEnhancement, row_label::kColorIntensity};
};

/// Reads the parameters from slider values in slot order, each limited to its slider's range.
PencilSketch5Parameters PencilSketch5ParametersFrom(const ParameterSet& sliders);

/// Bm becomes a mix of A and Bm: first v/255 of Bm over A, then w/255 of the product A·Bm
/// (divided by 455 − 4·a, 255 for a = 50, at least 1) over that. Pictures of different sizes leave
/// Bm unchanged; A is never changed.
void BlendLayers(const Bitmap24& A, Bitmap24& Bm, int v, int w, int a);

/// Draws `source` into `destination` (made white, of the source's size) with traced pencil lines.
/// `source` receives the local contrast of the "Contrast enhancement " slider in place. Draws from
/// `context.Rng` without resetting it. Start points are drawn again until one is dark enough; the
/// draws for start points are limited to 256 per line on average over the whole drawing, so a
/// picture with (almost) nothing dark ends instead of searching for ever. The lines are drawn on the
/// photograph extended by 16 pixels of repeated edge on every side and cut back, so the outermost
/// rows and columns are drawn like the others. Reads `settings.preview`,
/// `manualBrushMode` and `sourceMean`. The abort flag is looked at on every step of every line; an
/// aborted drawing keeps its lines and gets no colour.
void PencilSketch5(Bitmap24& source, Bitmap24& destination, const PencilSketch5Parameters& parameters,
                   const StyleSettings& settings, RunContext& context);

/// The live preview's run on a crop: the drawing of a copy of the crop, before soften and texture.
StyleOutput PreviewPencilSketch5(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context);

/// The full-size drawing from a copy of the source; the result panel watches it grow.
StyleOutput ProcessPencilSketch5(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kPencilSketch5Style{.effectId = kPencilSketch5EffectId,
                                                .method = FullSizeMethod::ProcessPencilSketch5,
                                                .rowLabels = PencilSketch5Parameters::kRowLabels,
                                                .fullSize = ProcessPencilSketch5,
                                                .preview = PreviewPencilSketch5};

}  // namespace atelion
