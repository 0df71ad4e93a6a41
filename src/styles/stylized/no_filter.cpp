#include "styles/stylized/no_filter.h"

#include <utility>

namespace atelion {

ToneSettings ToneSettingsFrom(const ParameterSet& p) {
  return {.luminosity = p[kSlotTrackBar1],
          .contrast = p[kSlotTrackBar2],
          .saturation = p[kSlotTrackBar5],
          .blurSharpen = p[kSlotTrackBar3],
          .vivify = p[kSlotTrackBar4]};
}

StyleOutput ProcessNoFilter(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings, const SurfaceSettings&,
                            RunContext& context) {
  context.ReportProgress(0, 100, 1, 1);
  StyleOutput output{.sliders = settings.sliders};
  if (settings.scriptRunning) {
    output.picture = source;
  } else {
    // The adjusted picture is handed over, not copied: the pipeline replaces the shown picture
    // with the output anyway.
    ToneAdjust(source, shown, ToneSettingsFrom(settings.sliders), settings.sourceMean, context);
    output.picture = std::move(shown);
  }
  return output;
}

StyleOutput PreviewNoFilter(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                            RunContext& context) {
  StyleOutput output{.picture = crop, .surfaceApplied = true, .untextured = crop, .sliders = settings.sliders};
  ApplySurface(output.picture, surface);
  ToneAdjust(output.picture, output.picture, ToneSettingsFrom(settings.sliders), settings.sourceMean, context);
  return output;
}

}  // namespace atelion
