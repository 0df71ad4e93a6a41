// The 220 × 220 preview box of the drawing-parameters window: shows a picture of its own size,
// reports mouse presses, drags and releases to the window (which moves the crop), and draws a
// small turning arc in its corner while a preview computes.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "core/bitmap24.h"

namespace atelion {

class PreviewBox : public QWidget {
  Q_OBJECT
 public:
  explicit PreviewBox(QWidget* parent = nullptr);

  /// Shows `picture` as it is (the window gives it the box's size).
  void SetPicture(const Bitmap24& picture);
  /// The picture now shown, for tests.
  const Bitmap24& Picture() const { return picture_; }

  /// Shows or hides the "working" arc.
  void SetWorking(bool working);
  bool Working() const { return working_; }

 signals:
  void pressed(Qt::MouseButton button, QPoint position);
  void dragged(QPoint position);
  void released(Qt::MouseButton button, QPoint position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Bitmap24 picture_;
  QImage image_;
  bool working_ = false;
  int spinnerStep_ = 0;
  QTimer spinner_;
};

}  // namespace atelion
