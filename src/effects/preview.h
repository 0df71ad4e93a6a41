// The live preview of the drawing-parameters window without the window: the square crop of the
// source, the chosen style run on it with the preview's own steps, soften and texture, and the
// picture shown in the 220 × 220 box. Everything here is a pure function of its inputs and a run
// context, so the desktop shell can compute a preview on a worker thread and tests can run one
// without a display.
#pragma once

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/run_context.h"
#include "effects/run_pipeline.h"
#include "styles/style_list.h"

namespace atelion {

/// Side of the preview box in pixels.
inline constexpr int kPreviewBoxSide = 220;
/// What the crop shows where it reaches past the source.
inline constexpr Colour kPreviewOutsideColour = 2302755;
/// The preview zoom Z: 100 shows the crop 1:1, 25 shows a crop four times as wide.
inline constexpr int kMinPreviewZoom = 25;
inline constexpr int kMaxPreviewZoom = 100;

/// Z for a position of the zoom slider (25..100): the slider's left end is 1:1.
int PreviewZoomForSliderPosition(int position);
/// Width and height of the crop at zoom Z: 22000 div Z (220 at 100, 880 at 25).
int PreviewCropSize(int zoom);

/// The crop: `cropSize` squared, dark grey, with the source rectangle at `origin` copied onto
/// it. The origin may lie partly or wholly outside the source; what lies outside stays grey.
Bitmap24 PreviewCrop(const Bitmap24& source, Point origin, int cropSize);

/// The crop origin after the mouse moved from `from` to `to` over the box while dragging: the
/// crop follows the picture under the pointer, so a move of d box pixels shifts it by
/// (d·100) div Z source pixels the other way. Not limited to the source.
Point DraggedPreviewOrigin(Point origin, Point from, Point to, int zoom);
/// The crop origin after the zoom changed, keeping the crop's centre where it was.
Point ZoomedPreviewOrigin(Point origin, int oldZoom, int newZoom);

/// What a preview run reads.
struct PreviewInput {
  Bitmap24 crop;            ///< the source crop (C)
  StyleSettings style;      ///< the chosen style; `preview` is set by the run
  FinishingSettings finishing;  ///< soften and texture (the tile already cut out)
  /// The result's rectangle at the crop's origin, which the merge of source and result works
  /// on; left empty when the result's width differs from the source's, and the merge then
  /// previews as "Frame, texture and text only".
  Bitmap24 resultCrop;
};

/// What a preview run made.
struct PreviewOutput {
  Bitmap24 picture;         ///< P, the crop's size, after soften and texture
  Bitmap24 untexturedCopy;  ///< P before soften and texture, for re-texturing
  /// The style settings after the run: a style may move a slider, and the window then shows
  /// what was actually used.
  StyleSettings style;
};

/// Runs the chosen style on the crop as the live preview does. Clears `ProgressSuppressed`,
/// marks `PreviewEffect` while it computes and clears it at the end. Sends
/// intermediate pictures through `context.Preview`. An abort, checked by the styles at their
/// own checkpoints, ends the run early with whatever the style had drawn, still softened and
/// textured. A run that finds another preview computing on the same context, or that runs out of
/// memory, gives a white picture. The merge of source and result without a result crop of the
/// crop's size runs as "Frame, texture and text only" (the style settings say so afterwards).
PreviewOutput RunStylePreview(const PreviewInput& input, RunContext& context);

/// P again from its untextured copy with the current soften and texture options, as the
/// texture controls re-texture the shown preview without running the style again.
Bitmap24 RetexturedPreview(const Bitmap24& untexturedCopy, const FinishingSettings& finishing);

/// The 220 × 220 picture of the box: at Z = 100 the top-left 220 × 220 of P 1:1 (grey where P
/// is smaller); otherwise P scaled into the box and sharpened once.
Bitmap24 ShowInBox(const Bitmap24& preview, int zoom);

}  // namespace atelion
