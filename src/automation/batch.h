// Batch conversion: one style with one set of sliders applied to a list of picture files, each
// result written under a name derived from its input ("beach.jpg" → "beach_Atelion.jpg") in an
// output folder, in the format its extension names. The batch window and `atelion-cli batch`
// share it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "automation/stop_request.h"
#include "document/conversion.h"

namespace atelion {

/// The name of a result: the input's file name with "_Atelion" before its extension, or at its
/// end when it has none ("beach.JPG" → "beach_Atelion.JPG", "notes" → "notes_Atelion").
std::string BatchOutputName(const std::filesystem::path& input);

/// The format a result is written in, by its extension in any case: ".jpg" and ".jpeg" JPEG,
/// ".png" PNG, anything else BMP.
ImageFormat BatchOutputFormat(const std::filesystem::path& output);

/// Where the result of `input` goes: `outputFolder` followed by the derived name, or the input's
/// own folder when `outputFolder` is empty.
std::filesystem::path BatchOutputPath(const std::filesystem::path& outputFolder, const std::filesystem::path& input);

/// The generator's start for one file of a seeded batch: the batch's seed mixed with the file's
/// name, so that a file gets the same picture whatever the order of work and the number of jobs,
/// and the same as a batch of that file alone.
std::uint32_t BatchFileSeed(std::uint32_t seed, const std::filesystem::path& input);

struct BatchJob {
  std::vector<std::filesystem::path> files;
  /// Empty: each result goes beside its input.
  std::filesystem::path outputFolder;
  /// An existing result is replaced only when this is set; otherwise the file is skipped.
  bool overwrite = false;
  /// The style and its settings, as for one conversion (input, output and format are set per file).
  ConversionJob conversion;
  /// Files converted at the same time; each job has its own run context.
  int jobs = 1;
  /// The first file that cannot be read or written ends the batch (the window's rule); otherwise
  /// the batch goes on and names the failures at the end (the command line's).
  bool stopAtFailure = false;
};

enum class BatchFileOutcome {
  Written,
  Skipped,    ///< the result exists and overwriting is off: left untouched
  Failed,     ///< unreadable input, a style that could not run, a write that failed
  Cancelled,  ///< the batch was cancelled before or while this file was converted: nothing written
};

struct BatchFileReport {
  std::filesystem::path input;
  std::filesystem::path output;
  BatchFileOutcome outcome = BatchFileOutcome::Cancelled;
  std::string message;  ///< why it failed; empty otherwise
};

struct BatchSummary {
  std::vector<BatchFileReport> files;  ///< in the order of the job's list
  int written = 0;
  int skipped = 0;
  int failed = 0;
  bool cancelled = false;
};

/// What a shell hears of a batch while it runs. Calls come from the batch's worker threads, one
/// at a time (the batch serialises them).
struct BatchObserver {
  /// File `index` (0-based) of `count` starts.
  std::function<void(int index, int count, const std::filesystem::path& input)> fileStarted;
  /// The percentage of the whole batch done, from the files finished and the ones under way.
  std::function<void(int percent)> progress;
  /// A file is finished, whatever its outcome.
  std::function<void(int index, const BatchFileReport& report)> fileFinished;
};

/// Converts every file of `job`, `job.jobs` at a time (at most as many as the shared worker pool
/// has threads), and says how each went. After `stop` is
/// requested, files under way stop at their next check and write nothing, and files not started
/// are reported cancelled; files already written stay.
BatchSummary RunBatch(const BatchJob& job, const StopRequest& stop, const BatchObserver& observer = {});

}  // namespace atelion
