// Scripts: the ".ats" text both ways, what a malformed file reports, and the interpreter's actions,
// style lines, stop marker, finishing pass and stop on small pictures.
#include "automation/script.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/geometry.h"
#include "styles/style_list.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::SyntheticPhoto;

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(ScriptText, TheDefaultScriptIsWrittenColumnByColumnAndReadBackTheSame) {
  const ScriptGrid grid = DefaultScript();
  const std::string text = WriteScriptText(grid);
  EXPECT_EQ(CountLines(text), 2 + 7 * 50);
  EXPECT_EQ(text.substr(0, 22), "7\r\n50\r\nAction\r\nPencil ");
  // Column 6 of row 1 (Pencil sketch 1) is the 2 + 6 × 50 + 1 + 1 = 304th line.
  std::size_t start = 0;
  for (int line = 1; line < 304; ++line) start = text.find('\n', start) + 1;
  EXPECT_EQ(text.substr(start, 3), "0\r\n");

  const ScriptReadResult read = ReadScriptText(text);
  EXPECT_TRUE(read.readable);
  EXPECT_TRUE(read.complete);
  EXPECT_TRUE(read.problems.empty());
  EXPECT_EQ(read.grid, grid);
  EXPECT_EQ(ReadScriptText("7\n50\n" + text.substr(7)).grid, grid) << "plain line feeds read the same";
}

