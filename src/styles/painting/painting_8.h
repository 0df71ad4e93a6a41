// Painting 8 (expressive brushstrokes) and its stroke engine, the brush-stamp painting that the
// watercolour painting also uses for its contour strokes.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "effects/run_pipeline.h"

namespace atelion {

inline constexpr int kExpressivePaintingEffectId = 20;
/// The largest brush side and stroke count per block the stroke engine accepts.
inline constexpr int kMaxStampSize = 256;
inline constexpr int kMaxStrokesPerBlock = 2500;

/// The brush picture the stroke engine stamps: a copy of the custom brush when one is in use
/// (`settings.customBrush`, or the shipped default custom brush when that is null), otherwise
/// the 250 × 250 cell (1, 2) of the brush sheet for `brushChoice` 1 and cell (1, 7) for any other.
Bitmap24 StampBrushPicture(int brushChoice, const StyleSettings& settings);

/// Paints brush strokes coloured from `source` onto `destination` in place (both the same size).
/// The brush picture is turned to ten orientations 18 degrees apart; at candidate pixels every
/// orientation is tried with the mean source colour under it, and the best-fitting one is laid at
/// once when it fits well enough. Then, block by block of `size` × `size` pixels, up to
/// `perBlock` + 1 of the best-fitting strokes are laid again on top, the best last.
///   size        brush side in pixels; an odd size is raised by one. Outside 1..256 nothing happens.
///   perBlock    strokes per block of the second phase, at most 2500 (larger values are limited).
///   spread      range of the random candidate draw: the larger, the more candidates.
///   brushChoice 1 or 2: the built-in brush picture and the progress phases (2·choice − 1 and
///               2·choice of 4 when `settings.effectId` is 20; phase 3 of 4 for effect 4).
/// Reads the slider values of rows 2 and 3 (`TrackBar2`: the pause after a very good stroke;
/// `TrackBar5`: how well a stroke must fit) of whatever style `settings` describes, the custom
/// brush, `preview` and `effectId`. Sets the random seed to 1969, so equal inputs give equal
/// pictures. Checks `AbortRequested` before anything (returning without touching the picture),
/// at every candidate pixel and after every block; a stopped run keeps the strokes laid so far.
void BrushStampPainting(const Bitmap24& source, Bitmap24& destination, int size, int perBlock, int spread,
                        int brushChoice, const StyleSettings& settings, RunContext& context);

/// "Painting 8 (expressive brushstrokes)": sharpens `source` in place (the document's own
/// source, so the sharpening stays), paints `destination` (a copy of the source on entry) with a
/// large brush and, when "Level of details" is above 0, a second pass with a smaller one, and
/// sharpens the painting. Sets `settings.effectId` to 20 and, in a full-size run, `Processing`.
/// The live preview calls it with two work copies of its crop and `settings.preview` set; the
/// intermediate paintings then go to `ShowPreviewProgress`.
void ExpressivePainting(Bitmap24& source, Bitmap24& destination, StyleSettings& settings, RunContext& context);

/// The full-size method of Painting 8: the result becomes a copy of the source, the document's
/// source is sharpened and painted from, then soften, texture and the finishing chain. When memory
/// runs out the run is cancelled (`AbortRequested` and `BatchCancelled` set, progress ended).
void ProcessExpressivePainting(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                               RunContext& context);

}  // namespace atelion
