// The manual brush's version of each painting style: the style painted on the part of the
// photograph under a brush stroke (see BrushDrawing in styles/style.h).
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/style.h"

namespace atelion {

void Painting1Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Painting2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Painting3Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Painting4Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Painting7Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Painting8Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Painting9Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Painting10Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                     RunContext& context);
void Painting11Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                     RunContext& context);

}  // namespace atelion
