#include "core/polygon_spans.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace atelion {

namespace {

using Int64 = std::int64_t;
using Int128 = __int128;

// Below this size every product of the edge arithmetic fits in 64 bits.
constexpr Int64 kSmallCoordinate = Int64{1} << 28;

template <typename Wide>
Int64 CeilDivide(Wide numerator, Wide denominator) {  // denominator > 0
  Wide quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator > 0) ++quotient;
  return static_cast<Int64>(quotient);
}

template <typename Wide>
Int64 FloorDivide(Wide numerator, Wide denominator) {  // denominator > 0
  Wide quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator < 0) --quotient;
  return static_cast<Int64>(quotient);
}

// A polygon edge that is not horizontal, oriented downwards: it covers rows top ≤ y < bottom.
struct Edge {
  Int64 topX, top, bottomX, bottom;

  // The first column whose pixel centre lies at or right of the edge on row y.
  template <typename Wide>
  Int64 FirstColumnRightOf(Int64 y) const {
    const Wide rise = bottom - top;
    return topX + CeilDivide<Wide>((2 * Wide{y} + 1 - 2 * Wide{top}) * (bottomX - topX) - rise, 2 * rise);
  }

  // The same for rows taken one after another with small coordinates, by adding the edge's step
  // to an exact quotient and remainder instead of dividing on every row: on row `row` the
  // numerator of FirstColumnRightOf is column · twiceRise − remainder, 0 ≤ remainder < twiceRise.
  Int64 row = 0, column = 0, remainder = 0, stepColumns = 0, stepRemainder = 0, twiceRise = 0;
  bool started = false;

  Int64 NextColumnRightOf(Int64 y) {
    if (!started) {
      started = true;
      row = y;
      twiceRise = 2 * (bottom - top);
      const Int64 numerator = (2 * y + 1 - 2 * top) * (bottomX - topX) - (bottom - top);
      column = CeilDivide<Int64>(numerator, twiceRise);
      remainder = column * twiceRise - numerator;
      const Int64 step = 2 * (bottomX - topX);
      stepColumns = FloorDivide<Int64>(step, twiceRise);
      stepRemainder = step - stepColumns * twiceRise;
    }
    for (; row < y; ++row) {
      remainder -= stepRemainder;
      column += stepColumns;
      if (remainder < 0) {
        remainder += twiceRise;
        ++column;
      }
    }
    return topX + column;
  }
};

}  // namespace

void PolygonSpans::Add(int y, int x0, int x1) { pieces_.push_back({y, {x0, x1}}); }

