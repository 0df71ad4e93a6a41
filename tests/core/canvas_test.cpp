#include "core/canvas.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <vector>

namespace atelion {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kBlue = 0xFF0000;

// One character per pixel: '.' white, '#' black, 'r' red, 'g' green, 'b' blue, '?' anything else.
char Symbol(Colour colour) {
  switch (colour) {
    case kWhite: return '.';
    case kBlack: return '#';
    case kRed: return 'r';
    case kGreen: return 'g';
    case kBlue: return 'b';
    default: return '?';
  }
}

Colour ColourOf(char symbol) {
  switch (symbol) {
    case '#': return kBlack;
    case 'r': return kRed;
    case 'g': return kGreen;
    case 'b': return kBlue;
    default: return kWhite;
  }
}

std::string Art(const Bitmap24& picture) {
  std::string text;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) text += Symbol(picture.Pixel(x, y));
    text += '\n';
  }
  return text;
}

std::string Art(std::initializer_list<const char*> rows) {
  std::string text;
  for (const char* row : rows) text += std::string(row) + '\n';
  return text;
}

Bitmap24 PictureOf(const std::vector<std::string>& lines) {
  Bitmap24 picture(static_cast<int>(lines[0].size()), static_cast<int>(lines.size()));
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, ColourOf(lines[y][x]));
  }
  return picture;
}

Bitmap24 Crop(const Bitmap24& picture, int left, int top, int width, int height) {
  Bitmap24 part(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) part.SetPixel(x, y, picture.Pixel(left + x, top + y));
  }
  return part;
}

Bitmap24 Mirrored(const Bitmap24& picture, int axisSum, bool horizontal) {
  Bitmap24 mirror(picture.Width(), picture.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      mirror.SetPixel(x, y, horizontal ? picture.Pixel(axisSum - x, y) : picture.Pixel(x, axisSum - y));
    }
  }
  return mirror;
}

// ---- Rectangles -------------------------------------------------------------------------------

TEST(CanvasRectangles, FillAndFrameCoverTheDescribedPixels) {
  Bitmap24 filled(8, 6);
  FillRect(filled, {1, 2, 5, 4}, kBlack);
  EXPECT_EQ(Art(filled), Art({"........",
                              "........",
                              ".####...",
                              ".####...",
                              "........",
                              "........"}));

  Bitmap24 framed(8, 6);
  FrameRect(framed, {1, 1, 6, 5}, kBlack);
  EXPECT_EQ(Art(framed), Art({"........",
                              ".#####..",
                              ".#...#..",
                              ".#...#..",
                              ".#####..",
                              "........"}));

  Bitmap24 untouched(4, 4);
  FillRect(untouched, {3, 1, 1, 3}, kBlack);  // inverted
  FrameRect(untouched, {2, 2, 2, 4}, kBlack);  // empty
  EXPECT_EQ(untouched, Bitmap24(4, 4));
}

TEST(CanvasRectangles, RectangleWithPenAndBrush) {
  Bitmap24 thin(8, 6);
  DrawRectangle(thin, {6, 5, 1, 1}, Pen{kBlack, 1}, kRed);  // corners in any order
  EXPECT_EQ(Art(thin), Art({"........",
                            ".#####..",
                            ".#rrr#..",
                            ".#rrr#..",
                            ".#####..",
                            "........"}));

  Bitmap24 wide(8, 8);
  DrawRectangle(wide, {2, 2, 7, 7}, Pen{kBlack, 2}, std::nullopt);
  EXPECT_EQ(Art(wide), Art({"........",
                            ".######.",
                            ".######.",
                            ".##..##.",
                            ".##..##.",
                            ".######.",
                            ".######.",
                            "........"}));

  Bitmap24 brushOnly(5, 4);
  DrawRectangle(brushOnly, {1, 1, 4, 3}, std::nullopt, kBlue);
  EXPECT_EQ(Art(brushOnly), Art({".....",
                                 ".bbb.",
                                 ".bbb.",
                                 "....."}));
}

// ---- Lines ------------------------------------------------------------------------------------

struct LineCase {
  const char* name;
  Point from;
  Point to;
  std::string expected;
};

