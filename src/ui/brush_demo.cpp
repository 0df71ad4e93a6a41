#include "ui/brush_demo.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <memory>

#include "ui/brush_mode.h"
#include "ui/brush_window.h"
#include "ui/live_preview.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

constexpr int kDragSteps = 24;
constexpr int kPollMs = 50;

void SendMouse(QWidget* panel, QEvent::Type type, QPoint position, Qt::MouseButtons buttons) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, QPointF(position), QPointF(panel->mapToGlobal(position)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(panel, &event);
}

struct DemoRun {
  MainWindow* window = nullptr;
  std::vector<DemoStroke> strokes;
  std::size_t next = 0;
  std::function<void()> done;
  bool finished = false;

  void Finish() {
    if (finished) return;
    finished = true;
    done();
  }
};

void PaintNext(const std::shared_ptr<DemoRun>& run);

// Waits until no preview computes (a release is refused meanwhile), then drags.
void DragWhenIdle(const std::shared_ptr<DemoRun>& run) {
  MainWindow& window = *run->window;
  if (window.Parameters()->Preview()->Computing()) {
    QTimer::singleShot(kPollMs, &window, [run] { DragWhenIdle(run); });
    return;
  }
  auto* panel = window.findChild<PicturePanel*>("resultPanel");
  const DemoStroke& stroke = run->strokes[run->next++];
  const PictureSize size = panel->NaturalSize();
  auto at = [&](QPointF fraction) {
    const ImagePlacement& placement = panel->Placement();
    return QPoint(placement.left + static_cast<int>(fraction.x() * size.width * panel->Zoom() / 100),
                  placement.top + static_cast<int>(fraction.y() * size.height * panel->Zoom() / 100));
  };
  QObject::connect(window.ManualBrush(), &BrushMode::strokeApplied, &window, [run] { PaintNext(run); },
                   Qt::SingleShotConnection);
  const QPoint from = at(stroke.from), to = at(stroke.to);
  SendMouse(panel, QEvent::MouseButtonPress, from, Qt::LeftButton);
  for (int step = 1; step <= kDragSteps; ++step) {
    SendMouse(panel, QEvent::MouseMove, from + (to - from) * step / kDragSteps, Qt::LeftButton);
  }
  SendMouse(panel, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void PaintNext(const std::shared_ptr<DemoRun>& run) {
  if (run->finished) return;
  if (run->next >= run->strokes.size()) {
    QTimer::singleShot(200, run->window, [run] { run->Finish(); });
    return;
  }
  MainWindow& window = *run->window;
  window.Parameters()->SelectEffect(run->strokes[run->next].effectId);
  window.Parameters()->Preview()->Abort();
  QTimer::singleShot(kPollMs, &window, [run] { DragWhenIdle(run); });
}

}  // namespace

void PaintDemoStrokes(MainWindow& window, std::vector<DemoStroke> strokes, int size, std::function<void()> done,
                      int timeoutMs) {
  auto run = std::make_shared<DemoRun>();
  run->window = &window;
  run->strokes = std::move(strokes);
  run->done = std::move(done);
  Document& document = window.CurrentDocument();
  window.SetSourceAndResult(document.SourcePicture, document.SourceDisplayName);
  window.ManualBrush()->Enter();
  window.ManualBrush()->Window()->SetSize(size);
  QTimer::singleShot(timeoutMs, &window, [run] { run->Finish(); });
  QTimer::singleShot(300, &window, [run] { PaintNext(run); });
}

QImage GrabWithBrushWindow(MainWindow& window) {
  QImage picture = window.grab().toImage();
  BrushWindow* brushWindow = window.ManualBrush()->Window();
  if (brushWindow->isVisible()) {
    QPainter painter(&picture);
    const QPoint place = brushWindow->frameGeometry().topLeft() - window.frameGeometry().topLeft();
    painter.drawPixmap(place, brushWindow->grab());
  }
  return picture;
}

}  // namespace atelion
