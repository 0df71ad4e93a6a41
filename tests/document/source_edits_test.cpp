// The direct edits of the photograph and the drawing: each records its history steps, and the
// crop rectangle follows the mouse as a user expects, its last column included.
#include "document/source_edits.h"

#include <gtest/gtest.h>

#include "core/filters.h"
#include "core/geometry.h"
#include <climits>
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::SyntheticPhoto;

class SourceEditsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    document.SourcePicture = SyntheticPhoto(12, 7);
    document.ResultPicture = SyntheticPhoto(12, 7);
    InvertColours(document.ResultPicture);
    document.SourceDisplayName = "photo.jpg";
    ASSERT_TRUE(document.StartHistory());
  }
  Document document;
  RunContext context;
};

TEST_F(SourceEditsTest, TurningLeftThenRightGivesThePicturesBackAndEachTurnCanBeUndone) {
  const Bitmap24 source = document.SourcePicture;
  const Bitmap24 result = document.ResultPicture;
  ASSERT_TRUE(RotatePictures(document, 90));
  EXPECT_EQ(document.SourcePicture.Width(), 7);
  EXPECT_EQ(document.SourcePicture.Height(), 12);
  EXPECT_EQ(document.ResultSize, (PictureSize{7, 12}));
  // Clockwise: the top-left pixel ends top-right.
  EXPECT_EQ(document.SourcePicture.Pixel(6, 0), source.Pixel(0, 0));
  ASSERT_TRUE(RotatePictures(document, -90));
  EXPECT_EQ(document.SourcePicture, source);
  EXPECT_EQ(document.ResultPicture, result);

  ASSERT_TRUE(document.undo(context));
  ASSERT_TRUE(document.undo(context));
  EXPECT_EQ(document.SourcePicture.Width(), 7) << "undo goes back to the turned pictures";
}

// Undoing every step an edit recorded gives back both pictures byte for byte.
TEST_F(SourceEditsTest, UndoingAnEditRestoresBothPicturesExactly) {
  const struct {
    const char* edit;
    Status (*apply)(Document&);
  } edits[] = {
      {"turn right", [](Document& d) { return RotatePictures(d, 90); }},
      {"turn left", [](Document& d) { return RotatePictures(d, -90); }},
      {"invert", InvertPictures},
      {"automatic contrast", AutoContrastSource},
      {"crop", [](Document& d) { return CropSource(d, Rect{2, 1, 9, 5}); }},
      {"paste", [](Document& d) { return PasteSource(d, SyntheticPhoto(5, 9)); }},
  };
  for (const auto& edit : edits) {
    SCOPED_TRACE(edit.edit);
    SetUp();
    const Bitmap24 source = document.SourcePicture;
    const Bitmap24 result = document.ResultPicture;
    const int before = document.History().Position();
    ASSERT_TRUE(edit.apply(document));
    ASSERT_GT(document.History().Position(), before);
    while (document.History().Position() > before) ASSERT_TRUE(document.undo(context));
    EXPECT_EQ(document.SourcePicture, source);
    EXPECT_EQ(document.ResultPicture, result);
  }
}

TEST_F(SourceEditsTest, InvertAndAutomaticContrastRecordTheirSteps) {
  const int before = document.History().Position();
  const Bitmap24 source = document.SourcePicture;
  ASSERT_TRUE(InvertPictures(document));
  EXPECT_EQ(document.History().Position(), before + 2);
  EXPECT_EQ(document.SourcePicture.Pixel(3, 2), MakeColour(255 - RedOf(source.Pixel(3, 2)),
                                                              255 - GreenOf(source.Pixel(3, 2)),
                                                              255 - BlueOf(source.Pixel(3, 2))));
  const Bitmap24 result = document.ResultPicture;
  ASSERT_TRUE(AutoContrastSource(document));
  EXPECT_EQ(document.History().Position(), before + 3);
  EXPECT_NE(document.SourcePicture, Bitmap24(source)) << "the photograph changed";
  EXPECT_EQ(document.ResultPicture, result) << "the drawing did not";
}

TEST(CropSelection, FollowsTheDragInEitherDirectionAndKeepsThePictureEdges) {
  const PictureSize picture{300, 200};
  struct Case {
    Point anchor, release;
    Rect expected;
  };
  const Case cases[] = {
      // At 50 % a drag from view (10, 10) to (110, 60): columns 20 to 220, rows 20 to 120.
      {ViewToPicture({10, 10}, 50), ViewToPicture({110, 60}, 50), {20, 20, 221, 121}},
      // Dragged leftwards and upwards: one pixel further left and up than the other way round.
      {{220, 120}, {20, 20}, {19, 19, 220, 120}},
      // Past the right and bottom edges: the last column and row are kept.
      {{250, 150}, {400, 300}, {250, 150, 300, 200}},
      // Past the left and top edges.
      {{5, 5}, {-40, -40}, {0, 0, 5, 5}},
      // A click without a drag keeps one pixel.
      {{7, 9}, {7, 9}, {7, 9, 8, 10}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CropSelection(c.anchor, c.release, picture), c.expected)
        << c.anchor.x << "," << c.anchor.y << " -> " << c.release.x << "," << c.release.y;
  }
}

