// A progress bar on a terminal for the command-line programs.
#pragma once

#include <cstdio>

#include "core/run_context.h"

namespace atelion {

/// Draws "[#####.....]  57%" on one line of a terminal and clears it when the run ends.
class TerminalProgress : public ProgressSink {
 public:
  explicit TerminalProgress(std::FILE* out) : out_(out) {}
  void RunStarted() override;
  void ShowProgress(int percent, Colour barColour) override;
  void RunFinished() override;

 private:
  std::FILE* out_;
  int shown_ = -1;
};

}  // namespace atelion
