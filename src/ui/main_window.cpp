#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QStyleFactory>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdlib>

#include "core/resources.h"
#include "styles/style_list.h"
#include "document/save_names.h"
#include "i18n/language_table.h"
#include "i18n/languages.h"
#include "document/source_edits.h"
#include "document/update_check.h"
#include "ui/batch_window.h"
#include "ui/brush_mode.h"
#include "ui/full_screen_view.h"
#include "ui/icons.h"
#include "ui/interface_texts.h"
#include "ui/panel_area.h"
#include "ui/live_preview.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"
#include "ui/print_window.h"
#include "ui/resize_window.h"
#include "ui/script_window.h"
#include "ui/source_modifications_window.h"
#include "ui/status_panel.h"
#include "ui/wallpaper.h"

namespace atelion {
namespace {

// Lines of the language table the window shows.
constexpr int kFileMenuLine = 0;
constexpr int kOpenLine = 1;
constexpr int kSaveAsLine = 2;
constexpr int kWallpaperLine = 3;
constexpr int kPrintLine = 4;
constexpr int kQuitLine = 5;
constexpr int kChangeLanguageLine = 6;
constexpr int kEditMenuLine = 7;
constexpr int kRotateRightLine = 10;
constexpr int kRotateLeftLine = 11;
constexpr int kCopyLine = 14;
constexpr int kPasteLine = 15;
constexpr int kAutoContrastLine = 17;
constexpr int kResizeSourceLine = 9;
constexpr int kModifySourceLine = 16;
constexpr int kCropLine = 28;
constexpr int kZoomOutLine = 30;
constexpr int kZoomActualLine = 31;
constexpr int kZoomInLine = 32;
constexpr int kCropQuestionLine = 167;
constexpr int kInvertLine = 236;
// Zoom stepping: a held toolbar button ticks every 10 ms, a held numpad key every 25 ms.
constexpr int kZoomButtonTickMs = 10;
constexpr int kZoomKeyTickMs = 25;
// After the full-screen view closes, presses on the panels wait this long (the closing click).
constexpr int kFullScreenGuardMs = 300;
constexpr int kUndoLine = 12;
constexpr int kRedoLine = 13;
constexpr int kInterruptLine = 18;
constexpr int kParametersLine = 20;
constexpr int kOverwriteQuestionLine = 166;
constexpr int kStopQuestionLine = 168;
constexpr int kSwapLine = 217;
// How often "Draw!" looks again whether the preview has finished giving way.
constexpr int kDrawRetryMs = 20;
constexpr int kBatchLine = 19;
constexpr int kScriptLine = 208;
constexpr int kHelpMenuLine = 22;
constexpr int kAboutLine = 23;
constexpr int kOnlineHelpLine = 24;
constexpr int kOnlineHelpQuestionLine = 25;
// Where the online help lives; the question above names the same address.
constexpr char kOnlineHelpAddress[] = "https://www.atelion.example";
constexpr int kFullScreenHintLine = 26;
constexpr int kCheckForUpdateLine = 180;


// How long a notice stays in the status panel, and the End key's message on the screen.
constexpr int kNoticeMs = 8000;
constexpr int kCentredMessageMs = 1500;
// Room kept free around a picture that is fitted into its panel.
constexpr int kFitMargin = 12;

// The save dialog's filters, in the order of the formats they write.
const QStringList kSaveFilters{"JPG Image files (*.jpg *.jpeg)", "PNG Image files (*.png)", "BMP Image files (*.bmp)"};
constexpr ImageFormat kSaveFormats[] = {ImageFormat::Jpeg, ImageFormat::Png, ImageFormat::Bmp};

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

// Forwards what the worker thread reports to the window's thread. Every call is queued except
// the stop question, which the worker must wait for. The stop percentage is the one value the
// window changes while a run reads it: the window writes it into an atomic, and the worker copies
// it into its run context at each report, just before the context compares the shown percentage
// with it.
class WindowProgressSink : public ProgressSink {
 public:
  explicit WindowProgressSink(MainWindow* window) : window_(window) {}

  /// Window thread: the marker moved.
  void SetStopPercentage(int percent) { stopPercentage_ = percent; }
  /// Window thread: the run waits at its next report or check until `Resume` (while the stop
  /// question is open, so nothing is drawn behind it).
  void Pause() {
    std::lock_guard lock(pauseMutex_);
    paused_ = true;
  }
  void Resume() {
    {
      std::lock_guard lock(pauseMutex_);
      paused_ = false;
    }
    pauseChanged_.notify_all();
  }
  /// Worker thread: the pictures of the run now computing (nullptr when it is over), whose result
  /// is shown from time to time while the style draws into it.
  void WatchPictures(const RunPictures* pictures) {
    pictures_ = pictures;
    output_ = nullptr;
    lastPercent_ = -1;
    lastPicture_ = {};
  }

  void RunStarted() override {
    SyncStopPercentage();
    lastPercent_ = 0;
    Queue([w = window_] { w->statusPanel_->StartRun(); });
    SendPicture(true);
  }
  void ShowProgress(int percent, Colour barColour) override {
    WaitWhilePaused();
    SyncStopPercentage();
    // Styles report every row or stroke batch; the window needs to hear only of a new percentage.
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    Queue([w = window_, percent, barColour] { w->statusPanel_->ShowProgress(percent, barColour); });
    SendPicture(false);
  }
  void RunFinished() override {
    lastPercent_ = -1;
    Queue([w = window_] { w->statusPanel_->FinishRun(); });
  }
  bool ConfirmCancel() override {
    // The window is going away and waits for this thread: stop without asking.
    if (window_->closing_) return true;
    bool confirmed = true;
    QMetaObject::invokeMethod(window_, [&confirmed, w = window_] { confirmed = w->AskToStop(); },
                              Qt::BlockingQueuedConnection);
    return confirmed;
  }
  void CancelConfirmed() override {
    Queue([w = window_] { w->RevealParameters(); });
  }
  void StopMarkerReset() override {
    stopPercentage_ = 100;
    Queue([w = window_] { w->statusPanel_->SetStopPercentage(100); });
  }

 private:
  // The picture being drawn is sent at most this often: copying a large picture costs time.
  static constexpr std::chrono::milliseconds kPictureInterval{400};

  void PumpEvents() override { WaitWhilePaused(); }
  void WaitWhilePaused() {
    std::unique_lock lock(pauseMutex_);
    pauseChanged_.wait(lock, [this] { return !paused_; });
  }

  template <typename Call>
  void Queue(Call call) {
    QMetaObject::invokeMethod(window_, std::move(call), Qt::QueuedConnection);
  }
  void SyncStopPercentage() { window_->context_.StopPercentage = stopPercentage_.load(); }
  void WatchOutput(const Bitmap24* output) override { output_ = output; }

  void SendPicture(bool first) {
    if (pictures_ == nullptr) return;
    // A style that draws into its own picture shows that one; the others draw into the result.
    const Bitmap24& drawing = output_ != nullptr ? *output_ : pictures_->result;
    if (drawing.Width() == 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (!first && now - lastPicture_ < kPictureInterval) return;
    lastPicture_ = now;
    // Converted here, so the window only has to draw it.
    Queue([w = window_, image = ToQImage(drawing)]() mutable { w->ShowRunPicture(std::move(image)); });
  }

  MainWindow* window_;
  std::atomic<int> stopPercentage_{100};
  std::mutex pauseMutex_;
  std::condition_variable pauseChanged_;
  bool paused_ = false;
  // Worker thread only:
  const RunPictures* pictures_ = nullptr;
  const Bitmap24* output_ = nullptr;
  int lastPercent_ = -1;
  std::chrono::steady_clock::time_point lastPicture_{};
};

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), progressSink_(std::make_unique<WindowProgressSink>(this)) {
  qRegisterMetaType<atelion::RunOutcome>("atelion::RunOutcome");
  setWindowTitle("Atelion");
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);
  context_.Progress = progressSink_.get();

