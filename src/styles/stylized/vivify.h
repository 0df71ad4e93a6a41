// Vivify photo: the photograph made livelier, with darkened edges, lightened or darkened flat
// areas and stronger colours; and the vibrancy boost it shares with the automatic contrast.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct VivifyParameters {
  int edgeThreshold;    ///< "Edge threshold": gradient from which a pixel counts as an edge
  int edgeIntensity;    ///< "Edge intensity": how much edges are darkened
  int colourIntensity;  ///< "Color intensity": 50 leaves saturation as it is
  int darkenLighten;    ///< "Darken/Lighten": 127 leaves flat areas as they are
  int contrast;         ///< "Level of contrast": local contrast before the rest

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kEdgeThreshold, row_label::kEdgeIntensity, row_label::kColorIntensity,
      row_label::kDarkenLighten, row_label::kLevelOfContrast};
};

/// Reads the parameters from slider values in slot order.
VivifyParameters VivifyParametersFrom(const ParameterSet& sliders);

/// Raises saturation (by up to a third, most for weak colours) and lightness (by up to 8 %) in
/// the floating-point 0..240 hue–lightness–saturation space; values of 10 or less stay. Reads
/// every pixel of `source` and writes the boosted colour to the same place of `target`, which
/// must have the size of `source` and may be the same picture.
void BoostVibrancy(const Bitmap24& source, Bitmap24& target);

/// Draws `source` into `destination` (resized to the source's size): local contrast, edges
/// darkened by their strength (more in light areas), flat areas lightened or darkened, then
/// saturation and, above the neutral colour intensity, the vibrancy boost. Reads the five sliders
/// of `settings` (edge threshold, edge intensity, colour intensity, darken/lighten, level of
/// contrast; limited to their ranges), `preview`, `manualBrushMode` and `sourceMean`. `shownResult`, when given in a full-size run outside the
/// manual brush, is cleared to white at the start and receives the picture at the end.
void Vivify(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings, RunContext& context,
            Bitmap24* shownResult = nullptr);

/// The live preview's run on a crop: the vivified crop, before soften and texture.
StyleOutput PreviewVivify(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                          RunContext& context);

/// The full-size drawing: the vivified copy of the source; the result panel is cleared to white
/// while it is computed and then shows it.
StyleOutput ProcessVivify(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                          const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kVivifyStyle{.effectId = kVivifyEffectId,
                                         .method = FullSizeMethod::ProcessVivify,
                                         .rowLabels = VivifyParameters::kRowLabels,
                                         .fullSize = ProcessVivify,
                                         .preview = PreviewVivify,
                                         .seeded = true};

}  // namespace atelion
