// The shared whole-picture filters: softening, blurring, sharpening, brightness,
// contrast, saturation, colour vibrance, tone adjustment, automatic contrast, median, negative,
// colouring of a grey drawing, and the integer hue–lightness–saturation conversion they use.
// Every filter is bit-exact to the described integer arithmetic ("div" truncates toward zero).
#pragma once

#include <cstdint>

#include "core/bitmap24.h"
#include "core/run_context.h"

namespace atelion {

/// The mean red, green and blue of a whole source picture (the document's `SourceMeanColour`).
struct MeanColour {
  std::int64_t red, green, blue;
};

/// `SourceMeanColour` before any source picture has been measured.
constexpr MeanColour kInitialSourceMeanColour{116, 149, 69};

/// Per channel, the 64-bit sum over all pixels div the number of pixels; (0, 0, 0) for an empty picture.
MeanColour ComputeMeanColour(const Bitmap24& picture);

/// Each inner pixel becomes the mean of itself and its 3 × 3 mean; the top and bottom rows take
/// the 3-tap mean along the row, the left and right columns along the column; corners stay.
void Soften(Bitmap24& picture);
/// Each inner pixel becomes its 3 × 3 mean; the border keeps its values.
void BoxBlur3(Bitmap24& picture);
/// Each inner pixel is pushed away from the mean of its 8 neighbours; the border keeps its values.
void Sharpen3(Bitmap24& picture);
/// v' = v + ((v − pivot)·amount) div 100, clamped; a negative amount pulls towards the pivot.
void PivotContrast(Bitmap24& picture, int pivot, int amount);
/// Towards black (amount < 0) or white (amount > 0) by `amount` percent of the way.
void AdjustBrightness(Bitmap24& picture, int amount);
/// Each channel away from (or, amount < 0, towards) the pixel's grey (R + G + B) div 3.
/// Checks `context.CheckAbort()` after every row; on abort the rows done keep their new values.
void AdjustSaturation(Bitmap24& picture, int amount, RunContext& context);
/// Pushes each pixel away from a blend of its 9 × 9 mean and the source's mean colour. The last
/// row and column keep their values; the window reaches into white padding at the right and bottom
/// and into a shifted copy of the picture at the left and top. When a context is given, the event
/// queue is pumped every 25 rows while `Processing` is set; the abort flag is never looked at.
void LocalContrast(Bitmap24& picture, int amount, const MeanColour& sourceMean, RunContext* context = nullptr);
/// LocalContrast as if the photograph went on past its borders: it runs on a copy grown on every
/// side by repeating the edge pixels, so its window finds no white padding at the right and bottom
/// and the last row and column are treated like the others. No band appears along any edge.
/// Pictures narrower or lower than 2 pixels are left alone, as LocalContrast leaves them.
void LocalContrastOverRepeatedEdges(Bitmap24& picture, int amount, const MeanColour& sourceMean,
                                    RunContext* context = nullptr);
/// Lifts middle saturations most and dark lightnesses slightly in the 240 scale; writes `target`,
/// which must have the size of `source` and may be the same picture.
void ColourVibrance(const Bitmap24& source, Bitmap24& target, int amount);

/// The five slider positions of the tone adjustment.
struct ToneSettings {
  int luminosity = 128;   ///< 0..255, 128 neutral
  int contrast = 128;     ///< 0..255, 128 neutral
  int saturation = 50;    ///< 0..100, 50 neutral
  int blurSharpen = 128;  ///< 0..255, 128 neutral
  int vivify = 0;         ///< 0..255, 0 off
};
/// `target` becomes a copy of `source`, then brightness, contrast, saturation, blur or sharpen and
/// vibrance are applied to it in that order. `source` and `target` may be the same picture.
void ToneAdjust(const Bitmap24& source, Bitmap24& target, const ToneSettings& settings,
                const MeanColour& sourceMean, RunContext& context);

/// Softened histogram equalisation per channel: weights count^exponent (single precision).
/// The highest value present always maps to 255.
void AutoContrast(Bitmap24& picture, float exponent);
/// 5 × 5 detail boost weighted by local contrast. Writes `target` (same size as `source`). The callers
/// pass one picture as both, and then the windows see the pixels already written above and to the
/// left. `strength` must be below 256; larger values leave the picture unchanged.
void LocalSharpen5(const Bitmap24& source, Bitmap24& target, int strength);
/// In-place form: LocalSharpen5(picture, picture, strength).
inline void LocalSharpen5(Bitmap24& picture, int strength) { LocalSharpen5(picture, picture, strength); }
/// Per-channel median over a (2·(size div 2) + 1)-pixel square clipped to the picture; an even sample
/// count gives the truncated mean of the two middle samples. Sizes below 2 give a copy. Works column by
/// column from the left, checking `context.CheckAbort()` before each; on abort the columns not yet done
/// stay white.
Bitmap24 MedianSmooth(const Bitmap24& picture, int size, RunContext& context);
/// Every channel c becomes 255 − c.
void InvertColours(Bitmap24& picture);
/// `drawing` (its red channel read as a grey value) becomes `photo` coloured with the drawing's value
/// as lightness: white stays white, dark strokes take the photograph's hue and most of its saturation.
/// The pictures should have the same size; positions outside the drawing count as white.
void ColouriseDrawing(const Bitmap24& photo, Bitmap24& drawing);

/// A colour on the integer 0..240 hue–lightness–saturation scale (hue 0 and 240 red, 80 green, 160 blue).
struct Hls240 {
  int hue, lightness, saturation;
};
/// Channel values as returned by `HLSToRGB240`; not limited to 0..255 (lightness above 240 overshoots).
struct Rgb240 {
  int red, green, blue;
};
/// Integer conversion; a grey has saturation 0 and hue 160. Not the floating-point `ColorRGBToHLS`.
Hls240 RGBToHLS240(int red, int green, int blue);
/// Integer conversion back; note the argument order hue, saturation, lightness.
Rgb240 HLSToRGB240(int hue, int saturation, int lightness);

}  // namespace atelion