  sourcePanel_ = new PicturePanel(true);
  sourcePanel_->setObjectName("sourcePanel");
  resultPanel_ = new PicturePanel(false);
  resultPanel_->setObjectName("resultPanel");
  BindLine(resultPanel_, kFullScreenHintLine, [panel = resultPanel_](const QString& text) { panel->setToolTip(text); });
  panelArea_ = new PanelArea(sourcePanel_, resultPanel_);
  panelArea_->setObjectName("panelArea");
  setCentralWidget(panelArea_);

  statusPanel_ = new StatusPanel;
  statusPanel_->setObjectName("statusPanel");
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addWidget(statusPanel_, 1);
  connect(statusPanel_, &StatusPanel::stopPercentageChanged, this,
          [this](int percent) { progressSink_->SetStopPercentage(percent); });

  parameters_ = new ParametersWindow(this);
  addDockWidget(Qt::RightDockWidgetArea, parameters_);
  connect(parameters_, &ParametersWindow::drawRequested, this, &MainWindow::StartDrawing);
  connect(parameters_, &ParametersWindow::imagesNamedInParameters, this, &MainWindow::OpenNamedPictures);
  connect(parameters_, &ParametersWindow::hdPaintingRequested, this, &MainWindow::ShowHdPainting);
  connect(parameters_, &ParametersWindow::strokeSvgRequested, this, &MainWindow::SaveStrokeSvgWithDialog);

  noticePopup_ = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
  noticePopup_->setObjectName("noticePopup");
  noticePopup_->setAlignment(Qt::AlignCenter);
  noticeTimer_.setSingleShot(true);
  connect(&noticeTimer_, &QTimer::timeout, noticePopup_, &QWidget::hide);

  connect(&zoomStepTimer_, &QTimer::timeout, this, &MainWindow::ZoomStepTick);
  glideTimer_.setInterval(PanState::kGlideTickMs);
  connect(&glideTimer_, &QTimer::timeout, this, &MainWindow::GlideTick);

  brushMode_ = new BrushMode(*this);
  connect(parameters_, &ParametersWindow::manualBrushRequested, brushMode_, &BrushMode::Toggle);
  BuildActions();
  BuildMenus();
  BuildToolBar();
  ConnectPanels();
  ConnectFinishingWindows();
  OpenStartPicture();
  resize(1280, 760);
  panelArea_->setFocus();
}

MainWindow::~MainWindow() {
  closing_ = true;
  if (workStop_) workStop_();
  context_.AbortRequested = true;
  progressSink_->Resume();
  // The worker may be waiting on a queued call into this thread: keep serving events until it ends.
  while (!workerDone_) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  JoinWorker();
}

QAction* MainWindow::MakeAction(int textLine, const QKeySequence& shortcut, void (MainWindow::*slot)()) {
  auto* action = new QAction(this);
  // A menu shows the shortcut beside the entry, so a key named in the text itself ("(ESC)") goes.
  BindLine(action, textLine, [action, keyed = !shortcut.isEmpty()](const QString& text) {
    action->setText(keyed ? QString(text).remove(QRegularExpression("\\s*\\((ESC|Esc|Échap|Escape)\\)")) : text);
  });
  action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, slot);
  // Held by the window itself, so the shortcut works while the menus are replaced by the run menu.
  addAction(action);
  return action;
}

void MainWindow::BuildActions() {
  openAction_ = MakeAction(kOpenLine, QKeySequence(Qt::CTRL | Qt::Key_O), &MainWindow::ChooseAndOpenPicture);
  openAction_->setIcon(DrawToolIcon(ToolIcon::Open));
  saveAction_ = MakeAction(kSaveAsLine, QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::ChooseAndSaveDrawing);
  saveAction_->setIcon(DrawToolIcon(ToolIcon::Save));
  undoAction_ = MakeAction(kUndoLine, QKeySequence(Qt::CTRL | Qt::Key_Z), &MainWindow::Undo);
  undoAction_->setIcon(DrawToolIcon(ToolIcon::Undo));
  redoAction_ = MakeAction(kRedoLine, QKeySequence(Qt::CTRL | Qt::Key_Y), &MainWindow::Redo);
  redoAction_->setIcon(DrawToolIcon(ToolIcon::Redo));
  swapAction_ = MakeAction(kSwapLine, QKeySequence(), &MainWindow::SwapImages);
  swapAction_->setIcon(DrawToolIcon(ToolIcon::Swap));
  parametersAction_ = MakeAction(kParametersLine, QKeySequence(Qt::Key_F10), &MainWindow::ShowParameters);
  parametersAction_->setIcon(DrawToolIcon(ToolIcon::Parameters));
  cancelAction_ = MakeAction(kInterruptLine, QKeySequence(Qt::Key_Escape), &MainWindow::RequestCancel);
  cancelAction_->setIcon(DrawToolIcon(ToolIcon::Cancel));
  cancelAction_->setEnabled(false);
  rotateRightAction_ = MakeAction(kRotateRightLine, QKeySequence(Qt::Key_R), &MainWindow::RotateRight);
  rotateLeftAction_ = MakeAction(kRotateLeftLine, QKeySequence(Qt::Key_L), &MainWindow::RotateLeft);
  cropAction_ = MakeAction(kCropLine, QKeySequence(), &MainWindow::StartCrop);
  cropAction_->setIcon(DrawToolIcon(ToolIcon::Crop));
  invertAction_ = MakeAction(kInvertLine, QKeySequence(Qt::CTRL | Qt::Key_I), &MainWindow::InvertColors);
  autoContrastAction_ = MakeAction(kAutoContrastLine, QKeySequence(Qt::CTRL | Qt::Key_A), &MainWindow::AutomaticContrast);
  resizeAction_ = MakeAction(kResizeSourceLine, QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::ShowResizeWindow);
  modifyAction_ = MakeAction(kModifySourceLine, QKeySequence(), &MainWindow::ShowSourceModifications);
  copyAction_ = MakeAction(kCopyLine, QKeySequence(Qt::CTRL | Qt::Key_C), &MainWindow::CopyDrawing);
  copyAction_->setIcon(DrawToolIcon(ToolIcon::Copy));
  pasteAction_ = MakeAction(kPasteLine, QKeySequence(Qt::CTRL | Qt::Key_V), &MainWindow::PastePicture);
  pasteAction_->setIcon(DrawToolIcon(ToolIcon::Paste));
  wallpaperAction_ = MakeAction(kWallpaperLine, QKeySequence(Qt::CTRL | Qt::Key_W), &MainWindow::SetAsWallpaper);
  printAction_ = MakeAction(kPrintLine, QKeySequence(Qt::CTRL | Qt::Key_P), &MainWindow::ShowPrintWindow);
  printAction_->setIcon(DrawToolIcon(ToolIcon::Print));
  batchAction_ = MakeAction(kBatchLine, QKeySequence(Qt::CTRL | Qt::Key_B), &MainWindow::ShowBatchWindow);
  scriptAction_ = MakeAction(kScriptLine, QKeySequence(), &MainWindow::ShowScriptWindow);
  aboutAction_ = MakeAction(kAboutLine, QKeySequence(), &MainWindow::ShowAbout);
  aboutAction_->setIcon(DrawToolIcon(ToolIcon::About));
  helpAction_ = MakeAction(kOnlineHelpLine, QKeySequence(Qt::Key_F1), &MainWindow::ShowOnlineHelp);
  helpAction_->setIcon(DrawToolIcon(ToolIcon::Help));
  longFilenamesAction_ = new QAction(this);
  longFilenamesAction_->setShortcut(QKeySequence(Qt::Key_End));
  connect(longFilenamesAction_, &QAction::triggered, this, &MainWindow::ToggleLongFilenames);
  addAction(longFilenamesAction_);
}

