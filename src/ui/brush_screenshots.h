// Pictures of the brush windows for the program's screenshot options: Painting 4's brush window
// holding brushes, and the HD painting window after a Painting 4 run.
#pragma once

#include <functional>

namespace atelion {

class CustomBrushWindow;
class MainWindow;
class ParametersWindow;

/// Opens Painting 4's brush window over the drawing-parameters window with the shipped stroke
/// brushes in it, as after a load of four files.
CustomBrushWindow* ShowSampleBrushWindow(ParametersWindow& parameters);

/// Chooses Painting 4, draws the picture, and opens the HD painting window for its strokes;
/// `shown` follows once the window is on screen.
void DrawStrokesAndShowHd(MainWindow& window, std::function<void()> shown);

}  // namespace atelion
