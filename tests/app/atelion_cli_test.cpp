#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <sstream>

#include <filesystem>

#include "core/filters.h"
#include "document/conversion.h"
#include "imageio/image_files.h"
#include "styles/catalogue.h"
#include "document/silent_conversion.h"
#include "effects/parameter_files.h"
#include "effects/run_pipeline.h"
#include "finishing/frames.h"
#include "finishing/font_engine.h"
#include "styles/style_list.h"
#include "support/test_files.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

using testing_support::CliProgram;
using testing_support::RunProgram;
using testing_support::TempFolder;
using testing_support::WriteBytes;

Bitmap24 Photo(int width, int height) { return testing_support::SyntheticPhoto(width, height); }

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

// Style names follow --language, or the locale without it; a name in English works in any language.
TEST(CliStyles, NamesFollowTheLanguageAndEnglishNamesAlwaysWork) {
  const auto spanish = RunProgram(CliProgram(), {"--language", "Spanish", "styles"});
  ASSERT_EQ(spanish.exitCode, 0) << spanish.output;
  EXPECT_NE(spanish.output.find("Boceto a lápiz 1"), std::string::npos);
  EXPECT_NE(spanish.output.find("Umbral de bordes"), std::string::npos);
  EXPECT_EQ(spanish.output.find("Pencil sketch 1"), std::string::npos);

  const auto german = RunProgram(CliProgram(), {"styles"}, {"LANG=de_AT.UTF-8"});
  ASSERT_EQ(german.exitCode, 0) << german.output;
  EXPECT_NE(german.output.find("Bleistiftskizze 1"), std::string::npos);

  const auto unknown = RunProgram(CliProgram(), {"--language", "Klingon", "styles"});
  EXPECT_EQ(unknown.exitCode, kExitBadArguments);
  EXPECT_NE(unknown.output.find("unknown language \"Klingon\""), std::string::npos) << unknown.output;

  TempFolder folder;
  ASSERT_TRUE(SaveImageFile(Photo(20, 16), folder / "in.png", ImageFormat::Png));
  for (const char* name : {"Solo marco, textura y texto", "Frame, texture and text only"}) {
    const auto run = RunProgram(CliProgram(), {"--language", "Español", "convert", (folder / "in.png").string(),
                                               (folder / "out.png").string(), "--style", name});
    EXPECT_EQ(run.exitCode, 0) << name << ": " << run.output;
  }
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

// The merge takes its second picture from --with; without it (and in the silent mode) the
// source is merged with itself. A result of another size is refused and nothing is written.
TEST_F(CliConvert, MergeTakesTheResultGivenWithWith) {
  const Bitmap24 source = Photo(50, 40);
  Bitmap24 drawing(50, 40, 0xFFFFFF);
  for (int x = 0; x < 50; ++x) drawing.SetPixel(x, 20, 0);  // one black line on white
  ASSERT_TRUE(SaveImageFile(drawing, folder / "result.png", ImageFormat::Png));
  ASSERT_TRUE(SaveImageFile(Bitmap24(51, 40), folder / "wide.png", ImageFormat::Png));
  const std::string in = (folder / "in.png").string(), out = (folder / "out.png").string();
  // Pure multiply: white parts of the result show the source, the black line stays black.
  const auto run = RunProgram(CliProgram(), {"convert", in, out, "--style", "13", "--with",
                                             (folder / "result.png").string(), "--p1", "0", "--p2", "255", "--p3", "50"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const Bitmap24 merged = LoadImageFile(out).picture;
  EXPECT_EQ(merged.Pixel(10, 5), source.Pixel(10, 5));
  EXPECT_EQ(merged.Pixel(10, 20), Colour{0});
  // Without --with the result is the source: the default linear mix of a value with itself.
  const auto itself = RunProgram(CliProgram(), {"convert", in, out, "--style", "13"});
  ASSERT_EQ(itself.exitCode, 0) << itself.output;
  Bitmap24 mixed = source;
  for (int y = 0; y < mixed.Height(); ++y)
    for (int i = 0; i < 3 * mixed.Width(); ++i) mixed.Row(y)[i] = static_cast<std::uint8_t>(mixed.Row(y)[i] * 128 / 255 + 127 * mixed.Row(y)[i] / 255);
  EXPECT_EQ(LoadImageFile(out).picture, mixed);

  std::filesystem::remove(out);
  const auto wide = RunProgram(CliProgram(), {"convert", in, out, "--style", "13", "--with", (folder / "wide.png").string()});
  EXPECT_EQ(wide.exitCode, kExitBadArguments);
  EXPECT_NE(wide.output.find("51 x 40"), std::string::npos) << wide.output;
  EXPECT_FALSE(std::filesystem::exists(out));
  const auto otherStyle = RunProgram(CliProgram(), {"convert", in, out, "--style", "14", "--with", (folder / "result.png").string()});
  EXPECT_EQ(otherStyle.exitCode, kExitBadArguments);
  const auto missing = RunProgram(CliProgram(), {"convert", in, out, "--style", "13", "--with", (folder / "none.png").string()});
  EXPECT_EQ(missing.exitCode, kExitUnreadableInput);

  // Silent number 30 is the merge, of the source with itself.
  ASSERT_EQ(SilentStyleEffectId(30), kMergeEffectId);
  const std::string silentOut = (folder / "silent.jpg").string();
  const auto silent = RunProgram(testing_support::DesktopProgram(), {"-silent", in, silentOut, "30", "0", "255", "50"});
  ASSERT_EQ(silent.exitCode, 0) << silent.output;
  const Bitmap24 squared = LoadImageFile(silentOut).picture;
  ASSERT_EQ(squared.Width(), 50);
  // Multiplying a picture by itself darkens it: the mean falls.
  EXPECT_LT(ComputeMeanColour(squared).green + 10, ComputeMeanColour(source).green);
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
      {{"convert", in, out, "--style", "14", "--frame", "7"}, kExitBadArguments, "--frame needs"},
      {{"convert", in, out, "--style", "14", "--frame", "Golden frame"}, kExitBadArguments, "--frame needs"},
      {{"convert", in, out, "--style", "14", "--frame-margin", "10"}, kExitBadArguments, "needs --frame"},
      {{"convert", in, out, "--style", "14", "--frame", "0", "--frame-margin", "5001"}, kExitBadArguments, "0 to 5000"},
      {{"convert", in, out, "--style", "14", "--frame", "1", "--frame-fill", "12345G"}, kExitBadArguments, "RRGGBB"},
      {{"convert", in, out, "--style", "14", "--frame", "0", "--frame-line", "FFFFFF"}, kExitBadArguments,
       "--frame-line does not apply to the frame \"Simple frame\""},
      {{"convert", in, out, "--style", "14", "--frame", "3", "--frame-number", "6"}, kExitBadArguments, "1 to 5"},
      {{"convert", in, out, "--style", "14", "--frame", "6", "--frame-picture", (folder / "text.png").string()},
       kExitUnreadableInput, "text.png"},
  };
  for (const Case& c : cases) {
    const auto run = RunProgram(CliProgram(), c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out)) << run.output;
  }
}

// Files that are no files to read, or no parameter files: each is refused at once with a message
// naming it, nothing is written, and nothing waits on a pipe or reads a device without end.
TEST_F(CliConvert, FilesThatCannotBeWhatTheyAreNamedForAreRefused) {
  const std::string in = (folder / "in.png").string();
  const std::string out = (folder / "out.png").string();
  std::filesystem::create_directory(folder / "a folder");
  ASSERT_EQ(::mkfifo((folder / "a pipe").c_str(), 0600), 0);
  WriteBytes(folder / "empty.atp", {});
  WriteBytes(folder / "zeros.atp", std::vector<std::uint8_t>(2048, 0));
  WriteBytes(folder / "notes.atp", {'s', 'h', 'o', 'p', 'p', 'i', 'n', 'g', '\n', 'm', 'i', 'l', 'k', '\n'});
  struct Case {
    std::vector<std::string> options;
    std::string message;
  };
  const std::string folderName = (folder / "a folder").string();
  const std::string pipeName = (folder / "a pipe").string();
  const Case cases[] = {
      {{"--frame", "6", "--frame-picture", folderName}, folderName + "\": this is a folder"},
      {{"--frame", "6", "--frame-picture", "/dev/zero"}, "/dev/zero\": this is not a regular file"},
      {{"--frame", "6", "--frame-picture", pipeName}, pipeName + "\": this is not a regular file"},
      {{"--params", folderName}, folderName},
      {{"--params", pipeName}, pipeName},
      {{"--params", (folder / "empty.atp").string()}, "empty.atp: this is not a parameter file"},
      {{"--params", (folder / "zeros.atp").string()}, "zeros.atp: this is not a parameter file"},
      {{"--params", (folder / "notes.atp").string()}, "notes.atp: this is not a parameter file"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"convert", in, out, "--style", "14"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const auto run = RunProgram(CliProgram(), arguments);
    EXPECT_EQ(run.exitCode, kExitUnreadableInput) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out)) << run.output;
  }
}

