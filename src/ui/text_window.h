// The text window: one line of text (any script, right to left included) written live onto the
// drawing while the window is open, with its font, colour, shadow and opacity, at one of nine
// anchors or wherever the user drags it on the drawing's panel. The picture under the text is
// kept, so each change first puts it back. OK keeps the text and records one history step;
// Cancel, Esc or closing the window leave the drawing exactly as it was.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "finishing/text.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace atelion {

class MainWindow;
class PicturePanel;

class TextWindow : public QDialog {
  Q_OBJECT
 public:
  explicit TextWindow(MainWindow& window);
  ~TextWindow() override;

  /// Shows the window with `settings` and draws the text on the drawing at once. The main
  /// window's commands rest while it is open, except that the drawing's panel takes drags that
  /// move the text.
  void Open(const TextSettings& settings);
  /// The text is drawn on the drawing and not yet kept.
  bool Pending() const { return pending_; }
  const TextSettings& CurrentSettings() const { return settings_; }
  /// Where the text was last placed, in picture pixels.
  Point TextPosition() const { return position_; }

  /// Replace the font and colour dialogs (tests choose without them).
  void SetFontChooser(std::function<std::optional<QFont>(QFont)> chooser) { fontChooser_ = std::move(chooser); }
  void SetColourChooser(std::function<std::optional<QColor>(QColor)> chooser) { colourChooser_ = std::move(chooser); }

  // The controls, for the window's own tests.
  QLineEdit* TextEdit() const { return text_; }
  QPushButton* FontButton() const { return font_; }
  QPushButton* ColourButton() const { return colour_; }
  QCheckBox* ShadowBox() const { return shadow_; }
  QSlider* OpacitySlider() const { return opacity_; }
  QComboBox* PositionList() const { return positionList_; }
  QSpinBox* XBox() const { return x_; }
  QSpinBox* YBox() const { return y_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 signals:
  /// OK: the text is kept; these are the settings the runs are to use.
  void committed(const atelion::TextSettings& settings);

 public slots:
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowSettings();
  void PlaceBesideDrawing();
  void ShowColour();
  void ChooseFont();
  void ChooseColour();
  /// Puts the picture back under the last text and draws the text of the current settings.
  void Redraw();
  /// Puts the picture back under the text.
  void Erase();
  /// Something else put a new drawing in the document while the window was open.
  bool DrawingReplaced();
  void LockCommands(bool lock);
  void ChooseUserPosition();

  MainWindow& window_;
  TextSettings settings_;
  Bitmap24 background_;  ///< the drawing as it was when the window opened
  Rect block_;           ///< the part of the drawing the text may have changed
  int historyPosition_ = 0;  ///< the document's history step when the window opened
  Point position_;
  bool pending_ = false;
  bool dragging_ = false;
  Point dragStart_;
  Point dragGrab_;
  QTimer dragRedraw_;  ///< a drag redraws at most once per tick, however fast the pointer moves
  std::vector<QPointer<QObject>> locked_;
  QPointer<QObject> panel_;  ///< the result panel, whose mouse places the text

  QLineEdit* text_ = nullptr;
  QPushButton* font_ = nullptr;
  QPushButton* colour_ = nullptr;
  QCheckBox* shadow_ = nullptr;
  QLabel* transparency_ = nullptr;
  QSlider* opacity_ = nullptr;
  QComboBox* positionList_ = nullptr;
  QSpinBox* x_ = nullptr;
  QSpinBox* y_ = nullptr;
  QLabel* notice_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::function<std::optional<QFont>(QFont)> fontChooser_;
  std::function<std::optional<QColor>(QColor)> colourChooser_;
};

}  // namespace atelion
