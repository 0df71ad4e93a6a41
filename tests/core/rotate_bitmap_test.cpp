#include "core/rotate_bitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#include "core/canvas.h"

namespace atelion {
namespace {

// Every pixel differs from its neighbours in all three channels.
Bitmap24 NumberedPicture(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.SetPixel(x, y, MakeColour((x * 7 + y) & 0xFF, (y * 11 + x * 3) & 0xFF, (x * y + 5) & 0xFF));
    }
  }
  return picture;
}

// The rotation written out step by step, with the library's own rounding: the slow reference
// the fast version must match bit for bit.
Bitmap24 ReferenceRotation(const Bitmap24& source, int angle) {
  const int w = source.Width();
  const int h = source.Height();
  const double theta = -angle * std::numbers::pi / 180.0;
  const double sn = std::sin(theta);
  const double cs = std::cos(theta);
  auto round = [](double v) { return static_cast<long long>(std::nearbyint(v)); };
  int w2 = w, h2 = h;
  if (angle == 30) {
    w2 = static_cast<int>(std::llabs(round(h * sn)) + std::llabs(round(w * cs)));
    h2 = static_cast<int>(std::llabs(round(w * sn)) + std::llabs(round(h * cs)));
  }
  Bitmap24 out(w2, h2, 0x123456);
  const int hw = w / 2, hh = h / 2, ox = (w2 - w) / 2, oy = (h2 - h) / 2;
  for (int j = h2 - 1; j >= 0; --j) {
    for (int i = w2 - 1; i >= 0; --i) {
      const long long ry = 2LL * (j - oy - hh) + 1;
      const long long rx = 2LL * (i - ox - hw) + 1;
      const long long u = round(rx * cs - ry * sn);
      const long long v = round(rx * sn + ry * cs);
      const long long sx = (u - 1) / 2 + hw;
      const long long sy = (v - 1) / 2 + hh;
      if (sx >= 0 && sx <= w - 1 && sy >= 0 && sy <= h - 1) {
        out.SetPixel(i, j, source.Pixel(static_cast<int>(sx), static_cast<int>(sy)));
      } else {
        out.SetPixel(i, j, 0xFFFFFF);
      }
    }
  }
  return out;
}

TEST(RotateBitmap, MatchesTheStepByStepRotationForManySizesAndAngles) {
  const int sizes[][2] = {{1, 1}, {2, 1}, {1, 2}, {3, 3}, {7, 5}, {40, 23}, {64, 64}, {101, 37}, {5, 90}};
  const int angles[] = {30, -30, 0, 1, 17, 45, 90, -90, 135, 180, -211, 359};
  for (const auto& size : sizes) {
    const Bitmap24 source = NumberedPicture(size[0], size[1]);
    for (const int angle : angles) {
      SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1] << " by " << angle);
      RunContext context;
      Bitmap24 turned(3, 3, 0);
      RotateBitmap(source, turned, angle, context);
      ASSERT_EQ(turned, ReferenceRotation(source, angle));
    }
  }
}

TEST(RotateBitmap, OnlyThirtyDegreesEnlargesThePicture) {
  const Bitmap24 source = NumberedPicture(100, 60);
  RunContext context;
  Bitmap24 turned;
  RotateBitmap(source, turned, 30, context);
  // |round(60 · sin −30°)| + |round(100 · cos 30°)| = 30 + 87; |round(100 · sin −30°)| + |round(60 · cos 30°)| = 50 + 52.
  EXPECT_EQ(turned.Width(), 117);
  EXPECT_EQ(turned.Height(), 102);
  for (const int angle : {-30, 31, 29, 45, 90}) {
    RotateBitmap(source, turned, angle, context);
    EXPECT_EQ(turned.Width(), 100) << angle;
    EXPECT_EQ(turned.Height(), 60) << angle;
  }
}

// Where the only black pixel of a picture is; (−1, −1) when there is none.
Point BlackPixel(const Bitmap24& picture) {
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (picture.Pixel(x, y) == 0) return {x, y};
    }
  }
  return {-1, -1};
}

