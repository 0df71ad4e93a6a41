// Every available style at full size on the 2 MP and 12 MP photographs with its factory defaults,
// through the same pipeline the programs use, with the peak heap the run held.
#include <benchmark/benchmark.h>

#include "bench_photos.h"
#include "effects/run_pipeline.h"
#include "styles/style_list.h"
#include "memory_tracker.h"

namespace atelion {
namespace {

void BM_Style(benchmark::State& state, int effectId) {
  const Bitmap24& photo = bench::Photo(static_cast<int>(state.range(0)));
  const MeanColour mean = ComputeMeanColour(photo);
  FinishingSettings finishing;
  std::size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RunPictures pictures;
    pictures.source = photo;
    pictures.result = photo;  // the merge of source and result reads the current result
    StyleSettings settings;
    settings.effectId = effectId;
    settings.sliders = FactoryDefaults(effectId);
    settings.sourceMean = mean;
    RunContext context;
    bench::ResetPeakHeap();
    state.ResumeTiming();
    RunEffect(pictures, settings, finishing, context);
    benchmark::DoNotOptimize(pictures.result.Row(0));
    peak = std::max(peak, bench::PeakHeapBytesSinceReset());
  }
  state.counters["peak_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
}

// Registered at start-up for the styles this build has; the name carries the style number.
const bool registered = [] {
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    if (!StyleAvailable(effectId)) continue;
    benchmark::RegisterBenchmark(("BM_Style/" + std::to_string(effectId)).c_str(), BM_Style, effectId)
        ->ArgName("MP")
        ->Arg(2)
        ->Arg(12)
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace atelion
