// Abstract: layer after layer, random squares and discs filled with the photograph's colour at
// their centres are painted onto a white canvas, the shapes shrinking from layer to layer; the
// layers are averaged pixel by pixel, so detail builds up over large blurred blobs. The average is
// then lightened or darkened, given local contrast and saturated.
#include "styles/stylized/abstract.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "styles/catalogue.h"

namespace atelion {

namespace {

using Parameters = AbstractParameters;

constexpr int kNeutralDarkenLighten = 127;
// A layer holds one shape per 40 × 40 pixels, at most this many plus one.
constexpr int kShapeArea = 40;
constexpr int kMostShapes = 100;
// Every fourth shape is a square, the others discs.
constexpr int kSquareEvery = 4;
constexpr int kShapesPerPump = 50;
// The average is written in strips of this many columns, each followed by a progress report.
constexpr int kProgressColumns = 32;
// The width over which "Maximum radius" + 1 is the base size of the shapes.
constexpr double kBaseSizeWidth = 314.0;

// The red, green and blue sums of all layers, one 16-bit sum per byte of a picture: at most
// 257 layers of at most 255 fit.
class LayerSums {
 public:
  LayerSums(int width, int height) : width_(width), sums_(3 * static_cast<std::size_t>(width) * height, 0) {}
  void Add(const Bitmap24& layer) {
    for (int y = 0; y < layer.Height(); ++y) {
      const std::uint8_t* row = layer.Row(y);
      std::uint16_t* sums = Row(y);
      for (std::size_t t = 0; t < layer.RowBytes(); ++t) sums[t] = static_cast<std::uint16_t>(sums[t] + row[t]);
    }
  }
  std::uint16_t* Row(int y) { return sums_.data() + 3 * static_cast<std::size_t>(width_) * y; }

 private:
  int width_;
  std::vector<std::uint16_t> sums_;
};

}  // namespace

AbstractParameters AbstractParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kAbstractEffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

void AbstractShapes(const Bitmap24& source, Bitmap24& destination, int maximumRadius, int lastLayer,
                    const StyleSettings& settings, RunContext& context) {
  const Parameters p = AbstractParametersFrom(settings.sliders);
  const int width = source.Width();
  const int height = source.Height();
  context.Rng.RandomSeed = static_cast<std::uint32_t>(maximumRadius + lastLayer);
  // The base size follows the whole source, so a preview crop shows shapes of the full-size run's size.
  const int sourceWidth = settings.sourceWidth > 0 ? settings.sourceWidth : width;
  const int baseSize = static_cast<int>(std::floor((maximumRadius + 1) * static_cast<double>(sourceWidth) /
                                                   kBaseSizeWidth));
  context.ReportProgress(0, 100, 1, 3);
  if (source.Empty()) {
    destination = Bitmap24(width, height, 0xFFFFFF);
    context.ReportProgress(101, 100, 3, 3);
    return;
  }

  const int shapes = std::min((width / kShapeArea) * (height / kShapeArea), kMostShapes);
  // The layers' sums are needed only until they are averaged into the destination, which is made
  // only then (every pixel of it is written there): the sums, one layer and the destination are
  // never held at once, nor the sums and the sharpening's copy of the destination.
  {
    LayerSums sums(width, height);
    Bitmap24 layer(width, height);
    int layersAdded = 0;
    for (int j = 0; j <= lastLayer; ++j) {
      layer.Fill(0xFFFFFF);  // every layer starts as white as the destination still is
      for (int i = 0; i <= shapes; ++i) {
        // Sizes shrink with the layers; drawn in this order: size, x, y.
        const int size = context.Random(4 * (lastLayer - j) + baseSize);
        const int x = context.Random(width);
        const int y = context.Random(height);
        const std::uint8_t* pixel = source.Row(y) + 3 * x;
        const Colour colour = MakeColour(pixel[2], pixel[1], pixel[0]);
        const int half = size / 2;
        const Rect box{x - half, y - half, x + half, y + half};
        if (i % kSquareEvery == 0) {
          FillRect(layer, box, colour);
        } else {
          DrawEllipse(layer, box, Pen{colour, 1}, colour);
        }
        if (i % kShapesPerPump == 0) context.CheckAbort();  // a pump; the flag is looked at per layer
      }
      sums.Add(layer);
      ++layersAdded;
      context.CheckAbort();
      context.ReportProgress(j, lastLayer, 1, 3);
      if (context.AbortRequested) break;
    }
    layer = Bitmap24();
    destination = Bitmap24(width, height, 0xFFFFFF);

    // The average of the layers, shifted; a table, as every sum is divided by the same count.
    std::vector<std::uint8_t> averaged(static_cast<std::size_t>(255) * layersAdded + 1);
    for (std::size_t sum = 0; sum < averaged.size(); ++sum) {
      averaged[sum] = static_cast<std::uint8_t>(
          std::clamp(static_cast<int>(sum) / layersAdded + p.darkenLighten - kNeutralDarkenLighten, 0, 255));
    }
    for (int first = 0; first < width; first += kProgressColumns) {
      const int end = std::min(first + kProgressColumns, width);
      for (int y = 0; y < height; ++y) {
        const std::uint16_t* sum = sums.Row(y);
        std::uint8_t* out = destination.Row(y);
        for (int t = 3 * first; t < 3 * end; ++t) out[t] = averaged[sum[t]];
      }
      context.ReportProgress(end - 1, width - 1, 2, 3);
    }
  }

  context.ReportProgress(33, 100, 3, 3);
  LocalContrastOverRepeatedEdges(destination, p.contrast / 2, settings.sourceMean, &context);
  context.ReportProgress(67, 100, 3, 3);
  // A stop that ended the layers must not end the saturation after its first row as well: the
  // layers finished are finished completely. (A stop during the saturation itself ends it.)
  RunContext unstopped;
  AdjustSaturation(destination, 2 * p.colourIntensity - 100, context.AbortRequested ? unstopped : context);
  context.ReportProgress(101, 100, 3, 3);
}

StyleOutput PreviewAbstract(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                            RunContext& context) {
  const Parameters p = AbstractParametersFrom(settings.sliders);
  StyleOutput output{.sliders = settings.sliders};
  AbstractShapes(crop, output.picture, p.maximumRadius, p.iterations, settings, context);
  return output;
}

StyleOutput ProcessAbstract(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings, const SurfaceSettings&,
                            RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  const Parameters p = AbstractParametersFrom(settings.sliders);
  StyleOutput output{.sliders = settings.sliders};
  AbstractShapes(source, output.picture, p.maximumRadius, p.iterations + 1, settings, context);
  return output;
}

}  // namespace atelion
