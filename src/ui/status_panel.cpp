#include "ui/status_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "core/run_context.h"

namespace atelion {
namespace {

const QColor kPanelColour(0x10, 0x11, 0x13);
const QColor kTextColour(0xc8, 0xca, 0xcf);
const QColor kMarkerColour(0xe0, 0x3c, 0x31);

QColor FromColourValue(Colour colour) {
  // Colours are 0x00BBGGRR: red in the low byte.
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  noticeTimer_.setSingleShot(true);
  connect(&noticeTimer_, &QTimer::timeout, this, [this] {
    noticeText_.clear();
    update();
  });
  markerLeft_ = MarkerLeftFor(stopPercentage_);
}

void StatusPanel::SetSourceText(const QString& text) {
  sourceText_ = text;
  update();
}

void StatusPanel::SetStyleText(const QString& text) {
  styleText_ = text;
  update();
}

void StatusPanel::ShowNotice(const QString& text, int milliseconds) {
  noticeText_ = text;
  noticeTimer_.start(milliseconds);
  update();
}

void StatusPanel::StartRun() {
  running_ = true;
  percent_ = 0;
  barWidth_ = 0;
  barColour_ = ProgressBarColour(0);
  percentText_ = "0%";
  update();
}

void StatusPanel::ShowProgress(int percent, Colour barColour) {
  if (!running_) return;
  percent_ = percent;
  barColour_ = barColour;
  barWidth_ = static_cast<int>(static_cast<std::int64_t>(percent) * width() / 100);
  percentText_ = QString::number(percent) + "%";
  update();
}

void StatusPanel::FinishRun() {
  running_ = false;
  barWidth_ = 0;
  percentText_.clear();
  update();
}

int StatusPanel::MarkerLeftFor(int percent) const {
  return std::min(width() * percent / 100 - 10, width() - 15);
}

void StatusPanel::SetStopPercentage(int percent) {
  stopPercentage_ = percent;
  dragging_ = false;
  markerLeft_ = MarkerLeftFor(percent);
  update();
}

void StatusPanel::resizeEvent(QResizeEvent*) {
  if (!dragging_) markerLeft_ = MarkerLeftFor(stopPercentage_);
  barWidth_ = static_cast<int>(static_cast<std::int64_t>(percent_) * width() / 100);
}

void StatusPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && MarkerShown() && MarkerRect().contains(event->position().toPoint())) {
    dragging_ = true;
  }
}

void StatusPanel::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || width() <= 0) return;
  const int x = event->position().toPoint().x();
  // The marker follows the pointer, stays on the panel, and the percentage is read at its tip.
  markerLeft_ = std::max(std::min(x - 10, width() - 15), -5);
  const int percent = (markerLeft_ + 15) * 100 / width();
  if (percent != stopPercentage_) {
    stopPercentage_ = percent;
    emit stopPercentageChanged(percent);
  }
  update();
}

void StatusPanel::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

void StatusPanel::enterEvent(QEnterEvent*) {
  hovered_ = true;
  update();
}

void StatusPanel::leaveEvent(QEvent*) {
  hovered_ = false;
  dragging_ = false;
  update();
}

void StatusPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kPanelColour);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRect textArea = rect().adjusted(8, 0, -8, 0);
  if (running_) {
    if (barWidth_ > 0) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(FromColourValue(barColour_));
      painter.drawRoundedRect(QRectF(0, (kHeight - 16) / 2.0, barWidth_, 16), 2, 2);
    }
    painter.setPen(Qt::white);
    painter.drawText(textArea, Qt::AlignRight | Qt::AlignVCenter, percentText_);
  } else {
    painter.setPen(kTextColour);
    const QString& left = noticeText_.isEmpty() ? sourceText_ : noticeText_;
    const QString style = styleText_.trimmed();
    // The style name keeps clear of the marker's place at the right end, and of its percentage
    // when that shows beside a marker in the right half.
    QRect styleArea = textArea.adjusted(0, 0, -(kMarkerWidth - 4), 0);
    if (MarkerShown() && MarkerLabelShown()) {
      const QRect label = MarkerLabelRect();
      if (label.left() > width() / 2) styleArea.setRight(std::min(styleArea.right(), std::min(label.left(), markerLeft_) - 6));
    }
    const int styleWidth = style.isEmpty() ? 0 : painter.fontMetrics().horizontalAdvance(style) + 16;
    painter.drawText(textArea.adjusted(0, 0, -styleWidth, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(left, Qt::ElideMiddle, styleArea.width() - styleWidth));
    painter.drawText(styleArea, Qt::AlignRight | Qt::AlignVCenter, style);
  }
  if (MarkerShown()) DrawMarker(painter);
}

void StatusPanel::DrawMarker(QPainter& painter) {
  // A pin: a red head on top and a thin line down to the bar at the marker's middle.
  const qreal middle = markerLeft_ + kMarkerWidth / 2.0;
  painter.setPen(QPen(kMarkerColour, 1.5));
  painter.drawLine(QPointF(middle, 8), QPointF(middle, kHeight - 2));
  QPainterPath head;
  head.moveTo(middle - 6, 1);
  head.lineTo(middle + 6, 1);
  head.lineTo(middle, 9);
  head.closeSubpath();
  painter.setPen(Qt::NoPen);
  painter.setBrush(kMarkerColour);
  painter.drawPath(head);

  if (!MarkerLabelShown()) return;
  QFont bold = painter.font();
  bold.setBold(true);
  painter.setFont(bold);
  const QRect label = MarkerLabelRect();
  // A dark backing keeps the label readable over the texts and the bar.
  painter.fillRect(label.adjusted(-2, 3, 2, -3), QColor(0x10, 0x11, 0x13, 210));
  painter.setPen(kMarkerColour);
  painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, QString::number(stopPercentage_) + "%");
}

bool StatusPanel::MarkerLabelShown() const {
  // At 100 % the marker never stops a run; its number shows only when the pointer is on the panel.
  return stopPercentage_ < 100 || hovered_ || dragging_;
}

QRect StatusPanel::MarkerLabelRect() const {
  QFont bold = font();
  bold.setBold(true);
  const int labelWidth = QFontMetrics(bold).horizontalAdvance(QString::number(stopPercentage_) + "%");
  // The label sits right of the marker, or left of it where the panel ends.
  int labelLeft = markerLeft_ + kMarkerWidth;
  if (labelLeft + labelWidth > width() - 2) labelLeft = markerLeft_ - labelWidth - 2;
  return QRect(labelLeft, 0, labelWidth, kHeight);
}

}  // namespace atelion
