#include "document/history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace atelion {
namespace {

// JPEG changes pixel values but never sizes, so a picture `id` pixels wide identifies its step
// exactly however lossy the snapshot is.
Bitmap24 Tagged(int id) { return Bitmap24(id, 2, MakeColour(id % 256, 90, 160)); }

std::string SourceName(int id) { return "S" + std::to_string(id); }
std::string ResultName(int id) { return "R" + std::to_string(id); }

// Saves the start pair: source 1 and result 2 as steps 1 and 2.
void Start(UndoHistory& history) {
  ASSERT_TRUE(history.Save(HistoryKind::Source, Tagged(1), SourceName(1)));
  ASSERT_TRUE(history.Save(HistoryKind::Result, Tagged(2), ResultName(2)));
}

void Save(UndoHistory& history, HistoryKind kind, int id) {
  ASSERT_TRUE(history.Save(kind, Tagged(id), kind == HistoryKind::Source ? SourceName(id) : ResultName(id)));
}

// A smooth picture with different gradients per channel, as a photograph has.
Bitmap24 SmoothPicture(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.SetPixel(x, y, MakeColour(40 + 150 * x / width, 200 - 120 * y / height, 60 + 80 * (x + y) / (width + height)));
  return picture;
}

int LargestChannelDifference(const Bitmap24& a, const Bitmap24& b) {
  int largest = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int i = 0; i < static_cast<int>(a.RowBytes()); ++i) largest = std::max(largest, std::abs(a.Row(y)[i] - b.Row(y)[i]));
  return largest;
}

TEST(UndoHistory, StartStepsCannotBeUndone) {
  UndoHistory history;
  Start(history);
  EXPECT_EQ(history.Position(), 2);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  // Undo at the first snapshot of a kind reloads it and stays at the same step.
  const HistoryRestore restore = history.Undo();
  ASSERT_TRUE(restore.status);
  EXPECT_EQ(restore.kind, HistoryKind::Result);
  EXPECT_EQ(restore.picture.Width(), 2);
  EXPECT_EQ(restore.name, "R2");
  EXPECT_EQ(history.Position(), 2);
  EXPECT_EQ(history.Top(HistoryKind::Result), 0);
}

TEST(UndoHistory, UndoAndRedoWalkTheStepsOfBothKinds) {
  UndoHistory history;
  Start(history);
  Save(history, HistoryKind::Source, 3);  // a source edit
  Save(history, HistoryKind::Result, 4);  // then a style run
  ASSERT_EQ(history.Position(), 4);
  EXPECT_TRUE(history.CanUndo());

  enum Move { kUndo, kRedo };
  const struct {
    Move move;
    HistoryKind kind;  // of the restored picture; None: nothing happens
    int id;
    int position, sourceTop, resultTop;
    bool canUndo, canRedo;
  } steps[] = {
      {kUndo, HistoryKind::Result, 2, 3, 1, 0, true, true},   // the previous result comes back first
      {kUndo, HistoryKind::Source, 1, 2, 0, 0, false, true},  // then the previous source
      {kRedo, HistoryKind::Source, 3, 3, 1, 0, true, true},
      {kRedo, HistoryKind::Result, 4, 4, 1, 1, true, false},
      {kRedo, HistoryKind::None, 0, 4, 1, 1, true, false},  // nothing after the last step
      {kUndo, HistoryKind::Result, 2, 3, 1, 0, true, true},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(testing::Message() << (s.move == kUndo ? "undo" : "redo") << " to position " << s.position);
    const HistoryRestore restore = s.move == kUndo ? history.Undo() : history.Redo();
    ASSERT_TRUE(restore.status) << restore.status.message();
    EXPECT_EQ(restore.kind, s.kind);
    if (s.kind != HistoryKind::None) {
      EXPECT_EQ(restore.picture.Width(), s.id);
      EXPECT_EQ(restore.name, s.kind == HistoryKind::Source ? SourceName(s.id) : ResultName(s.id));
    }
    EXPECT_EQ(history.Position(), s.position);
    EXPECT_EQ(history.Top(HistoryKind::Source), s.sourceTop);
    EXPECT_EQ(history.Top(HistoryKind::Result), s.resultTop);
    EXPECT_EQ(history.CanUndo(), s.canUndo);
    EXPECT_EQ(history.CanRedo(), s.canRedo);
  }
}

