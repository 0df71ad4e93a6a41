#include "core/canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace atelion {

namespace {

using Int64 = std::int64_t;
// Exact products of coordinates that may each span 2^32 need more than 64 bits.
using Int128 = __int128;

// Ellipse coordinates are limited so that width² · height² stays far below 2^127.
constexpr Int64 kEllipseCoordinateLimit = Int64{1} << 30;
// Pen widths beyond this are never meaningful on a picture and would only risk overflow.
constexpr int kMaxPenWidth = 1 << 16;

// A colour as the three bytes of a pixel: blue, green, red.
using PixelBytes = std::array<std::uint8_t, 3>;

PixelBytes BytesOf(Colour colour) {
  return {static_cast<std::uint8_t>(BlueOf(colour)), static_cast<std::uint8_t>(GreenOf(colour)),
          static_cast<std::uint8_t>(RedOf(colour))};
}

Int64 FloorDiv(Int128 numerator, Int128 denominator) {  // denominator > 0
  Int128 quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator < 0) --quotient;
  return static_cast<Int64>(quotient);
}

Int64 CeilDiv(Int128 numerator, Int128 denominator) {  // denominator > 0
  Int128 quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator > 0) ++quotient;
  return static_cast<Int64>(quotient);
}

// The largest r with r² ≤ value, exactly.
Int64 IntegerSqrt(Int128 value) {
  if (value <= 0) return 0;
  Int128 root = static_cast<Int128>(std::sqrt(static_cast<long double>(value)));
  if (root <= 0) root = 1;
  root = (root + value / root) / 2;  // one Newton step repairs a short long double
  while (root * root > value) --root;
  while ((root + 1) * (root + 1) <= value) ++root;
  return static_cast<Int64>(root);
}

int PenWidth(const Pen& pen) { return std::clamp(pen.width, 1, kMaxPenWidth); }

// A rectangle in 64-bit coordinates, right and bottom excluded, so that grown or shifted
// rectangles of far-away shapes cannot overflow.
struct Box {
  Int64 left = 0;
  Int64 top = 0;
  Int64 right = 0;
  Int64 bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  Int64 Width() const { return right - left; }
  Int64 Height() const { return bottom - top; }
  Box Grown(Int64 by) const { return {left - by, top - by, right + by, bottom + by}; }
  Box Intersected(const Box& other) const {
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
  }
};

Box BoxOf(const Rect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }
Box BoundsOf(const Bitmap24& picture) { return {0, 0, picture.Width(), picture.Height()}; }

Rect Ordered(Rect rect) {
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  return rect;
}

void WritePixel(std::uint8_t* row, Int64 x, const PixelBytes& colour) {
  std::memcpy(row + 3 * x, colour.data(), 3);
}

// Fills columns x0..x1 (inclusive) of row y, clipped to the picture.
void FillSpan(Bitmap24& picture, Int64 y, Int64 x0, Int64 x1, const PixelBytes& colour) {
  if (y < 0 || y >= picture.Height()) return;
  x0 = std::max<Int64>(x0, 0);
  x1 = std::min<Int64>(x1, picture.Width() - 1);
  if (x0 > x1) return;
  std::uint8_t* row = picture.Row(static_cast<int>(y));
  for (Int64 x = x0; x <= x1; ++x) WritePixel(row, x, colour);
}

void FillBox(Bitmap24& picture, const Box& box, const PixelBytes& colour) {
  const Box clipped = box.Intersected(BoundsOf(picture));
  if (clipped.Empty()) return;
  for (Int64 y = clipped.top; y < clipped.bottom; ++y) FillSpan(picture, y, clipped.left, clipped.right - 1, colour);
}

// Fills the band `thickness` pixels wide just inside the edges of `outer`.
void FillBand(Bitmap24& picture, const Box& outer, Int64 thickness, const PixelBytes& colour) {
  if (outer.Empty()) return;
  if (outer.Width() <= 2 * thickness || outer.Height() <= 2 * thickness) {
    FillBox(picture, outer, colour);
    return;
  }
  FillBox(picture, {outer.left, outer.top, outer.right, outer.top + thickness}, colour);
  FillBox(picture, {outer.left, outer.bottom - thickness, outer.right, outer.bottom}, colour);
  FillBox(picture, {outer.left, outer.top + thickness, outer.left + thickness, outer.bottom - thickness}, colour);
  FillBox(picture, {outer.right - thickness, outer.top + thickness, outer.right, outer.bottom - thickness}, colour);
}

