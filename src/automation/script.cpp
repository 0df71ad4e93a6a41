#include "automation/script.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "core/filters.h"
#include "core/geometry.h"
#include "document/source_edits.h"
#include "imageio/image_files.h"
#include "styles/style_list.h"

namespace atelion {

namespace {

const std::string kEmptyCell;

// A whole number, with blanks around it allowed; none for anything else.
std::optional<int> ParseNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

struct ActionName {
  int code;
  int line;
};

constexpr ActionName kActionNames[] = {
    {script_action::kResizeLeft, 219},       {script_action::kAutomaticContrast, 17},
    {script_action::kRotateLeft, 222},       {script_action::kRotateRight, 221},
    {script_action::kStoreLeft, 213},        {script_action::kStoreRight, 214},
    {script_action::kRetrieveToLeft, 215},   {script_action::kRetrieveToRight, 216},
    {script_action::kResizeRight, 220},      {script_action::kSwap, 217},
    {script_action::kRestoreSource, 218},    {script_action::kInvert, 236},
    {script_action::kDontEraseBackground, 241}, {script_action::kStopNextEffect, 243},
};

// The interpreter's state besides the two pictures.
class ScriptRun {
 public:
  ScriptRun(ScriptPictures& pictures, const ScriptSettings& settings, RunContext& context, const StopRequest& stop,
            ScriptObserver* observer)
      : pictures_(pictures), settings_(settings), context_(context), stop_(stop), observer_(observer) {}

  ScriptOutcome Run(const ScriptGrid& grid) {
    startSource_ = pictures_.source;
    for (int row = 0; row < grid.Rows(); ++row) {
      if (grid.Cell(ScriptGrid::kCodeColumn, row).empty()) continue;
      if (stop_.Requested()) return ScriptOutcome::Stopped;
      if (observer_) observer_->LineStarted(row);
      const std::optional<int> code = ParseNumber(grid.Cell(ScriptGrid::kCodeColumn, row));
      if (!code) {
        Skip(row, "\"" + grid.Cell(ScriptGrid::kCodeColumn, row) + "\" is not an action code");
        continue;
      }
      std::array<std::optional<int>, kSlotCount> numbers{};
      bool numbersRead = true;
      for (int column = 1; column <= kSlotCount; ++column) {
        const std::string& cell = grid.Cell(column, row);
        if (cell.empty()) continue;
        numbers[column - 1] = ParseNumber(cell);
        if (!numbers[column - 1]) {
          Skip(row, "\"" + cell + "\" in column " + std::to_string(column) + " is not a number");
          numbersRead = false;
          break;
        }
      }
      if (!numbersRead) continue;
      if (*code < 100) {
        if (RunStyle(row, *code, numbers) == ScriptOutcome::Stopped) return ScriptOutcome::Stopped;
      } else {
        RunAction(row, *code, numbers);
      }
    }
    if (stop_.Requested()) return ScriptOutcome::Stopped;
    if (FinishingPass() == ScriptOutcome::Stopped) return ScriptOutcome::Stopped;
    pictures_.source = startSource_;
    Record(HistoryKind::Source);
    return ScriptOutcome::Finished;
  }

 private:
  void Skip(int row, const std::string& reason) {
    if (observer_) observer_->LineSkipped(row, reason);
  }

  void Record(HistoryKind kind, const std::string& name = {}) {
    if (observer_) observer_->HistoryStep(kind, kind == HistoryKind::Source ? pictures_.source : pictures_.result, name);
  }

  // One full-size run of `effectId` over the two pictures. The run's own stop marker stops it
  // without ending the script; a requested stop ends the script.
  ScriptOutcome Draw(int effectId, const ParameterSet& sliders, const FinishingSettings& finishing, bool finalPass) {
    StyleSettings style = settings_.style;
    style.effectId = effectId;
    style.sliders = sliders;
    style.preview = false;
    style.eraseBackground = !keepBackground_;
    style.scriptRunning = finalPass;
    style.sourceMean = ComputeMeanColour(pictures_.source);
    RunPictures run;
    run.source = std::move(pictures_.source);
    run.result = std::move(pictures_.result);
    // A stop requested before this point sets the abort flag after the request: checking the
    // request after clearing the flag never loses it.
    context_.AbortRequested = false;
    if (stop_.Requested()) {
      context_.AbortRequested = true;
      pictures_.source = std::move(run.source);
      pictures_.result = std::move(run.result);
      return ScriptOutcome::Stopped;
    }
    context_.StopPercentage = stopPercentage_;
    if (observer_ && stopPercentage_ != 100) observer_->StopPercentageChanged(stopPercentage_);
    const bool cancelWithoutAsking = context_.CancelWithoutAsking;
    context_.CancelWithoutAsking = true;  // the stop marker of a script stops without a question
    const RunOutcome outcome = RunEffect(run, style, finishing, context_);
    context_.CancelWithoutAsking = cancelWithoutAsking;
    context_.StopPercentage = 100;
    if (observer_ && stopPercentage_ != 100) observer_->StopPercentageChanged(100);
    pictures_.source = std::move(run.source);
    pictures_.result = std::move(run.result);
    stopPercentage_ = 100;
    keepBackground_ = false;
    if (stop_.Requested() || context_.LackedMemory) return ScriptOutcome::Stopped;
    context_.AbortRequested = false;
    if (outcome == RunOutcome::Finished || outcome == RunOutcome::Aborted) Record(HistoryKind::Result, EffectName(effectId));
    return ScriptOutcome::Finished;
  }

