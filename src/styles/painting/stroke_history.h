// The strokes a searched-stroke painting laid, kept so that the same painting can be drawn again
// at a larger size or written out as vector polygons.
#pragma once

#include <cstdint>
#include <vector>

#include "core/bitmap24.h"

namespace atelion {

/// One accepted stroke, in the coordinates of the model it was found on.
struct StrokeRecord {
  std::int32_t x = 0, y = 0;     ///< centre, model pixels
  std::int32_t length = 0;       ///< along the stroke's own x axis, model pixels
  std::int32_t width = 0;        ///< model pixels
  double angle = 0;              ///< degrees, whole numbers 0..359
  Colour colour = 0;             ///< red + 256 · green + 65536 · blue
  std::int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0;  ///< bounding box as clamped when it was tested
  std::int32_t scale = 1;        ///< model pixels to picture pixels when it was accepted
  std::int32_t variant = 0;      ///< brush picture of its textured mark
  bool operator==(const StrokeRecord&) const = default;
};

/// The strokes of the paintings made since the last run that started afresh, in the order they
/// were laid. Opening another picture empties it.
struct StrokeHistory {
  std::vector<StrokeRecord> strokes;

  /// A run that painted on a fresh ground replaces the history; one that painted over the
  /// previous result adds its strokes after those already there.
  void Record(std::vector<StrokeRecord> runStrokes, bool startedAfresh) {
    if (startedAfresh) {
      strokes = std::move(runStrokes);
    } else {
      strokes.insert(strokes.end(), runStrokes.begin(), runStrokes.end());
    }
  }
  void Clear() { strokes.clear(); }
};

}  // namespace atelion