TEST(CanvasLines, OnePixelLinesOmitTheirEndPoint) {
  const std::vector<LineCase> cases = {
      {"horizontal", {1, 1}, {6, 1}, Art({".......", ".#####.", "......."})},
      {"horizontal leftwards", {5, 1}, {0, 1}, Art({".......", ".#####.", "......."})},
      {"vertical", {2, 0}, {2, 2}, Art({"..#....", "..#....", "......."})},
      {"diagonal", {0, 0}, {3, 3}, Art({"#......", ".#.....", "..#...."})},
      {"shallow", {0, 0}, {6, 2}, Art({"##.....", "..###..", ".....#."})},
      {"shallow backwards", {6, 2}, {0, 0}, Art({".#.....", "..###..", ".....##"})},
      {"halves round away from the start", {0, 0}, {4, 2}, Art({"#......", ".##....", "...#..."})},
      {"zero length", {3, 1}, {3, 1}, Art({".......", ".......", "......."})},
  };
  for (const LineCase& line : cases) {
    SCOPED_TRACE(line.name);
    Bitmap24 picture(7, 3);
    DrawLine(picture, line.from, line.to, Pen{kBlack, 1});
    EXPECT_EQ(Art(picture), line.expected);
  }
}

TEST(CanvasLines, WidePenStampsAroundEveryPointIncludingTheEnd) {
  Bitmap24 picture(8, 7);
  DrawLine(picture, {1, 3}, {5, 3}, Pen{kBlack, 3});
  EXPECT_EQ(Art(picture), Art({"........",
                               "........",
                               "#######.",
                               "#######.",
                               "#######.",
                               "........",
                               "........"}));

  Bitmap24 dot(6, 6);
  DrawLine(dot, {2, 2}, {2, 2}, Pen{kBlack, 4});  // a round dab of diameter 4
  EXPECT_EQ(Art(dot), Art({".##...",
                           "####..",
                           "####..",
                           ".##...",
                           "......",
                           "......"}));
}

TEST(CanvasLines, PolylineAndPenCursorJoinSegments) {
  const std::array<Point, 3> corner = {Point{1, 1}, Point{5, 1}, Point{5, 4}};
  Bitmap24 polyline(7, 6);
  DrawPolyline(polyline, corner, Pen{kBlack, 1});
  EXPECT_EQ(Art(polyline), Art({".......",
                                ".#####.",
                                ".....#.",
                                ".....#.",
                                ".......",
                                "......."}));

  Bitmap24 cursor(7, 6);
  PenCursor pen(cursor, Pen{kBlack, 1});
  pen.MoveTo(1, 1);
  pen.LineTo(5, 1);
  pen.LineTo(5, 4);
  EXPECT_EQ(pen.Position(), (Point{5, 4}));
  EXPECT_EQ(cursor, polyline);
}

TEST(CanvasLines, FarEndPointsClipWithoutChangingTheLine) {
  Bitmap24 horizontal(8, 8);
  DrawLine(horizontal, {-1000000000, 3}, {1000000000, 3}, Pen{kBlack, 1});
  Bitmap24 expectedRow(8, 8);
  FillRect(expectedRow, {0, 3, 8, 4}, kBlack);
  EXPECT_EQ(horizontal, expectedRow);

  Bitmap24 diagonal(8, 8);
  DrawLine(diagonal, {1000000000, 1000000000}, {-1000000000, -1000000000}, Pen{kBlack, 1});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) EXPECT_EQ(diagonal.Pixel(x, y), x == y ? kBlack : kWhite) << x << "," << y;
  }

  Bitmap24 wide(8, 8);
  DrawLine(wide, {-2000000000, 4}, {2000000000, 4}, Pen{kBlack, 3});
  Bitmap24 expectedBand(8, 8);
  FillRect(expectedBand, {0, 3, 8, 6}, kBlack);
  EXPECT_EQ(wide, expectedBand);
}

// ---- Ellipses ---------------------------------------------------------------------------------

