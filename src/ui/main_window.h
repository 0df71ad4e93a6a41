// The main window: the photograph (source, left) and the drawing (result, right) side by side with
// a movable divider, the menus and the toolbar, the status panel with the run's progress and the
// stop-percentage marker, and the drawing-parameters window docked beside the panels. Style runs
// compute on a worker thread on copies of the pictures, so the window stays responsive; progress
// and the picture being drawn reach the window through queued calls.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "automation/script.h"
#include "core/run_context.h"
#include "document/conversion.h"
#include "document/document.h"
#include "document/settings_file.h"
#include "effects/run_pipeline.h"
#include "styles/painting/stroke_history.h"
#include "ui/icons.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;

namespace atelion {

class FrameWindow;
class FullScreenView;
class HdPaintingWindow;
class PanelArea;
class PrintWindow;
class ParametersWindow;
class PicturePanel;
class StatusPanel;
class WindowProgressSink;
class BatchWindow;
class BrushMode;
class ScriptWindow;
class TextWindow;
class SourceModificationsWindow;
class ResizeWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  /// Stops a run that is under way and waits for its thread.
  ~MainWindow() override;

  /// Loads a picture file as the new source; the result becomes a copy of it (two history steps,
  /// the result unnamed) and both are shown at 100 %. Refused during a run; false, after telling
  /// the user, when the file cannot be read.
  bool OpenPicture(const QString& path);
  /// Makes `picture` the source, named `displayName`, and records it as a history step.
  void SetSourcePicture(Bitmap24 picture, const std::string& displayName);
  /// Makes `picture` both the source and the result (a picture fetched from a web address):
  /// two history steps, source then result, and the result is unnamed.
  void SetSourceAndResult(Bitmap24 picture, const std::string& displayName);

  /// "Draw!": runs the chosen style on copies of the pictures on the worker thread. False when a
  /// run is already under way (it goes on undisturbed) or the style is not available. While a
  /// preview computes, the preview is stopped and the run starts as soon as it has ended.
  bool StartDrawing();
  bool Running() const { return running_; }
  /// The cancel command (Esc, the run menu, the toolbar): asks whether to stop the run. On OK the
  /// run stops at its next check and keeps what it drew; on Cancel it goes on and the
  /// stop-percentage marker goes back to 100 %.
  void RequestCancel();

  /// Undo and redo of the toolbar and the Edit menu (nothing during a run); both reset the preview
  /// crop of the drawing-parameters window.
  void Undo();
  void Redo();
  /// Exchanges source and result (two history steps); nothing during a run.
  void SwapImages();

  /// The main zoom in percent, applied to both panels.
  int Zoom() const { return zoom_; }
  /// Sets the main zoom (limited to 5..1000); nothing during a run, which shows 100 %.
  void SetZoom(int zoom);

  /// The End key: "Long filenames ON" or "OFF" for the proposed save names; nothing during a run.
  void ToggleLongFilenames();

  Document& CurrentDocument() { return document_; }
  /// The values the settings file keeps (folders, window bounds, options); read at start-up and
  /// written when the window closes by the session code, read and changed by the window.
  Settings& StoredSettings() { return settings_; }
  ParametersWindow* Parameters() const { return parameters_; }
  /// The run context of full-size runs; its random generator is seeded at start-up. Touch it only
  /// while no run is under way.
  RunContext& Context() { return context_; }
  /// Replaces the question asked before a run is stopped (tests answer it themselves); it
  /// receives the question's text in the current language.
  void SetCancelQuestion(std::function<bool(const QString&)> question) { cancelQuestion_ = std::move(question); }

