// The paper texture laid over a finished drawing so the grain shows through the strokes.
#pragma once

#include <string>

#include "core/bitmap24.h"
#include "core/status.h"

namespace atelion {

/// The global texture option of the drawing-parameters window.
struct TextureSettings {
  bool enabled = false;
  int tileIndex = 0;  ///< 0..9; −1 in the settings file means "not set" and selects tile 0
  int strength = 0;   ///< percent, 0..100 as set by the knob
};

/// Lays `tile` (256 × 256 grey) over `picture` at `strength` percent, in place. The tile repeats
/// every 255 pixels; row 0 and column 0 are left alone. A tile value of 128 is neutral at 25 %.
void ApplyTexture(Bitmap24& picture, const Bitmap24& tile, int strength);

/// Cuts tile `index` (0..9; others are taken as 0) out of the 1280 × 512 texture sheet.
Bitmap24 SelectTextureTile(const Bitmap24& sheet, int index);

/// The texture sheet shipped with the program ("textures/texture_tiles.png"), read once.
/// Fails with a message when the resource is missing or unreadable.
Status LoadTextureSheet(Bitmap24& sheet);

/// Strength shown for a knob angle in radians (0 pointing right, growing clockwise on screen):
/// 0 to the left, 25 up, 50 right, 75 down.
int KnobStrength(double angle);

/// The caption of the texture panel: "Texture", a blank, the tile number from 1 and two blanks.
std::string TextureCaption(int tileIndex);

}  // namespace atelion
