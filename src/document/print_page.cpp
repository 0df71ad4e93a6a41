#include "document/print_page.h"

#include <algorithm>
#include <cmath>

namespace atelion {

PictureSize PageThumbnailSize(const PrintedPage& page) {
  if (page.width <= 0 || page.height <= 0) return {kThumbnailLongSide, kThumbnailLongSide};
  if (page.height >= page.width) {
    return {kThumbnailLongSide, static_cast<int>(std::floor(kThumbnailLongSide * double(page.height) / page.width))};
  }
  return {static_cast<int>(std::floor(kThumbnailLongSide * double(page.width) / page.height)), kThumbnailLongSide};
}

int FullPageScale(const PrintedPage& page, PictureSize picture) {
  if (picture.width <= 0 || picture.height <= 0) return 100;
  const double fill = picture.width < picture.height
                          ? page.height * 100.0 / (page.DotsPerPixelY() * picture.height)
                          : page.width * 100.0 / (page.DotsPerPixelX() * picture.width);
  if (!std::isfinite(fill)) return kMaximumPrintScale;
  return std::clamp(static_cast<int>(std::floor(fill)) - 5, kMinimumPrintScale, kMaximumPrintScale);
}

PlacedRect ThumbnailPicture(const PrintedPage& page, PictureSize picture, const PagePlacement& placement) {
  const PictureSize thumbnail = PageThumbnailSize(page);
  PlacedRect placed;
  if (page.width > 0 && page.height > 0) {
    // The picture's printed size (before the margin) as a share of the page, in thumbnail pixels.
    placed.width = static_cast<int>(std::floor(picture.width * page.DotsPerPixelX() * placement.scale / 100.0 *
                                                thumbnail.width / page.width));
    placed.height = static_cast<int>(std::floor(picture.height * page.DotsPerPixelY() * placement.scale / 100.0 *
                                                 thumbnail.height / page.height));
  }
  placed.left = (thumbnail.width - placed.width) / 2 + placement.offsetX;
  placed.top = (thumbnail.height - placed.height) / 2 + placement.offsetY;
  return placed;
}

PlacedRect PrintedPicture(const PrintedPage& page, PictureSize picture, const PagePlacement& placement) {
  const PictureSize thumbnail = PageThumbnailSize(page);
  PlacedRect placed;
  const double width = std::floor(picture.width * page.DotsPerPixelX() * placement.scale / 100.0);
  const double height = std::floor(picture.height * page.DotsPerPixelY() * placement.scale / 100.0);
  placed.width = static_cast<int>(std::floor(width * 94 / 100));
  placed.height = static_cast<int>(std::floor(height * 94 / 100));
  const double shiftX = thumbnail.width > 0 ? double(placement.offsetX) * page.width / thumbnail.width : 0;
  const double shiftY = thumbnail.height > 0 ? double(placement.offsetY) * page.height / thumbnail.height : 0;
  placed.left = (page.width - placed.width) / 2 + static_cast<int>(std::trunc(shiftX));
  placed.top = (page.height - placed.height) / 2 + static_cast<int>(std::trunc(shiftY));
  return placed;
}

}  // namespace atelion
