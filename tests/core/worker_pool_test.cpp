// The shared worker pool: every item once, whatever the pool's size; nesting from inside an item
// (a style's banded pass inside a batch job) finishes; an item's exception reaches the caller.
#include "core/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace atelion {
namespace {

TEST(WorkerPool, RunsEveryItemExactlyOnce) {
  struct Case {
    int workers, count;
  };
  for (const Case c : {Case{0, 5}, Case{1, 0}, Case{1, 1}, Case{1, 2}, Case{3, 7}, Case{3, 1000}}) {
    WorkerPool pool(c.workers);
    std::vector<std::atomic<int>> calls(static_cast<std::size_t>(c.count));
    pool.Run(c.count, [&](int index) { ++calls[static_cast<std::size_t>(index)]; });
    for (int index = 0; index < c.count; ++index) {
      EXPECT_EQ(calls[static_cast<std::size_t>(index)].load(), 1)
          << c.workers << " workers, " << c.count << " items, item " << index;
    }
  }
}

TEST(WorkerPool, NestedRunsFinishEvenWhenEveryWorkerIsBusy) {
  // Two outer items (a batch of two jobs) on a pool of one worker, each running 50 inner items (a
  // banded pass): the inner runs find no idle worker and must finish on their callers.
  WorkerPool pool(1);
  std::atomic<int> inner{0};
  pool.Run(2, [&](int) { pool.Run(50, [&](int) { ++inner; }); });
  EXPECT_EQ(inner.load(), 100);
}

TEST(WorkerPool, AnItemsExceptionReachesTheCallerAndThePoolStaysUsable) {
  WorkerPool pool(2);
  std::atomic<int> ran{0};
  EXPECT_THROW(pool.Run(64,
                        [&](int index) {
                          ++ran;
                          if (index == 3) throw std::runtime_error("item 3");
                        }),
               std::runtime_error);
  EXPECT_GE(ran.load(), 1);
  std::atomic<int> after{0};
  pool.Run(10, [&](int) { ++after; });
  EXPECT_EQ(after.load(), 10);
}

TEST(ForEachRowBand, CoversEveryRowOnceInBandsOfAtLeastTheMinimum) {
  struct Case {
    int rows, minimum;
  };
  for (const Case c : {Case{0, 8}, Case{1, 8}, Case{7, 8}, Case{16, 8}, Case{100, 8}, Case{1001, 64}, Case{5, 0}}) {
    std::mutex mutex;
    std::vector<std::pair<int, int>> bands;
    ForEachRowBand(c.rows, c.minimum, [&](int first, int end) {
      const std::lock_guard lock(mutex);
      bands.emplace_back(first, end);
    });
    std::set<std::pair<int, int>> sorted(bands.begin(), bands.end());
    int next = 0;
    for (const auto& [first, end] : sorted) {
      EXPECT_EQ(first, next) << c.rows << " rows";
      EXPECT_LT(first, end) << c.rows << " rows";
      if (sorted.size() > 1) {
        EXPECT_GE(end - first, c.minimum) << c.rows << " rows";
      }
      next = end;
    }
    EXPECT_EQ(next, c.rows) << c.rows << " rows";
  }
}

}  // namespace
}  // namespace atelion