  ParameterSet StoredSliders(int effectId) const {
    return settings_.storedSliders ? settings_.storedSliders(effectId) : FactoryDefaults(effectId);
  }

  ScriptOutcome RunStyle(int row, int code, const std::array<std::optional<int>, kSlotCount>& numbers) {
    if (!IsEffectId(code)) {
      Skip(row, "there is no style number " + std::to_string(code));
      return ScriptOutcome::Finished;
    }
    if (observer_) observer_->StyleSelected(code);
    if (!StyleAvailable(code)) {
      Skip(row, "the style \"" + EffectName(code) + "\" is not available in this version yet");
      return ScriptOutcome::Finished;
    }
    ParameterSet sliders = StoredSliders(code);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (numbers[slot]) sliders[slot] = ClampToSlider(code, slot, *numbers[slot]);
    }
    FinishingSettings finishing = settings_.finishing;
    finishing.addFrame = false;
    finishing.addText = false;
    finishing.texture.enabled = false;
    return Draw(code, sliders, finishing, false);
  }

  // Frame, texture and text, when any is on, laid once on the final picture: the swap puts it on
  // the left, where the pass-through style reads it.
  ScriptOutcome FinishingPass() {
    const FinishingSettings& finishing = settings_.finishing;
    if (!finishing.addFrame && !finishing.addText && !finishing.texture.enabled) return ScriptOutcome::Finished;
    Swap();
    if (observer_) observer_->StyleSelected(kNoEffectId);
    return Draw(kNoEffectId, StoredSliders(kNoEffectId), finishing, true);
  }

  void Swap() {
    std::swap(pictures_.source, pictures_.result);
    Record(HistoryKind::Source);
    Record(HistoryKind::Result);
  }

  void Resize(Bitmap24& picture, HistoryKind kind, int row, const std::array<std::optional<int>, kSlotCount>& numbers) {
    const int width = numbers[0].value_or(0);
    const int height = numbers[1].value_or(0);
    if (width < 2 || height < 2 || picture.Empty()) return;
    if (const Status resized = ResamplePicture(picture, width, height); !resized) {
      Skip(row, resized.message());
      return;
    }
    Record(kind);
  }

  void RunAction(int row, int code, const std::array<std::optional<int>, kSlotCount>& numbers) {
    using namespace script_action;
    switch (code) {
      case kResizeLeft:
        Resize(pictures_.source, HistoryKind::Source, row, numbers);
        break;
      case kResizeRight:
        Resize(pictures_.result, HistoryKind::Result, row, numbers);
        break;
      case kAutomaticContrast:
        if (pictures_.source.Empty()) break;
        AutoContrast(pictures_.source, 0.23f);
        LocalSharpen5(pictures_.source, 25);
        Record(HistoryKind::Source);
        break;
      case kRotateLeft:
      case kRotateRight:
        RotateQuarter(pictures_.source, code == kRotateRight ? 90 : -90);
        RotateQuarter(pictures_.result, code == kRotateRight ? 90 : -90);
        Record(HistoryKind::Source);
        Record(HistoryKind::Result);
        break;
      case kStoreLeft:
        stored_ = pictures_.source;
        break;
      case kStoreRight:
        stored_ = pictures_.result;
        break;
      case kRetrieveToLeft:
      case kRetrieveToRight:
        if (!stored_) break;
        (code == kRetrieveToLeft ? pictures_.source : pictures_.result) = *stored_;
        Record(code == kRetrieveToLeft ? HistoryKind::Source : HistoryKind::Result);
        break;
      case kSwap:
        Swap();
        break;
      case kRestoreSource:
        // The photograph as the script found it: restored at the very end anyway, and here when
        // a line asks for it in between.
        pictures_.source = startSource_;
        Record(HistoryKind::Source);
        break;
      case kInvert:
        InvertColours(pictures_.source);
        InvertColours(pictures_.result);
        Record(HistoryKind::Source);
        Record(HistoryKind::Result);
        break;
      case kDontEraseBackground:
        keepBackground_ = true;
        break;
      case kStopNextEffect:
        stopPercentage_ = std::clamp(numbers[0].value_or(0), 0, 100);
        break;
      default:
        // A code the interpreter does not know only moves the style list's selection.
        if (observer_) observer_->StyleSelected(kVintagePhotoEffectId);
        break;
    }
  }

 private:
  ScriptPictures& pictures_;
  const ScriptSettings& settings_;
  RunContext& context_;
  const StopRequest& stop_;
  ScriptObserver* observer_;
  Bitmap24 startSource_;  ///< the photograph as the script found it
  std::optional<Bitmap24> stored_;
  int stopPercentage_ = 100;
  bool keepBackground_ = false;
};

}  // namespace