  /// The source edits. Quarter turns of both pictures (R clockwise, L counter-clockwise), inverting
  /// both (Ctrl+I), automatic contrast and sharpening of the photograph (Ctrl+A); each records
  /// history steps. Nothing during a run or while a crop is armed.
  void RotateRight();
  void RotateLeft();
  void InvertColors();
  void AutomaticContrast();
  /// "Crop to selection": the next drag on the photograph selects a rectangle, shown brightened,
  /// and on release the crop question decides. Other runs and edits wait until then.
  void StartCrop();
  bool CropArmed() const { return cropMode_; }
  /// Replaces the crop question (tests answer it themselves).
  void SetCropQuestion(std::function<bool(const QString&)> question) { cropQuestion_ = std::move(question); }
  /// The drawing to the clipboard (Ctrl+C); a picture from the clipboard as the photograph (Ctrl+V).
  void CopyDrawing();
  void PastePicture();
  /// The drawing as the desktop background (Ctrl+W).
  void SetAsWallpaper();
  /// The print window for the drawing (Ctrl+P).
  void ShowPrintWindow();
  PrintWindow* PrintPreview() const { return printWindow_; }
  /// "Batch processing..." and "Script": their windows, made when first asked for.
  void ShowBatchWindow();
  void ShowScriptWindow();
  BatchWindow* Batch() const { return batchWindow_; }
  /// "Modify source image" and "Resize source image..." (Ctrl+R): their tool windows, made when
  /// first asked for; nothing during a run or while a crop is armed.
  void ShowSourceModifications();
  void ShowResizeWindow();
  SourceModificationsWindow* SourceModifications() const { return modifyWindow_; }
  ResizeWindow* ResizeSource() const { return resizeWindow_; }
  ScriptWindow* Script() const { return scriptWindow_; }
  /// The manual brush: painting the chosen style onto parts of the drawing.
  BrushMode* ManualBrush() const { return brushMode_; }
  /// What Atelion is and what it is built with; the online help after asking (F1).
  void ShowAbout();
  static QString ProgramVersionText();
  void ShowOnlineHelp();
  /// The full-screen view of the photograph or of the drawing (a double-click on its panel).
  void ShowFullScreen(bool source);
  FullScreenView* FullScreen() const { return fullScreen_; }

  /// The frame window (the frame pictogram of the drawing-parameters window, which it checks) and
  /// the text window ("Add text"), made when first asked for; nothing during a run.
  void ShowFrameWindow();
  void ShowTextWindow();
  FrameWindow* FrameTool() const { return frameWindow_; }
  TextWindow* TextTool() const { return textWindow_; }
  PicturePanel* ResultPanel() const { return resultPanel_; }

  /// The style, its sliders and the finishing options the drawing-parameters window shows, as a
  /// conversion for other pictures (the batch window's); none, after telling the user, when the
  /// chosen texture cannot be read.
  std::optional<ConversionJob> CurrentConversion();
  /// The style settings and finishing options of the drawing-parameters window, and the slider
  /// values it keeps for each style (what a script starts a style line from).
  ScriptSettings CurrentScriptSettings();
  /// Runs `work` on the worker thread as a run of the window (a batch, a script): the commands
  /// rest as during "Draw!", and Esc asks "Do you really wish to stop the process?" and then calls
  /// `stop` and sets the abort flag. `done` follows on the window's thread when the work has
  /// ended. False when a run is under way.
  bool StartWork(std::function<void(RunContext&)> work, std::function<void()> done, std::function<void()> stop);
  /// The status line during such work: the progress bar at `percent` and `text` beside it.
  void ShowWorkProgress(int percent, const QString& text);
  /// Stops the work under way without asking (the Cancel button of its window).
  void StopWork();
  /// A history step made by a script: the picture becomes the source or the result, with its name.
  void RecordScriptStep(HistoryKind kind, Bitmap24 picture, const std::string& name);
  /// Shows the document's pictures again after a script.
  void ShowScriptPictures() { RefreshView(true); }
  /// Moves the stop-percentage marker (a script's "Stop next effect after X%"); any thread.
  void SetStopMarker(int percent);

  /// The strokes of the Painting 4 runs since the last one that started afresh; opening another
  /// picture empties them.
  const StrokeHistory& Strokes() const { return strokeHistory_; }
  /// The HD painting window for those strokes (nothing during a run or without strokes).
  void ShowHdPainting();
  HdPaintingWindow* HdPainting() const { return hdWindow_; }
  /// Repaints the strokes at `percent` % of the photograph's size on the worker thread; the
  /// result, also of a stopped repainting, becomes one history step. False when refused.
  bool StartHdReplay(int percent);
  /// Writes the strokes as an SVG file of the photograph's size.
  Status SaveStrokeSvg(const std::filesystem::path& path) const;

