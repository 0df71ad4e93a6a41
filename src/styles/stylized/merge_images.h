// Merge source and result images: the photograph and the current result (a drawing made by an
// earlier style, say) mixed linearly, then mixed with their multiplicative blend, so a sketch can
// be laid over the photograph or a painting darkened by its own line drawing.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The three sliders of the style, limited to their ranges.
struct MergeParameters {
  int blending;        ///< "Blending intensity": share of the result in the linear mix
  int multiplication;  ///< "Multiplication": share of the multiplied pictures in the end
  int darkenLighten;   ///< "Darken/Lighten" 0..100: divisor of the multiplication, 50 is a·b/255

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kBlendingIntensity, row_label::kMultiplication, row_label::kDarkenLighten, kNoLine, kNoLine};
};

/// Reads the parameters from slider values in slot order.
MergeParameters MergeParametersFrom(const ParameterSet& sliders);

/// Replaces the pixels of `second` (the result) with its merge with `first` (the source). Pictures
/// of different widths or heights are left alone.
void MergeImages(const Bitmap24& first, Bitmap24& second, const StyleSettings& settings, RunContext& context);

/// The part of `result` of the source's size centred in it (the result is larger when a frame
/// was added), or the result itself when it is smaller than the source in either direction.
Bitmap24 CentredResultPart(const Bitmap24& result, int sourceWidth, int sourceHeight);

/// The live preview: the source crop merged with `settings.result`, the result's crop at the same
/// position (the crop itself when none is given).
StyleOutput PreviewMergeImages(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                               RunContext& context);

/// The full-size merge of the source with the part of the shown result of the source's size.
StyleOutput ProcessAlphaBlend(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                              const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kMergeImagesStyle{.effectId = kMergeEffectId,
                                              .method = FullSizeMethod::ProcessAlphaBlend,
                                              .rowLabels = MergeParameters::kRowLabels,
                                              .fullSize = ProcessAlphaBlend,
                                              .preview = PreviewMergeImages,
                                              .seeded = true};

}  // namespace atelion
