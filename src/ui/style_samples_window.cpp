#include "ui/style_samples_window.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/resources.h"
#include "effects/style_samples.h"
#include "ui/interface_texts.h"

namespace atelion {
namespace {

constexpr int kOutline = 3;
constexpr int kFadeDelayMs = 750;
constexpr int kFadeStepMs = 5;
constexpr double kFadeStep = 10.0 / 255;
constexpr double kFullOpacity = 240.0 / 255;
constexpr double kHiddenOpacity = 150.0 / 255;
constexpr int kTilePadding = 4;
constexpr int kNameLines = 2;
constexpr int kDrawingStyleLine = 75;

QString NameOf(int effectId) { return QString::fromStdString(EffectName(effectId)); }

}  // namespace

QPixmap StyleSamplePixmap(int effectId) {
  const std::filesystem::path file = FindResource(StyleSamplePath(effectId));
  if (file.empty()) return {};
  return QPixmap(QString::fromStdString(file.string()));
}

StyleSamplePopup::StyleSamplePopup(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("styleSamplePopup");
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setFixedSize(kStyleSampleSide + 2 * kOutline, kStyleSampleSide + 2 * kOutline);
  fadeDelay_.setSingleShot(true);
  fadeDelay_.setInterval(kFadeDelayMs);
  fadeStep_.setInterval(kFadeStepMs);
  connect(&fadeDelay_, &QTimer::timeout, &fadeStep_, qOverload<>(&QTimer::start));
  connect(&fadeStep_, &QTimer::timeout, this, [this] {
    restingOpacity_ = std::min(kFullOpacity, restingOpacity_ + kFadeStep);
    setWindowOpacity(restingOpacity_);
    if (restingOpacity_ >= kFullOpacity) fadeStep_.stop();
  });
}

void StyleSamplePopup::ShowSample(int effectId, int rightEdge, int centreY) {
  if (effectId != effectId_) {
    effectId_ = effectId;
    picture_ = StyleSamplePixmap(effectId);
    update();
  }
  if (picture_.isNull()) return HideSample();
  move(rightEdge - width(), centreY - height() / 2);
  if (isVisible()) return;
  setWindowOpacity(restingOpacity_);
  show();
  fadeStep_.stop();
  fadeDelay_.start();
}

void StyleSamplePopup::HideSample() {
  fadeDelay_.stop();
  fadeStep_.stop();
  if (!isVisible()) return;
  hide();
  restingOpacity_ = kHiddenOpacity;
}

void StyleSamplePopup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const QRect inner = rect().adjusted(kOutline, kOutline, -kOutline, -kOutline);
  painter.fillRect(inner, Qt::black);
  if (!picture_.isNull()) painter.drawPixmap(inner, picture_);
}

StyleSampleTile::StyleSampleTile(int effectId, QWidget* parent)
    : QAbstractButton(parent), effectId_(effectId), picture_(StyleSamplePixmap(effectId)) {
  setObjectName(QStringLiteral("styleSample%1").arg(effectId));
  setCheckable(true);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  // A style without an example is not built yet: shown, greyed, and not chosen.
  setEnabled(!picture_.isNull());
  BindText(this, [effectId] { return NameOf(effectId); }, [this](const QString& text) {
    setText(text);
    setToolTip(text);
    update();
  });
}

QSize StyleSampleTile::sizeHint() const {
  return {kStyleSampleSide + 2 * kTilePadding,
          kStyleSampleSide + 3 * kTilePadding + kNameLines * fontMetrics().lineSpacing()};
}

