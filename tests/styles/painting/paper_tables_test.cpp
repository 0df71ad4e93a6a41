#include "styles/painting/paper_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace atelion {
namespace {

const Bitmap24& Watercolour() {
  static const Bitmap24 picture = GenerateWatercolourPaper();
  return picture;
}

const Bitmap24& Impasto() {
  static const Bitmap24 picture = GenerateImpastoPaper();
  return picture;
}

// A 1024 × 768 picture whose red bytes differ from green and blue, so a table that reads the
// wrong channel or swaps the axes is caught.
Bitmap24 PatternPicture() {
  Bitmap24 picture(kPaperTableWidth, kPaperTableHeight);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      picture.SetPixel(x, y, MakeColour((x * 7 + y * 13) % 256, 11, 200));
    }
  }
  return picture;
}

TEST(PaperTable, ReadsTheRedBytesAndTheirTruncatedMean) {
  const Bitmap24 picture = PatternPicture();
  const PaperTable table = PaperTableFrom(picture);
  ASSERT_EQ(table.values.size(), 1024u * 768u);
  std::int64_t sum = 0;
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      ASSERT_EQ(table.At(x, y), (x * 7 + y * 13) % 256) << x << "," << y;
      sum += (x * 7 + y * 13) % 256;
    }
  }
  EXPECT_EQ(table.mean, sum / 786432);

  // All white but one black pixel: the mean is truncated, 254 and not 255, and the sum of a
  // whole white sheet (200 million) needs more than 16 bits per pixel summed.
  Bitmap24 white(1024, 768);
  white.SetPixel(500, 300, MakeColour(0, 255, 255));
  EXPECT_EQ(PaperTableFrom(white).mean, 254);
  EXPECT_EQ(PaperTableFrom(Bitmap24(1024, 768)).mean, 255);
}

TEST(PaperTable, AnotherSizeGivesAnEmptyTable) {
  for (const auto& [w, h] : {std::pair{1023, 768}, std::pair{1024, 767}, std::pair{0, 0}, std::pair{768, 1024}}) {
    const PaperTable table = PaperTableFrom(Bitmap24(w, h));
    EXPECT_TRUE(table.values.empty()) << w << "x" << h;
    EXPECT_EQ(table.mean, 0);
  }
}

TEST(PaperTable, RepeatsWithPeriodsOneLessThanItsSize) {
  const PaperTable table = PaperTableFrom(PatternPicture());
  struct Case {
    int x, y, tableX, tableY;
  };
  const Case cases[] = {{0, 0, 0, 0},         {1022, 766, 1022, 766}, {1023, 0, 0, 0},
                        {0, 767, 0, 0},       {1024, 768, 1, 1},      {2046 + 5, 767 * 2 + 3, 5, 3},
                        {14999, 14999, 14999 % 1023, 14999 % 767}};
  for (const Case& c : cases) {
    EXPECT_EQ(table.Repeated(c.x, c.y), table.At(c.tableX, c.tableY)) << c.x << "," << c.y;
  }
}

// The spread of the grey values, and the correlation of the paper with itself shifted by
// (dx, dy): how far its features reach.
struct Grain {
  double mean = 0, spread = 0;
};

Grain Measure(const Bitmap24& picture) {
  double sum = 0, squares = 0;
  const double n = double(picture.Width()) * picture.Height();
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) sum += picture.Row(y)[3 * x];
  }
  const double mean = sum / n;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) squares += std::pow(picture.Row(y)[3 * x] - mean, 2);
  }
  return {mean, std::sqrt(squares / n)};
}

double ShiftCorrelation(const Bitmap24& picture, int dx, int dy) {
  const double mean = Measure(picture).mean;
  double product = 0, squares = 0;
  for (int y = 0; y < picture.Height() - dy; ++y) {
    for (int x = 0; x < picture.Width() - dx; ++x) {
      const double a = picture.Row(y)[3 * x] - mean;
      product += a * (picture.Row(y + dy)[3 * (x + dx)] - mean);
      squares += a * a;
    }
  }
  return product / squares;
}

// Mean difference between two columns (or rows) of the picture.
double ColumnStep(const Bitmap24& picture, int a, int b) {
  double sum = 0;
  for (int y = 0; y < picture.Height(); ++y) sum += std::abs(picture.Row(y)[3 * a] - picture.Row(y)[3 * b]);
  return sum / picture.Height();
}
double RowStep(const Bitmap24& picture, int a, int b) {
  double sum = 0;
  for (int x = 0; x < picture.Width(); ++x) sum += std::abs(picture.Row(a)[3 * x] - picture.Row(b)[3 * x]);
  return sum / picture.Width();
}

TEST(PaperPictures, AreGreyOfTheTableSizeAndTheSameOnEveryCallAndAsShipped) {
  for (const Bitmap24* picture : {&Watercolour(), &Impasto()}) {
    ASSERT_EQ(picture->Width(), 1024);
    ASSERT_EQ(picture->Height(), 768);
    for (int y = 0; y < 768; ++y) {
      for (int x = 0; x < 1024; ++x) {
        const std::uint8_t* p = picture->Row(y) + 3 * x;
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(GenerateWatercolourPaper(), Watercolour());
  EXPECT_EQ(GenerateImpastoPaper(), Impasto());
  EXPECT_EQ(WatercolourPaperTable().values, PaperTableFrom(Watercolour()).values);
  EXPECT_EQ(WatercolourPaperTable().mean, PaperTableFrom(Watercolour()).mean);
  EXPECT_EQ(ImpastoPaperTable().values, PaperTableFrom(Impasto()).values);
  EXPECT_EQ(ImpastoPaperTable().mean, PaperTableFrom(Impasto()).mean);
}

TEST(PaperPictures, WatercolourPaperIsALightFineGrainAndImpastoACoarserStrongerRelief) {
  const Grain paper = Measure(Watercolour());
  const Grain paint = Measure(Impasto());
  // A light sheet whose grain shifts a painting's colours by a few levels, never burns out.
  EXPECT_NEAR(paper.mean, 204, 4);
  EXPECT_NEAR(paper.spread, 12, 3);
  EXPECT_NEAR(paint.mean, 170, 6);
  EXPECT_NEAR(paint.spread, 24, 4);
  // Cold-pressed tooth: neighbours alike, but a grain only a few pixels across.
  EXPECT_GT(ShiftCorrelation(Watercolour(), 1, 0), 0.5);
  EXPECT_LT(std::abs(ShiftCorrelation(Watercolour(), 12, 0)), 0.25);
  // Brushed paint reaches further than the paper's grain.
  EXPECT_GT(ShiftCorrelation(Impasto(), 0, 3), ShiftCorrelation(Watercolour(), 0, 3) + 0.1);
}

TEST(PaperPictures, TileWithoutASeam) {
  for (const Bitmap24* picture : {&Watercolour(), &Impasto()}) {
    // Across the wrap the paper changes no more than between neighbouring columns and rows inside.
    EXPECT_LT(ColumnStep(*picture, 1023, 0), 1.3 * ColumnStep(*picture, 511, 512) + 1);
    EXPECT_LT(RowStep(*picture, 767, 0), 1.3 * RowStep(*picture, 383, 384) + 1);
  }
}

}  // namespace
}  // namespace atelion
