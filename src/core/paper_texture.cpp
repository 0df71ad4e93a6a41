#include "core/paper_texture.h"

#include <algorithm>

namespace atelion {

void ApplyTexture(Bitmap24& picture, const Bitmap24& tile, int strength, TileRepeat repeat) {
  const int shortening = repeat == TileRepeat::WithoutLastRowAndColumn ? 1 : 0;
  const int periodX = tile.Width() - shortening;
  const int periodY = tile.Height() - shortening;
  if (periodX < 1 || periodY < 1) return;
  const int k = (512 * strength) / 100;  // how far a tile value can push a channel
  const int a = (10 * k) / 128;          // tile weight in tenths
  if (k == 0 && a == 0) return;
  for (int y = 1; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    const std::uint8_t* tileRow = tile.Row(y % periodY);
    for (int x = 1; x < picture.Width(); ++x) {
      const std::uint8_t* t = tileRow + 3 * (x % periodX);
      for (int c = 0; c < 3; ++c) {
        const int v = row[3 * x + c] + k - (t[c] * a) / 10;
        row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
      }
    }
  }
}

}  // namespace atelion
