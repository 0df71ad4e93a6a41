// What the main window does with the strokes a Painting 4 run leaves: HD painting repaints them
// at a larger size on the worker thread, and the SVG file describes them as polygons.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <memory>

#include "styles/painting/painting_4.h"
#include "ui/hd_painting_window.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/status_panel.h"

namespace atelion {
namespace {

// How often the HD window shows how far the repainting got.
constexpr int kReplayProgressMs = 200;

}  // namespace

void MainWindow::ForgetStrokes() {
  strokeHistory_.Clear();
  if (parameters_ != nullptr) parameters_->ShowStrokePictograms(false);
}

void MainWindow::ShowHdPainting() {
  if (running_ || strokeHistory_.strokes.empty()) return;
  if (hdWindow_ == nullptr) {
    hdWindow_ = new HdPaintingWindow(this);
    connect(hdWindow_, &HdPaintingWindow::replayRequested, this, [this](int percent) {
      if (!StartHdReplay(percent)) hdWindow_->SetReplaying(false);
    });
    connect(hdWindow_, &HdPaintingWindow::stopRequested, this, [this] { context_.AbortRequested = true; });
  }
  hdWindow_->SetReplaying(false);
  hdWindow_->SetSourceSize(document_.SourcePicture.Width(), document_.SourcePicture.Height());
  hdWindow_->adjustSize();
  hdWindow_->move(geometry().center() - hdWindow_->rect().center());
  hdWindow_->open();
}

bool MainWindow::StartHdReplay(int percent) {
  if (running_ || strokeHistory_.strokes.empty()) return false;
  const StyleSettings style = parameters_->CurrentStyleSettings();
  const UserBrushes& brushes = parameters_->Brushes();
  // The replay paints with the blending and brushes in force now, as the window shows them.
  const int blending = parameters_->Parameters().Current(kPainting4EffectId)[kSlotTrackBar3];
  const int width = document_.SourcePicture.Width(), height = document_.SourcePicture.Height();
  auto picture = std::make_shared<Bitmap24>();
  const bool started = StartWork(
      [strokes = strokeHistory_.strokes, brushSet = brushes.strokeBrushes, picture, width, height, percent,
       ground = style.paperColour, blending](RunContext& context) {
        const std::span<const Bitmap32> custom =
            brushSet != nullptr ? std::span<const Bitmap32>(*brushSet) : std::span<const Bitmap32>();
        *picture = ReplayStrokes(strokes, width, height, percent / 100.0, ground, blending, custom, context);
      },
      [this, picture] {
        RecordScriptStep(HistoryKind::Result, std::move(*picture), document_.ResultStyleName);
        RefreshView(true);
        const Bitmap24& result = document_.ResultPicture;
        statusPanel_->SetStyleText(QStringLiteral("%1_HD - %2x%3")
                                       .arg(QString::fromStdString(document_.SourceDisplayName))
                                       .arg(result.Width())
                                       .arg(result.Height()));
        if (hdWindow_ != nullptr) {
          hdWindow_->SetReplaying(false);
          hdWindow_->accept();
        }
      },
      [] {});
  if (!started) return false;
  if (hdWindow_ != nullptr) {
    auto* timer = new QTimer(hdWindow_);
    connect(timer, &QTimer::timeout, this, [this, timer] {
      if (!running_) {
        timer->deleteLater();
        return;
      }
      hdWindow_->ShowProgress(statusPanel_->PercentText());
    });
    timer->start(kReplayProgressMs);
  }
  return true;
}

Status MainWindow::SaveStrokeSvg(const std::filesystem::path& path) const {
  const int blending = parameters_->Parameters().Current(kPainting4EffectId)[kSlotTrackBar3];
  return WriteStrokeSvg(path, strokeHistory_.strokes, document_.SourcePicture.Width(),
                        document_.SourcePicture.Height(), blending);
}

void MainWindow::SaveStrokeSvgWithDialog() {
  if (running_ || strokeHistory_.strokes.empty()) return;
  const QString name = QFileInfo(QString::fromStdString(document_.SourceDisplayName)).completeBaseName();
  const QString proposed = (name.isEmpty() ? QStringLiteral("strokes") : name) + QStringLiteral(".svg");
  const QString start = lastSaveFolder_.isEmpty() ? proposed : QDir(lastSaveFolder_).filePath(proposed);
  QString chosen = QFileDialog::getSaveFileName(this, QString(), start, QStringLiteral("SVG files (*.svg)"));
  if (chosen.isEmpty()) return;
  if (QFileInfo(chosen).suffix().isEmpty()) chosen += QStringLiteral(".svg");
  lastSaveFolder_ = QFileInfo(chosen).absolutePath();
  if (const Status saved = SaveStrokeSvg(chosen.toStdString()); !saved) {
    ShowError(QString::fromStdString(saved.message()));
  }
}

}  // namespace atelion
