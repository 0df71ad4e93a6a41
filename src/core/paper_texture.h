// The paper texture laid over a drawing so the grain shows through the strokes: a grey tile,
// repeated, lightens or darkens every pixel; a tile value of 128 is neutral at 25 %.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

/// The global texture option of the drawing-parameters window.
struct TextureSettings {
  bool enabled = false;
  int tileIndex = 0;  ///< 0..9; −1 in the settings file means "not set" and selects tile 0
  int strength = 0;   ///< percent, 0..100 as set by the knob
};

/// How the tile repeats over the picture.
enum class TileRepeat {
  /// Every width − 1 and height − 1 pixels: the tile's last row and column are never read
  /// (the texture of finished results).
  WithoutLastRowAndColumn,
  /// Every width and height pixels: the whole tile (the paper pass of the first pencil sketch).
  WholeTile,
};

/// Lays `tile` (grey) over `picture` at `strength` percent, in place. Row 0 and column 0 are
/// left alone. A tile too small to repeat leaves the picture as it is.
void ApplyTexture(Bitmap24& picture, const Bitmap24& tile, int strength,
                  TileRepeat repeat = TileRepeat::WithoutLastRowAndColumn);

}  // namespace atelion
