#include "ui/texture_knob.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "finishing/texture.h"

namespace atelion {
namespace {

// The pointer runs from a fifth to nearly half of the knob's side out from its centre, drawn in
// light blue over a dark shadow a little below and to the right.
constexpr double kPointerInner = 20.0 / 128;
constexpr double kPointerOuter = 49.0 / 128;
constexpr double kPointerWidth = 7.0 / 128;
constexpr double kShadowOffset = 4.0 / 128;
const QColor kPointerColour(0x4C, 0xC1, 0xFF);

}  // namespace

TextureKnob::TextureKnob(QWidget* parent) : QWidget(parent) {
  setFixedSize(kSide, kSide);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  SetValue(0);
}

void TextureKnob::SetValue(int strength) {
  strength = std::clamp(strength, 0, 100);
  if (strength == value_ && KnobStrength(angle_) == strength) return;
  SetAngle(KnobAngle(strength));
}

void TextureKnob::SetAngle(double angle) {
  angle_ = angle;
  const int strength = std::clamp(KnobStrength(angle), 0, 100);
  update();
  if (strength == value_) return;
  value_ = strength;
  emit valueChanged(value_);
}

void TextureKnob::TurnTowards(QPointF position) {
  const double half = kSide / 2.0;
  const float angle = std::atan2(static_cast<float>(position.y() - half), static_cast<float>(position.x() - half));
  SetAngle(angle);
}

void TextureKnob::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double side = std::min(width(), height());
  const QPointF centre(width() / 2.0, height() / 2.0);
  const double radius = side / 2 - 2;
  // The knob: a dark ring with a mark at each quarter, and a raised cap lit from the upper left.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1b, 0x1c, 0x1f));
  painter.drawEllipse(centre, radius, radius);
  painter.setPen(QPen(QColor(0x8a, 0x8f, 0x98), std::max(1.0, side / 40)));
  for (int quarter = 0; quarter < 4; ++quarter) {
    const double a = quarter * M_PI / 2;
    painter.drawLine(centre + QPointF(std::cos(a), std::sin(a)) * (radius - side / 14),
                     centre + QPointF(std::cos(a), std::sin(a)) * radius);
  }
  QRadialGradient cap(centre - QPointF(radius / 3, radius / 3), radius);
  cap.setColorAt(0, QColor(0x6a, 0x6e, 0x76));
  cap.setColorAt(1, QColor(0x2c, 0x2e, 0x33));
  painter.setPen(QPen(QColor(0x12, 0x12, 0x14), 1));
  painter.setBrush(cap);
  const double capRadius = radius - side / 10;
  painter.drawEllipse(centre, capRadius, capRadius);
  // The pointer, first its shadow.
  const QPointF direction(std::cos(angle_), std::sin(angle_));
  const QPointF from = centre + direction * (kPointerInner * side);
  const QPointF to = centre + direction * (kPointerOuter * side);
  const QPointF shadow(kShadowOffset * side / 2, kShadowOffset * side / 2);
  painter.setPen(QPen(QColor(0, 0, 0, 160), kPointerWidth * side, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(from + shadow, to + shadow);
  painter.setPen(QPen(isEnabled() ? kPointerColour : QColor(0x70, 0x74, 0x7a), kPointerWidth * side, Qt::SolidLine,
                      Qt::RoundCap));
  painter.drawLine(from, to);
  if (hasFocus()) {
    painter.setPen(QPen(palette().highlight().color(), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius + 1, radius + 1);
  }
}

void TextureKnob::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  setFocus(Qt::MouseFocusReason);
  TurnTowards(event->position());
}

void TextureKnob::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || event->modifiers() != Qt::NoModifier) return;
  TurnTowards(event->position());
}

void TextureKnob::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps == 0) return QWidget::wheelEvent(event);
  SetValue(value_ + steps);
  event->accept();
}

void TextureKnob::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up:
      SetValue(value_ + 1);
      break;
    case Qt::Key_Left:
    case Qt::Key_Down:
      SetValue(value_ - 1);
      break;
    case Qt::Key_PageUp:
      SetValue(value_ + 10);
      break;
    case Qt::Key_PageDown:
      SetValue(value_ - 10);
      break;
    case Qt::Key_Home:
      SetValue(0);
      break;
    case Qt::Key_End:
      SetValue(100);
      break;
    default:
      return QWidget::keyPressEvent(event);
  }
  event->accept();
}

}  // namespace atelion
