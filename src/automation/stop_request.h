// A stop asked for from another thread (a window's Cancel button) of a batch or a script: the run
// under way stops at its next check, and nothing after it starts.
#pragma once

#include <atomic>

namespace atelion {

class StopRequest {
 public:
  void Request() { requested_ = true; }
  bool Requested() const { return requested_; }

 private:
  std::atomic<bool> requested_{false};
};

}  // namespace atelion
