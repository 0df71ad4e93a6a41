#include "finishing/picture_frames.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "core/geometry.h"
#include "support/test_files.h"

namespace atelion {
namespace {

using testing_support::TempFolder;

constexpr Colour kFrameColour = MakeColour(100, 90, 80);  // dark: blue 80
constexpr Colour kOpeningColour = 0xFFFFFF;
constexpr Colour kMarker = MakeColour(255, 0, 0);

// A 40 × 30 frame picture whose light opening covers columns 6..31 and rows 5..24, with a red
// marker in its top-left corner to see where a quarter turn moved it.
Bitmap24 SmallFramePicture() {
  Bitmap24 frame(40, 30, kFrameColour);
  FillRect(frame, Rect{6, 5, 32, 25}, kOpeningColour);
  FillRect(frame, Rect{0, 0, 3, 3}, kMarker);
  return frame;
}

// Every pixel a different colour, so that a shifted or scaled copy is noticed.
Bitmap24 Numbered(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x * 3 + 1, y * 5 + 2, (x + y) % 200));
  }
  return picture;
}

// Checks that `picture` appears unscaled in `result` with its top-left corner at (left, top).
void ExpectContains(const Bitmap24& result, const Bitmap24& picture, int left, int top) {
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      ASSERT_EQ(result.Pixel(left + x, top + y), picture.Pixel(x, y)) << "picture pixel " << x << ", " << y;
    }
  }
}

TEST(IsLightPixel, ThresholdOnTheColourAsAnInteger) {
  struct Case {
    int red, green, blue;
    bool light;
  };
  const Case cases[] = {
      {255, 255, 255, true}, {0, 0, 211, true},    {0, 240, 210, true},
      {255, 239, 210, false}, {255, 255, 209, false}, {0, 0, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsLightPixel(MakeColour(c.red, c.green, c.blue)), c.light) << c.red << " " << c.green << " " << c.blue;
  }
}

TEST(FindFrameOpening, SearchesOutwardsFromTheQuarterPoints) {
  struct Case {
    const char* name;
    Bitmap24 frame;
    FrameOpening expected;
  };
  Bitmap24 allLight(40, 30, kOpeningColour);
  Bitmap24 darkQuarterPoints = SmallFramePicture();
  darkQuarterPoints.SetPixel(10, 15, 0);  // x = FW div 4 on the middle row
  darkQuarterPoints.SetPixel(30, 15, 0);  // x = FW − FW div 4
  const Case cases[] = {
      // Light columns 6..31: left = 6, right = 40 − 31 − 3; light rows 5..24: top 5, bottom 30 − 24 − 3.
      {"framed", SmallFramePicture(), {6, 6, 5, 3}},
      // Without a frame the searches stop at column and row 1 and one short of the far edge.
      {"all light", allLight, {1, -1, 1, -1}},
      {"dark quarter points", darkQuarterPoints, {0, 0, 5, 3}},
  };
  for (const Case& c : cases) {
    const FrameOpening found = FindFrameOpening(c.frame);
    EXPECT_EQ(found.left, c.expected.left) << c.name;
    EXPECT_EQ(found.right, c.expected.right) << c.name;
    EXPECT_EQ(found.top, c.expected.top) << c.name;
    EXPECT_EQ(found.bottom, c.expected.bottom) << c.name;
  }
}

TEST(PutIntoFramePicture, AtNaturalScaleThePictureFillsTheOpeningAndTwoPixelsMore) {
  // Opening 28 × 22 (26 light columns + 2, 20 light rows + 2): scale exactly 1.
  const Bitmap24 frame = SmallFramePicture();
  const Bitmap24 picture = Numbered(28, 22);
  Bitmap24 result = picture;
  PutIntoFramePicture(result, frame);
  ASSERT_EQ(result.Width(), 40);
  ASSERT_EQ(result.Height(), 29);  // one row less than the frame
  ExpectContains(result, picture, 6, 5);
  // The frame around it is the frame picture resampled to the canvas, so its plain corner stays.
  EXPECT_EQ(result.Pixel(39, 0), kFrameColour);
  EXPECT_EQ(result.Pixel(1, 1), kMarker);
}

