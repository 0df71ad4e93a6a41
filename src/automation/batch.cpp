#include "automation/batch.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "core/worker_pool.h"

namespace atelion {

namespace {

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The percentages of the files under way, and the batch's share of them, reported to the
// observer one call at a time.
class BatchProgress {
 public:
  BatchProgress(const BatchObserver& observer, int count) : observer_(observer), percents_(count, 0) {}

  void FileStarted(int index, const std::filesystem::path& input) {
    std::lock_guard lock(mutex_);
    if (observer_.fileStarted) observer_.fileStarted(index, static_cast<int>(percents_.size()), input);
  }
  void FilePercent(int index, int percent) {
    std::lock_guard lock(mutex_);
    if (percents_[index] == percent) return;
    percents_[index] = percent;
    ReportLocked();
  }
  void FileFinished(int index, const BatchFileReport& report) {
    std::lock_guard lock(mutex_);
    percents_[index] = 100;
    ReportLocked();
    if (observer_.fileFinished) observer_.fileFinished(index, report);
  }

 private:
  void ReportLocked() {
    long long sum = 0;
    for (const int percent : percents_) sum += percent;
    const int overall = static_cast<int>(sum / static_cast<long long>(percents_.size()));
    if (overall != lastOverall_ && observer_.progress) observer_.progress(overall);
    lastOverall_ = overall;
  }

  const BatchObserver& observer_;
  std::mutex mutex_;
  std::vector<int> percents_;
  int lastOverall_ = -1;
};

// One file's run: its percentage goes to the batch's progress, and a cancel of the batch stops it
// at the style's next check, without asking.
class FileSink : public ProgressSink {
 public:
  FileSink(RunContext& context, const StopRequest& stop, BatchProgress& progress, int index)
      : context_(context), stop_(stop), progress_(progress), index_(index) {}

  void ShowProgress(int percent, Colour) override {
    progress_.FilePercent(index_, std::clamp(percent, 0, 100));
    PumpEvents();
  }
  void PumpEvents() override {
    if (stop_.Requested()) context_.AbortRequested = true;
  }

 private:
  RunContext& context_;
  const StopRequest& stop_;
  BatchProgress& progress_;
  int index_;
};

BatchFileReport ConvertOne(const BatchJob& job, int index, const StopRequest& stop, BatchProgress& progress) {
  const std::filesystem::path& input = job.files[static_cast<std::size_t>(index)];
  BatchFileReport report;
  report.input = input;
  report.output = BatchOutputPath(job.outputFolder, input);
  if (stop.Requested()) return report;
  std::error_code error;
  if (!job.overwrite && std::filesystem::exists(report.output, error)) {
    report.outcome = BatchFileOutcome::Skipped;
    return report;
  }
  ConversionJob conversion = job.conversion;
  conversion.input = input;
  conversion.output = report.output;
  conversion.outputFormat = BatchOutputFormat(report.output);
  if (job.conversion.seed) conversion.seed = BatchFileSeed(*job.conversion.seed, input);

  RunContext context;
  context.CancelWithoutAsking = true;
  FileSink sink(context, stop, progress, index);
  context.Progress = &sink;
  ConversionResult result;
  try {
    result = ConvertFile(std::move(conversion), context);
  } catch (...) {
    result = FailureFromException(std::current_exception());
  }
  switch (result.code) {
    case kExitOk:
      report.outcome = BatchFileOutcome::Written;
      break;
    case kExitCancelled:
      report.outcome = BatchFileOutcome::Cancelled;
      break;
    default:
      report.outcome = BatchFileOutcome::Failed;
      report.message = result.message;
      break;
  }
  return report;
}

}  // namespace

std::string BatchOutputName(const std::filesystem::path& input) {
  const std::filesystem::path name = input.filename();
  return name.stem().string() + "_Atelion" + name.extension().string();
}

ImageFormat BatchOutputFormat(const std::filesystem::path& output) {
  const std::string extension = Lowercase(output.extension().string());
  if (extension == ".jpg" || extension == ".jpeg") return ImageFormat::Jpeg;
  if (extension == ".png") return ImageFormat::Png;
  return ImageFormat::Bmp;
}

std::filesystem::path BatchOutputPath(const std::filesystem::path& outputFolder, const std::filesystem::path& input) {
  const std::filesystem::path folder = outputFolder.empty() ? input.parent_path() : outputFolder;
  return folder / BatchOutputName(input);
}

std::uint32_t BatchFileSeed(std::uint32_t seed, const std::filesystem::path& input) {
  // FNV-1a over the file's name, then the seed folded in and the bits mixed.
  std::uint32_t hash = 2166136261u;
  for (const unsigned char c : input.filename().string()) hash = (hash ^ c) * 16777619u;
  std::uint32_t mixed = hash ^ (seed * 2654435761u);
  mixed ^= mixed >> 16;
  mixed *= 0x45d9f3bu;
  mixed ^= mixed >> 16;
  return mixed;
}

BatchSummary RunBatch(const BatchJob& job, const StopRequest& stop, const BatchObserver& observer) {
  const int count = static_cast<int>(job.files.size());
  BatchSummary summary;
  summary.files.resize(job.files.size());
  if (count == 0) return summary;
  BatchProgress progress(observer, count);
  std::atomic<int> next{0};
  std::atomic<bool> stopped{false};

  auto work = [&] {
    for (int index = next++; index < count; index = next++) {
      const std::filesystem::path& input = job.files[static_cast<std::size_t>(index)];
      if (stopped) {
        // Not converted: the batch ended at an earlier failure.
        BatchFileReport& report = summary.files[static_cast<std::size_t>(index)];
        report.input = input;
        report.output = BatchOutputPath(job.outputFolder, input);
        continue;
      }
      progress.FileStarted(index, input);
      BatchFileReport report = ConvertOne(job, index, stop, progress);
      if (report.outcome == BatchFileOutcome::Failed && job.stopAtFailure) stopped = true;
      progress.FileFinished(index, report);
      summary.files[static_cast<std::size_t>(index)] = std::move(report);
    }
  };
  // The jobs are items of the program's shared pool, the one the styles' passes split their
  // pictures over: a batch of several jobs leaves those passes no idle threads, and a batch of one
  // gives them all, so the two together never run more threads than the machine has cores.
  const int jobs = std::clamp(job.jobs, 1, count);
  WorkerPool::Shared().Run(jobs, [&](int) { work(); });

  for (const BatchFileReport& report : summary.files) {
    summary.written += report.outcome == BatchFileOutcome::Written;
    summary.skipped += report.outcome == BatchFileOutcome::Skipped;
    summary.failed += report.outcome == BatchFileOutcome::Failed;
  }
  summary.cancelled = stop.Requested();
  return summary;
}

}  // namespace atelion
