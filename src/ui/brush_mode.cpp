#include "ui/brush_mode.h"

#include <QAction>
#include <algorithm>
#include <cmath>
#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTabletEvent>

#include "effects/run_pipeline.h"
#include "ui/brush_window.h"
#include "ui/interface_texts.h"
#include "ui/live_preview.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

constexpr int kManualBrushLine = 203;  // "Manual brush"
// Where the brush window opens, from the main window's top-left corner.
constexpr QPoint kBrushWindowPlace{25, 140};

// The toolbar's brush: a slanted handle with a pink tip.
QIcon BrushIcon() {
  QPixmap pixmap(44, 44);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(210, 210, 210), 5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(36, 8), QPointF(20, 24));
  painter.setPen(QPen(QColor(150, 150, 150), 7, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(QPointF(21, 23), QPointF(17, 27));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(235, 90, 170));
  QPainterPath tip;
  tip.moveTo(17, 25);
  tip.cubicTo(12, 26, 10, 31, 6, 38);
  tip.cubicTo(13, 36, 18, 33, 19, 28);
  tip.closeSubpath();
  painter.drawPath(tip);
  return QIcon(pixmap);
}

// The brush cursor: a circle filling the square with a small cross in the middle, drawn light on
// dark so it shows on any picture.
QCursor BrushCursor(int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const int c = side / 2;
  painter.setPen(QPen(Qt::black, 1));
  painter.drawEllipse(QRectF(0.5, 0.5, side - 2, side - 2));
  painter.setPen(QPen(Qt::white, 1));
  painter.drawEllipse(QRectF(1.5, 1.5, side - 4, side - 4));
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::black, 3));
  painter.drawLine(c - 3, c, c + 3, c);
  painter.drawLine(c, c - 3, c, c + 3);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawLine(c - 3, c, c + 3, c);
  painter.drawLine(c, c - 3, c, c + 3);
  return QCursor(pixmap, c, c);
}

}  // namespace

BrushMode::BrushMode(MainWindow& window) : QObject(&window), main_(window) {
  panel_ = main_.resultPanel_;
  window_ = new BrushWindow(&main_);
  window_->hide();
  action_ = new QAction(this);
  action_->setObjectName("manualBrushAction");
  action_->setCheckable(true);
  action_->setIcon(BrushIcon());
  BindLine(action_, kManualBrushLine, [action = action_](const QString& text) { action->setText(text); });
  connect(action_, &QAction::triggered, this, [this] {
    Toggle();
    action_->setChecked(active_);
  });
  connect(window_, &BrushWindow::closed, this, &BrushMode::Leave);
  connect(window_, &BrushWindow::settingsChanged, this, [this] {
    cursorZoom_ = -1;
    UpdateCursor();
  });
  pool_.setMaxThreadCount(1);
  // Styles without a seed of their own draw from a generator started by the clock.
  context_.Rng.RandomSeed = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch() % 1000);
  panel_->installEventFilter(this);
  panel_->setAttribute(Qt::WA_TabletTracking);
}

BrushMode::~BrushMode() {
  context_.AbortRequested = true;
  pool_.waitForDone();
}

void BrushMode::Toggle() {
  if (active_) {
    Leave();
  } else {
    Enter();
  }
}

void BrushMode::Enter() {
  if (active_ || main_.Running()) return;
  ParametersWindow* parameters = main_.Parameters();
  parameters->Preview()->Abort();
  parameters->hide();
  Document& document = main_.CurrentDocument();
  // The drawing before any brushing, so that undo can go back past the first stroke.
  document.SaveToHistory(HistoryKind::Result, document.ResultStyleName);
  main_.RefreshView(false);
  active_ = true;
  cursorZoom_ = -1;
  UpdateCursor();
  if (!shownBefore_) {
    // The first time the brush comes out, the HD painting and SVG pictograms of the last Painting 4
    // run go: brushed strokes are not part of its recorded strokes.
    shownBefore_ = true;
    parameters->ShowStrokePictograms(false);
  }
  if (!window_->isVisible()) window_->move(main_.geometry().topLeft() + kBrushWindowPlace);
  window_->show();
  window_->raise();
  action_->setChecked(true);
  qApp->installEventFilter(this);
  emit activeChanged(true);
}