// Columns of the filled ellipse inscribed in a box, one row at a time.
// A pixel belongs when its centre (x + ½, y + ½) satisfies (dx / w)² + (dy / h)² ≤ 1 in doubled
// coordinates: dx = 2x + 1 − (left + right), dy = 2y + 1 − (top + bottom), w and h the box size.
// The row's columns are then |dx| ≤ D with D = floor(sqrt(w² (h² − dy²)) / h), computed exactly.
// D rises with w and h, so the ellipse of a box contains that of every box inside it with the
// same centre (rings drawn one pixel apart leave no gaps).
class EllipseRows {
 public:
  explicit EllipseRows(const Box& box) : box_(box) {}

  const Box& Bounds() const { return box_; }

  // False when row y holds no pixel of the ellipse.
  bool Span(Int64 y, Int64& x0, Int64& x1) const {
    if (box_.Empty() || y < box_.top || y >= box_.bottom) return false;
    if (box_.Width() < kSmallEllipseSide && box_.Height() < kSmallEllipseSide) return SmallSpan(y, x0, x1);
    const Int128 width = box_.Width();
    const Int128 height = box_.Height();
    const Int128 dy = 2 * Int128{y} + 1 - (Int128{box_.top} + box_.bottom);
    Int128 reach = IntegerSqrt(width * width * (height * height - dy * dy)) / height;
    // Thin ellipses would lose their ends and sides to the centre test; so the middle row(s)
    // always reach both sides of the box and every row keeps its centre pixel(s), and the
    // ellipse touches all four sides of its box.
    if (dy * dy <= 1) {
      reach = std::max(reach, width - 1);
    } else if (width % 2 == 0) {
      reach = std::max<Int128>(reach, 1);
    }
    const Int128 doubledCentre = Int128{box_.left} + box_.right - 1;
    x0 = CeilDiv(doubledCentre - reach, 2);
    x1 = FloorDiv(doubledCentre + reach, 2);
    return x0 <= x1;
  }

 private:
  // Every ellipse of a picture: the same rule in 64-bit arithmetic, which the products of sides
  // below kSmallEllipseSide cannot overflow.
  static constexpr Int64 kSmallEllipseSide = Int64{1} << 15;
  bool SmallSpan(Int64 y, Int64& x0, Int64& x1) const {
    const Int64 width = box_.Width();
    const Int64 height = box_.Height();
    const Int64 dy = 2 * y + 1 - (box_.top + box_.bottom);
    const Int64 value = width * width * (height * height - dy * dy);
    Int64 root = value <= 0 ? 0 : static_cast<Int64>(std::sqrt(static_cast<double>(value)));
    while (root * root > value) --root;
    while (value > 0 && (root + 1) * (root + 1) <= value) ++root;
    Int64 reach = root / height;
    if (dy * dy <= 1) {
      reach = std::max(reach, width - 1);
    } else if (width % 2 == 0) {
      reach = std::max<Int64>(reach, 1);
    }
    const Int64 doubledCentre = box_.left + box_.right - 1;
    x0 = -((reach - doubledCentre) >> 1);  // ceil((centre − reach) / 2)
    x1 = (doubledCentre + reach) >> 1;     // floor((centre + reach) / 2)
    return x0 <= x1;
  }

  Box box_;
};

// Fills [x0, x1] of row y without the columns [holeStart, holeEnd].
void FillSpanAround(Bitmap24& picture, Int64 y, Int64 x0, Int64 x1, Int64 holeStart, Int64 holeEnd,
                    const PixelBytes& colour) {
  if (holeStart > holeEnd) {
    FillSpan(picture, y, x0, x1, colour);
    return;
  }
  FillSpan(picture, y, x0, std::min(x1, holeStart - 1), colour);
  FillSpan(picture, y, std::max(x0, holeEnd + 1), x1, colour);
}

// The rows of a box that lie inside the picture.
void VisibleRows(const Bitmap24& picture, const Box& box, Int64& first, Int64& end) {
  first = std::max<Int64>(box.top, 0);
  end = std::min<Int64>(box.bottom, picture.Height());
}