TEST(CanvasEllipses, InscribedCircleFilledAndOutlined) {
  Bitmap24 filled(8, 8);
  DrawEllipse(filled, {0, 0, 8, 8}, std::nullopt, kBlack);
  EXPECT_EQ(Art(filled), Art({"..####..",
                              ".######.",
                              "########",
                              "########",
                              "########",
                              "########",
                              ".######.",
                              "..####.."}));

  Bitmap24 outlined(8, 8);
  DrawEllipse(outlined, {0, 0, 8, 8}, Pen{kBlack, 1}, std::nullopt);
  EXPECT_EQ(Art(outlined), Art({"..####..",
                                ".#....#.",
                                "#......#",
                                "#......#",
                                "#......#",
                                "#......#",
                                ".#....#.",
                                "..####.."}));

  Bitmap24 both(8, 8);
  DrawEllipse(both, {8, 8, 0, 0}, Pen{kBlack, 1}, kRed);  // corners in any order
  EXPECT_EQ(Art(both), Art({"..####..",
                            ".#rrrr#.",
                            "#rrrrrr#",
                            "#rrrrrr#",
                            "#rrrrrr#",
                            "#rrrrrr#",
                            ".#rrrr#.",
                            "..####.."}));
}

// The filled area pixel by pixel: the centres inside or on the ellipse through the box's outer
// edges, the middle row(s) across the whole box and the centre pixel(s) of every row; for boxes
// on both sides of the size from which the sums need more than 64 bits.
TEST(CanvasEllipses, TheFilledAreaIsTheCentreTestAndTheTouchRules) {
  const Rect boxes[] = {{0, 0, 300, 200},           {-5, -7, 293, 190},          {3, 2, 250, 171},
                        {-16000, -15000, 16300, 15200}, {-20000, -15000, 20300, 15200}, {100, -30000, 107, 30200}};
  for (const Rect& box : boxes) {
    SCOPED_TRACE(std::to_string(box.right - box.left) + " x " + std::to_string(box.bottom - box.top));
    Bitmap24 filled(300, 200);
    DrawEllipse(filled, box, std::nullopt, kBlack);
    const __int128 w = box.right - box.left, h = box.bottom - box.top;
    int wrong = 0;
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 300; ++x) {
        const __int128 dx = 2 * x + 1 - (box.left + box.right), dy = 2 * y + 1 - (box.top + box.bottom);
        const bool inBox = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
        const bool inside = inBox && (dx * dx * h * h + dy * dy * w * w <= w * w * h * h || dy * dy <= 1 ||
                                      (w % 2 == 0 && dx * dx <= 1));
        wrong += inside != (filled.Pixel(x, y) == kBlack);
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// For every small box: the ellipse stays inside it, touches all four of its sides and is
// symmetric about both of its axes; its outline lies within the filled area.
TEST(CanvasEllipses, SymmetricAndInscribedForEverySmallBox) {
  for (int width = 1; width <= 12; ++width) {
    for (int height = 1; height <= 12; ++height) {
      SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
      // A one-pixel margin around the box, so that mirroring maps the picture onto itself.
      const Rect box{1, 1, 1 + width, 1 + height};
      Bitmap24 filled(width + 2, height + 2);
      DrawEllipse(filled, box, std::nullopt, kBlack);
      Bitmap24 outline(width + 2, height + 2);
      DrawEllipse(outline, box, Pen{kBlack, 1}, std::nullopt);

      EXPECT_EQ(Art(filled), Art(Mirrored(filled, width + 1, true)));
      EXPECT_EQ(Art(filled), Art(Mirrored(filled, height + 1, false)));
      EXPECT_EQ(Art(outline), Art(Mirrored(outline, width + 1, true)));
      EXPECT_EQ(Art(outline), Art(Mirrored(outline, height + 1, false)));
      bool top = false, bottom = false, left = false, right = false;
      for (int y = 0; y < filled.Height(); ++y) {
        for (int x = 0; x < filled.Width(); ++x) {
          const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
          if (filled.Pixel(x, y) != kBlack) {
            EXPECT_EQ(outline.Pixel(x, y), kWhite) << x << "," << y;
            continue;
          }
          EXPECT_TRUE(inside) << x << "," << y;
          top |= y == box.top;
          bottom |= y == box.bottom - 1;
          left |= x == box.left;
          right |= x == box.right - 1;
        }
      }
      EXPECT_TRUE(top && bottom && left && right);
    }
  }
}

TEST(CanvasEllipses, HugeEllipsesVisitOnlyThePicture) {
  Bitmap24 away(8, 8);
  DrawEllipse(away, {1000000000, 1000000000, 2000000000, 2000000000}, Pen{kBlack, 5}, kRed);
  EXPECT_EQ(away, Bitmap24(8, 8));

  // The picture lies deep inside: the brush covers it, the outline passes far around it.
  Bitmap24 around(8, 8);
  DrawEllipse(around, {-1000000000, -1000000000, 1000000000, 1000000000}, Pen{kBlack, 2}, kRed);
  EXPECT_EQ(around, Bitmap24(8, 8, kRed));

  // The top of an ellipse two billion pixels wide runs flat through row 4.
  Bitmap24 edge(8, 8);
  DrawEllipse(edge, {-1000000000, 4, 1000000000, 2000000000}, Pen{kBlack, 1}, kRed);
  EXPECT_EQ(Art(edge), Art({"........",
                            "........",
                            "........",
                            "........",
                            "########",
                            "rrrrrrrr",
                            "rrrrrrrr",
                            "rrrrrrrr"}));
}

// Rings two pixels wide, each one pixel larger on every side than the last, leave no gap:
// only the ellipse inside the first ring's inner edge stays untouched.
TEST(CanvasEllipses, TwoPixelRingsOnePixelApartCoverEverything) {
  const int width = 20, height = 14;
  Bitmap24 rings(width, height);
  for (int i = 0; i <= 12; ++i) DrawEllipse(rings, {-i, -i, width + i, height + i}, Pen{kBlack, 2}, std::nullopt);
  Bitmap24 expected(width, height, kBlack);
  DrawEllipse(expected, {1, 1, width - 1, height - 1}, std::nullopt, kWhite);
  EXPECT_EQ(Art(rings), Art(expected));
}

// ---- Polygons ---------------------------------------------------------------------------------

TEST(CanvasPolygons, SquareFillAndOutline) {
  const std::array<Point, 4> square = {Point{1, 1}, Point{5, 1}, Point{5, 4}, Point{1, 4}};
  Bitmap24 filled(7, 6);
  DrawPolygon(filled, square, std::nullopt, kRed);
  EXPECT_EQ(Art(filled), Art({".......",
                              ".rrrr..",
                              ".rrrr..",
                              ".rrrr..",
                              ".......",
                              "......."}));
  Bitmap24 outlined(7, 6);
  DrawPolygon(outlined, square, Pen{kBlack, 1}, kRed);
  EXPECT_EQ(Art(outlined), Art({".......",
                                ".#####.",
                                ".#rrr#.",
                                ".#rrr#.",
                                ".#####.",
                                "......."}));
}

TEST(CanvasPolygons, AlternateRuleLeavesThePentagramCentreOpen) {
  // Tips of a five-pointed star, joined every second point.
  const std::array<Point, 5> star = {Point{8, 0}, Point{13, 15}, Point{0, 5}, Point{16, 5}, Point{3, 15}};
  Bitmap24 picture(17, 16);
  DrawPolygon(picture, star, std::nullopt, kBlack);
  for (const Point centre : {Point{7, 8}, Point{8, 8}, Point{8, 7}}) {
    EXPECT_EQ(picture.Pixel(centre.x, centre.y), kWhite) << centre.x << "," << centre.y;
  }
  for (const Point tip : {Point{8, 2}, Point{2, 5}, Point{14, 5}, Point{4, 13}, Point{11, 13}}) {
    EXPECT_EQ(picture.Pixel(tip.x, tip.y), kBlack) << tip.x << "," << tip.y;
  }

  // A self-crossing quadrilateral fills both of its lobes.
  const std::array<Point, 4> bowTie = {Point{0, 0}, Point{6, 4}, Point{6, 0}, Point{0, 4}};
  Bitmap24 tie(6, 4);
  DrawPolygon(tie, bowTie, std::nullopt, kBlack);
  EXPECT_EQ(Art(tie), Art({"#....#",
                           "##..##",
                           "##..##",
                           "#....#"}));
}

// The scanline fill against a slow per-pixel even-odd test of every pixel centre, on random
// polygons whose points also lie outside the picture.
TEST(CanvasPolygons, FillMatchesPerPixelEvenOddTest) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(-6, 21);
  std::uniform_int_distribution<int> pointCount(3, 9);
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<Point> points(static_cast<std::size_t>(pointCount(random)));
    for (Point& point : points) point = {coordinate(random), coordinate(random)};
    Bitmap24 picture(16, 16);
    DrawPolygon(picture, points, std::nullopt, kBlack);

    Bitmap24 expected(16, 16);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        // Count edges crossing the centre's row at or left of the centre (x + ½, y + ½).
        int crossings = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
          Point a = points[i], b = points[(i + 1) % points.size()];
          if (a.y > b.y) std::swap(a, b);
          if (!(a.y <= y && y < b.y)) continue;
          const long long rise = b.y - a.y;
          if ((2LL * x + 1) * rise >= 2LL * a.x * rise + (2LL * y + 1 - 2LL * a.y) * (b.x - a.x)) ++crossings;
        }
        if (crossings % 2 == 1) expected.SetPixel(x, y, kBlack);
      }
    }
    ASSERT_EQ(Art(picture), Art(expected)) << "trial " << trial;
  }
}

