// The brush window ("Retouch brush"): a small window kept above the main window while the manual
// brush is on, with the brush size, its intensity, "X 2" and a preview of the brush.
#pragma once

#include <QWidget>

#include "tools/manual_brush.h"

class QCheckBox;
class QLabel;
class QSlider;

namespace atelion {

class BrushWindow : public QWidget {
  Q_OBJECT
 public:
  explicit BrushWindow(QWidget* parent = nullptr);

  BrushSettings Settings() const;
  /// Sets the size (limited to 5 … 199), as the slider would.
  void SetSize(int size);

  QSlider* SizeSlider() const { return size_; }
  QSlider* IntensitySlider() const { return intensity_; }
  QCheckBox* DoubleBox() const { return double_; }
  QLabel* PreviewLabel() const { return preview_; }

 signals:
  /// The size, the intensity or "X 2" changed.
  void settingsChanged();
  /// The user closed the window, which ends the brush mode.
  void closed();

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowPreview();

  QSlider* size_ = nullptr;
  QSlider* intensity_ = nullptr;
  QCheckBox* double_ = nullptr;
  QLabel* preview_ = nullptr;
  QLabel* sizeValue_ = nullptr;
  QLabel* intensityValue_ = nullptr;
};

}  // namespace atelion
