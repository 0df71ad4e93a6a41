#include "styles/style.h"

namespace atelion {

void ApplySurface(Bitmap24& picture, const SurfaceSettings& surface) {
  if (surface.softenEdges) Soften(picture);
  if (surface.texture.enabled) ApplyTexture(picture, surface.textureTile, surface.texture.strength);
}

StyleOutput RunCommonFrame(const Bitmap24& source, const StyleSettings& settings, RunContext& context,
                           StyleAlgorithm algorithm, Colour outputFill) {
  StyleOutput output{.picture = Bitmap24(source.Width(), source.Height(), outputFill), .sliders = settings.sliders};
  const Bitmap24 input = source;
  if (context.Progress != nullptr) context.Progress->WatchOutput(&output.picture);
  algorithm(input, output.picture, settings, context);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  return output;
}

}  // namespace atelion