namespace {

QMenu* AddMenu(QMenuBar* bar, int line) {
  QMenu* menu = bar->addMenu(QString());
  BindLine(menu, line, [menu](const QString& text) { menu->setTitle(text); });
  return menu;
}

template <typename Receiver, typename Slot>
QAction* AddAction(QWidget* holder, int line, Receiver* receiver, Slot slot) {
  QAction* action = new QAction(holder);
  holder->addAction(action);
  QObject::connect(action, &QAction::triggered, receiver, slot);
  BindLine(action, line, [action](const QString& text) { action->setText(text); });
  return action;
}

}  // namespace

void MainWindow::BuildMenus() {
  fileMenu_ = AddMenu(menuBar(), kFileMenuLine);
  fileMenu_->addAction(openAction_);
  fileMenu_->addAction(saveAction_);
  fileMenu_->addAction(printAction_);
  fileMenu_->addAction(wallpaperAction_);
  fileMenu_->addSeparator();
  fileMenu_->addAction(batchAction_);
  fileMenu_->addAction(scriptAction_);
  fileMenu_->addSeparator();
  BuildLanguageMenu();
  fileMenu_->addSeparator();
  QAction* quit = AddAction(fileMenu_, kQuitLine, this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  editMenu_ = AddMenu(menuBar(), kEditMenuLine);
  editMenu_->addAction(undoAction_);
  editMenu_->addAction(redoAction_);
  editMenu_->addAction(swapAction_);
  editMenu_->addSeparator();
  editMenu_->addAction(copyAction_);
  editMenu_->addAction(pasteAction_);
  editMenu_->addSeparator();
  editMenu_->addAction(rotateRightAction_);
  editMenu_->addAction(rotateLeftAction_);
  editMenu_->addAction(cropAction_);
  editMenu_->addAction(invertAction_);
  editMenu_->addAction(autoContrastAction_);
  editMenu_->addAction(modifyAction_);
  editMenu_->addAction(resizeAction_);
  editMenu_->addSeparator();
  editMenu_->addAction(cancelAction_);

  // The top-level entry has no shortcut of its own: F10 belongs to the toolbar's action.
  AddAction(menuBar(), kParametersLine, this, &MainWindow::ShowParameters);

  helpMenu_ = AddMenu(menuBar(), kHelpMenuLine);
  helpMenu_->addAction(helpAction_);
  AddAction(helpMenu_, kCheckForUpdateLine, this, &MainWindow::updateCheckRequested);
  helpMenu_->addSeparator();
  helpMenu_->addAction(aboutAction_);

  // The run menu: only these two while a style runs.
  runCancelAction_ = AddAction(menuBar(), kInterruptLine, this, &MainWindow::RequestCancel);
  runSaveAction_ = AddAction(menuBar(), kSaveAsLine, this, &MainWindow::SaveRunPicture);
  runCancelAction_->setVisible(false);
  runSaveAction_->setVisible(false);
}

// Every language under its own name, so that a user can find theirs whatever is shown now.
void MainWindow::BuildLanguageMenu() {
  languageMenu_ = fileMenu_->addMenu(QString());
  languageMenu_->setObjectName("languageMenu");
  BindLine(languageMenu_, kChangeLanguageLine, [menu = languageMenu_](const QString& text) { menu->setTitle(text); });
  auto* group = new QActionGroup(languageMenu_);
  group->setExclusive(true);
  for (const InterfaceLanguage& language : InterfaceLanguages()) {
    const QString identifier = FromUtf8(language.identifier);
    QAction* entry = languageMenu_->addAction(FromUtf8(language.menuName));
    entry->setObjectName("language" + identifier);
    entry->setData(identifier);
    entry->setCheckable(true);
    entry->setChecked(language.identifier == "English");
    group->addAction(entry);
    connect(entry, &QAction::triggered, this, [this, identifier] { ApplyLanguage(identifier.toStdString()); });
  }
}

bool MainWindow::ApplyLanguage(const std::string& identifier) {
  if (const Status applied = ApplyInterfaceLanguage(identifier); !applied) {
    statusPanel_->ShowNotice(QString::fromStdString(applied.message()), kNoticeMs);
    CheckLanguageEntry(CurrentInterfaceLanguage());  // the entry clicked gives its check back
    return false;
  }
  settings_.language = identifier;
  CheckLanguageEntry(identifier);
  // Arabic reads from right to left: the window, its menus and its panels turn round.
  setLayoutDirection(IsRightToLeft(identifier) ? Qt::RightToLeft : Qt::LeftToRight);
  return true;
}

void MainWindow::CheckLanguageEntry(const std::string& identifier) {
  for (QAction* entry : languageMenu_->actions()) {
    if (entry->data().toString().toStdString() == identifier) entry->setChecked(true);
  }
}

void MainWindow::BuildToolBar() {
  QToolBar* toolBar = addToolBar("Tools");
  toolBar->setObjectName("toolBar");
  toolBar->setMovable(false);
  toolBar->setFloatable(false);
  toolBar->setIconSize(QSize(22, 22));
  toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolBar->addAction(openAction_);
  toolBar->addAction(saveAction_);
  toolBar->addAction(copyAction_);
  toolBar->addAction(pasteAction_);
  toolBar->addSeparator();
  toolBar->addAction(undoAction_);
  toolBar->addAction(redoAction_);
  toolBar->addAction(swapAction_);
  toolBar->addSeparator();
  toolBar->addAction(cropAction_);
  toolBar->addAction(brushMode_->Action());
  toolBar->addAction(parametersAction_);
  toolBar->addAction(printAction_);
  toolBar->addAction(cancelAction_);
  toolBar->addSeparator();
  toolBar->addAction(aboutAction_);
  toolBar->addAction(helpAction_);
  auto* spacer = new QWidget;
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  toolBar->addWidget(spacer);
  toolBar->addWidget(ZoomStepButton(ToolIcon::ZoomOut, "mainZoomOutButton", kZoomOutLine, false));
  auto* actual = ZoomStepButton(ToolIcon::ZoomActual, "mainZoomActualButton", kZoomActualLine, false);
  toolBar->addWidget(actual);
  toolBar->addWidget(ZoomStepButton(ToolIcon::ZoomIn, "mainZoomInButton", kZoomInLine, true));
  BuildZoomField(toolBar);
}

void MainWindow::BuildZoomField(QToolBar* toolBar) {
  auto* holder = new QWidget;
  auto* layout = new QHBoxLayout(holder);
  layout->setContentsMargins(0, 0, 8, 0);
  zoomButton_ = new QToolButton;
  zoomButton_->setObjectName("zoomButton");
  zoomButton_->setText(QString::fromStdString(ZoomText(zoom_)));
  zoomButton_->setMinimumWidth(72);
  zoomEdit_ = new QLineEdit;
  zoomEdit_->setObjectName("zoomEdit");
  zoomEdit_->setFixedWidth(72);
  zoomEdit_->setAlignment(Qt::AlignRight);
  zoomEdit_->hide();
  zoomEdit_->installEventFilter(this);
  layout->addWidget(zoomButton_);
  layout->addWidget(zoomEdit_);
  toolBar->addWidget(holder);
  connect(zoomButton_, &QToolButton::clicked, this, &MainWindow::ShowZoomField);
  connect(zoomEdit_, &QLineEdit::returnPressed, this, &MainWindow::AcceptZoomField);
}

void MainWindow::ConnectPanels() {
  // A dropped picture has no name of its own in the window.
  connect(sourcePanel_, &PicturePanel::fileDropped, this,
          [this](const QString& path) { LoadPicture(path, std::string(kUnnamedImageName)); });
  for (PicturePanel* panel : {sourcePanel_, resultPanel_}) {
    const bool source = panel == sourcePanel_;
    // A crop takes the photograph's drags; the drawing's panel waits meanwhile. Just after the
    // full-screen view closed, the click that closed it must not start a pan.
    connect(panel, &PicturePanel::panPressed, this, [this, source](QPoint position) {
      if (fullScreenShown_) return;
      if (cropMode_) {
        if (source) CropPress(position);
        return;
      }
      StartPan(position);
    });
    connect(panel, &PicturePanel::panMoved, this, [this](QPoint position) {
      if (cropMode_) {
        if (cropDragging_) CropMove(position);
        return;
      }
      ContinuePan(position);
    });
    connect(panel, &PicturePanel::panReleased, this, [this] {
      if (cropMode_) {
        if (cropDragging_) CropRelease();
        return;
      }
      EndPan();
    });
    connect(panel, &PicturePanel::wheelTurned, this, &MainWindow::WheelZoom);
    connect(panel, &PicturePanel::doubleClicked, this, [this, source] { ShowFullScreen(source); });
  }
  connect(resultPanel_, &PicturePanel::pointerEntered, this, &MainWindow::HideZoomField);
  // The photograph's own menu: the edits that act on it, where the right button is.
  sourcePanel_->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* separator = new QAction(sourcePanel_);
  separator->setSeparator(true);
  sourcePanel_->addActions({pasteAction_, copyAction_, separator, rotateRightAction_, rotateLeftAction_, cropAction_,
                            invertAction_, autoContrastAction_});
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == zoomEdit_ && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    // Esc in the zoom field only closes the field; it must not reach the cancel command.
    event->accept();
    if (event->type() == QEvent::KeyPress) HideZoomField();
    return event->type() == QEvent::KeyPress;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (fittedAtStart_) return;
  fittedAtStart_ = true;
  // Once the panels have their sizes, the start pictures are fitted into them.
  QTimer::singleShot(0, this, &MainWindow::FitView);
}

void MainWindow::OpenStartPicture() {
  const std::filesystem::path path = FindResource(kSamplePhotoPath);
  LoadedImage loaded = path.empty() ? LoadedImage{} : LoadImageFile(path);
  if (!path.empty() && loaded.status) {
    document_.SourcePicture = std::move(loaded.picture);
    document_.SourceDisplayName = path.filename().string();
    document_.SourceDpi = loaded.dpi;
  } else {
    // Without the shipped sample the program still starts, on a plain white picture.
    document_.SourcePicture = Bitmap24(640, 480);
    document_.SourceDisplayName = "";
  }
  // Beside the photograph, the drawing made of it at build time; a copy when it is missing.
  const std::filesystem::path drawingPath = FindResource(kStartDrawingPath);
  LoadedImage drawing = drawingPath.empty() ? LoadedImage{} : LoadImageFile(drawingPath);
  const bool drawingFits = drawing.status && drawing.picture.Width() == document_.SourcePicture.Width() &&
                           drawing.picture.Height() == document_.SourcePicture.Height();
  document_.ResultPicture = drawingFits ? std::move(drawing.picture) : document_.SourcePicture;
  document_.ResultUnnamed = true;
  document_.RecordPictureSizes();
  if (const Status started = document_.StartHistory(); !started) ShowError(QString::fromStdString(started.message()));
  RefreshView(true);
}

bool MainWindow::OpenPicture(const QString& path) {
  return LoadPicture(path, QFileInfo(path).fileName().toStdString());
}

bool MainWindow::LoadPicture(const QString& path, const std::string& displayName) {
  if (running_) return false;
  LoadedImage loaded = LoadImageFile(path.toStdString());
  if (!loaded.status) {
    ShowError(QString::fromStdString(loaded.status.message()));
    return false;
  }
  document_.SourceDpi = loaded.dpi;
  SetZoom(kStartZoom);
  SetSourceAndResult(std::move(loaded.picture), displayName);
  sourcePath_ = path.toStdString();
  parameters_->SetDocumentFileNames(sourcePath_, "");
  return true;
}

void MainWindow::SetSourcePicture(Bitmap24 picture, const std::string& displayName) {
  StoreSource(std::move(picture), displayName);
  RefreshView(true);
}

void MainWindow::StoreSource(Bitmap24 picture, const std::string& displayName) {
  document_.SourcePicture = std::move(picture);
  document_.SourceDisplayName = displayName;
  document_.RecordPictureSizes();
  ForgetStrokes();
  if (const Status saved = document_.SaveToHistory(HistoryKind::Source); !saved) {
    ShowError(QString::fromStdString(saved.message()));
  }
}

void MainWindow::SetSourceAndResult(Bitmap24 picture, const std::string& displayName) {
  if (running_) return;
  document_.ResultPicture = picture;
  document_.ResultUnnamed = true;
  document_.ResultStyleName.clear();
  StoreSource(std::move(picture), displayName);
  if (const Status saved = document_.SaveToHistory(HistoryKind::Result); !saved) {
    ShowError(QString::fromStdString(saved.message()));
  }
  RefreshView(true);
  // A new picture: the preview crop starts again at its corner.
  sourcePath_.clear();
  parameters_->SetDocumentFileNames("", "");
  parameters_->SourceOpened();
}

void MainWindow::ChooseAndOpenPicture() {
  if (running_) return;
  const QString folder = QString::fromStdString(settings_.lastOpenFolder);
  const QString start = !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
  const QString path = QFileDialog::getOpenFileName(
      this, LanguageLine(kOpenLine), start,
      "Image files (*.bmp *.jpg *.jpeg *.png *.BMP *.JPG *.JPEG *.PNG)");
  if (path.isEmpty() || !OpenPicture(path)) return;
  settings_.lastOpenFolder = QFileInfo(path).absolutePath().toStdString();
  FitView();
  ShowParameters();
}

void MainWindow::ChooseAndSaveDrawing() {
  if (running_) return;
  const StyleSettings style = parameters_->CurrentStyleSettings();
  const std::string name = ProposedSaveName(document_.SourceDisplayName, parameters_->StyleNameText().toStdString(),
                                            style.sliders, settings_.saveParametersInFilename);
  SaveWithDialog(document_.ResultPicture, QString::fromStdString(name));
}

void MainWindow::SaveRunPicture() {
  if (!running_ || resultPanel_->Image().isNull()) return;
  // What the result panel shows now; the run goes on undisturbed.
  const Bitmap24 picture = ToBitmap24(resultPanel_->Image());
  const std::string name =
      ProgressSaveName(document_.SourceDisplayName, statusPanel_->PercentText().toStdString());
  SaveWithDialog(picture, QString::fromStdString(name));
}

void MainWindow::SaveWithDialog(const Bitmap24& picture, const QString& proposedName) {
  const QString start = lastSaveFolder_.isEmpty() ? proposedName : QDir(lastSaveFolder_).filePath(proposedName);
  QString filter = kSaveFilters.front();
  const QString chosen = QFileDialog::getSaveFileName(this, LanguageLine(kSaveAsLine), start, kSaveFilters.join(";;"),
                                                      &filter, QFileDialog::DontConfirmOverwrite);
  if (chosen.isEmpty()) return;
  const qsizetype filterIndex = std::max<qsizetype>(0, kSaveFilters.indexOf(filter));
  const ImageFormat format = kSaveFormats[filterIndex];
  const QString path = QString::fromStdString(EnsureSaveExtension(chosen.toStdString(), format));
  lastSaveFolder_ = QFileInfo(path).absolutePath();
  if (QFileInfo::exists(path) && !AskToOverwrite(path)) return;
  if (const Status saved = SaveImageFile(picture, path.toStdString(), format, document_.SourceDpi); !saved) {
    ShowError(QString::fromStdString(saved.message()));
    return;
  }
  parameters_->SetDocumentFileNames(sourcePath_, path.toStdString());
}

void MainWindow::ShowParameters() {
  if (!running_) RevealParameters();
}

void MainWindow::RevealParameters() {
  parameters_->show();
  parameters_->raise();
  // Shown again, the preview follows the pictures as they are now.
  parameters_->Preview()->ShowRawCrop();
  parameters_->Preview()->SchedulePreview(LivePreview::kShowDelay);
}

bool MainWindow::StartDrawing() {
  // One run at a time: "Draw!" is greyed while a run is under way.
  if (running_) return false;
  StyleSettings style = parameters_->CurrentStyleSettings();
  if (!StyleAvailable(style.effectId)) return false;
  if (LivePreview* preview = parameters_->Preview(); preview->Computing()) {
    // The preview gives way to the full-size run: it stops at its next check, and the run starts
    // as soon as its thread has ended.
    preview->Abort();
    if (!drawPending_) {
      drawPending_ = true;
      QTimer::singleShot(kDrawRetryMs, this, [this] {
        drawPending_ = false;
        StartDrawing();
      });
    }
    return true;
  }
  FinishingSettings finishing = parameters_->CurrentFinishingSettings();
  if (const Status texture = PrepareTexture(finishing); !texture) {
    ShowError(QString::fromStdString(texture.message()));
    return false;
  }
  style.sourceMean = document_.SourceMeanColour;
  // Painting 4 leaves its strokes for HD painting and the SVG file; only this run writes them.
  strokeRun_ = style.effectId == kPainting4EffectId;
  if (strokeRun_) style.strokeHistory = &strokeHistory_;
  RunPictures pictures;
  pictures.source = document_.SourcePicture;
  pictures.result = document_.ResultPicture;
  const QString styleName = parameters_->StyleNameText();

  // A run shows both pictures at 100 %; the zoom comes back when it ends.
  HideZoomField();
  zoomBeforeRun_ = zoom_;
  ApplyZoomToPanels(kStartZoom);
  sourcePanel_->Centre();
  resultPanel_->Centre();

  JoinWorker();
  context_.ResetWhenIdle();
  // The worker is not running yet: the context may take the marker's value directly.
  context_.StopPercentage = statusPanel_->StopPercentage();
  progressSink_->SetStopPercentage(context_.StopPercentage);
  running_ = true;
  workerDone_ = false;
  ShowRunState(true);
  worker_ = std::thread([this, style, finishing = std::move(finishing), pictures = std::move(pictures), styleName]() mutable {
    progressSink_->WatchPictures(&pictures);
    const RunOutcome outcome = RunEffect(pictures, style, finishing, context_);
    progressSink_->WatchPictures(nullptr);
    QMetaObject::invokeMethod(
        this, [this, outcome, pictures = std::move(pictures), styleName]() mutable {
          FinishRun(outcome, std::move(pictures), styleName);
        },
        Qt::QueuedConnection);
    workerDone_ = true;
  });
  return true;
}

void MainWindow::FinishRun(RunOutcome outcome, RunPictures pictures, QString styleName) {
  if (closing_) return;
  CloseStopQuestion();
  JoinWorker();
  running_ = false;
  ShowRunState(false);
  if (strokeRun_) parameters_->ShowStrokePictograms(!strokeHistory_.strokes.empty());
  strokeRun_ = false;
  if (outcome == RunOutcome::Finished || outcome == RunOutcome::Aborted) {
    // An aborted run keeps what it drew, and that is a history step like any other.
    document_.ResultPicture = std::move(pictures.result);
    framedPlacement_ = {pictures.framedPictureOffset, pictures.frameMargin, document_.ResultPicture.Width(),
                        document_.ResultPicture.Height()};
    document_.ResultUnnamed = false;
    document_.ResultStyleName = styleName.toStdString();
    document_.RecordPictureSizes();
    if (const Status saved = document_.SaveToHistory(HistoryKind::Result, document_.ResultStyleName); !saved) {
      ShowError(QString::fromStdString(saved.message()));
    }
    for (const std::string& notice : pictures.notices) statusPanel_->ShowNotice(QString::fromStdString(notice), kNoticeMs);
  }
  RefreshView(true);
  SetZoom(zoomBeforeRun_);
  emit runFinished(outcome);
}

std::optional<ConversionJob> MainWindow::CurrentConversion() {
  ConversionJob job;
  job.style = parameters_->CurrentStyleSettings();
  job.effectId = job.style.effectId;
  job.finishing = parameters_->CurrentFinishingSettings();
  if (const Status texture = PrepareTexture(job.finishing); !texture) {
    ShowError(QString::fromStdString(texture.message()));
    return std::nullopt;
  }
  return job;
}

ScriptSettings MainWindow::CurrentScriptSettings() {
  ScriptSettings settings;
  settings.style = parameters_->CurrentStyleSettings();
  settings.finishing = parameters_->CurrentFinishingSettings();
  if (const Status texture = PrepareTexture(settings.finishing); !texture) {
    settings.finishing.texture.enabled = false;
    ShowError(QString::fromStdString(texture.message()));
  }
  settings.storedSliders = [tables = parameters_->Parameters()](int effectId) { return tables.Current(effectId); };
  return settings;
}

bool MainWindow::StartWork(std::function<void(RunContext&)> work, std::function<void()> done,
                           std::function<void()> stop) {
  if (running_) return false;
  parameters_->Preview()->Abort();
  JoinWorker();
  context_.ResetWhenIdle();
  context_.StopPercentage = 100;
  progressSink_->SetStopPercentage(100);
  statusPanel_->SetStopPercentage(100);
  running_ = true;
  workerDone_ = false;
  workStop_ = std::move(stop);
  ShowRunState(true);
  statusPanel_->StartRun();
  worker_ = std::thread([this, work = std::move(work), done = std::move(done)]() mutable {
    work(context_);
    QMetaObject::invokeMethod(this, [this, done = std::move(done)] { FinishWork(done); }, Qt::QueuedConnection);
    workerDone_ = true;
  });
  return true;
}

void MainWindow::FinishWork(const std::function<void()>& done) {
  if (closing_) return;
  CloseStopQuestion();
  JoinWorker();
  running_ = false;
  workStop_ = nullptr;
  ShowRunState(false);
  statusPanel_->FinishRun();
  context_.ResetWhenIdle();
  if (done) done();
}

void MainWindow::ShowWorkProgress(int percent, const QString& text) {
  if (!running_) return;
  statusPanel_->ShowProgress(percent, ProgressBarColour(percent));
  statusPanel_->SetStyleText(text);
}

void MainWindow::StopWork() {
  if (!running_ || !workStop_) return;
  workStop_();
  context_.AbortRequested = true;
}

void MainWindow::RecordScriptStep(HistoryKind kind, Bitmap24 picture, const std::string& name) {
  if (kind == HistoryKind::Source) {
    document_.SourcePicture = std::move(picture);
  } else {
    document_.ResultPicture = std::move(picture);
    document_.ResultUnnamed = false;
    document_.ResultStyleName = name;
  }
  document_.RecordPictureSizes();
  if (const Status saved = document_.SaveToHistory(kind, name); !saved) ShowError(QString::fromStdString(saved.message()));
}

void MainWindow::SetStopMarker(int percent) {
  progressSink_->SetStopPercentage(percent);
  QMetaObject::invokeMethod(this, [this, percent] { statusPanel_->SetStopPercentage(percent); }, Qt::QueuedConnection);
}

void MainWindow::OpenNamedPictures(const QString& source, const QString& result) {
  if (running_ || !OpenPicture(result) || !OpenPicture(source)) return;
  Undo();
}

void MainWindow::ShowRunPicture(QImage picture) {
  if (running_) resultPanel_->SetImage(std::move(picture));
}

void MainWindow::RequestCancel() {
  if (!running_) return;
  // The run waits while the question is open; it goes on (or stops) once it is answered.
  progressSink_->Pause();
  const bool stop = AskToStop();
  if (stop) {
    if (workStop_) workStop_();
    context_.AbortRequested = true;
  }
  progressSink_->Resume();
  if (!running_) return;  // the run ended without reaching a check; the answer no longer matters
  if (stop) {
    RevealParameters();
  } else {
    // The run goes on, and the marker that may have stopped it is put back at the end.
    progressSink_->SetStopPercentage(100);
    statusPanel_->SetStopPercentage(100);
  }
}

bool MainWindow::AskToStop() {
  if (cancelQuestion_) return cancelQuestion_(LanguageLine(kStopQuestionLine));
  QMessageBox question(QMessageBox::Question, LanguageLine(kInterruptLine), LanguageLine(kStopQuestionLine),
                       QMessageBox::Ok | QMessageBox::Cancel, this);
  question.setDefaultButton(QMessageBox::Cancel);
  // A run that ends while the question is open closes it (see CloseStopQuestion).
  stopQuestion_ = &question;
  const bool stop = question.exec() == QMessageBox::Ok;
  stopQuestion_ = nullptr;
  return stop;
}

void MainWindow::CloseStopQuestion() {
  if (stopQuestion_) stopQuestion_->reject();
}

bool MainWindow::AskToOverwrite(const QString& path) {
  QMessageBox box(QMessageBox::Warning, "?", LanguageLine(kOverwriteQuestionLine), QMessageBox::Ok | QMessageBox::Cancel,
                  this);
  box.setInformativeText(path);
  return box.exec() == QMessageBox::Ok;
}

void MainWindow::Undo() {
  if (running_) return;
  if (const Status undone = document_.undo(context_); !undone) ShowError(QString::fromStdString(undone.message()));
  context_.AbortRequested = false;
  RefreshView(true);
  parameters_->ResetPreviewCrop(kPreviewResetLimitAfterUndo);
}

void MainWindow::Redo() {
  if (running_) return;
  if (const Status redone = document_.redo(context_); !redone) ShowError(QString::fromStdString(redone.message()));
  context_.AbortRequested = false;
  RefreshView(true);
  parameters_->ResetPreviewCrop(kPreviewResetLimitAfterRedo);
}

void MainWindow::SwapImages() {
  if (running_) return;
  if (const Status swapped = document_.swapimages(context_); !swapped) {
    ShowError(QString::fromStdString(swapped.message()));
  }
  RefreshView(true);
  parameters_->ResetPreviewCrop(kPreviewResetLimitAfterRedo);
  parameters_->ShowStrokePictograms(false);
}

void MainWindow::ToggleLongFilenames() {
  if (running_) return;
  settings_.saveParametersInFilename = !settings_.saveParametersInFilename;
  ShowCentredMessage(settings_.saveParametersInFilename ? "Long filenames ON" : "Long filenames OFF");
}

void MainWindow::SetZoom(int zoom) {
  HideZoomField();
  if (running_) return;
  zoom_ = ClampZoom(zoom);
  fitted_ = false;
  ApplyZoomToPanels(zoom_);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // Pictures fitted to their panels stay fitted; a zoom the user chose stays as it is.
  if (fitted_ && !running_) QTimer::singleShot(0, this, [this] { if (fitted_ && !running_) FitView(); });
}

void MainWindow::ApplyZoomToPanels(int zoom) {
  sourcePanel_->ApplyZoom(zoom);
  resultPanel_->ApplyZoom(zoom);
  zoomButton_->setText(QString::fromStdString(ZoomText(zoom)));
}

void MainWindow::FitView() {
  // The narrower panel decides, so that both pictures fit where the space is tightest.
  PicturePanel* panel = sourcePanel_->width() < resultPanel_->width() ? sourcePanel_ : resultPanel_;
  // A little room is kept around the picture, so that it does not touch the panel's edges and
  // its shadow shows.
  const PictureSize room{panel->width() - 2 * kFitMargin, panel->height() - 2 * kFitMargin};
  SetZoom(FitZoom(panel->NaturalSize(), room));
  fitted_ = true;
  sourcePanel_->Centre();
  resultPanel_->Centre();
}

void MainWindow::ShowZoomField() {
  if (running_) return;
  zoomEdit_->setText(QString::number(zoom_));
  zoomButton_->hide();
  zoomEdit_->show();
  zoomEdit_->setFocus();
  zoomEdit_->selectAll();
}

void MainWindow::AcceptZoomField() {
  SetZoom(ZoomFromInput(zoomEdit_->text().toStdString(), zoom_));
}

void MainWindow::HideZoomField() {
  if (!zoomEdit_->isVisible()) return;
  zoomEdit_->hide();
  zoomButton_->show();
  zoomButton_->setText(QString::fromStdString(ZoomText(running_ ? kStartZoom : zoom_)));
  panelArea_->setFocus();
}

void MainWindow::StartPan(QPoint globalPosition) {
  glideTimer_.stop();
  pan_.Press({globalPosition.x(), globalPosition.y()});
}

void MainWindow::ContinuePan(QPoint globalPosition) {
  const Point offset = pan_.Move({globalPosition.x(), globalPosition.y()});
  if (offset == Point{}) return;
  sourcePanel_->Pan(offset);
  resultPanel_->Pan(offset);
}

void MainWindow::EndPan() {
  if (pan_.Release()) glideTimer_.start();
}

void MainWindow::GlideTick() {
  const PanState::GlideStep step = pan_.GlideTick();
  sourcePanel_->Pan(step.offset);
  resultPanel_->Pan(step.offset);
  if (step.last) glideTimer_.stop();
}

void MainWindow::WheelZoom(int notches) {
  if (running_) return;
  int zoom = zoom_;
  for (int notch = 0; notch < std::abs(notches); ++notch) zoom = ZoomAfterWheel(zoom, notches > 0);
  SetZoom(zoom);
}

void MainWindow::ShowRunState(bool running) {
  for (QAction* entry : menuBar()->actions()) {
    const bool runEntry = entry == runCancelAction_ || entry == runSaveAction_;
    entry->setVisible(runEntry == running);
  }
  for (QAction* action : {openAction_, saveAction_, swapAction_, parametersAction_, rotateRightAction_,
                          rotateLeftAction_, cropAction_, invertAction_, autoContrastAction_, copyAction_, pasteAction_,
                          wallpaperAction_, printAction_, aboutAction_, helpAction_, batchAction_, scriptAction_,
                          modifyAction_, resizeAction_}) {
    action->setEnabled(!running);
  }
  cancelAction_->setEnabled(running);
  brushMode_->Action()->setEnabled(!running);
  longFilenamesAction_->setEnabled(!running);
  zoomButton_->setEnabled(!running);
  parameters_->SetRunning(running);
  undoAction_->setEnabled(!running && document_.UndoEnabled());
  redoAction_->setEnabled(!running && document_.RedoEnabled());
  if (running) {
    statusPanel_->StartRun();
  } else {
    statusPanel_->FinishRun();
  }
}

QString MainWindow::ProgramVersionText() {
  return QString::fromUtf8(ProgramVersion().data(), static_cast<qsizetype>(ProgramVersion().size()));
}

void MainWindow::RefreshView(bool centre) {
  // The title names the photograph and the program's version: "lakeside.png - Atelion 0.1.0".
  const QString program = "Atelion " + ProgramVersionText();
  setWindowTitle(document_.SourceDisplayName.empty()
                     ? program
                     : QString::fromStdString(document_.SourceDisplayName) + " - " + program);
  parameters_->SetPictures(document_.SourcePicture, document_.ResultPicture);
  sourcePanel_->SetPicture(document_.SourcePicture);
  resultPanel_->SetPicture(document_.ResultPicture);
  if (centre) {
    sourcePanel_->Centre();
    resultPanel_->Centre();
  }
  statusPanel_->SetSourceText(QString::fromStdString(document_.SourceStatusText()));
  statusPanel_->SetStyleText(QString::fromStdString(document_.ResultStatusText()));
  undoAction_->setEnabled(!running_ && document_.UndoEnabled());
  redoAction_->setEnabled(!running_ && document_.RedoEnabled());
}

void MainWindow::ShowError(const QString& message) {
  if (qEnvironmentVariableIsSet("ATELION_NO_DIALOGS")) {
    statusPanel_->ShowNotice(message, kNoticeMs);
    return;
  }
  QMessageBox::warning(this, "Atelion", message);
}

void MainWindow::ShowCentredMessage(const QString& message) {
  noticePopup_->setText(message);
  noticePopup_->adjustSize();
  const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (shown != nullptr) noticePopup_->move(shown->geometry().center() - noticePopup_->rect().center());
  noticePopup_->show();
  noticeTimer_.start(kCentredMessageMs);
}

void MainWindow::JoinWorker() {
  if (worker_.joinable()) worker_.join();
}

void ApplyDarkTheme() {
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QPalette palette;
  const QColor window(0x2d, 0x2f, 0x33);
  const QColor base(0x22, 0x24, 0x27);
  const QColor text(0xe4, 0xe6, 0xea);
  const QColor accent(0x3d, 0x8e, 0xd8);
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, window);
  palette.setColor(QPalette::ToolTipBase, base);
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, QColor(0x3a, 0x3d, 0x42));
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::Highlight, accent);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Link, accent);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, QColor(0x7a, 0x7d, 0x83));
  }
  QApplication::setPalette(palette);
  qApp->setStyleSheet(
      "QStatusBar { background: #101113; }"
      "QStatusBar::item { border: none; }"
      "QMenuBar { background: #26282c; }"
      "QMenuBar::item:selected { background: #3a3d42; border-radius: 3px; }"
      "QMenuBar#parametersMenu::item { padding: 3px 5px; }"
      "QToolBar { background: #26282c; border: none; spacing: 2px; padding: 3px 6px; }"
      "QToolBar::separator { background: #3a3d42; width: 1px; margin: 4px 6px; }"
      "QToolButton { border: none; border-radius: 4px; padding: 3px; }"
      "QToolButton:hover { background: #3a3d42; }"
      "QToolButton:pressed { background: #1e6b99; }"
      "QToolButton#zoomButton { color: #c8cacf; font-weight: bold; padding: 3px 8px; }"
      "QLineEdit#zoomEdit { background: #101113; border: 1px solid #3d8ed8; border-radius: 3px; padding: 2px 4px; }"
      "QLabel#noticePopup { background: #101113; color: #e4e6ea; border: 1px solid #3d8ed8; border-radius: 6px;"
      " padding: 14px 24px; font-size: 15px; font-weight: bold; }"
      "QProgressBar { background: #101112; border: none; border-radius: 3px; }"
      "QProgressBar::chunk { background: #1e6b99; border-radius: 3px; }"
      "QDockWidget::title { padding: 6px; background: #26282c; }"
      "QToolBox::tab { background: #383b40; border-radius: 3px; padding: 4px 8px; color: #e4e6ea; }"
      "QToolBox::tab:selected { background: #3d8ed8; color: white; }"
      "QPushButton#drawButton { background: #3d8ed8; color: white; font-weight: bold; border-radius: 4px; }"
      "QPushButton#drawButton:disabled { background: #44484e; color: #8a8d93; }");
}

