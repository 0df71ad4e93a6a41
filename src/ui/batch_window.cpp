#include "ui/batch_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <thread>

#include "ui/interface_texts.h"
#include "ui/main_window.h"

namespace atelion {

namespace {

constexpr int kFilesLine = 33;
constexpr int kOutputFolderLine = 34;
constexpr int kOverwriteLine = 35;
constexpr int kCaptionLine = 36;
constexpr int kAddFilesLine = 37;
constexpr int kCancelLine = 38;
constexpr int kProcessLine = 39;
// After a cancel the window stays a moment, so the user sees the list emptied.
constexpr int kCloseAfterCancelMs = 1000;

const char kPictureFilter[] =
    "All Image Files (*.jpg *.jpeg *.png *.bmp);;PNG Image Files (*.png);;BMP Image Files (*.bmp);;"
    "JPEG Image Files (*.jpg *.jpeg)";

std::filesystem::path ToPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

}  // namespace

BatchWindow::BatchWindow(MainWindow& main, QWidget* parent) : QDialog(parent), main_(main) {
  setObjectName("batchWindow");
  BindLine(this, kCaptionLine, [this](const QString& text) { setWindowTitle(text); });
  setAcceptDrops(true);

  auto* filesLabel = new QLabel;
  BindLine(filesLabel, kFilesLine, [filesLabel](const QString& text) { filesLabel->setText(text); });
  list_ = new QListWidget;
  list_->setObjectName("batchFiles");
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setMinimumSize(420, 220);
  auto* add = new QPushButton;
  add->setObjectName("batchAddFiles");
  BindLine(add, kAddFilesLine, [add](const QString& text) { add->setText(text); });
  connect(add, &QPushButton::clicked, this, &BatchWindow::ChooseFiles);

  auto* folderLabel = new QLabel;
  BindLine(folderLabel, kOutputFolderLine, [folderLabel](const QString& text) { folderLabel->setText(text); });
  folder_ = new QLineEdit;
  folder_->setObjectName("batchOutputFolder");
  connect(folder_, &QLineEdit::editingFinished, this, &BatchWindow::CheckFolder);
  auto* browse = new QPushButton("...");
  browse->setObjectName("batchChooseFolder");
  browse->setFixedWidth(36);
  connect(browse, &QPushButton::clicked, this, &BatchWindow::ChooseFolder);
  overwrite_ = new QCheckBox;
  overwrite_->setObjectName("batchOverwrite");
  BindLine(overwrite_, kOverwriteLine, [this](const QString& text) { overwrite_->setText(text); });

  status_ = new QLabel;
  status_->setObjectName("batchStatus");
  cancel_ = new QPushButton;
  cancel_->setObjectName("batchCancel");
  BindLine(cancel_, kCancelLine, [this](const QString& text) { cancel_->setText(text); });
  connect(cancel_, &QPushButton::clicked, this, &BatchWindow::Cancel);
  process_ = new QPushButton;
  process_->setObjectName("batchProcess");
  process_->setDefault(true);
  BindLine(process_, kProcessLine, [this](const QString& text) { process_->setText(text); });
  connect(process_, &QPushButton::clicked, this, &BatchWindow::Process);

  auto* layout = new QGridLayout(this);
  layout->addWidget(filesLabel, 0, 0, 1, 2);
  layout->addWidget(list_, 1, 0, 1, 2);
  layout->addWidget(add, 2, 0, Qt::AlignLeft);
  layout->addWidget(folderLabel, 3, 0, 1, 2);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder_, 1);
  folderRow->addWidget(browse);
  layout->addLayout(folderRow, 4, 0, 1, 2);
  layout->addWidget(overwrite_, 5, 0, 1, 2);
  layout->addWidget(status_, 6, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cancel_);
  buttons->addWidget(process_);
  layout->addLayout(buttons, 7, 0, 1, 2);

  closeTimer_.setSingleShot(true);
  connect(&closeTimer_, &QTimer::timeout, this, &QDialog::close);
}

void BatchWindow::AddFiles(const QStringList& paths) {
  if (processing_) return;
  for (const QString& path : paths) list_->addItem(QDir::cleanPath(path));
  if (folder_->text().isEmpty() && !paths.isEmpty()) folder_->setText(QFileInfo(paths.front()).absolutePath());
}

