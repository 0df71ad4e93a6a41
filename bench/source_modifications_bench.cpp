// The source adjustments over a whole benchmark photograph, as "Apply changes" runs them on the
// worker thread, and the resize of both pictures of a document.
// Argument: the photograph's size in megapixels (2 or 12).
#include <benchmark/benchmark.h>

#include "bench_photos.h"
#include "document/source_edits.h"
#include "document/source_modifications.h"

namespace {

using atelion::Bitmap24;

void ModifyWith(benchmark::State& state, const atelion::SourceModificationSettings& settings) {
  const Bitmap24& photo = atelion::bench::Photo(static_cast<int>(state.range(0)));
  const atelion::MeanColour mean = atelion::ComputeMeanColour(photo);
  for (auto _ : state) {
    state.PauseTiming();
    Bitmap24 picture = photo;
    state.ResumeTiming();
    atelion::RunContext context;
    atelion::ModifyPicture(picture, settings, mean, context);
    benchmark::DoNotOptimize(picture.Row(0));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(photo.Width()) * photo.Height());
}

// Luminosity, contrast, saturation and one sharpening: the usual touch-up.
void BM_ModifySourceTouchUp(benchmark::State& state) { ModifyWith(state, {15, 20, 25, 1, 0}); }
// The heaviest settings: the widest median, then the strongest blur.
void BM_ModifySourceHeaviest(benchmark::State& state) { ModifyWith(state, {0, 100, 100, -5, 9}); }

void BM_ResizeSourceOneAndAHalf(benchmark::State& state) {
  const Bitmap24& photo = atelion::bench::Photo(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    atelion::Document document;
    document.SourcePicture = photo;
    document.ResultPicture = photo;
    state.ResumeTiming();
    atelion::resizesource(document, photo.Width() * 3 / 2, photo.Height() * 3 / 2);
    benchmark::DoNotOptimize(document.ResultPicture.Row(0));
  }
}

}  // namespace

BENCHMARK(BM_ModifySourceTouchUp)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModifySourceHeaviest)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeSourceOneAndAHalf)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond);