TEST_F(SourceEditsTest, CropKeepsTheBlockAndAnEmptySelectionChangesNothing) {
  const Bitmap24 source = document.SourcePicture;
  const int before = document.History().Position();
  ASSERT_TRUE(CropSource(document, Rect{2, 1, 2, 5}));
  EXPECT_EQ(document.History().Position(), before);
  ASSERT_TRUE(CropSource(document, CropSelection({2, 1}, {11, 6}, {12, 7})));
  ASSERT_EQ(document.SourceSize, (PictureSize{10, 6}));
  EXPECT_EQ(document.SourcePicture.Pixel(0, 0), source.Pixel(2, 1));
  EXPECT_EQ(document.SourcePicture.Pixel(9, 5), source.Pixel(11, 6));
  EXPECT_EQ(document.History().Position(), before + 1);
  // A block that reaches outside the picture is cut at its edge.
  Bitmap24 small = SyntheticPhoto(4, 4);
  Crop(small, Rect{2, 2, 9, 9});
  EXPECT_EQ(small.Width(), 2);
  EXPECT_EQ(small.Height(), 2);
}

TEST_F(SourceEditsTest, APastedPictureBecomesThePhotographAndTheDrawingFollowsOnlyWhenSizesDiffer) {
  const Bitmap24 result = document.ResultPicture;
  Bitmap24 sameSize = SyntheticPhoto(12, 7);
  AdjustBrightness(sameSize, 40);
  ASSERT_TRUE(PasteSource(document, sameSize));
  EXPECT_EQ(document.SourceDisplayName, kPastedImageName);
  EXPECT_EQ(document.SourcePicture, sameSize);
  EXPECT_EQ(document.ResultPicture, result);

  const Bitmap24 larger = SyntheticPhoto(20, 9);
  ASSERT_TRUE(PasteSource(document, larger));
  EXPECT_EQ(document.ResultPicture, larger);
  EXPECT_TRUE(document.ResultUnnamed);
  EXPECT_EQ(document.ResultSize, (PictureSize{20, 9}));
}

TEST_F(SourceEditsTest, ResizingSamplesBothPicturesAndEachUndoBringsOneBack) {
  const Bitmap24 source = document.SourcePicture;
  const Bitmap24 result = document.ResultPicture;
  const int before = document.History().Position();
  ASSERT_TRUE(resizesource(document, 30, 20));
  Bitmap24 expectedSource(30, 20);
  Resample(source, expectedSource);
  Bitmap24 expectedResult(30, 20);
  Resample(result, expectedResult);
  EXPECT_EQ(document.SourcePicture, expectedSource);
  EXPECT_EQ(document.ResultPicture, expectedResult);
  EXPECT_EQ(document.SourceSize, (PictureSize{30, 20}));
  EXPECT_EQ(document.ResultSize, (PictureSize{30, 20}));
  ASSERT_EQ(document.History().Position(), before + 2);
  EXPECT_EQ(document.History().KindAt(before + 1), HistoryKind::Source);
  EXPECT_EQ(document.History().KindAt(before + 2), HistoryKind::Result);

  ASSERT_TRUE(document.undo(context));
  EXPECT_EQ(document.ResultPicture, result) << "the first undo takes the drawing back";
  EXPECT_EQ(document.SourcePicture, expectedSource);
  ASSERT_TRUE(document.undo(context));
  EXPECT_EQ(document.SourcePicture, source) << "the second the photograph";
}

// Sizes below 2 change nothing; sizes no picture may have are refused before any memory is taken.
TEST_F(SourceEditsTest, ResizingToNoSizeOrAnAbsurdSizeChangesNothing) {
  const struct {
    int width, height;
    bool refused;
  } cases[] = {
      {1, 20, false},          {20, 1, false},         {0, 0, false},          {-5, 10, false},
      {40000, 40000, true},    {32769, 2, true},       {20000, 20000, true},   {INT_MAX, INT_MAX, true},
  };
  const Bitmap24 source = document.SourcePicture;
  const Bitmap24 result = document.ResultPicture;
  const int before = document.History().Position();
  for (const auto& c : cases) {
    const Status resized = resizesource(document, c.width, c.height);
    EXPECT_EQ(resized.ok(), !c.refused) << c.width << " x " << c.height;
    if (c.refused) {
      EXPECT_NE(resized.message().find("larger than a picture can be"), std::string::npos);
    }
    Bitmap24 picture = source;
    EXPECT_EQ(ResamplePicture(picture, c.width, c.height).ok(), !c.refused) << c.width << " x " << c.height;
    EXPECT_EQ(picture, source);
  }
  EXPECT_EQ(document.SourcePicture, source);
  EXPECT_EQ(document.ResultPicture, result);
  EXPECT_EQ(document.History().Position(), before);
}

}  // namespace
}  // namespace atelion
