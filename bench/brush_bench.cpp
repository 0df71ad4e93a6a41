// One dab of the manual brush (a 100-pixel brush clicked once in the middle of the drawing) for
// every style at 12 MP, as the window and its worker do it from the button's release: the stamp,
// the marked rectangle, the parts cut from the pictures, the style's brush branch, the blend and
// drawing the part back. The press's copies of the drawing are not timed.
#include <benchmark/benchmark.h>

#include "bench_photos.h"
#include "core/canvas.h"
#include "styles/style_list.h"
#include "tools/manual_brush.h"

namespace atelion {
namespace {

constexpr int kDabSize = 100;

void BM_BrushDab(benchmark::State& state, int effectId) {
  const Bitmap24& photo = bench::Photo(static_cast<int>(state.range(0)));
  const StyleSettings settings{.effectId = effectId, .sliders = FactoryDefaults(effectId),
                               .sourceMean = ComputeMeanColour(photo), .sourceWidth = photo.Width(),
                               .sourceHeight = photo.Height()};
  const int x = photo.Width() / 2, y = photo.Height() / 2;
  Bitmap24 shown;
  for (auto _ : state) {
    state.PauseTiming();
    ManualBrushStroke stroke;
    stroke.Begin(photo, BrushShape(), {.size = kDabSize});
    shown = photo;
    RunContext context;
    context.Rng.RandomSeed = 7;
    state.ResumeTiming();
    stroke.Stamp(shown, x, y);
    Bitmap24 before;
    std::optional<StrokeParts> parts = stroke.Finish(photo, {0, 0}, effectId, before);
    ComputeStroke(*parts, effectId, settings, {}, context);
    DrawPicture(shown, parts->rect.left, parts->rect.top, parts->R);
    benchmark::DoNotOptimize(shown.Row(y));
  }
}

const bool registered = [] {
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    if (FindStyle(effectId) == nullptr || FindStyle(effectId)->manualBrush == nullptr) continue;
    benchmark::RegisterBenchmark(("BM_BrushDab/" + std::to_string(effectId)).c_str(), BM_BrushDab, effectId)
        ->ArgName("MP")
        ->Arg(12)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace atelion
