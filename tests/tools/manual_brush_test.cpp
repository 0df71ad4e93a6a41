#include "tools/manual_brush.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "core/canvas.h"
#include "styles/catalogue.h"
#include "styles/sketch/sketch_brushes.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::NoisySyntheticPhoto;
using testing_support::SyntheticPhoto;

// A mask of one grey per pixel (red = green = blue = v).
Bitmap24 GreyMask(int width, int height, int (*value)(int u, int r)) {
  Bitmap24 mask(width, height);
  for (int r = 0; r < height; ++r) {
    for (int u = 0; u < width; ++u) {
      const int v = value(u, r);
      mask.SetPixel(u, r, MakeColour(v, v, v));
    }
  }
  return mask;
}

TEST(BrushShape, IsASoftRoundBrushDarkInTheMiddleAndWhiteOutside) {
  const Bitmap24& shape = BrushShape();
  ASSERT_EQ(shape.Width(), kBrushShapeSide);
  ASSERT_EQ(shape.Height(), kBrushShapeSide);
  EXPECT_EQ(RedOf(shape.Pixel(100, 100)), 0);
  for (const Point corner : {Point{0, 0}, Point{199, 0}, Point{0, 199}, Point{199, 199}, Point{0, 100}}) {
    EXPECT_EQ(RedOf(shape.Pixel(corner.x, corner.y)), 255);
  }
  // From the core to the rim the grey only lightens, through many in-between values (a soft edge),
  // and the shape is round: the same along the row and the column through the centre.
  int previous = 0, greys = 0;
  for (int x = 100; x < kBrushShapeSide; ++x) {
    const int v = RedOf(shape.Pixel(x, 100));
    EXPECT_GE(v, previous) << x;
    EXPECT_EQ(v, RedOf(shape.Pixel(100, x))) << x;
    EXPECT_EQ(v, RedOf(shape.Pixel(199 - x, 99))) << x;
    if (v > 0 && v < 255) ++greys;
    previous = v;
  }
  EXPECT_GT(greys, 40);
}

TEST(BrushMask, TakesTheEvenSideOfTheSizeAndDoublesWithX2) {
  struct Case {
    BrushSettings brush;
    int side;
  };
  for (const Case& c : {Case{{.size = 5}, 6}, Case{{.size = 99}, 100}, Case{{.size = 100}, 100},
                        Case{{.size = 199, .doubled = true}, 398}, Case{{.size = 99, .doubled = true}, 198}, Case{{.size = 1}, 6}, Case{{.size = 500}, 200}}) {
    SCOPED_TRACE(c.brush.size);
    const Bitmap24 mask = BuildBrushMask(BrushShape(), c.brush);
    EXPECT_EQ(mask.Width(), c.side);
    EXPECT_EQ(mask.Height(), c.side);
  }
  // The doubled mask of the largest brush: 398 × 398, dark in its middle.
  const Bitmap24 doubled = BuildBrushMask(BrushShape(), {.size = 199, .doubled = true});
  EXPECT_EQ(doubled.Width(), 398);
  EXPECT_LT(RedOf(doubled.Pixel(199, 199)), 10);
  EXPECT_EQ(RedOf(doubled.Pixel(0, 0)), 255);
}

TEST(BrushPreviewPicture, ShowsTheShapeAtItsSizeLightenedByTheIntensityInTheMiddle) {
  for (const BrushSettings brush : {BrushSettings{.size = 99, .intensity = 100}, BrushSettings{.size = 40, .intensity = 5},
                                    BrushSettings{.size = 199, .intensity = 50, .doubled = true}}) {
    SCOPED_TRACE(brush.size);
    const Bitmap24 preview = BrushPreviewPicture(BrushShape(), brush);
    ASSERT_EQ(preview.Width(), 200);
    ASSERT_EQ(preview.Height(), 200);
    EXPECT_EQ(preview.Pixel(0, 0), 0xFFFFFFu);
    // The middle: the shape's black lightened to ((100 − i) · 255) div 100.
    EXPECT_NEAR(RedOf(preview.Pixel(100, 100)), ((100 - brush.intensity) * 255) / 100, 2);
    // Outside the drawn square everything is white.
    const int left = 100 - brush.size / 2;
    if (left > 0) EXPECT_EQ(preview.Pixel(left - 1, 100), 0xFFFFFFu);
  }
}

