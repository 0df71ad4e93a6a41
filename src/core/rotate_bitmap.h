// Turning a picture by a whole number of degrees, shared by the slanted drawing styles.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"

namespace atelion {

/// `destination` receives `source` turned by `angle` degrees (clockwise on the screen for a
/// positive angle); destination pixels whose source position falls outside `source` are white.
///
/// Only the turn by exactly 30 degrees enlarges the picture so the whole turned source fits;
/// every other angle, the turn back by −30 included, keeps the source size. Rows are written
/// from the bottom up. `destination` is resized (keeping its top-left content) before the rows
/// are written, so a run stopped by `AbortRequested` leaves the rows not yet reached as they were.
///
/// During full-size runs — recognised by `context.Processing` — every 50th row reports progress
/// (phase 1 of 3 for the turn by 30, phase 3 of 3 for −30, no report for other angles) and lets
/// the shell handle its events. A preview runs with `Processing` clear and is neither reported
/// nor pumped here. When memory runs out the run is stopped as a cancel would stop it:
/// `AbortRequested` and `BatchCancelled` are set and the progress display ends.
///
/// There is no platform blit alternative: every turn of the program is made here.
void RotateBitmap(const Bitmap24& source, Bitmap24& destination, int angle, RunContext& context);

}  // namespace atelion
