#include "core/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <exception>

namespace atelion {

struct WorkerPool::Task {
  int count = 0;
  const std::function<void(int)>* item = nullptr;
  std::atomic<int> next{0};  // the next item to claim
  std::atomic<bool> failed{false};
  std::mutex mutex;  // guards done, helpers, error and the caller's wait
  std::condition_variable finished;
  int done = 0;
  int helpers = 0;  // workers holding the task; it lives on until they let go
  std::exception_ptr error;
};

WorkerPool::WorkerPool(int workers) {
  threads_.reserve(static_cast<std::size_t>(std::max(0, workers)));
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

WorkerPool& WorkerPool::Shared() {
  static WorkerPool pool(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())) - 1);
  return pool;
}

// Claims and runs items of `task` until none is left; each item ends in `done`.
void WorkerPool::Work(Task& task) {
  for (int index = task.next++; index < task.count; index = task.next++) {
    std::exception_ptr error;
    if (!task.failed) {
      try {
        (*task.item)(index);
      } catch (...) {
        error = std::current_exception();
        task.failed = true;
      }
    }
    const std::lock_guard lock(task.mutex);
    if (error && !task.error) task.error = error;
    if (++task.done == task.count) task.finished.notify_all();
  }
}

void WorkerPool::WorkerLoop() {
  for (;;) {
    Task* task = nullptr;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping
      task = queue_.front();
      // Every item claimed: no other worker needs to look at it.
      if (task->next.load() >= task->count) {
        queue_.pop_front();
        continue;
      }
      const std::lock_guard hold(task->mutex);
      ++task->helpers;
    }
    Work(*task);
    const std::lock_guard lock(task->mutex);
    --task->helpers;
    task->finished.notify_all();
  }
}

void WorkerPool::Run(int count, const std::function<void(int)>& item) {
  if (count <= 0) return;
  if (count == 1 || threads_.empty()) {
    for (int index = 0; index < count; ++index) item(index);
    return;
  }
  Task task;
  task.count = count;
  task.item = &item;
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back(&task);
  }
  wake_.notify_all();
  Work(task);
  {
    // Off the queue before it goes: no worker can take it up afterwards.
    const std::lock_guard lock(mutex_);
    queue_.erase(std::remove(queue_.begin(), queue_.end(), &task), queue_.end());
  }
  std::unique_lock lock(task.mutex);
  task.finished.wait(lock, [&] { return task.done == task.count && task.helpers == 0; });
  if (task.error) std::rethrow_exception(task.error);
}

void ForEachRowBand(int rows, int minimumRows, const std::function<void(int first, int end)>& band) {
  if (rows <= 0) return;
  const int threads = WorkerPool::Shared().Concurrency();
  const int bands = std::clamp(rows / std::max(1, minimumRows), 1, threads);
  if (bands == 1) {
    band(0, rows);
    return;
  }
  WorkerPool::Shared().Run(bands, [&](int index) {
    const auto first = static_cast<int>(static_cast<long long>(rows) * index / bands);
    const auto end = static_cast<int>(static_cast<long long>(rows) * (index + 1) / bands);
    band(first, end);
  });
}

}  // namespace atelion