TEST(BrushCursorSide, FollowsTheZoomWithinItsBoundsAndDoublesWithX2) {
  struct Case {
    int zoom;
    BrushSettings brush;
    int side;
  };
  for (const Case& c : {Case{100, {.size = 99}, 83}, Case{100, {.size = 5}, 17}, Case{1000, {.size = 199}, 251},
                        Case{50, {.size = 99, .doubled = true}, 2 * 41 + 1}, Case{400, {.size = 199, .doubled = true}, 501},
                        Case{0, {.size = 99}, 17}}) {
    EXPECT_EQ(BrushCursorSide(c.zoom, c.brush), c.side) << c.zoom << " " << c.brush.size;
  }
}

TEST(BrushStrength, FullIntensityTakesTheMaskAndTheFaintestNeverGoesBelow242) {
  for (int red = 0; red < 256; ++red) {
    EXPECT_EQ(BrushStrength(red, 100), red);
    EXPECT_GE(BrushStrength(red, 5), 242) << red;
    EXPECT_EQ(BrushStrength(red, 50), (50 * red) / 100 + (50 * 255) / 100);
  }
  EXPECT_EQ(BrushStrength(0, 5), 242);
  // Intensities outside the slider count as its ends.
  EXPECT_EQ(BrushStrength(0, 0), 242);
  EXPECT_EQ(BrushStrength(0, 400), 0);
}

TEST(StampBrush, TintsUnderTheMaskAndLowersTheMapAsTheLiteralRuleSays) {
  // A 6 × 4 mask with a soft edge: 0 in the middle, greys, then 250 and 255 (no tint there).
  const Bitmap24 mask = GreyMask(6, 4, [](int u, int r) {
    static constexpr int kValues[4][6] = {{255, 250, 200, 200, 250, 255},
                                          {250, 120, 0, 0, 120, 250},
                                          {250, 120, 0, 0, 120, 250},
                                          {255, 250, 200, 200, 250, 255}};
    return kValues[r][u];
  });
  for (const int intensity : {100, 5, 60}) {
    SCOPED_TRACE(intensity);
    Bitmap24 P(6, 4, MakeColour(90, 200, 10));
    BrushMap map(20, 20);
    map.Lower(3, 3, 100);  // an earlier stamp, stronger than some of these
    StampBrush(P, 2, 2, mask, intensity, map);
    for (int r = 0; r < 4; ++r) {
      for (int u = 0; u < 6; ++u) {
        const int m = RedOf(mask.Pixel(u, r));
        Colour expected = MakeColour(90, 200, 10);
        if (m < 250) expected = MakeColour(std::max(90, 150 - m), std::min(200, 3 * m), std::max(10, 150 - m));
        EXPECT_EQ(P.Pixel(u, r), expected) << u << "," << r;
        const int strength = (intensity * m) / 100 + ((100 - intensity) * 255) / 100;
        const int before = (u == 1 && r == 1) ? 100 : 255;
        EXPECT_EQ(map.At(2 + u, 2 + r), std::min(before, strength)) << u << "," << r;
      }
    }
    // Nothing outside the mask's square is marked.
    EXPECT_EQ(map.At(1, 2), 255);
    EXPECT_EQ(map.At(8, 2), 255);
    EXPECT_EQ(map.At(2, 6), 255);
  }
}

TEST(StampBrush, AStrokeAcrossThePicturesEdgeWritesOnlyInsideThePicture) {
  const Bitmap24 mask = GreyMask(8, 8, [](int, int) { return 0; });
  struct Case {
    Point centre;
    Rect changed;  // the part of the 10 × 6 picture under the mask
  };
  for (const Case& c : {Case{{0, 0}, {0, 0, 4, 4}}, Case{{9, 5}, {5, 1, 10, 6}}, Case{{5, -3}, {1, 0, 9, 1}},
                        Case{{30, 3}, {}}, Case{{-4, 3}, {0, 0, 0, 0}}}) {
    SCOPED_TRACE(testing::Message() << c.centre.x << "," << c.centre.y);
    Bitmap24 shown(10, 6, MakeColour(10, 200, 20));
    BrushMap map(10, 6);
    const Rect changed = StampAt(shown, c.centre.x, c.centre.y, mask, 100, map);
    EXPECT_EQ(changed, c.changed);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 10; ++x) {
        const bool inside = x >= c.changed.left && x < c.changed.right && y >= c.changed.top && y < c.changed.bottom;
        EXPECT_EQ(map.At(x, y), inside ? 0 : 255) << x << "," << y;
        EXPECT_EQ(shown.Pixel(x, y), inside ? MakeColour(150, 0, 150) : MakeColour(10, 200, 20)) << x << "," << y;
      }
    }
  }
  // The map ignores entries outside it.
  BrushMap map(3, 3);
  map.Lower(-1, 0, 0);
  map.Lower(3, 1, 0);
  map.Lower(1, 3, 0);
  EXPECT_FALSE(map.MarkedRectangle().has_value());
}