void BrushMode::Leave() {
  if (!active_) return;
  active_ = false;
  qApp->removeEventFilter(this);
  if (stroke_.Active()) {
    stroke_.Cancel();
    shown_ = Bitmap24();
    if (!computing_) panel_->SetPicture(main_.CurrentDocument().ResultPicture);
  }
  panning_ = false;
  panel_->unsetCursor();
  window_->hide();
  main_.Parameters()->show();
  action_->setChecked(false);
  emit activeChanged(false);
}

void BrushMode::UpdateCursor() {
  if (!active_) return;
  const int zoom = main_.Zoom();
  if (zoom == cursorZoom_) return;
  cursorZoom_ = zoom;
  cursorSide_ = BrushCursorSide(zoom, window_->Settings());
  panel_->setCursor(BrushCursor(cursorSide_));
}

bool BrushMode::eventFilter(QObject* watched, QEvent* event) {
  if (!active_) return false;
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
      !main_.Running()) {
    Leave();
    return true;
  }
  if (watched != panel_) return false;
  switch (event->type()) {
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: {
      // The pen's pressure goes with the mouse events Qt makes of the pen's events.
      const auto* tablet = static_cast<QTabletEvent*>(event);
      pressure_ = tablet->pressure();
      penDown_ = event->type() != QEvent::TabletRelease;
      return false;
    }
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        Press(mouse->position().toPoint());
      } else {
        panning_ = true;
        main_.StartPan(mouse->globalPosition().toPoint());
      }
      return true;
    }
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      UpdateCursor();
      if (panning_) {
        main_.ContinuePan(mouse->globalPosition().toPoint());
      } else if ((mouse->buttons() & Qt::LeftButton) && stroke_.Active()) {
        const bool pen = mouse->source() != Qt::MouseEventNotSynthesized && penDown_;
        Drag(mouse->position().toPoint(), pen ? pressure_ : 1.0);
        ScrollNearEdges(mouse->position().toPoint());
      }
      return true;
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        const bool pen = mouse->source() != Qt::MouseEventNotSynthesized;
        if (stroke_.Active()) Release(mouse->position().toPoint(), pen ? pressure_ : 1.0);
      } else if (panning_) {
        panning_ = false;
        main_.EndPan();
      }
      return true;
    }
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
      return true;
    case QEvent::Enter:
    case QEvent::Paint:
      // The panel repaints after every change of zoom: the cursor follows it.
      UpdateCursor();
      return false;
    default:
      return false;
  }
}

void BrushMode::Press(QPoint position) {
  // A stroke still being computed keeps the brush down; a stroke whose release was refused goes on.
  if (computing_ || stroke_.Active()) return;
  ParametersWindow* parameters = main_.Parameters();
  if (parameters->isVisible()) {
    parameters->Preview()->Abort();
    parameters->hide();
  }
  const Bitmap24& result = main_.CurrentDocument().ResultPicture;
  stroke_.Begin(result, BrushShape(), window_->Settings());
  shown_ = result;
  lastStamp_ = panel_->PictureAt(position);
}

void BrushMode::Drag(QPoint position, double pressure) {
  // Stamps every quarter of the brush along the way from the last one, so that a quick drag,
  // whose moves arrive far apart, still paints an unbroken stroke.
  const Point at = panel_->PictureAt(position);
  const int spacing = std::max(1, BrushMaskSide(window_->Settings()) / 4);
  const int dx = at.x - lastStamp_.x, dy = at.y - lastStamp_.y;
  const int steps = std::max(1, static_cast<int>(std::hypot(dx, dy)) / spacing);
  for (int step = 1; step <= steps; ++step) {
    const int x = lastStamp_.x + dx * step / steps, y = lastStamp_.y + dy * step / steps;
    ShowStamp(stroke_.Stamp(shown_, x, y, pressure));
  }
  lastStamp_ = at;
}