TEST(CanvasPolygons, HugeTriangleCoversThePicture) {
  const std::array<Point, 3> triangle = {Point{-1000000000, -1000000000}, Point{1000000000, -1000000000},
                                         Point{0, 1000000000}};
  Bitmap24 picture(8, 8);
  DrawPolygon(picture, triangle, Pen{kBlack, 3}, kRed);
  EXPECT_EQ(picture, Bitmap24(8, 8, kRed));
}

// ---- Clipping ---------------------------------------------------------------------------------

// Each shape drawn straight onto a small picture must equal the same shape drawn onto a large
// picture and cut out, for windows that cut the shape at every edge.
TEST(CanvasClipping, SmallPictureEqualsCutOfLargePicture) {
  using Draw = std::function<void(Bitmap24&, int, int)>;  // picture, shift x, shift y
  const std::vector<std::pair<const char*, Draw>> shapes = {
      {"fill", [](Bitmap24& p, int dx, int dy) { FillRect(p, {dx - 3, dy + 2, dx + 11, dy + 5}, kBlack); }},
      {"frame", [](Bitmap24& p, int dx, int dy) { FrameRect(p, {dx - 2, dy - 2, dx + 5, dy + 10}, kBlack); }},
      {"wide rectangle",
       [](Bitmap24& p, int dx, int dy) { DrawRectangle(p, {dx - 1, dy + 1, dx + 9, dy + 6}, Pen{kBlack, 3}, kRed); }},
      {"line", [](Bitmap24& p, int dx, int dy) { DrawLine(p, {dx - 5, dy + 9}, {dx + 12, dy - 3}, Pen{kBlack, 1}); }},
      {"steep line",
       [](Bitmap24& p, int dx, int dy) { DrawLine(p, {dx + 2, dy - 6}, {dx + 6, dy + 13}, Pen{kBlack, 1}); }},
      {"wide line", [](Bitmap24& p, int dx, int dy) { DrawLine(p, {dx + 9, dy - 2}, {dx - 2, dy + 7}, Pen{kBlack, 4}); }},
      {"ellipse",
       [](Bitmap24& p, int dx, int dy) { DrawEllipse(p, {dx - 4, dy - 3, dx + 11, dy + 9}, Pen{kBlack, 1}, kRed); }},
      {"ellipse ring",
       [](Bitmap24& p, int dx, int dy) { DrawEllipse(p, {dx - 6, dy - 1, dx + 13, dy + 7}, Pen{kBlack, 3}, std::nullopt); }},
      {"polygon",
       [](Bitmap24& p, int dx, int dy) {
         const std::array<Point, 4> points = {Point{dx - 4, dy + 1}, Point{dx + 10, dy - 3}, Point{dx + 12, dy + 11},
                                              Point{dx + 3, dy + 5}};
         DrawPolygon(p, points, Pen{kBlack, 1}, kRed);
       }},
  };
  for (const auto& [name, draw] : shapes) {
    for (const Point window : {Point{0, 0}, Point{-4, 0}, Point{4, 0}, Point{0, -4}, Point{0, 4}, Point{-3, 5}}) {
      SCOPED_TRACE(std::string(name) + " window " + std::to_string(window.x) + "," + std::to_string(window.y));
      const int margin = 20;
      Bitmap24 large(48, 48);
      draw(large, margin, margin);
      Bitmap24 small(8, 8);
      draw(small, -window.x, -window.y);
      EXPECT_EQ(Art(small), Art(Crop(large, margin + window.x, margin + window.y, 8, 8)));
    }
  }
}