  /// Shows every open window in the language `identifier` at once (the Language menu's entry is
  /// checked, Arabic turns the window right to left) and keeps it for the settings file. Pictures,
  /// parameters and history stay as they are. False, with a notice, when its table cannot be read.
  bool ApplyLanguage(const std::string& identifier);

 signals:
  /// A run ended and its result, if any, is in the document.
  void runFinished(atelion::RunOutcome outcome);
  /// "Check for update" was chosen from the menu.
  void updateCheckRequested();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class WindowProgressSink;
  friend class BrushMode;

  QAction* MakeAction(int textLine, const QKeySequence& shortcut, void (MainWindow::*slot)());
  void BuildActions();
  void BuildMenus();
  void BuildLanguageMenu();
  void CheckLanguageEntry(const std::string& identifier);
  void BuildToolBar();
  void BuildZoomField(QToolBar* toolBar);
  QToolButton* ZoomStepButton(ToolIcon icon, const char* name, int line, bool zoomIn);
  void RotateBy(int angle);
  /// After a source edit: the pictures, sizes and texts shown again, the preview crop reset.
  void ShowEditedPictures(const Status& edited);
  void CropPress(QPoint globalPosition);
  void CropMove(QPoint globalPosition);
  void CropRelease();
  /// Zoom stepping while a zoom button or numpad key is held.
  void StartZoomStepping(bool zoomIn, int intervalMs);
  void StopZoomStepping(bool resetCount);
  void ZoomStepTick();
  void ConnectPanels();
  /// The frame and text pictograms and the "Add text" command open their windows.
  void ConnectFinishingWindows();
  void OpenStartPicture();
  bool LoadPicture(const QString& path, const std::string& displayName);
  /// The new source and its history step, without refreshing the view.
  void StoreSource(Bitmap24 picture, const std::string& displayName);
  void ChooseAndOpenPicture();
  void ChooseAndSaveDrawing();
  void SaveRunPicture();
  void SaveWithDialog(const Bitmap24& picture, const QString& proposedName);
  /// "Drawing parameters..." (F10): shows the window; nothing during a run.
  void ShowParameters();
  /// Shows the drawing-parameters window, also during a run (after a confirmed cancel).
  void RevealParameters();
  void FinishRun(RunOutcome outcome, RunPictures pictures, QString styleName);
  void FinishWork(const std::function<void()>& done);
  void ShowRunPicture(QImage picture);
  void ShowRunState(bool running);
  /// "Load parameters" with Ctrl held named the pictures of a saved drawing: the result file is
  /// opened, then the source file, then one undo brings that result back beside the source.
  void OpenNamedPictures(const QString& source, const QString& result);
  /// Shows the document's pictures and texts; `centre` puts both images in the middle of their panels.
  void RefreshView(bool centre);
  void ApplyZoomToPanels(int zoom);
  void FitView();
  void ShowZoomField();
  void AcceptZoomField();
  void HideZoomField();
  void StartPan(QPoint globalPosition);
  void ContinuePan(QPoint globalPosition);
  void EndPan();
  void GlideTick();
  void WheelZoom(int notches);
  void ShowError(const QString& message);
  void ShowCentredMessage(const QString& message);
  bool AskToStop();
  /// Closes the stop question when it is open, as a Cancel would.
  void CloseStopQuestion();
  bool AskToOverwrite(const QString& path);
  void JoinWorker();
  void SaveStrokeSvgWithDialog();
  /// A new picture: the strokes of the previous one are gone, and so are their pictograms.
  void ForgetStrokes();

