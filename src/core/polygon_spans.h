// The pixels a polygon covers, row by row, found without drawing it: the same pixels DrawPolygon
// paints for a filled polygon outlined with a one-pixel pen. Searches that try many shapes on a
// picture use it to sum over a shape's pixels directly instead of painting and reading back.
#pragma once

#include <span>
#include <vector>

#include "core/canvas.h"

namespace atelion {

/// Columns x0..x1 of one row, both included.
struct PixelSpan {
  int x0 = 0;
  int x1 = 0;
};

/// The covered pixels of one polygon within a width × height picture.
class PolygonSpans {
 public:
  /// Finds the pixels DrawPolygon(picture, points, Pen{colour, 1}, colour) would paint on a picture of
  /// width × height: the alternate-rule fill and the one-pixel outline from each point to the
  /// next and from the last back to the first. Replaces what an earlier call found.
  void Cover(std::span<const Point> points, int width, int height);

  /// The rows holding covered pixels are FirstRow() .. EndRow() − 1 (none when equal).
  int FirstRow() const { return first_; }
  int EndRow() const { return end_; }

  /// The covered pixels of row y, as disjoint spans from left to right that do not touch one
  /// another; empty for a row outside FirstRow() .. EndRow() − 1.
  std::span<const PixelSpan> Row(int y) const;

 private:
  struct RowSpan {
    int y;
    PixelSpan span;
  };
  void Add(int y, int x0, int x1);

  int width_ = 0, height_ = 0;
  int first_ = 0, end_ = 0;
  std::vector<RowSpan> pieces_;   // as found, in any order
  std::vector<PixelSpan> sorted_;  // the pieces grouped by row
  std::vector<PixelSpan> spans_;   // merged, row after row
  std::vector<int> rowStart_;      // per row from first_: index of its first span, one more entry at the end
  std::vector<int> cursor_;
  // Scratch kept between calls so that many small polygons make no allocations.
  std::vector<long long> crossings_;
};

}  // namespace atelion