QStringList BatchWindow::Files() const {
  QStringList files;
  for (int row = 0; row < list_->count(); ++row) files.append(list_->item(row)->text());
  return files;
}

void BatchWindow::SetOutputFolder(const QString& folder) {
  folder_->setText(folder);
  CheckFolder();
}

QString BatchWindow::OutputFolder() const { return folder_->text(); }

void BatchWindow::ChooseFiles() {
  if (processing_) return;
  AddFiles(QFileDialog::getOpenFileNames(this, windowTitle(), folder_->text(), kPictureFilter));
}

void BatchWindow::ChooseFolder() {
  if (processing_) return;
  const QString folder = QFileDialog::getExistingDirectory(this, "Select a directory", folder_->text());
  if (!folder.isEmpty()) folder_->setText(folder);
}

void BatchWindow::CheckFolder() {
  // A folder that does not exist is not kept: the results would have nowhere to go.
  if (!folder_->text().isEmpty() && !QFileInfo(folder_->text()).isDir()) folder_->clear();
}

void BatchWindow::Process() {
  if (processing_ || main_.Running()) return;
  if (list_->count() == 0) {
    close();
    return;
  }
  std::optional<ConversionJob> conversion = main_.CurrentConversion();
  if (!conversion) return;
  CheckFolder();
  BatchJob job;
  for (const QString& file : Files()) job.files.push_back(ToPath(file));
  job.outputFolder = ToPath(folder_->text());
  job.overwrite = overwrite_->isChecked();
  job.conversion = std::move(*conversion);
  job.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  job.stopAtFailure = true;

  auto stop = std::make_shared<StopRequest>();
  auto summary = std::make_shared<BatchSummary>();
  const int count = list_->count();
  BatchObserver observer;
  QPointer<BatchWindow> window(this);
  observer.fileStarted = [window, count](int index, int, const std::filesystem::path& input) {
    QMetaObject::invokeMethod(window, [window, index, count, name = QString::fromStdString(input.filename().string())] {
      if (!window) return;
      window->list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
      window->status_->setText(QString("%1 / %2  %3").arg(index + 1).arg(count).arg(name));
    });
  };
  observer.progress = [window](int percent) {
    QMetaObject::invokeMethod(window, [window, percent] {
      if (window) window->main_.ShowWorkProgress(percent, window->status_->text());
    });
  };
  const bool started = main_.StartWork(
      [job = std::move(job), stop, summary, observer = std::move(observer)](RunContext&) {
        *summary = RunBatch(job, *stop, observer);
      },
      [window, summary] {
        if (window) window->Finish(*summary);
      },
      [stop] { stop->Request(); });
  if (!started) return;
  stop_ = stop;
  processing_ = true;
  process_->setEnabled(false);
}

void BatchWindow::Finish(const BatchSummary& summary) {
  processing_ = false;
  stop_.reset();
  process_->setEnabled(true);
  emit finished(summary);
  if (summary.cancelled) return;  // the cancel closes the window itself
  QString message;
  for (const BatchFileReport& report : summary.files) {
    if (report.outcome == BatchFileOutcome::Failed) message += QString::fromStdString(report.message) + "\n";
  }
  if (!message.isEmpty()) {
    if (messenger_) {
      messenger_(message.trimmed());
    } else {
      QMessageBox::warning(this, windowTitle(), message.trimmed());
    }
  }
  list_->clear();
  status_->clear();
  close();
}

void BatchWindow::Cancel() {
  if (stop_) main_.StopWork();
  list_->clear();
  status_->clear();
  closeTimer_.start(kCloseAfterCancelMs);
}

void BatchWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && list_->hasFocus() && !processing_) {
    qDeleteAll(list_->selectedItems());
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    Cancel();
    return;
  }
  QDialog::keyPressEvent(event);
}

void BatchWindow::closeEvent(QCloseEvent* event) {
  // Closing the window while it works stops the batch, as Cancel does.
  if (processing_ && stop_) main_.StopWork();
  QDialog::closeEvent(event);
}

void BatchWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && !processing_) event->acceptProposedAction();
}

void BatchWindow::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) paths.append(url.toLocalFile());
  }
  AddFiles(paths);
  event->acceptProposedAction();
}

}  // namespace atelion