TEST(PutIntoFramePicture, FixedPointScaleAndOffset) {
  const Bitmap24 frame = SmallFramePicture();
  const Bitmap24 picture = Numbered(52, 36);
  Bitmap24 result = picture;
  PutIntoFramePicture(result, frame);
  // sx = 52 · 20000 div 28 = 37142, sy = 36 · 20000 div 22 = 32727.
  // Canvas 40 · 37142 div 20000 = 74 by 30 · 32727 div 20000 − 1 = 48; picture at
  // (6 · 37142 div 20000, 5 · 32727 div 20000) = (11, 8).
  ASSERT_EQ(result.Width(), 74);
  ASSERT_EQ(result.Height(), 48);
  ExpectContains(result, picture, 11, 8);
  Bitmap24 expectedFrame(74, 48);
  Resample(frame, expectedFrame);
  EXPECT_EQ(result.Pixel(0, 0), expectedFrame.Pixel(0, 0));
  EXPECT_EQ(result.Pixel(73, 47), expectedFrame.Pixel(73, 47));
  EXPECT_EQ(result.Pixel(5, 30), expectedFrame.Pixel(5, 30));
}

TEST(PutIntoFramePicture, ALandscapeFrameTurnsForAPortraitPicture) {
  struct Case {
    const char* name;
    Bitmap24 frame;
    int pictureWidth, pictureHeight;
    int width, height;       // of the result
    int left, top;           // of the picture inside it
    int markerX, markerY;    // where the frame's red corner ends up
  };
  Bitmap24 portraitFrame = SmallFramePicture();
  RotateQuarter(portraitFrame, -90);  // 30 × 40, red corner at the bottom left
  const Case cases[] = {
      // Turned clockwise: 30 × 40 with light columns 5..24 and rows 6..31 and the red corner at
      // the top right; opening 22 × 28, so a 22 × 28 picture keeps scale 1.
      {"portrait picture, landscape frame", SmallFramePicture(), 22, 28, 30, 39, 5, 6, 29, 0},
      {"landscape picture, landscape frame", SmallFramePicture(), 28, 22, 40, 29, 6, 5, 0, 0},
      // sy = 28 · 20000 div 22 = 25454: height 30 · 25454 div 20000 − 1 = 37, top 5 · 25454 div 20000 = 6.
      {"square picture is not portrait", SmallFramePicture(), 28, 28, 40, 37, 6, 6, 0, 0},
      // A frame that is already portrait is never turned: light columns 5..24, rows 8..33.
      {"portrait picture, portrait frame", portraitFrame, 22, 28, 30, 39, 5, 8, 0, 38},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 picture = Numbered(c.pictureWidth, c.pictureHeight);
    Bitmap24 result = picture;
    PutIntoFramePicture(result, c.frame);
    ASSERT_EQ(result.Width(), c.width);
    ASSERT_EQ(result.Height(), c.height);
    ExpectContains(result, picture, c.left, c.top);
    EXPECT_EQ(result.Pixel(c.markerX, c.markerY), kMarker);
  }
}

TEST(PutIntoFramePicture, TintChangesOnlyTheFrameAndComesAfterTheSearch) {
  const Bitmap24 frame = SmallFramePicture();
  const Bitmap24 picture = Numbered(28, 22);
  // Blue −100 would make the white opening dark; the opening must still be found.
  const FrameTint tint{100, -95, -100};
  Bitmap24 result = picture;
  PutIntoFramePicture(result, frame, &tint);
  ASSERT_EQ(result.Width(), 40);
  ASSERT_EQ(result.Height(), 29);
  ExpectContains(result, picture, 6, 5);
  EXPECT_EQ(result.Pixel(39, 0), MakeColour(200, 0, 0));  // 100 + 100, 90 − 95 and 80 − 100 clamped
  EXPECT_EQ(result.Pixel(1, 1), MakeColour(255, 0, 0));   // the red marker: 255 + 100 clamped
}

TEST(PutIntoFramePicture, APictureTooSmallForTheFrameIsLeftAlone) {
  // One row: sy = 20000 div 22 = 909, canvas height 30 · 909 div 20000 − 1 = 0.
  const Bitmap24 picture = Numbered(28, 1);
  Bitmap24 result = picture;
  PutIntoFramePicture(result, SmallFramePicture());
  EXPECT_EQ(result, picture);
  Bitmap24 empty;
  PutIntoFramePicture(empty, SmallFramePicture());
  EXPECT_TRUE(empty.Empty());
}