// ---- Source edits ----------------------------------------------------------------------------

void MainWindow::RotateRight() { RotateBy(90); }
void MainWindow::RotateLeft() { RotateBy(-90); }

void MainWindow::RotateBy(int angle) {
  if (running_ || cropMode_) return;
  ShowEditedPictures(RotatePictures(document_, angle));
}

void MainWindow::InvertColors() {
  if (running_ || cropMode_) return;
  ShowEditedPictures(InvertPictures(document_));
}

void MainWindow::AutomaticContrast() {
  if (running_ || cropMode_) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Status edited = AutoContrastSource(document_);
  QApplication::restoreOverrideCursor();
  ShowEditedPictures(edited);
}

void MainWindow::ShowEditedPictures(const Status& edited) {
  if (!edited) ShowError(QString::fromStdString(edited.message()));
  // The panels take a picture of a new size at their zoom; RefreshView centres both.
  RefreshView(true);
  parameters_->ResetPreviewCrop(kPreviewResetLimitAfterRedo);
  // The strokes were found on the photograph as it was.
  parameters_->ShowStrokePictograms(false);
}

void MainWindow::StartCrop() {
  if (running_ || cropMode_) return;
  cropMode_ = true;
  cropDragging_ = false;
  sourcePanel_->setCursor(Qt::CrossCursor);
  resultPanel_->setCursor(Qt::CrossCursor);
  // Nothing else may start while the rectangle is being drawn.
  for (QAction* action : {saveAction_, openAction_, swapAction_, rotateRightAction_, rotateLeftAction_, invertAction_,
                          autoContrastAction_, pasteAction_, undoAction_, redoAction_, cropAction_}) {
    action->setEnabled(false);
  }
  parameters_->SetRunning(true);
}

