// The frame window: the frame style, the fill and line colours, the margin, the frame numbers,
// the colour offsets of the coloured frame, the triptych's panel spacing and the custom frame
// picture with "Autofit", beside a 200 × 200 preview of the framed photograph. The preview is
// computed on a worker thread; a newer change stops the one computing. OK hands the settings to
// the runs; Cancel leaves them as they were.
#pragma once

#include <QColor>
#include <QDialog>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "finishing/frames.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;

namespace atelion {

class FrameWindow : public QDialog {
  Q_OBJECT
 public:
  explicit FrameWindow(QWidget* parent = nullptr);
  /// Stops the preview computing and waits for its thread.
  ~FrameWindow() override;

  /// Shows the window (modal to its parent) with `settings`; the preview frames `source`.
  void Open(const FrameSettings& settings, const Bitmap24& source);
  /// The settings as the controls show them.
  const FrameSettings& CurrentSettings() const { return settings_; }
  /// The preview last shown (empty before the first).
  const Bitmap24& PreviewPicture() const { return preview_; }
  bool PreviewComputing() const { return worker_.joinable(); }

  /// Replace the colour dialog and the file dialog of the custom frame picture (tests choose
  /// without them).
  void SetColourChooser(std::function<std::optional<QColor>(QColor)> chooser) { colourChooser_ = std::move(chooser); }
  void SetFileChooser(std::function<QString()> chooser) { fileChooser_ = std::move(chooser); }

  // The controls, for the window's own tests.
  QComboBox* StyleList() const { return styleList_; }
  QToolButton* FillColourButton() const { return fillColour_; }
  QToolButton* LineColourButton() const { return lineColour_; }
  QToolButton* SwapButton() const { return swap_; }
  QSpinBox* MarginBox() const { return margin_; }
  QSpinBox* RealisticNumberBox() const { return realisticNumber_; }
  QSpinBox* ColouredNumberBox() const { return colouredNumber_; }
  QSlider* OffsetSlider(int channel) const { return offsets_[channel]; }
  QSpinBox* SpacingBox() const { return spacing_; }
  QToolButton* CustomPictureButton() const { return customPicture_; }
  QCheckBox* AutofitBox() const { return autofit_; }
  QLabel* PreviewLabel() const { return previewLabel_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QTimer* PreviewTimer() { return &previewTimer_; }

 signals:
  /// OK: the settings the runs are to use.
  void settingsAccepted(const atelion::FrameSettings& settings);
  /// A finished preview of the current settings is in the box.
  void previewShown();

 protected:
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowSettings();
  void ShowControlsOfStyle();
  void RelabelEntries();
  void ShowSwatches();
  void ChooseColour(bool fill);
  void ChooseCustomPicture();
  void UseDefaultPicture();
  void SchedulePreview(int ms);
  void StartPreview();
  void PreviewFinished(quint64 generation, bool aborted, Bitmap24 picture);
  void StopPreview();

  FrameSettings settings_;
  std::shared_ptr<const Bitmap24> source_;
  /// The user's custom frame picture, read when chosen; nullptr while the built-in one is used.
  std::shared_ptr<const Bitmap32> customFrame_;
  Bitmap24 preview_;
  QTimer previewTimer_;
  std::thread worker_;
  std::shared_ptr<RunContext> jobContext_;
  quint64 generation_ = 0;
  bool restartWanted_ = false;

  QComboBox* styleList_ = nullptr;
  QLabel* lineLabel_ = nullptr;
  QToolButton* fillColour_ = nullptr;
  QToolButton* lineColour_ = nullptr;
  QToolButton* swap_ = nullptr;
  QSpinBox* margin_ = nullptr;
  QSpinBox* realisticNumber_ = nullptr;
  QSpinBox* colouredNumber_ = nullptr;
  std::array<QLabel*, 3> offsetSwatches_{};
  std::array<QSlider*, 3> offsets_{};
  std::array<QLabel*, 3> offsetValues_{};
  QLabel* spacingLabel_ = nullptr;
  QSpinBox* spacing_ = nullptr;
  QToolButton* customPicture_ = nullptr;
  QCheckBox* autofit_ = nullptr;
  QLabel* customNotice_ = nullptr;
  QLabel* previewLabel_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::function<std::optional<QColor>(QColor)> colourChooser_;
  std::function<QString()> fileChooser_;
};

}  // namespace atelion