TEST(BrushMap, MarkedRectangleIsWidenedByTenOnlyAsFarAsThePictureAllows) {
  struct Case {
    std::vector<Point> marked;
    std::optional<Rect> rect;
  };
  const std::vector<Case> cases = {
      {{}, std::nullopt},
      {{{50, 40}}, Rect{40, 30, 61, 51}},
      {{{2, 3}}, Rect{0, 0, 13, 14}},
      {{{99, 79}}, Rect{89, 69, 100, 80}},
      {{{0, 79}, {99, 0}}, Rect{0, 0, 100, 80}},
      {{{30, 20}, {60, 50}, {45, 70}}, Rect{20, 10, 71, 80}},
  };
  for (const Case& c : cases) {
    BrushMap map(100, 80);
    for (const Point p : c.marked) map.Lower(p.x, p.y, 254);
    EXPECT_EQ(map.MarkedRectangle(), c.rect);
    map.Reset();
    EXPECT_FALSE(map.MarkedRectangle().has_value());
  }
}

// The rectangle the map keeps while it is lowered, against a scan of every entry.
TEST(BrushMap, MarkedRectangleMatchesAScanOfEveryEntry) {
  const Bitmap24 mask = BuildBrushMask(BrushShape(), {.size = 17});
  std::uint32_t seed = 12345;
  auto next = [&seed](int n) {
    seed = seed * 134775813u + 1u;
    return static_cast<int>((static_cast<std::uint64_t>(seed) * n) >> 32);
  };
  for (int trial = 0; trial < 20; ++trial) {
    BrushMap map(90, 70);
    const int stamps = 1 + next(4);
    for (int i = 0; i < stamps; ++i) {
      Bitmap24 P(mask.Width(), mask.Height());
      StampBrush(P, next(130) - 20, next(110) - 20, mask, 5 + next(96), map);
    }
    int top = -1, bottom = -1, left = 90, right = -1;
    for (int y = 0; y < 70; ++y) {
      for (int x = 0; x < 90; ++x) {
        if (map.At(x, y) == 255) continue;
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    const std::optional<Rect> rect = map.MarkedRectangle();
    if (top < 0) {
      EXPECT_FALSE(rect.has_value());
      continue;
    }
    EXPECT_EQ(rect, (Rect{std::max(0, left - 10), std::max(0, top - 10), std::min(90, right + 11),
                          std::min(70, bottom + 11)}));
    // A part of the map keeps its own marks.
    const BrushMap part = map.Part(*rect);
    EXPECT_EQ(part.MarkedRectangle(0),
              (Rect{left - rect->left, top - rect->top, right + 1 - rect->left, bottom + 1 - rect->top}));
  }
}

TEST(BlendStroke, MixesStyleAndDrawingByTheMapExactly) {
  Bitmap24 R(4, 1, MakeColour(100, 0, 255));
  const Bitmap24 T(4, 1, MakeColour(200, 255, 0));
  BrushMap map(4, 1);
  map.Lower(0, 0, 0);
  map.Lower(1, 0, 128);
  map.Lower(2, 0, 242);
  BlendStroke(R, T, map);
  for (int i = 0; i < 4; ++i) {
    const int b = map.At(i, 0);
    EXPECT_EQ(R.Pixel(i, 0), MakeColour((200 * (255 - b) + 100 * b) / 255, (255 * (255 - b)) / 255, (255 * b) / 255));
  }
  EXPECT_EQ(R.Pixel(0, 0), MakeColour(200, 255, 0));   // full strength: the style
  EXPECT_EQ(R.Pixel(3, 0), MakeColour(100, 0, 255));   // untouched: the drawing
}

TEST(PictureOffset, CentresAFramedDrawingAndFollowsAPictureFrame) {
  struct Case {
    int rw, rh, sw, sh;
    Point framed;
    int margin;
    Point offset;
  };
  for (const Case& c : {Case{100, 80, 100, 80, {}, 0, {0, 0}}, Case{140, 100, 100, 80, {}, 0, {20, 10}},
                        Case{141, 101, 100, 80, {}, 0, {20, 10}}, Case{140, 80, 100, 80, {}, 0, {0, 0}},
                        Case{60, 40, 100, 80, {}, 0, {0, 0}}, Case{200, 200, 100, 80, {3, -2}, 41, {23, 18}}}) {
    EXPECT_EQ(PictureOffset(c.rw, c.rh, c.sw, c.sh, c.framed, c.margin), c.offset);
  }
}

TEST(CutStrokeParts, TakesTheMatchingSpotOfThePhotographUnderAFramedDrawing) {
  const Bitmap24 source = SyntheticPhoto(40, 30);
  // The drawing: the photograph inside a frame of 10 pixels.
  Bitmap24 result(60, 50, MakeColour(20, 20, 20));
  DrawPicture(result, 10, 10, source);
  const Point offset = PictureOffset(60, 50, 40, 30);
  ASSERT_EQ(offset, (Point{10, 10}));
  BrushMap map(60, 50);
  map.Lower(25, 25, 0);  // rectangle 15..36 × 15..36 of the drawing
  for (const int effectId : {kPencilSketch1EffectId, kMergeEffectId}) {
    const std::optional<StrokeParts> parts = CutStrokeParts(source, result, map, offset, effectId);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->rect, (Rect{15, 15, 36, 36}));
    for (int y = 0; y < 21; ++y) {
      for (int x = 0; x < 21; ++x) {
        EXPECT_EQ(parts->S.Pixel(x, y), result.Pixel(15 + x, 15 + y)) << x << "," << y;
        EXPECT_EQ(parts->R.Pixel(x, y), result.Pixel(15 + x, 15 + y));
      }
    }
    EXPECT_EQ(parts->T, effectId == kMergeEffectId ? parts->R : parts->S);
    EXPECT_EQ(parts->map.At(10, 10), 0);
  }
  // A stroke on the frame's corner: the part reaching past the photograph keeps the frame's pixels.
  map.Reset();
  map.Lower(2, 2, 0);
  const std::optional<StrokeParts> corner = CutStrokeParts(source, result, map, offset, kPencilSketch1EffectId);
  ASSERT_TRUE(corner.has_value());
  EXPECT_EQ(corner->rect, (Rect{0, 0, 13, 13}));
  EXPECT_EQ(corner->S.Pixel(0, 0), MakeColour(20, 20, 20));
  EXPECT_EQ(corner->S.Pixel(12, 12), source.Pixel(2, 2));
}

// Every style's brush branch on a small patch: the drawing changes inside the brushed spot, and
// nowhere the map left untouched.
TEST(ProcessManualBrush, EveryStylePaintsOnlyTheBrushedArea) {
  const Bitmap24 source = NoisySyntheticPhoto(120, 90);
  const Bitmap24 drawing(120, 90, MakeColour(40, 160, 90));
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    SCOPED_TRACE(EffectName(effectId));
    ManualBrushStroke stroke;
    stroke.Begin(drawing, BrushShape(), {.size = 25});
    Bitmap24 shown = drawing;
    for (int x = 40; x <= 70; x += 5) stroke.Stamp(shown, x, 45);
    EXPECT_NE(shown, drawing);  // the pink tint
    const BrushMap map = stroke.Map();
    Bitmap24 before;
    std::optional<StrokeParts> parts = stroke.Finish(source, {0, 0}, effectId, before);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(before, drawing);
    // Around the stamps (centres 40 … 70 on row 45, mask side 26), widened by 10.
    EXPECT_GE(parts->rect.left, 27 - 10);
    EXPECT_LE(parts->rect.left, 40 - 10);
    EXPECT_GE(parts->rect.top, 32 - 10);
    EXPECT_LE(parts->rect.top, 45 - 10);
    EXPECT_LE(parts->rect.right, 83 + 10);
    EXPECT_GE(parts->rect.right, 71 + 10);
    EXPECT_LE(parts->rect.bottom, 58 + 10);
    EXPECT_GE(parts->rect.bottom, 46 + 10);
    StyleSettings settings{.effectId = effectId, .sliders = FactoryDefaults(effectId),
                           .sourceMean = ComputeMeanColour(source), .sourceWidth = 120, .sourceHeight = 90,
                           .result = &drawing};
    RunContext context;
    context.Rng.RandomSeed = 7;
    ASSERT_TRUE(ComputeStroke(*parts, effectId, settings, {}, context));
    ASSERT_EQ(parts->T.Width(), parts->S.Width());
    ASSERT_EQ(parts->T.Height(), parts->S.Height());
    Bitmap24 painted = drawing;
    DrawPicture(painted, parts->rect.left, parts->rect.top, parts->R);
    int changedInside = 0;
    for (int y = 0; y < 90; ++y) {
      for (int x = 0; x < 120; ++x) {
        if (map.At(x, y) == 255) {
          ASSERT_EQ(painted.Pixel(x, y), drawing.Pixel(x, y)) << x << "," << y;
        } else if (painted.Pixel(x, y) != drawing.Pixel(x, y)) {
          ++changedInside;
        }
      }
    }
    EXPECT_GT(changedInside, 200);
  }
}