void StyleSampleTile::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  const bool lit = isChecked() || hasFocus() || underMouse();
  if (lit) {
    painter.fillRect(rect(), isChecked() ? colours.highlight().color().darker(160) : colours.button().color());
  }
  const QRect pictureRect(kTilePadding, kTilePadding, kStyleSampleSide, kStyleSampleSide);
  if (picture_.isNull()) {
    painter.fillRect(pictureRect, colours.base().color());
  } else {
    painter.drawPixmap(pictureRect, picture_);
  }
  if (hasFocus()) {
    painter.setPen(QPen(colours.highlight().color(), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
  }
  painter.setPen(isEnabled() ? colours.windowText().color() : colours.color(QPalette::Disabled, QPalette::WindowText));
  const QRect nameRect(kTilePadding, pictureRect.bottom() + kTilePadding, kStyleSampleSide,
                       height() - pictureRect.bottom() - kTilePadding);
  painter.drawText(nameRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text());
}

void StyleSampleTile::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (isEnabled()) click();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

StyleSamplesWindow::StyleSamplesWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("styleSamplesWindow");
  BindLine(this, kDrawingStyleLine, [this](const QString& text) { setWindowTitle(text); });
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
  auto* content = new QWidget;
  auto* grid = new QGridLayout(content);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  const int tileWidth = kStyleSampleSide + 2 * kTilePadding + grid->horizontalSpacing();
  columns_ = std::clamp((available.width() * 9 / 10 - 60) / tileWidth, 2, 8);
  int row = 0;
  int sampleOffset = 0;
  for (const GroupDescription& group : Groups()) {
    auto* header = new QLabel;
    header->setStyleSheet("QLabel { font-weight: bold; padding-top: 6px; }");
    BindLine(header, group.headerLine, [header](const QString& text) { header->setText(text); });
    grid->addWidget(header, row++, 0, 1, columns_);
    const int count = GroupItemCount(group.group);
    for (int item = 0; item < count; ++item) {
      const int effectId = EffectForStyleSample(sampleOffset + item);
      if (effectId < 0) continue;
      auto* tile = new StyleSampleTile(effectId);
      tile->installEventFilter(this);
      tiles_[effectId] = tile;
      places_[effectId] = QPoint(item % columns_, row + item / columns_);
      grid->addWidget(tile, places_[effectId].y(), places_[effectId].x());
      connect(tile, &QAbstractButton::clicked, this, [this, effectId] {
        MarkChosen(effectId);
        emit styleChosen(effectId);
        accept();
      });
    }
    row += (count + columns_ - 1) / columns_;
    sampleOffset += count;
  }
  grid->setRowStretch(row, 1);
  auto* scroller = scroller_ = new QScrollArea;
  scroller->setObjectName("styleSamplesScroller");
  scroller->setWidget(content);
  scroller->setWidgetResizable(true);
  scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(scroller);
  const int wanted = content->sizeHint().width() + scroller->verticalScrollBar()->sizeHint().width() + 20;
  resize(std::min(wanted, available.width() * 9 / 10),
         std::min(content->sizeHint().height() + 20, available.height() * 85 / 100));
}

void StyleSamplesWindow::MarkChosen(int effectId) {
  for (StyleSampleTile* tile : tiles_) {
    if (tile) tile->setChecked(tile->EffectId() == effectId);
  }
  Focus(effectId);
}

void StyleSamplesWindow::Focus(int effectId) {
  if (!IsEffectId(effectId) || !tiles_[effectId]) return;
  tiles_[effectId]->setFocus();
  scroller_->ensureWidgetVisible(tiles_[effectId]);
}

void StyleSamplesWindow::MoveFocus(int dx, int dy) {
  const auto current = std::find(tiles_.begin(), tiles_.end(), focusWidget());
  if (current == tiles_.end()) {
    Focus(EffectForStyleSample(0));
    return;
  }
  const int effectId = static_cast<int>(current - tiles_.begin());
  const int index = StyleSampleIndex(effectId);
  if (dy == 0) {
    // Left and right walk through the examples in list order, across the groups.
    const int next = EffectForStyleSample(std::clamp(index + dx, 0, kEffectCount - 1));
    Focus(next);
    return;
  }
  // Up and down go to the nearest example in the next row of tiles that has one.
  const QPoint here = places_[effectId];
  int best = -1;
  for (int other = 0; other < kEffectCount; ++other) {
    if (!tiles_[other]) continue;
    const QPoint there = places_[other];
    if ((there.y() - here.y()) * dy <= 0) continue;
    if (best < 0) {
      best = other;
      continue;
    }
    const QPoint chosen = places_[best];
    const int rowDistance = std::abs(there.y() - here.y()), bestRowDistance = std::abs(chosen.y() - here.y());
    if (rowDistance < bestRowDistance ||
        (rowDistance == bestRowDistance && std::abs(there.x() - here.x()) < std::abs(chosen.x() - here.x()))) {
      best = other;
    }
  }
  Focus(best);
}

bool StyleSamplesWindow::eventFilter(QObject* watched, QEvent* event) {
  // The arrow keys move between the examples (the scroll area would otherwise take them).
  if (event->type() == QEvent::KeyPress && dynamic_cast<StyleSampleTile*>(watched) != nullptr) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Left: MoveFocus(-1, 0); return true;
      case Qt::Key_Right: MoveFocus(1, 0); return true;
      case Qt::Key_Up: MoveFocus(0, -1); return true;
      case Qt::Key_Down: MoveFocus(0, 1); return true;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace atelion
