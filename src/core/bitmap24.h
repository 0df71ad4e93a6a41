// Pixel buffers shared by every style, filter and file format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace atelion {

/// Colour handed to drawing operations: 0x00BBGGRR, red in the low byte.
using Colour = std::uint32_t;

constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr Colour MakeColour(int red, int green, int blue) {
  return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

/// Width × height pixels of `BytesPerPixel` bytes each, row 0 at the top: what the 24-bit
/// pictures and the 32-bit brush pictures share. Code fetches one row start at a time with Row(y)
/// and indexes pixel x at BytesPerPixel · x + channel; rows are stored one after another, but
/// callers must not rely on that. Copying is a deep copy.
template <int BytesPerPixel>
class PixelBuffer {
 public:
  static constexpr int kBytesPerPixel = BytesPerPixel;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  std::size_t RowBytes() const { return static_cast<std::size_t>(width_) * kBytesPerPixel; }

  std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * RowBytes(); }
  const std::uint8_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * RowBytes(); }

  bool InBounds(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  bool operator==(const PixelBuffer& other) const = default;

 protected:
  PixelBuffer() = default;
  /// A buffer of the given size with every byte set to `fill`. Throws for a negative size.
  PixelBuffer(int width, int height, std::uint8_t fill) { Reshape(width, height, fill); }

  /// Changes the size, keeping the overlapping top-left area; every byte of a new pixel is `fill`.
  void Reshape(int width, int height, std::uint8_t fill);
  /// Every pixel becomes `pixel` (BytesPerPixel bytes).
  void FillPixels(const std::uint8_t* pixel);
  /// Keeps the `width` × `height` block whose top-left corner is (left, top), moved within the
  /// memory the buffer already holds, so no second buffer is made; every byte of the block's
  /// pixels past the right or bottom edge is `fill`. The block may not be wider or higher than the
  /// buffer, nor start left of or above it (throws). The memory stays: a copy holds only the block.
  void CropInPlace(int left, int top, int width, int height, std::uint8_t fill);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> pixels_;
};

extern template class PixelBuffer<3>;
extern template class PixelBuffer<4>;

/// Width × height pixels of three bytes each (blue, green, red). Pixels added by Resize are white.
class Bitmap24 : public PixelBuffer<3> {
 public:
  Bitmap24() = default;
  /// A new picture of the given size filled with `fill`.
  Bitmap24(int width, int height, Colour fill = 0xFFFFFF);

  /// Changes the size, keeping the overlapping top-left area; new pixels are white.
  void Resize(int width, int height) { Reshape(width, height, 0xFF); }
  /// Cuts the block at (left, top) out in place (see `CropInPlace`); pixels past the edges are white.
  void CropWithinBuffer(int left, int top, int width, int height) { CropInPlace(left, top, width, height, 0xFF); }
  /// Fills every pixel with one colour.
  void Fill(Colour colour);

  /// Reads one pixel as 0x00BBGGRR; outside the picture gives 0.
  Colour Pixel(int x, int y) const;
  /// Writes one pixel; outside the picture nothing happens.
  void SetPixel(int x, int y, Colour colour);

  bool operator==(const Bitmap24& other) const = default;
};

/// 32-bit blue, green, red, alpha picture, used only for brush pictures. Colours are not
/// premultiplied. Pixels added by Resize are transparent black.
class Bitmap32 : public PixelBuffer<4> {
 public:
  Bitmap32() = default;
  /// A new picture of the given size with every byte set to `fill` (0: transparent black).
  Bitmap32(int width, int height, std::uint8_t fill = 0) : PixelBuffer(width, height, fill) {}

  /// Changes the size, keeping the overlapping top-left area; new pixels are transparent black.
  void Resize(int width, int height) { Reshape(width, height, 0); }

  bool operator==(const Bitmap32& other) const = default;
};

}  // namespace atelion
