// Painting 1 (watercolour): the photograph's colours run together like wet paint. A walker
// steps from pixel to pixel towards the closest colour, carrying and blending paint, so regions of
// like colour merge while strong contours stop it; contour strokes are multiplied in, colours
// strengthened and the watercolour paper pressed into the paint.
#pragma once

#include <cstdint>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct WatercolourParameters {
  int colourBlending = 0;  ///< A, "Color blending ": how different neighbours may be to blend
  int edgeIntensity = 0;   ///< E, "Edge intensity": the contour strokes; 10 or less: none
  int strength = 0;        ///< N, "Strength of effect": walk passes minus one
  int darkenLighten = 0;   ///< D, "Darken/Lighten": 127 neutral
  int paperIntensity = 0;  ///< T, "Brushstrokes intensity": how strongly the paper shows

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kColorBlending, row_label::kEdgeIntensity, row_label::kStrengthOfEffect,
      row_label::kDarkenLighten, row_label::kBrushstrokesIntensity};
};

/// Reads the parameters from slider values in slot order.
WatercolourParameters WatercolourParametersFrom(const ParameterSet& sliders);

/// Advances `rng` as `steps` draws would, without drawing them one by one.
void SkipRandomDraws(RandomGenerator& rng, std::uint64_t steps);

/// Paints `source` as a watercolour into `destination` (which takes the source's size).
///  1. With edge intensity E > 10, the contour strokes: the edge stroke layer of the source,
///     sharpened, painted with the second built-in brush onto white (the stroke engine resets the
///     random generator to 1969, so the picture is repeatable), sharpened again.
///  2. N + 1 walk passes over a copy of the source, each of W · H + 1 steps, continuing the random
///     generator (from 1969 after the strokes, from wherever it stood otherwise).
///  3. Brightness by (D − 127) div 3 percent, colours strengthened by 12 %, local contrast 25,
///     the stroke layer multiplied in by E, the paper texture pressed in by T.
/// Pictures narrower or lower than 3 pixels have no inner pixel to walk from: they get only
/// step 3. Reads `preview`, `manualBrushMode`, the source mean, the custom brush, and the
/// soften and texture settings (which the edge stroke layer carries). An abort during the walk
/// keeps the walk so far and skips step 3.
void WatercolourPainting(const Bitmap24& source, Bitmap24& destination, const WatercolourParameters& parameters,
                         const StyleSettings& settings, const SurfaceSettings& surface, RunContext& context);

/// The full-size drawing: paints into the result panel's picture, which becomes the drawing.
StyleOutput ProcessWatercolourPainting(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                       const SurfaceSettings& surface, RunContext& context);

/// The live preview's run on a crop, before soften and texture.
StyleOutput PreviewWatercolourPainting(const Bitmap24& crop, const StyleSettings& settings,
                                       const SurfaceSettings& surface, RunContext& context);

/// Repeatable only while the contour strokes are on (they reset the random generator); with
/// E ≤ 10 the walk goes on from the generator's state, as the program leaves it.
inline constexpr StyleEntry kWatercolourStyle{.effectId = kPainting1EffectId,
                                              .method = FullSizeMethod::ProcessPainting,
                                              .rowLabels = WatercolourParameters::kRowLabels,
                                              .fullSize = ProcessWatercolourPainting,
                                              .preview = PreviewWatercolourPainting,
                                              .seeded = false};

}  // namespace atelion
