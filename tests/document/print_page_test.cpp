// The arithmetic of the printed page and of the full-screen view, with the numbers a user meets.
#include "document/print_page.h"

#include <gtest/gtest.h>

#include "document/full_screen.h"

namespace atelion {
namespace {

// An A4 page at 600 dpi seen from a 100-ppi screen: six dots per screen pixel.
constexpr PrintedPage kA4{4960, 7016, 600, 600, 100};

TEST(PrintedPage, FullPageFillsTheLongSideLessAMargin) {
  // 4960 · 100 / (6 · 1000) = 82.6, less 5: 77 %.
  EXPECT_EQ(FullPageScale(kA4, {1000, 800}), 77);
  const PlacedRect printed = PrintedPicture(kA4, {1000, 800}, {77, 0, 0});
  // 1000 · 6 · 77 / 100 = 4620 dots, 94 % of it kept: 4342, centred.
  EXPECT_EQ(printed.width, 4342);
  EXPECT_EQ(printed.height, 3474);  // 800 · 6 · 77 / 100 = 3696, 94 % of it
  EXPECT_EQ(printed.left, (4960 - 4342) / 2);
  EXPECT_EQ(printed.top, (7016 - 3474) / 2);
  // A portrait picture fills the page's height.
  EXPECT_EQ(FullPageScale(kA4, {800, 1000}), 7016 * 100 / 6000 - 5);
}

TEST(PrintedPage, AScreenDpiDevicePrintsAtItsOwnResolution) {
  // A PDF page of 595 × 842 points at 72 dpi: three quarters of a dot per pixel, never none.
  const PrintedPage pdf{595, 842, 72, 72, 96};
  const PlacedRect printed = PrintedPicture(pdf, {400, 300}, {100, 0, 0});
  EXPECT_EQ(printed.width, 282);  // 400 · 0.75 = 300, 94 % of it
  EXPECT_GT(FullPageScale(pdf, {400, 300}), 100);
  EXPECT_GE(FullPageScale(pdf, {1, 1}), kMinimumPrintScale);
  EXPECT_LE(FullPageScale(pdf, {1, 1}), kMaximumPrintScale);
}

TEST(PrintedPage, OffsetsMoveThePictureByTheirShareOfTheThumbnail) {
  const PictureSize thumbnail = PageThumbnailSize(kA4);
  EXPECT_EQ(thumbnail.width, 130);
  EXPECT_EQ(thumbnail.height, 183);
  const PlacedRect centred = PrintedPicture(kA4, {1000, 800}, {50, 0, 0});
  const PlacedRect moved = PrintedPicture(kA4, {1000, 800}, {50, 10, -10});
  EXPECT_EQ(moved.left - centred.left, 10 * 4960 / 130);
  EXPECT_EQ(moved.top - centred.top, -(10 * 7016 / 183));
  // The thumbnail shows the picture at the same share of the page, centred, then shifted.
  const PlacedRect shown = ThumbnailPicture(kA4, {1000, 800}, {50, 10, 0});
  EXPECT_EQ(shown.width, 1000 * 6 * 50 / 100 * 130 / 4960);
  EXPECT_EQ(shown.left, (130 - shown.width) / 2 + 10);
  // A landscape page turns the thumbnail.
  EXPECT_EQ(PageThumbnailSize({7016, 4960, 600, 600, 100}).height, 130);
}

TEST(FullScreenPlacement, FitsThePictureOnTheScreen) {
  const PictureSize screen{1920, 1080};
  struct Case {
    PictureSize picture;
    PlacedRect expected;
  };
  const Case cases[] = {
      {{1600, 1000}, {0, 0, 1920, 1080}},   // ratios 1.6 and 1.78: stretched to the screen
      {{1000, 1000}, {420, 0, 1080, 1080}},  // square: full height, centred
      {{3000, 1000}, {0, 223, 1920, 633}},   // wide: full width, 1920 · 33 div 100 high
      {{1000, 3000}, {782, 0, 356, 1080}},   // tall: full height, 1080 · 33 div 100 wide
      {{0, 10}, {0, 0, 1920, 1080}},         // nothing to fit
  };
  for (const Case& c : cases) {
    const PlacedRect placed = FullScreenPlacement(screen, c.picture);
    EXPECT_EQ(placed.left, c.expected.left) << c.picture.width << "x" << c.picture.height;
    EXPECT_EQ(placed.top, c.expected.top) << c.picture.width << "x" << c.picture.height;
    EXPECT_EQ(placed.width, c.expected.width) << c.picture.width << "x" << c.picture.height;
    EXPECT_EQ(placed.height, c.expected.height) << c.picture.width << "x" << c.picture.height;
  }
}

}  // namespace
}  // namespace atelion
