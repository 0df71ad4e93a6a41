// The manual brush's version of each sketch and line style: the style drawn on the part of the
// photograph under a brush stroke (see BrushDrawing in styles/style.h).
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/style.h"

namespace atelion {

/// The brush's own pen and ink: hatching tones by brightness and dark lines where neighbouring
/// pixels differ, drawn into `destination` (made the size of `source`, white). `source` is
/// blurred, brightened and desaturated in place first. Reads "Threshold", "Edge darkness" and
/// "Darken/Lighten" of the first pen-and-ink sketch; the random generator is reset to 1969. A stop
/// leaves the rows not reached white.
void PenandInkBrush(Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                    const SurfaceSettings& surface, RunContext& context);

void PencilSketch1Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context);
void PencilSketch2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context);
void PencilSketch3Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context);
void OilPastelBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Cartoon1Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context);
void Cartoon2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context);
void PenAndInkSketch2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                           RunContext& context);
void PencilSketch4Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context);
void PencilSketch5Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context);
void LinearHalftoningBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                           RunContext& context);
void PencilSketch6Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context);

/// Soften and texture laid once on a brushed part, and the surface an algorithm gets when that
/// follows it (so the texture is not laid twice).
void FinishBrushedPart(Bitmap24& S, Bitmap24& T, const SurfaceSettings& surface);
SurfaceSettings WithoutSurface(const SurfaceSettings& surface);

}  // namespace atelion
