// The full-screen view: one picture alone on the whole screen the main window is on, on white,
// until the user clicks or presses a key.
#pragma once

#include <QImage>
#include <QWidget>

#include "core/bitmap24.h"

class QScreen;

namespace atelion {

class FullScreenView : public QWidget {
  Q_OBJECT
 public:
  explicit FullScreenView(QWidget* parent = nullptr);

  /// Shows `picture` on `screen`, fitted (stretched when the shapes nearly agree), resampled to the
  /// size it is shown at and sharpened.
  void ShowPicture(const Bitmap24& picture, QScreen* screen);
  /// Where the picture is drawn, in the view's pixels.
  QRect PictureRect() const { return target_; }

 signals:
  /// The view was closed by a click or a key.
  void closed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QImage image_;
  QRect target_;
};

}  // namespace atelion
