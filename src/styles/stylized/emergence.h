// Emergence: the photograph rebuilt from flat-coloured random quadrilaterals on a black canvas.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "effects/run_pipeline.h"

namespace atelion {

/// The style number of Emergence.
inline constexpr int kEmergenceEffectId = 22;

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
/// maximum raises the maximum slider first. Sliders outside their ranges are limited to them.
/// The random generator is reset to 1969, so equal input gives an equal picture.
/// `emergingResult`, when given, receives the canvas from time to time in a full-size run
/// outside the manual brush, so the picture is seen emerging.
RandomPolygonsEnd RandomPolygons(const Bitmap24& source, Bitmap24& destination, StyleSettings& settings,
                                 RunContext& context, Bitmap24* emergingResult = nullptr);

/// The live preview's run on a crop: `output` becomes the canvas drawn from the crop, ready for
/// `ApplySoftenAndTexture`. `settings.preview` should be set.
void PreviewRandomPolygons(const Bitmap24& crop, Bitmap24& output, StyleSettings& settings, RunContext& context);

/// The full-size method of "Emergence": the canvas drawn from a copy of the source becomes the
/// result, then soften, texture and the finishing chain. Running out of memory stops the run and
/// the batch.
void ProcessRandomPolygons(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                           RunContext& context);

}  // namespace atelion
