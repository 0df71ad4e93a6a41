// What the generators of the shipped brush pictures share: their own small random sequence, so a
// brush never depends on the program's shared generator, and the smooth step of soft edges.
#pragma once

#include <algorithm>
#include <cstdint>

namespace atelion {

/// A linear congruential sequence for bristle layouts; values in [0, 1).
class BristleRandom {
 public:
  explicit BristleRandom(std::uint32_t seed) : state_(seed) {}
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / 16777216.0;
  }
  /// A value in [low, high).
  double Between(double low, double high) { return low + (high - low) * Next(); }

 private:
  std::uint32_t state_;
};

/// 0 below `edge0`, 1 above `edge1`, and the smooth cubic step between them.
inline double SmoothStep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

}  // namespace atelion