// An output the user has write-protected is kept as it is, and the conversion says why it failed.
TEST_F(CliConvert, AWriteProtectedOutputIsKept) {
  const std::filesystem::path out = folder / "kept.png";
  WriteBytes(out, {'k', 'e', 'e', 'p'});
  std::filesystem::permissions(out, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                        std::filesystem::perms::others_read);
  const auto run = RunProgram(CliProgram(), {"convert", (folder / "in.png").string(), out.string(), "--style", "14"});
  EXPECT_EQ(run.exitCode, kExitWriteFailed) << run.output;
  EXPECT_NE(run.output.find(out.string() + ": the file is write-protected; it was not replaced"), std::string::npos)
      << run.output;
  EXPECT_EQ(testing_support::ReadBytes(out), (testing_support::Bytes{'k', 'e', 'e', 'p'}));
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"in.png", "kept.png"}));
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

TEST_F(CliConvert, FrameOptionsShapeTheFramedPicture) {
  // The input is 50 × 40.
  struct Case {
    std::vector<std::string> options;
    int width;
    int height;
    int x, y;  ///< a pixel to look at, and what it must be: the frame colour, or the picture's (px, py)
    std::optional<Colour> colour;
    int px, py;
  };
  const Case cases[] = {
      {{"--frame", "0", "--frame-margin", "10", "--frame-fill", "102030"}, 60, 50, 2, 2, MakeColour(0x10, 0x20, 0x30)},
      {{"--frame", "simple frame", "--frame-margin", "10"}, 60, 50, 25, 20, std::nullopt, 20, 15},
      // The line of the lined frame lies (20 − 5) div 2 pixels in from the edge.
      {{"--frame", "Lined frame ", "--frame-margin", "20", "--frame-line", "#FF0000"}, 70, 60, 7, 30, 0x0000FFu},
      // 50 + 2 · 3 + 10 − 1 wide; the second panel starts at 5 + 3 + 16.
      {{"--frame", "4", "--frame-margin", "10", "--frame-spacing", "3"}, 65, 50, 24 + 12, 5 + 20, std::nullopt, 16 + 12, 20},
      {{"--frame", "Brushstrokes", "--frame-margin", "10"}, 60, 50, 30, 25, std::nullopt, 25, 20},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"convert", (folder / "in.png").string(), (folder / "framed.png").string(),
                                          "--style", "14"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const auto run = RunProgram(CliProgram(), arguments);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const LoadedImage out = LoadImageFile(folder / "framed.png");
    ASSERT_TRUE(out.status);
    EXPECT_EQ(out.picture.Width(), c.width) << c.options[1];
    EXPECT_EQ(out.picture.Height(), c.height) << c.options[1];
    EXPECT_EQ(out.picture.Pixel(c.x, c.y), c.colour ? *c.colour : Photo(50, 40).Pixel(c.px, c.py)) << c.options[1];
  }
  // The styles with a frame picture put the margin-framed picture into a larger one.
  for (const char* entry : {"2", "3", "6"}) {
    const auto run = RunProgram(CliProgram(), {"convert", (folder / "in.png").string(), (folder / "framed.png").string(),
                                               "--style", "14", "--frame", entry, "--frame-margin", "10"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const LoadedImage out = LoadImageFile(folder / "framed.png");
    ASSERT_TRUE(out.status);
    EXPECT_GT(out.picture.Width(), 60) << entry;
    EXPECT_GT(out.picture.Height(), 50) << entry;
  }
}

TEST_F(CliConvert, TextOptionsWriteTheLine) {
  ASSERT_TRUE(SaveImageFile(Photo(200, 90), folder / "wide.png", ImageFormat::Png));
  const auto convert = [&](const std::string& name, std::vector<std::string> options) {
    std::vector<std::string> arguments = {"convert", (folder / "wide.png").string(), (folder / name).string(),
                                          "--style", "Frame, texture and text only"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return RunProgram(CliProgram(), arguments);
  };
  const Bitmap24 photo = Photo(200, 90);
  // Top left in pure red: the changed pixels stay in the upper left, and some are red.
  auto run = convert("red.png", {"--text", "Crème", "--text-position", "Top left", "--font-size", "10",
                                 "--text-colour", "FF0000", "--font-style", "bold,underline"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const LoadedImage red = LoadImageFile(folder / "red.png");
  ASSERT_TRUE(red.status);
  int changed = 0;
  bool pureRed = false;
  for (int y = 0; y < 90; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (red.picture.Pixel(x, y) == photo.Pixel(x, y)) continue;
      ++changed;
      ASSERT_TRUE(x < 100 && y < 45) << x << "," << y;
      pureRed |= red.picture.Pixel(x, y) == MakeColour(255, 0, 0);
    }
  }
  EXPECT_GT(changed, 50);
  EXPECT_TRUE(pureRed);

  // Opacity 0 leaves the picture as it was, shadow or not.
  run = convert("clear.png", {"--text", "Crème", "--text-opacity", "0", "--text-shadow", "--text-position", "5"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(LoadImageFile(folder / "clear.png").picture, photo);

  // The shadow darkens pixels that the same text without it leaves alone.
  ASSERT_EQ(convert("plain.png", {"--text", "Atelion", "--text-position", "5"}).exitCode, 0);
  ASSERT_EQ(convert("shadow.png", {"--text", "Atelion", "--text-position", "5", "--text-shadow"}).exitCode, 0);
  EXPECT_NE(LoadImageFile(folder / "plain.png").picture, LoadImageFile(folder / "shadow.png").picture);

  // A missing family is replaced, and the program says by which font.
  run = convert("fallback.png", {"--text", "Atelion", "--font", "Atelion Missing Family"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("\"Atelion Missing Family\" is not installed"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(kDefaultFontFamily), std::string::npos) << run.output;
}

TEST_F(CliConvert, TextOptionsRefuseUnusableValues) {
  struct Case {
    std::vector<std::string> options;
    std::string message;
  };
  const Case cases[] = {
      {{"--font", "DejaVu Serif"}, "--font needs --text"},
      {{"--text"}, "--text needs"},
      {{"--text", "a", "--font-size", "0"}, "--font-size needs a size in points from 1 to 500"},
      {{"--text", "a", "--text-position", "10"}, "--text-position"},
      {{"--text", "a", "--text-position", "User defined position"}, "--text-position"},
      {{"--text", "a", "--font-style", "bold,heavy"}, "not \"heavy\""},
      {{"--text", "a", "--text-colour", "red"}, "RRGGBB"},
      {{"--text", "a", "--text-opacity", "256"}, "from 0 to 255"},
      {{"--text", "a", "--text-size", "12"}, "unknown option --text-size"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"convert", (folder / "in.png").string(), (folder / "out.png").string(),
                                          "--style", "14"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const auto run = RunProgram(CliProgram(), arguments);
    EXPECT_EQ(run.exitCode, kExitBadArguments) << c.message;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.png"));
  }
}

// The command line itself: a number is a whole decimal number that fits, nothing else; an option
// at the end of the line says what it needed; the word after an option is its value; and the
// first problem on the line is the one reported. Nothing is written.
TEST_F(CliConvert, BadCommandLinesAreRefusedWithTheirReason) {
  const std::string in = (folder / "in.png").string();
  const std::string out = (folder / "out.png").string();
  const auto convert = [&](std::vector<std::string> options) {
    std::vector<std::string> arguments = {"convert", in, out, "--style", std::to_string(kNoEffectId)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return arguments;
  };
  // The slider range comes from the catalogue.
  const SliderDescription& slider = DescribeSlider(kNoEffectId, 0);
  const std::string sliderRange = "--p1 of " + EffectName(kNoEffectId) + " must lie in " +
                                  std::to_string(slider.minimum) + ".." + std::to_string(slider.maximum);
  const std::string marginRange = "--frame-margin needs a whole number from " +
                                  std::to_string(kFrameMarginRange.minimum) + " to " + std::to_string(kFrameMarginRange.maximum);
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {convert({"--p1", "99999999999"}), "--p1 needs a whole number"},
      {convert({"--p1", "-99999999999"}), "--p1 needs a whole number"},
      {convert({"--p1", "1.5"}), "--p1 needs a whole number"},
      {convert({"--p1", "12abc"}), "--p1 needs a whole number"},
      {convert({"--p1", "0x10"}), "--p1 needs a whole number"},
      {convert({"--p1", " 10"}), "--p1 needs a whole number"},
      {convert({"--p1", ""}), "--p1 needs a whole number"},
      {convert({"--texture", "1e1"}), "--texture needs a tile number"},
      {convert({"--seed", "4294967296"}), "--seed needs a whole number from 0 to 4294967295"},
      {convert({"--seed", "-1"}), "--seed needs a whole number from 0 to 4294967295"},
      {convert({"--seed"}), "--seed needs a whole number"},
      {convert({"--frame", "0", "--frame-margin", "2147483648"}), marginRange},
      {convert({"--p1", std::to_string(slider.maximum + 1)}), sliderRange},
      {convert({"--p1", std::to_string(slider.minimum - 1)}), sliderRange},
      {convert({"--p2"}), "--p2 needs a whole number"},
      {convert({"--texture-strength"}), "--texture-strength needs a percentage"},
      {convert({"--frame"}), "--frame needs a frame number"},
      {convert({"--params"}), "--params needs a parameter file"},
      {convert({"--text", "a", "--text-color"}), "--text-color needs a colour"},
      {convert({"--style", "--p1"}), "unknown style \"--p1\""},
      {convert({"--p6", "1"}), "unknown option --p6"},
      {convert({"--frobnicate", "--p1", "1.5"}), "unknown option --frobnicate"},
      {convert({"--p1", "1.5", "--frobnicate"}), "--p1 needs a whole number"},
      {convert({"--frobnicate", "--text"}), "unknown option --frobnicate"},
      {convert({"extra.png"}), "convert needs an input and an output file"},
      {{}, "no command"},
      {{"frobnicate", "convert", in, out, "--style", "14"}, "unknown command frobnicate"},
      {{"--frobnicate", "convert", in, out, "--style", "Nothing like it"}, "unknown command --frobnicate"},
      {{"styles", "extra"}, "styles takes no arguments"},
      {{"help", "frobnicate"}, "unknown command frobnicate"},
  };
  for (const Case& c : cases) {
    const auto run = RunProgram(CliProgram(), c.arguments);
    EXPECT_EQ(run.exitCode, kExitBadArguments) << c.message << "\n" << run.output;
    EXPECT_NE(run.output.find("atelion-cli: " + c.message), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out)) << c.message;
  }
}

// After "--" every word is a file, so a file whose name starts with '-' can be given.
TEST_F(CliConvert, WordsAfterTheEndOfOptionsAreFiles) {
  std::filesystem::copy_file(folder / "in.png", folder / "-in.png");
  const auto run = RunProgram(CliProgram(), {"convert", "--style", std::to_string(kNoEffectId), "--",
                                             (folder / "-in.png").string(), (folder / "out.png").string()});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(LoadImageFile(folder / "out.png").picture, Photo(50, 40));
}

// Five thousand characters at the largest font size: the conversion ends with the picture's own
// size, the line cut where the picture ends.
TEST_F(CliConvert, ALineFarWiderThanThePictureIsCutAtItsEdge) {
  std::string text;
  for (int i = 0; i < 500; ++i) text += "Crème brûl";
  for (const char* position : {"1", "5", "9"}) {
    const auto run = RunProgram(CliProgram(), {"convert", (folder / "in.png").string(), (folder / "out.png").string(),
                                               "--style", "14", "--text", text, "--font-size", "500",
                                               "--text-position", position, "--text-shadow"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const LoadedImage out = LoadImageFile(folder / "out.png");
    ASSERT_TRUE(out.status);
    EXPECT_EQ(out.picture.Width(), 50) << position;
    EXPECT_EQ(out.picture.Height(), 40) << position;
  }
}

// A program copied beside an empty resources folder finds no language table: it says so and
// exits with status 1 instead of aborting.
TEST(CliFailures, AnIncompleteInstallationIsReportedNotAborted) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "bin");
  std::filesystem::create_directories(folder / "share" / "atelion");
  const std::filesystem::path program = folder / "bin" / "atelion-cli";
  std::filesystem::copy_file(CliProgram(), program);
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"styles"}, std::vector<std::string>{"convert", "in.png", "out.png", "--style", "14"}}) {
    const auto run = RunProgram(program.string(), arguments);
    EXPECT_EQ(run.exitCode, kExitFailed) << run.output;
    EXPECT_NE(run.output.find("atelion-cli: Atelion is not installed correctly"), std::string::npos) << run.output;
  }
}

TEST(CliHelp, PrintsUsage) {
  const auto run = RunProgram(CliProgram(), {"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("atelion-cli convert IN OUT"), std::string::npos);
  for (const FrameSettingRange* range : {&kFrameMarginRange, &kPanelSpacingRange, &kRealisticFrameRange,
                                         &kColouredFrameRange, &kFrameColourOffsetRange}) {
    const std::string text = std::to_string(range->minimum) + ".." + std::to_string(range->maximum);
    EXPECT_NE(run.output.find(text), std::string::npos) << text;
  }
  EXPECT_NE(run.output.find("(default " + std::to_string(kFrameMarginRange.defaultValue) + ")"), std::string::npos);
}

TEST(CliHelp, EachCommandHasItsOwnHelp) {
  const auto convert = RunProgram(CliProgram(), {"convert", "--help"});
  EXPECT_EQ(convert.exitCode, 0);
  EXPECT_NE(convert.output.find("usage: atelion-cli convert IN OUT"), std::string::npos) << convert.output;
  EXPECT_NE(convert.output.find("--text-shadow"), std::string::npos) << convert.output;
  EXPECT_EQ(convert.output.find("usage: atelion-cli styles"), std::string::npos) << convert.output;
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"help", "convert"}, {"convert", "-h"}, {"convert", "in.png", "--help"}}) {
    const auto run = RunProgram(CliProgram(), arguments);
    EXPECT_EQ(run.exitCode, 0) << arguments.back();
    EXPECT_EQ(run.output, convert.output) << arguments.back();
  }
  const auto styles = RunProgram(CliProgram(), {"styles", "--help"});
  EXPECT_EQ(styles.exitCode, 0);
  EXPECT_NE(styles.output.find("usage: atelion-cli styles"), std::string::npos) << styles.output;
  EXPECT_EQ(styles.output.find("--style"), std::string::npos) << styles.output;
}

}  // namespace
}  // namespace atelion

namespace atelion {
namespace {

// Every style this build has runs end to end through both command lines and draws the same bytes
// twice: the seeded ones by themselves, the others from the same --seed.
TEST(EveryStyle, RunsThroughBothCommandLines) {
  TempFolder folder;
  Bitmap24 photo(72, 56);
  for (int y = 0; y < photo.Height(); ++y) {
    for (int x = 0; x < photo.Width(); ++x) {
      photo.SetPixel(x, y, MakeColour((x * 7 + y) & 0xFF, (y * 5 + 40) & 0xFF, ((x - y) * 3) & 0xFF));
    }
  }
  ASSERT_TRUE(SaveImageFile(photo, folder / "in.jpg", ImageFormat::Jpeg, 200));
  for (int number = 1; number < kSilentStyleCount; ++number) {
    const int effectId = SilentStyleEffectId(number);
    if (!StyleAvailable(effectId)) continue;
    SCOPED_TRACE(EffectName(effectId));
    const std::string silentOut = (folder / ("silent" + std::to_string(number) + ".jpg")).string();
    const auto silent = testing_support::RunProgram(testing_support::DesktopProgram(),
                                                    {"-silent", (folder / "in.jpg").string(), silentOut, std::to_string(number)});
    ASSERT_EQ(silent.exitCode, 0) << silent.output;
    EXPECT_EQ(LoadImageFile(silentOut).dpi, 200);

    std::vector<testing_support::Bytes> outputs;
    for (int run = 0; run < 2; ++run) {
      const std::string out = (folder / ("cli" + std::to_string(number) + "_" + std::to_string(run) + ".png")).string();
      const auto cli = RunProgram(CliProgram(), {"convert", (folder / "in.jpg").string(), out, "--style", std::to_string(effectId), "--seed", "7"});
      ASSERT_EQ(cli.exitCode, 0) << cli.output;
      outputs.push_back(testing_support::ReadBytes(out));
    }
    EXPECT_EQ(outputs[0], outputs[1]);
  }
}

}  // namespace
}  // namespace atelion
