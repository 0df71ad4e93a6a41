// Benchmark entry point. Extra flag: --photo-dir=DIR, the folder where ../shared/bench/photos.sh
// wrote photo-2mp.jpg and photo-12mp.jpg.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench_photos.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--photo-dir=", 12) == 0) atelion::bench::SetPhotoFolder(argv[i] + 12);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
