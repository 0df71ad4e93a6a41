// The run context every long computation consults: progress, stop at a percentage,
// cancel, the cooperative abort check and the reproducible random generator.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/bitmap24.h"

namespace atelion {

/// The seed the reproducible styles reset the generator to before they draw, so that the same
/// photograph and sliders give the same picture on every run.
inline constexpr std::uint32_t kStyleSeed = 1969;

/// The seed a program start takes from the clock: the millisecond of the current time of day,
/// 0..999, so that the styles that do not set their own seed draw differently on every start.
std::uint32_t ClockSeed();

/// The program's linear congruential generator. Styles reset the seed and must then
/// draw exactly the same numbers on every run, so the sequence is fixed:
/// seed := seed × 134775813 + 1 (mod 2^32) before every draw.
class RandomGenerator {
 public:
  std::uint32_t RandomSeed = 0;

  /// An integer in 0..n−1: (seed × n) >> 32 computed in 64 bits.
  int Random(int n) {
    Advance();
    return static_cast<int>((static_cast<std::int64_t>(RandomSeed) * n) >> 32);
  }
  /// A floating-point value in [0, 1).
  double Random() {
    Advance();
    return static_cast<double>(RandomSeed) * (1.0 / 4294967296.0);
  }

 private:
  void Advance() { RandomSeed = RandomSeed * 134775813u + 1u; }
};

/// What a shell shows of a run: a status-bar progress display in the desktop program,
/// a progress bar on a terminal for the command line, nothing in tests. Every method has
/// a do-nothing default. Calls come from the thread that runs the computation.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  /// A run begins: bar width 0 in the start colour, run menu shown.
  virtual void RunStarted() {}
  /// The shown percentage changed; `barColour` is 0x00BBGGRR and lightens as the run advances.
  virtual void ShowProgress(int percent, Colour barColour) { (void)percent, (void)barColour; }
  /// The run is done (or given up): bar cleared, normal menu and stop marker back.
  virtual void RunFinished() {}
  /// Asks "Do you really wish to stop the process?"; true when the user answers OK.
  virtual bool ConfirmCancel() { return true; }
  /// The user confirmed a cancel: the desktop program shows the drawing-parameters window.
  virtual void CancelConfirmed() {}
  /// The user declined a stop: the stop-percentage marker goes back to 100 %.
  virtual void StopMarkerReset() {}
  /// Lets a single-threaded shell handle its pending events inside a long loop.
  virtual void PumpEvents() {}
  /// The picture a style is drawing into when that is not the result itself, so a shell can show
  /// the drawing as it grows; null once the style has finished with it. Read it only from the
  /// computing thread (inside `ShowProgress`, for example).
  virtual void WatchOutput(const Bitmap24* output) { (void)output; }
};

/// Receives intermediate pictures of a preview-capable style for the 220 × 220 preview box.
class PreviewSink {
 public:
  virtual ~PreviewSink() = default;
  /// `percent` < 0 means no percentage text.
  virtual void ShowPreviewProgress(const Bitmap24& picture, int percent) = 0;
};

/// Passed to every algorithm. The flags may be set from another thread (a cancel button),
/// so those read inside loops are atomic.
class RunContext {
 public:
  /// The running computation must stop at its next check.
  std::atomic<bool> AbortRequested{false};
  /// The batch loop must stop after the current file.
  std::atomic<bool> BatchCancelled{false};
  /// The run was stopped because it could not get the memory it needs (see StopForLackOfMemory).
  std::atomic<bool> LackedMemory{false};
  /// A full-size run, or a preview that wants progress shown, is under way.
  bool Processing = false;
  /// Progress is not shown while set (a tool window borrowing a style for its own preview).
  bool ProgressSuppressed = false;
  /// The style number of the live preview now computing; 0 when none.
  int PreviewEffect = 0;
  /// A run stops (after asking) once the shown percentage reaches this; 100 never stops.
  std::atomic<int> StopPercentage{100};
  /// Set while a batch or script drives the runs: cancelling then does not ask.
  bool CancelWithoutAsking = false;

  RandomGenerator Rng;

  ProgressSink* Progress = nullptr;
  PreviewSink* Preview = nullptr;

  /// Reports step `step` of `total` within pass `pass` of `passes`; (0, total, 1, n) starts a run,
  /// step ≥ total on the last pass ends it. Runs the stop check when the stop percentage is reached.
  void ReportProgress(int step, int total, int pass, int passes);
  /// Sends an intermediate picture to the preview box, if one listens.
  void ShowPreviewProgress(const Bitmap24& picture, int percent);
  /// The cancel command: asks (unless a batch or script runs), then either stops the run
  /// or lets it go on with the stop marker back at 100 %.
  void RequestCancel();
  /// The cooperative abort check of long loops: lets the shell handle events, then tells
  /// whether the computation must stop.
  bool CheckAbort();

  /// Sets the stop percentage from the text of the status-bar label; text that is not a number counts as 0.
  void SetStopPercentageText(const std::string& text);

  /// The percentage last shown by ReportProgress, −1 when no run shows progress.
  int ShownPercent() const { return shownPercent_; }

  /// Ends a run that could not get the memory it needs: the run and a batch stop the way a
  /// cancel does, `LackedMemory` tells why, and the progress display shows the run as done.
  void StopForLackOfMemory();

  /// The idle reset: what the desktop program does whenever it becomes idle.
  void ResetWhenIdle();

  int Random(int n) { return Rng.Random(n); }
  double Random() { return Rng.Random(); }

 private:
  void StopCheck();

  int shownPercent_ = -1;
};

/// Shown percentage of ReportProgress: (step × 101 div total + (pass − 1) × 100) div passes.
/// A total ≤ 0 counts the pass as complete. `passes` must not be 0.
int ProgressPercent(int step, int total, int pass, int passes);

/// Fill colour of the progress bar at a percentage: red 30, green 107, blue 153 shifted by it.
Colour ProgressBarColour(int percent);

/// Marks a computation as running (`Processing`) for as long as it lives, and gives the flag back
/// as it was however the computation ends, so a computation inside another one leaves it set.
class ProcessingScope {
 public:
  explicit ProcessingScope(RunContext& context) : context_(context), wasProcessing_(context.Processing) {
    context_.Processing = true;
  }
  ~ProcessingScope() { context_.Processing = wasProcessing_; }
  ProcessingScope(const ProcessingScope&) = delete;
  ProcessingScope& operator=(const ProcessingScope&) = delete;

 private:
  RunContext& context_;
  bool wasProcessing_;
};

}  // namespace atelion
