#include "document/full_screen.h"

#include <cmath>

namespace atelion {

PlacedRect FullScreenPlacement(PictureSize screen, PictureSize picture) {
  PlacedRect placed{0, 0, screen.width, screen.height};
  if (screen.width <= 0 || screen.height <= 0 || picture.width <= 0 || picture.height <= 0) return placed;
  const double screenRatio = double(screen.width) / screen.height;
  const double ratio = double(picture.width) / picture.height;
  if (std::abs(screenRatio - ratio) < 0.2) return placed;
  const int heightPercent = static_cast<int>(std::floor(100 / ratio));
  const int widthPercent = static_cast<int>(std::floor(ratio * 100));
  const auto fitWidth = [&] {
    placed.width = screen.width;
    placed.height = static_cast<int>(static_cast<long long>(placed.width) * heightPercent / 100);
    placed.top = (screen.height - placed.height) / 2;
    placed.left = 0;
  };
  const auto fitHeight = [&] {
    placed.height = screen.height;
    placed.width = static_cast<int>(static_cast<long long>(placed.height) * widthPercent / 100);
    placed.top = 0;
    placed.left = (screen.width - placed.width) / 2;
  };
  if (picture.width > picture.height) {
    fitWidth();
    if (placed.height > screen.height) fitHeight();
  } else {
    fitHeight();
    if (placed.width > screen.width) fitWidth();
  }
  return placed;
}

}  // namespace atelion
