// The HD painting window: a scale from 100 % to 1000 % of the photograph (held so that neither
// side of the new picture exceeds 20000 pixels), the new width and height, OK and Cancel. OK asks
// the main window to repaint Painting 4's strokes at that size; while that runs the window shows
// how far it got, and Cancel (or Esc) stops it at the next stroke, keeping what was painted.
#pragma once

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;
class QSlider;

namespace atelion {

class HdPaintingWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HdPaintingWindow(QWidget* parent = nullptr);

  /// The size of the photograph the strokes were found on; the scale is held within the limit.
  void SetSourceSize(int width, int height);
  int Percent() const;
  /// While the repainting runs the scale and OK rest; `text` tells how far it got.
  void SetReplaying(bool replaying);
  void ShowProgress(const QString& text);

  QSlider* Scale() const { return scale_; }
  QLabel* PercentLabel() const { return percent_; }
  QLabel* WidthLabel() const { return width_; }
  QLabel* HeightLabel() const { return height_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 signals:
  /// OK: repaint at `percent` % of the photograph's size.
  void replayRequested(int percent);
  /// Cancel while repainting: stop at the next stroke.
  void stopRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ScaleChanged(int percent);
  void CancelPressed();

  QLabel* icon_ = nullptr;
  QLabel* percent_ = nullptr;
  QLabel* width_ = nullptr;
  QLabel* height_ = nullptr;
  QLabel* progress_ = nullptr;
  QSlider* scale_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  int sourceWidth_ = 1;
  int sourceHeight_ = 1;
  bool replaying_ = false;
};

/// The two pictograms the drawing-parameters window shows after a Painting 4 run: the strokes
/// repainted larger, and the strokes saved as a vector file. Drawn by our own code.
QIcon HdPaintingIcon();
QIcon StrokeSvgIcon();

}  // namespace atelion
