#include "effects/style_samples.h"

#include <algorithm>
#include <cstdio>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "styles/style_list.h"

namespace atelion {
namespace {

// Where the square starts across the scaled photograph, in percent of its width: far enough left
// to keep the tree, so the square holds a tree, a house, water and the jetty.
constexpr int kSceneLeftPercent = 7;

}  // namespace

int StyleSampleIndex(int effectId) {
  if (!IsEffectId(effectId)) return -1;
  const auto position = ListPositionForCatalogueIndex(CatalogueIndexForEffectId(effectId));
  if (!position) return -1;
  int offset = 0;
  for (const GroupDescription& group : Groups()) {
    if (group.group == position->group) return offset + position->item;
    offset += GroupItemCount(group.group);
  }
  return -1;
}

int EffectForStyleSample(int index) {
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    if (StyleSampleIndex(effectId) == index) return effectId;
  }
  return -1;
}

std::string StyleSamplePath(int effectId) {
  char name[48];
  std::snprintf(name, sizeof name, "samples/style_sample_%02d.png", std::max(StyleSampleIndex(effectId), 0));
  return name;
}

Bitmap24 StyleSampleScene(const Bitmap24& photo) {
  Bitmap24 scene(kStyleSampleSide, kStyleSampleSide, 0xFFFFFF);
  if (photo.Width() <= 0 || photo.Height() <= 0) return scene;
  const int width = std::max(1, static_cast<int>((static_cast<std::int64_t>(photo.Width()) * kStyleSampleSide +
                                                  photo.Height() / 2) / photo.Height()));
  Bitmap24 scaled(width, kStyleSampleSide);
  ResampleSmooth(photo, scaled);
  if (width <= kStyleSampleSide) {
    CopyRect(scene, (kStyleSampleSide - width) / 2, 0, scaled, Rect{0, 0, width, kStyleSampleSide});
    return scene;
  }
  const int left = std::clamp(width * kSceneLeftPercent / 100, 0, width - kStyleSampleSide);
  CopyRect(scene, 0, 0, scaled, Rect{left, 0, left + kStyleSampleSide, kStyleSampleSide});
  return scene;
}

std::optional<Bitmap24> RenderStyleSample(const Bitmap24& scene, const Bitmap24& drawing, int effectId) {
  if (!StyleAvailable(effectId)) return std::nullopt;
  RunPictures pictures;
  pictures.source = scene;
  pictures.result = effectId == kMergeEffectId && drawing.Width() == scene.Width() &&
                            drawing.Height() == scene.Height()
                        ? drawing
                        : scene;
  StyleSettings style;
  style.effectId = effectId;
  style.sliders = FactoryDefaults(effectId);
  style.sourceMean = ComputeMeanColour(scene);
  style.sourceWidth = scene.Width();
  style.sourceHeight = scene.Height();
  RunContext context;
  context.Rng.RandomSeed = kStyleSeed;
  if (RunEffect(pictures, style, FinishingSettings{}, context) != RunOutcome::Finished) return std::nullopt;
  if (pictures.result.Width() != kStyleSampleSide || pictures.result.Height() != kStyleSampleSide) {
    Bitmap24 fitted(kStyleSampleSide, kStyleSampleSide);
    ResampleSmooth(pictures.result, fitted);
    return fitted;
  }
  return std::move(pictures.result);
}

}  // namespace atelion
