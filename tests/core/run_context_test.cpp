#include "core/run_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace atelion {
namespace {

TEST(RandomGenerator, SeedOf1969GivesTheFixedSequence) {
  RandomGenerator rng;
  rng.RandomSeed = kStyleSeed;
  EXPECT_EQ(rng.Random(100), 78);
  EXPECT_EQ(rng.Random(100), 64);
  EXPECT_EQ(rng.Random(100), 33);
}

TEST(RandomGenerator, FloatDrawsStayBelowOne) {
  RandomGenerator rng;
  rng.RandomSeed = 0xFFFFFFFFu - 134775813u;  // a seed that advances to the top of the range
  for (int i = 0; i < 1000; ++i) {
    const double value = rng.Random();
    ASSERT_GE(value, 0.0);
    ASSERT_LT(value, 1.0);
  }
}

// Records what a shell would show, and answers the cancel question as told.
class RecordingSink : public ProgressSink {
 public:
  void RunStarted() override { events.push_back("start"); }
  void ShowProgress(int percent, Colour colour) override {
    shown.push_back(percent);
    lastColour = colour;
  }
  void RunFinished() override { events.push_back("finish"); }
  bool ConfirmCancel() override {
    events.push_back("ask");
    return answerOk;
  }
  void CancelConfirmed() override { events.push_back("cancelled"); }
  void StopMarkerReset() override { events.push_back("marker"); }

  bool answerOk = true;
  std::vector<std::string> events;
  std::vector<int> shown;
  Colour lastColour = 0;
};

TEST(ReportProgress, PercentageArithmetic) {
  struct Case {
    int step, total, pass, passes, percent;
  };
  const Case cases[] = {
      {990, 1000, 1, 1, 99}, {991, 1000, 1, 1, 100}, {50, 100, 2, 2, 75},
      {0, 100, 1, 3, 0},     {100, 100, 1, 3, 33},   {5, 0, 1, 1, 100},  // no total: pass complete
      {5, -7, 2, 2, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressPercent(c.step, c.total, c.pass, c.passes), c.percent)
        << c.step << "/" << c.total << " pass " << c.pass << "/" << c.passes;
  }
}

TEST(ReportProgress, BarColourLightensWithThePercentage) {
  EXPECT_EQ(ProgressBarColour(0), MakeColour(30, 107, 153));
  EXPECT_EQ(ProgressBarColour(57), MakeColour(87, 164, 210));
  EXPECT_EQ(ProgressBarColour(150), MakeColour(180, 1, 47));
}

TEST(ReportProgress, ShowsNothingUnlessProcessing) {
  RecordingSink sink;
  RunContext context;
  context.Progress = &sink;
  context.ReportProgress(0, 100, 1, 1);
  context.ReportProgress(50, 100, 1, 1);
  EXPECT_TRUE(sink.events.empty());
  EXPECT_TRUE(sink.shown.empty());

  context.Processing = true;
  context.ProgressSuppressed = true;
  context.ReportProgress(50, 100, 1, 1);
  EXPECT_TRUE(sink.shown.empty());
}

TEST(ReportProgress, StartProgressAndDone) {
  RecordingSink sink;
  RunContext context;
  context.Progress = &sink;
  context.Processing = true;
  context.ReportProgress(0, 100, 1, 1);
  context.ReportProgress(57, 100, 1, 1);
  EXPECT_EQ(context.ShownPercent(), 57);
  context.ReportProgress(101, 100, 1, 1);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"start", "finish"}));
  EXPECT_EQ(sink.shown, (std::vector<int>{0, 57}));
  EXPECT_EQ(sink.lastColour, ProgressBarColour(57));
  EXPECT_EQ(context.ShownPercent(), -1);
}

TEST(ReportProgress, ZeroPassesOrZeroTotalNeverDivideByZero) {
  RecordingSink sink;
  RunContext context;
  context.Progress = &sink;
  context.Processing = true;
  context.ReportProgress(1, 0, 1, 0);
  EXPECT_TRUE(sink.shown.empty());
  context.ReportProgress(0, 0, 1, 2);
  EXPECT_EQ(sink.shown.back(), 50);
}

