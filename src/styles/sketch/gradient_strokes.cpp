// Pencil sketches 2 and 3: the brightness gradient of every inner pixel (a 3 × 3 Sobel pair on
// the luma) chooses between a stroke along the contour and a short shading stroke; both are laid
// symmetrically about the pixel and darken the paper by a level that falls by one per pixel
// towards the stroke's ends.
#include "styles/sketch/gradient_strokes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/filters.h"
#include "styles/painting/edge_strokes.h"

namespace atelion {

namespace {

// Rows between two looks at the shell (full-size runs only).
constexpr int kYieldRows = 20;
// Shading directions are whole radians: a random 0..2 plus the brightness div 8 (at most 31).
constexpr int kShadingDirections = 34;
// The saturation the coloured sketch adds after blending the colours in.
constexpr int kColourSaturation = 25;

enum class Variant { Grey, Colour };

// Luma Y = (30 red + 59 green + 11 blue) div 100 of every pixel, row after row.
std::vector<std::uint8_t> LumaOf(const Bitmap24& source) {
  const int width = source.Width();
  std::vector<std::uint8_t> luma(static_cast<std::size_t>(width) * source.Height());
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* row = source.Row(y);
    std::uint8_t* out = luma.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      out[x] = static_cast<std::uint8_t>((30 * row[3 * x + 2] + 59 * row[3 * x + 1] + 11 * row[3 * x]) / 100);
    }
  }
  return luma;
}

// Lays the strokes on a picture already white.
class StrokeLayer {
 public:
  StrokeLayer(Bitmap24& paper) : paper_(paper), lastX_(paper.Width() - 2), lastY_(paper.Height() - 2) {}

  // Darkens (x − dx, y − dy) and then (x + dx, y + dy) by `h` for k = 0, 1, … while the level
  // h = first − k stays positive and k ≤ last, with (dx, dy) = floor(k·(cos, sin)).
  void Stroke(int x, int y, int first, int last, double cosine, double sine) {
    for (int k = 0; k <= last; ++k) {
      const int h = first - k;
      if (h <= 0) return;
      const int dx = static_cast<int>(std::floor(k * cosine));
      const int dy = static_cast<int>(std::floor(k * sine));
      Darken(x - dx, y - dy, h);
      Darken(x + dx, y + dy, h);
    }
  }

 private:
  // The last column and the last row are never touched.
  void Darken(int px, int py, int h) {
    if (px < 0 || py < 0 || px > lastX_ || py > lastY_) return;
    std::uint8_t* pixel = paper_.Row(py) + 3 * px;
    for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>(std::max(pixel[c] - h, 0));
  }

  Bitmap24& paper_;
  int lastX_;
  int lastY_;
};

// The photograph's colours blended into the grey strokes: screen where `K` is 0, multiply where
// it is 255; inner pixels only.
void BlendColours(const Bitmap24& source, Bitmap24& destination, int K) {
  for (int y = 1; y <= source.Height() - 2; ++y) {
    const std::uint8_t* in = source.Row(y);
    std::uint8_t* out = destination.Row(y);
    for (int x = 1; x <= source.Width() - 2; ++x) {
      int a[3], m[3];
      for (int c = 0; c < 3; ++c) {
        const int s = in[3 * x + c], d = out[3 * x + c];
        a[c] = ((255 - s) * (255 - d)) / 256;
        m[c] = (d * s) / 256;
      }
      for (int c = 0; c < 3; ++c) {
        out[3 * x + c] = static_cast<std::uint8_t>(std::clamp(((255 - a[c]) * (255 - K) + m[c] * K) / 256, 0, 255));
      }
    }
  }
}

// The strokes never reach the last row and column, and the colour pass leaves the outermost rows
// and columns grey: a white or grey frame line the photograph does not have. Those rows and
// columns take the drawing of their inner neighbours instead (the grey sketch keeps its first
// row and column, which strokes do reach).
void RepeatInnerEdges(Bitmap24& drawing, bool colour) {
  const int width = drawing.Width(), height = drawing.Height();
  if (width < 3 || height < 3) return;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = drawing.Row(y);
    std::memcpy(row + 3 * (width - 1), row + 3 * (width - 2), 3);
    if (colour) std::memcpy(row, row + 3, 3);
  }
  std::memcpy(drawing.Row(height - 1), drawing.Row(height - 2), drawing.RowBytes());
  if (colour) std::memcpy(drawing.Row(0), drawing.Row(1), drawing.RowBytes());
}

