#include "styles/stylized/stylized_brushes.h"

#include "core/filters.h"
#include "styles/catalogue.h"
#include "styles/sketch/sketch_brushes.h"
#include "styles/stylized/abstract.h"
#include "styles/stylized/coloured_tiles.h"
#include "styles/stylized/emergence.h"
#include "styles/stylized/emergence_2.h"
#include "styles/stylized/merge_images.h"
#include "styles/stylized/no_filter.h"
#include "styles/stylized/old_paper_picture.h"
#include "styles/stylized/region_growing.h"
#include "styles/stylized/vintage_photo.h"
#include "styles/stylized/vivify.h"

namespace atelion {
namespace {

void RegionBrush(int effectId, RegionKind kind, Bitmap24& S, Bitmap24& T, const StyleSettings& settings,
                 const SurfaceSettings& surface, RunContext& context) {
  RegionGrowingPainting(S, T, kind, RegionGrowingParametersFrom(effectId, settings.sliders), PaperTableFor(kind),
                        settings, context);
  FinishBrushedPart(S, T, surface);
}

}  // namespace

void Painting5Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  RegionBrush(kPainting5EffectId, RegionKind::Watercolor, S, T, settings, surface, context);
}

void Painting6Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  RegionBrush(kPainting6EffectId, RegionKind::Impasto, S, T, settings, surface, context);
}

void PixelationBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                     RunContext& context) {
  ColouredSquares(S, T, settings, context);
  FinishBrushedPart(S, T, surface);
}

void ColouredDotsBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                       RunContext& context) {
  ColouredCircles(S, T, settings, context);
  FinishBrushedPart(S, T, surface);
}

void VivifyBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                 RunContext& context) {
  Vivify(S, T, settings, context);
  FinishBrushedPart(S, T, surface);
}

void MergeBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                RunContext& context) {
  MergeImages(S, T, settings, context);
  FinishBrushedPart(S, T, surface);
}

void ToneBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
               RunContext& context) {
  ToneAdjust(S, T, ToneSettingsFrom(settings.sliders), settings.sourceMean, context);
  ApplySurface(T, surface);
}

void VintagePhotoBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                       RunContext& context) {
  VintagePhoto(S, T, OldPaperPicture(), settings, context);
  FinishBrushedPart(S, T, surface);
}

void EmergenceBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                    RunContext& context) {
  const Bitmap24 X = S;
  Bitmap24 Y = S;
  RandomPolygons(X, Y, settings, context);
  T = std::move(Y);
  ApplySurface(T, surface);
}

void Emergence2Brush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                     RunContext& context) {
  const Bitmap24 X = S;
  Bitmap24 Y = S;
  ShadedTriangles(X, Y, settings, context);
  T = std::move(Y);
  ApplySurface(T, surface);
}

void AbstractBrush(Bitmap24& S, Bitmap24& T, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context) {
  const AbstractParameters p = AbstractParametersFrom(settings.sliders);
  AbstractShapes(S, T, p.maximumRadius, p.iterations, settings, context);
  FinishBrushedPart(S, T, surface);
}

}  // namespace atelion
