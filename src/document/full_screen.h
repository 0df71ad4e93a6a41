// Where the full-screen view shows a picture: stretched to the whole screen when their shapes
// nearly agree, otherwise as large as fits with its shape kept, centred on white.
#pragma once

#include "document/print_page.h"

namespace atelion {

/// The picture's place on a screen of `screen` pixels. When the two aspect ratios differ by less
/// than 0.2 the picture fills the screen; otherwise its long side fills the screen's and the other
/// side follows the picture's ratio (to the whole percent), centred.
PlacedRect FullScreenPlacement(PictureSize screen, PictureSize picture);

}  // namespace atelion
