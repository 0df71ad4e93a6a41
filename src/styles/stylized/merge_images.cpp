// Merge source and result images: a linear mix, then a mix with the multiplied pictures.
#include "styles/stylized/merge_images.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/canvas.h"

namespace atelion {

namespace {

// The merged value for every pair of source and result values, so the pixels need one look-up
// per channel.
std::vector<std::uint8_t> MergeTable(const MergeParameters& p) {
  std::vector<std::uint8_t> table(256 * 256);
  const int divisor = 455 - 4 * p.darkenLighten;
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const int linear = a * (255 - p.blending) / 255 + p.blending * b / 255;
      const int multiplied = std::min(a * b / divisor, 255);
      table[static_cast<std::size_t>(a) * 256 + b] =
          static_cast<std::uint8_t>(linear * (255 - p.multiplication) / 255 + multiplied * p.multiplication / 255);
    }
  }
  return table;
}

}  // namespace

MergeParameters MergeParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kMergeEffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5)};
}

void MergeImages(const Bitmap24& first, Bitmap24& second, const StyleSettings& settings, RunContext& context) {
  if (first.Width() != second.Width() || first.Height() != second.Height()) return;
  context.ReportProgress(0, 100, 1, 1);
  const std::vector<std::uint8_t> table = MergeTable(MergeParametersFrom(settings.sliders));
  for (int y = 0; y < first.Height(); ++y) {
    const std::uint8_t* a = first.Row(y);
    std::uint8_t* b = second.Row(y);
    for (std::size_t i = 0; i < first.RowBytes(); ++i) b[i] = table[static_cast<std::size_t>(a[i]) * 256 + b[i]];
  }
  context.ReportProgress(100, 100, 1, 1);
}

Bitmap24 CentredResultPart(const Bitmap24& result, int sourceWidth, int sourceHeight) {
  if (result.Width() < sourceWidth || result.Height() < sourceHeight) return result;
  if (result.Width() == sourceWidth && result.Height() == sourceHeight) return result;
  Bitmap24 part(sourceWidth, sourceHeight);
  const int left = (result.Width() - sourceWidth) / 2;
  const int top = (result.Height() - sourceHeight) / 2;
  CopyRect(part, 0, 0, result, {left, top, left + sourceWidth, top + sourceHeight});
  return part;
}

StyleOutput PreviewMergeImages(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                               RunContext& context) {
  StyleOutput output{.picture = settings.result != nullptr ? *settings.result : crop, .sliders = settings.sliders};
  MergeImages(crop, output.picture, settings, context);
  return output;
}

StyleOutput ProcessAlphaBlend(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings, const SurfaceSettings&,
                              RunContext& context) {
  StyleOutput output{.picture = CentredResultPart(shown, source.Width(), source.Height()), .sliders = settings.sliders};
  MergeImages(source, output.picture, settings, context);
  return output;
}

}  // namespace atelion
