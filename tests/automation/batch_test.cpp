// Batch conversion: the names and formats of the results, files left alone or replaced, failures
// in the middle of a list, a cancel, and the same bytes however many jobs share the work.
#include "automation/batch.h"

#include <gtest/gtest.h>

#include "support/synthetic_photos.h"
#include "support/test_files.h"

namespace atelion {
namespace {

using testing_support::ReadBytes;
using testing_support::SyntheticPhoto;
using testing_support::TempFolder;

TEST(BatchOutput, NameAndFormatFollowTheInputsExtension) {
  const struct {
    const char* input;
    const char* output;
    ImageFormat format;
  } cases[] = {
      {"/photos/beach.JPG", "beach_Atelion.JPG", ImageFormat::Jpeg},
      {"trip.jpeg", "trip_Atelion.jpeg", ImageFormat::Jpeg},
      {"scan.bmp", "scan_Atelion.bmp", ImageFormat::Bmp},
      {"logo.PNG", "logo_Atelion.PNG", ImageFormat::Png},
      {"old.gif", "old_Atelion.gif", ImageFormat::Bmp},
      {"notes", "notes_Atelion", ImageFormat::Bmp},
      {"holiday.2026.jpg", "holiday.2026_Atelion.jpg", ImageFormat::Jpeg},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(BatchOutputName(c.input), c.output);
    EXPECT_EQ(BatchOutputFormat(BatchOutputName(c.input)), c.format);
  }
  EXPECT_EQ(BatchOutputPath("/out", "/photos/beach.JPG"), std::filesystem::path("/out/beach_Atelion.JPG"));
  EXPECT_EQ(BatchOutputPath("", "/photos/beach.JPG"), std::filesystem::path("/photos/beach_Atelion.JPG"));
}

TEST(BatchFileSeed, DependsOnTheSeedAndTheNameOnly) {
  EXPECT_EQ(BatchFileSeed(7, "/a/beach.jpg"), BatchFileSeed(7, "/b/beach.jpg"));
  EXPECT_NE(BatchFileSeed(7, "beach.jpg"), BatchFileSeed(8, "beach.jpg"));
  EXPECT_NE(BatchFileSeed(7, "beach.jpg"), BatchFileSeed(7, "beach2.jpg"));
}

class RunBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(folder / "in");
    std::filesystem::create_directory(folder / "out");
    for (const char* name : {"one.jpg", "two.png", "three.bmp"}) {
      const std::filesystem::path path = folder.path() / "in" / name;
      ASSERT_TRUE(SaveImageFile(SyntheticPhoto(48, 36), path, FormatFromExtension(path)));
      job.files.push_back(path);
    }
    job.outputFolder = folder / "out";
    job.conversion.effectId = kVivifyEffectId;
    job.conversion.style.sliders = FactoryDefaults(kVivifyEffectId);
  }
  std::filesystem::path Output(const char* name) const { return folder.path() / "out" / name; }

  TempFolder folder;
  BatchJob job;
  StopRequest stop;
};

TEST_F(RunBatchTest, WritesEachFileInItsFormatAndLeavesExistingResultsUnlessAskedToReplace) {
  testing_support::WriteBytes(Output("two_Atelion.png"), {1, 2, 3});
  BatchSummary summary = RunBatch(job, stop);
  EXPECT_EQ(summary.written, 2);
  EXPECT_EQ(summary.skipped, 1);
  EXPECT_EQ(summary.files[1].outcome, BatchFileOutcome::Skipped);
  EXPECT_EQ(ReadBytes(Output("two_Atelion.png")), (testing_support::Bytes{1, 2, 3})) << "left untouched";
  EXPECT_EQ(LoadImageFile(Output("one_Atelion.jpg")).format, ImageFormat::Jpeg);
  EXPECT_EQ(LoadImageFile(Output("three_Atelion.bmp")).format, ImageFormat::Bmp);

  job.overwrite = true;
  summary = RunBatch(job, stop);
  EXPECT_EQ(summary.written, 3);
  const LoadedImage replaced = LoadImageFile(Output("two_Atelion.png"));
  ASSERT_TRUE(replaced.status);
  EXPECT_EQ(replaced.format, ImageFormat::Png);
  EXPECT_EQ(replaced.picture.Width(), 48);
}

TEST_F(RunBatchTest, AFailureInTheMiddleIsNamedAndTheOthersAreWrittenUnlessTheBatchStopsThere) {
  testing_support::WriteBytes(job.files[1], {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
  BatchSummary summary = RunBatch(job, stop);
  EXPECT_EQ(summary.written, 2);
  EXPECT_EQ(summary.failed, 1);
  EXPECT_EQ(summary.files[1].outcome, BatchFileOutcome::Failed);
  EXPECT_NE(summary.files[1].message.find("two.png"), std::string::npos) << summary.files[1].message;
  EXPECT_FALSE(std::filesystem::exists(Output("two_Atelion.png")));

  std::filesystem::remove(Output("one_Atelion.jpg"));
  std::filesystem::remove(Output("three_Atelion.bmp"));
  job.stopAtFailure = true;
  summary = RunBatch(job, stop);
  EXPECT_EQ(summary.written, 1);
  EXPECT_EQ(summary.files[2].outcome, BatchFileOutcome::Cancelled);
  EXPECT_FALSE(std::filesystem::exists(Output("three_Atelion.bmp")));
}

TEST_F(RunBatchTest, ACancelDuringTheThirdFileKeepsTheFirstTwo) {
  BatchObserver observer;
  std::vector<int> started;
  observer.fileStarted = [&](int index, int count, const std::filesystem::path&) {
    EXPECT_EQ(count, 3);
    started.push_back(index);
    if (index == 2) stop.Request();
  };
  const BatchSummary summary = RunBatch(job, stop, observer);
  EXPECT_EQ(started, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(summary.cancelled);
  EXPECT_EQ(summary.written, 2);
  EXPECT_EQ(summary.files[2].outcome, BatchFileOutcome::Cancelled);
  EXPECT_TRUE(std::filesystem::exists(Output("two_Atelion.png")));
  EXPECT_FALSE(std::filesystem::exists(Output("three_Atelion.bmp")));
}

TEST_F(RunBatchTest, TwoJobsWriteTheSameBytesAsOne) {
  job.conversion.effectId = kPainting7EffectId;
  job.conversion.style.sliders = FactoryDefaults(kPainting7EffectId);
  job.conversion.seed = 7;
  std::vector<int> percents;
  BatchObserver observer;
  observer.progress = [&](int percent) { percents.push_back(percent); };
  ASSERT_EQ(RunBatch(job, stop, observer).written, 3);
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end())) << "one job: the batch's share only grows";
  EXPECT_EQ(percents.back(), 100);
  std::vector<testing_support::Bytes> single;
  for (const char* name : {"one_Atelion.jpg", "two_Atelion.png", "three_Atelion.bmp"}) single.push_back(ReadBytes(Output(name)));

  job.jobs = 2;
  job.overwrite = true;
  ASSERT_EQ(RunBatch(job, stop).written, 3);
  int index = 0;
  for (const char* name : {"one_Atelion.jpg", "two_Atelion.png", "three_Atelion.bmp"}) {
    EXPECT_EQ(ReadBytes(Output(name)), single[static_cast<std::size_t>(index++)]) << name;
  }
}

}  // namespace
}  // namespace atelion
