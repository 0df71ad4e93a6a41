// The old-paper picture the vintage photo takes its blotches from: a light, warm grey sheet with
// a fine mottled grain, scattered fibres, water stains with darker tide lines, small brown foxing
// spots and edges darkened by age.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

inline constexpr int kOldPaperWidth = 1452;
inline constexpr int kOldPaperHeight = 1032;
/// Where the generated picture is stored among the resources.
inline constexpr const char* kOldPaperPicturePath = "stylized/old_paper.png";

/// The part of the sheet whose grain repeats seamlessly every 56 × 63 pixels: the vintage photo
/// tiles the photograph with it, so no stain, fibre or darkened edge reaches into it and its
/// grain wraps at those periods. Around it the aged marks fade in.
inline constexpr int kOldPaperGrainPeriodX = 56;
inline constexpr int kOldPaperGrainPeriodY = 63;

/// Makes the 1452 × 1032 sheet. Its red channel averages about 190 over the repeating grain.
/// Deterministic: the same picture on every call.
Bitmap24 GenerateOldPaperPicture();

/// The sheet as the program ships it, read from the resources once and kept; generated instead
/// should the file be missing or unreadable (the same pixels).
const Bitmap24& OldPaperPicture();

}  // namespace atelion
