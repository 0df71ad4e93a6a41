#include "app/terminal_progress.h"

#include <algorithm>
#include <string>

namespace atelion {

namespace {
constexpr int kBarWidth = 40;
}

void TerminalProgress::RunStarted() { ShowProgress(0, 0); }

void TerminalProgress::ShowProgress(int percent, Colour) {
  percent = std::clamp(percent, 0, 100);
  if (percent == shown_) return;
  shown_ = percent;
  const int filled = percent * kBarWidth / 100;
  const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
  std::fprintf(out_, "\r[%s] %3d%%", bar.c_str(), percent);
  std::fflush(out_);
}

void TerminalProgress::RunFinished() {
  if (shown_ < 0) return;
  std::fprintf(out_, "\r%*s\r", kBarWidth + 8, "");
  std::fflush(out_);
  shown_ = -1;
}

}  // namespace atelion
