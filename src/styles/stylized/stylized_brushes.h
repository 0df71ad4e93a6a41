// The manual brush's version of each stylized style: the style drawn on the part of the
// photograph under a brush stroke (see BrushDrawing in styles/style.h).
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/style.h"

namespace atelion {

void Painting5Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Painting6Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void PixelationBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                     RunContext& context);
void ColouredDotsBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                       RunContext& context);
void VivifyBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                 RunContext& context);
/// T enters as the result's own part: the merge lays the photograph's part over it.
void MergeBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                RunContext& context);
void ToneBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
               RunContext& context);
void VintagePhotoBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                       RunContext& context);
void EmergenceBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context);
void Emergence2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                     RunContext& context);
void AbstractBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context);

}  // namespace atelion
