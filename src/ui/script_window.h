// The script window: a grid of picture operations (styles with their slider values, store and
// retrieve, resize, turn, invert, swap, stop marker) that runs against the two panels of the main
// window, on its worker thread; scripts are kept in ".ats" files.
#pragma once

#include <QDialog>
#include <functional>

#include "automation/script.h"

class QMenu;
class QMenuBar;
class QPushButton;
class QTableWidget;

namespace atelion {

class MainWindow;

class ScriptWindow : public QDialog {
  Q_OBJECT
 public:
  ScriptWindow(MainWindow& main, QWidget* parent = nullptr);

  /// The grid shown, header row included.
  const ScriptGrid& Grid() const { return grid_; }
  void SetGrid(ScriptGrid grid);
  /// Loads an ".ats" file; its problems are told (each with its line) and the lines concerned are
  /// kept as read. False when the file is not a script at all.
  bool LoadScript(const QString& path);
  bool SaveScript(const QString& path);
  /// "New script": every line emptied, after asking.
  void NewScript();
  /// Fills line `row` with an action (its code and name; the numbers it needs are asked for).
  void FillLine(int row, int code);
  /// "Add current effect": the style and visible slider values of the drawing-parameters window
  /// into line `row`; the selection moves one line down.
  void AddCurrentEffect(int row);
  void InsertLine(int row);
  void DeleteLine(int row);
  /// "Run script": runs the grid on the main window's worker thread. False when a run is under way.
  bool Run();
  bool Running() const { return running_; }

  QTableWidget* Table() const { return table_; }
  QPushButton* RunButton() const { return run_; }
  /// Replaces the question and message boxes and the size questions, for tests.
  void SetDialogs(std::function<bool(const QString&)> ask, std::function<void(const QString&)> tell,
                  std::function<std::optional<int>(const QString&, int)> number);

 signals:
  /// A run ended (finished or stopped); its steps are in the main window's history.
  void scriptFinished(atelion::ScriptOutcome outcome);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildMenu();
  void ShowGrid();
  void CellClicked(int tableRow, int column);
  void CellEdited(int tableRow, int column);
  void ShowActionMenu(int row, QPoint globalPosition);
  /// A style line's numbers into the drawing-parameters window.
  void ShowLineInParameters(int row);
  bool Ask(const QString& question);
  void Tell(const QString& message);
  std::optional<int> AskNumber(const QString& prompt, int proposal);

  MainWindow& main_;
  ScriptGrid grid_ = DefaultScript();
  QMenuBar* menu_ = nullptr;
  QTableWidget* table_ = nullptr;
  QPushButton* run_ = nullptr;
  bool showing_ = false;  ///< the table is being filled from the grid
  bool running_ = false;
  std::function<bool(const QString&)> ask_;
  std::function<void(const QString&)> tell_;
  std::function<std::optional<int>(const QString&, int)> number_;
};

}  // namespace atelion