TEST(AddFrame, EveryFrameNumberHoldsThePictureUnscaledInItsOpening) {
  const Bitmap24 picture = Numbered(120, 90);
  for (int number = 0; number <= 13; ++number) {
    SCOPED_TRACE(testing::Message() << "realistic frame " << number);
    const Bitmap24& frame = FramePicture(RealisticFrameImage(number));
    const FrameOpening opening = FindFrameOpening(frame);
    const std::int64_t sx = 120 * 20000 / (frame.Width() - opening.left - opening.right);
    const std::int64_t sy = 90 * 20000 / (frame.Height() - opening.top - opening.bottom);
    Bitmap24 result = picture;
    AddFrame(result, number);
    ASSERT_EQ(result.Width(), frame.Width() * sx / 20000);
    ASSERT_EQ(result.Height(), frame.Height() * sy / 20000 - 1);
    ExpectContains(result, picture, static_cast<int>(opening.left * sx / 20000),
                   static_cast<int>(opening.top * sy / 20000));
    EXPECT_GT(result.Width(), 130);
    EXPECT_GT(result.Height(), 100);
  }
}

TEST(AddColorFrame, TintsTheChosenFrameButNotThePicture) {
  // Coloured frame 3 is Frame8. Offsets that keep every pixel light or dark as it was give the
  // same result as framing with a frame picture tinted beforehand.
  Bitmap24 tintedFrame = FramePicture(FrameImage::Frame8);
  for (int y = 0; y < tintedFrame.Height(); ++y) {
    for (int x = 0; x < tintedFrame.Width(); ++x) {
      const Colour c = tintedFrame.Pixel(x, y);
      tintedFrame.SetPixel(x, y, MakeColour(std::min(255, RedOf(c) + 40), std::max(0, GreenOf(c) - 20), BlueOf(c)));
    }
  }
  const Bitmap24 picture = Numbered(120, 90);
  Bitmap24 expected = picture;
  PutIntoFramePicture(expected, tintedFrame);
  Bitmap24 result = picture;
  AddColorFrame(result, 3, 40, -20, 0);
  EXPECT_EQ(result, expected);
}

// ---------------------------------------------------------------------------------------------
// Custom frames

constexpr Colour kCustomFrameColour = MakeColour(120, 60, 30);

// A 100 × 80 frame with alpha: opaque outside columns 10..89 and rows 10..69, transparent inside,
// with a half-transparent shadow (alpha `shadowAlpha`) on rows 10..12 of the opening.
Bitmap32 SmallCustomFrame(int shadowAlpha = 200) {
  Bitmap32 frame(100, 80, 0);
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x) {
      std::uint8_t* pixel = frame.Row(y) + 4 * x;
      const bool opening = x >= 10 && x < 90 && y >= 10 && y < 70;
      pixel[0] = static_cast<std::uint8_t>(BlueOf(kCustomFrameColour));
      pixel[1] = static_cast<std::uint8_t>(GreenOf(kCustomFrameColour));
      pixel[2] = static_cast<std::uint8_t>(RedOf(kCustomFrameColour));
      pixel[3] = opening ? (y < 13 ? shadowAlpha : 0) : 255;
    }
  }
  return frame;
}

TEST(FindCustomFrameOpening, StopsAtTheFirstNearlyOpaquePixel) {
  struct Case {
    const char* name;
    Bitmap32 frame;
    bool autoFit;
    CustomFrameOpening expected;
  };
  Bitmap32 narrow = SmallCustomFrame();
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x) {
      if (x < 28 || x >= 72) narrow.Row(y)[4 * x + 3] = 255;  // opening 26..73, 47 columns
    }
  }
  const Case cases[] = {
      // Opaque column 9 gives xl = 8, opaque column 90 gives xr = 91; rows likewise 8 and 71.
      {"autofit", SmallCustomFrame(), true, {8, 91, 8, 71}},
      {"alpha 253 is not opaque", SmallCustomFrame(253), true, {8, 91, 8, 71}},
      {"alpha 254 is", SmallCustomFrame(254), true, {8, 91, 11, 71}},
      {"no autofit", SmallCustomFrame(), false, {0, 100, 0, 80}},
      {"opening under 50", narrow, true, {0, 100, 0, 80}},
      {"too small to search", Bitmap32(20, 20, 0), true, {0, 20, 0, 20}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindCustomFrameOpening(c.frame, c.autoFit), c.expected) << c.name;
  }
}

TEST(FindCustomFrameOpening, AFullyTransparentFrameOpensToItsEdges) {
  // No opaque pixel: the searches run to column and row 1 and to the second-last ones.
  EXPECT_EQ(FindCustomFrameOpening(Bitmap32(100, 80, 0), true), (CustomFrameOpening{0, 99, 0, 79}));
}

