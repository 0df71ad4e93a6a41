// A batch of 16 photographs of 2 MP, file to file, with one and with two jobs: how much of the
// machine a batch uses. The style is Pencil sketch 1, whose own work is one pass over the picture,
// so reading and writing the files weigh as they do in a real batch.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "automation/batch.h"
#include "bench_photos.h"
#include "imageio/image_files.h"

namespace atelion {
namespace {

constexpr int kPhotographs = 16;

// The 2 MP photograph written 16 times into a folder of its own, removed at the end of the run.
class BatchFolder {
 public:
  BatchFolder() : path_(std::filesystem::temp_directory_path() / ("atelion-batch-bench-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_ / "out");
    for (int i = 0; i < kPhotographs; ++i) {
      const std::filesystem::path file = path_ / ("photo" + std::to_string(i) + ".jpg");
      if (!SaveImageFile(bench::Photo(2), file, ImageFormat::Jpeg)) std::abort();
      files_.push_back(file);
    }
  }
  ~BatchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::vector<std::filesystem::path>& Files() const { return files_; }
  std::filesystem::path Out() const { return path_ / "out"; }

 private:
  std::filesystem::path path_;
  std::vector<std::filesystem::path> files_;
};

void BM_Batch(benchmark::State& state) {
  static const BatchFolder folder;
  BatchJob job;
  job.files = folder.Files();
  job.outputFolder = folder.Out();
  job.overwrite = true;
  job.jobs = static_cast<int>(state.range(0));
  job.conversion.effectId = kPencilSketch1EffectId;
  job.conversion.style.sliders = FactoryDefaults(kPencilSketch1EffectId);
  job.conversion.seed = 7;
  for (auto _ : state) {
    StopRequest stop;
    const BatchSummary summary = RunBatch(job, stop);
    if (summary.written != kPhotographs) state.SkipWithError("a photograph was not written");
  }
}
BENCHMARK(BM_Batch)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace atelion
