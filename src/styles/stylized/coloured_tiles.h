// Pixelation and Colored dots: the photograph painted with flat-coloured squares or dots laid at
// random places, large tiles first, then ever smaller ones where the tiles laid so far do not
// match the photograph well.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the two twin styles, limited to their ranges.
struct ColouredTilesParameters {
  int abstraction;      ///< "Level of abstraction": how much worse than its spread an area may match
  int count;            ///< "Number of squares" / "Number of circles"
  int colourIntensity;  ///< "Color intensity": 50 leaves saturation as it is
  int minimumSize;      ///< "Minimum square size" / "Minimum radius", never above the maximum
  int maximumSize;      ///< "Maximum square size" / "Maximum radius"

  static constexpr std::array<int, kSlotCount> kSquaresRowLabels = {
      row_label::kLevelOfAbstraction, row_label::kNumberOfSquares, row_label::kColorIntensity,
      row_label::kMinimumSquareSize, row_label::kMaximumSquareSize};
  static constexpr std::array<int, kSlotCount> kCirclesRowLabels = {
      row_label::kLevelOfAbstraction, row_label::kNumberOfCircles, row_label::kColorIntensity,
      row_label::kMinimumRadius, row_label::kMaximumRadius};
};

/// Reads the sliders of `effectId` (Pixelation or Colored dots) in slot order; a minimum size
/// above the maximum is lowered to it.
ColouredTilesParameters ColouredTilesParametersFrom(int effectId, const ParameterSet& sliders);

/// Paints `source` into `destination` (resized to the source's size and started white) with
/// flat squares: one pass per tile size from the largest down to the smallest; each pass throws
/// tiles at random centres and lays one where the photograph's mean colour there differs from
/// the painting by more than the photograph's own spread plus the level of abstraction, or where
/// the painting is still almost white. Then the saturation follows "Color intensity".
/// The random generator is not reset: the sequence goes on from where it stands.
/// Reads the five sliders, `preview` (three times as many tiles on small passes) and
/// `manualBrushMode`. `shownResult`, when given in a full-size run outside the manual brush,
/// receives the painting after each pass, on a stop and at the end.
/// Returns false when a stop ended the run (no saturation change then).
bool ColouredSquares(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                     RunContext& context, Bitmap24* shownResult = nullptr);
/// As ColouredSquares with filled dots outlined in a slightly darker colour.
bool ColouredCircles(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                     RunContext& context, Bitmap24* shownResult = nullptr);

/// The live previews on a crop: the painting before soften and texture. The sliders given back
/// show a minimum size lowered to the maximum.
StyleOutput PreviewColouredSquares(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                   RunContext& context);
StyleOutput PreviewColouredCircles(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                   RunContext& context);

/// The full-size drawings, shown in the result panel pass by pass.
StyleOutput ProcessColouredSquares(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context);
StyleOutput ProcessColouredCircles(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kPixelationStyle{.effectId = kPixelationEffectId,
                                             .method = FullSizeMethod::ProcessColouredSquares,
                                             .rowLabels = ColouredTilesParameters::kSquaresRowLabels,
                                             .fullSize = ProcessColouredSquares,
                                             .preview = PreviewColouredSquares};

inline constexpr StyleEntry kColouredDotsStyle{.effectId = kColouredDotsEffectId,
                                               .method = FullSizeMethod::ProcessColouredCircles,
                                               .rowLabels = ColouredTilesParameters::kCirclesRowLabels,
                                               .fullSize = ProcessColouredCircles,
                                               .preview = PreviewColouredCircles};

}  // namespace atelion