TEST(UndoHistory, NewStepAfterUndoDiscardsTheStepsAfterIt) {
  UndoHistory history;
  Start(history);
  Save(history, HistoryKind::Result, 3);
  Save(history, HistoryKind::Result, 4);
  history.Undo();
  history.Undo();
  ASSERT_EQ(history.Position(), 2);
  ASSERT_TRUE(history.CanRedo());

  Save(history, HistoryKind::Source, 5);
  EXPECT_EQ(history.Position(), 3);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.KindAt(4), HistoryKind::None);
  EXPECT_EQ(history.SnapshotCount(HistoryKind::Result), 1);  // results 3 and 4 are released
  EXPECT_EQ(history.SnapshotCount(HistoryKind::Source), 2);
  EXPECT_EQ(history.Redo().kind, HistoryKind::None);

  // The line of edits continues from the new step: undo and redo cross it, never the old steps.
  EXPECT_EQ(history.Undo().picture.Width(), 1);
  EXPECT_EQ(history.Redo().picture.Width(), 5);
  EXPECT_EQ(history.Redo().kind, HistoryKind::None);
}

TEST(UndoHistory, NewStepOfTheSameKindReplacesTheUndoneOne) {
  UndoHistory history;
  Start(history);
  Save(history, HistoryKind::Result, 3);
  history.Undo();
  Save(history, HistoryKind::Result, 4);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.SnapshotCount(HistoryKind::Result), 2);
  EXPECT_EQ(history.Undo().picture.Width(), 2);
  const HistoryRestore redone = history.Redo();
  EXPECT_EQ(redone.picture.Width(), 4);
  EXPECT_EQ(redone.name, "R4");
}

TEST(UndoHistory, FullHistoryDropsTheOldestStep) {
  UndoHistory history;
  Start(history);                                                      // 1: S1, 2: R2
  Save(history, HistoryKind::Source, 3);                               // 3: S3
  for (int id = 4; id <= 510; ++id) Save(history, HistoryKind::Result, id);  // 4..510
  ASSERT_EQ(history.Position(), UndoHistory::kCapacity);
  EXPECT_EQ(history.SnapshotCount(HistoryKind::Source), 2);  // a full history keeps everything
  EXPECT_EQ(history.KindAt(1), HistoryKind::Source);

  Save(history, HistoryKind::Result, 511);
  EXPECT_EQ(history.Position(), UndoHistory::kCapacity);
  EXPECT_EQ(history.KindAt(1), HistoryKind::Result);  // R2 moved down to step 1
  EXPECT_EQ(history.KindAt(2), HistoryKind::Source);  // S3 to step 2
  EXPECT_EQ(history.KindAt(510), HistoryKind::Result);
  EXPECT_EQ(history.KindAt(511), HistoryKind::None);
  ASSERT_EQ(history.SnapshotCount(HistoryKind::Source), 1);  // S1 was released
  EXPECT_EQ(history.SnapshotName(HistoryKind::Source, 0), "S3");
  EXPECT_EQ(history.Top(HistoryKind::Source), 0);
  EXPECT_EQ(history.SnapshotCount(HistoryKind::Result), 509);
  EXPECT_EQ(history.Top(HistoryKind::Result), 508);

  // Undo now reaches back to the new step 2: source S3 with result R2.
  int undos = 0;
  HistoryRestore last;
  while (history.CanUndo()) {
    last = history.Undo();
    ASSERT_TRUE(last.status);
    ++undos;
  }
  EXPECT_EQ(undos, 508);
  EXPECT_EQ(history.Position(), 2);
  EXPECT_EQ(last.kind, HistoryKind::Result);
  EXPECT_EQ(last.picture.Width(), 2);
  EXPECT_EQ(last.name, "R2");
}

