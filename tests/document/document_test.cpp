#include "document/document.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace atelion {
namespace {

// Blue, green and red change smoothly and differently, like a photograph's.
Bitmap24 Gradient(int width, int height, int shift) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.SetPixel(x, y, MakeColour(30 + shift + 100 * x / width, 180 - 90 * y / height, 90 + shift / 2));
  return picture;
}

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    document.SourcePicture = startSource;
    document.ResultPicture = startResult;
    document.SourceDisplayName = "photo.jpg";
    document.SourceDpi = 240;
    document.RecordPictureSizes();
    ASSERT_TRUE(document.StartHistory());
  }

  const Bitmap24 startSource = Gradient(40, 30, 0);
  const Bitmap24 startResult = Gradient(36, 24, 50);
  Document document;
  RunContext context;
};

TEST_F(DocumentTest, StartPicturesAreTheFirstTwoSteps) {
  EXPECT_EQ(document.History().Position(), 2);
  EXPECT_EQ(document.History().KindAt(1), HistoryKind::Source);
  EXPECT_EQ(document.History().KindAt(2), HistoryKind::Result);
  EXPECT_FALSE(document.UndoEnabled());
  EXPECT_FALSE(document.RedoEnabled());
  EXPECT_EQ(document.SourceStatusText(), "photo.jpg - 40x30 - 240 dpi");
}

TEST_F(DocumentTest, SourceEditThenStyleRunAreUndoneInReverseOrder) {
  const Bitmap24 editedSource = Gradient(50, 20, 80);
  const Bitmap24 drawing = Gradient(50, 20, 20);
  document.SourcePicture = editedSource;
  document.SourceDisplayName = "cropped.png";
  ASSERT_TRUE(document.SaveToHistory(HistoryKind::Source));
  document.ResultPicture = drawing;
  ASSERT_TRUE(document.SaveToHistory(HistoryKind::Result, "Pencil sketch 1"));
  ASSERT_EQ(document.History().Position(), 4);
  EXPECT_EQ(document.History().KindAt(3), HistoryKind::Source);
  EXPECT_EQ(document.History().KindAt(4), HistoryKind::Result);
  EXPECT_TRUE(document.UndoEnabled());

  ASSERT_TRUE(document.undo(context));
  EXPECT_TRUE(context.AbortRequested);  // a running computation must stop
  EXPECT_TRUE(document.ResultPicture == startResult);
  EXPECT_EQ(document.ResultStyleName, "");  // the start result came from no style
  EXPECT_EQ(document.ResultSize, (PictureSize{36, 24}));
  EXPECT_EQ(document.SourcePicture, editedSource);  // untouched by a result step

  ASSERT_TRUE(document.undo(context));
  EXPECT_TRUE(document.SourcePicture == startSource);
  EXPECT_EQ(document.SourceDisplayName, "photo.jpg");
  EXPECT_EQ(document.SourceSize, (PictureSize{40, 30}));
  EXPECT_EQ(document.SourceStatusText(), "photo.jpg - 40x30 - 240 dpi");
  EXPECT_FALSE(document.UndoEnabled());
  EXPECT_TRUE(document.RedoEnabled());

  context.AbortRequested = false;
  ASSERT_TRUE(document.redo(context));
  EXPECT_TRUE(context.AbortRequested);
  EXPECT_TRUE(document.SourcePicture == editedSource);
  EXPECT_EQ(document.SourceDisplayName, "cropped.png");
  ASSERT_TRUE(document.redo(context));
  EXPECT_TRUE(document.ResultPicture == drawing);
  EXPECT_EQ(document.ResultStyleName, "Pencil sketch 1");
  EXPECT_EQ(document.ResultStatusText(), "Pencil sketch 1   ");
  EXPECT_EQ(document.ResultSize, (PictureSize{50, 20}));
  EXPECT_FALSE(document.RedoEnabled());
}

TEST_F(DocumentTest, ResultStepsAreLabelledWithTheStyleUnlessUnnamed) {
  const struct {
    bool unnamed;
    const char* styleNameText;
    const char* label;
  } cases[] = {
      {false, "Watercolor", "Watercolor"},
      {true, "Watercolor", ""},  // opened, pasted or swapped: not the output of a style
      {false, "", ""},           // the drawing-parameters window does not exist yet
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    document.ResultUnnamed = c.unnamed;
    document.ResultPicture = Gradient(20, 20, 10);
    ASSERT_TRUE(document.SaveToHistory(HistoryKind::Result, c.styleNameText));
    document.ResultPicture = Gradient(20, 20, 30);
    document.ResultUnnamed = false;
    ASSERT_TRUE(document.SaveToHistory(HistoryKind::Result, "Later style"));
    ASSERT_TRUE(document.undo(context));
    EXPECT_EQ(document.ResultStyleName, c.label);
    EXPECT_EQ(document.ResultStatusText(), std::string(c.label) + "   ");
  }
}

