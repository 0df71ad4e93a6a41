#include "finishing/frame_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "finishing/picture_frames.h"

namespace atelion {
namespace {

int Luminance(Colour c) { return (RedOf(c) * 3 + GreenOf(c) * 6 + BlueOf(c)) / 10; }

TEST(FramePictures, NumbersChooseTheListedPictures) {
  struct Case {
    int number;
    FrameImage realistic, coloured;
  };
  const Case cases[] = {
      {1, FrameImage::Frame1, FrameImage::Frame1},  {2, FrameImage::Frame2, FrameImage::Frame2},
      {3, FrameImage::Frame3, FrameImage::Frame8},  {4, FrameImage::Frame4, FrameImage::Frame6},
      {5, FrameImage::Frame5, FrameImage::Frame7},  {6, FrameImage::Frame6, FrameImage::Frame1},
      {7, FrameImage::Frame7, FrameImage::Frame1},  {8, FrameImage::Frame10, FrameImage::Frame1},
      {12, FrameImage::Frame14, FrameImage::Frame1}, {0, FrameImage::Frame1, FrameImage::Frame1},
      {13, FrameImage::Frame1, FrameImage::Frame1},  {-4, FrameImage::Frame1, FrameImage::Frame1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RealisticFrameImage(c.number), c.realistic) << c.number;
    EXPECT_EQ(ColoredFrameImage(c.number), c.coloured) << c.number;
  }
}

// The shipped pictures: listed size, a light opening through the middle lines that the search
// finds well inside the quarter points, a dark moulding around it that is shaded, not flat.
TEST(FramePictures, EveryShippedFrameHasItsSizeAndALightOpening) {
  const int sizes[kFrameImageCount][2] = {{1500, 1125}, {1500, 1125}, {1500, 1125}, {1500, 1125}, {1500, 1125},
                                          {2551, 1945}, {892, 600},   {799, 598},   {1800, 1453}, {1796, 1496},
                                          {1800, 1475}, {1800, 1514}, {1800, 1466}};
  for (int i = 0; i < kFrameImageCount; ++i) {
    SCOPED_TRACE(kFrameImages[static_cast<std::size_t>(i)].relativePath);
    const Bitmap24& frame = FramePicture(static_cast<FrameImage>(i));
    ASSERT_EQ(frame.Width(), sizes[i][0]);
    ASSERT_EQ(frame.Height(), sizes[i][1]);
    const int width = frame.Width();
    const int height = frame.Height();
    const FrameOpening opening = FindFrameOpening(frame);
    // The moulding is between a twentieth and a quarter of the shorter side on every side.
    for (const int side : {opening.left, opening.right + 2, opening.top, opening.bottom + 2}) {
      EXPECT_GT(side, std::min(width, height) / 20);
      EXPECT_LT(side, std::min(width, height) / 4);
    }
    // The frame is symmetric, so the search finds the same width on opposite sides.
    EXPECT_NEAR(opening.left, opening.right + 2, 1);
    EXPECT_NEAR(opening.top, opening.bottom + 2, 1);
    // The moulding is shaded and carved, not a flat band.
    int darkest = 255, lightest = 0;
    for (int x = 0; x < opening.left; ++x) {
      const Colour c = frame.Pixel(x, height / 2);
      darkest = std::min(darkest, Luminance(c));
      lightest = std::max(lightest, Luminance(c));
    }
    EXPECT_GT(lightest - darkest, 50);
  }
}

TEST(FramePictures, JpegCodingDoesNotMoveTheOpening) {
  // The two small frames are cheap to draw again; their shipped JPEGs must open where the
  // drawings do.
  for (const FrameImage image : {FrameImage::Frame7, FrameImage::Frame8}) {
    const Bitmap24 drawn = GenerateFramePicture(image);
    const FrameOpening fromDrawing = FindFrameOpening(drawn);
    const FrameOpening fromFile = FindFrameOpening(FramePicture(image));
    EXPECT_EQ(fromFile.left, fromDrawing.left);
    EXPECT_EQ(fromFile.right, fromDrawing.right);
    EXPECT_EQ(fromFile.top, fromDrawing.top);
    EXPECT_EQ(fromFile.bottom, fromDrawing.bottom);
    // And every pixel outside the opening rectangle is dark, not only on the middle lines.
    const int width = drawn.Width(), height = drawn.Height();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool inOpening = x >= fromDrawing.left && x < width - fromDrawing.right - 2 && y >= fromDrawing.top &&
                               y < height - fromDrawing.bottom - 2;
        if (!inOpening) {
          ASSERT_FALSE(IsLightPixel(drawn.Pixel(x, y))) << x << ", " << y;
        }
      }
    }
  }
}

