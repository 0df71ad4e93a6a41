#include "styles/style.h"

#include <utility>

namespace atelion {

void ApplySurface(Bitmap24& picture, const SurfaceSettings& surface) {
  if (surface.softenEdges) Soften(picture);
  if (surface.texture.enabled) ApplyTexture(picture, surface.textureTile, surface.texture.strength);
}

void ReleaseUnwatchedShown(Bitmap24& shown, const StyleSettings& settings) {
  if (!settings.shownWatched) shown = Bitmap24();
}

Bitmap24 OwnSource(Bitmap24& source, const StyleSettings& settings) {
  if (settings.sourceKept) return source;
  return std::exchange(source, Bitmap24());
}

StyleOutput RunCommonFrame(const Bitmap24& source, const StyleSettings& settings, RunContext& context,
                           StyleAlgorithm algorithm, Colour outputFill) {
  StyleOutput output{.picture = Bitmap24(source.Width(), source.Height(), outputFill), .sliders = settings.sliders};
  // The algorithm reads the source through a const reference and draws into a picture of its
  // own, so it needs no copy of the source: two full pictures, not three.
  if (context.Progress != nullptr) context.Progress->WatchOutput(&output.picture);
  algorithm(source, output.picture, settings, context);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  return output;
}

}  // namespace atelion
