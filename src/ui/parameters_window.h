// The drawing-parameters window: the styles in their six groups, the five slider rows of the
// chosen style with labels, ranges and values from the catalogue, the style's extra controls
// ("x 2", "MAX", "Don't erase background", the custom-brush buttons), the live preview with its
// zoom, the option pictograms for soften, frame, texture and text, "Draw!" and a menu that loads,
// saves and resets the parameters. It keeps the current values of every style, so a style shows
// the values it was last left with.
#pragma once

#include <QColor>
#include <QDockWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "core/canvas.h"
#include "document/settings_file.h"
#include "styles/catalogue.h"
#include "effects/run_pipeline.h"
#include "styles/painting/custom_brushes.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QToolButton;

namespace atelion {

class CustomBrushWindow;
class LivePreview;
class PreviewBox;
class StyleSamplePopup;
class StyleSamplesWindow;
class TextureKnob;

class ParametersWindow : public QDockWidget {
  Q_OBJECT
 public:
  explicit ParametersWindow(QWidget* parent = nullptr);
  ~ParametersWindow() override;

  /// Makes `effectId` the chosen style: its list item is selected and the slider rows take its
  /// labels, ranges and stored values. Refused (false) for a style not available in this build.
  bool SelectEffect(int effectId);
  int CurrentEffect() const { return effectId_; }
  /// The chosen style's name as the window shows it (what result snapshots are labelled with).
  QString StyleNameText() const;

  /// What a run of the chosen style reads: the style, its slider values and extra controls.
  StyleSettings CurrentStyleSettings() const;
  /// The soften, texture, frame and text options (frame and text with their kept settings).
  FinishingSettings CurrentFinishingSettings() const;

  /// OK of the frame and text windows: the settings the runs use from now on.
  void SetFrameSettings(const FrameSettings& settings) { frameSettings_ = settings; }
  void SetTextSettings(const TextSettings& settings) { textSettings_ = settings; }

  /// Takes the stored texture tile and texture list entry into the texture controls, and keeps
  /// the stored frame and text settings for the runs.
  void ApplySettings(const Settings& settings);
  /// Writes the texture tile, texture list entry, frame and text settings and "Add a frame" back.
  void CollectSettings(Settings& settings) const;

  /// Greys "Draw!" while a run is under way; no preview starts meanwhile and a computing one
  /// stops. A preview refused during the run follows when it ends.
  void SetRunning(bool running);

  /// The document's pictures the preview crops from (the result for styles that paint over it).
  /// Cheap when nothing changed; a changed source shows its crop and schedules a preview.
  void SetPictures(const Bitmap24& source, const Bitmap24& result);
  /// A new picture was opened: the crop goes to the top-left corner at 1:1 and a preview follows.
  void SourceOpened();
  /// Puts the preview crop back after undo, redo or a swap: origin on each axis 0 when the source
  /// is at most `limit` pixels, else the 200-pixel middle; a preview follows.
  void ResetPreviewCrop(int limit);
  Point PreviewCropOrigin() const;

  /// The file names a saved parameter file records.
  void SetDocumentFileNames(std::string source, std::string result);

  /// "Load parameters" without the dialog: every style's values and the chosen style from the
  /// file. The error names the file and the reason; nothing changes then.
  Status LoadParameters(const std::filesystem::path& path);
  /// A parameter file named when the program starts: the layout "Save parameters" writes is read
  /// as "Load parameters" reads it; the older layout gives slots 1 to 4 of each style in turn
  /// (its style captions are not shown: the window names the styles itself).
  Status LoadStartupParameters(const std::filesystem::path& path);
  /// "Save parameters" without the dialog (".atp" is appended when missing).
  Status SaveParameters(const std::filesystem::path& path);
  /// "Reset parameters": the factory values for every style.
  void ResetParameters();

