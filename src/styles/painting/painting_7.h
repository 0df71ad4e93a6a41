// Painting 7: brush strokes at random angles and places, from large brushes down to small
// ones, each kept only when it brings the painting closer to the photograph.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "effects/run_pipeline.h"

namespace atelion {

/// The style number of Painting 7.
inline constexpr int kRandomStrokesEffectId = 15;

/// Paints `source` stroke by stroke into `result`. Before painting, `source` is sharpened in place
/// with `LocalContrast` at strength 10 (full-size runs keep that sharpening in the document's
/// source). `result` takes the source's size, is filled with the ground colour and fully
/// repainted; at the end its contours are darkened by `edgeIntensity` where the painting still
/// differs from the source or where the edge stroke layer is dark.
///
/// Sizes: the brush starts at `maximumSize` + 6 (about twice that with `settings.doubled`) and
/// shrinks by 10 % per size step until it would fall below `minimumSize` + 5. `strokeCount`
/// (0..100) sets the stroke budget, tripled while row 3 shows "MAX"; `precision` (0..255) sets
/// how much a stroke must improve the painting and how far the painting must differ from the
/// photograph where a stroke starts. Sizes are taken as at least 0 and at most 255.
///
/// Also reads: `settings.effectId` (only "Painting 7" itself opens with a phase in which almost
/// every stroke is kept, and paints on `settings.paperColour`; any other caller, such as the
/// painted frame, paints on `frameFillColour`), `settings.preview`, `settings.customBrushInUse`
/// and `settings.customBrush`, `settings.sourceMean`, the finishing settings (which the edge
/// stroke layer carries), and the run context's `ProgressSuppressed` flag: when set, no edge
/// layer is drawn and no progress is shown, and a preview run does nothing at all.
///
/// The random generator is reset to 1969, so equal inputs give equal pictures. The abort flag
/// is looked at before every stroke; an aborted painting keeps its strokes and gets no contour
/// darkening.
void RandomStrokePainting(Bitmap24& source, Bitmap24& result, int minimumSize, int maximumSize, int strokeCount,
                          int edgeIntensity, int precision, const StyleSettings& settings,
                          const FinishingSettings& finishing, RunContext& context, Colour frameFillColour);

/// "Painting 7 (brushstrokes)" at full size: lowers "Minimum brush size" to "Maximum brush size"
/// when it is above it, paints the document's source (which keeps the sharpening) into the
/// result, then soften and texture and the finishing chain. Running out of memory stops the
/// run as a cancel would.
void ProcessRandomStrokes(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                          RunContext& context);

/// The live preview of "Painting 7" on a crop: the same slider rule, then the painting of a copy
/// of the crop (the crop itself is not sharpened) into `output`, before soften and texture.
void PreviewRandomStrokes(const Bitmap24& crop, Bitmap24& output, StyleSettings& settings,
                          const FinishingSettings& finishing, RunContext& context);

}  // namespace atelion