// ---- Flood fill -------------------------------------------------------------------------------

TEST(CanvasFloodFill, StopsAtTheRingAndAtDiagonalGaps) {
  Bitmap24 ring = PictureOf({"........",
                             ".######.",
                             ".#....#.",
                             ".#....#.",
                             ".######.",
                             "........"});
  Bitmap24 inside = ring;
  FloodFill(inside, 3, 2, kRed);
  EXPECT_EQ(Art(inside), Art({"........",
                              ".######.",
                              ".#rrrr#.",
                              ".#rrrr#.",
                              ".######.",
                              "........"}));
  Bitmap24 outside = ring;
  FloodFill(outside, 0, 5, kRed);
  EXPECT_EQ(Art(outside), Art({"rrrrrrrr",
                               "r######r",
                               "r#....#r",
                               "r#....#r",
                               "r######r",
                               "rrrrrrrr"}));

  // Pixels that touch only at corners are not connected.
  Bitmap24 diagonal = PictureOf({"#.....",
                                 ".#....",
                                 "..#...",
                                 "...#..",
                                 "....#.",
                                 ".....#"});
  FloodFill(diagonal, 5, 0, kRed);
  EXPECT_EQ(Art(diagonal), Art({"#rrrrr",
                                ".#rrrr",
                                "..#rrr",
                                "...#rr",
                                "....#r",
                                ".....#"}));
  FloodFill(diagonal, 2, 2, kBlue);  // only the single start pixel of the diagonal changes
  EXPECT_EQ(diagonal.Pixel(2, 2), kBlue);
  EXPECT_EQ(diagonal.Pixel(1, 1), kBlack);
  EXPECT_EQ(diagonal.Pixel(3, 3), kBlack);
}

