// The floating-point hue–lightness–saturation conversion pair, on the 0..240 scale
// (hue 0 and 240 red, 80 green, 160 blue; RGBMAX 255). Styles convert a colour, change one
// component and convert back; the double-precision rounding decides their exact colours.
// Not interchangeable with the integer pair RGBToHLS240 / HLSToRGB240 of core/filters.h.
#pragma once

#include "core/bitmap24.h"

namespace atelion {

/// Hue, lightness and saturation, each 0..240.
struct HlsColour {
  int hue, lightness, saturation;
};

/// A grey gives hue 160 and saturation 0.
HlsColour ColorRGBToHLS(Colour colour);
/// Back to 0x00BBGGRR; note the argument order hue, lightness, saturation. Channels above 255 become 255.
Colour ColorHLSToRGB(int hue, int lightness, int saturation);
inline Colour ColorHLSToRGB(const HlsColour& hls) { return ColorHLSToRGB(hls.hue, hls.lightness, hls.saturation); }

}  // namespace atelion
