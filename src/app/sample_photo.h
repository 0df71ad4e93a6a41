// The built-in sample photograph: a lakeside landscape in late-afternoon light, rendered by our own
// code so that the program ships no picture it did not make. It has what the styles need to show
// themselves: a soft sky with clouds, hazy hills, sharp edges (a house, a jetty, tree trunks),
// fine texture (grass, ripples) and saturated colours next to quiet ones.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

inline constexpr int kSamplePhotoWidth = 900;
inline constexpr int kSamplePhotoHeight = 600;

/// The sample, the same picture on every build.
Bitmap24 RenderSamplePhoto();

}  // namespace atelion
