// The main window: the photograph (source, left) and the drawing (result, right) side by side,
// the menus, the status bar with the run's progress, and the drawing-parameters window docked
// beside the panels. Style runs compute on a worker thread on copies of the pictures, so the
// window stays responsive; progress reaches the status bar through queued calls.
#pragma once

#include <QMainWindow>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "core/run_context.h"
#include "document/document.h"
#include "document/settings_file.h"
#include "effects/run_pipeline.h"

class QAction;
class QLabel;
class QProgressBar;

namespace atelion {

class ParametersWindow;
class PicturePanel;
class WindowProgressSink;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  /// Stops a run that is under way and waits for its thread.
  ~MainWindow() override;

  /// Opens a picture file as the new source (one history step). False, after telling the user,
  /// when the file cannot be read.
  bool OpenPicture(const QString& path);
  /// Makes `picture` the source, named `displayName`, and records it as a history step.
  void SetSourcePicture(Bitmap24 picture, const std::string& displayName);
  /// Makes `picture` both the source and the result (a picture fetched from a web address):
  /// two history steps, source then result, and the result is unnamed.
  void SetSourceAndResult(Bitmap24 picture, const std::string& displayName);

  /// "Draw!": runs the chosen style on copies of the pictures on the worker thread. False when a
  /// run is already under way (it goes on undisturbed) or the style is not available.
  bool StartDrawing();
  bool Running() const { return running_; }
  /// Esc: asks whether to stop the run; on OK the run stops at its next check and keeps what it drew.
  void RequestCancel();

  void Undo();
  void Redo();

  Document& CurrentDocument() { return document_; }
  /// The values the settings file keeps (folders, window bounds, options); read at start-up and
  /// written when the window closes by the session code, read and changed by the window.
  Settings& StoredSettings() { return settings_; }
  ParametersWindow* Parameters() const { return parameters_; }
  /// Replaces the question asked before a run is stopped (tests answer it themselves).
  void SetCancelQuestion(std::function<bool()> question) { cancelQuestion_ = std::move(question); }

 signals:
  /// A run ended and its result, if any, is in the document.
  void runFinished(atelion::RunOutcome outcome);

 private:
  friend class WindowProgressSink;

  void BuildMenus();
  void BuildStatusBar();
  void OpenStartPicture();
  void ChooseAndOpenPicture();
  void ChooseAndSaveDrawing();
  void FinishRun(RunOutcome outcome, RunPictures pictures, QString styleName);
  void ShowProgress(int percent);
  void ShowRunState(bool running);
  void RefreshView();
  void ShowError(const QString& message);
  bool AskToStop();
  void JoinWorker();

  Document document_;
  Settings settings_;
  RunContext context_;
  std::unique_ptr<WindowProgressSink> progressSink_;
  std::thread worker_;
  std::atomic<bool> workerDone_{true};
  std::atomic<bool> closing_{false};
  bool running_ = false;
  std::function<bool()> cancelQuestion_;

  PicturePanel* sourcePanel_ = nullptr;
  PicturePanel* resultPanel_ = nullptr;
  ParametersWindow* parameters_ = nullptr;
  QAction* openAction_ = nullptr;
  QAction* saveAction_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* cancelAction_ = nullptr;
  QLabel* sourceStatus_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* percentLabel_ = nullptr;
  QLabel* styleStatus_ = nullptr;
};

/// The dark look of the whole program: palette and style sheet for the application.
void ApplyDarkTheme();

}  // namespace atelion
