// "Source image modifications": five sliders (luminosity, contrast, saturation, blur or sharpen,
// median simplification) adjust the photograph before a style is drawn. A 150 × 150 preview of a
// part of the photograph, which the user drags to another place, follows the sliders; it is
// computed on its own thread, and a newer request stops an older one. "Apply changes" runs the
// same chain over the whole photograph on the main window's worker thread and records it as one
// history step; the vibrance button lifts the colours at once, also as one step.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QTimer>
#include <array>
#include <memory>
#include <thread>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "document/source_modifications.h"

class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace atelion {

class MainWindow;

/// The 150 × 150 box of the preview with its two-pixel frame; the part shown is dragged with the
/// mouse or moved with the arrow keys.
class ModificationPreviewBox : public QWidget {
  Q_OBJECT
 public:
  explicit ModificationPreviewBox(QWidget* parent = nullptr);
  /// Shows `picture` at the box's top-left corner; what it does not cover stays dark.
  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return picture_; }

 signals:
  /// The pointer moved by `delta` while pressed (or an arrow key was pressed).
  void dragged(QPoint delta);
  /// The drag ended (or an arrow key was released).
  void released();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  QImage picture_;
  bool dragging_ = false;
  QPoint last_;
};

class SourceModificationsWindow : public QDialog {
  Q_OBJECT
 public:
  SourceModificationsWindow(MainWindow& main, QWidget* parent = nullptr);
  /// Stops a computing preview and waits for its thread.
  ~SourceModificationsWindow() override;

  /// The slider positions as they are now.
  SourceModificationSettings Settings() const;
  /// The slider that changed last (1..5), 0 when none did since the window opened or was applied.
  int LastChangedSlider() const { return lastChanged_; }
  /// The top-left corner of the part of the photograph the preview shows.
  Point PreviewOrigin() const { return origin_; }
  /// Moves the preview part (kept within the photograph) and shows it plain until the settings
  /// have been applied to it.
  void MovePreview(Point origin);
  /// The picture the preview box shows: the part with the settings applied once computed.
  const Bitmap24& PreviewPicture() const { return preview_; }
  /// True while "Apply changes" or the vibrance button works on the whole photograph.
  bool Applying() const { return applying_; }

  /// "Apply changes": the settings over the whole photograph as one history step, then the window
  /// closes. Without a slider moved nothing changes, but the step is still recorded.
  void ApplyChanges();
  /// "Reset values": every slider back to 0.
  void ResetValues();
  /// The vibrance button: the photograph's colours lifted (amount 55) as one history step.
  void ApplyVibrance();

  QSlider* Slider(int index) const { return sliders_[index]; }
  ModificationPreviewBox* Box() const { return box_; }

 signals:
  /// A preview of the current settings is in the box.
  void previewShown();
  /// The photograph was changed and recorded (or the unchanged one recorded).
  void applied();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SliderChanged(int index, int position);
  void DebounceTick();
  void RequestPreview();
  void StartPreview();
  void PreviewFinished(quint64 generation, bool complete, Bitmap24 picture);
  void ShowPlainPart();
  void ShowPreview(const Bitmap24& picture);
  /// Runs `work` over a copy of the photograph on the main window's worker thread; when it was not
  /// stopped the copy replaces the photograph as one history step. The window then closes.
  void WorkOnWholeSource(std::function<bool(Bitmap24&, RunContext&)> work);
  void SetControlsEnabled(bool enabled);
  void StopPreview();

  MainWindow& main_;
  std::array<QSlider*, 5> sliders_{};
  std::array<QLabel*, 5> values_{};
  ModificationPreviewBox* box_ = nullptr;
  QToolButton* vibrance_ = nullptr;
  QPushButton* reset_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* apply_ = nullptr;

  int lastChanged_ = 0;
  Point origin_ = kModificationPreviewStart;
  Bitmap24 preview_;
  bool applying_ = false;
  bool parametersWereShown_ = false;
  /// Waits after a slider change until the mouse button is up, then a little longer.
  QTimer debounceTimer_;
  QTimer proceedTimer_;

  quint64 generation_ = 0;
  bool previewPending_ = false;
  std::shared_ptr<RunContext> jobContext_;
  std::thread worker_;
};

}  // namespace atelion