TEST(RotateBitmap, PositiveAnglesTurnClockwiseOnTheScreen) {
  // A black dot 15 pixels above the centre of a white square ends up right of the centre after
  // +90 and left of it after −90; the corners, which come from outside, are white.
  Bitmap24 source(41, 41);
  source.SetPixel(20, 5, 0);
  RunContext context;
  Bitmap24 turned;
  RotateBitmap(source, turned, 90, context);
  Point dot = BlackPixel(turned);
  EXPECT_GE(dot.x, 33);
  EXPECT_NEAR(dot.y, 20, 1);
  RotateBitmap(source, turned, -90, context);
  dot = BlackPixel(turned);
  EXPECT_LE(dot.x, 7);
  EXPECT_NEAR(dot.y, 20, 1);

  const Bitmap24 grey(40, 40, 0x808080);
  RotateBitmap(grey, turned, 45, context);
  EXPECT_EQ(turned.Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(turned.Pixel(39, 39), 0xFFFFFFu);
  EXPECT_EQ(turned.Pixel(20, 20), 0x808080u);
}

TEST(RotateBitmap, TurnsAPictureInPlace) {
  const Bitmap24 source = NumberedPicture(33, 21);
  RunContext context;
  Bitmap24 separate;
  RotateBitmap(source, separate, 30, context);
  Bitmap24 same = source;
  RotateBitmap(same, same, 30, context);
  EXPECT_EQ(same, separate);
}

// Counts the shell's event pumps and can raise the abort flag at a chosen one.
class RecordingShell : public ProgressSink {
 public:
  explicit RecordingShell(RunContext& context, int abortAtPump = -1) : context_(context), abortAtPump_(abortAtPump) {}
  void ShowProgress(int percent, Colour) override { percents.push_back(percent); }
  void PumpEvents() override {
    if (++pumps == abortAtPump_) context_.AbortRequested = true;
  }
  std::vector<int> percents;
  int pumps = 0;

 private:
  RunContext& context_;
  int abortAtPump_;
};

TEST(RotateBitmap, AStopLeavesTheRowsNotYetReachedAsTheyWere) {
  const Bitmap24 source = NumberedPicture(30, 120);
  RunContext context;
  context.Processing = true;
  RecordingShell shell(context, 1);
  context.Progress = &shell;
  Bitmap24 turned(30, 120, 0x010203);
  RotateBitmap(source, turned, 10, context);
  // Rows are written from the bottom; the first pump comes before row 100 and stops the run.
  const Bitmap24 expected = ReferenceRotation(source, 10);
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 30; ++x) {
      ASSERT_EQ(turned.Pixel(x, y), y > 100 ? expected.Pixel(x, y) : 0x010203u) << x << "," << y;
    }
  }

  // Already stopped: the destination takes the new size but no row is written.
  Bitmap24 untouched(4, 4, 0x0A0B0C);
  RotateBitmap(source, untouched, 30, context);
  EXPECT_EQ(untouched.Width(), 86);
  EXPECT_EQ(untouched.Height(), 119);
  EXPECT_EQ(untouched.Pixel(2, 2), 0x0A0B0Cu);
  EXPECT_EQ(untouched.Pixel(50, 100), 0xFFFFFFu);  // added by the resize
}

TEST(RotateBitmap, FullSizeRunsReportTheTurnsThereAndBackOnly) {
  const Bitmap24 source = NumberedPicture(80, 160);
  struct Case {
    int angle;
    bool processing;
    int pumps;
    int lowestPercent, highestPercent;  // −1: no report
  };
  // 30° gives a 149 × 179 picture: rows 150, 100, 50 and 0 report, in phase 1 of 3.
  const Case cases[] = {
      {30, true, 4, ProgressPercent(179 - 150 * 6 / 10, 179, 1, 3), ProgressPercent(179, 179, 1, 3)},
      {-30, true, 4, ProgressPercent(160 - 150 * 6 / 10, 160, 3, 3), ProgressPercent(160, 160, 3, 3) - 1},
      {45, true, 4, -1, -1},
      {30, false, 0, -1, -1},  // a preview is neither reported nor pumped here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.angle << (c.processing ? " full size" : " preview"));
    RunContext context;
    context.Processing = c.processing;
    RecordingShell shell(context);
    context.Progress = &shell;
    Bitmap24 turned;
    RotateBitmap(source, turned, c.angle, context);
    EXPECT_EQ(shell.pumps, c.pumps);
    if (c.lowestPercent < 0) {
      EXPECT_TRUE(shell.percents.empty());
    } else {
      ASSERT_FALSE(shell.percents.empty());
      EXPECT_EQ(shell.percents.front(), c.lowestPercent);
      EXPECT_LE(shell.percents.back(), c.highestPercent);
    }
  }
}

}  // namespace
}  // namespace atelion
