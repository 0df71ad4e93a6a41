// The libFuzzer entry of one fuzz target, chosen when the program is built (ATELION_FUZZ_TARGET).
// Each input goes through the target's checks; a broken promise aborts, so that libFuzzer keeps
// the input as a crash. The heap the input costs is measured too: a small file must stay cheap.
#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

#ifndef ATELION_FUZZ_TARGET
#error "Build with ATELION_FUZZ_TARGET set to the name of a fuzz target"
#endif

namespace {

using atelion::fuzz::FuzzTarget;

const FuzzTarget* target = nullptr;

// Heap in use, in requested bytes, as the sanitizer's allocator sees every allocation and release
// (those of the image libraries included), and the most of it since the current input started.
std::atomic<std::int64_t> heapInUse{0};
std::atomic<std::int64_t> heapPeak{0};

void CountAllocation(const volatile void*, std::size_t size) {
  const std::int64_t now = heapInUse.fetch_add(static_cast<std::int64_t>(size)) + static_cast<std::int64_t>(size);
  std::int64_t peak = heapPeak.load();
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
  }
}

void CountRelease(const volatile void* pointer) {
  const void* block = const_cast<const void*>(pointer);
  // Blocks from before the hooks were installed were never counted, but are still the allocator's.
  if (block == nullptr || !__sanitizer_get_ownership(block)) return;
  heapInUse.fetch_sub(static_cast<std::int64_t>(__sanitizer_get_allocated_size(block)));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  target = atelion::fuzz::FindFuzzTarget(ATELION_FUZZ_TARGET);
  if (target == nullptr) {
    std::fprintf(stderr, "no fuzz target named %s\n", ATELION_FUZZ_TARGET);
    std::abort();
  }
  __sanitizer_install_malloc_and_free_hooks(CountAllocation, CountRelease);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  // A decoder's target leaves other formats to the other decoders' targets, so that its corpus
  // does not fill up with them.
  if (target->format != atelion::ImageFormat::Unknown && atelion::SniffImageFormat(input) != target->format) return 0;

  const std::int64_t heapBefore = heapInUse.load();
  heapPeak.store(heapBefore);
  std::string problems = target->check(input);
  const std::int64_t heapCost = heapPeak.load() - heapBefore;

  if (size < atelion::fuzz::kSmallFileBytes && heapCost > static_cast<std::int64_t>(atelion::fuzz::kSmallFileHeapLimit)) {
    if (!problems.empty()) problems += "; ";
    problems += "a file of " + std::to_string(size) + " bytes took " + std::to_string(heapCost >> 20) +
                " MB of heap (at most " + std::to_string(atelion::fuzz::kSmallFileHeapLimit >> 20) + " MB)";
  }
  if (!problems.empty()) {
    std::fprintf(stderr, "\n%s: %s\n", ATELION_FUZZ_TARGET, problems.c_str());
    std::abort();
  }
  return 0;
}
