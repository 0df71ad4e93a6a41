// Rounding to the nearest whole number with halves to even, the rounding all picture arithmetic
// of the program uses where it leaves floating point.
#pragma once

#include <cstdint>

namespace atelion {

/// Nearest integer with halves to even, as a double. Adding and removing 1.5 · 2^52 leaves a
/// double whose fraction the hardware has rounded in its default mode (to nearest, ties to
/// even); exact for |value| < 2^51, far beyond any picture coordinate, colour or size.
constexpr double RoundHalfEven(double value) {
  constexpr double kShifter = 6755399441055744.0;  // 1.5 · 2^52
  return (value + kShifter) - kShifter;
}

/// The same, as an int (the value must fit).
constexpr int RoundHalfEvenToInt(double value) { return static_cast<int>(RoundHalfEven(value)); }

/// The same, as a 64-bit integer.
constexpr std::int64_t RoundHalfEvenToInt64(double value) { return static_cast<std::int64_t>(RoundHalfEven(value)); }

}  // namespace atelion
