// A demonstration of the manual brush for pictures of the program: strokes of several styles
// painted across the drawing with synthetic mouse events, as a user would paint them.
#pragma once

#include <QImage>
#include <QPointF>
#include <functional>
#include <vector>

namespace atelion {

class MainWindow;

/// One stroke: a style and a straight drag between two points given as fractions of the picture.
struct DemoStroke {
  int effectId = 0;
  QPointF from;
  QPointF to;
};

/// Switches the brush mode on, makes the drawing a copy of the photograph, paints `strokes` one
/// after the other with a brush of `size` pixels (each waits for the one before to be blended)
/// and calls `done` when the last has landed or after `timeoutMs`.
void PaintDemoStrokes(MainWindow& window, std::vector<DemoStroke> strokes, int size, std::function<void()> done,
                      int timeoutMs = 120000);

/// The main window with the brush window drawn over it where it stands on the screen.
QImage GrabWithBrushWindow(MainWindow& window);

}  // namespace atelion