  /// The stamp of Paintings 7 and 8 from a picture file, set on a white square; an unreadable
  /// file changes nothing.
  Status LoadCustomBrush(const std::filesystem::path& path);
  /// Painting 10's brush: a transparent PNG as it is.
  Status LoadPaintBrush(const std::filesystem::path& path);
  /// Painting 11's sheet from transparent PNGs; an unreadable one changes nothing.
  Status LoadBrushSheet(const std::vector<std::filesystem::path>& paths);
  /// Painting 4's stroke brushes as the brush window made them, with their files.
  void SetStrokeBrushes(std::vector<Bitmap32> brushes, std::vector<std::string> paths);
  /// Painting 4's stroke brushes read from their files and stretched (a parameter file names
  /// them); unreadable files are left out.
  void LoadStrokeBrushFiles(const std::vector<std::string>& paths);
  /// "Reset brush": Paintings 7 and 8 go back to the shipped stamp, the others to their shipped
  /// brushes, according to the chosen style.
  void ResetCustomBrush();
  const UserBrushes& Brushes() const { return *brushes_; }
  /// How the brush buttons ask for files (tests choose without a dialog): caption, starting
  /// folder, filter, whether several may be chosen.
  using BrushFileChooser = std::function<QStringList(const QString&, const QString&, const QString&, bool)>;
  void SetBrushFileChooser(BrushFileChooser chooser) { brushChooser_ = std::move(chooser); }
  /// Painting 4's brush window while it is open (or last opened).
  CustomBrushWindow* BrushWindow() const { return brushWindow_; }
  /// The pictograms of the last Painting 4 run's strokes (HD painting, SVG file).
  void ShowStrokePictograms(bool shown);
  QToolButton* HdButton() const { return hdButton_; }
  QToolButton* SvgButton() const { return svgButton_; }

  /// Replaces the colour dialog of a right-click on the preview box (tests choose without one).
  void SetColourChooser(std::function<std::optional<QColor>(QColor)> chooser);

  // The controls, for the window's own tests.
  QSlider* Slider(int slot) const { return rows_[slot].slider; }
  QLabel* SliderLabel(int slot) const { return rows_[slot].label; }
  QLabel* ValueLabel(int slot) const { return rows_[slot].value; }
  QPushButton* DrawButton() const { return drawButton_; }
  /// "Manual brush": switches the brush mode of the main window.
  QPushButton* ManualBrushButton() const { return brushButton_; }
  QSlider* ZoomSlider() const { return zoomSlider_; }
  QToolButton* SoftenButton() const { return soften_; }
  QToolButton* FrameButton() const { return frame_; }
  QToolButton* TextureButton() const { return texture_; }
  QToolButton* TextButton() const { return text_; }
  TextureKnob* Knob() const { return knob_; }
  QToolButton* TileButton() const { return tileButton_; }
  QToolButton* SamplesButton() const { return samplesButton_; }
  /// The window of every style's example, made when it is first opened (null before).
  StyleSamplesWindow* SamplesWindow() const { return samplesWindow_; }
  StyleSamplePopup* SamplePopup() const { return samplePopup_; }
  static constexpr int kLastCatalogueIndex = 37;
  /// Opens the window of every style's example with the chosen style marked.
  void ShowSamplesWindow();
  /// The group list of `group` (0..5) and its header, which opens and closes it.
  QListWidget* GroupList(int group) const { return lists_[group]; }
  QToolButton* GroupHeader(int group) const { return headers_[group]; }
  QCheckBox* DoubleBox() const { return doubled_; }
  QCheckBox* DontEraseBox() const { return dontErase_; }
  QPushButton* LoadBrushButton() const { return loadBrush_; }
  QPushButton* ResetBrushButton() const { return resetBrush_; }
  PreviewBox* Box() const { return box_; }
  LivePreview* Preview() const { return preview_; }
  QMenuBar* Menu() const { return menu_; }
  const ParameterTables& Parameters() const { return parameters_; }

 signals:
  void drawRequested();
  /// "Manual brush" was pressed.
  void manualBrushRequested();
  /// The chosen style or one of its values changed (a running computation is now stale).
  void parametersChanged();
  /// "Load parameters" with Ctrl held found the names of a source and a result file.
  void imagesNamedInParameters(const QString& source, const QString& result);
  /// The HD painting pictogram and the SVG pictogram were clicked.
  void hdPaintingRequested();
  void strokeSvgRequested();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct SliderRow {
    QLabel* label = nullptr;
    QSlider* slider = nullptr;
    QLabel* value = nullptr;
  };

