#include "ui/full_screen_view.h"

#include <QCloseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "core/filters.h"
#include "core/geometry.h"
#include "document/full_screen.h"
#include "ui/picture_panel.h"

namespace atelion {

FullScreenView::FullScreenView(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("fullScreenView");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::ArrowCursor);
}

void FullScreenView::ShowPicture(const Bitmap24& picture, QScreen* screen) {
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const PlacedRect placed = FullScreenPlacement({area.width(), area.height()}, {picture.Width(), picture.Height()});
  target_ = QRect(placed.left, placed.top, placed.width, placed.height);
  Bitmap24 shown(std::max(1, placed.width), std::max(1, placed.height));
  Resample(picture, shown);
  Sharpen3(shown);
  image_ = ToQImage(shown);
  // The window is put on the main window's screen before it asks for full screen; the platform
  // (a Wayland compositor, say) places it there.
  if (windowHandle() == nullptr) create();
  windowHandle()->setScreen(screen);
  setGeometry(area);
  showFullScreen();
  raise();
  activateWindow();
  update();
}

void FullScreenView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!image_.isNull()) painter.drawImage(target_.topLeft(), image_);
}

void FullScreenView::mousePressEvent(QMouseEvent*) { close(); }

void FullScreenView::keyPressEvent(QKeyEvent*) { close(); }

void FullScreenView::closeEvent(QCloseEvent* event) {
  image_ = QImage();
  event->accept();
  emit closed();
}

}  // namespace atelion
