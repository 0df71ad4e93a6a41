// The live preview's computation without its window: every previewable style on a crop of the
// 2 MP photograph at 1:1 (a 220-pixel crop) and at the widest zoom (880 pixels), including soften
// and texture and the box picture, with the factory defaults.
#include <benchmark/benchmark.h>

#include "bench_photos.h"
#include "effects/preview.h"

namespace atelion {
namespace {

void BM_Preview(benchmark::State& state, int effectId) {
  const Bitmap24& photo = bench::Photo(2);
  const int zoom = static_cast<int>(state.range(0));
  const int side = PreviewCropSize(zoom);
  PreviewInput input;
  input.crop = PreviewCrop(photo, {photo.Width() / 2 - side / 2, photo.Height() / 2 - side / 2}, side);
  input.style.effectId = effectId;
  input.style.sliders = FactoryDefaults(effectId);
  input.style.sourceMean = ComputeMeanColour(photo);
  input.style.sourceWidth = photo.Width();
  input.style.sourceHeight = photo.Height();
  for (auto _ : state) {
    RunContext context;
    const PreviewOutput output = RunStylePreview(input, context);
    const Bitmap24 box = ShowInBox(output.picture, zoom);
    benchmark::DoNotOptimize(box.Row(0));
  }
}

// Registered at start-up for the styles this build can preview; the name carries the style number.
const bool registered = [] {
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    if (!StyleAvailable(effectId) || !StyleHasPreview(effectId)) continue;
    benchmark::RegisterBenchmark(("BM_Preview/" + std::to_string(effectId)).c_str(), BM_Preview, effectId)
        ->ArgName("zoom")
        ->Arg(kMaxPreviewZoom)
        ->Arg(kMinPreviewZoom)
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace atelion
