#include "ui/panel_area.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "ui/picture_panel.h"

namespace atelion {
namespace {

// Room kept free below the panels, above the status panel.
constexpr int kBottomMargin = 6;
constexpr int kHandleWidth = 6;

const QColor kAreaColour(0x2d, 0x2f, 0x33);
const QColor kGripColour(0x6a, 0x6e, 0x75);
const QColor kGuideColour(0x4f, 0xa3, 0xe8);
// A divider key's guide line steps this far at each tick on its way across.
constexpr int kSweepStep = 75;
constexpr int kSweepTickMs = 15;

}  // namespace

// The grip between the panels. Dragging it shows a guide line; releasing moves the divider there.
class DividerHandle : public QWidget {
 public:
  explicit DividerHandle(PanelArea* area) : QWidget(area), area_(area) {
    setCursor(Qt::SplitHCursor);
    setObjectName("dividerHandle");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGripColour);
    // Three dots in the middle show where to take hold.
    for (int dot = -1; dot <= 1; ++dot) painter.drawEllipse(QPointF(width() / 2.0, height() / 2.0 + 8 * dot), 1.6, 1.6);
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) area_->ShowGuide(mapToParent(event->position().toPoint()).x());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (event->buttons() & Qt::LeftButton) area_->ShowGuide(mapToParent(event->position().toPoint()).x());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    area_->ReleaseHandle(event->position().toPoint().x(), toMiddle_);
    toMiddle_ = false;
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    // The release that follows the double-click puts the divider back in the middle.
    if (event->button() == Qt::LeftButton) toMiddle_ = true;
  }

 private:
  PanelArea* area_;
  bool toMiddle_ = false;
};

PanelArea::PanelArea(PicturePanel* source, PicturePanel* result, QWidget* parent)
    : QWidget(parent), source_(source), result_(result), handle_(new DividerHandle(this)), guide_(new QWidget(this)) {
  source_->setParent(this);
  result_->setParent(this);
  guide_->setObjectName("dividerGuide");
  guide_->setAutoFillBackground(true);
  QPalette palette = guide_->palette();
  palette.setColor(QPalette::Window, kGuideColour);
  guide_->setPalette(palette);
  guide_->hide();
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  sweepTimer_.setInterval(kSweepTickMs);
  connect(&sweepTimer_, &QTimer::timeout, this, &PanelArea::SweepTick);
}

QWidget* PanelArea::Handle() const { return handle_; }

void PanelArea::SetSplitOffset(int splitOffset) {
  splitOffset_ = splitOffset;
  LayOutPanels();
}

void PanelArea::ApplyDividerKey(DividerKey key) {
  const int from = handle_->x();
  SetSplitOffset(SplitOffsetForKey(key, width()));
  // The way the divider went is traced by a guide line stepping across it.
  sweepTo_ = handle_->x();
  sweepStep_ = sweepTo_ >= from ? kSweepStep : -kSweepStep;
  sweepX_ = from;
  if (std::abs(sweepTo_ - from) > kSweepStep) sweepTimer_.start();
}

void PanelArea::SweepTick() {
  sweepX_ += sweepStep_;
  if ((sweepStep_ > 0 && sweepX_ >= sweepTo_) || (sweepStep_ < 0 && sweepX_ <= sweepTo_)) {
    sweepTimer_.stop();
    guide_->hide();
    return;
  }
  ShowGuide(sweepX_);
}

void PanelArea::ShowGuide(int x) {
  guide_->setGeometry(x, kPanelGapBelowToolbar, 1, std::max(0, height() - kPanelGapBelowToolbar - kBottomMargin));
  guide_->show();
  guide_->raise();
}

void PanelArea::ReleaseHandle(int releaseX, bool toMiddle) {
  guide_->hide();
  SetSplitOffset(toMiddle ? 0 : SplitOffsetAfterRelease(width(), handle_->x(), releaseX));
}

void PanelArea::LayOutPanels() {
  const DividerLayout layout = Layout();
  splitOffset_ = layout.splitOffset;
  const int top = kPanelGapBelowToolbar;
  const int panelHeight = std::max(0, height() - top - kBottomMargin);
  source_->setGeometry(0, top, layout.leftPanelWidth, panelHeight);
  result_->setGeometry(layout.rightPanelLeft, top, layout.rightPanelWidth, panelHeight);
  handle_->setGeometry(layout.handleLeft, top, kHandleWidth, panelHeight);
  // A resize of a panel centres its picture; a panel that kept its size is centred here.
  source_->Centre();
  result_->Centre();
}

void PanelArea::resizeEvent(QResizeEvent*) { LayOutPanels(); }

void PanelArea::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  switch (event->key()) {
    case Qt::Key_Right:
      ApplyDividerKey(DividerKey::Right);
      break;
    case Qt::Key_Left:
      ApplyDividerKey(DividerKey::Left);
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Space:
      ApplyDividerKey(DividerKey::Middle);
      break;
    default:
      QWidget::keyReleaseEvent(event);
  }
}

void PanelArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kAreaColour);
}

}  // namespace atelion