  Document document_;
  Settings settings_;
  RunContext context_;
  std::unique_ptr<WindowProgressSink> progressSink_;
  std::thread worker_;
  std::atomic<bool> workerDone_{true};
  std::atomic<bool> closing_{false};
  bool running_ = false;
  bool drawPending_ = false;  ///< "Draw!" waits for the preview to give way
  std::function<bool(const QString&)> cancelQuestion_;
  std::function<void()> workStop_;  ///< stops the batch or script under way
  QPointer<QMessageBox> stopQuestion_;  ///< the open stop question, if any
  std::function<bool(const QString&)> cropQuestion_;

  bool cropMode_ = false;
  bool cropDragging_ = false;
  Point cropAnchor_;
  Point cropEnd_;
  QTimer zoomStepTimer_;
  bool zoomStepIn_ = false;
  int zoomStepCount_ = 1;
  bool zoomKeyHeld_ = false;
  FullScreenView* fullScreen_ = nullptr;
  bool fullScreenShown_ = false;  ///< until 300 ms after the view closed, presses on the panels are ignored
  PrintWindow* printWindow_ = nullptr;
  BatchWindow* batchWindow_ = nullptr;
  ScriptWindow* scriptWindow_ = nullptr;
  FrameWindow* frameWindow_ = nullptr;
  TextWindow* textWindow_ = nullptr;
  SourceModificationsWindow* modifyWindow_ = nullptr;
  ResizeWindow* resizeWindow_ = nullptr;
  HdPaintingWindow* hdWindow_ = nullptr;
  StrokeHistory strokeHistory_;
  bool strokeRun_ = false;  ///< the run under way records Painting 4's strokes
  BrushMode* brushMode_ = nullptr;
  /// Where the last run's frame put the photograph, and the size of the drawing it framed: the
  /// manual brush maps its marks back to the photograph with it while the drawing keeps that size.
  struct FramedPlacement {
    Point offset;
    int margin = 0;
    int width = 0;
    int height = 0;
  } framedPlacement_;

  int zoom_ = kStartZoom;
  int zoomBeforeRun_ = kStartZoom;
  bool fittedAtStart_ = false;
  bool fitted_ = false;  ///< the zoom is the one that fits the pictures (kept when the window resizes)
  PanState pan_;
  QTimer glideTimer_;
  QString lastSaveFolder_;
  std::string sourcePath_;  ///< the file the source was opened from, empty when it has none

  PicturePanel* sourcePanel_ = nullptr;
  PicturePanel* resultPanel_ = nullptr;
  PanelArea* panelArea_ = nullptr;
  StatusPanel* statusPanel_ = nullptr;
  ParametersWindow* parameters_ = nullptr;
  QLabel* noticePopup_ = nullptr;
  QTimer noticeTimer_;
  QToolButton* zoomButton_ = nullptr;
  QLineEdit* zoomEdit_ = nullptr;

  QMenu* fileMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QMenu* languageMenu_ = nullptr;
  QAction* openAction_ = nullptr;
  QAction* saveAction_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* swapAction_ = nullptr;
  QAction* parametersAction_ = nullptr;
  QAction* cancelAction_ = nullptr;
  QAction* longFilenamesAction_ = nullptr;
  QAction* rotateRightAction_ = nullptr;
  QAction* rotateLeftAction_ = nullptr;
  QAction* cropAction_ = nullptr;
  QAction* invertAction_ = nullptr;
  QAction* autoContrastAction_ = nullptr;
  QAction* copyAction_ = nullptr;
  QAction* pasteAction_ = nullptr;
  QAction* wallpaperAction_ = nullptr;
  QAction* printAction_ = nullptr;
  QAction* aboutAction_ = nullptr;
  QAction* batchAction_ = nullptr;
  QAction* scriptAction_ = nullptr;
  QAction* modifyAction_ = nullptr;
  QAction* resizeAction_ = nullptr;
  QAction* helpAction_ = nullptr;
  // The run menu that replaces the normal menus while a style runs.
  QAction* runCancelAction_ = nullptr;
  QAction* runSaveAction_ = nullptr;
};

/// The dark look of the whole program: palette and style sheet for the application.
void ApplyDarkTheme();

}  // namespace atelion
