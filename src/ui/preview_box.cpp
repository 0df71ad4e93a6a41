#include "ui/preview_box.h"

#include <QMouseEvent>
#include <QPainter>

#include "effects/preview.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

constexpr int kSpinnerIntervalMs = 80;
constexpr int kSpinnerSteps = 12;
constexpr int kSpinnerSide = 16;

}  // namespace

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {
  setObjectName("previewBox");
  setFixedSize(kPreviewBoxSide, kPreviewBoxSide);
  setCursor(Qt::OpenHandCursor);
  spinner_.setInterval(kSpinnerIntervalMs);
  connect(&spinner_, &QTimer::timeout, this, [this] {
    spinnerStep_ = (spinnerStep_ + 1) % kSpinnerSteps;
    update(width() - kSpinnerSide - 8, 4, kSpinnerSide + 4, kSpinnerSide + 4);
  });
}

void PreviewBox::SetPicture(const Bitmap24& picture) {
  picture_ = picture;
  image_ = ToQImage(picture_);
  update();
}

void PreviewBox::SetWorking(bool working) {
  if (working == working_) return;
  working_ = working;
  if (working) {
    spinner_.start();
  } else {
    spinner_.stop();
  }
  update();
}

void PreviewBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0x23, 0x23, 0x23));
  if (!image_.isNull()) painter.drawImage(QPoint(0, 0), image_);
  if (!working_) return;
  // A quarter arc turning in the top-right corner on a translucent disc, visible on light and
  // dark pictures alike.
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF disc(width() - kSpinnerSide - 6, 6, kSpinnerSide, kSpinnerSide);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 120));
  painter.drawEllipse(disc.adjusted(-2, -2, 2, 2));
  painter.setPen(QPen(QColor(0xf0, 0xa8, 0x48), 2.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawArc(disc.adjusted(2, 2, -2, -2), -spinnerStep_ * (360 / kSpinnerSteps) * 16, 100 * 16);
}

void PreviewBox::mousePressEvent(QMouseEvent* event) {
  setCursor(Qt::ClosedHandCursor);
  emit pressed(event->button(), event->position().toPoint());
}

void PreviewBox::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() != Qt::NoButton) emit dragged(event->position().toPoint());
}

void PreviewBox::mouseReleaseEvent(QMouseEvent* event) {
  setCursor(Qt::OpenHandCursor);
  emit released(event->button(), event->position().toPoint());
}

}  // namespace atelion