void FillEllipse(Bitmap24& picture, const EllipseRows& ellipse, const PixelBytes& colour) {
  Int64 first, end;
  VisibleRows(picture, ellipse.Bounds(), first, end);
  for (Int64 y = first; y < end; ++y) {
    Int64 x0, x1;
    if (ellipse.Span(y, x0, x1)) FillSpan(picture, y, x0, x1, colour);
  }
}

// The pixels of the filled ellipse that have a horizontal or vertical neighbour outside it.
// Every span is centred on the same column, so the inner part of a row is one interval.
void OutlineEllipseThin(Bitmap24& picture, const EllipseRows& ellipse, const PixelBytes& colour) {
  Int64 first, end;
  VisibleRows(picture, ellipse.Bounds(), first, end);
  for (Int64 y = first; y < end; ++y) {
    Int64 x0, x1;
    if (!ellipse.Span(y, x0, x1)) continue;
    Int64 innerStart = x0 + 1;
    Int64 innerEnd = x1 - 1;
    for (const Int64 neighbour : {y - 1, y + 1}) {
      Int64 n0, n1;
      if (!ellipse.Span(neighbour, n0, n1)) {
        innerStart = 1;
        innerEnd = 0;
        break;
      }
      innerStart = std::max(innerStart, n0);
      innerEnd = std::min(innerEnd, n1);
    }
    FillSpanAround(picture, y, x0, x1, innerStart, innerEnd, colour);
  }
}

// A w-pixel ring: the ellipse of the box grown by w div 2 minus that of the grown box shrunk by w.
void OutlineEllipseThick(Bitmap24& picture, const Box& box, int width, const PixelBytes& colour) {
  const Box outerBox = box.Grown(width / 2);
  const EllipseRows outer(outerBox);
  const EllipseRows inner(outerBox.Grown(-width));
  Int64 first, end;
  VisibleRows(picture, outerBox, first, end);
  for (Int64 y = first; y < end; ++y) {
    Int64 x0, x1;
    if (!outer.Span(y, x0, x1)) continue;
    Int64 hole0 = 1, hole1 = 0;
    if (!inner.Span(y, hole0, hole1)) hole0 = 1, hole1 = 0;
    FillSpanAround(picture, y, x0, x1, hole0, hole1, colour);
  }
}

// The round dab a wide pen leaves at one point of its centre line: the filled ellipse inscribed
// in a width × width square whose top-left is width div 2 left of and above the point.
// A 1-pixel pen needs no dab; its table stays empty, which keeps thin lines free of allocation.
class PenDab {
 public:
  explicit PenDab(int width) : width_(width) {
    if (width <= 1) return;
    const EllipseRows shape(Box{0, 0, width, width});
    spans_.resize(static_cast<std::size_t>(width));
    for (int row = 0; row < width; ++row) {
      Int64 x0 = 1, x1 = 0;
      shape.Span(row, x0, x1);
      spans_[static_cast<std::size_t>(row)] = {x0, x1};
    }
  }

  void Stamp(Bitmap24& picture, Int64 x, Int64 y, const PixelBytes& colour) const {
    const Int64 left = x - width_ / 2;
    const Int64 top = y - width_ / 2;
    for (int row = 0; row < width_; ++row) {
      const auto& [x0, x1] = spans_[static_cast<std::size_t>(row)];
      FillSpan(picture, top + row, left + x0, left + x1, colour);
    }
  }

 private:
  int width_;
  std::vector<std::pair<Int64, Int64>> spans_;
};

// The centre line of DrawLine: step i goes i along the longer axis and
// floor((2·i·shorter + longer) / (2·longer)) along the shorter one.
struct LineSteps {
  Int64 longer = 0;
  Int64 shorter = 0;

  Int64 Offset(Int64 step) const {
    if (longer == 0) return 0;
    return FloorDiv(2 * Int128{step} * shorter + longer, 2 * Int128{longer});
  }
  // The first step in [first, last] whose offset is at least `offset`; last + 1 when none.
  Int64 FirstWithOffsetAtLeast(Int64 offset, Int64 first, Int64 last) const {
    Int64 low = first, high = last + 1;
    while (low < high) {
      const Int64 middle = low + (high - low) / 2;
      if (Offset(middle) >= offset) high = middle; else low = middle + 1;
    }
    return low;
  }
  // The last step in [first, last] whose offset is at most `offset`; first − 1 when none.
  Int64 LastWithOffsetAtMost(Int64 offset, Int64 first, Int64 last) const {
    return FirstWithOffsetAtLeast(offset + 1, first, last) - 1;
  }
};