TEST(FramePictures, DrawingIsDeterministic) {
  EXPECT_EQ(GenerateFramePicture(FrameImage::Frame8), GenerateFramePicture(FrameImage::Frame8));
}

TEST(TransparentFrames, ShippedFramesHaveTheirSizesAnOpaqueMouldingAndATransparentMiddle) {
  const int sizes[kTransparentFrameCount][2] = {{2100, 2500}, {2439, 2024}, {2030, 2058}};
  for (int i = 0; i < kTransparentFrameCount; ++i) {
    SCOPED_TRACE(kTransparentFrames[static_cast<std::size_t>(i)].colourPath);
    const Bitmap32& frame = DefaultTransparentFrame(static_cast<TransparentFrameShape>(i));
    ASSERT_EQ(frame.Width(), sizes[i][0]);
    ASSERT_EQ(frame.Height(), sizes[i][1]);
    const auto alpha = [&frame](int x, int y) { return frame.Row(y)[4 * x + 3]; };
    EXPECT_EQ(alpha(0, 0), 255);
    EXPECT_EQ(alpha(frame.Width() - 1, frame.Height() - 1), 255);
    EXPECT_EQ(alpha(frame.Width() / 2, frame.Height() / 2), 0);
    const CustomFrameOpening opening = FindCustomFrameOpening(frame, true);
    // A real opening, well inside the frame, reaching under the moulding by its searched pixel.
    EXPECT_GT(opening.xl, frame.Width() / 20);
    EXPECT_LT(opening.xr, frame.Width() - frame.Width() / 20);
    EXPECT_GT(opening.yt, frame.Height() / 20);
    EXPECT_LT(opening.yb, frame.Height() - frame.Height() / 20);
    EXPECT_EQ(alpha(opening.xl + 1, frame.Height() / 2), 255);
    EXPECT_EQ(alpha(opening.xr - 1, frame.Height() / 2), 255);
    // The cast shadow just inside the upper edge is partly transparent.
    const int shadow = alpha(frame.Width() / 2, opening.yt + 2);
    EXPECT_GT(shadow, 0);
    EXPECT_LE(shadow, 253);
  }
}

TEST(TransparentFrames, ColourAndMatteSplitTheDrawnFrame) {
  const Bitmap32 frame = GenerateTransparentFrame(TransparentFrameShape::Square);
  const Bitmap24 colour = TransparentFrameColour(TransparentFrameShape::Square);
  const Bitmap24 matte = TransparentFrameMatte(TransparentFrameShape::Square);
  ASSERT_EQ(colour.Width(), frame.Width());
  ASSERT_EQ(matte.Height(), frame.Height());
  for (const int y : {0, 100, frame.Height() / 2, frame.Height() - 1}) {
    for (const int x : {0, 150, frame.Width() / 2, frame.Width() - 1}) {
      const std::uint8_t* pixel = frame.Row(y) + 4 * x;
      EXPECT_EQ(colour.Pixel(x, y), MakeColour(pixel[2], pixel[1], pixel[0]));
      EXPECT_EQ(matte.Pixel(x, y), MakeColour(pixel[3], pixel[3], pixel[3]));
    }
  }
  // The shipped square frame is the drawn one, joined back from its two files.
  EXPECT_EQ(DefaultTransparentFrame(TransparentFrameShape::Square), frame);
}

}  // namespace
}  // namespace atelion
