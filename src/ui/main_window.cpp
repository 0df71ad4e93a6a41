#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyleFactory>

#include "core/resources.h"
#include "i18n/language_table.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

// Lines of the language table the window shows.
constexpr int kFileMenuLine = 0;
constexpr int kOpenLine = 1;
constexpr int kSaveAsLine = 2;
constexpr int kQuitLine = 5;
constexpr int kEditMenuLine = 7;
constexpr int kUndoLine = 12;
constexpr int kRedoLine = 13;
constexpr int kInterruptLine = 18;
constexpr int kParametersLine = 20;
constexpr int kStopQuestionLine = 168;

constexpr const char* kSamplePicture = "sample/coffee.png";

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

// Forwards what the worker thread reports to the window's thread. Every call is queued except
// the stop question, which the worker must wait for.
class WindowProgressSink : public ProgressSink {
 public:
  explicit WindowProgressSink(MainWindow* window) : window_(window) {}

  void RunStarted() override {
    QMetaObject::invokeMethod(window_, [w = window_] { w->ShowProgress(0); }, Qt::QueuedConnection);
  }
  void ShowProgress(int percent, Colour) override {
    QMetaObject::invokeMethod(window_, [w = window_, percent] { w->ShowProgress(percent); }, Qt::QueuedConnection);
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
    QMetaObject::invokeMethod(window_, [w = window_] { w->parameters_->show(); }, Qt::QueuedConnection);
  }

 private:
  MainWindow* window_;
};

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), progressSink_(std::make_unique<WindowProgressSink>(this)) {
  qRegisterMetaType<atelion::RunOutcome>("atelion::RunOutcome");
  setWindowTitle("Atelion");
  context_.Progress = progressSink_.get();

  auto* central = new QWidget;
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);
  sourcePanel_ = new PicturePanel(true);
  sourcePanel_->setObjectName("sourcePanel");
  resultPanel_ = new PicturePanel(false);
  resultPanel_->setObjectName("resultPanel");
  layout->addWidget(sourcePanel_, 1);
  layout->addWidget(resultPanel_, 1);
  setCentralWidget(central);
  connect(sourcePanel_, &PicturePanel::fileDropped, this, &MainWindow::OpenPicture);

  parameters_ = new ParametersWindow(this);
  addDockWidget(Qt::RightDockWidgetArea, parameters_);
  connect(parameters_, &ParametersWindow::drawRequested, this, &MainWindow::StartDrawing);

  BuildMenus();
  BuildStatusBar();
  OpenStartPicture();
  resize(1280, 760);
}

MainWindow::~MainWindow() {
  closing_ = true;
  context_.AbortRequested = true;
  // The worker may be waiting on a queued call into this thread: keep serving events until it ends.
  while (!workerDone_) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  JoinWorker();
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(FromUtf8(Text(kFileMenuLine)));
  openAction_ = file->addAction(FromUtf8(Text(kOpenLine)), this, &MainWindow::ChooseAndOpenPicture);
  openAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  saveAction_ = file->addAction(FromUtf8(Text(kSaveAsLine)), this, &MainWindow::ChooseAndSaveDrawing);
  saveAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  file->addSeparator();
  QAction* quit = file->addAction(FromUtf8(Text(kQuitLine)), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  QMenu* edit = menuBar()->addMenu(FromUtf8(Text(kEditMenuLine)));
  undoAction_ = edit->addAction(FromUtf8(Text(kUndoLine)), this, &MainWindow::Undo);
  undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redoAction_ = edit->addAction(FromUtf8(Text(kRedoLine)), this, &MainWindow::Redo);
  redoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  edit->addSeparator();
  cancelAction_ = edit->addAction(FromUtf8(Text(kInterruptLine)), this, &MainWindow::RequestCancel);
  cancelAction_->setShortcut(QKeySequence(Qt::Key_Escape));
  cancelAction_->setEnabled(false);

  QAction* parameters = menuBar()->addAction(FromUtf8(Text(kParametersLine)));
  parameters->setShortcut(QKeySequence(Qt::Key_F10));
  addAction(parameters);
  connect(parameters, &QAction::triggered, this, [this] {
    parameters_->show();
    parameters_->raise();
  });
}

void MainWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(false);
  sourceStatus_ = new QLabel;
  progressBar_ = new QProgressBar;
  progressBar_->setRange(0, 100);
  progressBar_->setTextVisible(false);
  progressBar_->setFixedHeight(12);
  progressBar_->setMinimumWidth(240);
  progressBar_->hide();
  percentLabel_ = new QLabel;
  percentLabel_->setMinimumWidth(44);
  percentLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  percentLabel_->hide();
  styleStatus_ = new QLabel;
  styleStatus_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  bar->addWidget(sourceStatus_, 1);
  bar->addWidget(progressBar_, 2);
  bar->addWidget(percentLabel_);
  bar->addPermanentWidget(styleStatus_);
}

