// The pastel scribble the oil pastel sketch dabs with: a dense patch of hatching laid with the
// side of a pastel stick, elongated along a steep diagonal, grey on white paper.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

inline constexpr int kPastelScribbleSide = 500;
/// Where the generated picture is stored among the resources.
inline constexpr const char* kPastelScribblePath = "sketch/pastel_scribble.png";

/// Makes the 500 × 500 grey scribble (red = green = blue): back-and-forth strokes of a pastel
/// stick filling a band that runs from near the top to near the bottom, leaning to the right as it
/// goes down, in columns 160 to 336; the paper's grain shows through as light specks, and the rest
/// of the picture is pure white (255). About a sixth of the picture is darker than 250, with a mean
/// of about 140 there. Deterministic: the same picture on every call.
Bitmap24 GeneratePastelScribble();

/// The scribble as the program ships it, read from the resources once and kept; generated instead
/// should the file be missing or unreadable (the same pixels).
const Bitmap24& PastelScribble();

}  // namespace atelion
