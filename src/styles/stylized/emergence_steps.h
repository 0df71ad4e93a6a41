// The step loop and the seed search the two emergence styles share: the picture emerges from
// shapes placed where the canvas still differs from the photograph, many at first and large, then
// smaller and repeated more often as the step counter runs down. Each style brings its own shape
// (a quadrilateral for Emergence, a shaded triangle for Emergence 2) as the attempt it makes.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/stylized/emergence.h"

namespace atelion::emergence {

// The steps above 128 · iterations + 2000 paint large shapes of this size without a test.
inline constexpr int kLargeShapeSize = 1000;
// Shapes larger than this are drawn straight onto the canvas.
inline constexpr int kDirectDrawSize = 500;
// A seed point is looked for at most this many times; one found after the first 74 is not used.
inline constexpr int kSeedDraws = 76;
inline constexpr int kUsableSeedDraws = 74;
// So many rejected shapes in a row mean the canvas cannot get closer: the run stops itself.
inline constexpr int kRejectionLimit = 800;
// The inner repetitions start once the step counter falls below this.
inline constexpr int kRepetitionStart = 7000;

/// |ΔR| + |ΔG| + |ΔB| of two pixels.
inline int ChannelDifference(const std::uint8_t* a, const std::uint8_t* b) {
  int sum = 0;
  for (int c = 0; c < 3; ++c) sum += std::abs(a[c] - b[c]);
  return sum;
}

/// The size of the shapes of step `s`: large ones first, then shrinking with the counter between
/// the radius sliders' bounds.
inline int ShapeSize(int s, const EmergenceParameters& p) {
  if (s > 128 * p.iterations + 2000) return kLargeShapeSize;
  const int shrinking = s / 128 + 2 * p.minimumRadius + 20;
  const int largest = 2 * p.maximumRadius + 20;
  return shrinking < largest ? shrinking : largest;
}

/// Looks for a point where canvas and photograph (plus the detail map) differ by more than
/// Abstraction − s div 256: up to 76 random points, x then y; a point found after the 74th is not
/// used. Gives whether a usable point was found, in (x, y).
inline bool FindSeed(const Bitmap24& source, const Bitmap24& canvas, const std::vector<std::uint8_t>& detail,
                     const EmergenceParameters& p, int s, RunContext& context, int& x, int& y) {
  const int width = source.Width(), height = source.Height();
  const int threshold = p.abstraction - s / 256;
  for (int draw = 1; draw <= kSeedDraws; ++draw) {
    x = context.Random(width);
    y = context.Random(height);
    const int difference = ChannelDifference(source.Row(y) + 3 * x, canvas.Row(y) + 3 * x) +
                           detail[static_cast<std::size_t>(y) * width + x];
    if (difference > threshold) return draw <= kUsableSeedDraws;
  }
  return false;
}

/// The step loop: `steps` = N steps counted down to 0, each making 1 + multiplier · Repeat factor
/// · frequency attempts (the multiplier grows once the counter is below 7000; the frequency
/// grows with the picture and is 0 in the preview). `attempt(s, j)` makes one attempt and says
/// whether the run goes on. Progress every 500 steps, the abort flag every 100. Gives whether the
/// run went through all its steps.
template <class Attempt>
bool RunSteps(int steps, const EmergenceParameters& p, const StyleSettings& settings, int width, int height,
              RunContext& context, Attempt&& attempt) {
  const int frequency = settings.preview ? 0 : (width / 102 + height / 77) / 20 + 2;  // more shapes on bigger pictures
  context.ReportProgress(0, steps, 1, 1);
  int multiplier = 0;
  for (int s = steps; s >= 0; --s) {
    if (s < kRepetitionStart) multiplier = (kRepetitionStart - s) / (1315 - 5 * p.iterations);
    if (s % 100 == 0) {
      if (s % 500 == 0) context.ReportProgress(steps - s, steps, 1, 1);
      if (context.CheckAbort()) return false;
    }
    const int attempts = multiplier * p.repeatFactor * frequency + 1;
    for (int j = 0; j < attempts; ++j) {
      if (!attempt(s, j)) return false;
    }
  }
  return true;
}

}  // namespace atelion::emergence
