// Small synthetic photographs for styles and filters to work on: flat areas, detail and edges,
// made by a few lines of integer arithmetic so every test program sees the same pixels.
#pragma once

#include <algorithm>
#include <random>

#include "core/bitmap24.h"

namespace atelion::testing_support {

/// Smooth colour ramps with a dark disc and a light bar.
inline Bitmap24 SyntheticPhoto(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int red = (x * 255) / std::max(width - 1, 1), green = 90 + (y * 120) / std::max(height - 1, 1), blue = 160;
      const int dx = x - width / 3, dy = y - height / 2;
      if (dx * dx + dy * dy < (height / 4) * (height / 4)) red = green = blue = 30;
      if (x > (2 * width) / 3 && y > height / 4 && y < height / 2) red = green = blue = 235;
      picture.SetPixel(x, y, MakeColour(red, green, blue + (x * y) % 40 - 20));
    }
  }
  return picture;
}

/// A grainy photograph: a dark disc and a bright bar on a smooth background, every channel with
/// noise of ±12 drawn from `seed`, so that detail measures vary from pixel to pixel.
inline Bitmap24 NoisySyntheticPhoto(int width, int height, unsigned seed = 7) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> noise(-12, 12);
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int dx = x - width / 3, dy = y - height / 2;
      int red = 170 + 2 * y, green = 120 + x, blue = 90;
      if (dx * dx + dy * dy < width * height / 12) red = 60, green = 30, blue = 140;
      if (x > 2 * width / 3 && x < 2 * width / 3 + 6) red = 240, green = 230, blue = 200;
      picture.SetPixel(x, y, MakeColour(std::clamp(red + noise(random), 0, 255),
                                        std::clamp(green + noise(random), 0, 255),
                                        std::clamp(blue + noise(random), 0, 255)));
    }
  }
  return picture;
}

/// Pure noise: every byte drawn from `seed`, for comparisons with a literal version of a rule
/// where no structure of the picture could make the two agree by chance.
inline Bitmap24 NoisePicture(int width, int height, unsigned seed) {
  std::mt19937 generator(seed);
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < width * 3; ++i) picture.Row(y)[i] = static_cast<std::uint8_t>(generator() % 256);
  return picture;
}

}  // namespace atelion::testing_support
