// Vivify photo: the photograph made livelier, with darkened edges, lightened or darkened flat
// areas and stronger colours; and the vibrancy boost it shares with the automatic contrast.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "effects/run_pipeline.h"

namespace atelion {

/// The style number of Vivify photo.
inline constexpr int kVivifyEffectId = 12;

/// Raises saturation (by up to a third, most for weak colours) and lightness (by up to 8 %) in
/// the floating-point 0..240 hue–lightness–saturation space; values of 10 or less stay. Reads
/// every pixel of `source` and writes the boosted colour to the same place of `target`, which
/// must have the size of `source` and may be the same picture.
void BoostVibrancy(const Bitmap24& source, Bitmap24& target);

/// Draws `source` into `destination` (resized to the source's size): local contrast, edges
/// darkened by their strength (more in light areas), flat areas lightened or darkened, then
/// saturation and, above the neutral colour intensity, the vibrancy boost. Reads the five sliders
/// of `settings` (edge threshold, edge intensity, colour intensity, darken/lighten, level of
/// contrast; limited to their ranges), `preview`, `manualBrushMode` and `sourceMean`. Clears
/// `context.Processing` at its end. `shownResult`, when given in a full-size run outside the
/// manual brush, is cleared to white at the start and receives the picture at the end.
void Vivify(const Bitmap24& source, Bitmap24& destination, StyleSettings& settings, RunContext& context,
            Bitmap24* shownResult = nullptr);

/// The live preview's run on a crop: `output` receives the vivified crop, ready for
/// `ApplySoftenAndTexture`.
void PreviewVivify(const Bitmap24& crop, Bitmap24& output, StyleSettings& settings, RunContext& context);

/// The full-size method of "Vivify photo": the vivified copy of the source becomes the result,
/// then soften, texture and the finishing chain. Running out of memory stops the run and the batch.
void ProcessVivify(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                   RunContext& context);

}  // namespace atelion
