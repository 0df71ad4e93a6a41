// The drawing-parameters window: the styles in their six groups, the five slider rows of the
// chosen style with labels, ranges and values from the catalogue, the style's extra controls,
// the soften and texture options and "Draw!". It keeps the current values of every style, so a
// style shows the values it was last left with.
#pragma once

#include <QDockWidget>
#include <array>

#include "core/canvas.h"
#include "document/settings_file.h"
#include "effects/catalogue.h"
#include "effects/run_pipeline.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolBox;

namespace atelion {

class ParametersWindow : public QDockWidget {
  Q_OBJECT
 public:
  explicit ParametersWindow(QWidget* parent = nullptr);

  /// Makes `effectId` the chosen style: its list item is selected and the slider rows take its
  /// labels, ranges and stored values. Refused (false) for a style not available in this build.
  bool SelectEffect(int effectId);
  int CurrentEffect() const { return effectId_; }
  /// The chosen style's name as the window shows it (what result snapshots are labelled with).
  QString StyleNameText() const;

  /// What a run of the chosen style reads: the style, its slider values and extra controls.
  StyleSettings CurrentStyleSettings() const;
  /// The soften and texture options (frame and text come with their own windows).
  FinishingSettings CurrentFinishingSettings() const;

  /// Takes the stored texture tile and texture list entry into the texture controls, and keeps
  /// the stored frame and text settings for the runs.
  void ApplySettings(const Settings& settings);
  /// Writes the texture tile, texture list entry, frame and text settings and "Add a frame" back.
  void CollectSettings(Settings& settings) const;

  /// Greys "Draw!" while a run is under way.
  void SetRunning(bool running);

  /// The document's pictures the preview crops from (the result for styles that paint over it).
  void SetPictures(const Bitmap24& source, const Bitmap24& result);
  /// Puts the preview crop back after undo, redo or a swap: origin on each axis 0 when the source
  /// is at most `limit` pixels, else the 200-pixel middle.
  void ResetPreviewCrop(int limit);
  Point PreviewCropOrigin() const { return cropOrigin_; }

  // The controls, for the window's own tests.
  QSlider* Slider(int slot) const { return rows_[slot].slider; }
  QLabel* SliderLabel(int slot) const { return rows_[slot].label; }
  QLabel* ValueLabel(int slot) const { return rows_[slot].value; }
  QPushButton* DrawButton() const { return drawButton_; }
  const ParameterTables& Parameters() const { return parameters_; }

 signals:
  void drawRequested();
  /// The chosen style or one of its values changed (a running computation is now stale).
  void parametersChanged();

 private:
  struct SliderRow {
    QLabel* label = nullptr;
    QSlider* slider = nullptr;
    QLabel* value = nullptr;
  };

  QWidget* BuildStyleGroups();
  QWidget* BuildSliderRows();
  QWidget* BuildOptions();
  void ShowEffect();
  void OnItemClicked(QListWidgetItem* item);
  void OnSliderMoved(int slot, int position);

  ParameterTables parameters_;
  int effectId_ = -1;
  QToolBox* groups_ = nullptr;
  std::array<QListWidget*, kGroupCount> lists_{};
  QLineEdit* styleName_ = nullptr;
  std::array<SliderRow, kSlotCount> rows_{};
  QCheckBox* doubled_ = nullptr;
  QCheckBox* dontErase_ = nullptr;
  QCheckBox* soften_ = nullptr;
  QCheckBox* texture_ = nullptr;
  QSpinBox* textureStrength_ = nullptr;
  QSpinBox* textureTile_ = nullptr;     ///< shows the tile number from 1
  QComboBox* textureList_ = nullptr;    ///< light, normal or strong texture
  int textureTileIndex_ = -1;           ///< −1 until a tile is chosen (tile 0 is used)
  FrameSettings frame_;
  TextSettings text_;
  bool addFrame_ = false;
  bool addText_ = false;
  QPushButton* drawButton_ = nullptr;
  bool showing_ = false;
  Bitmap24 source_;
  Bitmap24 result_;
  Point cropOrigin_{};
};

}  // namespace atelion
