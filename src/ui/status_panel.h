// The black status panel along the bottom of the main window. Between runs it shows what the
// source is (left) and which style made the result (right); during a run a bar grows from the
// left in a blue that lightens as the run advances, with the percentage at the right. A small
// marker on the panel sets the percentage at which the next run stops: drag it with the mouse.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include "core/canvas.h"

namespace atelion {

class StatusPanel : public QWidget {
  Q_OBJECT
 public:
  /// Height of the panel; the marker is as high as the panel.
  static constexpr int kHeight = 22;
  /// The marker is this wide; its label starts this far right of the marker's left edge.
  static constexpr int kMarkerWidth = 20;

  explicit StatusPanel(QWidget* parent = nullptr);

  /// The left text: what the source is ("photo.jpg - 640x480 - 300 dpi").
  void SetSourceText(const QString& text);
  /// The right text: the name of the style that made the result.
  void SetStyleText(const QString& text);
  /// Shows `text` in place of the left text for `milliseconds` (what a run or a failure tells the user).
  void ShowNotice(const QString& text, int milliseconds);

  /// A run begins: empty bar in the start colour, percentage shown, texts and marker hidden.
  void StartRun();
  /// The run shows `percent` with the bar in `barColour` (0x00BBGGRR).
  void ShowProgress(int percent, Colour barColour);
  /// The run is over: bar cleared, texts and marker back.
  void FinishRun();

  /// The percentage the marker stands at: a run stops once the shown percentage reaches it.
  int StopPercentage() const { return stopPercentage_; }
  /// Puts the marker at `percent` (100 puts it back at the right end).
  void SetStopPercentage(int percent);

  // What the panel shows, for the window's tests and its save-in-progress name.
  QString PercentText() const { return percentText_; }
  bool Running() const { return running_; }
  int BarWidth() const { return barWidth_; }
  bool MarkerShown() const { return running_ ? hovered_ || dragging_ : true; }
  /// The marker's rectangle in the panel's coordinates.
  QRect MarkerRect() const { return QRect(markerLeft_, 0, kMarkerWidth, kHeight); }

 signals:
  /// The user dragged the marker to a new percentage.
  void stopPercentageChanged(int percent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void DrawMarker(QPainter& painter);
  bool MarkerLabelShown() const;
  /// Where the marker's percentage is written.
  QRect MarkerLabelRect() const;
  /// The marker's left edge for a percentage: width · percent div 100 − 10, at most width − 15.
  int MarkerLeftFor(int percent) const;

  QString sourceText_;
  QString styleText_;
  QString noticeText_;
  QTimer noticeTimer_;
  QString percentText_;
  bool running_ = false;
  int barWidth_ = 0;
  Colour barColour_ = 0;
  int percent_ = 0;
  int stopPercentage_ = 100;
  int markerLeft_ = 0;
  bool hovered_ = false;
  bool dragging_ = false;
};

}  // namespace atelion