void GradientStrokes(Variant variant, const Bitmap24& source, Bitmap24& destination, const GradientStrokeParameters& p,
                     const SurfaceSettings& surface, const GradientStrokeRun& run, RunContext& context) {
  if (&source == &destination) {
    const Bitmap24 copy = source;
    GradientStrokes(variant, copy, destination, p, surface, run, context);
    return;
  }
  const int width = source.Width();
  const int height = source.Height();
  destination = Bitmap24(width, height, 0xFFFFFF);
  const std::vector<std::uint8_t> luma = LumaOf(source);
  const DirectionTable& directions = DirectionTable::Instance();
  std::array<double, kShadingDirections> shadingCos{}, shadingSin{};
  for (int theta = 0; theta < kShadingDirections; ++theta) {
    shadingCos[theta] = std::cos(static_cast<double>(theta));
    shadingSin[theta] = std::sin(static_cast<double>(theta));
  }
  const bool colour = variant == Variant::Colour;
  const int edgeOffset = ((colour ? 130 : 150) - p.edgeIntensity) / 4;
  const int shadingBase = 382 - p.darkenLighten;
  StrokeLayer layer(destination);
  RandomGenerator& rng = context.Rng;

  for (int y = 1; y <= height - 2; ++y) {
    const std::uint8_t* above = luma.data() + static_cast<std::size_t>(y - 1) * width;
    const std::uint8_t* here = above + width;
    const std::uint8_t* below = here + width;
    const std::uint8_t* paperRow = destination.Row(y);
    for (int x = 1; x <= width - 2; ++x) {
      if (colour) {
        const std::uint8_t* pixel = paperRow + 3 * x;
        if (pixel[0] + pixel[1] + pixel[2] == 0) continue;
      }
      const int TL = above[x - 1], TC = above[x], TR = above[x + 1];
      const int ML = here[x - 1], MC = here[x], MR = here[x + 1];
      const int BL = below[x - 1], BC = below[x], BR = below[x + 1];
      const int gx = std::clamp(((TL + 2 * ML + BL) - (TR + 2 * MR + BR)) / 4, -255, 255);
      const int gy = std::clamp(((TL + 2 * TC + TR) - (BL + 2 * BC + BR)) / 4, -255, 255);
      const int A = (std::abs(gx) + std::abs(gy)) / 2;
      if (A >= p.edgeThreshold && std::abs(std::abs(gx) - std::abs(gy)) >= 2) {
        const double theta = directions.Angle(gx, gy);
        const int n = ((A / 4) * p.strokeLength) / 50;
        const int base = colour ? ((A / 2) * p.strokeLength) / 50 : (A * p.strokeLength) / 100;
        layer.Stroke(x, y, base - edgeOffset, n, std::cos(theta), std::sin(theta));
      } else {
        const int s = std::max(shadingBase - 2 * MC, 0);
        const int theta = rng.Random(3) + MC / 8;
        layer.Stroke(x, y, s / 12, s / 32, shadingCos[theta], shadingSin[theta]);
      }
    }
    if (!colour || !run.preview) context.ReportProgress((100 * y) / height, 99, 1, 1);
    if (y % kYieldRows == 0 && !run.preview && context.CheckAbort()) return;
  }

  if (colour) {
    BlendColours(source, destination, p.colourIntensity);
    AdjustSaturation(destination, kColourSaturation, context);
  }
  RepeatInnerEdges(destination, colour);
  if (surface.softenEdges) Soften(destination);
  if (surface.texture.enabled) {
    ApplyTexture(destination, surface.textureTile, surface.texture.strength, TileRepeat::WithoutLastRowAndColumn);
  }
}

StyleOutput FullSize(Variant variant, const Bitmap24& source, const StyleSettings& settings,
                     const SurfaceSettings& surface, RunContext& context) {
  const int effectId = variant == Variant::Colour ? kPencilSketch3EffectId : kPencilSketch2EffectId;
  StyleOutput output{.picture = Bitmap24(source.Width(), source.Height(), 0xFFFFFF), .surfaceApplied = true,
                     .sliders = settings.sliders};
  if (context.Progress != nullptr) context.Progress->WatchOutput(&output.picture);
  GradientStrokes(variant, source, output.picture, GradientStrokeParametersFrom(effectId, settings.sliders), surface,
                  {.preview = false}, context);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  return output;
}

StyleOutput Preview(Variant variant, const Bitmap24& crop, const StyleSettings& settings,
                    const SurfaceSettings& surface, RunContext& context) {
  const int effectId = variant == Variant::Colour ? kPencilSketch3EffectId : kPencilSketch2EffectId;
  StyleOutput output{.sliders = settings.sliders};
  GradientStrokes(variant, crop, output.picture, GradientStrokeParametersFrom(effectId, settings.sliders), surface,
                  {.preview = true}, context);
  return output;
}

}  // namespace

GradientStrokeParameters GradientStrokeParametersFrom(int effectId, const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(effectId, slot, sliders[slot]); };
  return {.edgeThreshold = slider(kSlotTrackBar1),
          .edgeIntensity = slider(kSlotTrackBar2),
          .strokeLength = slider(kSlotTrackBar5),
          .darkenLighten = slider(kSlotTrackBar3),
          .colourIntensity = slider(kSlotTrackBar4)};
}

void SobelFilter(const Bitmap24& source, Bitmap24& destination, const GradientStrokeParameters& parameters,
                 const SurfaceSettings& surface, const GradientStrokeRun& run, RunContext& context) {
  GradientStrokes(Variant::Grey, source, destination, parameters, surface, run, context);
}

void ColourSobel(const Bitmap24& source, Bitmap24& destination, const GradientStrokeParameters& parameters,
                 const SurfaceSettings& surface, const GradientStrokeRun& run, RunContext& context) {
  GradientStrokes(Variant::Colour, source, destination, parameters, surface, run, context);
}

StyleOutput ProcessSobelFilter(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                               const SurfaceSettings& surface, RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  return FullSize(Variant::Grey, source, settings, surface, context);
}

StyleOutput ProcessColourSobel(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                               const SurfaceSettings& surface, RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  return FullSize(Variant::Colour, source, settings, surface, context);
}

StyleOutput PreviewSobelFilter(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                               RunContext& context) {
  return Preview(Variant::Grey, crop, settings, surface, context);
}

StyleOutput PreviewColourSobel(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                               RunContext& context) {
  return Preview(Variant::Colour, crop, settings, surface, context);
}

}  // namespace atelion
