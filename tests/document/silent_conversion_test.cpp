#include "document/silent_conversion.h"
#include "styles/style_list.h"

#include <gtest/gtest.h>

#include "support/test_files.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

using testing_support::DesktopProgram;
using testing_support::ReadBytes;
using testing_support::RunProgram;
using testing_support::TempFolder;

Bitmap24 Photo(int width, int height) { return testing_support::SyntheticPhoto(width, height); }

TEST(SilentStyles, NumbersMapThroughTheFixedTable) {
  const std::pair<int, int> cases[] = {{0, -1}, {1, 0}, {3, 15}, {4, 22}, {7, 20}, {14, 14},
                                       {18, 29}, {29, 12}, {30, 13}, {-1, -2}, {31, -2}};
  for (const auto& [number, effectId] : cases) EXPECT_EQ(SilentStyleEffectId(number), effectId) << number;
}

TEST(SilentStyles, OutputGetsJpgUnlessItEndsInExactlyDotJpg) {
  EXPECT_EQ(SilentOutputName("out"), "out.jpg");
  EXPECT_EQ(SilentOutputName("out.JPG"), "out.JPG.jpg");
  EXPECT_EQ(SilentOutputName("out.jpeg"), "out.jpeg.jpg");
  EXPECT_EQ(SilentOutputName("dir/out.jpg"), "dir/out.jpg");
}

TEST(SilentArguments, SlidersFlagsAndTile) {
  const std::vector<std::string> arguments = {"in.jpg", "out", "14", "300", "x", "60", "-5", "7", "y", "n", "y", "4"};
  std::string error;
  const auto request = ParseSilentArguments(arguments, error);
  ASSERT_TRUE(request) << error;
  const ConversionJob& job = request->job;
  EXPECT_EQ(job.effectId, kNoEffectId);
  EXPECT_EQ(job.output, "out.jpg");
  // Each value is limited by its slider's range; text that is not a number counts as 0.
  EXPECT_EQ(job.style.sliders, (ParameterSet{255, 0, 60, 0, 7}));
  EXPECT_TRUE(job.finishing.softenEdges);
  EXPECT_FALSE(job.finishing.addFrame);
  EXPECT_TRUE(job.finishing.texture.enabled);
  EXPECT_EQ(job.finishing.texture.tileIndex, 3);
  EXPECT_EQ(job.finishing.texture.strength, 25);
}

TEST(SilentArguments, MissingSlidersKeepTheStyleDefaults) {
  const std::vector<std::string> arguments = {"in.jpg", "out.jpg", "14", "90"};
  std::string error;
  const auto request = ParseSilentArguments(arguments, error);
  ASSERT_TRUE(request);
  ParameterSet expected = FactoryDefaults(kNoEffectId);
  expected[0] = 90;
  EXPECT_EQ(request->job.style.sliders, expected);
  EXPECT_FALSE(request->job.finishing.softenEdges);
}

TEST(SilentArguments, Refusals) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"in.jpg"}, {"in.jpg", ""}, {"in.jpg", "out", "31"}, {"in.jpg", "out", "-4"}};
  for (const auto& arguments : cases) {
    std::string error;
    EXPECT_FALSE(ParseSilentArguments(arguments, error)) << arguments.size();
    EXPECT_FALSE(error.empty());
  }
}

class SilentProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SaveImageFile(Photo(64, 48), folder / "in.jpg", ImageFormat::Jpeg, 150));
  }
  TempFolder folder;
};

TEST_F(SilentProgram, ConvertsHeadlessAndKeepsTheResolution) {
  const auto run = RunProgram(DesktopProgram(), {"-silent", (folder / "in.jpg").string(), (folder / "out").string(),
                                                 "14", "150", "128", "50", "128", "0", "y", "n", "y", "3"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const LoadedImage out = LoadImageFile(folder / "out.jpg");
  ASSERT_TRUE(out.status) << out.status.message();
  EXPECT_EQ(out.format, ImageFormat::Jpeg);
  EXPECT_EQ(out.dpi, 150);
  EXPECT_EQ(out.picture.Width(), 64);
}

TEST_F(SilentProgram, UpperCaseJpgGetsJpgAppended) {
  const auto run = RunProgram(DesktopProgram(), {"-silent", (folder / "in.jpg").string(), (folder / "out.JPG").string(), "14"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(std::filesystem::exists(folder / "out.JPG.jpg"));
  EXPECT_FALSE(std::filesystem::exists(folder / "out.JPG"));
}

TEST_F(SilentProgram, StyleZeroWritesTheSourceUnchanged) {
  const auto run = RunProgram(DesktopProgram(), {"-silent", (folder / "in.jpg").string(), (folder / "out.jpg").string(), "0"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const LoadedImage source = LoadImageFile(folder / "in.jpg");
  std::vector<std::uint8_t> expected;
  ASSERT_TRUE(EncodeImage(source.picture, ImageFormat::Jpeg, source.dpi, expected));
  EXPECT_EQ(ReadBytes(folder / "out.jpg"), expected);
}

TEST_F(SilentProgram, FailuresWriteNothingAndSaySo) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;
  };
  const std::string in = (folder / "in.jpg").string();
  const std::string out = (folder / "out.jpg").string();
  testing_support::WriteBytes(folder / "broken.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0x00});
  const Case cases[] = {
      {{"-silent", (folder / "missing.jpg").string(), out, "14"}, kExitUnreadableInput, "missing.jpg"},
      {{"-silent", (folder / "broken.jpg").string(), out, "14"}, kExitUnreadableInput, "broken.jpg"},
      {{"-silent", in, out, "44"}, kExitBadArguments, "44"},
      {{"-silent", in, (folder / "no-such-folder" / "out.jpg").string(), "14"}, kExitWriteFailed, "no-such-folder"},
  };
  for (const Case& c : cases) {
    const auto run = RunProgram(DesktopProgram(), c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

TEST_F(SilentProgram, AStyleNotYetAvailableSaysSoAndWritesNothing) {
  int unavailable = -1;
  for (int number = 1; number < kSilentStyleCount && unavailable < 0; ++number) {
    if (!StyleAvailable(SilentStyleEffectId(number))) unavailable = number;
  }
  if (unavailable < 0) GTEST_SKIP() << "every silent style is available";
  const auto run = RunProgram(DesktopProgram(), {"-silent", (folder / "in.jpg").string(), (folder / "out.jpg").string(),
                                                 std::to_string(unavailable)});
  EXPECT_EQ(run.exitCode, kExitStyleUnavailable) << run.output;
  EXPECT_NE(run.output.find("not available"), std::string::npos) << run.output;
  EXPECT_FALSE(std::filesystem::exists(folder / "out.jpg"));
}

}  // namespace
}  // namespace atelion
