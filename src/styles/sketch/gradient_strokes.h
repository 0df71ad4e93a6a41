// Pencil sketches 2 and 3: short pencil strokes on white paper. Along strong brightness edges a
// stroke follows the contour, long and dark in proportion to the gradient; elsewhere a short
// shading stroke grows with the darkness of the photograph, in a direction set by brightness and
// chance. Strokes darken the paper subtractively, so overlapping strokes build up tone. The
// second sketch stays grey; the third blends the photograph's colours into the strokes.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The sliders both sketches read, limited to their ranges.
struct GradientStrokeParameters {
  int edgeThreshold = 0;    ///< "Edge threshold": gradient strength from which an edge stroke is drawn
  int edgeIntensity = 0;    ///< "Edge intensity": darkness of edge strokes
  int strokeLength = 0;     ///< "Stroke length": length and darkness of edge strokes, 0..100
  int darkenLighten = 0;    ///< "Darken/Lighten": lightens the shading strokes
  int colourIntensity = 0;  ///< "Color intensity", third sketch only: 0 = screen, 255 = multiply

  /// The grey sketch shows no fifth row.
  static constexpr std::array<int, kSlotCount> kGreyRowLabels = {
      row_label::kEdgeThreshold, row_label::kEdgeIntensity, row_label::kStrokeLength, row_label::kDarkenLighten,
      kNoLine};
  static constexpr std::array<int, kSlotCount> kColourRowLabels = {
      row_label::kEdgeThreshold, row_label::kEdgeIntensity, row_label::kStrokeLength, row_label::kDarkenLighten,
      row_label::kColorIntensity};
};

/// Reads the sliders of style `effectId` (the grey or the coloured sketch) in slot order.
GradientStrokeParameters GradientStrokeParametersFrom(int effectId, const ParameterSet& sliders);

/// Where a sketch runs: the live preview neither yields to the shell nor stops early.
struct GradientStrokeRun {
  bool preview = false;
};

/// The grey sketch: `destination` becomes a white picture of the source's size carrying the
/// strokes, then "Soften edges" and the paper texture of `surface` when they are on. Strokes never
/// touch the last row or column. Draws one random direction per shading stroke from `context.Rng`
/// (never reseeded). Reports progress after every row; in a full-size run it lets the shell handle
/// events every 20 rows and stops there once `AbortRequested` is set, keeping the strokes drawn
/// (without soften and texture).
void SobelFilter(const Bitmap24& source, Bitmap24& destination, const GradientStrokeParameters& parameters,
                 const SurfaceSettings& surface, const GradientStrokeRun& run, RunContext& context);

/// The coloured sketch: as `SobelFilter` with its own edge-stroke darkness, pixels already black
/// skipped, then the photograph's colours blended into the strokes (screen to multiply by
/// `colourIntensity`) and the saturation raised by 25 before soften and texture. Reports progress
/// only in a full-size run.
void ColourSobel(const Bitmap24& source, Bitmap24& destination, const GradientStrokeParameters& parameters,
                 const SurfaceSettings& surface, const GradientStrokeRun& run, RunContext& context);

/// The full-size drawings: the sketch drawn into its own picture, which the shell watches grow;
/// soften and texture are laid by the sketch itself.
StyleOutput ProcessSobelFilter(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                               const SurfaceSettings& surface, RunContext& context);
StyleOutput ProcessColourSobel(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                               const SurfaceSettings& surface, RunContext& context);

/// The live previews on a crop (the sketch lays its own soften and texture, and the caller then
/// lays them once more, as for every preview).
StyleOutput PreviewSobelFilter(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                               RunContext& context);
StyleOutput PreviewColourSobel(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                               RunContext& context);

inline constexpr StyleEntry kSobelFilterStyle{.effectId = kPencilSketch2EffectId,
                                              .method = FullSizeMethod::ProcessSobelFilter,
                                              .rowLabels = GradientStrokeParameters::kGreyRowLabels,
                                              .fullSize = ProcessSobelFilter,
                                              .preview = PreviewSobelFilter};

inline constexpr StyleEntry kColourSobelStyle{.effectId = kPencilSketch3EffectId,
                                              .method = FullSizeMethod::ProcessColourSobel,
                                              .rowLabels = GradientStrokeParameters::kColourRowLabels,
                                              .fullSize = ProcessColourSobel,
                                              .preview = PreviewColourSobel};

}  // namespace atelion
