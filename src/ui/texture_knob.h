// The round knob of the texture panel: turning it sets the texture's strength from 0 to 100
// percent, clockwise from the left (25 up, 50 right, 75 down). It is turned with the mouse (the
// pointer follows the mouse while the left button is held), the wheel or the arrow keys.
#pragma once

#include <QWidget>

namespace atelion {

class TextureKnob : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSide = 64;

  explicit TextureKnob(QWidget* parent = nullptr);

  int Value() const { return value_; }
  /// Turns the knob to `strength` (clamped to 0..100); valueChanged follows a change.
  void SetValue(int strength);
  double Angle() const { return angle_; }

  QSize sizeHint() const override { return {kSide, kSide}; }

 signals:
  void valueChanged(int strength);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TurnTowards(QPointF position);
  void SetAngle(double angle);

  int value_ = 0;
  double angle_ = 0;  ///< radians, 0 pointing right, growing clockwise on screen
};

}  // namespace atelion
