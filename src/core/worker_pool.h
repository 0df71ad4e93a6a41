// One pool of worker threads for the whole program, shared by the passes that split a picture
// into bands and by the batch's jobs, so that together they never run more threads than the
// machine has cores. A caller always works on its own items too: a pass called from inside a
// batch job (itself running on a worker) finishes even when every worker is busy, and nesting
// cannot deadlock.
//
// Only for work whose result does not depend on how it is split: passes that draw no random
// numbers and write each output byte from inputs no other item writes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace atelion {

class WorkerPool {
 public:
  /// A pool with `workers` threads besides its callers (0: every item runs on the caller).
  explicit WorkerPool(int workers);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  /// The program's pool: one worker fewer than the machine has cores (the caller is the last).
  static WorkerPool& Shared();

  /// The threads that can work at once: the workers and one caller.
  int Concurrency() const { return static_cast<int>(threads_.size()) + 1; }

  /// Calls item(0) .. item(count − 1), each once, on the calling thread and on idle workers, and
  /// returns when all are done. The first exception an item throws is thrown again here (after
  /// the items already started have ended); items not yet started are then skipped.
  void Run(int count, const std::function<void(int)>& item);

 private:
  struct Task;
  void WorkerLoop();
  static void Work(Task& task);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task*> queue_;  // tasks with items not yet claimed
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

/// Splits rows 0 .. rows − 1 into bands of at least `minimumRows` rows (about one per thread of the
/// shared pool) and calls band(first, end) for each, side by side.
void ForEachRowBand(int rows, int minimumRows, const std::function<void(int first, int end)>& band);

}  // namespace atelion