TEST(ScriptText, MalformedFilesSayWhichLineIsWrong) {
  const struct {
    const char* what;
    std::string text;
    bool readable;
    const char* problem;  ///< the start of the first problem
  } cases[] = {
      {"not a script", "hello\r\n", false, "line 1: the number of columns"},
      {"no rows", "7\r\n", false, "line 2: the number of rows"},
      {"absurd rows", "7\r\n10001\r\n", false, "line 2: the number of rows"},
      {"cut short", "2\r\n2\r\nAction\r\n", true, "line 4: the file ends"},
      {"a code that is not a number", "7\r\n2\r\n" + std::string(12, '\n') + "\r\nabc\r\n", true, "line 16: \"abc\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ScriptReadResult read = ReadScriptText(c.text);
    EXPECT_EQ(read.readable, c.readable);
    ASSERT_FALSE(read.problems.empty());
    EXPECT_EQ(read.problems.front().rfind(c.problem, 0), 0u) << read.problems.front();
  }
  const ScriptReadResult cut = ReadScriptText("2\r\n2\r\nAction\r\n");
  EXPECT_FALSE(cut.complete);
  EXPECT_EQ(cut.grid.Cell(0, 0), "Action") << "what was read is kept";
}

TEST(ScriptGrid, RowsAreInsertedAndDeletedAsTheWindowDoes) {
  ScriptGrid grid(7, 4);
  for (int row = 0; row < 4; ++row) grid.SetCell(0, row, std::to_string(100 + row));
  grid.InsertRow(1);
  EXPECT_EQ(grid.Rows(), 5);
  EXPECT_EQ(grid.Cell(0, 1), "");
  EXPECT_EQ(grid.Cell(0, 2), "101");
  grid.DeleteRow(1);
  EXPECT_EQ(grid.Rows(), 5) << "deleting keeps the count";
  EXPECT_EQ(grid.Cell(0, 1), "101");
  EXPECT_EQ(grid.Cell(0, 4), "");
  EXPECT_EQ(grid.Cell(9, 9), "") << "outside the grid reads empty";
}

// Records what the interpreter tells a shell.
class Recorder : public ScriptObserver {
 public:
  void LineSkipped(int row, const std::string& reason) override { skipped.emplace_back(row, reason); }
  void StyleSelected(int effectId) override { selected.push_back(effectId); }
  void HistoryStep(HistoryKind kind, const Bitmap24& picture, const std::string& name) override {
    steps.push_back({kind, picture, name});
  }
  struct Step {
    HistoryKind kind;
    Bitmap24 picture;
    std::string name;
  };
  std::vector<std::pair<int, std::string>> skipped;
  std::vector<int> selected;
  std::vector<Step> steps;
};

class RunScriptTest : public ::testing::Test {
 protected:
  void Line(int row, int code, std::vector<std::string> numbers = {}) {
    grid.SetCell(0, row, "line");
    for (std::size_t i = 0; i < numbers.size(); ++i) grid.SetCell(static_cast<int>(i) + 1, row, numbers[i]);
    grid.SetCell(ScriptGrid::kCodeColumn, row, std::to_string(code));
  }
  ScriptOutcome Run() { return RunScript(grid, pictures, settings, context, stop, &recorder); }
  // What one press of "Draw!" draws from the photograph.
  Bitmap24 DrawnOnce(int effectId, const ParameterSet& sliders) {
    RunPictures run;
    run.source = photo;
    run.result = photo;
    StyleSettings style;
    style.effectId = effectId;
    style.sliders = sliders;
    style.sourceMean = ComputeMeanColour(photo);
    RunContext once;
    EXPECT_EQ(RunEffect(run, style, FinishingSettings{}, once), RunOutcome::Finished);
    return run.result;
  }

  const Bitmap24 photo = SyntheticPhoto(90, 60);
  ScriptGrid grid;
  ScriptPictures pictures{photo, photo};
  ScriptSettings settings;
  RunContext context;
  StopRequest stop;
  Recorder recorder;
};

TEST_F(RunScriptTest, AStyleLineDrawsWhatDrawDrawsAndThePhotographComesBack) {
  Line(1, kVivifyEffectId, {"30", "", "70"});
  ASSERT_EQ(Run(), ScriptOutcome::Finished);
  ParameterSet sliders = FactoryDefaults(kVivifyEffectId);
  sliders[0] = 30;
  sliders[2] = 70;
  EXPECT_EQ(pictures.result, DrawnOnce(kVivifyEffectId, sliders));
  EXPECT_EQ(pictures.source, photo);
  ASSERT_EQ(recorder.steps.size(), 2u);
  EXPECT_EQ(recorder.steps[0].kind, HistoryKind::Result);
  EXPECT_EQ(recorder.steps[0].name, EffectName(kVivifyEffectId));
  EXPECT_EQ(recorder.steps[1].kind, HistoryKind::Source);
}

TEST_F(RunScriptTest, StoreInvertRetrieveTurnAndResize) {
  using namespace script_action;
  Line(1, kStoreLeft);
  Line(2, kInvert);
  Line(3, kRetrieveToRight);
  Line(4, kRotateRight);
  Line(5, kResizeLeft, {"30", "20"});
  Line(6, kResizeRight, {"1", "20"});  // below 2 pixels: nothing
  Line(7, kSwap);
  ASSERT_EQ(Run(), ScriptOutcome::Finished);
  // Right: the photograph stored before the inversion, turned and then swapped to the left; the
  // left is the photograph again at the end, the right the turned, inverted, resized photograph.
  EXPECT_EQ(pictures.source, photo);
  EXPECT_EQ(pictures.result.Width(), 30);
  EXPECT_EQ(pictures.result.Height(), 20);
  Bitmap24 turned = photo;
  RotateQuarter(turned, 90);
  InvertColours(turned);
  EXPECT_EQ(pictures.result.Pixel(0, 0), turned.Pixel(0, 0)) << "a corner survives the resample";
  // invert 2, retrieve 1, turn 2, resize 1, swap 2, the photograph back 1
  EXPECT_EQ(recorder.steps.size(), 9u);
  EXPECT_TRUE(recorder.skipped.empty());
}

TEST_F(RunScriptTest, LinesThatAreNotUnderstoodAreSkippedAndUnknownCodesOnlySelectVintage) {
  grid.SetCell(ScriptGrid::kCodeColumn, 1, "twelve");
  Line(2, kVivifyEffectId, {"x"});
  Line(3, 57);
  Line(4, 150);
  Line(5, script_action::kResizeLeft, {"40000", "40000"});
  ASSERT_EQ(Run(), ScriptOutcome::Finished);
  std::vector<int> rows;
  for (const auto& [row, reason] : recorder.skipped) rows.push_back(row);
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, 5}));
  EXPECT_EQ(recorder.selected, (std::vector<int>{kVintagePhotoEffectId}));
  EXPECT_EQ(pictures.result, photo) << "nothing ran";
}

