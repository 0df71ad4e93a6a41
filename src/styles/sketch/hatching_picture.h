// The pencil-hatching picture the first pencil sketch shades with: crossing diagonal pencil
// strokes whose tone rises from near black at the left to a flat light grey at the right.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

inline constexpr int kHatchingWidth = 512;
inline constexpr int kHatchingHeight = 166;
/// Where the generated picture is stored among the resources.
inline constexpr const char* kHatchingPicturePath = "sketch/pencil_hatching.png";

/// Makes the 512 × 166 grey hatching picture (red = green = blue). Column 2·L is read for
/// brightness L, so the mean tone of each column fixes how dark that brightness is shaded:
/// about 38 at column 0 rising to 250 at column 416; from column 448 on every pixel is 251.
/// The strokes spread a column's values by about 11 at the dark end and 22 in the middle.
/// Deterministic: the same picture on every call.
Bitmap24 GenerateHatchingPicture();

/// The hatching picture as the program ships it, read from the resources once and kept.
/// Should the file be missing or unreadable, the picture is generated instead (the same pixels).
const Bitmap24& HatchingPicture();

}  // namespace atelion
