#include "core/bitmap24.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace atelion {

template <int BytesPerPixel>
void PixelBuffer<BytesPerPixel>::Reshape(int width, int height, std::uint8_t fill) {
  if (width < 0 || height < 0) throw std::invalid_argument("picture size must not be negative");
  if (width == width_ && height == height_) return;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * kBytesPerPixel, fill);
  const int keepWidth = std::min(width, width_);
  const int keepHeight = std::min(height, height_);
  for (int y = 0; y < keepHeight; ++y) {
    std::memcpy(pixels.data() + static_cast<std::size_t>(y) * width * kBytesPerPixel, Row(y),
                static_cast<std::size_t>(keepWidth) * kBytesPerPixel);
  }
  pixels_ = std::move(pixels);
  width_ = width;
  height_ = height;
}

template <int BytesPerPixel>
void PixelBuffer<BytesPerPixel>::FillPixels(const std::uint8_t* pixel) {
  if (std::all_of(pixel, pixel + kBytesPerPixel, [pixel](std::uint8_t b) { return b == pixel[0]; })) {
    std::fill(pixels_.begin(), pixels_.end(), pixel[0]);
    return;
  }
  for (std::size_t i = 0; i < pixels_.size(); i += kBytesPerPixel) std::memcpy(&pixels_[i], pixel, kBytesPerPixel);
}

template <int BytesPerPixel>
void PixelBuffer<BytesPerPixel>::CropInPlace(int left, int top, int width, int height, std::uint8_t fill) {
  if (left < 0 || top < 0 || width < 0 || height < 0 || width > width_ || height > height_) {
    throw std::invalid_argument("an in-place crop must lie right of and below the corner and fit the picture");
  }
  // Row y of the block lands at y · width, never past where row top + y (and every later source
  // row) starts, since width ≤ width_: the rows move towards the start, in order, without loss.
  const std::size_t newRowBytes = static_cast<std::size_t>(width) * kBytesPerPixel;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = pixels_.data() + static_cast<std::size_t>(y) * newRowBytes;
    const int sourceY = top + y;
    std::size_t copied = 0;
    if (sourceY < height_ && left < width_) {
      copied = static_cast<std::size_t>(std::min(width, width_ - left)) * kBytesPerPixel;
      std::memmove(out, Row(sourceY) + static_cast<std::size_t>(left) * kBytesPerPixel, copied);
    }
    std::memset(out + copied, fill, newRowBytes - copied);
  }
  pixels_.resize(newRowBytes * static_cast<std::size_t>(height));
  width_ = width;
  height_ = height;
}

template class PixelBuffer<3>;
template class PixelBuffer<4>;

Bitmap24::Bitmap24(int width, int height, Colour fill) {
  Resize(width, height);
  Fill(fill);
}

void Bitmap24::Fill(Colour colour) {
  const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(BlueOf(colour)), static_cast<std::uint8_t>(GreenOf(colour)),
                               static_cast<std::uint8_t>(RedOf(colour))};
  FillPixels(bgr);
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

}  // namespace atelion