TEST(StopPercentage, StopsAtTheFirstReportReachingIt) {
  RecordingSink sink;
  RunContext context;
  context.Progress = &sink;
  context.Processing = true;
  context.StopPercentage = 30;
  context.ReportProgress(0, 100, 1, 1);
  context.ReportProgress(29, 100, 1, 1);
  EXPECT_FALSE(context.AbortRequested);
  context.ReportProgress(30, 100, 1, 1);  // shows 30 %
  EXPECT_TRUE(context.AbortRequested);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"start", "ask", "finish", "cancelled"}));
}

TEST(StopPercentage, AnsweringCancelLetsTheRunFinishWithTheMarkerAt100) {
  RecordingSink sink;
  sink.answerOk = false;
  RunContext context;
  context.Progress = &sink;
  context.Processing = true;
  context.StopPercentage = 30;
  context.ReportProgress(40, 100, 1, 1);
  EXPECT_FALSE(context.AbortRequested);
  EXPECT_EQ(context.StopPercentage, 100);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"ask", "marker"}));
  context.ReportProgress(99, 100, 1, 1);  // shows 100 % and never stops
  EXPECT_FALSE(context.AbortRequested);
}

TEST(StopPercentage, BatchRunsStopWithoutAsking) {
  RecordingSink sink;
  RunContext context;
  context.Progress = &sink;
  context.Processing = true;
  context.CancelWithoutAsking = true;
  context.StopPercentage = 10;
  context.ReportProgress(10, 100, 1, 1);
  EXPECT_TRUE(context.AbortRequested);
  EXPECT_EQ(std::count(sink.events.begin(), sink.events.end(), "ask"), 0);
}

TEST(StopPercentage, TextThatIsNotANumberCountsAsZero) {
  RunContext context;
  context.SetStopPercentageText("abc");
  EXPECT_EQ(context.StopPercentage, 0);
  context.SetStopPercentageText("45");
  EXPECT_EQ(context.StopPercentage, 45);

  RecordingSink sink;
  context.Progress = &sink;
  context.Processing = true;
  context.SetStopPercentageText("");
  context.ReportProgress(0, 100, 1, 1);
  context.ReportProgress(1, 100, 1, 1);
  EXPECT_TRUE(context.AbortRequested);
}

TEST(StopPercentage, HundredNeverStops) {
  RecordingSink sink;
  RunContext context;
  context.Progress = &sink;
  context.Processing = true;
  for (int step = 0; step < 1000; ++step) context.ReportProgress(step, 1000, 1, 1);
  EXPECT_FALSE(context.AbortRequested);
}

TEST(ProcessingScope, MarksTheRunAndGivesTheFlagBackAsItWas) {
  RunContext context;
  {
    const ProcessingScope run(context);
    EXPECT_TRUE(context.Processing);
    {
      const ProcessingScope inner(context);  // a frame painted inside the run
      EXPECT_TRUE(context.Processing);
    }
    EXPECT_TRUE(context.Processing) << "the inner computation leaves the run marked";
  }
  EXPECT_FALSE(context.Processing);
}

TEST(RunContext, IdleResetClearsTheRunFlags) {
  RunContext context;
  context.AbortRequested = true;
  context.Processing = true;
  context.ProgressSuppressed = true;
  context.PreviewEffect = 22;
  context.ResetWhenIdle();
  EXPECT_FALSE(context.AbortRequested);
  EXPECT_FALSE(context.Processing);
  EXPECT_FALSE(context.ProgressSuppressed);
  EXPECT_EQ(context.PreviewEffect, 0);
}

}  // namespace
}  // namespace atelion

namespace atelion {
namespace {

TEST(RunContext, LackOfMemoryStopsTheRunAndTheBatchAndEndsTheDisplay) {
  RecordingSink sink;
  RunContext context;
  context.Progress = &sink;
  context.Processing = true;
  context.ReportProgress(0, 100, 1, 1);
  EXPECT_FALSE(context.LackedMemory);
  context.StopForLackOfMemory();
  EXPECT_TRUE(context.AbortRequested);
  EXPECT_TRUE(context.BatchCancelled);
  EXPECT_TRUE(context.LackedMemory);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"start", "finish"}));
}

}  // namespace
}  // namespace atelion
