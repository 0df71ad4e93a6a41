#include "document/silent_conversion.h"
#include "styles/painting/painting_1.h"
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

// Only a whole decimal number from 0 to 30 names a style; anything else is refused, and the
// message quotes what was given.
TEST(SilentArguments, AStyleThatIsNotAWholeNumberInTheTableIsRefused) {
  for (const std::string style : {"abc", "1.5", "", " 3", "3 ", "0x3", "1e1", "99999999999", "-99999999999",
                                  "18446744073709551617", "--1", "+", "30a"}) {
    std::string error;
    EXPECT_FALSE(ParseSilentArguments(std::vector<std::string>{"in.jpg", "out", style}, error)) << '"' << style << '"';
    EXPECT_NE(error.find('"' + style + '"'), std::string::npos) << error;
    EXPECT_NE(error.find("0 to 30"), std::string::npos) << error;
  }
  // Style 0 is no style at all: the source is written as it is.
  const std::pair<const char*, int> accepted[] = {
      {"0", -1}, {"+14", kNoEffectId}, {"014", kNoEffectId}, {"30", SilentStyleEffectId(30)}};
  for (const auto& [style, effectId] : accepted) {
    std::string error;
    const auto request = ParseSilentArguments(std::vector<std::string>{"in.jpg", "out", style}, error);
    ASSERT_TRUE(request) << style << ": " << error;
    EXPECT_EQ(request->job.effectId, effectId) << style;
  }
}

// Numbers of any size are limited to the slider's range and to the ten tiles, never wrapped
// around or overflowed; text that is not a number keeps counting as 0 (a slider) or tile 1.
TEST(SilentArguments, SliderValuesAndTilesOfAnySizeAreLimitedToTheirRanges) {
  struct Case {
    std::string value;
    int slider;  ///< what slot 1 of the tone adjustment (0..255) becomes
    int tileIndex;
  };
  const Case cases[] = {
      {"99999999999", 255, 9},
      {"-2147483648", 0, 0},
      {"2147483648", 255, 9},
      {"-99999999999999999999999999", 0, 0},
      {"99999999999999999999999999", 255, 9},
      {"7", 7, 6},
      {"+7", 7, 6},
      {"11", 11, 9},
      {"0", 0, 0},
      {"1.5", 0, 0},
      {"abc", 0, 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::vector<std::string> arguments = {"in.jpg", "out", "14", c.value, "", "", "", "", "n", "n", "y", c.value};
    const auto request = ParseSilentArguments(arguments, error);
    ASSERT_TRUE(request) << c.value << ": " << error;
    EXPECT_EQ(request->job.style.sliders[0], c.slider) << '"' << c.value << '"';
    EXPECT_EQ(request->job.finishing.texture.tileIndex, c.tileIndex) << '"' << c.value << '"';
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

TEST_F(SilentProgram, NumberNineIsThePaintingOneWatercolourWithTheGivenSliders) {
  const auto run = RunProgram(DesktopProgram(), {"-silent", (folder / "in.jpg").string(), (folder / "out").string(),
                                                 "9", "90", "110", "25", "140", "50", "n", "n", "n", "1"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  // The watercolour with colour blending 90, edge intensity 110, strength 25, darken/lighten 140
  // and paper 50; the contour strokes make it repeatable. No soften, frame or texture.
  const LoadedImage source = LoadImageFile(folder / "in.jpg");
  StyleSettings settings;
  settings.effectId = kPainting1EffectId;
  settings.sourceMean = ComputeMeanColour(source.picture);
  RunContext context;
  Bitmap24 painted;
  WatercolourPainting(source.picture, painted, {.colourBlending = 90, .edgeIntensity = 110, .strength = 25,
                                                .darkenLighten = 140, .paperIntensity = 50},
                      settings, SurfaceSettings{}, context);
  std::vector<std::uint8_t> expected;
  ASSERT_TRUE(EncodeImage(painted, ImageFormat::Jpeg, source.dpi, expected));
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
      {{"-silent", in, out, "abc"}, kExitBadArguments, "\"abc\" is not one of the silent styles 0 to 30"},
      {{"-silent", in, out, "1.5"}, kExitBadArguments, "\"1.5\" is not one of the silent styles"},
      {{"-silent", in, out, ""}, kExitBadArguments, "\"\" is not one of the silent styles"},
      {{"-silent", in, out, "99999999999"}, kExitBadArguments, "\"99999999999\" is not one of the silent styles"},
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
