#include <gtest/gtest.h>

#include <sstream>

#include "document/conversion.h"
#include "document/image_files.h"
#include "effects/catalogue.h"
#include "effects/parameter_files.h"
#include "support/test_files.h"

namespace atelion {
namespace {

using testing_support::CliProgram;
using testing_support::RunProgram;
using testing_support::TempFolder;
using testing_support::WriteBytes;

Bitmap24 Photo(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour((x * 9) & 0xFF, (y * 4) & 0xFF, (x * y) & 0xFF));
  }
  return picture;
}

TEST(CliStyles, ListsEveryStyleWithItsSliders) {
  const auto run = RunProgram(CliProgram(), {"styles"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    EXPECT_NE(run.output.find(EffectName(effectId)), std::string::npos) << effectId;
  }
  // Pencil sketch 1's first slider with its range and default, on one line.
  const std::size_t label = run.output.find("Edge threshold");
  ASSERT_NE(label, std::string::npos);
  const std::string line = run.output.substr(label, run.output.find('\n', label) - label);
  EXPECT_NE(line.find("0..255"), std::string::npos) << line;
  EXPECT_NE(line.find("default 20"), std::string::npos) << line;
}

class CliConvert : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SaveImageFile(Photo(50, 40), folder / "in.png", ImageFormat::Png)); }
  TempFolder folder;
};

TEST_F(CliConvert, NeutralToneKeepsEveryPixelInEachFormat) {
  for (const char* name : {"out.png", "out.bmp"}) {
    const auto run = RunProgram(CliProgram(), {"convert", (folder / "in.png").string(), (folder / name).string(),
                                               "--style", "Frame, texture and text only"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const LoadedImage out = LoadImageFile(folder / name);
    ASSERT_TRUE(out.status);
    EXPECT_EQ(out.format, FormatFromExtension(folder / name));
    EXPECT_EQ(out.picture, Photo(50, 40)) << name;
  }
}

TEST_F(CliConvert, SlidersSoftenAndTextureChangeThePicture) {
  const auto run = RunProgram(CliProgram(), {"convert", (folder / "in.png").string(), (folder / "out.png").string(),
                                             "--style", "14", "--p1", "180", "--p5", "90", "--soften", "--texture", "2",
                                             "--texture-strength", "60"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const LoadedImage out = LoadImageFile(folder / "out.png");
  ASSERT_TRUE(out.status);
  EXPECT_NE(out.picture, Photo(50, 40));
}

TEST_F(CliConvert, ExitStatusesNameTheProblem) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;
  };
  const std::string in = (folder / "in.png").string();
  const std::string out = (folder / "out.png").string();
  // The broken inputs a user meets: a cut-off JPEG, a PNG whose header lies about its size,
  // an empty file and a text file named like a picture.
  std::vector<std::uint8_t> jpeg;
  ASSERT_TRUE(EncodeImage(Photo(50, 40), ImageFormat::Jpeg, 300, jpeg));
  jpeg.resize(jpeg.size() / 2);
  WriteBytes(folder / "truncated.jpg", jpeg);
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(EncodeImage(Photo(4, 4), ImageFormat::Png, 300, png));
  for (int i = 16; i < 24; ++i) png[i] = (i % 4 == 2) ? 0x01 : (i % 4 == 3 ? 0x86 : (i % 4 == 1 ? 0x00 : 0x00));
  WriteBytes(folder / "lying.png", png);  // 100000 × 100000 in the header
  WriteBytes(folder / "empty.png", {});
  WriteBytes(folder / "text.png", {'h', 'e', 'l', 'l', 'o', '\n'});
  const Case cases[] = {
      {{"convert", in, out}, kExitBadArguments, "--style"},
      {{"convert", in, out, "--style", "Nothing like it"}, kExitBadArguments, "unknown style"},
      {{"convert", in, out, "--style", "14", "--p3", "101"}, kExitBadArguments, "0..100"},
      {{"convert", in, (folder / "out.tiff").string(), "--style", "14"}, kExitBadArguments, ".tiff"},
      {{"frobnicate"}, kExitBadArguments, "unknown command"},
      {{"convert", (folder / "truncated.jpg").string(), out, "--style", "14"}, kExitUnreadableInput, "truncated.jpg"},
      {{"convert", (folder / "lying.png").string(), out, "--style", "14"}, kExitUnreadableInput, "lying.png"},
      {{"convert", (folder / "empty.png").string(), out, "--style", "14"}, kExitUnreadableInput, "empty.png"},
      {{"convert", (folder / "text.png").string(), out, "--style", "14"}, kExitUnreadableInput, "text.png"},
      {{"convert", in, (folder / "missing" / "out.png").string(), "--style", "14"}, kExitWriteFailed, "missing"},
  };
  for (const Case& c : cases) {
    const auto run = RunProgram(CliProgram(), c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out)) << run.output;
  }
}

TEST_F(CliConvert, ParameterFileGivesTheStyleAndItsSliders) {
  ParameterFile file = ParameterFile::FromTables(ParameterTables(), kNoEffectCatalogueIndex);
  file.sets[kNoEffectId] = {128, 128, 0, 128, 0};  // saturation 0: grey
  ASSERT_TRUE(SaveParameterFile(folder / "grey.atp", file));
  const auto run = RunProgram(CliProgram(), {"convert", (folder / "in.png").string(), (folder / "out.png").string(),
                                             "--params", (folder / "grey.atp").string()});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const LoadedImage out = LoadImageFile(folder / "out.png");
  ASSERT_TRUE(out.status);
  for (int y = 0; y < out.picture.Height(); ++y) {
    for (int x = 0; x < out.picture.Width(); ++x) {
      const Colour c = out.picture.Pixel(x, y);
      ASSERT_TRUE(RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c)) << x << "," << y;
    }
  }
  const auto missing = RunProgram(CliProgram(), {"convert", (folder / "in.png").string(), (folder / "out2.png").string(),
                                                 "--params", (folder / "none.atp").string()});
  EXPECT_EQ(missing.exitCode, kExitUnreadableInput);
  EXPECT_NE(missing.output.find("File not found"), std::string::npos) << missing.output;
}

TEST(CliHelp, PrintsUsage) {
  const auto run = RunProgram(CliProgram(), {"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("atelion-cli convert IN OUT"), std::string::npos);
}

}  // namespace
}  // namespace atelion