int Sign(Int64 value) { return (value > 0) - (value < 0); }

}  // namespace

void FillRect(Bitmap24& picture, const Rect& rect, Colour colour) {
  FillBox(picture, BoxOf(rect), BytesOf(colour));
}

void FrameRect(Bitmap24& picture, const Rect& rect, Colour colour) {
  FillBand(picture, BoxOf(rect), 1, BytesOf(colour));
}

void DrawRectangle(Bitmap24& picture, Rect rect, const std::optional<Pen>& pen, const std::optional<Colour>& brush) {
  rect = Ordered(rect);
  const Box box = BoxOf(rect);
  if (box.Empty()) return;
  if (brush) FillBox(picture, box, BytesOf(*brush));
  if (pen) {
    const int width = PenWidth(*pen);
    const Int64 outwards = width / 2;
    // The outline's pixel columns run from left to right − 1; the band around them is w wide.
    const Box outer{box.left - outwards, box.top - outwards, box.right - 1 - outwards + width,
                    box.bottom - 1 - outwards + width};
    FillBand(picture, outer, width, BytesOf(pen->colour));
  }
}

void CopyRect(Bitmap24& destination, int x, int y, const Bitmap24& source, const Rect& sourceRect) {
  const Box from = BoxOf(sourceRect).Intersected(BoundsOf(source));
  if (from.Empty()) return;
  const Int64 shiftX = Int64{x} - sourceRect.left;
  const Int64 shiftY = Int64{y} - sourceRect.top;
  const Box to = Box{from.left + shiftX, from.top + shiftY, from.right + shiftX, from.bottom + shiftY}.Intersected(
      BoundsOf(destination));
  if (to.Empty()) return;
  const std::size_t bytes = static_cast<std::size_t>(to.Width()) * 3;
  // Within one picture, rows moving down are copied bottom-up so no source row is overwritten first.
  const bool bottomUp = &destination == &source && shiftY > 0;
  for (Int64 i = 0; i < to.Height(); ++i) {
    const Int64 row = bottomUp ? to.bottom - 1 - i : to.top + i;
    std::memmove(destination.Row(static_cast<int>(row)) + 3 * to.left,
                 source.Row(static_cast<int>(row - shiftY)) + 3 * (to.left - shiftX), bytes);
  }
}

void DrawPicture(Bitmap24& destination, int x, int y, const Bitmap24& source) {
  CopyRect(destination, x, y, source, Rect{0, 0, source.Width(), source.Height()});
}

namespace {

// The source indices (inclusive, clipped to the source picture) that feed one destination index.
struct SourceRun {
  Int64 first = 0;
  Int64 last = -1;
};

// For every destination index in [firstVisible, endVisible) of an axis, the source indices it takes.
std::vector<SourceRun> MapAxis(Int64 destinationStart, Int64 destinationSize, Int64 firstVisible, Int64 endVisible,
                               Int64 sourceStart, Int64 sourceSize, Int64 sourceLimit) {
  std::vector<SourceRun> runs;
  runs.reserve(static_cast<std::size_t>(std::max<Int64>(endVisible - firstVisible, 0)));
  const bool shrinking = destinationSize < sourceSize;
  for (Int64 d = firstVisible; d < endVisible; ++d) {
    const Int128 i = d - destinationStart;
    Int64 first, last;
    if (shrinking) {
      // Source j lands on floor(j · destinationSize / sourceSize).
      first = CeilDiv(i * sourceSize, destinationSize);
      last = CeilDiv((i + 1) * sourceSize, destinationSize) - 1;
    } else {
      first = last = FloorDiv(i * sourceSize, destinationSize);
    }
    runs.push_back({std::max<Int64>(sourceStart + first, 0), std::min<Int64>(sourceStart + last, sourceLimit - 1)});
  }
  return runs;
}

}  // namespace

