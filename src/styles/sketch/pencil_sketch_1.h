// Pencil sketch 1: a coloured pencil drawing on white paper, dark lines where the colour changes
// sharply and pencil hatching elsewhere, drawn on the photograph turned by 30 degrees.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "effects/catalogue.h"
#include "effects/run_pipeline.h"

namespace atelion {

/// The style number of Pencil sketch 1.
inline constexpr int kPencilSketchEffectId = 0;

/// The five sliders of the style, limited to their ranges as the sliders themselves limit them.
struct PencilSketchParameters {
  int edgeThreshold;    ///< "Edge threshold": gradient level from which a pixel is drawn as a line
  int edgeIntensity;    ///< "Edge intensity": darkness of the lines
  int colourIntensity;  ///< "Color intensity": percentage of colour against grey
  int darkenLighten;    ///< "Darken/Lighten": brightness shift of the shaded areas, 127 neutral
  int contrast;         ///< "Level of contrast": contrast of the shaded areas
};

/// Reads the parameters from slider values in slot order, each limited to its slider's range.
PencilSketchParameters PencilSketchParametersFrom(const ParameterSet& sliders);

/// Draws the sketch of `source` (W × H) into `destination`, which becomes W × H. The pixel drawn
/// at (x − 1, y − 1) comes from the neighbourhood of source pixel (x, y), so the last two rows and
/// columns stay white, as does a source narrower or lower than 3 pixels. `hatching` is the grey
/// hatching picture (at least 511 × 4; `HatchingPicture()` at run time). Reads the "Soften edges"
/// and texture options of `finishing` and applies them itself. Resets the random seed to 1969, so
/// equal input gives an equal picture. Reports progress (phase 2 of 3) and pumps events per row
/// while `context.Processing` is set; stops at the start of a row once `AbortRequested` is set.
void PencilSketch(const Bitmap24& source, Bitmap24& destination, const PencilSketchParameters& parameters,
                  const Bitmap24& hatching, const FinishingSettings& finishing, RunContext& context);

/// The style on a preview crop (also what the manual brush paints): the crop turned by 30 degrees,
/// softened, sketched, turned back and cut to the crop's size around its centre. `preview`
/// receives the drawing before soften and texture, which the caller then applies
/// (`ApplySoftenAndTexture`). Always turns with `RotateBitmap`.
void PreviewPencilSketch(const Bitmap24& crop, Bitmap24& preview, const StyleSettings& settings,
                         const FinishingSettings& finishing, RunContext& context);

/// The full-size method. Unlike the common frame it does not call `ApplySoftenAndTexture` (the
/// sketch applies soften and texture itself) and leaves `untexturedCopy` alone. Out of memory
/// stops the run: `AbortRequested` and `BatchCancelled` are set, the progress display ends,
/// `Processing` is cleared and `Finalize` does not run.
void ProcessPencilSketch(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                         RunContext& context);

}  // namespace atelion