TEST(DefaultFrameShapeFor, ChoosesByTheSourceAspect) {
  struct Case {
    int width, height;
    TransparentFrameShape shape;
  };
  const Case cases[] = {
      {105, 100, TransparentFrameShape::Square},   {91, 100, TransparentFrameShape::Square},
      {90, 100, TransparentFrameShape::Portrait},  {600, 1000, TransparentFrameShape::Portrait},
      {110, 100, TransparentFrameShape::Landscape}, {1500, 1000, TransparentFrameShape::Landscape},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultFrameShapeFor(c.width, c.height), c.shape) << c.width << " x " << c.height;
  }
}

TEST(AddCustomFrame, ThePictureSitsUnderTheScaledOpening) {
  // Opening 8..91 × 8..71 is 83 × 63, so a 166 × 126 picture scales the frame by exactly 2.
  const Bitmap24 picture = Numbered(166, 126);
  Bitmap24 result = picture;
  const Point offset = AddCustomFrame(result, SmallCustomFrame(), true);
  EXPECT_EQ(offset, (Point{16, 16}));
  ASSERT_EQ(result.Width(), 200);
  ASSERT_EQ(result.Height(), 160);
  // Opaque frame, nearest-pixel scaled: frame column 9 covers canvas columns 18 and 19.
  EXPECT_EQ(result.Pixel(0, 0), kCustomFrameColour);
  EXPECT_EQ(result.Pixel(19, 80), kCustomFrameColour);
  EXPECT_EQ(result.Pixel(180, 80), kCustomFrameColour);
  // Transparent middle: the picture unchanged.
  for (int y = 26; y < 140; ++y) {
    for (int x = 20; x < 180; ++x) ASSERT_EQ(result.Pixel(x, y), picture.Pixel(x - 16, y - 16)) << x << ", " << y;
  }
  // The shadow rows (frame rows 10..12, canvas rows 20..25) blend by alpha 200.
  const Colour under = picture.Pixel(50 - 16, 22 - 16);
  const Colour blended = result.Pixel(50, 22);
  EXPECT_EQ(RedOf(blended), (RedOf(kCustomFrameColour) * 200 + RedOf(under) * 55 + 127) / 255);
  EXPECT_EQ(GreenOf(blended), (GreenOf(kCustomFrameColour) * 200 + GreenOf(under) * 55 + 127) / 255);
  EXPECT_EQ(BlueOf(blended), (BlueOf(kCustomFrameColour) * 200 + BlueOf(under) * 55 + 127) / 255);
}

TEST(AddCustomFrame, WithoutAutofitTheWholeFrameIsScaledToThePicture) {
  const Bitmap24 picture = Numbered(150, 120);
  Bitmap24 result = picture;
  const Point offset = AddCustomFrame(result, SmallCustomFrame(), false);
  EXPECT_EQ(offset, (Point{0, 0}));
  ASSERT_EQ(result.Width(), 150);
  ASSERT_EQ(result.Height(), 120);
  EXPECT_EQ(result.Pixel(0, 0), kCustomFrameColour);
  EXPECT_EQ(result.Pixel(75, 60), picture.Pixel(75, 60));
}

TEST(AddCustomFrame, RoundsTheScaledSizeHalfToEven) {
  // Opaque columns up to 17 and from 79: opening 16..80, 64 wide. The scaled width is
  // 100 · W / 64: 12.5 for W = 8 and 37.5 for W = 24.
  Bitmap32 frame = SmallCustomFrame();
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x) {
      if (x <= 17 || x >= 79) frame.Row(y)[4 * x + 3] = 255;
    }
  }
  struct Case {
    int pictureWidth, width, offsetX;
  };
  const Case cases[] = {{8, 12, 2}, {24, 38, 6}, {64, 100, 16}};
  for (const Case& c : cases) {
    Bitmap24 picture = Numbered(c.pictureWidth, 63);
    EXPECT_EQ(AddCustomFrame(picture, frame, true), (Point{c.offsetX, 8})) << c.pictureWidth;
    EXPECT_EQ(picture.Width(), c.width) << c.pictureWidth;
    EXPECT_EQ(picture.Height(), 80) << c.pictureWidth;
  }
}

TEST(AddCustomFrame, TheDefaultFrameFollowsTheSourceShape) {
  struct Case {
    int width, height;
    TransparentFrameShape shape;
  };
  const Case cases[] = {{105, 100, TransparentFrameShape::Square},
                        {90, 100, TransparentFrameShape::Portrait},
                        {150, 100, TransparentFrameShape::Landscape}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const Bitmap24 picture = Numbered(c.width, c.height);
    Bitmap24 expected = picture;
    const Point expectedOffset = AddCustomFrame(expected, DefaultTransparentFrame(c.shape), true);
    Bitmap24 result = picture;
    Point offset{-1, -1};
    const Status status = AddCustomFrame(result, c.width, c.height, true, "/no/such/file.png", true, offset);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(offset, expectedOffset);
    EXPECT_EQ(result, expected);
  }
}