TEST(ProcessManualBrush, AStyleNumberWithoutABranchLeavesTheOutputAlone) {
  Bitmap24 S(4, 4, 0x808080), T = S;
  RunContext context;
  EXPECT_FALSE(ProcessManualBrush(-1, S, T, {}, {}, context));
  EXPECT_FALSE(ProcessManualBrush(kEffectCount, S, T, {}, {}, context));
  EXPECT_EQ(T, S);
}

TEST(PenandInkBrush, DrawsHatchingForFlatToneAndDarkLinesAtEdges) {
  // Left half black, right half white, in a 30 × 10 patch: the edge column is dark, the flat
  // parts are hatched (dark) or left white (L 9 and 10).
  Bitmap24 S(30, 10, 0xFFFFFF);
  FillRect(S, {0, 0, 15, 10}, 0);
  Bitmap24 D;
  StyleSettings settings{.sliders = FactoryDefaults(kPenAndInkSketch1EffectId)};
  RunContext context;
  PenandInkBrush(S, D, settings, {}, context);
  ASSERT_EQ(D.Width(), 30);
  ASSERT_EQ(D.Height(), 10);
  EXPECT_EQ(context.Rng.RandomSeed, 1969u);
  for (int x = 0; x < 30; ++x) EXPECT_EQ(D.Pixel(x, 0), 0xFFFFFFu) << x;  // row 0 is never drawn
  int darkAtEdge = 0, whiteOnWhite = 0;
  for (int y = 1; y < 10; ++y) {
    if (RedOf(D.Pixel(15, y)) < 128 || RedOf(D.Pixel(14, y)) < 128) ++darkAtEdge;
    if (D.Pixel(27, y) == 0xFFFFFFu) ++whiteOnWhite;
  }
  EXPECT_EQ(darkAtEdge, 9);
  EXPECT_EQ(whiteOnWhite, 9);
}