void BrushMode::ScrollNearEdges(QPoint position) {
  // Within 50 pixels of an edge of the panel the pictures move the other way, faster the nearer
  // the pointer is, so a stroke can go on past what the panel shows.
  constexpr int kEdge = 50;
  const int px = position.x(), py = position.y(), w = panel_->width(), h = panel_->height();
  const ImagePlacement& image = panel_->Placement();
  Point offset;
  if (py < kEdge && image.top < 0) offset.y = (kEdge - py) / 3 + 1;
  if (px < kEdge && image.left < 0) offset.x = (kEdge - px) / 3 + 1;
  if (py > h - kEdge && image.top + image.height > h) offset.y = -(std::abs((h - py - kEdge) / 3) + 1);
  if (px > w - kEdge && image.left + image.width > w) offset.x = -(std::abs((w - px - kEdge) / 3) + 1);
  if (offset == Point{}) return;
  main_.sourcePanel_->Pan(offset);
  main_.resultPanel_->Pan(offset);
}

void BrushMode::ShowStamp(const Rect& changed) {
  if (changed.left < changed.right && changed.top < changed.bottom) panel_->UpdateArea(shown_, changed);
}

void BrushMode::Release(QPoint position, double pressure) {
  // One last stamp where the button came up, so a click without a drag paints too.
  Drag(position, pressure);
  ParametersWindow* parameters = main_.Parameters();
  // Nothing is computed while a run or a preview computes: the marks stay for the next release.
  if (main_.Running() || parameters->Preview()->Computing()) return;
  Document& document = main_.CurrentDocument();
  const StyleSettings current = parameters->CurrentStyleSettings();
  const int effectId = current.effectId;
  // A custom frame may place the photograph off centre; its offset holds while the drawing is the
  // one that run framed (same size), and an undone or replaced drawing falls back to centring.
  const MainWindow::FramedPlacement& framed = main_.framedPlacement_;
  const bool framedDrawing =
      framed.width == document.ResultPicture.Width() && framed.height == document.ResultPicture.Height();
  const Point offset = PictureOffset(document.ResultPicture.Width(), document.ResultPicture.Height(),
                                     document.SourcePicture.Width(), document.SourcePicture.Height(),
                                     framedDrawing ? framed.offset : Point{}, framedDrawing ? framed.margin : 0);
  Bitmap24 before;
  std::optional<StrokeParts> parts = stroke_.Finish(document.SourcePicture, offset, effectId, before);
  if (!parts) {
    shown_ = Bitmap24();
    panel_->SetPicture(document.ResultPicture);
    return;
  }
  StyleSettings settings = current;
  settings.sourceMean = document.SourceMeanColour;
  settings.sourceWidth = document.SourcePicture.Width();
  settings.sourceHeight = document.SourcePicture.Height();
  settings.result = nullptr;
  FinishingSettings finishing = parameters->CurrentFinishingSettings();
  if (!PrepareTexture(finishing)) finishing.texture.enabled = false;
  const SurfaceSettings surface = finishing;
  const QString styleName = parameters->StyleNameText();
  computing_ = true;
  context_.AbortRequested = false;
  auto shared = std::make_shared<StrokeParts>(std::move(*parts));
  // The tinted stroke stays on show until its drawing is blended in.
  pool_.start([this, shared, effectId, settings, surface, styleName] {
    const bool computed = ComputeStroke(*shared, effectId, settings, surface, context_);
    QMetaObject::invokeMethod(
        this, [this, shared, styleName, computed] { FinishStroke(shared, styleName, computed); }, Qt::QueuedConnection);
  });
}

void BrushMode::FinishStroke(std::shared_ptr<StrokeParts> parts, QString styleName, bool computed) {
  computing_ = false;
  shown_ = Bitmap24();
  Document& document = main_.CurrentDocument();
  if (computed) {
    document.ResultStyleName = styleName.toStdString();
    document.ResultUnnamed = false;
    CommitStroke(document, *parts, document.ResultStyleName);
  }
  main_.RefreshView(false);
  if (active_ && window_->isVisible()) window_->activateWindow();
  if (computed) emit strokeApplied();
}

}  // namespace atelion
