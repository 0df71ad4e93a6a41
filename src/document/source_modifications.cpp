#include "document/source_modifications.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace atelion {

std::vector<ModificationStep> PlanSourceModifications(const SourceModificationSettings& settings) {
  using Filter = ModificationStep::Filter;
  std::vector<ModificationStep> steps;
  if (settings.simplification > 0) steps.push_back({Filter::Median, settings.simplification + 2});
  steps.push_back({Filter::Brightness, settings.luminosity});
  if (settings.contrast < 0) {
    steps.push_back({Filter::PivotContrast, settings.contrast});
  } else {
    steps.push_back({Filter::LocalContrast, 2 * settings.contrast});
  }
  steps.push_back({Filter::Saturation, settings.saturation});
  for (int pass = 0; pass < settings.blurSharpen; ++pass) steps.push_back({Filter::Sharpen});
  // The strongest passes blur, the last three only soften.
  for (int k = settings.blurSharpen; k < 0; ++k) steps.push_back({k < -3 ? Filter::BoxBlur : Filter::Soften});
  return steps;
}

bool ApplyModificationStep(Bitmap24& picture, const ModificationStep& step, const MeanColour& sourceMean,
                           RunContext& context) {
  using Filter = ModificationStep::Filter;
  // The pivot of the contrast pull: the middle grey.
  constexpr int kContrastPivot = 127;
  switch (step.filter) {
    case Filter::Median:
      picture = MedianSmooth(picture, step.amount, context);
      break;
    case Filter::Brightness:
      AdjustBrightness(picture, step.amount);
      break;
    case Filter::PivotContrast:
      PivotContrast(picture, kContrastPivot, step.amount);
      break;
    case Filter::LocalContrast:
      LocalContrast(picture, step.amount, sourceMean);
      break;
    case Filter::Saturation:
      AdjustSaturation(picture, step.amount, context);
      break;
    case Filter::Sharpen:
      Sharpen3(picture);
      break;
    case Filter::BoxBlur:
      BoxBlur3(picture);
      break;
    case Filter::Soften:
      Soften(picture);
      break;
  }
  return !context.AbortRequested;
}

bool ModifyPicture(Bitmap24& picture, const SourceModificationSettings& settings, const MeanColour& sourceMean,
                   RunContext& context) {
  for (const ModificationStep& step : PlanSourceModifications(settings)) {
    if (context.AbortRequested || !ApplyModificationStep(picture, step, sourceMean, context)) return false;
  }
  return true;
}

Status RecordModifiedSource(Document& document, Bitmap24 picture) {
  document.SourcePicture = std::move(picture);
  document.RecordPictureSizes();
  return document.SaveToHistory(HistoryKind::Source);
}

Point ClampModificationPreviewOrigin(Point wanted, PictureSize source) {
  const int lastX = std::max(0, source.width - kModificationPreviewSide);
  const int lastY = std::max(0, source.height - kModificationPreviewSide);
  return {std::clamp(wanted.x, 0, lastX), std::clamp(wanted.y, 0, lastY)};
}

Bitmap24 ModificationPreviewPart(const Bitmap24& source, Point origin) {
  const Point at = ClampModificationPreviewOrigin(origin, {source.Width(), source.Height()});
  const int width = std::min(kModificationPreviewSide, source.Width());
  const int height = std::min(kModificationPreviewSide, source.Height());
  Bitmap24 part(width, height);
  for (int y = 0; y < height; ++y) {
    std::memcpy(part.Row(y), source.Row(at.y + y) + 3 * static_cast<std::size_t>(at.x),
                3 * static_cast<std::size_t>(width));
  }
  return part;
}

}  // namespace atelion
