// Pen & Ink sketch 1: the photograph drawn with pen hatching. Each pixel's brightness, darkened
// where the colour changes sharply, picks two neighbouring patterns of the ink hatch sheet and
// mixes them; the contrast is first raised block by block, and an optional pass tints the drawing
// with the photograph's colours.
#pragma once

#include <array>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct PenandInkParameters {
  int edgeThreshold;  ///< T, "Edge threshold": colour differences below it are no edge
  int edgeIntensity;  ///< E, "Edge intensity": how much an edge darkens the tone
  int blockContrast;  ///< Cp, hidden row (stored 90): amount of the block contrast, 0 skips it
  int darkenLighten;  ///< Dl, "Darken/Lighten": brightness offset, 128 neutral
  int colourAmount;   ///< K, hidden row (stored 0): strength of the colour pass, 0 skips it

  static constexpr std::array<int, kSlotCount> kRowLabels = {row_label::kEdgeThreshold, row_label::kEdgeIntensity,
                                                             row_label::kColorIntensity, row_label::kDarkenLighten,
                                                             kNoLine};
};

/// Reads the parameters from slider values in slot order, each limited to its slider's range.
PenandInkParameters PenandInkParametersFrom(const ParameterSet& sliders);

/// Raises the contrast of `picture` in place, block by block: two passes over a grid of 10 × 10
/// blocks, the second shifted by 5 pixels; each block is pushed away from a pivot that follows the
/// blocks' mean brightness along the block row (by `amount` div 2 percent). Only blocks lying
/// wholly inside the picture are changed, so a picture narrower or lower than 10 pixels stays as
/// it is, and the second pass needs 15. `reportProgress` (the drawing-parameters window hidden)
/// lets it pump events between block rows, and report progress when `amount` is 20. Returns
/// early once `context.AbortRequested` is set.
void BlockContrast(Bitmap24& picture, int amount, RunContext& context, bool reportProgress);

/// Draws `source` as pen hatching into `destination` (made the source's size). `source` is
/// changed: the block contrast is applied to it. `sheet` is the 300 × 600 ink hatch sheet
/// (`InkHatchSheet()` at run time). Lays "Soften edges" and the paper texture of `surface` itself.
/// Sets the random seed to 1969 and draws no number. Stops at the start of a row once
/// `AbortRequested` is set: the rows not drawn stay white and nothing is laid over them.
void PenandInkSketch(Bitmap24& source, Bitmap24& destination, const PenandInkParameters& parameters,
                     const Bitmap24& sheet, const SurfaceSettings& surface, RunContext& context, bool preview);

/// The live preview on a crop: the drawing with soften and texture laid by the sketch; the caller
/// then finishes it as every preview.
StyleOutput PreviewPenandInkSketch(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                   RunContext& context);

/// The full-size drawing, with soften and texture laid by the sketch; the untextured copy of the
/// result is left as it was.
StyleOutput ProcessPenandInkSketch(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kPenandInkSketchStyle{.effectId = kPenAndInkSketch1EffectId,
                                                  .method = FullSizeMethod::ProcessPenandInkSketch,
                                                  .rowLabels = PenandInkParameters::kRowLabels,
                                                  .fullSize = ProcessPenandInkSketch,
                                                  .preview = PreviewPenandInkSketch,
                                                  .seeded = true};

}  // namespace atelion