TEST(UndoHistory, CleanHistoryDropsStepOneOfEitherKind) {
  UndoHistory history;
  Start(history);
  Save(history, HistoryKind::Source, 3);
  history.CleanHistory();  // drops S1
  EXPECT_EQ(history.Position(), 2);
  EXPECT_EQ(history.KindAt(1), HistoryKind::Result);
  EXPECT_EQ(history.KindAt(2), HistoryKind::Source);
  EXPECT_EQ(history.KindAt(3), HistoryKind::None);
  EXPECT_EQ(history.Top(HistoryKind::Source), 0);
  EXPECT_EQ(history.SnapshotName(HistoryKind::Source, 0), "S3");
  history.CleanHistory();  // drops R2
  EXPECT_EQ(history.Position(), 1);
  EXPECT_EQ(history.Top(HistoryKind::Result), -1);
  EXPECT_EQ(history.SnapshotCount(HistoryKind::Result), 0);
  history.CleanHistory();
  history.CleanHistory();  // nothing left to drop
  EXPECT_EQ(history.Position(), 0);
  EXPECT_EQ(history.StoredBytes(), 0u);
}

// Pixel noise that JPEG cannot keep exactly: a restored copy equal to it is an exact copy.
Bitmap24 NoisyPicture(int width, int height, unsigned seed) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      picture.SetPixel(x, y, static_cast<Colour>(seed >> 8) & 0xFFFFFF);
    }
  return picture;
}

TEST(UndoHistory, RecentStepsComeBackByteForByte) {
  const Bitmap24 before = NoisyPicture(64, 48, 1);
  const Bitmap24 after = NoisyPicture(64, 48, 2);
  UndoHistory history;
  ASSERT_TRUE(history.Save(HistoryKind::Source, before, "photo.jpg"));
  ASSERT_TRUE(history.Save(HistoryKind::Result, before, "drawing"));
  ASSERT_TRUE(history.Save(HistoryKind::Source, after, "photo.jpg"));
  const HistoryRestore undone = history.Undo();
  ASSERT_TRUE(undone.status);
  EXPECT_TRUE(undone.picture == before);
  const HistoryRestore redone = history.Redo();
  ASSERT_TRUE(redone.status);
  EXPECT_TRUE(redone.picture == after);
}

TEST(UndoHistory, OlderStepsAreCompressedOnceTheExactCopiesPassTheirBudget) {
  const Bitmap24 picture = SmoothPicture(256, 192);
  const std::size_t rawBytes = static_cast<std::size_t>(picture.Width()) * picture.Height() * 3;
  UndoHistory history(rawBytes);  // room for one exact copy
  ASSERT_TRUE(history.Save(HistoryKind::Source, picture, "photo.jpg"));
  EXPECT_EQ(history.StoredBytes(), rawBytes);
  ASSERT_TRUE(history.Save(HistoryKind::Source, Tagged(7), "other"));
  // The photograph is now the older step and no longer fits beside the newer one: it is kept
  // compressed, which is what makes hundreds of steps of large photographs affordable.
  EXPECT_LT(history.StoredBytes(), rawBytes / 4);

  const HistoryRestore restore = history.Undo();
  ASSERT_TRUE(restore.status);
  ASSERT_EQ(restore.picture.Width(), picture.Width());
  ASSERT_EQ(restore.picture.Height(), picture.Height());
  EXPECT_EQ(restore.name, "photo.jpg");
  EXPECT_LE(LargestChannelDifference(restore.picture, picture), 8);
}

TEST(UndoHistory, EmptyPicturesAndBadKinds) {
  UndoHistory history;
  ASSERT_TRUE(history.Save(HistoryKind::Result, Bitmap24(), "nothing"));
  ASSERT_TRUE(history.Save(HistoryKind::Result, Tagged(3), "three"));
  const HistoryRestore restore = history.Undo();
  ASSERT_TRUE(restore.status);
  EXPECT_TRUE(restore.picture.Empty());
  EXPECT_EQ(restore.name, "nothing");

  EXPECT_FALSE(history.Save(HistoryKind::None, Tagged(4), "none"));
  EXPECT_EQ(history.Position(), 1);
  EXPECT_TRUE(history.CanRedo());  // a refused step leaves the history as it was
}

}  // namespace
}  // namespace atelion
