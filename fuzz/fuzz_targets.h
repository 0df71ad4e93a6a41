// The inputs the fuzzers feed to the program's readers, and what every reader must do with any
// input besides not crashing: refuse it with a reason or give a result within its documented
// limits. The libFuzzer programs and the regression test run the same checks, so a file found
// by fuzzing keeps being checked in the ordinary test suite.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "imageio/image_files.h"

namespace atelion::fuzz {

/// One reader as a fuzz target.
struct FuzzTarget {
  /// The program's name without "fuzz_", and the folder of its seeds and regression files
  /// (fuzz/corpus/NAME, fuzz/regressions/NAME).
  std::string_view name;
  /// Feeds one input through the reader and returns what the reader did wrong, or "" when
  /// nothing. Crashes, leaks and undefined behaviour are left for the sanitizers to report.
  std::string (*check)(std::span<const std::uint8_t> input);
  /// For a picture decoder, the format it reads; inputs in another format only reach the
  /// "unrecognized format" refusal.
  ImageFormat format = ImageFormat::Unknown;
};

/// Every fuzz target: the four picture decoders through `DecodeImage`, parameter files, the
/// settings file and the silent command line's arguments.
std::span<const FuzzTarget> FuzzTargets();

/// The target of that name, or nullptr.
const FuzzTarget* FindFuzzTarget(std::string_view name);

/// A file of fewer bytes than this may never cost more than `kSmallFileHeapLimit` of heap.
inline constexpr std::size_t kSmallFileBytes = 1024;
inline constexpr std::size_t kSmallFileHeapLimit = 100u << 20;

/// Runs the target's check on one input. In a build with AddressSanitizer (the fuzzers, `make
/// sanitize`) it also measures the most heap the input held at once, the image libraries'
/// included, and holds a small file to `kSmallFileHeapLimit`. Returns what went wrong, or "".
std::string RunFuzzTarget(const FuzzTarget& target, std::span<const std::uint8_t> input);

}  // namespace atelion::fuzz
