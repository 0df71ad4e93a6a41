// One of the main window's two picture panels: a scrolling area that shows a picture fitted to
// the panel (never enlarged beyond 100 %), centred on a dark background with a soft drop shadow.
// The source panel also accepts a picture file dropped onto it.
#pragma once

#include <QImage>
#include <QScrollArea>
#include <QString>

#include "core/bitmap24.h"
#include "document/image_view.h"

namespace atelion {

/// A copy of a picture as a Qt image (blue, green, red bytes become RGB888).
QImage ToQImage(const Bitmap24& picture);

/// The largest zoom, at most 100 %, at which a picture fits inside a panel; kMinZoom at least.
int FitZoom(PictureSize picture, PictureSize panel);

class PictureCanvas;

class PicturePanel : public QScrollArea {
  Q_OBJECT
 public:
  explicit PicturePanel(bool acceptsDrops, QWidget* parent = nullptr);

  void SetPicture(const Bitmap24& picture);
  /// The zoom the picture is drawn at, in percent.
  int Zoom() const;

 signals:
  /// A file was dropped onto the panel.
  void fileDropped(const QString& path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  PictureCanvas* canvas_;
};

}  // namespace atelion
