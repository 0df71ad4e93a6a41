// The manual brush in the main window: while the mode is on, the left button paints the chosen
// style onto the drawing (a pink tint marks the stroke), the other buttons pan, and each stroke is
// computed on a worker thread when the button is released, blended into the drawing and recorded as
// one undo step. The brush window sets size, intensity and "X 2"; Esc or closing it ends the mode.
#pragma once

#include <QCursor>
#include <QObject>
#include <QPoint>
#include <QThreadPool>
#include <memory>
#include <optional>

#include "core/run_context.h"
#include "tools/manual_brush.h"

class QAction;

namespace atelion {

class BrushWindow;
class MainWindow;
class PicturePanel;

class BrushMode : public QObject {
  Q_OBJECT
 public:
  explicit BrushMode(MainWindow& window);
  /// Waits for a stroke being computed.
  ~BrushMode() override;

  bool Active() const { return active_; }
  /// "Manual brush": switches the mode on or off.
  void Toggle();
  /// Switches the mode on: the parameters window gives way (its preview stops), the drawing is
  /// recorded as a history step so the brushing can be undone, the brush window and cursor appear.
  /// Nothing during a run.
  void Enter();
  /// Switches the mode off: the brush window closes and the parameters window comes back. A stroke
  /// being computed still lands.
  void Leave();

  /// A stroke is being computed on the worker thread.
  bool Computing() const { return computing_; }
  BrushWindow* Window() const { return window_; }
  /// The command of the toolbar (checked while the mode is on).
  QAction* Action() const { return action_; }
  /// The brush cursor's side in pixels as last built.
  int CursorSide() const { return cursorSide_; }

 signals:
  /// A stroke was blended into the drawing and recorded.
  void strokeApplied();
  void activeChanged(bool active);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Press(QPoint position);
  void Drag(QPoint position, double pressure);
  void Release(QPoint position, double pressure);
  void ShowStamp(const Rect& changed);
  void ScrollNearEdges(QPoint position);
  void UpdateCursor();
  void FinishStroke(std::shared_ptr<StrokeParts> parts, QString styleName, bool computed);

  MainWindow& main_;
  PicturePanel* panel_ = nullptr;
  BrushWindow* window_ = nullptr;
  QAction* action_ = nullptr;
  bool active_ = false;
  bool computing_ = false;
  bool panning_ = false;
  bool shownBefore_ = false;  ///< the brush window has been shown once
  int cursorZoom_ = -1;
  int cursorSide_ = 0;
  Point lastStamp_;  ///< where the last stamp of the stroke went, in picture pixels
  double pressure_ = 1.0;  ///< of the last pen event; 1 for a mouse
  bool penDown_ = false;
  ManualBrushStroke stroke_;
  Bitmap24 shown_;  ///< the drawing with the stroke's tint, as the panel shows it
  RunContext context_;
  QThreadPool pool_;
};

}  // namespace atelion
