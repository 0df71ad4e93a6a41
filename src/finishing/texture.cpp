#include "finishing/texture.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "core/geometry.h"
#include "core/resources.h"
#include "document/image_files.h"
#include "finishing/paper_tiles.h"
#include "i18n/language_table.h"

namespace atelion {

namespace {
constexpr int kTextureWordLine = 77;
}

void ApplyTexture(Bitmap24& picture, const Bitmap24& tile, int strength) {
  if (tile.Width() < 2 || tile.Height() < 2) return;
  const int k = (512 * strength) / 100;  // how far a tile value can push a channel
  const int a = (10 * k) / 128;          // tile weight in tenths
  if (k == 0 && a == 0) return;
  const int periodX = tile.Width() - 1;
  const int periodY = tile.Height() - 1;
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

Bitmap24 SelectTextureTile(const Bitmap24& sheet, int index) {
  if (index < 0 || index >= kTextureTileCount) index = 0;
  Bitmap24 tile(kTextureTileSize, kTextureTileSize, 0x808080);
  CopySheetCell(sheet, tile, kTextureTileSize, kTextureTileSize, index % 5, index / 5);
  return tile;
}

Status LoadTextureSheet(Bitmap24& sheet) {
  static std::mutex guard;
  static Bitmap24 cached;
  static Status cachedStatus = Status::Error("texture sheet not loaded");
  std::lock_guard lock(guard);
  if (!cachedStatus) {
    const auto path = FindResource("textures/texture_tiles.png");
    if (path.empty()) {
      cachedStatus = Status::Error("The texture sheet textures/texture_tiles.png is missing from the resources.");
    } else {
      LoadedImage loaded = LoadImageFile(path);
      cachedStatus = loaded.status;
      if (loaded.status) cached = std::move(loaded.picture);
    }
  }
  if (cachedStatus) sheet = cached;
  return cachedStatus;
}

int KnobStrength(double angle) {
  return static_cast<int>(std::nearbyint((angle + 3.14159) * 15.91));
}

std::string TextureCaption(int tileIndex) {
  return std::string(Text(kTextureWordLine)) + " " + std::to_string(tileIndex + 1) + "  ";
}

}  // namespace atelion
