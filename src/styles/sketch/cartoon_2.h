// Cartoon 2: the photograph's colours flattened by repeatedly taking the mean of the neighbours
// wherever a pixel is close to it, the softened photograph kept along edges, black ink where a
// centre-weighted 5 × 5 kernel finds pixels darker than their surroundings, and every other pixel
// lightened a little.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The four sliders of the style, limited to their ranges.
struct Cartoon2Parameters {
  int colourBlending;  ///< "Color blending ": a pixel joins its neighbours' mean within half of it
  int edgeIntensity;   ///< "Edge intensity": colour steps of 255 − it count as edges; ink below it − 64
  int strength;        ///< "Strength of effect", 0..100: flattening passes, one more than it
  int darkenLighten;   ///< "Darken/Lighten": 127 neutral

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kColorBlending, row_label::kEdgeIntensity, row_label::kStrengthOfEffect, row_label::kDarkenLighten,
      kNoLine};
};

/// Reads the parameters from slider values in slot order.
Cartoon2Parameters Cartoon2ParametersFrom(const ParameterSet& sliders);

/// The flat colours of `work` into `destination` (resized to its size): `work` is softened and
/// kept as the original O, enhanced (softened, saturated twice by 15, local contrast 100 against
/// `settings.sourceMean`, brightened by 25), then flattened Se + 1 times (a pixel whose 14
/// neighbours' mean lies within Cb div 2 in every channel takes the mean, others take O); along
/// colour steps of at least 255 − Ei the softened O, slightly darkened, comes back, elsewhere
/// Darken/Lighten shifts the colours; softened at the end, and the paper texture laid when it is
/// on (`texturePeriod`: how the tile repeats). Progress is reported per pass outside the
/// preview; the abort flag is looked at before every pass, and a stop returns at once.
void FlattenColours(Bitmap24& work, Bitmap24& destination, const StyleSettings& settings,
                    const SurfaceSettings& surface, TileRepeat texturePeriod, RunContext& context);

/// Draws `source` (softened in place) as a cartoon into `destination`: the flat colours,
/// brightness by Darken/Lighten, then black ink where the detail kernel finds a pixel darker than
/// its surroundings and a lighter colour elsewhere (rows and columns from 2 to the third last);
/// the paper texture when it is on. Resets the random generator to 1969 (it draws nothing).
void ColourInk(Bitmap24& source, Bitmap24& destination, const StyleSettings& settings, const SurfaceSettings& surface,
               RunContext& context);

/// The live preview on a crop: the cartoon of the crop, run as a full-size run runs it (with the
/// processing flag set); soften and texture are laid afterwards as on every preview. Like the
/// full-size drawing, it is drawn on the picture grown on every side by 2·(Se + 1) + 8 pixels of
/// repeated edge and cut back, so the outermost rows and columns are flattened, inked and
/// lightened like the others (the paper texture stays where it would lie on the picture itself).
StyleOutput PreviewColourInk(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                             RunContext& context);

/// The full-size drawing: the cartoon of a copy of the source, which lays its texture itself and
/// is not softened by "Soften edges"; the drawing-parameters window comes back afterwards.
StyleOutput ProcessColourInk(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                             const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kCartoon2Style{.effectId = kCartoon2EffectId,
                                           .method = FullSizeMethod::ProcessColourInk,
                                           .rowLabels = Cartoon2Parameters::kRowLabels,
                                           .fullSize = ProcessColourInk,
                                           .preview = PreviewColourInk,
                                           .seeded = true};

}  // namespace atelion
