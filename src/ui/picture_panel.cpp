#include "ui/picture_panel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace atelion {
namespace {

const QColor kPanelBackground(0x26, 0x28, 0x2c);

// The background changed by `percent` in brightness, as the shadow lines are.
QColor AdjustBrightness(const QColor& colour, int percent) {
  const auto scale = [percent](int channel) { return std::clamp(channel * (100 + percent) / 100, 0, 255); };
  return QColor(scale(colour.red()), scale(colour.green()), scale(colour.blue()));
}

}  // namespace

QColor ToQColor(Colour colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

Colour FromQColor(const QColor& colour) { return MakeColour(colour.red(), colour.green(), colour.blue()); }

QIcon SwatchIcon(const QColor& colour, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(colour);
  QPainter painter(&pixmap);
  painter.setPen(QColor(0x90, 0x90, 0x90));
  painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
  return QIcon(pixmap);
}

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

Bitmap24 ToBitmap24(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  Bitmap24 picture(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar* in = rgb.constScanLine(y);
    std::uint8_t* out = picture.Row(y);
    for (int x = 0; x < rgb.width(); ++x) {
      for (int c = 0; c < 3; ++c) out[3 * x + c] = in[3 * x + (2 - c)];
    }
  }
  return picture;
}

int FitZoom(PictureSize picture, PictureSize panel) {
  if (picture.width <= 0 || picture.height <= 0) return kStartZoom;
  const int byWidth = static_cast<int>(static_cast<std::int64_t>(panel.width) * 100 / picture.width);
  const int byHeight = static_cast<int>(static_cast<std::int64_t>(panel.height) * 100 / picture.height);
  return ClampZoom(std::min({kStartZoom, byWidth, byHeight}));
}

PicturePanel::PicturePanel(bool acceptsDrops, QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAcceptDrops(acceptsDrops);
  setFocusPolicy(Qt::ClickFocus);
  setMinimumSize(0, 0);
}

void PicturePanel::SetPicture(const Bitmap24& picture) { TakeImage(ToQImage(picture)); }

void PicturePanel::SetImage(QImage image) { TakeImage(std::move(image)); }

void PicturePanel::TakeImage(QImage image) {
  image_ = std::move(image);
  scaled_ = QImage();
  const PictureSize natural{image_.width(), image_.height()};
  if (!(natural == natural_)) {
    natural_ = natural;
    placement_ = RefitImage(placement_, natural_, zoom_, PanelSize());
  }
  update();
}

void PicturePanel::ApplyZoom(int zoom) {
  zoom_ = ClampZoom(zoom);
  placement_ = ZoomImage(placement_, natural_, zoom_, PanelSize());
  update();
}

void PicturePanel::Centre() {
  placement_ = CentredPlacement({placement_.width, placement_.height}, PanelSize());
  update();
}

void PicturePanel::Pan(Point offset) {
  placement_ = PanImage(placement_, offset, PanelSize());
  update();
}

void PicturePanel::Bound() {
  placement_ = BoundImage(placement_, PanelSize());
  update();
}

void PicturePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kPanelBackground);
  if (image_.isNull() || placement_.width <= 0 || placement_.height <= 0) return;
  const QRect target(placement_.left, placement_.top, placement_.width, placement_.height);
  DrawShadow(painter, target);
  DrawImage(painter, target);
  if (selection_.right > selection_.left && selection_.bottom > selection_.top && natural_.width > 0 &&
      natural_.height > 0) {
    // The selection in view pixels, brightened, inside a dotted black-and-white outline.
    const auto viewX = [&](int x) { return placement_.left + static_cast<int>(std::int64_t(x) * placement_.width / natural_.width); };
    const auto viewY = [&](int y) { return placement_.top + static_cast<int>(std::int64_t(y) * placement_.height / natural_.height); };
    const QRect shown(QPoint(viewX(selection_.left), viewY(selection_.top)),
                      QPoint(viewX(selection_.right) - 1, viewY(selection_.bottom) - 1));
    painter.fillRect(shown, QColor(255, 255, 255, 110));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(shown);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(shown);
  }
}

Point PicturePanel::PictureAt(QPoint position) const {
  if (zoom_ <= 0) return {position.x() - placement_.left, position.y() - placement_.top};
  return {(position.x() - placement_.left) * 100 / zoom_, (position.y() - placement_.top) * 100 / zoom_};
}

