// The paper textures of finished results: the shipped tiles, the knob and the caption of the
// texture panel.
#pragma once

#include <string>

#include "core/bitmap24.h"
#include "core/paper_texture.h"
#include "core/status.h"

namespace atelion {

/// Cuts tile `index` (0..9; others are taken as 0) out of the 1280 × 512 texture sheet.
Bitmap24 SelectTextureTile(const Bitmap24& sheet, int index);

/// The texture sheet shipped with the program ("textures/texture_tiles.png"), read once.
/// Fails with a message when the resource is missing or unreadable.
Status LoadTextureSheet(Bitmap24& sheet);

/// Strength shown for a knob angle in radians (0 pointing right, growing clockwise on screen):
/// 0 to the left, 25 up, 50 right, 75 down.
int KnobStrength(double angle);
/// The knob's angle that shows `strength` (0..100, clamped): the inverse of KnobStrength, for a
/// strength set by other means than turning the knob.
double KnobAngle(int strength);

/// The caption of the texture panel: "Texture", a blank, the tile number from 1 and two blanks.
std::string TextureCaption(int tileIndex);

}  // namespace atelion
