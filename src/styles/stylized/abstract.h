// Abstract: the photograph as a soft, blotchy abstraction, the average of many layers of random
// discs and squares in the photograph's colours.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct AbstractParameters {
  int maximumRadius;    ///< "Maximum radius": the base size of the shapes
  int iterations;       ///< "Number of iterations": the number of layers
  int colourIntensity;  ///< "Color intensity": 50 leaves saturation as it is
  int darkenLighten;    ///< "Darken/Lighten": 127 leaves the average as it is
  int contrast;         ///< "Level of contrast": local contrast at the end

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kMaximumRadius, row_label::kNumberOfIterations, row_label::kColorIntensity,
      row_label::kDarkenLighten, row_label::kLevelOfContrast};
};

/// Reads the parameters from slider values in slot order.
AbstractParameters AbstractParametersFrom(const ParameterSet& sliders);

/// Paints the layers j = 0 … `lastLayer`, each a white canvas with up to 101 random squares and
/// discs in the colour of `source` at their centres, shrinking from layer to layer; `destination` (resized to the source's size) becomes
/// their average, shifted by "Darken/Lighten", then local contrast by "Level of contrast" and
/// saturation by "Color intensity". The shapes' base size is `maximumRadius` + 1 times the width
/// of the whole source (`settings.sourceWidth`, or the source's own width when 0) over 314.
/// The random generator is reset to `maximumRadius` + `lastLayer`. A stop ends the layers early;
/// the layers finished so far are averaged and finished the same way.
void AbstractShapes(const Bitmap24& source, Bitmap24& destination, int maximumRadius, int lastLayer,
                    const StyleSettings& settings, RunContext& context);

/// The live preview on a crop (one layer fewer than the full-size run), before soften and texture.
StyleOutput PreviewAbstract(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                            RunContext& context);

/// The full-size drawing.
StyleOutput ProcessAbstract(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                            const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kAbstractStyle{.effectId = kAbstractEffectId,
                                           .method = FullSizeMethod::ProcessAbstract,
                                           .rowLabels = AbstractParameters::kRowLabels,
                                           .fullSize = ProcessAbstract,
                                           .preview = PreviewAbstract,
                                           .seeded = true};

}  // namespace atelion
