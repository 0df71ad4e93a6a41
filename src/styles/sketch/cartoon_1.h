// Cartoon 1: the photograph as a flat-coloured cartoon. Regions of similar colour grown from
// random seeds are painted with their mean colour, the flat picture is posterized and neighbouring
// pixels of similar colour merged, and dark ink lines are drawn where the photograph's colours
// change sharply; local contrast and saturation finish it.
#pragma once

#include <array>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct CartoonParameters {
  int strength;        ///< St, "Strength of effect": how much of the picture is flattened into regions
  int simplification;  ///< Si, "Image simplification": colour tolerance of the regions
  int darkenLighten;   ///< Dl, "Darken/Lighten": 0..100, 50 neutral
  int edgeIntensity;   ///< Ei, "Edge intensity": gradient level above which ink lines are drawn
  int colourIntensity; ///< Ci, "Color intensity": saturation change, 127 neutral

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kStrengthOfEffect, row_label::kImageSimplification, row_label::kDarkenLighten,
      row_label::kEdgeIntensity, row_label::kColorIntensity};
};

/// Reads the parameters from slider values in slot order, each limited to its slider's range.
CartoonParameters CartoonParametersFrom(const ParameterSet& sliders);

/// Draws the cartoon of `source` into `destination` (made the source's size). Draws from
/// `context.Rng` without seeding it, so two runs differ. `settings.preview` stands for the
/// drawing-parameters window being shown (no progress, no intermediate pictures);
/// `settings.manualBrushMode` also keeps the intermediate pictures off. While `context.Processing`
/// is set the regions' colour tolerance grows more slowly with the seed count. `shown`, in a
/// full-size run, receives the picture as it grows and at the end. Stops at its checks once
/// `AbortRequested` is set, leaving `destination` as far as it got.
void Cartoonify(const Bitmap24& source, Bitmap24& destination, const CartoonParameters& parameters,
                const StyleSettings& settings, RunContext& context, Bitmap24* shown = nullptr);

/// The live preview on a crop: the cartoon drawn with `Processing` set, before soften and texture.
StyleOutput PreviewCartoonify(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                              RunContext& context);

/// The full-size drawing; the result panel is cleared to white and shows the regions as they are
/// painted.
StyleOutput ProcessCartoonify(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                              const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kCartoonifyStyle{.effectId = kCartoon1EffectId,
                                             .method = FullSizeMethod::ProcessCartoonify,
                                             .rowLabels = CartoonParameters::kRowLabels,
                                             .fullSize = ProcessCartoonify,
                                             .preview = PreviewCartoonify};

}  // namespace atelion
