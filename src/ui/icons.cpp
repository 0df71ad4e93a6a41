#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>

namespace atelion {
namespace {

// Every icon is drawn on a 24 × 24 grid; the pixmaps are made at one and two device pixels per unit.
constexpr int kGrid = 24;

struct Ink {
  QColor line;    // outlines and arrows
  QColor accent;  // the one coloured detail of an icon
  QColor stop;    // the fill of the stop sign
  QColor onStop;  // the bar across it
};

const Ink kEnabledInk{QColor(0xdc, 0xdf, 0xe4), QColor(0x4f, 0xa3, 0xe8), QColor(0xd0, 0x4a, 0x43), QColor(Qt::white)};
const Ink kDisabledInk{QColor(0x5c, 0x5f, 0x66), QColor(0x5c, 0x5f, 0x66), QColor(0x45, 0x48, 0x4e),
                       QColor(0x6c, 0x6f, 0x76)};

QPen Stroke(const QColor& colour, qreal width = 2.0) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A filled arrow head with its tip at `tip`, pointing along `direction` (a unit vector).
void ArrowHead(QPainter& painter, QPointF tip, QPointF direction, const QColor& colour) {
  const QPointF back = tip - direction * 5.5;
  const QPointF side(-direction.y() * 4.0, direction.x() * 4.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(QPolygonF{tip, back + side, back - side});
}

// A three-quarter turn ending in an arrow head: `mirrored` makes it turn forward (redo).
void CurvedArrow(QPainter& painter, const Ink& ink, bool mirrored) {
  if (mirrored) {
    painter.translate(kGrid, 0);
    painter.scale(-1, 1);
  }
  QPainterPath path;
  path.moveTo(8, 9);
  path.lineTo(14, 9);
  path.cubicTo(22, 9, 22, 20, 14, 20);
  path.lineTo(9, 20);
  painter.setPen(Stroke(ink.line, 2.2));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
  ArrowHead(painter, QPointF(3, 9), QPointF(-1, 0), ink.accent);
}

// A sheet of paper with a folded corner, its top-left at (x, y).
void Sheet(QPainter& painter, const Ink& ink, qreal x, qreal y, qreal width, qreal height, const QColor& fill) {
  painter.setPen(Stroke(ink.line, 1.6));
  painter.setBrush(fill);
  painter.drawPolygon(QPolygonF{QPointF(x, y), QPointF(x + width - 4, y), QPointF(x + width, y + 4),
                                QPointF(x + width, y + height), QPointF(x, y + height)});
}

// A magnifier: a ring with its handle, and what `sign` draws inside the ring.
void Magnifier(QPainter& painter, const Ink& ink, int sign) {
  painter.setPen(Stroke(ink.line, 2.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(10, 10), 6.5, 6.5);
  painter.setPen(Stroke(ink.line, 3.0));
  painter.drawLine(QPointF(15, 15), QPointF(21, 21));
  painter.setPen(Stroke(ink.accent, 2.0));
  if (sign != 0) painter.drawLine(QPointF(7, 10), QPointF(13, 10));
  if (sign > 0) painter.drawLine(QPointF(10, 7), QPointF(10, 13));
  if (sign == 0) {
    painter.drawLine(QPointF(8, 7.5), QPointF(8, 12.5));
    painter.drawLine(QPointF(12.5, 7.5), QPointF(12.5, 12.5));
    painter.setPen(Stroke(ink.accent, 1.6));
    painter.drawPoint(QPointF(10.25, 8.8));
    painter.drawPoint(QPointF(10.25, 11.4));
  }
}

// A circle with a sign in it: the letter i of "about" or the question mark of help.
void SignInCircle(QPainter& painter, const Ink& ink, bool question) {
  painter.setPen(Stroke(ink.line, 1.8));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(12, 12), 8.5, 8.5);
  painter.setPen(Stroke(ink.accent, 2.2));
  if (question) {
    QPainterPath hook;
    hook.moveTo(9, 9.5);
    hook.cubicTo(9, 6.5, 15, 6.5, 15, 9.5);
    hook.cubicTo(15, 11.5, 12, 11.5, 12, 14);
    painter.drawPath(hook);
    painter.drawPoint(QPointF(12, 17.2));
  } else {
    painter.drawPoint(QPointF(12, 7.8));
    painter.drawLine(QPointF(12, 11), QPointF(12, 17));
  }
}

void DrawIcon(QPainter& painter, ToolIcon icon, const Ink& ink) {
  switch (icon) {
    case ToolIcon::Open: {
      painter.setPen(Stroke(ink.line, 1.8));
      painter.setBrush(Qt::NoBrush);
      QPainterPath back;
      back.moveTo(3, 19);
      back.lineTo(3, 5);
      back.lineTo(9, 5);
      back.lineTo(11, 7.5);
      back.lineTo(19, 7.5);
      back.lineTo(19, 10);
      painter.drawPath(back);
      QColor flap = ink.accent;
      flap.setAlpha(200);
      painter.setBrush(flap);
      painter.drawPolygon(QPolygonF{QPointF(3, 19), QPointF(6.5, 11), QPointF(22, 11), QPointF(18.5, 19)});
      break;
    }
    case ToolIcon::Save: {
      painter.setPen(Stroke(ink.line, 2.0));
      painter.setBrush(Qt::NoBrush);
      QPainterPath tray;
      tray.moveTo(4, 14);
      tray.lineTo(4, 20);
      tray.lineTo(20, 20);
      tray.lineTo(20, 14);
      painter.drawPath(tray);
      painter.setPen(Stroke(ink.accent, 2.4));
      painter.drawLine(QPointF(12, 3), QPointF(12, 11));
      ArrowHead(painter, QPointF(12, 16.5), QPointF(0, 1), ink.accent);
      break;
    }
    case ToolIcon::Undo:
      CurvedArrow(painter, ink, false);
      break;
    case ToolIcon::Redo:
      CurvedArrow(painter, ink, true);
      break;
    case ToolIcon::Swap:
      painter.setPen(Stroke(ink.line, 2.2));
      painter.drawLine(QPointF(4, 8), QPointF(16, 8));
      ArrowHead(painter, QPointF(21, 8), QPointF(1, 0), ink.line);
      painter.setPen(Stroke(ink.accent, 2.2));
      painter.drawLine(QPointF(8, 16), QPointF(20, 16));
      ArrowHead(painter, QPointF(3, 16), QPointF(-1, 0), ink.accent);
      break;
    case ToolIcon::Parameters: {
      // Three slider rows, each knob at another place.
      const qreal knobs[] = {8, 16, 11};
      for (int row = 0; row < 3; ++row) {
        const qreal y = 6 + 6 * row;
        painter.setPen(Stroke(ink.line, 1.8));
        painter.drawLine(QPointF(3, y), QPointF(21, y));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink.accent);
        painter.drawEllipse(QPointF(knobs[row], y), 2.6, 2.6);
      }
      break;
    }
    case ToolIcon::Cancel: {
      // An octagon with a bar: the run stops.
      QPolygonF octagon;
      for (int corner = 0; corner < 8; ++corner) {
        const qreal angle = (22.5 + 45.0 * corner) * 3.14159265358979 / 180.0;
        octagon << QPointF(12 + 9.5 * std::cos(angle), 12 + 9.5 * std::sin(angle));
      }
      painter.setPen(Qt::NoPen);
      painter.setBrush(ink.stop);
      painter.drawPolygon(octagon);
      painter.setPen(Stroke(ink.onStop, 2.6));
      painter.drawLine(QPointF(7.5, 12), QPointF(16.5, 12));
      break;
    }
    case ToolIcon::Copy: {
      Sheet(painter, ink, 3, 3, 12, 14, Qt::transparent);
      QColor front = ink.accent;
      front.setAlpha(200);
      Sheet(painter, ink, 9, 7, 12, 14, front);
      break;
    }
    case ToolIcon::Paste: {
      painter.setPen(Stroke(ink.line, 1.8));
      painter.setBrush(Qt::NoBrush);
      painter.drawRoundedRect(QRectF(4, 4, 14, 17), 1.5, 1.5);
      painter.setBrush(ink.line);
      painter.drawRoundedRect(QRectF(8, 2.5, 6, 3.5), 1, 1);
      QColor sheet = ink.accent;
      sheet.setAlpha(220);
      Sheet(painter, ink, 11, 10, 10, 12, sheet);
      break;
    }
    case ToolIcon::Crop: {
      painter.setPen(Stroke(ink.line, 2.2));
      painter.setBrush(Qt::NoBrush);
      painter.drawPolyline(QPolygonF{QPointF(6, 2), QPointF(6, 18), QPointF(22, 18)});
      painter.setPen(Stroke(ink.accent, 2.2));
      painter.drawPolyline(QPolygonF{QPointF(2, 6), QPointF(18, 6), QPointF(18, 22)});
      break;
    }
    case ToolIcon::Print: {
      painter.setPen(Stroke(ink.line, 1.8));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRectF(7, 3, 10, 6));
      painter.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
      QColor sheet = ink.accent;
      sheet.setAlpha(220);
      painter.setBrush(sheet);
      painter.drawRect(QRectF(7, 14, 10, 7));
      break;
    }
    case ToolIcon::ZoomOut:
      Magnifier(painter, ink, -1);
      break;
    case ToolIcon::ZoomActual:
      Magnifier(painter, ink, 0);
      break;
    case ToolIcon::ZoomIn:
      Magnifier(painter, ink, 1);
      break;
    case ToolIcon::About:
      SignInCircle(painter, ink, false);
      break;
    case ToolIcon::Help:
      SignInCircle(painter, ink, true);
      break;
  }
}

QPixmap RenderIcon(ToolIcon icon, const Ink& ink, int scale) {
  QPixmap pixmap(kGrid * scale, kGrid * scale);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(scale, scale);
  DrawIcon(painter, icon, ink);
  painter.end();
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

}  // namespace

QIcon DrawToolIcon(ToolIcon icon) {
  QIcon result;
  for (int scale : {1, 2}) {
    result.addPixmap(RenderIcon(icon, kEnabledInk, scale), QIcon::Normal);
    result.addPixmap(RenderIcon(icon, kDisabledInk, scale), QIcon::Disabled);
  }
  return result;
}

}  // namespace atelion
