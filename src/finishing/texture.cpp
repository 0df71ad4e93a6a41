#include "finishing/texture.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "core/geometry.h"
#include "core/resources.h"
#include "imageio/image_files.h"
#include "finishing/paper_tiles.h"
#include "i18n/language_table.h"

namespace atelion {

namespace {
constexpr int kTextureWordLine = 77;
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

double KnobAngle(int strength) { return std::clamp(strength, 0, 100) / 15.91 - 3.14159; }

std::string TextureCaption(int tileIndex) {
  return std::string(Text(kTextureWordLine)) + " " + std::to_string(tileIndex + 1) + "  ";
}

}  // namespace atelion