// One history step per stroke, and undo gives back the very bytes the stroke changed.
TEST(CommitStroke, RecordsOneHistoryStepPerStrokeAndUndoRestoresTheBytes) {
  Document document;
  document.SourcePicture = NoisySyntheticPhoto(80, 60);
  document.ResultPicture = Bitmap24(80, 60, MakeColour(200, 190, 180));
  ASSERT_TRUE(document.StartHistory().ok());
  // Entering the mode records the drawing, so the brushing can be undone.
  ASSERT_TRUE(document.SaveToHistory(HistoryKind::Result, "mode").ok());
  const Bitmap24 beforeStrokes = document.ResultPicture;
  std::vector<Bitmap24> afterEach;
  for (const int x : {20, 55}) {
    const int position = document.History().Position();
    ManualBrushStroke stroke;
    stroke.Begin(document.ResultPicture, BrushShape(), {.size = 15});
    Bitmap24 shown = document.ResultPicture;
    stroke.Stamp(shown, x, 30);
    Bitmap24 before;
    std::optional<StrokeParts> parts = stroke.Finish(document.SourcePicture, {0, 0}, kVivifyEffectId, before);
    ASSERT_TRUE(parts.has_value());
    RunContext context;
    ASSERT_TRUE(ComputeStroke(*parts, kVivifyEffectId,
                              {.sliders = FactoryDefaults(kVivifyEffectId),
                               .sourceMean = ComputeMeanColour(document.SourcePicture)},
                              {}, context));
    ASSERT_TRUE(CommitStroke(document, *parts, "Vivify photo").ok());
    EXPECT_EQ(document.History().Position(), position + 1);
    afterEach.push_back(document.ResultPicture);
  }
  EXPECT_NE(afterEach[0], beforeStrokes);
  EXPECT_NE(afterEach[1], afterEach[0]);
  RunContext context;
  ASSERT_TRUE(document.undo(context).ok());
  EXPECT_EQ(document.ResultPicture, afterEach[0]);
  ASSERT_TRUE(document.undo(context).ok());
  EXPECT_EQ(document.ResultPicture, beforeStrokes);
  ASSERT_TRUE(document.redo(context).ok());
  EXPECT_EQ(document.ResultPicture, afterEach[0]);
}

}  // namespace
}  // namespace atelion
