// The libFuzzer entry of one fuzz target, chosen when the program is built (ATELION_FUZZ_TARGET).
// Each input goes through the target's checks; a broken promise aborts, so that libFuzzer keeps
// the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

#ifndef ATELION_FUZZ_TARGET
#error "Build with ATELION_FUZZ_TARGET set to the name of a fuzz target"
#endif

namespace {

const atelion::fuzz::FuzzTarget* target = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  target = atelion::fuzz::FindFuzzTarget(ATELION_FUZZ_TARGET);
  if (target == nullptr) {
    std::fprintf(stderr, "no fuzz target named %s\n", ATELION_FUZZ_TARGET);
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  // A decoder's target leaves other formats to the other decoders' targets, so that its corpus
  // does not fill up with them.
  if (target->format != atelion::ImageFormat::Unknown && atelion::SniffImageFormat(input) != target->format) return 0;
  const std::string problems = atelion::fuzz::RunFuzzTarget(*target, input);
  if (!problems.empty()) {
    std::fprintf(stderr, "\n%s: %s\n", ATELION_FUZZ_TARGET, problems.c_str());
    std::abort();
  }
  return 0;
}