void MainWindow::CropPress(QPoint globalPosition) {
  const Point at = sourcePanel_->PictureAt(sourcePanel_->mapFromGlobal(globalPosition));
  cropDragging_ = true;
  cropAnchor_ = at;
  cropEnd_ = at;
  sourcePanel_->SetSelection(CropSelection(cropAnchor_, cropEnd_, document_.SourceSize));
}

void MainWindow::CropMove(QPoint globalPosition) {
  const QPoint local = sourcePanel_->mapFromGlobal(globalPosition);
  // Near an edge of the panel the pictures scroll, so a selection can grow past what is in view.
  constexpr int kScrollMargin = 10;
  constexpr int kScrollStep = 4;
  Point scroll;
  const ImagePlacement& placed = sourcePanel_->Placement();
  if (local.x() < kScrollMargin && placed.left < 0) scroll.x = kScrollStep;
  if (local.x() > sourcePanel_->width() - kScrollMargin && placed.left > sourcePanel_->width() - placed.width) scroll.x = -kScrollStep;
  if (local.y() < kScrollMargin && placed.top < 0) scroll.y = kScrollStep;
  if (local.y() > sourcePanel_->height() - kScrollMargin && placed.top > sourcePanel_->height() - placed.height) scroll.y = -kScrollStep;
  if (scroll != Point{}) {
    sourcePanel_->Pan(scroll);
    resultPanel_->Pan(scroll);
  }
  cropEnd_ = sourcePanel_->PictureAt(local);
  sourcePanel_->SetSelection(CropSelection(cropAnchor_, cropEnd_, document_.SourceSize));
}

