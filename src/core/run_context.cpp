#include "core/run_context.h"

#include <cctype>
#include <charconv>
#include <chrono>

namespace atelion {

std::uint32_t ClockSeed() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000);
}

int ProgressPercent(int step, int total, int pass, int passes) {
  const std::int64_t withinPass = total > 0 ? static_cast<std::int64_t>(step) * 101 / total : 100;
  return static_cast<int>((withinPass + static_cast<std::int64_t>(pass - 1) * 100) / passes);
}

Colour ProgressBarColour(int percent) {
  auto wrap = [](int v) { return ((v % 256) + 256) % 256; };
  return MakeColour(wrap(percent + 30), wrap(percent + 107), wrap(percent + 153));
}

void RunContext::ReportProgress(int step, int total, int pass, int passes) {
  if (!Processing || passes == 0 || ProgressSuppressed) return;
  if (step == 0 && pass == 1) {
    shownPercent_ = 0;
    if (Progress) Progress->RunStarted();
  }
  if (step >= total && pass >= passes) {
    shownPercent_ = -1;
    if (Progress) Progress->RunFinished();
    return;
  }
  const int percent = ProgressPercent(step, total, pass, passes);
  shownPercent_ = percent;
  if (Progress) Progress->ShowProgress(percent, ProgressBarColour(percent));
  // The last step of a pass may already show 100 % and must never stop the run.
  if (step < total && percent >= StopPercentage && !AbortRequested) StopCheck();
}

void RunContext::StopCheck() {
  if (shownPercent_ == 100) return;
  if (shownPercent_ >= StopPercentage) {
    AbortRequested = true;
    RequestCancel();
  }
}

void RunContext::RequestCancel() {
  const bool confirmed = CancelWithoutAsking || !Progress || Progress->ConfirmCancel();
  if (confirmed) {
    AbortRequested = true;
    ReportProgress(101, 100, 1, 1);
    if (Progress) Progress->CancelConfirmed();
  } else {
    AbortRequested = false;
    StopPercentage = 100;
    if (Progress) Progress->StopMarkerReset();
  }
}

void RunContext::ShowPreviewProgress(const Bitmap24& picture, int percent) {
  if (Preview) Preview->ShowPreviewProgress(picture, percent);
}

bool RunContext::CheckAbort() {
  if (Progress) Progress->PumpEvents();
  return AbortRequested;
}

void RunContext::SetStopPercentageText(const std::string& text) {
  int value = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  auto [rest, error] = std::from_chars(begin, end, value);
  StopPercentage = (error == std::errc() && rest == end) ? value : 0;
}

void RunContext::StopForLackOfMemory() {
  LackedMemory = true;
  AbortRequested = true;
  BatchCancelled = true;
  ReportProgress(101, 100, 1, 1);
}

void RunContext::ResetWhenIdle() {
  AbortRequested = false;
  LackedMemory = false;
  PreviewEffect = 0;
  Processing = false;
  ProgressSuppressed = false;
}

}  // namespace atelion
