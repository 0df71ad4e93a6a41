// Fixed-point resampling and quarter turns of the benchmark photographs.
// Argument: the photograph's size in megapixels (2 or 12).
#include <benchmark/benchmark.h>

#include "bench_photos.h"
#include "core/geometry.h"

namespace {

using atelion::Bitmap24;

// Scales the photograph onto a destination of numerator/denominator times its size.
void ResampleTo(benchmark::State& state, int numerator, int denominator) {
  const Bitmap24& photo = atelion::bench::Photo(static_cast<int>(state.range(0)));
  Bitmap24 result(photo.Width() * numerator / denominator, photo.Height() * numerator / denominator);
  for (auto _ : state) {
    atelion::Resample(photo, result);
    benchmark::DoNotOptimize(result.Row(0));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(result.Width()) * result.Height());
}

void BM_ResampleHalf(benchmark::State& state) { ResampleTo(state, 1, 2); }
void BM_ResampleOneAndAHalf(benchmark::State& state) { ResampleTo(state, 3, 2); }

void BM_RotateQuarter(benchmark::State& state) {
  Bitmap24 picture = atelion::bench::Photo(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    atelion::RotateQuarter(picture, 90);
    benchmark::DoNotOptimize(picture.Row(0));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(picture.Width()) * picture.Height());
}

}  // namespace

BENCHMARK(BM_ResampleHalf)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleOneAndAHalf)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateQuarter)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond);
