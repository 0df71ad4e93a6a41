#include "ui/custom_brush_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <cstring>

#include "styles/painting/custom_brushes.h"
#include "ui/interface_texts.h"

namespace atelion {
namespace {

constexpr QRgb kPaperColour = 0xFFF2EEE6;
// The angles tried are shown at most this often.
constexpr auto kTrialShowInterval = std::chrono::milliseconds(80);

}  // namespace

QImage BrushPreviewImage(const Bitmap32& brush) {
  QImage image(std::max(brush.Width(), 1), std::max(brush.Height(), 1), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < brush.Height(); ++y) {
    // Blue, green, red, alpha bytes are the layout of a 32-bit ARGB pixel on this machine.
    std::memcpy(image.scanLine(y), brush.Row(y), 4 * static_cast<std::size_t>(brush.Width()));
  }
  QImage shown(image.size(), QImage::Format_RGB32);
  shown.fill(kPaperColour);
  QPainter painter(&shown);
  painter.drawImage(0, 0, image);
  return shown;
}

CustomBrushWindow::CustomBrushWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("customBrushWindow");
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  BindLine(this, kLoadCustomBrushLine, [this](const QString& text) { setWindowTitle(text); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  preview_ = new QLabel;
  preview_->setObjectName("customBrushPreview");
  preview_->setFixedSize(kStrokeBrushWidth, kStrokeBrushHeight);
  QImage empty(kStrokeBrushWidth, kStrokeBrushHeight, QImage::Format_RGB32);
  empty.fill(kPaperColour);
  preview_->setPixmap(QPixmap::fromImage(empty));
  counter_ = new QLabel;
  counter_->setObjectName("customBrushCounter");
  counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  layout->addWidget(preview_);
  layout->addWidget(counter_);
  chooser_ = [this](const QString& caption, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileNames(this, caption, folder, filter);
  };
  question_ = [this](int count) {
    // The texts begin with blanks so that they stand in the middle of the small box.
    const QString text = count == 1 ? QStringLiteral("                  Optimize brush?")
                                    : QStringLiteral("                Optimize brushes?");
    QMessageBox box(QMessageBox::Question, QStringLiteral("Atelion"), text, QMessageBox::Yes | QMessageBox::No, this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return box.exec() == QMessageBox::Yes;
  };
}

CustomBrushWindow::~CustomBrushWindow() {
  stop_ = true;
  JoinWorker();
}

void CustomBrushWindow::JoinWorker() {
  if (worker_.joinable()) worker_.join();
}

void CustomBrushWindow::ShowBrush(const Bitmap32& brush, int number) {
  preview_->setPixmap(QPixmap::fromImage(
      BrushPreviewImage(brush).scaled(kStrokeBrushWidth, kStrokeBrushHeight, Qt::IgnoreAspectRatio)));
  counter_->setText(QStringLiteral("%1/%2").arg(number).arg(std::max<qsizetype>(paths_.size(), brushes_.size())));
}

void CustomBrushWindow::Start(const QString& folder) {
  stop_ = false;
  setWindowModality(Qt::WindowModal);
  show();
  // The dialog comes after the window is on screen, as the window is only ever shown for it.
  QTimer::singleShot(0, this, [this, folder] {
    const QStringList paths =
        chooser_(TrimmedLine(kLoadCustomBrushLine), folder, QStringLiteral("Transparent .png files (*.png *.PNG)"));
    if (paths.isEmpty()) {
      close();
      return;
    }
    if (const Status loaded = LoadBrushes(paths); !loaded) {
      if (qEnvironmentVariableIsEmpty("ATELION_NO_DIALOGS")) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(loaded.message()));
      }
      close();
      return;
    }
    if (question_(static_cast<int>(brushes_.size()))) {
      connect(this, &CustomBrushWindow::optimized, this, &CustomBrushWindow::Finish, Qt::SingleShotConnection);
      OptimizeBrushes();
    } else {
      Finish();
    }
  });
}

Status CustomBrushWindow::LoadBrushes(const QStringList& paths) {
  std::vector<Bitmap32> brushes;
  paths_ = paths;
  brushes_.clear();
  for (int i = 0; i < paths.size(); ++i) {
    Bitmap32 loaded;
    if (const Status status = LoadTransparentBrush(paths[i].toStdString(), loaded); !status) {
      paths_.clear();
      return status;
    }
    brushes.push_back(StretchStrokeBrush(loaded));
    ShowBrush(brushes.back(), i + 1);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  brushes_ = std::move(brushes);
  return Status::Ok();
}

void CustomBrushWindow::ShowBrushes(std::vector<Bitmap32> brushes) {
  paths_.clear();
  brushes_ = std::move(brushes);
  if (!brushes_.empty()) ShowBrush(brushes_.back(), static_cast<int>(brushes_.size()));
}

void CustomBrushWindow::OptimizeBrushes() {
  JoinWorker();
  stop_ = false;
  QPointer<CustomBrushWindow> self(this);
  worker_ = std::thread([this, self, brushes = brushes_]() mutable {
    auto last = std::chrono::steady_clock::now() - kTrialShowInterval;
    for (std::size_t i = 0; i < brushes.size() && !stop_; ++i) {
      const int number = static_cast<int>(i) + 1;
      OptimizeStrokeBrush(brushes[i], &stop_, [&](const BrushTrial& trial) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last < kTrialShowInterval) return;
        last = now;
        QMetaObject::invokeMethod(
            this, [self, picture = *trial.stretched, number] {
              if (self) self->ShowBrush(picture, number);
            },
            Qt::QueuedConnection);
      });
      QMetaObject::invokeMethod(
          this, [self, picture = brushes[i], number, i] {
            if (!self) return;
            self->brushes_[i] = picture;
            self->ShowBrush(picture, number);
          },
          Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(
        this, [self] {
          if (!self) return;
          self->JoinWorker();
          emit self->optimized();
        },
        Qt::QueuedConnection);
  });
}

void CustomBrushWindow::Finish() {
  emit brushesLoaded(brushes_, paths_);
  close();
}

void CustomBrushWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    // Esc stops the turning; the brushes keep what was done by then and the window closes after.
    stop_ = true;
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace atelion
