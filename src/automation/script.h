// Scripts: short programs of picture operations, one per line of a grid — run a style with given
// slider values, store or retrieve a picture, resize, turn, invert or swap the two panels, stop the
// next style at a percentage or let it draw over the previous result. The grid is kept in ".ats"
// files; the interpreter runs it against a source (left) and a result (right) picture.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bitmap24.h"
#include "automation/stop_request.h"
#include "core/run_context.h"
#include "document/history.h"
#include "effects/run_pipeline.h"

namespace atelion {

/// The grid as the script window shows it: column 0 the action's name, columns 1–5 its numbers,
/// column 6 the action code; row 0 is the header row.
class ScriptGrid {
 public:
  static constexpr int kColumns = 7;
  static constexpr int kStartRows = 50;
  static constexpr int kCodeColumn = 6;
  /// Limits of a grid read from a file: a count beyond them is not a script.
  static constexpr int kMaxColumns = 16;
  static constexpr int kMaxRows = 10000;

  ScriptGrid(int columns = kColumns, int rows = kStartRows);

  int Columns() const { return columns_; }
  int Rows() const { return rows_; }
  /// A cell; outside the grid an empty text (reading) or nothing at all (writing).
  const std::string& Cell(int column, int row) const;
  void SetCell(int column, int row, std::string text);
  /// One more row at the end, or a row inserted at `row` (the rows from there move down).
  void InsertRow(int row);
  /// The rows below `row` move up; the last row is emptied and the count stays.
  void DeleteRow(int row);
  /// Every cell of rows `firstRow` and below emptied.
  void ClearRows(int firstRow);

  bool operator==(const ScriptGrid&) const = default;

 private:
  int columns_;
  int rows_;
  std::vector<std::string> cells_;  ///< row by row
};

/// Action codes of column 6 besides the style numbers 0–31.
namespace script_action {
inline constexpr int kResizeLeft = 101;
inline constexpr int kAutomaticContrast = 102;
inline constexpr int kRotateLeft = 103;
inline constexpr int kRotateRight = 104;
inline constexpr int kStoreLeft = 105;
inline constexpr int kStoreRight = 106;
inline constexpr int kRetrieveToLeft = 107;
inline constexpr int kRetrieveToRight = 108;
inline constexpr int kResizeRight = 109;
inline constexpr int kSwap = 110;
inline constexpr int kRestoreSource = 111;
inline constexpr int kInvert = 112;
inline constexpr int kDontEraseBackground = 113;
inline constexpr int kStopNextEffect = 114;
}  // namespace script_action

/// The language line of an action's display name; none for a style code or an unknown code.
std::optional<int> ScriptActionLine(int code);

/// The script the program starts with: Pencil sketch 1, store the drawing, Pencil sketch 5, the
/// stored drawing to the left, and the merge of both.
ScriptGrid DefaultScript();

/// The ".ats" text of a grid: the number of columns, the number of rows, then every cell column by
/// column (all rows of column 0 first), one per line, each line ended by CR LF. UTF-8.
std::string WriteScriptText(const ScriptGrid& grid);

struct ScriptReadResult {
  ScriptGrid grid{0, 0};
  /// False when the text is not a script at all (its counts are missing or absurd): the grid is
  /// then empty. A script cut short is still read, as far as it goes.
  bool readable = false;
  /// Every cell the counts announce was there.
  bool complete = false;
  /// What is wrong, each naming its line of the file ("line 12: ..."); the lines concerned are
  /// kept as they were read and the interpreter skips them.
  std::vector<std::string> problems;
};

/// Reads ".ats" text (lines ended by CR LF or LF).
ScriptReadResult ReadScriptText(std::string_view text);

/// What a script run does to the pictures, told to a shell as it happens.
class ScriptObserver {
 public:
  virtual ~ScriptObserver() = default;
  /// Row `row` of the grid starts.
  virtual void LineStarted(int row) { (void)row; }
  /// A row was not run: its code or one of its numbers is not a number, or names no action or
  /// no style of this build.
  virtual void LineSkipped(int row, const std::string& reason) { (void)row, (void)reason; }
  /// The style `effectId` is selected (the window shows it in its list); codes of 100 and more
  /// without an action select "Vintage photo" and run nothing.
  virtual void StyleSelected(int effectId) { (void)effectId; }
  /// The stop percentage of the next style (100 once it has run): a shell moves its marker. Called
  /// on the thread that runs the script, before the style starts.
  virtual void StopPercentageChanged(int percent) { (void)percent; }
  /// A picture changed and becomes a history step of that kind, named as the history names it.
  virtual void HistoryStep(HistoryKind kind, const Bitmap24& picture, const std::string& name) {
    (void)kind, (void)picture, (void)name;
  }
};

/// The two panels a script works on.
struct ScriptPictures {
  Bitmap24 source;
  Bitmap24 result;
};

struct ScriptSettings {
  /// The finishing options of the drawing-parameters window: the styles of the script run without
  /// frame, texture and text, which are laid once at the end on the final picture.
  FinishingSettings finishing;
  /// The slider values a style starts from before the line's numbers are set (the values the
  /// drawing-parameters window keeps per style); factory defaults when empty.
  std::function<ParameterSet(int effectId)> storedSliders;
  /// What the styles read besides their sliders (paper colour, "x 2", the custom brush).
  StyleSettings style;
};

enum class ScriptOutcome {
  Finished,
  Stopped,  ///< stopped on request: the pictures stay as the stop left them
};

/// Runs the grid's rows in order against `pictures`. Each style line is a full-size run of that
/// style (without frame, texture and text), each picture it changes a history step; at the end the
/// finishing options, when any is on, are laid in one pass on the final picture (which a swap puts
/// on the left) and the source the script started from comes back on the left. A style stopped by
/// "Stop next effect after X%" keeps what it drew and the script goes on; a stop requested through
/// `stop` (which should also set the context's abort flag) ends the script where it is.
ScriptOutcome RunScript(const ScriptGrid& grid, ScriptPictures& pictures, const ScriptSettings& settings,
                        RunContext& context, const StopRequest& stop, ScriptObserver* observer = nullptr);

}  // namespace atelion