void PolygonSpans::Cover(std::span<const Point> points, int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pieces_.clear();
  spans_.clear();
  first_ = end_ = 0;
  if (points.empty() || width_ == 0 || height_ == 0) return;

  bool small = static_cast<Int64>(width_) < kSmallCoordinate && static_cast<Int64>(height_) < kSmallCoordinate;
  for (const Point& point : points) {
    small = small && std::abs(Int64{point.x}) < kSmallCoordinate && std::abs(Int64{point.y}) < kSmallCoordinate;
  }

  // The fill: on each row, the columns between alternate crossings of the edges.
  Edge edges[16];
  std::vector<Edge> manyEdges;
  std::span<Edge> edgeList;
  {
    std::size_t count = 0;
    if (points.size() > std::size(edges)) manyEdges.resize(points.size());
    Edge* store = points.size() > std::size(edges) ? manyEdges.data() : edges;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % points.size()];
      if (a.y == b.y) continue;
      store[count++] = a.y < b.y ? Edge{.topX = a.x, .top = a.y, .bottomX = b.x, .bottom = b.y}
                                   : Edge{.topX = b.x, .top = b.y, .bottomX = a.x, .bottom = a.y};
    }
    edgeList = std::span<Edge>(store, count);
  }
  if (!edgeList.empty()) {
    Int64 top = edgeList.front().top, bottom = edgeList.front().bottom;
    for (const Edge& edge : edgeList) {
      top = std::min(top, edge.top);
      bottom = std::max(bottom, edge.bottom);
    }
    const Int64 firstRow = std::max<Int64>(top, 0), endRow = std::min<Int64>(bottom, height_);
    for (Int64 y = firstRow; y < endRow; ++y) {
      crossings_.clear();
      for (Edge& edge : edgeList) {
        if (edge.top > y || edge.bottom <= y) continue;
        crossings_.push_back(small ? edge.NextColumnRightOf(y) : edge.FirstColumnRightOf<Int128>(y));
      }
      std::sort(crossings_.begin(), crossings_.end());
      for (std::size_t k = 0; k + 1 < crossings_.size(); k += 2) {
        const Int64 x0 = std::max<Int64>(crossings_[k], 0);
        const Int64 x1 = std::min<Int64>(crossings_[k + 1] - 1, width_ - 1);
        if (x0 <= x1) Add(static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1));
      }
    }
  }

  // The outline: one-pixel lines from each point to the next, the last pixel of each left out.
  // A line is monotonic along both axes, so its pixels on one row are one run.
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Point& from = points[i];
    const Point& to = points[(i + 1) % points.size()];
    const Int64 dx = Int64{to.x} - from.x, dy = Int64{to.y} - from.y;
    const bool alongX = std::abs(dx) >= std::abs(dy);
    const Int64 longer = std::max(std::abs(dx), std::abs(dy)), shorter = std::min(std::abs(dx), std::abs(dy));
    const Int64 lastStep = longer - 1;
    if (lastStep < 0) continue;
    const Int64 majorStart = alongX ? from.x : from.y;
    const Int64 minorStart = alongX ? from.y : from.x;
    const Int64 majorDelta = alongX ? dx : dy, minorDelta = alongX ? dy : dx;
    const int majorSign = majorDelta < 0 ? -1 : 1;
    const int minorSign = (minorDelta > 0) - (minorDelta < 0);
    const Int64 majorSize = alongX ? width_ : height_;
    // Only the steps whose major coordinate lies on the picture can paint.
    Int64 first = majorSign > 0 ? -majorStart : majorStart - (majorSize - 1);
    Int64 last = majorSign > 0 ? majorSize - 1 - majorStart : majorStart;
    first = std::max<Int64>(first, 0);
    last = std::min(last, lastStep);
    if (first > last) continue;
    const Int128 start = 2 * Int128{first} * shorter + longer;
    const Int64 twiceLonger = 2 * longer;
    Int64 offset = FloorDivide<Int128>(start, twiceLonger);
    Int64 remainder = static_cast<Int64>(start % twiceLonger);
    bool open = false;
    Int64 runY = 0, runLow = 0, runHigh = 0;
    for (Int64 step = first; step <= last; ++step) {
      const Int64 major = majorStart + majorSign * step;
      const Int64 minor = minorStart + minorSign * offset;
      const Int64 x = alongX ? major : minor;
      const Int64 y = alongX ? minor : major;
      if (x >= 0 && x < width_ && y >= 0 && y < height_) {
        if (open && y == runY) {
          runLow = std::min(runLow, x);
          runHigh = std::max(runHigh, x);
        } else {
          if (open) Add(static_cast<int>(runY), static_cast<int>(runLow), static_cast<int>(runHigh));
          open = true;
          runY = y;
          runLow = runHigh = x;
        }
      }
      remainder += 2 * shorter;
      if (remainder >= twiceLonger) {
        remainder -= twiceLonger;
        ++offset;
      }
    }
    if (open) Add(static_cast<int>(runY), static_cast<int>(runLow), static_cast<int>(runHigh));
  }
  if (pieces_.empty()) return;

  // Group the pieces by row, then sort and merge each row's few pieces.
  first_ = pieces_.front().y;
  int lastRow = first_;
  for (const RowSpan& piece : pieces_) {
    first_ = std::min(first_, piece.y);
    lastRow = std::max(lastRow, piece.y);
  }
  end_ = lastRow + 1;
  const std::size_t rows = static_cast<std::size_t>(end_ - first_);
  rowStart_.assign(rows + 1, 0);
  for (const RowSpan& piece : pieces_) ++rowStart_[static_cast<std::size_t>(piece.y - first_) + 1];
  for (std::size_t r = 0; r < rows; ++r) rowStart_[r + 1] += rowStart_[r];
  cursor_.assign(rowStart_.begin(), rowStart_.end() - 1);
  sorted_.resize(pieces_.size());
  for (const RowSpan& piece : pieces_) sorted_[static_cast<std::size_t>(cursor_[static_cast<std::size_t>(piece.y - first_)]++)] = piece.span;
  for (std::size_t r = 0; r < rows; ++r) {
    const auto begin = sorted_.begin() + rowStart_[r], end = sorted_.begin() + rowStart_[r + 1];
    std::sort(begin, end, [](const PixelSpan& p, const PixelSpan& q) { return p.x0 < q.x0; });
    rowStart_[r] = static_cast<int>(spans_.size());
    for (auto it = begin; it != end; ++it) {
      if (rowStart_[r] < static_cast<int>(spans_.size()) && it->x0 <= spans_.back().x1 + 1) {
        spans_.back().x1 = std::max(spans_.back().x1, it->x1);
      } else {
        spans_.push_back(*it);
      }
    }
  }
  rowStart_[rows] = static_cast<int>(spans_.size());
}

std::span<const PixelSpan> PolygonSpans::Row(int y) const {
  if (y < first_ || y >= end_) return {};
  const std::size_t r = static_cast<std::size_t>(y - first_);
  return std::span<const PixelSpan>(spans_.data() + rowStart_[r], static_cast<std::size_t>(rowStart_[r + 1] - rowStart_[r]));
}

}  // namespace atelion
