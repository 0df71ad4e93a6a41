// Golden-test helper: a checksum of a picture's bytes (any change of a single byte changes it).
#pragma once

#include <cstdint>

#include "core/bitmap24.h"
#include "support/synthetic_photos.h"

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

}  // namespace atelion::testing_support