// Writes a frame with alpha as an RGBA PNG file.
void WritePng(const std::filesystem::path& path, const Bitmap32& frame) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(frame.Width());
  image.height = static_cast<png_uint_32>(frame.Height());
  image.format = PNG_FORMAT_BGRA;
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, frame.Row(0),
                                      static_cast<png_int_32>(frame.RowBytes()), nullptr))
      << image.message;
}

TEST(LoadCustomFramePicture, ReadsColoursAndAlphaExactly) {
  TempFolder folder;
  Bitmap32 frame = SmallCustomFrame();
  frame.Row(40)[4 * 50 + 0] = 7;  // a distinct pixel in the transparent middle keeps its colour
  frame.Row(40)[4 * 50 + 3] = 1;
  WritePng(folder / "frame.png", frame);
  Bitmap32 loaded;
  const Status status = LoadCustomFramePicture(folder / "frame.png", loaded);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(loaded, frame);
}

TEST(AddCustomFrame, TheUsersFrameFileIsUsedAndRereadWhenItChanges) {
  TempFolder folder;
  const auto path = folder / "my frame.png";
  WritePng(path, SmallCustomFrame());
  const Bitmap24 picture = Numbered(166, 126);
  Bitmap24 result = picture;
  Point offset;
  Status status = AddCustomFrame(result, 100, 100, false, path, true, offset);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(offset, (Point{16, 16}));
  EXPECT_EQ(result.Width(), 200);

  // Another frame in the same file: opaque border of 20 pixels instead of 10.
  Bitmap32 wider = SmallCustomFrame();
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x) {
      if (x < 20 || x >= 80 || y < 15 || y >= 65) wider.Row(y)[4 * x + 3] = 255;
    }
  }
  WritePng(path, wider);
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(2));
  result = picture;
  status = AddCustomFrame(result, 100, 100, false, path, true, offset);
  ASSERT_TRUE(status.ok()) << status.message();
  // Opening 18..81 × 13..66 is 63 × 53: fx = 166 / 63, offset round(18 · 166 / 63) = 47.
  EXPECT_EQ(offset.x, 47);
}

TEST(AddCustomFrame, AnUnreadableFrameFileLeavesThePictureAndSaysWhy) {
  TempFolder folder;
  testing_support::WriteBytes(folder / "empty.png", {});
  testing_support::WriteBytes(folder / "text.png", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  WritePng(folder / "whole.png", SmallCustomFrame());
  auto truncated = testing_support::ReadBytes(folder / "whole.png");
  truncated.resize(truncated.size() / 2);
  testing_support::WriteBytes(folder / "truncated.png", truncated);
  const char* names[] = {"missing.png", "empty.png", "text.png", "truncated.png"};
  const Bitmap24 picture = Numbered(60, 40);
  for (const char* name : names) {
    SCOPED_TRACE(name);
    Bitmap24 result = picture;
    Point offset{5, 5};
    const Status status = AddCustomFrame(result, 60, 40, false, folder / name, true, offset);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find(name), std::string::npos) << status.message();
    EXPECT_EQ(result, picture);
    EXPECT_EQ(offset, (Point{0, 0}));
  }
}

TEST(PreviewCustomFrame, FitsTheFramedSourceIntoTheBoxOverTheBackground) {
  const Bitmap24 source(200, 140, MakeColour(0, 200, 0));
  const Bitmap24 background(200, 200, MakeColour(10, 20, 30));
  const Bitmap24 preview = PreviewCustomFrame(source, 40, MakeColour(0, 0, 255), SmallCustomFrame(), true, background);
  ASSERT_EQ(preview.Width(), 200);
  ASSERT_EQ(preview.Height(), 200);
  // Source plus margin 240 × 180 in an 83 × 63 opening: the framed picture is wider than high,
  // so the background shows above and below it and the source in the middle.
  EXPECT_EQ(preview.Pixel(100, 0), background.Pixel(100, 0));
  EXPECT_EQ(preview.Pixel(100, 199), background.Pixel(100, 199));
  EXPECT_EQ(preview.Pixel(100, 100), MakeColour(0, 200, 0));
  EXPECT_EQ(preview.Pixel(0, 100), kCustomFrameColour);
}

}  // namespace
}  // namespace atelion
