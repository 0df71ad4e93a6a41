// One of the main window's two picture panels: a dark area in which the picture is drawn at the
// main zoom, at a place the window decides (centred, bounded, panned), with a soft drop shadow
// along its bottom and right edges. The panel reports presses, drags and wheel turns to the
// window, which moves both panels together. The source panel also accepts a dropped picture file.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "document/image_view.h"

namespace atelion {

/// A copy of a picture as a Qt image (blue, green, red bytes become RGB888).
QImage ToQImage(const Bitmap24& picture);
/// The other way: a Qt image of any format as a 24-bit picture.
Bitmap24 ToBitmap24(const QImage& image);
/// A colour of the pictures as a Qt colour, and back.
QColor ToQColor(Colour colour);
Colour FromQColor(const QColor& colour);
/// The face of a colour button: the colour filling `size`, outlined in grey.
QIcon SwatchIcon(const QColor& colour, QSize size);

/// The largest zoom, at most 100 %, at which a picture fits inside a panel; kMinZoom at least.
int FitZoom(PictureSize picture, PictureSize panel);

class PicturePanel : public QWidget {
  Q_OBJECT
 public:
  explicit PicturePanel(bool acceptsDrops, QWidget* parent = nullptr);

  /// Shows `picture`. The image keeps its place; when the picture's size differs from the one
  /// shown, the image takes the new size at the panel's zoom, around the same centre.
  void SetPicture(const Bitmap24& picture);
  /// The same for a picture already converted (an intermediate picture of a run).
  void SetImage(QImage image);
  /// Shows `area` (picture pixels) of `picture`, the picture shown with some pixels changed.
  void UpdateArea(const Bitmap24& picture, const Rect& area);
  /// The picture as shown, for saving a run's intermediate state.
  const QImage& Image() const { return image_; }

  /// The picture's size at 100 %.
  PictureSize NaturalSize() const { return natural_; }
  PictureSize PanelSize() const { return {width(), height()}; }
  const ImagePlacement& Placement() const { return placement_; }
  int Zoom() const { return zoom_; }

  /// Draws the image at `zoom`, grown or shrunk around its centre and bounded in the panel.
  void ApplyZoom(int zoom);
  /// Puts the image in the middle of the panel.
  void Centre();
  /// Moves the image by `offset`, bounded in the panel.
  void Pan(Point offset);
  /// Bounds the image in the panel (after the panel changed size).
  void Bound();

  /// A panel position in picture pixels at the panel's zoom: (position − image corner) × 100 div zoom.
  Point PictureAt(QPoint position) const;
  /// Shows `selection` (picture pixels, right and bottom excluded) brightened with a dotted outline;
  /// an empty rectangle shows none.
  void SetSelection(const Rect& selection);

 signals:
  /// A file was dropped onto the panel.
  void fileDropped(const QString& path);
  /// The left button went down on the panel, moved with it held, and was released; positions are
  /// global so that both panels move by the same amount.
  void panPressed(QPoint globalPosition);
  void panMoved(QPoint globalPosition);
  void panReleased();
  /// The mouse wheel turned by `notches` (positive: up, away from the user).
  void wheelTurned(int notches);
  /// The mouse pointer came onto the panel.
  void pointerEntered();
  /// The left button was double-clicked on the panel.
  void doubleClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void TakeImage(QImage image);
  void DrawShadow(QPainter& painter, const QRect& target) const;
  void DrawImage(QPainter& painter, const QRect& target);

  QImage image_;
  PictureSize natural_;
  ImagePlacement placement_;
  int zoom_ = kStartZoom;
  int wheelRemainder_ = 0;  // eighths of a degree not yet worth a notch (fine-grained wheels)
  QImage scaled_;           // the image smoothed to its drawn size, while that is below 100 %
  Rect selection_;          // the crop selection shown, in picture pixels
};

}  // namespace atelion