void MainWindow::CropRelease() {
  const Rect selection = CropSelection(cropAnchor_, cropEnd_, document_.SourceSize);
  cropMode_ = false;
  cropDragging_ = false;
  sourcePanel_->unsetCursor();
  resultPanel_->unsetCursor();
  const QString question = LanguageLine(kCropQuestionLine);
  bool crop = false;
  if (cropQuestion_) {
    crop = cropQuestion_(question);
  } else {
    crop = QMessageBox::question(this, "?", question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
           QMessageBox::Ok;
  }
  sourcePanel_->SetSelection({});
  parameters_->SetRunning(false);
  ShowRunState(false);
  if (crop) ShowEditedPictures(CropSource(document_, selection));
}

void MainWindow::CopyDrawing() {
  if (running_ || cropMode_) return;
  QGuiApplication::clipboard()->setImage(ToQImage(document_.ResultPicture));
}

void MainWindow::PastePicture() {
  if (running_ || cropMode_) return;
  const QImage image = QGuiApplication::clipboard()->image();
  if (image.isNull()) return;
  ShowEditedPictures(PasteSource(document_, ToBitmap24(image)));
  SetZoom(kStartZoom);
  if (!parameters_->isVisible()) RevealParameters();
}

void MainWindow::SetAsWallpaper() {
  if (running_ || cropMode_) return;
  const QString problem = SetDesktopWallpaper(document_.ResultPicture);
  if (!problem.isEmpty()) ShowError(problem);
}

void MainWindow::ShowBatchWindow() {
  if (running_) return;
  if (!batchWindow_) batchWindow_ = new BatchWindow(*this, this);
  batchWindow_->show();
  batchWindow_->raise();
  batchWindow_->activateWindow();
}

void MainWindow::ShowScriptWindow() {
  if (running_) return;
  if (!scriptWindow_) scriptWindow_ = new ScriptWindow(*this, this);
  scriptWindow_->show();
  scriptWindow_->raise();
  scriptWindow_->activateWindow();
}

void MainWindow::ShowSourceModifications() {
  if (running_ || cropMode_) return;
  if (!modifyWindow_) modifyWindow_ = new SourceModificationsWindow(*this, this);
  if (resizeWindow_ && resizeWindow_->isVisible()) resizeWindow_->close();
  modifyWindow_->show();
  modifyWindow_->raise();
  modifyWindow_->activateWindow();
}

void MainWindow::ShowResizeWindow() {
  if (running_ || cropMode_) return;
  if (!resizeWindow_) resizeWindow_ = new ResizeWindow(*this, this);
  resizeWindow_->show();
  resizeWindow_->raise();
  resizeWindow_->activateWindow();
}

void MainWindow::ShowAbout() {
  QMessageBox::about(this, LanguageLine(kAboutLine),
                     QStringLiteral(
                         "<h3>Atelion %1</h3>"
                         "<p>Photographs into pencil sketches, ink drawings, pastels and paintings.</p>"
                         "<p>Built with Qt %2 (LGPL 3), libjpeg-turbo (IJG and BSD licences), libpng (libpng "
                         "licence), zlib (zlib licence), giflib (MIT), stb_image (public domain), FreeType "
                         "(FreeType licence), HarfBuzz (MIT), fontconfig (MIT), FriBidi (LGPL 2.1), libcurl "
                         "(curl licence) and CLI11 (BSD).</p>"
                         "<p>Text on pictures uses the DejaVu fonts (DejaVu licence), the KACST fonts (GPL 2) "
                         "and WenQuanYi Micro Hei (Apache 2.0) as the system provides them.</p>"
                         "<p>The sample photograph, the brushes, papers, hatchings and frames are drawn by "
                         "Atelion's own code.</p>")
                         .arg(ProgramVersionText(), QString::fromLatin1(qVersion())));
}

void MainWindow::ShowOnlineHelp() {
  if (QMessageBox::question(this, LanguageLine(kOnlineHelpLine), LanguageLine(kOnlineHelpQuestionLine),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes) {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kOnlineHelpAddress)));
  }
}