ScriptGrid::ScriptGrid(int columns, int rows)
    : columns_(std::max(columns, 0)),
      rows_(std::max(rows, 0)),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)) {}

const std::string& ScriptGrid::Cell(int column, int row) const {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return kEmptyCell;
  return cells_[static_cast<std::size_t>(row) * columns_ + column];
}

void ScriptGrid::SetCell(int column, int row, std::string text) {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return;
  cells_[static_cast<std::size_t>(row) * columns_ + column] = std::move(text);
}

void ScriptGrid::InsertRow(int row) {
  row = std::clamp(row, 0, rows_);
  cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(row) * columns_, static_cast<std::size_t>(columns_),
                std::string());
  ++rows_;
}

void ScriptGrid::DeleteRow(int row) {
  if (row < 0 || row >= rows_) return;
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(row) * columns_;
  cells_.erase(first, first + columns_);
  cells_.insert(cells_.end(), static_cast<std::size_t>(columns_), std::string());
}

void ScriptGrid::ClearRows(int firstRow) {
  for (int row = std::max(firstRow, 0); row < rows_; ++row)
    for (int column = 0; column < columns_; ++column) SetCell(column, row, {});
}

std::optional<int> ScriptActionLine(int code) {
  for (const ActionName& action : kActionNames)
    if (action.code == code) return action.line;
  return std::nullopt;
}

ScriptGrid DefaultScript() {
  ScriptGrid grid;
  const auto line = [&grid](int row, std::string name, std::array<const char*, kSlotCount> numbers, int code) {
    grid.SetCell(0, row, std::move(name));
    for (int column = 1; column <= kSlotCount; ++column) grid.SetCell(column, row, numbers[column - 1]);
    grid.SetCell(ScriptGrid::kCodeColumn, row, std::to_string(code));
  };
  grid.SetCell(0, 0, "Action");
  for (int column = 1; column <= kSlotCount; ++column) grid.SetCell(column, 0, std::to_string(column));
  line(1, "Pencil sketch 1", {"20", "100", "80", "160", "25"}, kPencilSketch1EffectId);
  line(2, "Store right image", {"", "", "", "", ""}, script_action::kStoreRight);
  line(3, "Pencil sketch 5", {"63", "211", "75", "30", "255"}, kPencilSketch5EffectId);
  line(4, "Retrieve stored image to left", {"", "", "", "", ""}, script_action::kRetrieveToLeft);
  line(5, "Merge source and result images", {"190", "0", "50", "", ""}, kMergeEffectId);
  return grid;
}

std::string WriteScriptText(const ScriptGrid& grid) {
  std::string text = std::to_string(grid.Columns()) + "\r\n" + std::to_string(grid.Rows()) + "\r\n";
  for (int column = 0; column < grid.Columns(); ++column)
    for (int row = 0; row < grid.Rows(); ++row) text += grid.Cell(column, row) + "\r\n";
  return text;
}

ScriptReadResult ReadScriptText(std::string_view text) {
  ScriptReadResult read;
  int lineNumber = 0;
  // The next line without its end (CR LF or LF); none at the end of the text.
  auto nextLine = [&]() -> std::optional<std::string_view> {
    if (text.empty()) return std::nullopt;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++lineNumber;
    return line;
  };
  const auto count = [&](const char* what, int limit) -> std::optional<int> {
    const std::optional<std::string_view> line = nextLine();
    const std::optional<int> value = line ? ParseNumber(*line) : std::nullopt;
    if (!value || *value < 1 || *value > limit) {
      read.problems.push_back("line " + std::to_string(lineNumber + (line ? 0 : 1)) + ": the number of " + what +
                              " must be a whole number from 1 to " + std::to_string(limit));
      return std::nullopt;
    }
    return value;
  };
  const std::optional<int> columns = count("columns", ScriptGrid::kMaxColumns);
  if (!columns) return read;
  const std::optional<int> rows = count("rows", ScriptGrid::kMaxRows);
  if (!rows) return read;
  read.grid = ScriptGrid(*columns, *rows);
  read.readable = true;
  for (int column = 0; column < *columns; ++column) {
    for (int row = 0; row < *rows; ++row) {
      const std::optional<std::string_view> line = nextLine();
      if (!line) {
        read.problems.push_back("line " + std::to_string(lineNumber + 1) + ": the file ends before the " +
                                std::to_string(*columns) + " × " + std::to_string(*rows) + " cells it announces");
        return read;
      }
      if (column == ScriptGrid::kCodeColumn && row > 0 && !line->empty() && !ParseNumber(*line)) {
        read.problems.push_back("line " + std::to_string(lineNumber) + ": \"" + std::string(*line) +
                                "\" is not an action code; script line " + std::to_string(row) + " will be skipped");
      }
      read.grid.SetCell(column, row, std::string(*line));
    }
  }
  read.complete = true;
  return read;
}

ScriptOutcome RunScript(const ScriptGrid& grid, ScriptPictures& pictures, const ScriptSettings& settings,
                        RunContext& context, const StopRequest& stop, ScriptObserver* observer) {
  ScriptRun run(pictures, settings, context, stop, observer);
  return run.Run(grid);
}

}  // namespace atelion
