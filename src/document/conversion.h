// Converting one picture file into another with a style, without any window: what the silent
// command line and atelion-cli share.
#pragma once

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "imageio/image_files.h"
#include "effects/run_pipeline.h"

namespace atelion {

/// Exit statuses of the command-line programs.
enum ExitCode : int {
  kExitOk = 0,
  /// Anything else that stops a program: lack of memory, an incomplete installation.
  kExitFailed = 1,
  kExitBadArguments = 2,
  kExitUnreadableInput = 3,
  kExitWriteFailed = 4,
  kExitCancelled = 5,
  kExitStyleUnavailable = 6,
};

struct ConversionJob {
  std::filesystem::path input;
  std::filesystem::path output;
  ImageFormat outputFormat = ImageFormat::Jpeg;
  /// The style to run, or −1 for none (the source is written as it is).
  int effectId = kNoEffectId;
  StyleSettings style;
  FinishingSettings finishing;
  /// Where the generator starts for styles that do not set their own seed; without it the
  /// clock seeds it, as a program start does. Styles with a fixed seed ignore it.
  std::optional<std::uint32_t> seed;
  /// The result picture the merge of source and result takes as its second picture; without it
  /// the result starts as the source, as after opening a picture. It must have the source's size.
  std::optional<std::filesystem::path> result;
  /// Painting 4 only: its strokes are also written here as an SVG file, one polygon per stroke.
  std::optional<std::filesystem::path> strokeSvg;
  /// Painting 4 only: the picture written is its strokes repainted at this many times the size
  /// (1 to 10, no side above 20000 pixels), without the finishing.
  std::optional<double> hdFactor;
};

struct ConversionResult {
  ExitCode code = kExitOk;
  std::string message;  ///< what went wrong, for the user; empty on success
  std::vector<std::string> notices;  ///< what the finishing chain told the user
};

/// Reads the input, runs the style through the full-size pipeline and writes the result (JPEG
/// with the source's resolution). Nothing is written when reading, the style or the run fails;
/// a run that lacked memory fails with kExitFailed and says so. A result picture of another size
/// than the source is refused (kExitBadArguments), as the merge refuses it.
ConversionResult ConvertFile(ConversionJob job, RunContext& context);

/// The message and exit status for an exception that reached a program's main: lack of memory
/// says so, anything else gives its own text. Every program's main ends in this.
ConversionResult FailureFromException(std::exception_ptr exception);

}  // namespace atelion
