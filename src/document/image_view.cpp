#include "document/image_view.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace atelion {

int ClampZoom(int zoom) { return std::clamp(zoom, kMinZoom, kMaxZoom); }

std::string ZoomText(int zoom) { return std::to_string(zoom) + " %"; }

int ZoomFromInput(std::string_view text, int currentZoom) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return currentZoom;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  // from_chars takes no leading '+'; a typed "+150" is still a number.
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return currentZoom;
  // The zoom slider's own range; anything else leaves the zoom as it was.
  return value >= kMinZoom && value <= kMaxZoom ? value : currentZoom;
}

int ZoomAfterWheel(int zoom, bool wheelUp) { return ClampZoom(zoom + (wheelUp ? kWheelZoomStep : -kWheelZoomStep)); }

int BrushSizeAfterWheel(int brushSize, bool wheelUp) {
  return wheelUp ? std::max(5, brushSize - 5) : std::min(199, brushSize + 5);
}

PictureSize ZoomedSize(PictureSize natural, int zoom) {
  // 64 bits: a 32768-pixel side at 1000 % would still fit in 32, but a caller's odd sizes need not.
  const auto scale = [zoom](int extent) { return static_cast<int>(static_cast<long long>(extent) * zoom / 100); };
  return {scale(natural.width), scale(natural.height)};
}

ImagePlacement CentredPlacement(PictureSize image, PictureSize panel) {
  return {panel.width / 2 - image.width / 2, panel.height / 2 - image.height / 2, image.width, image.height};
}

int BoundedPosition(int position, int imageExtent, int panelExtent) {
  const int room = panelExtent - imageExtent;
  if (imageExtent < panelExtent) return std::clamp(position, 0, room);
  // Larger than the panel (or exactly as large, where both rules give 0): no gap may show.
  return std::clamp(position, room, 0);
}

ImagePlacement BoundImage(ImagePlacement image, PictureSize panel) {
  image.left = BoundedPosition(image.left, image.width, panel.width);
  image.top = BoundedPosition(image.top, image.height, panel.height);
  return image;
}

ImagePlacement ZoomImage(ImagePlacement image, PictureSize natural, int zoom, PictureSize panel) {
  const PictureSize size = ZoomedSize(natural, zoom);
  image.left -= (size.width - image.width) / 2;
  image.top -= (size.height - image.height) / 2;
  image.width = size.width;
  image.height = size.height;
  return BoundImage(image, panel);
}

ImagePlacement RefitImage(ImagePlacement image, PictureSize natural, int zoom, PictureSize panel) {
  image.width = natural.width;
  image.height = natural.height;
  return ZoomImage(image, natural, zoom, panel);
}

ImagePlacement PanImage(ImagePlacement image, Point offset, PictureSize panel) {
  image.left += offset.x;
  image.top += offset.y;
  return BoundImage(image, panel);
}

void PanState::Press(Point cursor) {
  dragging_ = true;
  gliding_ = false;
  last_ = cursor;
  velocity_ = {};
}

Point PanState::Move(Point cursor) {
  if (!dragging_) return {};
  const Point offset{cursor.x - last_.x, cursor.y - last_.y};
  last_ = cursor;
  velocity_ = {2 * offset.x, 2 * offset.y};
  return offset;
}

bool PanState::Release() {
  if (!dragging_) return false;
  dragging_ = false;
  gliding_ = std::abs(velocity_.x) > kGlideStartSpeed && std::abs(velocity_.y) > kGlideStartSpeed;
  return gliding_;
}

PanState::GlideStep PanState::GlideTick() {
  if (!gliding_) return {{}, true};
  GlideStep step{velocity_, false};
  velocity_ = {velocity_.x * kGlideDecayPercent / 100, velocity_.y * kGlideDecayPercent / 100};
  if (std::abs(velocity_.x) <= kGlideStopSpeed && std::abs(velocity_.y) <= kGlideStopSpeed) {
    step.last = true;
    gliding_ = false;
  }
  return step;
}

int ShadowDepth(int imageHeight) { return imageHeight <= 200 ? imageHeight / 35 : 7; }

int ShadowLineBrightness(int line) { return -35 + 5 * line; }

DividerLayout LayOutDivider(int clientWidth, int splitOffset) {
  const int half = clientWidth / 2;
  // Lower limit first, then the upper one: in a window narrower than both margins the
  // divider ends at the upper limit.
  splitOffset = std::max(splitOffset, kDividerEdgeMargin - half);
  splitOffset = std::min(splitOffset, half - kDividerEdgeMargin);
  DividerLayout layout;
  layout.splitOffset = splitOffset;
  layout.leftPanelWidth = std::max(0, half - splitOffset - 9);
  layout.rightPanelLeft = half - splitOffset + 3;
  layout.rightPanelWidth = std::max(0, half + splitOffset + clientWidth % 2 - 10);
  layout.handleLeft = half - splitOffset - 6;
  return layout;
}

int SplitOffsetAfterRelease(int clientWidth, int handleLeft, int releaseX) {
  return clientWidth / 2 - handleLeft - releaseX;
}

int SplitOffsetForKey(DividerKey key, int clientWidth) {
  switch (key) {
    case DividerKey::Right:
      return kDividerEdgeMargin - clientWidth / 2;
    case DividerKey::Left:
      return clientWidth / 2 - kDividerEdgeMargin;
    case DividerKey::Middle:
      break;
  }
  return 0;
}

Point PreviewCropOrigin(PictureSize source, int limit) {
  const auto axis = [limit](int extent) { return extent <= limit ? 0 : extent / 2 - 100; };
  return {axis(source.width), axis(source.height)};
}

int SteppedZoom(int zoom, int count, bool zoomIn) {
  return ClampZoom(zoomIn ? zoom + count / 4 + zoom / 30 : zoom - count / 5 - zoom / 35);
}

int JumpedZoom(int zoom, bool zoomIn) {
  if (zoomIn) return zoom <= kMaxZoom - 100 ? zoom + 100 : zoom;
  if (zoom > 100) return zoom - 100;
  return zoom > 14 ? zoom - 10 : zoom;
}

}  // namespace atelion
