// The shared pixel filters on the 2 MP and 12 MP photographs. Each iteration works on a fresh copy
// of the photograph, made outside the timed part, so in-place filters do not compound.
#include <benchmark/benchmark.h>

#include "bench_photos.h"
#include "core/filters.h"

namespace atelion {
namespace {

// Runs `filter` on a work copy of the photograph of state.range(0) megapixels.
template <class Filter>
void RunOnPhoto(benchmark::State& state, Filter filter) {
  const Bitmap24& photo = bench::Photo(static_cast<int>(state.range(0)));
  Bitmap24 work;
  for (auto _ : state) {
    state.PauseTiming();
    work = photo;
    state.ResumeTiming();
    filter(work);
    benchmark::DoNotOptimize(work.Row(0));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(photo.Width()) * photo.Height());
}

void BM_Soften(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { Soften(b); }); }
void BM_BoxBlur3(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { BoxBlur3(b); }); }
void BM_Sharpen3(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { Sharpen3(b); }); }
void BM_PivotContrast(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { PivotContrast(b, 127, 40); }); }
void BM_AdjustBrightness(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { AdjustBrightness(b, 30); }); }
void BM_AdjustSaturation(benchmark::State& state) {
  RunContext context;
  RunOnPhoto(state, [&](Bitmap24& b) { AdjustSaturation(b, 40, context); });
}
void BM_LocalContrast(benchmark::State& state) {
  const MeanColour mean = ComputeMeanColour(bench::Photo(static_cast<int>(state.range(0))));
  RunOnPhoto(state, [&](Bitmap24& b) { LocalContrast(b, 60, mean); });
}
void BM_ColourVibrance(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { ColourVibrance(b, b, 55); }); }
void BM_ToneAdjust(benchmark::State& state) {
  RunContext context;
  const MeanColour mean = ComputeMeanColour(bench::Photo(static_cast<int>(state.range(0))));
  const ToneSettings settings{.luminosity = 140, .contrast = 170, .saturation = 60, .blurSharpen = 60, .vivify = 40};
  Bitmap24 target;
  RunOnPhoto(state, [&](Bitmap24& b) { ToneAdjust(b, target, settings, mean, context); });
}
void BM_AutoContrast(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { AutoContrast(b, 0.2f); }); }
void BM_LocalSharpen5(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { LocalSharpen5(b, 20); }); }
void BM_MedianSmooth3(benchmark::State& state) {
  RunContext context;
  RunOnPhoto(state, [&](Bitmap24& b) { benchmark::DoNotOptimize(MedianSmooth(b, 3, context)); });
}
void BM_MedianSmooth11(benchmark::State& state) {
  RunContext context;
  RunOnPhoto(state, [&](Bitmap24& b) { benchmark::DoNotOptimize(MedianSmooth(b, 11, context)); });
}
void BM_InvertColours(benchmark::State& state) { RunOnPhoto(state, [](Bitmap24& b) { InvertColours(b); }); }
void BM_ColouriseDrawing(benchmark::State& state) {
  const Bitmap24& photo = bench::Photo(static_cast<int>(state.range(0)));
  Bitmap24 drawing = photo;
  AdjustBrightness(drawing, 20);  // any grey-ish drawing of the same size will do
  RunOnPhoto(state, [&](Bitmap24& b) { ColouriseDrawing(drawing, b); });
}

#define ATELION_FILTER_BENCHMARK(name) BENCHMARK(name)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond)
ATELION_FILTER_BENCHMARK(BM_Soften);
ATELION_FILTER_BENCHMARK(BM_BoxBlur3);
ATELION_FILTER_BENCHMARK(BM_Sharpen3);
ATELION_FILTER_BENCHMARK(BM_PivotContrast);
ATELION_FILTER_BENCHMARK(BM_AdjustBrightness);
ATELION_FILTER_BENCHMARK(BM_AdjustSaturation);
ATELION_FILTER_BENCHMARK(BM_LocalContrast);
ATELION_FILTER_BENCHMARK(BM_ColourVibrance);
ATELION_FILTER_BENCHMARK(BM_ToneAdjust);
ATELION_FILTER_BENCHMARK(BM_AutoContrast);
ATELION_FILTER_BENCHMARK(BM_LocalSharpen5);
ATELION_FILTER_BENCHMARK(BM_MedianSmooth3);
ATELION_FILTER_BENCHMARK(BM_MedianSmooth11);
ATELION_FILTER_BENCHMARK(BM_InvertColours);
ATELION_FILTER_BENCHMARK(BM_ColouriseDrawing);

}  // namespace
}  // namespace atelion
