// The example pictures of the styles in the drawing-parameters window: the floating picture shown
// while the pointer rests on a style of a group list, and the window that offers every style by its
// picture, grouped as the lists are, where a click (or Enter) chooses the style.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <array>

#include "styles/catalogue.h"

class QGridLayout;
class QLabel;
class QScrollArea;

namespace atelion {

/// The example of a style drawn at build time; a null pixmap when the build has none (a style
/// not built yet).
QPixmap StyleSamplePixmap(int effectId);

/// The floating example: borderless, on top, taking no mouse or keyboard input; a black ground
/// with a white outline 3 pixels wide around the 195 × 195 picture. It fades in 750 ms after it is
/// shown; a hidden one starts its next showing half visible.
class StyleSamplePopup : public QWidget {
  Q_OBJECT
 public:
  explicit StyleSamplePopup(QWidget* parent = nullptr);
  /// Shows the example of `effectId` with its right edge at `rightEdge` and centred on `centreY`
  /// (global coordinates); hides the popup when the style has no example.
  void ShowSample(int effectId, int rightEdge, int centreY);
  void HideSample();
  int ShownEffect() const { return isVisible() ? effectId_ : -1; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int effectId_ = -1;
  QPixmap picture_;
  double restingOpacity_ = 0;
  QTimer fadeDelay_;
  QTimer fadeStep_;
};

/// One example in the window: the picture with the style's name below it.
class StyleSampleTile : public QAbstractButton {
  Q_OBJECT
 public:
  StyleSampleTile(int effectId, QWidget* parent = nullptr);
  int EffectId() const { return effectId_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int effectId_;
  QPixmap picture_;
};

class StyleSamplesWindow : public QDialog {
  Q_OBJECT
 public:
  explicit StyleSamplesWindow(QWidget* parent = nullptr);
  StyleSampleTile* Tile(int effectId) const { return tiles_[effectId]; }
  /// Marks the chosen style's example and gives it the keyboard focus.
  void MarkChosen(int effectId);

 signals:
  /// An example was clicked or chosen with the keyboard; the window closes.
  void styleChosen(int effectId);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MoveFocus(int dx, int dy);
  void Focus(int effectId);

  QScrollArea* scroller_ = nullptr;
  std::array<StyleSampleTile*, kEffectCount> tiles_{};
  /// Each tile's place in the grid of its group, for moving with the arrow keys.
  std::array<QPoint, kEffectCount> places_{};
  int columns_ = 1;
};

}  // namespace atelion
