// Painting 3: the photograph flattened into patches of even colour, as if painted with a broad
// brush. A median filter the size of the brush removes detail; repeated passes then merge each
// 2 × 2 block whose colours are close, the block grid shifting by one pixel between passes so the
// patches grow across block borders; a brightness shift and three rounds of sharpening give the
// patches crisp edges.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The sliders of the style, limited to their ranges.
struct Painting3Parameters {
  int colourBlending;  ///< "Color blending ": largest colour difference that still merges
  int brushSize;       ///< "Size of paintbrush" 1..10: the median window is one pixel larger
  int strength;        ///< "Strength of effect": number of merging passes minus one
  int darkenLighten;   ///< "Darken/Lighten": brightness offset from 127

  static constexpr std::array<int, kSlotCount> kRowLabels = {row_label::kColorBlending, row_label::kSizeOfPaintbrush,
                                                             row_label::kStrengthOfEffect, row_label::kDarkenLighten,
                                                             kNoLine};
};

/// Reads the parameters from slider values in slot order.
Painting3Parameters Painting3ParametersFrom(const ParameterSet& sliders);

/// `destination` becomes the per-channel median of `source` over windows of k × k pixels
/// (k limited to 2..11, and to the smaller side of the picture, at least 2): the value of rank
/// (k·k − 1) shr 1 counted from 1, so k = 2 gives the minimum. The windows reach into copies of
/// the left and top strips and into white at the right and bottom. Reports progress per row; on
/// abort `destination` is left as it was.
void MedianFilter(const Bitmap24& source, Bitmap24& destination, int k, int phase, int phases, RunContext& context);

/// Prepares `source` in place (soften, 15 % saturation, local contrast), then `destination`
/// (resized to the source) receives the merged painting: the 2 × 2 block merging passes, the
/// brightness offset, "Soften edges" when on, three sharpenings and the paper texture when on.
/// An abort during the preparation leaves `destination` white; during the passes (full-size runs
/// only) it returns what was merged so far.
void BlockMerge(Bitmap24& source, Bitmap24& destination, int phase, int phases, const StyleSettings& settings,
                const SurfaceSettings& surface, RunContext& context);

/// The live preview's run on a crop (before the preview's own soften and texture).
StyleOutput PreviewPainting3(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                             RunContext& context);

/// The full-size drawing; the style lays soften and texture itself.
StyleOutput ProcessPainting3(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                             const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kPainting3Style{.effectId = kPainting3EffectId,
                                            .method = FullSizeMethod::ProcessPainting3,
                                            .rowLabels = Painting3Parameters::kRowLabels,
                                            .fullSize = ProcessPainting3,
                                            .preview = PreviewPainting3,
                                            .seeded = true};

}  // namespace atelion
