// Emergence: the photograph rebuilt from flat-coloured random quadrilaterals on a black canvas.
#pragma once

#include <cstdint>
#include <vector>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The sliders of the style and the "MAX" label of row 2.
struct EmergenceParameters {
  int abstraction;    ///< "Level of abstraction": threshold of what counts as a difference
  int iterations;     ///< "Number of iterations": the run has 128 × iterations + 4001 steps
  int contrast;       ///< "Level of contrast": local contrast and brightness lift of the source
  int minimumRadius;  ///< "Minimum radius"
  int maximumRadius;  ///< "Maximum radius", never below the minimum
  int repeatFactor;   ///< 3 while row 2 shows "MAX", else 1

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kLevelOfAbstraction, row_label::kNumberOfIterations, row_label::kLevelOfContrast,
      row_label::kMinimumRadius, row_label::kMaximumRadius};
};

/// Reads the parameters: sliders limited to their ranges, a maximum radius below the minimum
/// raised to it.
EmergenceParameters EmergenceParametersFrom(const StyleSettings& settings);

/// The detail map of the two Emergence styles: per inner pixel, the mean over the channels of its
/// distance to the floor mean of its eight neighbours; the border is 0. One byte per pixel, row
/// after row.
std::vector<std::uint8_t> EmergenceDetailMap(const Bitmap24& picture);

/// How a run of RandomPolygons ended.
enum class RandomPolygonsEnd {
  Completed,       ///< every step ran
  Stopped,         ///< `AbortRequested` ended the run; the destination keeps what was drawn
  /// 800 shapes in a row were rejected, so the run stopped itself through `AbortRequested`.
  /// Outside the manual brush the drawing-parameters window is to be shown again.
  RejectionLimit,
};

/// Draws `source` as random quadrilaterals into `destination` (resized to the source's size and
/// started black): a few thousand large shapes first, then ever smaller shapes at points where
/// the canvas still differs from the photograph, each kept only when it brings the canvas closer.
/// Reads the five sliders of `settings` (level of abstraction, number of iterations, level of
/// contrast, minimum radius, maximum radius), the "MAX" label of row 2, `preview` (no inner
/// repetitions in the preview), `manualBrushMode` and `sourceMean`. A minimum radius above the
/// maximum raises the maximum radius to it. Sliders outside their ranges are limited to them.
/// The random generator is reset to 1969, so equal input gives an equal picture.
/// `emergingResult`, when given, receives the canvas from time to time in a full-size run
/// outside the manual brush, so the picture is seen emerging.
RandomPolygonsEnd RandomPolygons(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                                 RunContext& context, Bitmap24* emergingResult = nullptr);

/// The live preview's run on a crop: the canvas drawn from the crop, before soften and texture.
/// The sliders given back show a maximum radius raised to the minimum.
StyleOutput PreviewRandomPolygons(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                  RunContext& context);

/// The full-size drawing: the canvas drawn from the source, shown in the result panel as it
/// emerges. A run that converged by itself is not a stop: it finishes, and outside the manual
/// brush asks for the drawing-parameters window.
StyleOutput ProcessRandomPolygons(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                  const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kEmergenceStyle{.effectId = kEmergenceEffectId,
                                            .method = FullSizeMethod::ProcessRandomPolygons,
                                            .rowLabels = EmergenceParameters::kRowLabels,
                                            .fullSize = ProcessRandomPolygons,
                                            .preview = PreviewRandomPolygons,
                                            .seeded = true};

}  // namespace atelion
