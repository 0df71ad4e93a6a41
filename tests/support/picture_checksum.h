// Golden-test helpers: a checksum of a picture's bytes (any change of a single byte changes it)
// and a small synthetic photograph for styles to work on.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/bitmap24.h"

namespace atelion::testing_support {

/// 64-bit FNV-1a over the pixel bytes, row by row.
inline std::uint64_t Fnv1a(const Bitmap24& picture) {
  std::uint64_t hash = 14695981039346656037ull;
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* row = picture.Row(y);
    for (std::size_t i = 0; i < picture.RowBytes(); ++i) hash = (hash ^ row[i]) * 1099511628211ull;
  }
  return hash;
}

/// A small synthetic photograph: smooth colour ramps with a dark disc and a light bar, so a style
/// has flat areas, detail and edges to work on.
inline Bitmap24 SyntheticPhoto(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int red = (x * 255) / std::max(width - 1, 1), green = 90 + (y * 120) / std::max(height - 1, 1), blue = 160;
      const int dx = x - width / 3, dy = y - height / 2;
      if (dx * dx + dy * dy < (height / 4) * (height / 4)) red = green = blue = 30;
      if (x > (2 * width) / 3 && y > height / 4 && y < height / 2) red = green = blue = 235;
      picture.SetPixel(x, y, MakeColour(red, green, blue + (x * y) % 40 - 20));
    }
  }
  return picture;
}

}  // namespace atelion::testing_support
