#include "effects/preview.h"

#include <algorithm>
#include <new>

#include "core/filters.h"
#include "core/geometry.h"
#include "styles/painting/painting_7.h"
#include "styles/painting/painting_8.h"
#include "styles/sketch/pencil_sketch_1.h"
#include "styles/stylized/emergence.h"
#include "styles/stylized/vivify.h"

namespace atelion {
namespace {

// The style's own preview steps up to the picture that soften and texture are laid on. Returns
// false for a style without a preview branch.
bool DrawStylePreview(const Bitmap24& crop, Bitmap24& drawn, StyleSettings& style, const FinishingSettings& finishing,
                      RunContext& context) {
  switch (style.effectId) {
    case kPencilSketchEffectId:
      PreviewPencilSketch(crop, drawn, style, finishing, context);
      return true;
    case kVivifyEffectId:
      PreviewVivify(crop, drawn, style, context);
      return true;
    case kRandomStrokesEffectId:
      PreviewRandomStrokes(crop, drawn, style, finishing, context);
      return true;
    case kExpressivePaintingEffectId: {
      Bitmap24 work = crop;
      drawn = crop;
      ExpressivePainting(work, drawn, style, context);
      return true;
    }
    case kEmergenceEffectId:
      PreviewRandomPolygons(crop, drawn, style, context);
      return true;
    default:
      return false;
  }
}

}  // namespace

int PreviewZoomForSliderPosition(int position) {
  return 125 - std::clamp(position, kMinPreviewZoom, kMaxPreviewZoom);
}

int PreviewCropSize(int zoom) { return 22000 / std::clamp(zoom, kMinPreviewZoom, kMaxPreviewZoom); }

Bitmap24 PreviewCrop(const Bitmap24& source, Point origin, int cropSize) {
  Bitmap24 crop(cropSize, cropSize, kPreviewOutsideColour);
  CopyRect(crop, 0, 0, source, {origin.x, origin.y, origin.x + cropSize, origin.y + cropSize});
  return crop;
}

Point DraggedPreviewOrigin(Point origin, Point from, Point to, int zoom) {
  const int z = std::clamp(zoom, kMinPreviewZoom, kMaxPreviewZoom);
  return {origin.x - ((to.x - from.x) * 100) / z, origin.y - ((to.y - from.y) * 100) / z};
}

Point ZoomedPreviewOrigin(Point origin, int oldZoom, int newZoom) {
  const int shift = (PreviewCropSize(oldZoom) - PreviewCropSize(newZoom)) / 2;
  return {origin.x + shift, origin.y + shift};
}

bool StyleHasPreview(int effectId) {
  switch (effectId) {
    case kPencilSketchEffectId:
    case kVivifyEffectId:
    case kNoEffectId:
    case kRandomStrokesEffectId:
    case kExpressivePaintingEffectId:
    case kEmergenceEffectId:
      return true;
    default:
      return false;
  }
}

PreviewOutput RunStylePreview(const PreviewInput& input, RunContext& context) {
  PreviewOutput output;
  output.style = input.style;
  output.style.preview = true;
  const int side = input.crop.Width();
  context.ProgressSuppressed = false;
  if (context.PreviewEffect != 0) {
    output.picture = Bitmap24(side, input.crop.Height());
    return output;
  }
  context.PreviewEffect = output.style.effectId;
  RunPictures pictures;
  try {
    if (output.style.effectId == kNoEffectId) {
      // The tone adjustment comes after soften and texture here, so the untextured copy keeps
      // the crop as it was.
      ApplySoftenAndTexture(input.crop, pictures, input.finishing);
      ToneAdjust(pictures.result, pictures.result, ToneSettingsFrom(output.style.sliders), output.style.sourceMean,
                 context);
    } else {
      Bitmap24 drawn;
      if (!DrawStylePreview(input.crop, drawn, output.style, input.finishing, context)) {
        drawn = Bitmap24(side, input.crop.Height());
        pictures.result = drawn;
        pictures.untexturedCopy = drawn;
      } else {
        ApplySoftenAndTexture(drawn, pictures, input.finishing);
      }
    }
  } catch (const std::bad_alloc&) {
    pictures.result = Bitmap24();
  }
  if (pictures.result.Width() == 0) {
    pictures.result = Bitmap24(side, input.crop.Height());
    pictures.untexturedCopy = pictures.result;
  }
  context.Processing = false;
  context.PreviewEffect = 0;
  output.picture = std::move(pictures.result);
  output.untexturedCopy = std::move(pictures.untexturedCopy);
  return output;
}

Bitmap24 RetexturedPreview(const Bitmap24& untexturedCopy, const FinishingSettings& finishing) {
  RunPictures pictures;
  ApplySoftenAndTexture(untexturedCopy, pictures, finishing);
  return std::move(pictures.result);
}

Bitmap24 ShowInBox(const Bitmap24& preview, int zoom) {
  Bitmap24 box(kPreviewBoxSide, kPreviewBoxSide, kPreviewOutsideColour);
  if (preview.Width() == 0 || preview.Height() == 0) return box;
  if (zoom >= kMaxPreviewZoom) {
    CopyRect(box, 0, 0, preview, {0, 0, kPreviewBoxSide, kPreviewBoxSide});
  } else {
    Resample(preview, box);
    Sharpen3(box);
  }
  return box;
}

}  // namespace atelion
