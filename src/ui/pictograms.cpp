#include "ui/pictograms.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace atelion {
namespace {

constexpr int kSide = 48;  // drawn at twice the shown size so the icon stays crisp on dense screens
const QColor kTile(0x2b, 0x2d, 0x31);
const QColor kTileOn(0x3a, 0x33, 0x2a);
const QColor kStroke(0xd8, 0xda, 0xde);
const QColor kAccent(0xf0, 0xa8, 0x48);

void DrawMagnifier(QPainter& painter, bool plus) {
  painter.drawEllipse(QRectF(9, 9, 22, 22));
  painter.drawLine(QPointF(28, 28), QPointF(39, 39));
  painter.drawLine(QPointF(14, 20), QPointF(26, 20));
  if (plus) painter.drawLine(QPointF(20, 14), QPointF(20, 26));
}

void DrawSoften(QPainter& painter, const QColor& colour) {
  // A hard edge on the left, a fading one on the right.
  painter.drawRect(QRectF(10, 12, 12, 24));
  for (int step = 0; step < 5; ++step) {
    QColor faded = colour;
    faded.setAlphaF(1.0 - step * 0.18);
    painter.fillRect(QRectF(24 + step * 3, 12, 3, 24), faded);
  }
}

void DrawFrame(QPainter& painter) {
  painter.drawRect(QRectF(8, 10, 32, 28));
  painter.drawRect(QRectF(14, 16, 20, 16));
}

void DrawTexture(QPainter& painter) {
  // Canvas weave: short alternating dashes.
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const double x = 9 + column * 8, y = 10 + row * 8;
      if ((row + column) % 2 == 0) {
        painter.drawLine(QPointF(x, y + 3), QPointF(x + 5, y + 3));
      } else {
        painter.drawLine(QPointF(x + 3, y), QPointF(x + 3, y + 5));
      }
    }
  }
}

void DrawText(QPainter& painter) {
  painter.drawLine(QPointF(12, 12), QPointF(36, 12));
  painter.drawLine(QPointF(24, 12), QPointF(24, 37));
  painter.drawLine(QPointF(19, 37), QPointF(29, 37));
}

void DrawTick(QPainter& painter) {
  QPainterPath tick;
  tick.moveTo(30, 39);
  tick.lineTo(35, 44);
  tick.lineTo(45, 32);
  painter.setPen(QPen(kAccent, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(tick);
}

QPixmap Draw(Pictogram kind, bool on) {
  QPixmap pixmap(kSide, kSide);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(on ? kTileOn : kTile);
  painter.drawRoundedRect(QRectF(1, 1, kSide - 2, kSide - 2), 8, 8);
  const QColor colour = on ? kAccent : kStroke;
  painter.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  switch (kind) {
    case Pictogram::ZoomIn: DrawMagnifier(painter, true); break;
    case Pictogram::ZoomOut: DrawMagnifier(painter, false); break;
    case Pictogram::Soften: DrawSoften(painter, colour); break;
    case Pictogram::Frame: DrawFrame(painter); break;
    case Pictogram::Texture: DrawTexture(painter); break;
    case Pictogram::Text: DrawText(painter); break;
  }
  if (on) DrawTick(painter);
  return pixmap;
}

}  // namespace

QIcon PictogramIcon(Pictogram kind) {
  QIcon icon;
  icon.addPixmap(Draw(kind, false), QIcon::Normal, QIcon::Off);
  icon.addPixmap(Draw(kind, true), QIcon::Normal, QIcon::On);
  return icon;
}

}  // namespace atelion