void MainWindow::ShowPrintWindow() {
  if (running_ || cropMode_) return;
  if (printWindow_ == nullptr) printWindow_ = new PrintWindow(this);
  printWindow_->OpenFor(document_.ResultPicture);
}

void MainWindow::ShowFullScreen(bool source) {
  if (running_ || cropMode_ || fullScreenShown_) return;
  if (fullScreen_ == nullptr) {
    fullScreen_ = new FullScreenView(this);
    connect(fullScreen_, &FullScreenView::closed, this, [this] {
      pan_ = PanState{};
      QTimer::singleShot(kFullScreenGuardMs, this, [this] {
        fullScreenShown_ = false;
        pan_ = PanState{};
      });
    });
  }
  // The promise of the drawing's tooltip is kept; it need not be told again.
  if (!source) resultPanel_->setToolTip(QString());
  fullScreenShown_ = true;
  QScreen* shownOn = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  fullScreen_->ShowPicture(source ? document_.SourcePicture : document_.ResultPicture, shownOn);
}

// ---- Zoom stepping ---------------------------------------------------------------------------

QToolButton* MainWindow::ZoomStepButton(ToolIcon icon, const char* name, int line, bool zoomIn) {
  auto* button = new QToolButton;
  button->setObjectName(name);
  button->setIcon(DrawToolIcon(icon));
  button->setAutoRaise(true);
  BindLine(button, line, [button](const QString& text) { button->setToolTip(text); });
  button->setContextMenuPolicy(Qt::CustomContextMenu);
  const bool actual = icon == ToolIcon::ZoomActual;
  if (actual) {
    // Left: 100 %, centred; right: the pictures fitted into their panels.
    connect(button, &QToolButton::clicked, this, [this] {
      if (running_) return;
      glideTimer_.stop();
      SetZoom(kStartZoom);
      sourcePanel_->Centre();
      resultPanel_->Centre();
    });
    connect(button, &QToolButton::customContextMenuRequested, this, [this] {
      if (!running_) FitView();
    });
  } else {
    connect(button, &QToolButton::pressed, this, [this, zoomIn] { StartZoomStepping(zoomIn, kZoomButtonTickMs); });
    connect(button, &QToolButton::released, this, [this] { StopZoomStepping(true); });
    connect(button, &QToolButton::customContextMenuRequested, this, [this, zoomIn] {
      if (!running_) SetZoom(JumpedZoom(zoom_, zoomIn));
    });
  }
  return button;
}

void MainWindow::StartZoomStepping(bool zoomIn, int intervalMs) {
  if (running_) return;
  glideTimer_.stop();
  zoomStepIn_ = zoomIn;
  zoomStepTimer_.start(intervalMs);
}

void MainWindow::StopZoomStepping(bool resetCount) {
  zoomStepTimer_.stop();
  if (resetCount) zoomStepCount_ = 1;
}

void MainWindow::ZoomStepTick() {
  if (running_) return;
  SetZoom(SteppedZoom(zoom_, zoomStepCount_, zoomStepIn_));
  ++zoomStepCount_;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  if (keypad && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus)) {
    // Held, the key keeps stepping; its count is not reset, so the steps grow from press to press.
    if (!running_ && !zoomKeyHeld_) {
      zoomKeyHeld_ = true;
      StartZoomStepping(event->key() == Qt::Key_Plus, kZoomKeyTickMs);
    }
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  if (keypad && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus)) {
    if (!event->isAutoRepeat()) {
      zoomKeyHeld_ = false;
      StopZoomStepping(false);
    }
    event->accept();
    return;
  }
  QMainWindow::keyReleaseEvent(event);
}

}  // namespace atelion
