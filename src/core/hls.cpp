#include "core/hls.h"

#include <algorithm>
#include <cmath>

#include "core/rounding.h"

namespace atelion {

namespace {

constexpr double kHlsMax = 240.0;
constexpr double kRgbMax = 255.0;

// The value of one channel at hue position `hue` between the low and high levels, rounded.
double HueToLevel(double low, double high, int hue) {
  if (hue < 0) hue += 240;
  if (hue > 240) hue -= 240;
  double level;
  if (hue < 40) level = low + ((high - low) * hue + 20.0) / 40.0;
  else if (hue < 120) level = high;
  else if (hue < 160) level = low + ((high - low) * (160 - hue) + 20.0) / 40.0;
  else level = low;
  return RoundHalfEven(level);
}

int ChannelByte(double value) {
  if (value > kRgbMax) return 255;
  // Never below 0 for hue, lightness and saturation within 0..240; the limit only keeps other
  // arguments from spilling into the neighbouring channel of the packed colour.
  return std::max(0, static_cast<int>(RoundHalfEven(value)));
}

}  // namespace

HlsColour ColorRGBToHLS(Colour colour) {
  const double red = RedOf(colour), green = GreenOf(colour), blue = BlueOf(colour);
  const double maximum = std::max({red, green, blue});
  const double minimum = std::min({red, green, blue});
  const double total = maximum + minimum;
  const int lightness = static_cast<int>(std::trunc((total * kHlsMax + kRgbMax) / (2 * kRgbMax)));
  if (maximum == minimum) return {160, lightness, 0};
  const double range = maximum - minimum;
  const double saturation = lightness <= 120 ? std::trunc((range * kHlsMax + total / 2) / total)
                                             : std::trunc((range * kHlsMax + (510 - total) / 2) / (510 - total));
  auto distance = [&](double channel) { return std::trunc(((maximum - channel) * 40 + range / 2) / range); };
  const double redDistance = distance(red), greenDistance = distance(green), blueDistance = distance(blue);
  double hue;
  if (red == maximum) hue = blueDistance - greenDistance;
  else if (green == maximum) hue = 80 + redDistance - blueDistance;
  else hue = 160 + greenDistance - redDistance;
  if (hue < 0) hue += kHlsMax;
  if (hue > kHlsMax) hue -= kHlsMax;
  return {static_cast<int>(RoundHalfEven(hue)), lightness, static_cast<int>(saturation)};
}

Colour ColorHLSToRGB(int hue, int lightness, int saturation) {
  double red, green, blue;
  if (saturation == 0) {
    red = green = blue = lightness * kRgbMax / kHlsMax;
  } else {
    const double high = lightness <= 120 ? (lightness * (saturation + kHlsMax) + 120.0) / kHlsMax
                                         : lightness + saturation - (static_cast<double>(lightness) * saturation + 120.0) / kHlsMax;
    const double low = 2.0 * lightness - high;
    red = (HueToLevel(low, high, hue + 80) * kRgbMax + 120.0) / kHlsMax;
    green = (HueToLevel(low, high, hue) * kRgbMax + 120.0) / kHlsMax;
    blue = (HueToLevel(low, high, hue - 80) * kRgbMax + 120.0) / kHlsMax;
  }
  return MakeColour(ChannelByte(red), ChannelByte(green), ChannelByte(blue));
}

}  // namespace atelion
