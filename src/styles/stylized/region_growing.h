// Paintings 5 and 6: the picture broken into flat patches of paint, each grown ring by ring from
// a random point over pixels of a colour close to the point's own, painted in the patch's mean
// colour pressed with a paper texture.
#pragma once

#include <cstdint>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/painting/paper_tables.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the two styles, limited to their ranges.
struct RegionGrowingParameters {
  int strength = 200;        ///< "Strength of effect": share of the picture painted by patches
  int simplification = 10;   ///< "Image simplification": colour tolerance of the growth
  int colourIntensity = 60;  ///< "Color intensity": saturation change (value − 50) · 2 percent
  int darkenLighten = 160;   ///< "Darken/Lighten": brightness offset value − 127
  int strokeIntensity = 70;  ///< "Brushstrokes intensity": texture strength 2 · value

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kStrengthOfEffect, row_label::kImageSimplification, row_label::kColorIntensity,
      row_label::kDarkenLighten, row_label::kBrushstrokesIntensity};
};

/// Reads the parameters of `effectId` (8 or 9) from slider values in slot order.
RegionGrowingParameters RegionGrowingParametersFrom(int effectId, const ParameterSet& sliders);

/// The paper the patches are pressed with: which table, and whether a grain is laid.
enum class RegionKind { Watercolor, Impasto };

/// The program's paper for a kind: watercolour paper or impasto.
const PaperTable& PaperTableFor(RegionKind kind);

/// Paints `destination` (resized to the size of `source`) by growing patches from random seeds
/// until about strength / 280 of the picture is covered, fills what is left with the photograph's
/// colour pressed with the paper, then lays the grain (watercolour only), the brightness shift, a
/// darkening along the photograph's edges and the saturation change. The tolerance grows 16
/// times faster while `context.Processing` is clear (the live preview). Not seeded: the painting
/// follows the shared generator. An abort ends the run after the current patch, leaving unpainted
/// pixels white. Pictures of fewer than 140 pixels skip the patches.
void RegionGrowingPainting(const Bitmap24& source, Bitmap24& destination, RegionKind kind,
                           const RegionGrowingParameters& parameters, const PaperTable& paper,
                           const StyleSettings& settings, RunContext& context);

/// "Painting 5 (watercolor)" and "Painting 6 (oil painting)" at full size.
StyleOutput ProcessRegionGrowing(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context);

/// The live preview's run on a crop, before soften and texture.
StyleOutput PreviewRegionGrowing(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context);

inline constexpr StyleEntry kRegionWatercolourStyle{.effectId = kPainting5EffectId,
                                                    .method = FullSizeMethod::ProcessRegionGrowing,
                                                    .rowLabels = RegionGrowingParameters::kRowLabels,
                                                    .fullSize = ProcessRegionGrowing,
                                                    .preview = PreviewRegionGrowing};
inline constexpr StyleEntry kRegionImpastoStyle{.effectId = kPainting6EffectId,
                                                .method = FullSizeMethod::ProcessRegionGrowing,
                                                .rowLabels = RegionGrowingParameters::kRowLabels,
                                                .fullSize = ProcessRegionGrowing,
                                                .preview = PreviewRegionGrowing};

}  // namespace atelion
