// Peak heap use of a benchmarked call: every allocation of the benchmark program goes through
// a counting operator new, so a benchmark can report the most memory its code held at once.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>

namespace atelion::bench {

/// Bytes currently allocated through operator new.
std::size_t LiveHeapBytes();
/// Starts a new peak measurement from the current live bytes.
void ResetPeakHeap();
/// The highest live-byte count since the last reset, minus the live bytes at the reset.
std::size_t PeakHeapBytesSinceReset();

/// Adds the counter "peak_MB" (the largest extra heap held during the timed loop) to a benchmark.
void ReportPeakHeap(benchmark::State& state);

}  // namespace atelion::bench