void StretchCopy(Bitmap24& destination, const Rect& destinationRect, const Bitmap24& source, const Rect& sourceRect) {
  const Box to = BoxOf(destinationRect);
  const Box from = BoxOf(sourceRect);
  if (to.Empty() || from.Empty() || source.Empty()) return;
  const Box visible = to.Intersected(BoundsOf(destination));
  if (visible.Empty()) return;
  if (&destination == &source) {
    const Bitmap24 copy = source;
    StretchCopy(destination, destinationRect, copy, sourceRect);
    return;
  }
  const std::vector<SourceRun> columns =
      MapAxis(to.left, to.Width(), visible.left, visible.right, from.left, from.Width(), source.Width());
  const std::vector<SourceRun> rows =
      MapAxis(to.top, to.Height(), visible.top, visible.bottom, from.top, from.Height(), source.Height());
  for (Int64 y = visible.top; y < visible.bottom; ++y) {
    const SourceRun& rowRun = rows[static_cast<std::size_t>(y - visible.top)];
    if (rowRun.first > rowRun.last) continue;
    std::uint8_t* out = destination.Row(static_cast<int>(y));
    for (Int64 x = visible.left; x < visible.right; ++x) {
      const SourceRun& columnRun = columns[static_cast<std::size_t>(x - visible.left)];
      if (columnRun.first > columnRun.last) continue;
      PixelBytes merged{0xFF, 0xFF, 0xFF};
      for (Int64 sy = rowRun.first; sy <= rowRun.last; ++sy) {
        const std::uint8_t* in = source.Row(static_cast<int>(sy));
        for (Int64 sx = columnRun.first; sx <= columnRun.last; ++sx) {
          for (int c = 0; c < 3; ++c) merged[static_cast<std::size_t>(c)] &= in[3 * sx + c];
        }
      }
      WritePixel(out, x, merged);
    }
  }
}

void StretchDraw(Bitmap24& destination, const Rect& destinationRect, const Bitmap24& source) {
  StretchCopy(destination, destinationRect, source, Rect{0, 0, source.Width(), source.Height()});
}

void DrawLine(Bitmap24& picture, Point from, Point to, const Pen& pen) {
  if (picture.Empty()) return;
  const int width = PenWidth(pen);
  const PixelBytes colour = BytesOf(pen.colour);
  const Int64 dx = Int64{to.x} - from.x;
  const Int64 dy = Int64{to.y} - from.y;
  const bool alongX = std::abs(dx) >= std::abs(dy);
  const LineSteps steps{std::max(std::abs(dx), std::abs(dy)), std::min(std::abs(dx), std::abs(dy))};
  const Int64 lastStep = width == 1 ? steps.longer - 1 : steps.longer;
  if (lastStep < 0) return;

  const Int64 majorStart = alongX ? from.x : from.y;
  const Int64 minorStart = alongX ? from.y : from.x;
  const int majorSign = Sign(alongX ? dx : dy) != 0 ? Sign(alongX ? dx : dy) : 1;
  const int minorSign = Sign(alongX ? dy : dx);
  const Int64 majorSize = alongX ? picture.Width() : picture.Height();
  const Int64 minorSize = alongX ? picture.Height() : picture.Width();
  // A dab reaches less than `width` pixels from its centre.
  const Int64 margin = width == 1 ? 0 : width;

  // Clip the steps to those whose centre lies within the picture grown by the margin: the major
  // coordinate directly, the minor one through its non-decreasing offset.
  Int64 first = majorSign > 0 ? -margin - majorStart : majorStart - (majorSize - 1 + margin);
  Int64 last = majorSign > 0 ? majorSize - 1 + margin - majorStart : majorStart + margin;
  first = std::max<Int64>(first, 0);
  last = std::min(last, lastStep);
  if (first > last) return;
  const Int64 lowMinor = -margin;
  const Int64 highMinor = minorSize - 1 + margin;
  const Int64 lowOffset = minorSign >= 0 ? lowMinor - minorStart : minorStart - highMinor;
  const Int64 highOffset = minorSign >= 0 ? highMinor - minorStart : minorStart - lowMinor;
  const Int64 clippedFirst = steps.FirstWithOffsetAtLeast(lowOffset, first, last);
  const Int64 clippedLast = steps.LastWithOffsetAtMost(highOffset, first, last);
  if (clippedFirst > clippedLast) return;

  const PenDab dab(width);
  const Int64 twiceLonger = 2 * std::max<Int64>(steps.longer, 1);
  Int64 offset = steps.Offset(clippedFirst);
  Int64 remainder = static_cast<Int64>((2 * Int128{clippedFirst} * steps.shorter + steps.longer) % twiceLonger);
  for (Int64 i = clippedFirst; i <= clippedLast; ++i) {
    const Int64 major = majorStart + majorSign * i;
    const Int64 minor = minorStart + minorSign * offset;
    const Int64 x = alongX ? major : minor;
    const Int64 y = alongX ? minor : major;
    if (width > 1) {
      dab.Stamp(picture, x, y, colour);
    } else if (picture.InBounds(static_cast<int>(x), static_cast<int>(y))) {
      WritePixel(picture.Row(static_cast<int>(y)), x, colour);
    }
    remainder += 2 * steps.shorter;
    if (remainder >= twiceLonger) {
      remainder -= twiceLonger;
      ++offset;
    }
  }
}