TEST(CanvasFloodFill, NothingHappensForTheSameColourOrOutside) {
  const Bitmap24 original = PictureOf({"#..", ".#.", "..r"});
  Bitmap24 picture = original;
  FloodFill(picture, 1, 0, kWhite);
  FloodFill(picture, 2, 2, kRed);
  FloodFill(picture, -1, 0, kBlue);
  FloodFill(picture, 0, 3, kBlue);
  EXPECT_EQ(picture, original);
}

// The scanline fill against a plain breadth-first search, on random two-colour pictures.
TEST(CanvasFloodFill, MatchesBreadthFirstSearch) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 100; ++trial) {
    const int width = 3 + static_cast<int>(random() % 14), height = 3 + static_cast<int>(random() % 14);
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (random() % 100 < 40) picture.SetPixel(x, y, kBlack);
      }
    }
    const int startX = static_cast<int>(random() % width), startY = static_cast<int>(random() % height);

    Bitmap24 expected = picture;
    const Colour target = picture.Pixel(startX, startY);
    std::queue<Point> queue;
    queue.push({startX, startY});
    expected.SetPixel(startX, startY, kRed);
    while (!queue.empty()) {
      const Point p = queue.front();
      queue.pop();
      for (const Point step : {Point{1, 0}, Point{-1, 0}, Point{0, 1}, Point{0, -1}}) {
        const int x = p.x + step.x, y = p.y + step.y;
        if (expected.InBounds(x, y) && expected.Pixel(x, y) == target) {
          expected.SetPixel(x, y, kRed);
          queue.push({x, y});
        }
      }
    }

    FloodFill(picture, startX, startY, kRed);
    ASSERT_EQ(Art(picture), Art(expected)) << "trial " << trial;
  }
}