  /// A style's entry in its group list: its name, marked " √" when it is the chosen style.
  QString EntryText(int effectId) const;
  QWidget* BuildStyleGroups();
  QWidget* BuildSliderRows();
  QWidget* BuildExtras();
  QWidget* BuildPreview();
  QWidget* BuildTexturePanel();
  QWidget* BuildOptions();
  /// Opens group `group` and closes the others; `toggle` closes it when it is the open one.
  void OpenGroup(int group, bool toggle = false);
  /// The columns take the widest text of the current language (every style's labels and names),
  /// so choosing another style never moves or shortens anything.
  void FitTextColumns();
  void ShowTile(int index);
  void ShowSampleFor(QListWidget* list, QListWidgetItem* item);
  /// The merge of source and result needs the two pictures of one size.
  bool MergeAllowed() const;
  /// Up and Down: the style before or after the chosen one in the catalogue order, passing over
  /// the group headers, styles not built and a merge that cannot be chosen now.
  void StepStyle(int direction);
  void BuildMenu();
  void ShowEffect();
  /// The chosen style's values changed all at once (a file, a reset): show them and preview anew.
  void ShowChangedValues();
  void ShowValue(int slot);
  void OnItemClicked(QListWidgetItem* item);
  void OnSliderMoved(int slot, int position);
  void ShowMaximum(int slot);
  void OnBoxReleased(Qt::MouseButton button);
  void OnStyleAdjusted(const StyleSettings& style);
  void OptionToggled();
  void ChooseParametersFile(bool save);
  void ChooseCustomBrush();
  void OpenBrushWindow(const QString& folder);
  void BrushesChanged(std::shared_ptr<const UserBrushes> brushes);
  void RememberBrushFolder(const QString& path);
  QToolButton* StrokeButton(bool svg);
  bool DialogsAllowed() const;
  void ShowError(const Status& status);

  ParameterTables parameters_;
  int effectId_ = -1;
  QMenuBar* menu_ = nullptr;
  std::array<QToolButton*, kGroupCount> headers_{};
  std::array<QListWidget*, kGroupCount> lists_{};
  QWidget* styleColumn_ = nullptr;
  QScrollArea* scroller_ = nullptr;
  QLineEdit* styleName_ = nullptr;
  QGridLayout* rowGrid_ = nullptr;
  std::array<SliderRow, kSlotCount> rows_{};
  /// The style whose row shows "MAX" instead of its number, per style.
  std::array<bool, kEffectCount> maxShown_{};
  QCheckBox* doubled_ = nullptr;
  QCheckBox* dontErase_ = nullptr;
  QPushButton* loadBrush_ = nullptr;
  QPushButton* resetBrush_ = nullptr;
  QToolButton* soften_ = nullptr;
  QToolButton* frame_ = nullptr;
  QToolButton* texture_ = nullptr;
  QToolButton* text_ = nullptr;
  QToolButton* samplesButton_ = nullptr;
  StyleSamplesWindow* samplesWindow_ = nullptr;
  StyleSamplePopup* samplePopup_ = nullptr;
  TextureKnob* knob_ = nullptr;
  QToolButton* tileButton_ = nullptr;  ///< the chosen tile's picture; its menu shows all ten
  QSpinBox* textureStrength_ = nullptr;
  QSpinBox* textureTile_ = nullptr;     ///< shows the tile number from 1
  QComboBox* textureList_ = nullptr;    ///< light, normal or strong texture
  int textureTileIndex_ = -1;           ///< −1 until a tile is chosen (tile 0 is used)
  bool textureEntryChosen_ = false;     ///< the user or the settings chose a texture list entry
  FrameSettings frameSettings_;
  TextSettings textSettings_;
  PreviewBox* box_ = nullptr;
  QSlider* zoomSlider_ = nullptr;
  LivePreview* preview_ = nullptr;
  QPushButton* drawButton_ = nullptr;
  QPushButton* brushButton_ = nullptr;
  bool showing_ = false;
  bool running_ = false;
  bool activated_ = false;
  Bitmap24 result_;
  MeanColour sourceMean_ = kInitialSourceMeanColour;
  int sourceWidth_ = 0;  ///< of the whole source, which some styles read while previewing a crop
  int sourceHeight_ = 0;
  Colour paperColour_ = 0xFFFFFF;
  std::shared_ptr<const UserBrushes> brushes_ = std::make_shared<const UserBrushes>();
  BrushFileChooser brushChooser_;
  CustomBrushWindow* brushWindow_ = nullptr;
  std::string lastBrushFolder_;
  QToolButton* hdButton_ = nullptr;
  QToolButton* svgButton_ = nullptr;
  std::vector<std::string> customBrushPaths_;  ///< Painting 4's brushes, kept from the last load
  std::string sourceFileName_;
  std::string resultFileName_;
  std::function<std::optional<QColor>(QColor)> colourChooser_;
};

}  // namespace atelion
