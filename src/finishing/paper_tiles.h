// The ten grey paper and canvas tiles of the texture overlay, made by our own generator.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

/// Tiles of the texture sheet: 256 × 256 each, 5 columns × 2 rows.
constexpr int kTextureTileSize = 256;
constexpr int kTextureTileCount = 10;
/// The texture step repeats a tile every 255 pixels (its last row and column are never read),
/// so the generated grain wraps at this period.
constexpr int kTextureTilePeriod = 255;

/// Makes tile `index` (0..9): a grey picture whose grain wraps seamlessly at 255 pixels and
/// whose mean is about 128, the value the texture step treats as "no change". Each is a gentle
/// relief of one paper or canvas (0 smooth drawing paper, 1 cold-pressed and 2 rough watercolour
/// paper, 3 fine and 4 coarse canvas, 5 laid, 6 handmade, 7 felt-marked pastel paper, 8 sanded
/// card, 9 cardboard), lit from the upper left and kept within 128 ± 12; since the texture step
/// subtracts the tile, a tile holds 128 minus the light and shade the picture takes.
Bitmap24 GeneratePaperTile(int index);

/// The 1280 × 512 sheet of all ten tiles; tile i at column i mod 5, row i div 5.
Bitmap24 GenerateTextureSheet();

}  // namespace atelion
