#include "core/bitmap24.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace atelion {

namespace {

// Copies the overlapping top-left area of an old pixel array into a new one of another size.
std::vector<std::uint8_t> KeepTopLeft(const std::vector<std::uint8_t>& old, int oldWidth, int oldHeight,
                                      int width, int height, int bytesPerPixel, std::uint8_t fill) {
  if (width < 0 || height < 0) throw std::invalid_argument("picture size must not be negative");
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * bytesPerPixel, fill);
  const int keepWidth = std::min(width, oldWidth);
  const int keepHeight = std::min(height, oldHeight);
  for (int y = 0; y < keepHeight; ++y) {
    std::memcpy(pixels.data() + static_cast<std::size_t>(y) * width * bytesPerPixel,
                old.data() + static_cast<std::size_t>(y) * oldWidth * bytesPerPixel,
                static_cast<std::size_t>(keepWidth) * bytesPerPixel);
  }
  return pixels;
}

}  // namespace

Bitmap24::Bitmap24(int width, int height, Colour fill) {
  Resize(width, height);
  Fill(fill);
}

void Bitmap24::Resize(int width, int height) {
  if (width == width_ && height == height_) return;
  pixels_ = KeepTopLeft(pixels_, width_, height_, width, height, kBytesPerPixel, 0xFF);
  width_ = width;
  height_ = height;
}

void Bitmap24::Fill(Colour colour) {
  const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(BlueOf(colour)), static_cast<std::uint8_t>(GreenOf(colour)),
                               static_cast<std::uint8_t>(RedOf(colour))};
  if (bgr[0] == bgr[1] && bgr[1] == bgr[2]) {
    std::fill(pixels_.begin(), pixels_.end(), bgr[0]);
    return;
  }
  for (std::size_t i = 0; i < pixels_.size(); i += 3) std::memcpy(&pixels_[i], bgr, 3);
}

Colour Bitmap24::Pixel(int x, int y) const {
  if (!InBounds(x, y)) return 0;
  const std::uint8_t* p = Row(y) + 3 * x;
  return MakeColour(p[2], p[1], p[0]);
}

void Bitmap24::SetPixel(int x, int y, Colour colour) {
  if (!InBounds(x, y)) return;
  std::uint8_t* p = Row(y) + 3 * x;
  p[0] = static_cast<std::uint8_t>(BlueOf(colour));
  p[1] = static_cast<std::uint8_t>(GreenOf(colour));
  p[2] = static_cast<std::uint8_t>(RedOf(colour));
}

Bitmap32::Bitmap32(int width, int height, std::uint8_t fill) {
  if (width < 0 || height < 0) throw std::invalid_argument("picture size must not be negative");
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<std::size_t>(width) * height * kBytesPerPixel, fill);
}

void Bitmap32::Resize(int width, int height) {
  if (width == width_ && height == height_) return;
  pixels_ = KeepTopLeft(pixels_, width_, height_, width, height, kBytesPerPixel, 0);
  width_ = width;
  height_ = height;
}

}  // namespace atelion
