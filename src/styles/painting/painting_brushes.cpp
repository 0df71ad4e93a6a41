#include "styles/painting/painting_brushes.h"

#include <span>

#include "core/filters.h"
#include "styles/painting/painting_1.h"
#include "styles/painting/painting_10.h"
#include "styles/painting/painting_11.h"
#include "styles/painting/painting_2.h"
#include "styles/painting/painting_3.h"
#include "styles/painting/painting_4.h"
#include "styles/painting/painting_7.h"
#include "styles/painting/painting_8.h"
#include "styles/painting/painting_9.h"
#include "styles/sketch/sketch_brushes.h"

namespace atelion {

void Painting1Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  WatercolourPainting(S, T, WatercolourParametersFrom(settings.sliders), settings, surface, context);
  ApplySurface(T, surface);
}

void Painting2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  FlowStrokePainting(S, T, FlowStrokeParametersFrom(settings.sliders), settings, context);
  ApplySurface(T, surface);
}

void Painting3Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  // One median pass over the blurred part, sharpened, then one merging pass (which lays soften
  // and texture itself).
  const Painting3Parameters p = Painting3ParametersFrom(settings.sliders);
  Bitmap24 X = S;
  BoxBlur3(X);
  MedianFilter(T, X, p.brushSize + 1, 1, 1, context);
  Sharpen3(X);
  BlockMerge(X, T, 1, 1, settings, surface, context);
}

void Painting4Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  // The search on the part itself (the model at full scale), painted on white.
  SearchedStrokesParameters parameters = SearchedStrokesParametersFrom(settings.sliders);
  if (parameters.maximumSize < parameters.minimumSize) parameters.minimumSize = parameters.maximumSize;
  T = Bitmap24(S.Width(), S.Height(), 0xFFFFFF);
  Bitmap24 model = S;
  Bitmap24 canvas(S.Width(), S.Height(), 0xFFFFFF);
  const std::span<const Bitmap32> brushes = settings.customStrokeBrushes != nullptr
                                                ? std::span<const Bitmap32>(*settings.customStrokeBrushes)
                                                : std::span<const Bitmap32>();
  StrokeSearchPainting(S, model, canvas, parameters,
                       {.preview = true, .eraseBackground = true, .ground = 0xFFFFFF, .startScale = 1,
                        .customBrushes = brushes},
                       T, context);
  FinishBrushedPart(S, T, surface);
}

void Painting7Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  RandomStrokePainting(S, T, RandomStrokesParametersFrom(settings.sliders),
                       {.openingPhase = true, .ground = settings.paperColour}, settings, surface, context);
  FinishBrushedPart(S, T, surface);
}

void Painting8Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  ExpressivePainting(S, T, settings, context);
  FinishBrushedPart(S, T, surface);
}

void Painting9Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  T = Bitmap24(S.Width(), S.Height(), 0xFFFFFF);
  BlobPainting(S, T, BlobPaintingParametersFrom(settings.sliders), settings, surface, context);
  FinishBrushedPart(S, T, surface);
}

void Painting10Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                     RunContext& context) {
  ShadedBrushPaintingPreview(S, T, ShadedBrushParametersFrom(settings.sliders), {.doubled = settings.doubled},
                             context);
  FinishBrushedPart(S, T, surface);
}

void Painting11Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                     RunContext& context) {
  T = Bitmap24(S.Width(), S.Height(), 0xFFFFFF);
  AlphaBrushPainting(S, T, AlphaBrushParametersFrom(settings.sliders), settings, surface, context);
  FinishBrushedPart(S, T, surface);
}

}  // namespace atelion
