// The area under the toolbar that holds the source panel (left) and the result panel (right) with
// the divider handle between them. The divider is placed by `SplitOffset` (positive moves it to
// the left): drag the handle and release it where it should be, double-click it to have the next
// release put it back in the middle, or use the arrow keys: Right lets the source fill the area,
// Left the result, Up, Down or Space bring the divider back to the middle.
#pragma once

#include <QTimer>
#include <QWidget>

#include "document/image_view.h"

namespace atelion {

class PicturePanel;
class DividerHandle;

class PanelArea : public QWidget {
  Q_OBJECT
 public:
  PanelArea(PicturePanel* source, PicturePanel* result, QWidget* parent = nullptr);

  int SplitOffset() const { return splitOffset_; }
  /// Moves the divider and lays the panels out again.
  void SetSplitOffset(int splitOffset);
  /// The divider after one of its keys; a guide line then steps across the way it went.
  void ApplyDividerKey(DividerKey key);
  /// The horizontal layout of the panels for the area's present width.
  DividerLayout Layout() const { return LayOutDivider(width(), splitOffset_); }
  QWidget* Handle() const;

  /// Called by the handle: the guide line follows the pointer while the handle is dragged.
  void ShowGuide(int x);
  /// Called by the handle when it is released at `releaseX` (relative to the handle).
  void ReleaseHandle(int releaseX, bool toMiddle);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void LayOutPanels();
  void SweepTick();

  PicturePanel* source_;
  PicturePanel* result_;
  DividerHandle* handle_;
  QWidget* guide_;
  int splitOffset_ = 0;
  QTimer sweepTimer_;
  int sweepX_ = 0;
  int sweepTo_ = 0;
  int sweepStep_ = 0;
};

}  // namespace atelion
