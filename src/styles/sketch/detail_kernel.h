// The 5 × 5 detail kernel of the ink styles: −1 over the whole square, 30 at the centre and −5
// two rows below it (the weights add up to 2), applied to the channel sum R + G + B. It is
// strongly negative where a pixel is darker than its surroundings.
#pragma once

#include <array>
#include <vector>

#include "core/bitmap24.h"

namespace atelion {

/// Calls `visit(x, y, s)` for every pixel with 2 ≤ x ≤ W − 3 and 2 ≤ y ≤ H − 3, row by row from
/// the top, with s the kernel's sum at that pixel. Computed as 31·centre − 4·(two rows below) −
/// (the 5 × 5 sum), with running column sums: the same numbers as the 25 products.
template <class Visit>
void ForEachDetailSum(const Bitmap24& picture, Visit&& visit) {
  const int width = picture.Width();
  const int height = picture.Height();
  if (width < 5 || height < 5) return;
  // Channel sums of five consecutive rows, indexed by row mod 5.
  std::array<std::vector<int>, 5> rowValues;
  auto fillValues = [&](int y) {
    std::vector<int>& values = rowValues[y % 5];
    values.resize(width);
    const std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) values[x] = row[3 * x] + row[3 * x + 1] + row[3 * x + 2];
  };
  std::vector<int> columnSums(width, 0);
  for (int y = 0; y < 5; ++y) {
    fillValues(y);
    for (int x = 0; x < width; ++x) columnSums[x] += rowValues[y][x];
  }
  for (int y = 2; y <= height - 3; ++y) {
    if (y > 2) {
      const std::vector<int>& leaving = rowValues[(y - 3) % 5];
      for (int x = 0; x < width; ++x) columnSums[x] -= leaving[x];
      fillValues(y + 2);
      const std::vector<int>& entering = rowValues[(y + 2) % 5];
      for (int x = 0; x < width; ++x) columnSums[x] += entering[x];
    }
    const std::vector<int>& here = rowValues[y % 5];
    const std::vector<int>& twoBelow = rowValues[(y + 2) % 5];
    int square = columnSums[0] + columnSums[1] + columnSums[2] + columnSums[3] + columnSums[4];
    for (int x = 2; x <= width - 3; ++x) {
      if (x > 2) square += columnSums[x + 2] - columnSums[x - 3];
      visit(x, y, 31 * here[x] - 4 * twoBelow[x] - square);
    }
  }
}

}  // namespace atelion