TEST_F(DocumentTest, NewStepAfterUndoTurnsRedoOff) {
  document.ResultPicture = Gradient(20, 20, 10);
  ASSERT_TRUE(document.SaveToHistory(HistoryKind::Result, "Cartoon 1"));
  ASSERT_TRUE(document.undo(context));
  ASSERT_TRUE(document.RedoEnabled());

  const Bitmap24 edited = Gradient(25, 25, 60);
  document.SourcePicture = edited;
  ASSERT_TRUE(document.SaveToHistory(HistoryKind::Source));
  EXPECT_FALSE(document.RedoEnabled());

  const Bitmap24 resultBefore = document.ResultPicture;
  context.AbortRequested = false;
  ASSERT_TRUE(document.redo(context));
  EXPECT_FALSE(context.AbortRequested);  // nothing to redo: nothing happens
  EXPECT_EQ(document.ResultPicture, resultBefore);
  EXPECT_EQ(document.SourcePicture, edited);
}

TEST_F(DocumentTest, SwapExchangesThePicturesAndRecordsBothSteps) {
  document.ResultStyleName = "Oil pastel";
  document.ResultUnnamed = false;
  ASSERT_TRUE(document.swapimages(context));

  EXPECT_EQ(document.SourcePicture, startResult);  // exchanged as they were, not via snapshots
  EXPECT_EQ(document.ResultPicture, startSource);
  EXPECT_EQ(document.SourceSize, (PictureSize{36, 24}));
  EXPECT_EQ(document.ResultSize, (PictureSize{40, 30}));
  EXPECT_TRUE(document.ResultUnnamed);
  EXPECT_EQ(document.ResultStyleName, "");
  EXPECT_EQ(document.SourceDisplayName, "photo.jpg");
  EXPECT_EQ(document.SourceStatusText(), "photo.jpg - 36x24 - 240 dpi");
  const MeanColour mean = ComputeMeanColour(startResult);
  EXPECT_EQ(document.SourceMeanColour.red, mean.red);
  EXPECT_EQ(document.SourceMeanColour.green, mean.green);
  EXPECT_EQ(document.SourceMeanColour.blue, mean.blue);

  const UndoHistory& history = document.History();
  ASSERT_EQ(history.Position(), 4);
  EXPECT_EQ(history.KindAt(3), HistoryKind::Source);
  EXPECT_EQ(history.KindAt(4), HistoryKind::Result);
  EXPECT_EQ(history.SnapshotName(HistoryKind::Result, 1), "");

  // Two undos bring both pictures back.
  ASSERT_TRUE(document.undo(context));
  ASSERT_TRUE(document.undo(context));
  EXPECT_TRUE(document.SourcePicture == startSource);
  EXPECT_TRUE(document.ResultPicture == startResult);
}

TEST_F(DocumentTest, SwapIsRefusedWhileProcessing) {
  context.Processing = true;
  ASSERT_TRUE(document.swapimages(context));
  EXPECT_EQ(document.SourcePicture, startSource);
  EXPECT_EQ(document.ResultPicture, startResult);
  EXPECT_FALSE(document.ResultUnnamed);
  EXPECT_EQ(document.History().Position(), 2);
}

TEST(DocumentMeanColour, FollowsTheSourceThroughStepsAndUndo) {
  Document document;
  // Before any source is measured, styles read the start value.
  EXPECT_EQ(document.SourceMeanColour.red, 116);
  EXPECT_EQ(document.SourceMeanColour.green, 149);
  EXPECT_EQ(document.SourceMeanColour.blue, 69);

  // Two pixels: red 10 and 13, green 0 and 255, blue 7 and 8; each mean is truncated.
  document.SourcePicture = Bitmap24(2, 1);
  document.SourcePicture.SetPixel(0, 0, MakeColour(10, 0, 7));
  document.SourcePicture.SetPixel(1, 0, MakeColour(13, 255, 8));
  document.ResultPicture = Bitmap24(4, 4, MakeColour(1, 2, 3));
  RunContext context;
  ASSERT_TRUE(document.StartHistory());
  EXPECT_EQ(document.SourceMeanColour.red, 11);
  EXPECT_EQ(document.SourceMeanColour.green, 127);
  EXPECT_EQ(document.SourceMeanColour.blue, 7);

  document.SourcePicture = Bitmap24(16, 16, MakeColour(200, 40, 90));
  ASSERT_TRUE(document.SaveToHistory(HistoryKind::Source));
  EXPECT_EQ(document.SourceMeanColour.red, 200);
  EXPECT_EQ(document.SourceMeanColour.green, 40);
  EXPECT_EQ(document.SourceMeanColour.blue, 90);

  document.SourcePicture = Bitmap24(16, 16, MakeColour(20, 100, 220));
  ASSERT_TRUE(document.SaveToHistory(HistoryKind::Source));
  ASSERT_TRUE(document.undo(context));
  // Measured again on the restored snapshot of the plain (200, 40, 90) picture.
  EXPECT_NEAR(document.SourceMeanColour.red, 200, 2);
  EXPECT_NEAR(document.SourceMeanColour.green, 40, 2);
  EXPECT_NEAR(document.SourceMeanColour.blue, 90, 2);
}

}  // namespace
}  // namespace atelion
