#include "document/conversion.h"

#include <gtest/gtest.h>

#include "core/filters.h"
#include "finishing/frames.h"
#include "support/synthetic_photos.h"
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

// The file run releases the source and keeps no untextured copy; the file it writes holds the
// picture a run keeping every picture finishes, for styles that draw into the shown picture, into
// one of their own or into the source they take over, with a frame that reads the source.
TEST_F(Conversion, WritesWhatARunKeepingEveryPictureFinishes) {
  const Bitmap24 photo = testing_support::SyntheticPhoto(33, 21);
  ASSERT_TRUE(SaveImageFile(photo, folder / "photo.png", ImageFormat::Png));
  for (const int effectId : {kNoEffectId, 12, 19, 21, 26}) {
    SCOPED_TRACE(EffectName(effectId));
    ConversionJob styled = job;
    styled.input = folder / "photo.png";
    styled.effectId = effectId;
    styled.style.sliders = FactoryDefaults(effectId);
    styled.seed = 7;
    styled.finishing.addFrame = true;
    styled.finishing.frame.entry = static_cast<int>(FrameStyle::Brushstrokes);
    styled.finishing.frame.margin = 10;
    RunContext context;
    const ConversionResult result = ConvertFile(styled, context);
    ASSERT_EQ(result.code, kExitOk) << result.message;

    RunPictures pictures;
    pictures.source = photo;
    pictures.result = photo;
    StyleSettings settings = styled.style;
    settings.effectId = effectId;
    settings.sourceMean = ComputeMeanColour(photo);
    RunContext kept;
    kept.Rng.RandomSeed = 7;
    ASSERT_EQ(RunEffect(pictures, settings, styled.finishing, kept), RunOutcome::Finished);
    const LoadedImage written = LoadImageFile(folder / "out.png");
    ASSERT_TRUE(written.status);
    EXPECT_EQ(written.picture, pictures.result);
  }
}

}  // namespace
}  // namespace atelion
