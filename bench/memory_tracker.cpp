#include "memory_tracker.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
std::atomic<std::size_t> baseBytes{0};

// Each block carries its size in a header so operator delete can subtract it.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* CountedAllocate(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const std::size_t now = liveBytes.fetch_add(size) + size;
  std::size_t peak = peakBytes.load();
  while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void CountedFree(void* pointer) {
  if (pointer == nullptr) return;
  void* block = static_cast<char*>(pointer) - kHeader;
  liveBytes.fetch_sub(*static_cast<std::size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocate(size); }
void* operator new[](std::size_t size) { return CountedAllocate(size); }
void operator delete(void* pointer) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer) noexcept { CountedFree(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { CountedFree(pointer); }

namespace atelion::bench {

std::size_t LiveHeapBytes() { return liveBytes.load(); }

void ResetPeakHeap() {
  baseBytes = liveBytes.load();
  peakBytes = baseBytes.load();
}

std::size_t PeakHeapBytesSinceReset() { return peakBytes.load() - baseBytes.load(); }

void ReportPeakHeap(benchmark::State& state) {
  state.counters["peak_MB"] = static_cast<double>(PeakHeapBytesSinceReset()) / (1024.0 * 1024.0);
}

}  // namespace atelion::bench
