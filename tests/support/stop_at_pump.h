// A progress sink that raises the abort flag at a chosen event pump (the n-th time, counted from
// 1, that a run lets the shell handle its events), as a click on the stop control would.
#pragma once

#include "core/run_context.h"

namespace atelion::testing_support {

class StopAtPump : public ProgressSink {
 public:
  StopAtPump(RunContext& context, int pump) : context_(context), pump_(pump) {}
  void PumpEvents() override {
    if (++pumps == pump_) context_.AbortRequested = true;
  }
  int pumps = 0;  ///< the pumps so far

 private:
  RunContext& context_;
  int pump_;
};

}  // namespace atelion::testing_support