void DrawPolyline(Bitmap24& picture, std::span<const Point> points, const Pen& pen) {
  for (std::size_t i = 1; i < points.size(); ++i) DrawLine(picture, points[i - 1], points[i], pen);
}

void PenCursor::LineTo(int x, int y) {
  const Point to{x, y};
  DrawLine(picture_, position_, to, pen_);
  position_ = to;
}

void DrawEllipse(Bitmap24& picture, Rect rect, const std::optional<Pen>& pen, const std::optional<Colour>& brush) {
  rect = Ordered(rect);
  const auto limit = [](int v) { return std::clamp<Int64>(v, -kEllipseCoordinateLimit, kEllipseCoordinateLimit); };
  const Box box{limit(rect.left), limit(rect.top), limit(rect.right), limit(rect.bottom)};
  if (box.Empty() || picture.Empty()) return;
  const EllipseRows ellipse(box);
  if (brush) FillEllipse(picture, ellipse, BytesOf(*brush));
  if (pen) {
    const int width = PenWidth(*pen);
    if (width == 1) {
      OutlineEllipseThin(picture, ellipse, BytesOf(pen->colour));
    } else {
      OutlineEllipseThick(picture, box, width, BytesOf(pen->colour));
    }
  }
}

namespace {

// A polygon edge that is not horizontal, oriented downwards: it covers rows top ≤ y < bottom.
struct PolygonEdge {
  Int64 topX, top, bottomX, bottom;

  // ceil(c − ½), c the column where the edge crosses the centre line y + ½ of row y: pixels from
  // this column on have their centre at or right of the crossing.
  Int64 FirstColumnRightOf(Int64 y) const {
    const Int128 rise = bottom - top;
    return topX + CeilDiv((2 * Int128{y} + 1 - 2 * Int128{top}) * (bottomX - topX) - rise, 2 * rise);
  }
};

void FillPolygon(Bitmap24& picture, std::span<const Point> points, const PixelBytes& colour) {
  std::vector<PolygonEdge> edges;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Point& a = points[i];
    const Point& b = points[(i + 1) % points.size()];
    if (a.y == b.y) continue;
    if (a.y < b.y) edges.push_back({a.x, a.y, b.x, b.y}); else edges.push_back({b.x, b.y, a.x, a.y});
  }
  if (edges.empty()) return;
  std::sort(edges.begin(), edges.end(), [](const PolygonEdge& p, const PolygonEdge& q) { return p.top < q.top; });
  Int64 lowest = edges.front().bottom;
  for (const PolygonEdge& edge : edges) lowest = std::max(lowest, edge.bottom);
  const Int64 firstRow = std::max<Int64>(edges.front().top, 0);
  const Int64 endRow = std::min<Int64>(lowest, picture.Height());

  std::vector<const PolygonEdge*> active;
  std::vector<Int64> crossings;
  std::size_t next = 0;
  for (Int64 y = firstRow; y < endRow; ++y) {
    while (next < edges.size() && edges[next].top <= y) active.push_back(&edges[next++]);
    std::erase_if(active, [y](const PolygonEdge* edge) { return edge->bottom <= y; });
    crossings.clear();
    for (const PolygonEdge* edge : active) crossings.push_back(edge->FirstColumnRightOf(y));
    std::sort(crossings.begin(), crossings.end());
    // Alternate rule: a pixel is inside when an odd number of crossings lie at or left of it.
    for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
      FillSpan(picture, y, crossings[k], crossings[k + 1] - 1, colour);
    }
  }
}

}  // namespace

