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

/// Width × height pixels of three bytes each (blue, green, red), row 0 at the top.
/// Code fetches one row start at a time with Row(y) and indexes pixel x at 3x + channel;
/// rows are stored one after another, but callers must not rely on that.
/// Copying is a deep copy; pixels added by Resize are white.
class Bitmap24 {
 public:
  static constexpr int kBytesPerPixel = 3;

  Bitmap24() = default;
  /// A new picture of the given size filled with `fill`.
  Bitmap24(int width, int height, Colour fill = 0xFFFFFF);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  std::size_t RowBytes() const { return static_cast<std::size_t>(width_) * kBytesPerPixel; }

  std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * RowBytes(); }
  const std::uint8_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * RowBytes(); }

  /// Changes the size, keeping the overlapping top-left area; new pixels are white.
  void Resize(int width, int height);
  /// Fills every pixel with one colour.
  void Fill(Colour colour);

  bool InBounds(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  /// Reads one pixel as 0x00BBGGRR; outside the picture gives 0.
  Colour Pixel(int x, int y) const;
  /// Writes one pixel; outside the picture nothing happens.
  void SetPixel(int x, int y, Colour colour);

  bool operator==(const Bitmap24& other) const = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> pixels_;
};

/// 32-bit blue, green, red, alpha picture, used only for brush pictures. Colours are not premultiplied.
class Bitmap32 {
 public:
  static constexpr int kBytesPerPixel = 4;

  Bitmap32() = default;
  /// A new picture of the given size with every byte set to `fill` (0: transparent black).
  Bitmap32(int width, int height, std::uint8_t fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  std::size_t RowBytes() const { return static_cast<std::size_t>(width_) * kBytesPerPixel; }

  std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * RowBytes(); }
  const std::uint8_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * RowBytes(); }

  /// Changes the size, keeping the overlapping top-left area; new pixels are transparent black.
  void Resize(int width, int height);

  bool operator==(const Bitmap32& other) const = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace atelion
