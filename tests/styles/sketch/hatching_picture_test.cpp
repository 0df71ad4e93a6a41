#include "styles/sketch/hatching_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace atelion {
namespace {

// The tone ramp the sketch shades with: mean of each listed column over all rows.
struct RampColumn {
  int column;
  double meanTone;
};
constexpr RampColumn kRamp[] = {{0, 38},    {32, 42},   {64, 49},   {96, 65},   {128, 82},  {160, 92},
                                {192, 121}, {224, 147}, {256, 182}, {288, 201}, {320, 222}, {352, 237},
                                {384, 243}, {416, 250}, {448, 251}, {480, 251}, {511, 251}};

const Bitmap24& Generated() {
  static const Bitmap24 picture = GenerateHatchingPicture();
  return picture;
}

double ColumnMean(const Bitmap24& picture, int x) {
  double sum = 0;
  for (int y = 0; y < picture.Height(); ++y) sum += picture.Row(y)[3 * x];
  return sum / picture.Height();
}

double ColumnSpread(const Bitmap24& picture, int x) {
  const double mean = ColumnMean(picture, x);
  double sum = 0;
  for (int y = 0; y < picture.Height(); ++y) sum += (picture.Row(y)[3 * x] - mean) * (picture.Row(y)[3 * x] - mean);
  return std::sqrt(sum / picture.Height());
}

// Mean spread of the columns first..last.
double SpreadOver(const Bitmap24& picture, int first, int last) {
  double sum = 0;
  for (int x = first; x <= last; ++x) sum += ColumnSpread(picture, x);
  return sum / (last - first + 1);
}

TEST(HatchingPicture, IsAGreyPictureOfTheExpectedSize) {
  const Bitmap24& picture = Generated();
  ASSERT_EQ(picture.Width(), 512);
  ASSERT_EQ(picture.Height(), 166);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const std::uint8_t* p = picture.Row(y) + 3 * x;
      ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
    }
  }
}

TEST(HatchingPicture, ColumnMeansFollowTheToneRamp) {
  const Bitmap24& picture = Generated();
  for (const RampColumn& point : kRamp) {
    EXPECT_NEAR(ColumnMean(picture, point.column), point.meanTone, 3.0) << "column " << point.column;
  }
  // Between the listed columns the tone rises steadily: no column strays from the straight line
  // between its neighbours on the ramp, so every brightness is shaded in order.
  for (std::size_t i = 1; i < std::size(kRamp); ++i) {
    for (int x = kRamp[i - 1].column; x <= kRamp[i].column; ++x) {
      const double t = double(x - kRamp[i - 1].column) / (kRamp[i].column - kRamp[i - 1].column);
      const double expected = kRamp[i - 1].meanTone + t * (kRamp[i].meanTone - kRamp[i - 1].meanTone);
      ASSERT_NEAR(ColumnMean(picture, x), expected, 3.0) << "column " << x;
    }
  }
}

TEST(HatchingPicture, StrokesSpreadTheValuesLikePencilAndTheRightEndIsFlatPaper) {
  const Bitmap24& picture = Generated();
  EXPECT_NEAR(SpreadOver(picture, 0, 31), 11.0, 3.0);     // the dark end
  EXPECT_NEAR(SpreadOver(picture, 176, 288), 22.0, 3.0);  // the middle
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 448; x < picture.Width(); ++x) ASSERT_EQ(picture.Row(y)[3 * x], 251) << x << "," << y;
  }
}

// Correlation of the picture with itself shifted by (dx, dy), over the hatched middle, after the
// tone ramp (each column's mean) is taken away.
double ShiftCorrelation(const Bitmap24& picture, int dx, int dy) {
  std::vector<double> columnMean(picture.Width());
  for (int x = 0; x < picture.Width(); ++x) columnMean[x] = ColumnMean(picture, x);
  auto residual = [&](int x, int y) { return picture.Row(y)[3 * x] - columnMean[x]; };
  double product = 0, squares = 0;
  for (int y = 10; y < picture.Height() - 10; ++y) {
    for (int x = 60; x < 360; ++x) {
      product += residual(x, y) * residual(x + dx, y + dy);
      squares += residual(x, y) * residual(x, y);
    }
  }
  return product / squares;
}

TEST(HatchingPicture, StrokesRunDiagonallyInTwoCrossingDirections) {
  const Bitmap24& picture = Generated();
  // A step of (2, −3) follows the strokes rising to the right, (−2, −3) those falling to the
  // right; a horizontal or vertical step of about the same length crosses them.
  const double rising = ShiftCorrelation(picture, 2, -3);
  const double falling = ShiftCorrelation(picture, -2, -3);
  const double across = std::max(ShiftCorrelation(picture, 4, 0), ShiftCorrelation(picture, 0, 4));
  EXPECT_GT(rising, across + 0.1);
  EXPECT_GT(falling, across + 0.1);
}

TEST(HatchingPicture, IsTheSameOnEveryCallAndAsShipped) {
  EXPECT_EQ(GenerateHatchingPicture(), Generated());
  EXPECT_EQ(HatchingPicture(), Generated());
}

}  // namespace
}  // namespace atelion