void DrawPolygon(Bitmap24& picture, std::span<const Point> points, const std::optional<Pen>& pen,
                 const std::optional<Colour>& brush) {
  if (points.empty() || picture.Empty()) return;
  if (brush) FillPolygon(picture, points, BytesOf(*brush));
  if (pen) {
    for (std::size_t i = 0; i < points.size(); ++i) {
      DrawLine(picture, points[i], points[(i + 1) % points.size()], *pen);
    }
  }
}

void FloodFill(Bitmap24& picture, int x, int y, Colour fill) {
  if (!picture.InBounds(x, y)) return;
  const PixelBytes target = BytesOf(picture.Pixel(x, y));
  const PixelBytes colour = BytesOf(fill);
  if (target == colour) return;
  const auto matches = [&target](const std::uint8_t* row, int column) {
    return std::memcmp(row + 3 * column, target.data(), 3) == 0;
  };

  // Each seed stands for a run of target-coloured pixels; a popped seed fills its whole run and
  // pushes one seed per target run directly above and below it.
  std::vector<Point> seeds{{x, y}};
  const int width = picture.Width();
  while (!seeds.empty()) {
    const Point seed = seeds.back();
    seeds.pop_back();
    std::uint8_t* row = picture.Row(seed.y);
    if (!matches(row, seed.x)) continue;
    int left = seed.x;
    while (left > 0 && matches(row, left - 1)) --left;
    int right = seed.x;
    while (right < width - 1 && matches(row, right + 1)) ++right;
    for (int column = left; column <= right; ++column) WritePixel(row, column, colour);
    for (const int neighbour : {seed.y - 1, seed.y + 1}) {
      if (neighbour < 0 || neighbour >= picture.Height()) continue;
      const std::uint8_t* other = picture.Row(neighbour);
      bool inRun = false;
      for (int column = left; column <= right; ++column) {
        const bool match = matches(other, column);
        if (match && !inRun) seeds.push_back({column, neighbour});
        inRun = match;
      }
    }
  }
}

namespace {

// Calls blend(pictureChannel, brushPixel, channel) for every channel of every brush pixel that
// lies inside the picture and has a non-zero alpha.
template <typename Blend>
void BlendBrush(Bitmap24& picture, int x, int y, const Bitmap32& brush, Blend blend) {
  const Box placed{x, y, Int64{x} + brush.Width(), Int64{y} + brush.Height()};
  const Box visible = placed.Intersected(BoundsOf(picture));
  if (visible.Empty()) return;
  for (Int64 py = visible.top; py < visible.bottom; ++py) {
    std::uint8_t* out = picture.Row(static_cast<int>(py));
    const std::uint8_t* in = brush.Row(static_cast<int>(py - y));
    for (Int64 px = visible.left; px < visible.right; ++px) {
      const std::uint8_t* brushPixel = in + 4 * (px - x);
      if (brushPixel[3] == 0) continue;
      for (int c = 0; c < 3; ++c) out[3 * px + c] = blend(out[3 * px + c], brushPixel, c);
    }
  }
}

}  // namespace

void DrawAlphaOver(Bitmap24& picture, int x, int y, const Bitmap32& brush, const std::optional<Colour>& tint) {
  const std::optional<PixelBytes> tintBytes = tint ? std::optional<PixelBytes>(BytesOf(*tint)) : std::nullopt;
  BlendBrush(picture, x, y, brush, [&tintBytes](int under, const std::uint8_t* brushPixel, int c) {
    const int alpha = brushPixel[3];
    const int paint = tintBytes ? (*tintBytes)[static_cast<std::size_t>(c)] : brushPixel[c];
    return static_cast<std::uint8_t>((paint * alpha + under * (255 - alpha) + 127) / 255);
  });
}

void DrawPremultipliedOver(Bitmap24& picture, int x, int y, const Bitmap32& brush) {
  BlendBrush(picture, x, y, brush, [](int under, const std::uint8_t* brushPixel, int c) {
    const int alpha = brushPixel[3];
    return static_cast<std::uint8_t>(std::min(255, brushPixel[c] + (under * (255 - alpha) + 127) / 255));
  });
}

}  // namespace atelion