void MainWindow::OpenStartPicture() {
  const std::filesystem::path path = FindResource(kSamplePicture);
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
  document_.ResultPicture = document_.SourcePicture;
  document_.ResultUnnamed = true;
  document_.RecordPictureSizes();
  if (const Status started = document_.StartHistory(); !started) ShowError(QString::fromStdString(started.message()));
  RefreshView();
}

bool MainWindow::OpenPicture(const QString& path) {
  if (running_) context_.AbortRequested = true;
  LoadedImage loaded = LoadImageFile(path.toStdString());
  if (!loaded.status) {
    ShowError(QString::fromStdString(loaded.status.message()));
    return false;
  }
  document_.SourceDpi = loaded.dpi;
  SetSourcePicture(std::move(loaded.picture), QFileInfo(path).fileName().toStdString());
  return true;
}

void MainWindow::SetSourcePicture(Bitmap24 picture, const std::string& displayName) {
  document_.SourcePicture = std::move(picture);
  document_.SourceDisplayName = displayName;
  document_.RecordPictureSizes();
  if (const Status saved = document_.SaveToHistory(HistoryKind::Source); !saved) {
    ShowError(QString::fromStdString(saved.message()));
  }
  RefreshView();
}

void MainWindow::SetSourceAndResult(Bitmap24 picture, const std::string& displayName) {
  if (running_) context_.AbortRequested = true;
  document_.ResultPicture = picture;
  document_.ResultUnnamed = true;
  document_.ResultStyleName.clear();
  SetSourcePicture(std::move(picture), displayName);
  if (const Status saved = document_.SaveToHistory(HistoryKind::Result); !saved) {
    ShowError(QString::fromStdString(saved.message()));
  }
  RefreshView();
}

void MainWindow::ChooseAndOpenPicture() {
  const QString path = QFileDialog::getOpenFileName(this, FromUtf8(Text(kOpenLine)), QString(),
                                                    "Pictures (*.jpg *.jpeg *.png *.bmp *.gif)");
  if (!path.isEmpty()) OpenPicture(path);
}

void MainWindow::ChooseAndSaveDrawing() {
  QString path = QFileDialog::getSaveFileName(this, FromUtf8(Text(kSaveAsLine)), QString(),
                                              "JPEG (*.jpg);;PNG (*.png);;BMP (*.bmp)");
  if (path.isEmpty()) return;
  ImageFormat format = FormatFromExtension(path.toStdString());
  if (format == ImageFormat::Unknown || format == ImageFormat::Gif) {
    format = ImageFormat::Jpeg;
    path += ".jpg";
  }
  if (const Status saved = SaveImageFile(document_.ResultPicture, path.toStdString(), format, document_.SourceDpi);
      !saved) {
    ShowError(QString::fromStdString(saved.message()));
  }
}

