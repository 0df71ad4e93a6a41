#include "document/conversion.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace atelion {
namespace {

using testing_support::TempFolder;

// Stands for the user pressing cancel as soon as the run shows progress.
class CancelAtOnce : public ProgressSink {
 public:
  explicit CancelAtOnce(RunContext& context) : context_(context) {}
  void ShowProgress(int, Colour) override { context_.AbortRequested = true; }

 private:
  RunContext& context_;
};

class Conversion : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SaveImageFile(Bitmap24(30, 20, 0x336699), folder / "in.png", ImageFormat::Png));
    job.input = folder / "in.png";
    job.output = folder / "out.png";
    job.outputFormat = ImageFormat::Png;
    job.effectId = kNoEffectId;
    job.style.sliders = {200, 128, 50, 128, 0};
  }
  TempFolder folder;
  ConversionJob job;
};

TEST_F(Conversion, WritesTheStyledPicture) {
  RunContext context;
  const ConversionResult result = ConvertFile(job, context);
  ASSERT_EQ(result.code, kExitOk) << result.message;
  const LoadedImage out = LoadImageFile(folder / "out.png");
  ASSERT_TRUE(out.status);
  EXPECT_NE(out.picture.Pixel(5, 5), 0x336699u);  // brightened
}

TEST_F(Conversion, CancelledRunsWriteNothing) {
  for (const bool beforeStart : {false, true}) {
    RunContext context;
    CancelAtOnce cancel(context);
    context.Progress = &cancel;
    context.AbortRequested = beforeStart;
    const ConversionResult result = ConvertFile(job, context);
    EXPECT_EQ(result.code, kExitCancelled) << beforeStart;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.png"));
  }
}

}  // namespace
}  // namespace atelion
