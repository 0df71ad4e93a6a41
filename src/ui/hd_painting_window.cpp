#include "ui/hd_painting_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>

#include "styles/painting/painting_4.h"
#include "ui/interface_texts.h"

namespace atelion {
namespace {

// The OK and Cancel buttons carry the texts of the resize window's buttons.
constexpr int kCancelLine = 137;
constexpr int kDefaultPercent = 200;
constexpr int kSide = 48;
const QColor kTile(0x2b, 0x2d, 0x31);
const QColor kStroke(0xd8, 0xda, 0xde);
const QColor kAccent(0xf0, 0xa8, 0x48);

// Three slanted brush marks, as the pictograms' common ground.
void DrawMarks(QPainter& painter, double top) {
  for (int i = 0; i < 3; ++i) {
    QPainterPath mark;
    const double x = 8 + 11 * i, y = top + (i % 2) * 3;
    mark.moveTo(x, y + 9);
    mark.cubicTo(x + 3, y, x + 8, y - 2, x + 10, y + 1);
    mark.cubicTo(x + 8, y + 4, x + 5, y + 8, x + 2, y + 12);
    mark.closeSubpath();
    painter.fillPath(mark, i == 1 ? kAccent : kStroke);
  }
}

QPixmap PictogramTile() {
  QPixmap pixmap(kSide, kSide);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QIcon LetteredIcon(const QString& letters, bool arrows) {
  QPixmap pixmap = PictogramTile();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kTile);
  painter.drawRoundedRect(QRectF(1, 1, kSide - 2, kSide - 2), 6, 6);
  DrawMarks(painter, 6);
  if (arrows) {
    // An arrow from the corner outwards: the same marks, larger.
    painter.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(33, 10), QPointF(42, 4));
    painter.drawLine(QPointF(42, 4), QPointF(37, 4));
    painter.drawLine(QPointF(42, 4), QPointF(42, 9));
  }
  QFont font = painter.font();
  font.setPixelSize(letters.size() > 2 ? 15 : 18);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(kStroke);
  painter.drawText(QRectF(0, 24, kSide, 22), Qt::AlignCenter, letters);
  return QIcon(pixmap);
}

}  // namespace

QIcon HdPaintingIcon() { return LetteredIcon(QStringLiteral("HD"), true); }
QIcon StrokeSvgIcon() { return LetteredIcon(QStringLiteral("SVG"), false); }

HdPaintingWindow::HdPaintingWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("hdPaintingWindow");
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(QString());
  auto* layout = new QGridLayout(this);
  icon_ = new QLabel;
  icon_->setPixmap(HdPaintingIcon().pixmap(48, 48));
  percent_ = new QLabel;
  percent_->setObjectName("hdPercent");
  width_ = new QLabel;
  width_->setObjectName("hdWidth");
  height_ = new QLabel;
  height_->setObjectName("hdHeight");
  for (QLabel* label : {percent_, width_, height_}) label->setAlignment(Qt::AlignCenter);
  QFont large = percent_->font();
  large.setPointSizeF(large.pointSizeF() * 1.4);
  large.setBold(true);
  percent_->setFont(large);
  progress_ = new QLabel;
  progress_->setObjectName("hdProgress");
  progress_->setAlignment(Qt::AlignCenter);
  scale_ = new QSlider(Qt::Horizontal);
  scale_->setObjectName("hdScale");
  scale_->setRange(100, 1000);
  scale_->setSingleStep(10);
  scale_->setPageStep(50);
  scale_->setMinimumWidth(220);
  ok_ = new QPushButton(QStringLiteral("OK"));
  ok_->setObjectName("hdOkButton");
  ok_->setDefault(true);
  cancel_ = new QPushButton;
  cancel_->setObjectName("hdCancelButton");
  BindLine(cancel_, kCancelLine, [button = cancel_](const QString& text) { button->setText(text); });
  auto* sizes = new QHBoxLayout;
  sizes->addWidget(width_);
  sizes->addWidget(new QLabel(QStringLiteral("\u00D7")));
  sizes->addWidget(height_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addWidget(icon_, 0, 0, 2, 1);
  layout->addWidget(percent_, 0, 1);
  layout->addLayout(sizes, 1, 1);
  layout->addWidget(scale_, 2, 0, 1, 2);
  layout->addWidget(progress_, 3, 0, 1, 2);
  layout->addLayout(buttons, 4, 0, 1, 2);
  connect(scale_, &QSlider::valueChanged, this, &HdPaintingWindow::ScaleChanged);
  connect(ok_, &QPushButton::clicked, this, [this] {
    SetReplaying(true);
    emit replayRequested(Percent());
  });
  connect(cancel_, &QPushButton::clicked, this, &HdPaintingWindow::CancelPressed);
  scale_->setValue(kDefaultPercent);
  ScaleChanged(kDefaultPercent);
}

void HdPaintingWindow::SetSourceSize(int width, int height) {
  sourceWidth_ = std::max(width, 1);
  sourceHeight_ = std::max(height, 1);
  ScaleChanged(scale_->value());
}

int HdPaintingWindow::Percent() const { return scale_->value(); }

void HdPaintingWindow::ScaleChanged(int percent) {
  const int held = ReplayPercentLimit(sourceWidth_, sourceHeight_, percent);
  if (held != percent && held >= scale_->minimum()) {
    const QSignalBlocker blocker(scale_);
    scale_->setValue(held);
  }
  const int p = scale_->value();
  percent_->setText(QStringLiteral("%1 %").arg(p));
  width_->setText(QString::number(static_cast<long long>(p) * sourceWidth_ / 100));
  height_->setText(QString::number(static_cast<long long>(p) * sourceHeight_ / 100));
}

void HdPaintingWindow::SetReplaying(bool replaying) {
  replaying_ = replaying;
  scale_->setEnabled(!replaying);
  ok_->setEnabled(!replaying);
  if (!replaying) progress_->clear();
}

void HdPaintingWindow::ShowProgress(const QString& text) { progress_->setText(text); }

void HdPaintingWindow::CancelPressed() {
  if (replaying_) {
    // The repainting stops at its next stroke and keeps what it painted; the window closes when
    // it has ended.
    emit stopRequested();
    return;
  }
  reject();
}

void HdPaintingWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right:
      if (!replaying_) scale_->setValue(scale_->value() + 1);
      return;
    case Qt::Key_Left:
      if (!replaying_) scale_->setValue(scale_->value() - 1);
      return;
    case Qt::Key_Escape:
      CancelPressed();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace atelion
