#include "ui/picture_panel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <algorithm>

namespace atelion {

QImage ToQImage(const Bitmap24& picture) {
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB888);
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* in = picture.Row(y);
    uchar* out = image.scanLine(y);
    for (int x = 0; x < picture.Width(); ++x) {
      // Stored blue, green, red; Qt wants red, green, blue.
      for (int c = 0; c < 3; ++c) out[3 * x + c] = in[3 * x + (2 - c)];
    }
  }
  return image;
}

int FitZoom(PictureSize picture, PictureSize panel) {
  if (picture.width <= 0 || picture.height <= 0) return kStartZoom;
  const int byWidth = static_cast<int>(static_cast<std::int64_t>(panel.width) * 100 / picture.width);
  const int byHeight = static_cast<int>(static_cast<std::int64_t>(panel.height) * 100 / picture.height);
  return ClampZoom(std::min({kStartZoom, byWidth, byHeight}));
}

// Paints the picture at the fitting zoom, centred, with its shadow along the bottom and right.
class PictureCanvas : public QWidget {
 public:
  explicit PictureCanvas(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

  void SetPicture(const Bitmap24& picture) {
    image_ = ToQImage(picture);
    natural_ = {picture.Width(), picture.Height()};
    update();
  }
  int Zoom() const { return FitZoom(natural_, PanelSize()); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QColor background(0x26, 0x28, 0x2c);
    painter.fillRect(rect(), background);
    if (image_.isNull()) return;
    const ImagePlacement placement = CentredPlacement(ZoomedSize(natural_, Zoom()), PanelSize());
    const QRect target(placement.left, placement.top, placement.width, placement.height);
    const int depth = std::max(1, ShadowDepth(placement.height));
    for (int line = depth; line >= 0; --line) {
      // Each line outwards is a little lighter: the shadow fades into the background.
      const int darker = -ShadowLineBrightness(line);
      painter.fillRect(target.translated(line + 1, line + 1), background.darker(100 + std::max(0, darker)));
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image_);
  }

 private:
  PictureSize PanelSize() const { return {width(), height()}; }

  QImage image_;
  PictureSize natural_;
};

PicturePanel::PicturePanel(bool acceptsDrops, QWidget* parent)
    : QScrollArea(parent), canvas_(new PictureCanvas(this)) {
  setWidget(canvas_);
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  setAcceptDrops(acceptsDrops);
  setMinimumSize(160, 120);
}

void PicturePanel::SetPicture(const Bitmap24& picture) { canvas_->SetPicture(picture); }

int PicturePanel::Zoom() const { return canvas_->Zoom(); }

void PicturePanel::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) event->acceptProposedAction();
}

void PicturePanel::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  emit fileDropped(urls.first().toLocalFile());
}

}  // namespace atelion