void PicturePanel::SetSelection(const Rect& selection) {
  selection_ = selection;
  update();
}

void PicturePanel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit doubleClicked();
}

void PicturePanel::DrawShadow(QPainter& painter, const QRect& target) const {
  // Only where the image ends inside the panel on the right or at the bottom does a shadow show.
  if (target.right() + 1 >= width() && target.bottom() + 1 >= height()) return;
  const int depth = std::max(1, ShadowDepth(target.height()));
  const int right = target.right() + 1;
  const int bottom = target.bottom() + 1;
  for (int line = depth; line >= 0; --line) {
    // Line 0 touches the image and is the darkest; each line outwards is 5 % lighter. Each line
    // also starts a little further along the edge, so the shadow fades in from the lit corners.
    painter.setPen(AdjustBrightness(kPanelBackground, ShadowLineBrightness(line)));
    painter.drawLine(target.left() + line + 3, bottom + line, right - 1, bottom + line);
    painter.drawLine(right + line, target.top() + line + 3, right + line, bottom - 1);
  }
  // The outer corner: every pixel takes the line of its distance from the image's corner, so the
  // corner is rounded instead of square.
  for (int dy = 0; dy <= depth; ++dy) {
    for (int dx = 0; dx <= depth; ++dx) {
      const int line = static_cast<int>(std::lround(std::hypot(dx, dy)));
      if (line > depth) continue;
      painter.setPen(AdjustBrightness(kPanelBackground, ShadowLineBrightness(line)));
      painter.drawPoint(right + dx, bottom + dy);
    }
  }
}

void PicturePanel::DrawImage(QPainter& painter, const QRect& target) {
  if (target.size() == image_.size()) {
    painter.drawImage(target.topLeft(), image_);
  } else if (target.width() < image_.width()) {
    // Reduced: smoothed once per size, then only copied while the image pans.
    if (scaled_.size() != target.size()) {
      scaled_ = image_.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    painter.drawImage(target.topLeft(), scaled_);
  } else {
    // Enlarged: crisp pixels, and only the part that is visible is scaled.
    const QRect visible = target.intersected(rect());
    if (visible.isEmpty()) return;
    const double scaleX = static_cast<double>(image_.width()) / target.width();
    const double scaleY = static_cast<double>(image_.height()) / target.height();
    const QRectF source((visible.left() - target.left()) * scaleX, (visible.top() - target.top()) * scaleY,
                        visible.width() * scaleX, visible.height() * scaleY);
    painter.drawImage(QRectF(visible), image_, source);
  }
}

void PicturePanel::UpdateArea(const Bitmap24& picture, const Rect& area) {
  if (picture.Width() != image_.width() || picture.Height() != image_.height()) return SetPicture(picture);
  const int left = std::max(area.left, 0), right = std::min(area.right, image_.width());
  for (int y = std::max(area.top, 0); y < std::min(area.bottom, image_.height()); ++y) {
    const std::uint8_t* from = picture.Row(y);
    uchar* to = image_.scanLine(y);
    for (int x = left; x < right; ++x) {
      to[3 * x] = from[3 * x + 2];
      to[3 * x + 1] = from[3 * x + 1];
      to[3 * x + 2] = from[3 * x];
    }
  }
  scaled_ = QImage();  // a reduced view is smoothed again
  update();
}

void PicturePanel::resizeEvent(QResizeEvent*) {
  // The window lays its panels out again on every resize and centres the pictures in them.
  Centre();
}

void PicturePanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit panPressed(event->globalPosition().toPoint());
}

void PicturePanel::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) emit panMoved(event->globalPosition().toPoint());
}

void PicturePanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit panReleased();
}

void PicturePanel::wheelEvent(QWheelEvent* event) {
  wheelRemainder_ += event->angleDelta().y();
  const int notches = wheelRemainder_ / QWheelEvent::DefaultDeltasPerStep;
  wheelRemainder_ -= notches * QWheelEvent::DefaultDeltasPerStep;
  if (notches != 0) emit wheelTurned(notches);
  event->accept();
}

void PicturePanel::enterEvent(QEnterEvent*) { emit pointerEntered(); }

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
