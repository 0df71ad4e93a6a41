#include "styles/sketch/sketch_brushes.h"

#include <algorithm>
#include <cstdlib>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/paper_texture.h"
#include "styles/catalogue.h"
#include "styles/sketch/cartoon_1.h"
#include "styles/sketch/cartoon_2.h"
#include "styles/sketch/gradient_strokes.h"
#include "styles/sketch/ink_hatching_sheet.h"
#include "styles/sketch/linear_halftoning.h"
#include "styles/sketch/oil_pastel.h"
#include "styles/sketch/pastel_scribble.h"
#include "styles/sketch/pen_and_ink_sketch_1.h"
#include "styles/sketch/pen_and_ink_sketch_2.h"
#include "styles/sketch/pencil_sketch_1.h"
#include "styles/sketch/pencil_sketch_4.h"
#include "styles/sketch/pencil_sketch_5.h"
#include "styles/sketch/pencil_sketch_6.h"

namespace atelion {

void FinishBrushedPart(Bitmap24& S, Bitmap24& T, const SurfaceSettings& surface) {
  S = T;
  ApplySurface(T, surface);
}

SurfaceSettings WithoutSurface(const SurfaceSettings& surface) {
  SurfaceSettings bare;
  bare.texture = surface.texture;
  bare.texture.enabled = false;
  return bare;
}

namespace {

constexpr int kBrushSeed = 1969;

}  // namespace

void PenandInkBrush(Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                    const SurfaceSettings& surface, RunContext& context) {
  const PenandInkParameters p = PenandInkParametersFrom(settings.sliders);
  const int t = p.edgeThreshold, e = p.edgeIntensity, Dl = p.darkenLighten;
  const int width = source.Width(), height = source.Height();
  context.Rng.RandomSeed = kBrushSeed;
  destination = Bitmap24(width, height, 0xFFFFFF);
  if (width == 0 || height == 0) return;
  const Bitmap24& sheet = InkHatchSheet();

  BoxBlur3(source);
  AdjustBrightness(source, 10);
  AdjustSaturation(source, 25, context);

  for (int y = 1; y < height; ++y) {
    context.ReportProgress(y - 1, std::max(height - 2, 1), 1, 1);
    if (context.CheckAbort()) return;
    const std::uint8_t* here = source.Row(y);
    const std::uint8_t* above = source.Row(y - 1);
    std::uint8_t* out = destination.Row(y);
    const int patternY = y % kInkHatchCellHeight;
    for (int x = 1; x < width; ++x) {
      const std::uint8_t* pixel = here + 3 * x;
      const int L = std::clamp((pixel[0] + pixel[1] + pixel[2]) / 3 + Dl - 127, 0, 255) / 25;
      int dv = 0, dh = 0;
      for (int c = 0; c < 3; ++c) {
        dv += std::abs(above[3 * x + c] - pixel[c]);
        dh += std::abs(pixel[c - 3] - pixel[c]);
      }
      if (dv <= t && dh <= t) {
        if (L <= 8) {
          const int sheetX = kInkHatchCellWidth * InkHatchCellColumn(L) + x % kInkHatchCellWidth;
          const int sheetY = kInkHatchCellHeight * InkHatchCellRow(L) + patternY;
          const std::uint8_t* hatch = sheet.Row(sheetY) + 3 * sheetX;
          std::copy(hatch, hatch + 3, out + 3 * x);
        }
      } else {
        const auto v = static_cast<std::uint8_t>(std::clamp(L - (dv + dh) - e + 255, 0, 255));
        out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = v;
      }
    }
  }
  if (surface.softenEdges) Soften(destination);
  if (surface.texture.enabled) ApplyTexture(destination, surface.textureTile, surface.texture.strength, TileRepeat::WholeTile);
}

void PencilSketch1Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context) {
  // Turned by 30 degrees, softened, sketched, turned back and drawn centred onto the part's size:
  // the same chain as the live preview's.
  T = PreviewPencilSketch(S, settings, surface, context).picture;
}

void PencilSketch2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context) {
  SobelFilter(S, T, GradientStrokeParametersFrom(kPencilSketch2EffectId, settings.sliders), surface, {}, context);
}

void PencilSketch3Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context) {
  ColourSobel(S, T, GradientStrokeParametersFrom(kPencilSketch3EffectId, settings.sliders), surface, {}, context);
}

void OilPastelBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  PencilStrokes(S, T, PencilStrokesParametersFrom(settings.sliders), PastelScribble(), settings, surface, context);
  FinishBrushedPart(S, T, surface);
}

void Cartoon1Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context) {
  Cartoonify(S, T, CartoonParametersFrom(settings.sliders), settings, context);
  FinishBrushedPart(S, T, surface);
}

void Cartoon2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context) {
  ColourInk(S, T, settings, WithoutSurface(surface), context);
  FinishBrushedPart(S, T, surface);
}

void PenAndInkSketch2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                           RunContext& context) {
  PenAndInkSketch2(S, settings, context);
  for (int pass = 0; pass < 3; ++pass) SimplifyInk(S, settings, context);
  T = S;
  ApplySurface(T, surface);
}

void PencilSketch4Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context) {
  (void)surface;
  const NewPencilSketchParameters p = NewPencilSketchParametersFrom(settings.sliders);
  T = Bitmap24(S.Width(), S.Height(), 0xFFFFFF);
  NewPencilSketch(S, T, p.edgeThreshold, p.iterations + 1, p.strokeLength, p.abstraction, p.colourIntensity, false,
                  context);
}

void PencilSketch5Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context) {
  (void)surface;
  PencilSketch5(S, T, PencilSketch5ParametersFrom(settings.sliders), settings, context);
}

void LinearHalftoningBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                           RunContext& context) {
  (void)surface;
  if (S.Empty()) return;
  T = HalftoneLineScreen(S, settings, context, false, 1);
}

void PencilSketch6Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                        RunContext& context) {
  T = Bitmap24(S.Width(), S.Height(), settings.paperColour);
  PencilSketch6(S, T, PencilSketch6ParametersFrom(settings.sliders), settings, false, context);
  FinishBrushedPart(S, T, surface);
}

}  // namespace atelion
