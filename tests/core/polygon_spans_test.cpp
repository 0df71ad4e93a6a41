#include "core/polygon_spans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/canvas.h"

namespace atelion {
namespace {

constexpr Colour kPaint = 0x2050C0;
constexpr Colour kGround = 0xFFFFFF;

// The spans painted into a picture of the ground colour.
Bitmap24 PaintSpans(const PolygonSpans& spans, int width, int height) {
  Bitmap24 picture(width, height, kGround);
  for (int y = 0; y < height; ++y) {
    for (const PixelSpan& span : spans.Row(y)) {
      for (int x = span.x0; x <= span.x1; ++x) picture.SetPixel(x, y, kPaint);
    }
  }
  return picture;
}

// The polygon drawn by the canvas, filled and outlined in one colour.
Bitmap24 PaintPolygon(const std::vector<Point>& points, int width, int height) {
  Bitmap24 picture(width, height, kGround);
  DrawPolygon(picture, points, Pen{kPaint, 1}, kPaint);
  return picture;
}

std::string Describe(const std::vector<Point>& points) {
  std::string text;
  for (const Point& p : points) text += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ") ";
  return text;
}

// Spans must be in order, disjoint, not touching, inside the picture and within the row range.
void ExpectWellFormed(const PolygonSpans& spans, int width, int height, const std::string& what) {
  for (int y = -2; y < height + 2; ++y) {
    const auto row = spans.Row(y);
    if (y < spans.FirstRow() || y >= spans.EndRow() || y < 0 || y >= height) {
      EXPECT_TRUE(row.empty()) << what << " row " << y;
      continue;
    }
    for (std::size_t i = 0; i < row.size(); ++i) {
      EXPECT_LE(0, row[i].x0) << what;
      EXPECT_LE(row[i].x0, row[i].x1) << what;
      EXPECT_LT(row[i].x1, width) << what;
      if (i > 0) {
        EXPECT_GT(row[i].x0, row[i - 1].x1 + 1) << what;
      }
    }
  }
}

void ExpectSameAsCanvas(const std::vector<Point>& points, int width, int height, PolygonSpans& spans) {
  spans.Cover(points, width, height);
  const std::string what = Describe(points) + "on " + std::to_string(width) + "x" + std::to_string(height);
  ExpectWellFormed(spans, width, height, what);
  const Bitmap24 expected = PaintPolygon(points, width, height);
  const Bitmap24 found = PaintSpans(spans, width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (expected.Pixel(x, y) != found.Pixel(x, y)) {
        ADD_FAILURE() << what << ": pixel " << x << "," << y << " differs";
        return;
      }
    }
  }
}

TEST(PolygonSpansTest, ChosenShapesCoverWhatTheCanvasPaints) {
  struct Case {
    const char* name;
    std::vector<Point> points;
  };
  const Case cases[] = {
      {"axis square", {{5, 5}, {20, 5}, {20, 20}, {5, 20}}},
      {"turned thin bar", {{3, 30}, {4, 29}, {30, 3}, {29, 4}}},
      {"bow tie (crossed quadrilateral)", {{5, 5}, {30, 30}, {30, 5}, {5, 30}}},
      {"triangle", {{2, 2}, {35, 10}, {12, 37}}},
      {"one point", {{10, 10}}},
      {"same point four times", {{10, 10}, {10, 10}, {10, 10}, {10, 10}}},
      {"horizontal segment", {{3, 9}, {30, 9}}},
      {"vertical segment", {{9, 3}, {9, 30}}},
      {"collinear diagonal", {{2, 3}, {12, 8}, {22, 13}, {12, 8}}},
      {"partly left and above", {{-15, -8}, {12, -3}, {9, 14}, {-20, 10}}},
      {"partly right and below", {{30, 30}, {60, 35}, {55, 70}, {28, 50}}},
      {"wholly outside", {{-30, -30}, {-10, -30}, {-10, -10}}},
      {"huge, crossing the picture", {{-1000000000, -999999999}, {1000000000, -3}, {999999999, 1000000000}, {-7, 999999998}}},
      {"star (self-crossing)", {{20, 1}, {28, 38}, {2, 14}, {38, 14}, {12, 38}}},
      {"concave arrow", {{2, 20}, {20, 2}, {38, 20}, {20, 12}}},
  };
  PolygonSpans spans;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectSameAsCanvas(c.points, 40, 40, spans);
  }
}

TEST(PolygonSpansTest, RandomPolygonsCoverWhatTheCanvasPaints) {
  // Turned rectangles as the stroke search makes them, and free polygons of 3 to 7 points,
  // some reaching over the edges; one PolygonSpans is reused so that left-overs would show.
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> coordinate(-12, 60);
  std::uniform_int_distribution<int> count(3, 7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  PolygonSpans spans;
  for (int i = 0; i < 1500; ++i) {
    const int width = 1 + static_cast<int>(unit(random) * 48), height = 1 + static_cast<int>(unit(random) * 48);
    std::vector<Point> points;
    if (i % 2 == 0) {
      const double cx = unit(random) * width, cy = unit(random) * height;
      const double length = 1 + unit(random) * 40, breadth = 1 + unit(random) * 20;
      const double angle = unit(random) * 6.283185307179586;
      const double halfL = length / 2, halfW = breadth / 2;
      const double c = std::cos(angle), s = std::sin(angle);
      for (const auto& [u, v] : {std::pair{-halfL, -halfW}, {halfL, -halfW}, {halfL, halfW}, {-halfL, halfW}}) {
        points.push_back({static_cast<int>(std::lround(cx + u * c - v * s)),
                          static_cast<int>(std::lround(cy + u * s + v * c))});
      }
    } else {
      const int n = count(random);
      for (int k = 0; k < n; ++k) points.push_back({coordinate(random), coordinate(random)});
    }
    ExpectSameAsCanvas(points, width, height, spans);
    if (HasFailure()) return;
  }
}

TEST(PolygonSpansTest, EmptyPicturesAndNoPointsCoverNothing) {
  PolygonSpans spans;
  const std::vector<Point> square = {{0, 0}, {5, 0}, {5, 5}, {0, 5}};
  spans.Cover(square, 10, 10);
  EXPECT_EQ(spans.FirstRow(), 0);
  EXPECT_EQ(spans.EndRow(), 6);
  for (const auto& [width, height] : {std::pair{0, 10}, {10, 0}, {-3, 5}}) {
    spans.Cover(square, width, height);
    EXPECT_EQ(spans.FirstRow(), spans.EndRow());
    EXPECT_TRUE(spans.Row(0).empty());
  }
  spans.Cover({}, 10, 10);
  EXPECT_EQ(spans.FirstRow(), spans.EndRow());
}

}  // namespace
}  // namespace atelion