TEST_F(RunScriptTest, TheStopMarkerStopsOnlyTheNextStyle) {
  Line(1, script_action::kStopNextEffect, {"30"});
  Line(2, kVivifyEffectId);
  Line(3, script_action::kStoreRight);
  Line(4, kVivifyEffectId);
  ASSERT_EQ(Run(), ScriptOutcome::Finished);
  ASSERT_EQ(recorder.steps.size(), 3u);
  const Bitmap24 full = DrawnOnce(kVivifyEffectId, FactoryDefaults(kVivifyEffectId));
  EXPECT_NE(recorder.steps[0].picture, full) << "stopped at 30 %";
  EXPECT_EQ(recorder.steps[1].picture, full) << "the next style runs to the end";
  EXPECT_EQ(context.StopPercentage, 100);
}

TEST_F(RunScriptTest, FinishingIsLaidOnceOnTheFinalPicture) {
  settings.finishing.texture.enabled = true;
  settings.finishing.texture.strength = 60;
  ASSERT_TRUE(PrepareTexture(settings.finishing));
  Line(1, kVivifyEffectId);
  ASSERT_EQ(Run(), ScriptOutcome::Finished);
  const Bitmap24 drawn = DrawnOnce(kVivifyEffectId, FactoryDefaults(kVivifyEffectId));
  EXPECT_EQ(recorder.steps.front().picture, drawn) << "the style itself ran without texture";
  EXPECT_NE(pictures.result, drawn) << "the texture came on at the end";
  EXPECT_EQ(pictures.source, photo);
  EXPECT_EQ(recorder.selected.back(), kNoEffectId);
}

TEST_F(RunScriptTest, AStopEndsTheScriptWhereItIs) {
  using namespace script_action;
  class Stopper : public Recorder {
   public:
    explicit Stopper(StopRequest& stop) : stop_(stop) {}
    void LineStarted(int row) override {
      if (row == 2) stop_.Request();
    }
    StopRequest& stop_;
  } stopper(stop);
  Line(1, kInvert);
  Line(2, kVivifyEffectId);
  Line(3, kSwap);
  EXPECT_EQ(RunScript(grid, pictures, settings, context, stop, &stopper), ScriptOutcome::Stopped);
  EXPECT_NE(pictures.source, photo) << "the inverted photograph stays: a stop does not restore it";
  EXPECT_EQ(stopper.steps.size(), 2u);
}

TEST(DefaultScript, RunsToTheMergeOfTwoSketches) {
  if (!StyleAvailable(kPencilSketch5EffectId) || !StyleAvailable(kMergeEffectId)) {
    GTEST_SKIP() << "Pencil sketch 5 and Merge are not in this build yet";
  }
  ScriptPictures pictures{SyntheticPhoto(80, 60), SyntheticPhoto(80, 60)};
  RunContext context;
  StopRequest stop;
  Recorder recorder;
  ASSERT_EQ(RunScript(DefaultScript(), pictures, ScriptSettings{}, context, stop, &recorder), ScriptOutcome::Finished);
  EXPECT_TRUE(recorder.skipped.empty());
  EXPECT_EQ(recorder.selected, (std::vector<int>{kPencilSketch1EffectId, kPencilSketch5EffectId, kMergeEffectId}));
  EXPECT_EQ(pictures.result.Width(), 80);
}

}  // namespace
}  // namespace atelion
