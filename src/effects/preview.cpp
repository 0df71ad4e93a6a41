#include "effects/preview.h"

#include <algorithm>
#include <new>

#include "core/filters.h"
#include "core/geometry.h"
#include "styles/style_list.h"

namespace atelion {

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
  // The merge needs the result at the crop's place; without it the crop passes unchanged.
  const bool withResult = input.resultCrop.Width() == side && input.resultCrop.Height() == input.crop.Height();
  if (output.style.effectId == kMergeEffectId && !withResult) {
    output.style.effectId = kNoEffectId;
    output.style.sliders = FactoryDefaults(kNoEffectId);
  }
  context.PreviewEffect = output.style.effectId;
  output.style.result = withResult ? &input.resultCrop : nullptr;
  RunPictures pictures;
  const StyleEntry* style = FindStyle(output.style.effectId);
  try {
    if (style == nullptr || style->preview == nullptr) {
      pictures.result = Bitmap24(side, input.crop.Height());
      pictures.untexturedCopy = pictures.result;
    } else {
      StyleOutput drawn = style->preview(input.crop, output.style, input.finishing, context);
      output.style.sliders = drawn.sliders;
      if (drawn.surfaceApplied) {
        pictures.result = std::move(drawn.picture);
        pictures.untexturedCopy = drawn.untextured.Empty() ? pictures.result : std::move(drawn.untextured);
      } else {
        ApplySoftenAndTexture(drawn.picture, pictures, input.finishing);
      }
    }
  } catch (const std::bad_alloc&) {
    pictures.result = Bitmap24();
  }
  if (pictures.result.Width() == 0) {
    pictures.result = Bitmap24(side, input.crop.Height());
    pictures.untexturedCopy = pictures.result;
  }
  context.PreviewEffect = 0;
  output.style.result = nullptr;
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
