// "Resize source image": the new width and height of the photograph in pixels or in percent of
// its present size, a slider for each, "Keep image ratio" and "Desktop size". OK (or Enter)
// resamples both pictures of the document to that size as two history steps, the photograph's
// and then the drawing's; Cancel (or Esc) changes nothing. The fields follow the rules of
// ResizeFields; this window only shows them and passes on what the user does.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "document/resize_fields.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace atelion {

class MainWindow;

class ResizeWindow : public QDialog {
  Q_OBJECT
 public:
  ResizeWindow(MainWindow& main, QWidget* parent = nullptr);

  /// OK: the size the fields give; both pictures resized on the main window's worker thread, then
  /// recorded, the window closed and the drawing-parameters preview put back at the middle of the
  /// photograph (`resized` follows). A side below 2 pixels only closes the window; a size no
  /// picture may have is refused with a message and the window stays open.
  void Accept();

  const ResizeFields& Fields() const { return fields_; }
  QLineEdit* Field(ResizeField field) const { return edits_[static_cast<int>(field)]; }
  QSlider* Slider(ResizeAxis axis) const { return sliders_[static_cast<int>(axis)]; }
  QCheckBox* KeepRatioBox() const { return keepRatio_; }
  QCheckBox* DesktopSizeBox() const { return desktopSize_; }
  QPushButton* OkButton() const { return ok_; }

  /// The size of the whole desktop: the rectangle around all screens, in pixels.
  static PictureSize DesktopPixels();
  /// Replaces the desktop size "Desktop size" takes (tests set their own).
  void SetDesktopSource(std::function<PictureSize()> desktop) { desktop_ = std::move(desktop); }
  /// Replaces the message box that refuses a size (tests read the message).
  void SetMessenger(std::function<void(const QString&)> messenger) { messenger_ = std::move(messenger); }

 signals:
  /// OK resized the pictures.
  void resized();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  /// Shows the fields' texts, sliders and boxes; a text is only replaced when it differs, so the
  /// cursor stays where the user types.
  void ShowFields();
  /// Says why a resize did not happen.
  void Tell(const QString& message);
  void SetControlsEnabled(bool enabled);

  MainWindow& main_;
  ResizeFields fields_;
  std::array<QLineEdit*, 4> edits_{};
  std::array<QSlider*, 2> sliders_{};
  QCheckBox* keepRatio_ = nullptr;
  QCheckBox* desktopSize_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool showing_ = false;  ///< set while the widgets are being filled, whose own signals are then ignored
  bool parametersWereShown_ = false;
  bool resizing_ = false;
  std::function<PictureSize()> desktop_;
  std::function<void(const QString&)> messenger_;
};

}  // namespace atelion
