// Pencil sketch 1: a coloured pencil drawing on white paper, dark lines where the colour changes
// sharply and pencil hatching elsewhere, drawn on the photograph turned by 30 degrees.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges as the sliders themselves limit them.
struct PencilSketchParameters {
  int edgeThreshold;    ///< "Edge threshold": gradient level from which a pixel is drawn as a line
  int edgeIntensity;    ///< "Edge intensity": darkness of the lines
  int colourIntensity;  ///< "Color intensity": percentage of colour against grey
  int darkenLighten;    ///< "Darken/Lighten": brightness shift of the shaded areas, 127 neutral
  int contrast;         ///< "Level of contrast": contrast of the shaded areas

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kEdgeThreshold, row_label::kEdgeIntensity, row_label::kColorIntensity,
      row_label::kDarkenLighten, row_label::kLevelOfContrast};
};

/// Reads the parameters from slider values in slot order, each limited to its slider's range.
PencilSketchParameters PencilSketchParametersFrom(const ParameterSet& sliders);

/// Draws the sketch of `source` (W × H) into `destination`, which becomes W × H. The pixel drawn
/// at (x − 1, y − 1) comes from the neighbourhood of source pixel (x, y), so the last two rows and
/// columns stay white, as does a source narrower or lower than 3 pixels. `hatching` is the grey
/// hatching picture (at least 511 × 4; `HatchingPicture()` at run time). Reads the "Soften edges"
/// and texture options of `surface` and applies them itself. Resets the random seed to 1969, so
/// equal input gives an equal picture. Reports progress (phase 2 of 3) and pumps events per row
/// while `context.Processing` is set; stops at the start of a row once `AbortRequested` is set.
void PencilSketch(const Bitmap24& source, Bitmap24& destination, const PencilSketchParameters& parameters,
                  const Bitmap24& hatching, const SurfaceSettings& surface, RunContext& context);

/// The style on a preview crop (also what the manual brush paints): the crop turned by 30 degrees,
/// softened, sketched, turned back and cut to the crop's size around its centre. The picture is
/// given as before soften and texture, which the caller then lays. Always turns with `RotateBitmap`.
StyleOutput PreviewPencilSketch(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                RunContext& context);

/// The full-size drawing: the source turned, sketched with soften and texture laid by the sketch
/// itself, turned back and cut to the source's size. The result panel shows the picture as it
/// is turned and sketched.
StyleOutput ProcessPencilSketch(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kPencilSketchStyle{.effectId = kPencilSketch1EffectId,
                                               .method = FullSizeMethod::ProcessPencilSketch,
                                               .rowLabels = PencilSketchParameters::kRowLabels,
                                               .fullSize = ProcessPencilSketch,
                                               .preview = PreviewPencilSketch,
                                               .seeded = true};

}  // namespace atelion
