// The two single pencil strokes the fourth pencil sketch stamps: graphite lines on white paper,
// one straight and one gently curved, each 100 × 100.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

inline constexpr int kPencilStrokeSide = 100;
/// Where the generated pictures are stored among the resources.
inline constexpr const char* kPencilStrokePath = "sketch/pencil_stroke.png";
inline constexpr const char* kPencilStroke2Path = "sketch/pencil_stroke_2.png";

/// A straight horizontal pencil line across the picture (columns 1–99, rows 48–54, at most 7
/// pixels thick): a dark graphite core, lighter and grainy towards its sides, tapered ends, on
/// white paper whose faint grain stays lighter than 241. Deterministic.
Bitmap24 GeneratePencilStroke();

/// A gently curved pencil line (columns 3–97, its ends at rows 54 and 52, its middle at rows
/// 46–51), drawn like `GeneratePencilStroke`. Deterministic.
Bitmap24 GeneratePencilStroke2();

/// The pictures as the program ships them, read from the resources once and kept; generated
/// instead (the same pixels) should a file be missing or unreadable.
const Bitmap24& PencilStroke();
const Bitmap24& PencilStroke2();

}  // namespace atelion