bool MainWindow::StartDrawing() {
  // One run at a time: "Draw!" is greyed while a run is under way.
  if (running_) return false;
  StyleSettings style = parameters_->CurrentStyleSettings();
  FinishingSettings finishing = parameters_->CurrentFinishingSettings();
  if (!StyleAvailable(style.effectId)) return false;
  if (const Status texture = PrepareTexture(finishing); !texture) {
    ShowError(QString::fromStdString(texture.message()));
    return false;
  }
  style.sourceMean = document_.SourceMeanColour;
  RunPictures pictures;
  pictures.source = document_.SourcePicture;
  pictures.result = document_.ResultPicture;
  const QString styleName = parameters_->StyleNameText();

  JoinWorker();
  context_.ResetWhenIdle();
  context_.StopPercentage = 100;
  running_ = true;
  workerDone_ = false;
  ShowRunState(true);
  worker_ = std::thread([this, style, finishing = std::move(finishing), pictures = std::move(pictures), styleName]() mutable {
    const RunOutcome outcome = RunEffect(pictures, style, finishing, context_);
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
  JoinWorker();
  running_ = false;
  ShowRunState(false);
  if (outcome == RunOutcome::Finished || outcome == RunOutcome::Aborted) {
    // An aborted run keeps what it drew, and that is a history step like any other.
    document_.ResultPicture = std::move(pictures.result);
    document_.ResultUnnamed = false;
    document_.ResultStyleName = styleName.toStdString();
    document_.RecordPictureSizes();
    if (const Status saved = document_.SaveToHistory(HistoryKind::Result, document_.ResultStyleName); !saved) {
      ShowError(QString::fromStdString(saved.message()));
    }
    for (const std::string& notice : pictures.notices) statusBar()->showMessage(QString::fromStdString(notice), 8000);
  }
  RefreshView();
  emit runFinished(outcome);
}

void MainWindow::RequestCancel() {
  if (!running_) return;
  if (AskToStop()) {
    context_.AbortRequested = true;
    parameters_->show();
  }
}

bool MainWindow::AskToStop() {
  if (cancelQuestion_) return cancelQuestion_();
  return QMessageBox::question(this, FromUtf8(Text(kInterruptLine)), FromUtf8(Text(kStopQuestionLine)),
                               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok;
}

void MainWindow::Undo() {
  if (running_) return;
  if (const Status undone = document_.undo(context_); !undone) ShowError(QString::fromStdString(undone.message()));
  context_.AbortRequested = false;
  RefreshView();
}

void MainWindow::Redo() {
  if (running_) return;
  if (const Status redone = document_.redo(context_); !redone) ShowError(QString::fromStdString(redone.message()));
  context_.AbortRequested = false;
  RefreshView();
}

void MainWindow::ShowProgress(int percent) {
  if (!running_) return;
  progressBar_->setValue(percent);
  percentLabel_->setText(QString::number(percent) + "%");
}

void MainWindow::ShowRunState(bool running) {
  progressBar_->setValue(0);
  progressBar_->setVisible(running);
  percentLabel_->setText("0%");
  percentLabel_->setVisible(running);
  sourceStatus_->setVisible(!running);
  styleStatus_->setVisible(!running);
  cancelAction_->setEnabled(running);
  openAction_->setEnabled(!running);
  saveAction_->setEnabled(!running);
  parameters_->SetRunning(running);
  undoAction_->setEnabled(!running && document_.UndoEnabled());
  redoAction_->setEnabled(!running && document_.RedoEnabled());
}

void MainWindow::RefreshView() {
  parameters_->SetPictures(document_.SourcePicture, document_.ResultPicture);
  sourcePanel_->SetPicture(document_.SourcePicture);
  resultPanel_->SetPicture(document_.ResultPicture);
  sourceStatus_->setText(QString::fromStdString(document_.SourceStatusText()));
  styleStatus_->setText(QString::fromStdString(document_.ResultStatusText()));
  undoAction_->setEnabled(!running_ && document_.UndoEnabled());
  redoAction_->setEnabled(!running_ && document_.RedoEnabled());
}

void MainWindow::ShowError(const QString& message) {
  if (qEnvironmentVariableIsSet("ATELION_NO_DIALOGS")) {
    statusBar()->showMessage(message, 8000);
    return;
  }
  QMessageBox::warning(this, "Atelion", message);
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
      "QStatusBar { background: #18191b; color: #c8cacf; }"
      "QStatusBar QLabel { padding: 0 6px; }"
      "QProgressBar { background: #101112; border: none; border-radius: 3px; }"
      "QProgressBar::chunk { background: #1e6b99; border-radius: 3px; }"
      "QDockWidget::title { padding: 6px; background: #26282c; }"
      "QToolBox::tab { background: #383b40; border-radius: 3px; padding: 4px 8px; color: #e4e6ea; }"
      "QToolBox::tab:selected { background: #3d8ed8; color: white; }"
      "QPushButton#drawButton { background: #3d8ed8; color: white; font-weight: bold; border-radius: 4px; }"
      "QPushButton#drawButton:disabled { background: #44484e; color: #8a8d93; }");
}

}  // namespace atelion