// ---- Copies -----------------------------------------------------------------------------------

// 1:1 copies against a per-pixel copy, for source and destination rectangles cut at every edge.
TEST(CanvasCopies, CopyClipsToBothPictures) {
  Bitmap24 source(6, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) source.SetPixel(x, y, MakeColour(40 * x, 50 * y, 7));
  }
  const std::vector<std::pair<Point, Rect>> cases = {
      {{1, 1}, {0, 0, 6, 5}},  {{-2, 3}, {0, 0, 6, 5}}, {{4, -3}, {1, 1, 5, 4}},
      {{2, 2}, {-3, -2, 4, 9}}, {{-9, 0}, {0, 0, 6, 5}}, {{0, 0}, {4, 3, 2, 1}},
  };
  for (const auto& [at, rect] : cases) {
    SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y));
    Bitmap24 destination(7, 6, 0x123456);
    Bitmap24 expected = destination;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) {
        if (source.InBounds(x, y)) expected.SetPixel(at.x + x - rect.left, at.y + y - rect.top, source.Pixel(x, y));
      }
    }
    CopyRect(destination, at.x, at.y, source, rect);
    EXPECT_EQ(destination, expected);
  }

  // Overlapping copy within one picture reads the pixels as they were before the copy.
  for (const Point shift : {Point{1, 1}, Point{-1, -1}, Point{2, -1}}) {
    Bitmap24 picture = source;
    Bitmap24 expected = source;
    CopyRect(expected, shift.x, shift.y, Bitmap24(source), {0, 0, 6, 5});
    CopyRect(picture, shift.x, shift.y, picture, {0, 0, 6, 5});
    EXPECT_EQ(picture, expected);
  }

  Bitmap24 drawn(8, 8);
  DrawPicture(drawn, 6, -1, PictureOf({"rg", "b#"}));
  EXPECT_EQ(drawn.Pixel(6, 0), kBlue);
  EXPECT_EQ(drawn.Pixel(7, 0), kBlack);
  EXPECT_EQ(drawn.Pixel(6, 1), kWhite);
}

struct StretchCase {
  const char* name;
  std::vector<std::string> source;
  Rect destination;
  std::string expected;
};

TEST(CanvasCopies, StretchEnlargesNearestAndShrinksByAnd) {
  const std::vector<StretchCase> cases = {
      {"enlarge", {"rg", "b#"}, {0, 0, 4, 4}, Art({"rrgg", "rrgg", "bb##", "bb##"})},
      {"enlarge unevenly", {"rgb"}, {0, 0, 7, 1}, Art({"rrrggbb"})},
      {"checkerboard halved", {"#.#.", ".#.#", "#.#.", ".#.#"}, {0, 0, 2, 2}, Art({"##", "##"})},
      {"white stays white", {"....", "...."}, {0, 0, 2, 1}, Art({".."})},
      {"red and white", {"r.", ".."}, {0, 0, 1, 1}, Art({"r"})},
      {"red and green", {"rg"}, {0, 0, 1, 1}, Art({"#"})},
      {"one pixel less merges the first two", {"..#r"}, {0, 0, 3, 1}, Art({".#r"})},
      {"wider and lower", {"r.", "..", "#.", ".."}, {0, 0, 4, 2}, Art({"rr..", "##.."})},
  };
  for (const StretchCase& stretch : cases) {
    SCOPED_TRACE(stretch.name);
    const Bitmap24 source = PictureOf(stretch.source);
    Bitmap24 destination(8, 4);
    StretchDraw(destination, stretch.destination, source);
    EXPECT_EQ(Art(Crop(destination, 0, 0, stretch.destination.right, stretch.destination.bottom)), stretch.expected);
  }
}

