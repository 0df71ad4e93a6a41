// Pen & Ink sketch 2: the photograph as a pure black-and-white ink drawing, each pixel compared
// with a threshold made from its 9 × 9 neighbourhood and the photograph's mean colour, dark detail
// picked out by a 5 × 5 kernel, and isolated specks removed by repeated weighted majority votes.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The three sliders of the style, limited to their ranges.
struct PenAndInkSketch2Parameters {
  int levelOfDetails;  ///< "Level of details": the detail test blackens more pixels as it grows
  int darkenLighten;   ///< "Darken/Lighten": larger values give a lighter drawing
  int simplification;  ///< "Image simplification", 0..100: strength of the clean-up, 0 switches it off

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kLevelOfDetails, row_label::kDarkenLighten, row_label::kImageSimplification, kNoLine, kNoLine};
};

/// Reads the parameters from slider values in slot order.
PenAndInkSketch2Parameters PenAndInkSketch2ParametersFrom(const ParameterSet& sliders);

/// Replaces `picture` by a black-and-white drawing (every pixel black or white): a pixel is white
/// when its channel sum exceeds a threshold made from its 9 × 9 neighbourhood in a softened copy
/// padded by 9 pixels on every side (the outermost 9 columns and rows repeated), the
/// source's mean colour `settings.sourceMean` and "Darken/Lighten"; then pixels at least two
/// pixels inside the border that the 5 × 5 detail kernel finds darker than their surroundings
/// turn black. Outside the preview (`settings.preview` false) progress is reported as phase 1 of
/// 2; the abort flag is looked at after every row, and a stop leaves the lower rows as they were.
void PenAndInkSketch2(Bitmap24& picture, const StyleSettings& settings, RunContext& context);

/// Cleans a black-and-white `picture` in place by up to eleven passes of a weighted 7 × 7 vote
/// on its red channel (a white border of 3 pixels around it), each pass decided from a snapshot
/// taken at its start, until a pass changes fewer than 20 pixels; then green and blue take the
/// red values. "Image simplification" 0, or a run already stopped, leaves the picture alone.
/// A stop during a pass keeps the red values written so far and skips the grey copy.
void SimplifyInk(Bitmap24& picture, const StyleSettings& settings, RunContext& context);

/// The live preview on a crop: the drawing of the crop, cleaned, before soften and texture.
StyleOutput PreviewPenAndInkSketch2(const Bitmap24& crop, const StyleSettings& settings,
                                    const SurfaceSettings& surface, RunContext& context);

/// The full-size drawing: the cleaned drawing of a copy of the source.
StyleOutput ProcessPenAndInkSketch2(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                    const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kPenAndInkSketch2Style{.effectId = kPenAndInkSketch2EffectId,
                                                   .method = FullSizeMethod::ProcessPenAndInkSketch2,
                                                   .rowLabels = PenAndInkSketch2Parameters::kRowLabels,
                                                   .fullSize = ProcessPenAndInkSketch2,
                                                   .preview = PreviewPenAndInkSketch2,
                                                   .seeded = true};

}  // namespace atelion
