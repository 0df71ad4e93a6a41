// The batch window: a list of photographs, an output folder and "Overwrite existing files"; "Process"
// converts every photograph with the style, sliders and finishing the drawing-parameters window
// shows, on the main window's worker thread, and names each result after its photograph
// ("beach.jpg" → "beach_Atelion.jpg").
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "automation/batch.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace atelion {

class MainWindow;

class BatchWindow : public QDialog {
  Q_OBJECT
 public:
  BatchWindow(MainWindow& main, QWidget* parent = nullptr);

  /// Adds photographs to the end of the list; the output folder becomes the first one's folder
  /// when it is empty.
  void AddFiles(const QStringList& paths);
  QStringList Files() const;
  void SetOutputFolder(const QString& folder);
  QString OutputFolder() const;
  /// "Process": converts the list. The window closes when the batch is done; a photograph that
  /// cannot be read or written ends the batch with its message.
  void Process();
  /// "Cancel": stops the batch (the photograph under way is not written), empties the list and
  /// closes the window a second later.
  void Cancel();
  bool Processing() const { return processing_; }

  QListWidget* List() const { return list_; }
  QCheckBox* OverwriteBox() const { return overwrite_; }
  QPushButton* ProcessButton() const { return process_; }
  QPushButton* CancelButton() const { return cancel_; }
  QLabel* StatusLabel() const { return status_; }
  /// Replaces the message boxes of a failure, for tests.
  void SetMessenger(std::function<void(const QString&)> messenger) { messenger_ = std::move(messenger); }

 signals:
  /// The batch ended; the summary says how each photograph went.
  void finished(const atelion::BatchSummary& summary);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ChooseFiles();
  void ChooseFolder();
  void CheckFolder();
  void Finish(const BatchSummary& summary);

  MainWindow& main_;
  QListWidget* list_ = nullptr;
  QLineEdit* folder_ = nullptr;
  QCheckBox* overwrite_ = nullptr;
  QPushButton* process_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* status_ = nullptr;
  QTimer closeTimer_;
  bool processing_ = false;
  std::shared_ptr<StopRequest> stop_;
  std::function<void(const QString&)> messenger_;
};

}  // namespace atelion