TEST(CanvasCopies, StretchClipsToBothPictures) {
  const Bitmap24 source = PictureOf({"rg", "b#"});
  Bitmap24 destination(4, 3);
  StretchDraw(destination, {-2, -2, 6, 6}, source);  // 4 × 4 blocks, the picture shows the middle
  EXPECT_EQ(Art(destination), Art({"rrgg", "rrgg", "bb##"}));

  // Destination pixels whose source lies outside the source picture keep their colour.
  Bitmap24 partly(4, 2);
  StretchCopy(partly, {0, 0, 4, 2}, source, {1, -1, 3, 1});
  EXPECT_EQ(Art(partly), Art({"....", "gg.."}));

  Bitmap24 unchanged(3, 3);
  StretchCopy(unchanged, {0, 0, 3, 3}, source, {2, 0, 2, 2});  // empty source rectangle
  StretchCopy(unchanged, {5, 5, 9, 9}, source, {0, 0, 2, 2});  // destination outside
  EXPECT_EQ(unchanged, Bitmap24(3, 3));
}

// ---- Brush pictures with alpha ------------------------------------------------------------------

Bitmap32 BrushPixel(Colour colour, int alpha) {
  Bitmap32 brush(1, 1);
  std::uint8_t* pixel = brush.Row(0);
  pixel[0] = static_cast<std::uint8_t>(BlueOf(colour));
  pixel[1] = static_cast<std::uint8_t>(GreenOf(colour));
  pixel[2] = static_cast<std::uint8_t>(RedOf(colour));
  pixel[3] = static_cast<std::uint8_t>(alpha);
  return brush;
}

struct AlphaCase {
  Colour brush;
  int alpha;
  Colour under;
  std::optional<Colour> tint;
  Colour expected;
};

TEST(CanvasAlpha, StraightAlphaOverWithRounding) {
  const std::vector<AlphaCase> cases = {
      {kBlack, 0, kWhite, std::nullopt, kWhite},
      {kBlack, 255, kWhite, std::nullopt, kBlack},
      {kBlack, 128, kWhite, std::nullopt, 0x7F7F7F},     // (255·127 + 127) div 255 = 127
      {kWhite, 128, kBlack, std::nullopt, 0x808080},     // (255·128 + 127) div 255 = 128
      {0x0A1464, 77, 0x3C2814, std::nullopt, 0x2D222C},  // per channel: red 44, green 34, blue 45
      {kBlack, 255, kWhite, kRed, kRed},
      {kBlack, 128, kWhite, kRed, 0x7F7FFF},
  };
  for (const AlphaCase& blend : cases) {
    Bitmap24 picture(1, 1, blend.under);
    DrawAlphaOver(picture, 0, 0, BrushPixel(blend.brush, blend.alpha), blend.tint);
    EXPECT_EQ(picture.Pixel(0, 0), blend.expected) << std::hex << blend.brush << " alpha " << std::dec << blend.alpha;
  }
}

TEST(CanvasAlpha, PremultipliedOver) {
  const std::vector<AlphaCase> cases = {
      {0x646464, 128, 0xC8C8C8, std::nullopt, 0xC8C8C8},  // 100 + (200·127 + 127) div 255
      {kBlack, 0, 0x123456, std::nullopt, 0x123456},
      {0xFFFFFF, 128, kWhite, std::nullopt, kWhite},       // held at 255
      {0x0000FF, 255, kBlue, std::nullopt, kRed},
  };
  for (const AlphaCase& blend : cases) {
    Bitmap24 picture(1, 1, blend.under);
    DrawPremultipliedOver(picture, 0, 0, BrushPixel(blend.brush, blend.alpha));
    EXPECT_EQ(picture.Pixel(0, 0), blend.expected) << std::hex << blend.brush;
  }
}

TEST(CanvasAlpha, BrushClipsAtEveryEdge) {
  Bitmap32 brush(3, 3, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) brush.Row(y)[4 * x + 3] = 255;
  }
  Bitmap24 picture(5, 5);
  for (const Point at : {Point{-2, -2}, Point{4, -1}, Point{-1, 4}, Point{3, 3}, Point{9, 0}, Point{0, -3}}) {
    DrawAlphaOver(picture, at.x, at.y, brush, kBlack);
  }
  EXPECT_EQ(Art(picture), Art({"#...#",
                               "....#",
                               ".....",
                               "...##",
                               "##.##"}));
}

}  // namespace
}  // namespace atelion
