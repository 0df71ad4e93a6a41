#include "ui/brush_screenshots.h"

#include <QApplication>
#include <QTimer>
#include <vector>

#include "styles/painting/custom_brushes.h"
#include "styles/painting/stroke_brushes.h"
#include "ui/custom_brush_window.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"

namespace atelion {

CustomBrushWindow* ShowSampleBrushWindow(ParametersWindow& parameters) {
  auto* window = new CustomBrushWindow(&parameters);
  window->setAttribute(Qt::WA_DeleteOnClose);
  std::vector<Bitmap32> brushes;
  for (int variant = 0; variant < kStrokeBrushCount; ++variant) {
    brushes.push_back(StretchStrokeBrush(ShippedStrokeBrush(variant)));
  }
  window->ShowBrushes(std::move(brushes));
  window->adjustSize();
  const QRect frame = parameters.frameGeometry();
  window->move(frame.center().x() - window->width() / 2, frame.top() + 158);
  window->show();
  QApplication::processEvents();
  return window;
}

void DrawStrokesAndShowHd(MainWindow& window, std::function<void()> shown) {
  if (!window.Parameters()->SelectEffect(kPainting4EffectId)) {
    shown();
    return;
  }
  QObject::connect(
      &window, &MainWindow::runFinished, &window,
      [&window, shown] {
        window.ShowHdPainting();
        QTimer::singleShot(300, &window, shown);
      },
      Qt::SingleShotConnection);
  if (!window.StartDrawing()) shown();
}

}  // namespace atelion
