#include "core/hls.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace atelion {
namespace {

struct RgbToHlsCase {
  Colour colour;
  int hue, lightness, saturation;
};

TEST(ColorRGBToHLS, Cases) {
  const RgbToHlsCase cases[] = {
      {0x0000FF, 0, 120, 240},    // red
      {0x00FF00, 80, 120, 240},   // green
      {0xFF0000, 160, 120, 240},  // blue
      {0x808080, 160, 120, 0},    // grey
      {0xFFFFFF, 160, 240, 0},    // white
      {0x000000, 160, 0, 0},      // black
      // (191, 64, 64): L = Trunc(61455 / 510) = 120, S = Trunc((30480 + 127.5) / 255) = 120.
      {MakeColour(191, 64, 64), 0, 120, 120},
      // (10, 20, 200): L = Trunc(50655 / 510) = 99; S = Trunc((45600 + 105) / 210) = 217;
      // R' = Trunc((7600 + 95) / 190) = 40, G' = Trunc((7200 + 95) / 190) = 38, H = 160 + 38 − 40.
      {MakeColour(10, 20, 200), 158, 99, 217},
      // (250, 240, 100), light: L = Trunc(84255 / 510) = 165; S = Trunc((36000 + 80) / 160) = 225;
      // R' = 0, G' = Trunc((400 + 75) / 150) = 3, B' = 40; red is the maximum: H = 40 − 3.
      {MakeColour(250, 240, 100), 37, 165, 225},
      // Magenta-ish red maximum with blue above green: H = B' − G' < 0 wraps: (255, 0, 128).
      // B' = Trunc((5080 + 127.5) / 255) = 20, G' = 40 → −20 + 240.
      {MakeColour(255, 0, 128), 220, 120, 240},
  };
  for (const RgbToHlsCase& c : cases) {
    const HlsColour hls = ColorRGBToHLS(c.colour);
    EXPECT_EQ(hls.hue, c.hue) << std::hex << c.colour;
    EXPECT_EQ(hls.lightness, c.lightness) << std::hex << c.colour;
    EXPECT_EQ(hls.saturation, c.saturation) << std::hex << c.colour;
  }
}

struct HlsToRgbCase {
  int hue, lightness, saturation;
  Colour colour;
};

TEST(ColorHLSToRGB, Cases) {
  const HlsToRgbCase cases[] = {
      {0, 120, 240, 0x0000FF},   // red back: M2 = 240.5, M1 = −0.5 round to 240 and −0 (halves to even)
      {80, 120, 240, 0x00FF00},
      {160, 120, 240, 0xFF0000},
      {0, 240, 240, 0xFFFFFF},  // every channel reaches 255
      {160, 240, 0, 0xFFFFFF},
      {160, 0, 0, 0x000000},
      // Grey: v = L · 255 / 240 = 8.5 rounds to 8 (half to even), 127.5 (L = 120) to 128.
      {160, 8, 0, MakeColour(8, 8, 8)},
      {160, 120, 0, MakeColour(128, 128, 128)},
      // L = 60, S = 120: M2 = (60 · 360 + 120) / 240 = 90.5, M1 = 29.5.
      // R: hue 80 → Round(90.5) = 90 → (22950 + 120) / 240 = 96.125 → 96.
      // G: hue 0 → 29.5 + 20 / 40 = 30 → (7650 + 120) / 240 = 32.375 → 32.
      // B: hue 160 → Round(29.5) = 30 → 32.
      {0, 60, 120, MakeColour(96, 32, 32)},
      // Hue 20 on green: 29.5 + (61 · 20 + 20) / 40 = 60.5 → 60 → (15300 + 120) / 240 = 64.25 → 64.
      {20, 60, 120, MakeColour(96, 64, 32)},
  };
  for (const HlsToRgbCase& c : cases) {
    EXPECT_EQ(ColorHLSToRGB(c.hue, c.lightness, c.saturation), c.colour)
        << c.hue << " " << c.lightness << " " << c.saturation;
  }
}

// Hue has 40 steps between primaries, so a round trip can move a channel by a few levels.
TEST(ColorHLS, RoundTripOfEveryFifthLevelStaysClose) {
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 5) {
        const Colour colour = MakeColour(r, g, b);
        const HlsColour hls = ColorRGBToHLS(colour);
        ASSERT_GE(hls.hue, 0);
        ASSERT_LE(hls.hue, 240);
        ASSERT_LE(hls.lightness, 240);
        ASSERT_LE(hls.saturation, 240);
        const Colour back = ColorHLSToRGB(hls);
        ASSERT_LE(std::abs(RedOf(back) - r), 6) << r << "," << g << "," << b;
        ASSERT_LE(std::abs(GreenOf(back) - g), 6) << r << "," << g << "," << b;
        ASSERT_LE(std::abs(BlueOf(back) - b), 6) << r << "," << g << "," << b;
      }
}

TEST(ColorHLS, PureRedRoundTripIsExact) {
  EXPECT_EQ(ColorHLSToRGB(ColorRGBToHLS(0x0000FF)), 0x0000FFu);
}

}  // namespace
}  // namespace atelion
