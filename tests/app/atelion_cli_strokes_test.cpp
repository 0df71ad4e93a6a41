// Painting 4's strokes from the command line: `convert --svg` writes them as an SVG file with one
// polygon per stroke, and `--hd FACTOR` writes them repainted at FACTOR times the size.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "document/conversion.h"
#include "imageio/image_files.h"
#include "support/synthetic_photos.h"
#include "support/test_files.h"

namespace atelion {
namespace {

using testing_support::CliProgram;
using testing_support::RunProgram;
using testing_support::TempFolder;

class CliStrokes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SaveImageFile(testing_support::NoisySyntheticPhoto(60, 45), folder / "in.png", ImageFormat::Png));
  }
  std::vector<std::string> Convert(const std::string& out, std::vector<std::string> more) const {
    std::vector<std::string> arguments{"convert", (folder / "in.png").string(), (folder / out).string(), "--style",
                                       "7", "--p3", "10"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  }
  TempFolder folder;
};

TEST_F(CliStrokes, SvgHoldsOnePolygonPerStrokeOfTheSameRun) {
  const auto run = RunProgram(CliProgram(), Convert("out.png", {"--svg", (folder / "s.svg").string()}));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::ifstream svg(folder / "s.svg");
  std::vector<std::string> lines;
  for (std::string line; std::getline(svg, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front().rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u) << lines.front();
  EXPECT_NE(lines.front().find("height=\"45\""), std::string::npos);
  EXPECT_NE(lines.front().find("width=\"60\""), std::string::npos);
  EXPECT_EQ(lines.back(), "</svg>");
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind("<polygon points=\"", 0), 0u) << lines[i];
    EXPECT_EQ(lines[i].substr(lines[i].size() - 2), "/>") << lines[i];
  }
  // The picture written is the run's own, as without --svg.
  const auto plain = RunProgram(CliProgram(), Convert("plain.png", {}));
  ASSERT_EQ(plain.exitCode, 0) << plain.output;
  EXPECT_EQ(LoadImageFile(folder / "out.png").picture, LoadImageFile(folder / "plain.png").picture);
}

TEST_F(CliStrokes, HdWritesTheStrokesRepaintedLarger) {
  struct Case {
    std::string factor;
    int width, height;
  } const cases[] = {{"2", 120, 90}, {"1.5", 90, 68}, {"1", 60, 45}};
  const auto plain = RunProgram(CliProgram(), Convert("plain.png", {}));
  ASSERT_EQ(plain.exitCode, 0) << plain.output;
  const Bitmap24 painted = LoadImageFile(folder / "plain.png").picture;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.factor);
    const auto run = RunProgram(CliProgram(), Convert("hd.png", {"--hd", c.factor}));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const LoadedImage hd = LoadImageFile(folder / "hd.png");
    ASSERT_TRUE(hd.status);
    EXPECT_EQ(hd.picture.Width(), c.width);
    EXPECT_EQ(hd.picture.Height(), c.height);
    // The same painting: brought back to the photograph's size it stays close to the run's.
    Bitmap24 reduced(painted.Width(), painted.Height());
    Resample(hd.picture, reduced);
    std::int64_t difference = 0;
    for (int y = 0; y < reduced.Height(); ++y) {
      for (int x = 0; x < 3 * reduced.Width(); ++x) difference += std::abs(reduced.Row(y)[x] - painted.Row(y)[x]);
    }
    EXPECT_LT(difference / (3 * reduced.Width() * reduced.Height()), 45);
  }
}

TEST_F(CliStrokes, RefusesStrokeOptionsItCannotServe) {
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::string in = (folder / "in.png").string(), out = (folder / "out.png").string();
  const Case cases[] = {
      {{"convert", in, out, "--style", "15", "--svg", (folder / "s.svg").string()}, "are for the style"},
      {{"convert", in, out, "--style", "15", "--hd", "2"}, "are for the style"},
      {Convert("out.png", {"--hd", "0.5"}), "--hd needs a factor from 1 to 10"},
      {Convert("out.png", {"--hd", "11"}), "--hd needs a factor from 1 to 10"},
      {Convert("out.png", {"--hd", "two"}), "--hd needs a factor from 1 to 10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const auto run = RunProgram(CliProgram(), c.arguments);
    EXPECT_EQ(run.exitCode, kExitBadArguments) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "s.svg"));
  }
  // An SVG file that cannot be written is reported and the picture is not written either.
  const auto run =
      RunProgram(CliProgram(), Convert("out.png", {"--svg", (folder / "missing" / "s.svg").string()}));
  EXPECT_EQ(run.exitCode, kExitWriteFailed) << run.output;
  EXPECT_FALSE(std::filesystem::exists(folder / "out.png"));
}

}  // namespace
}  // namespace atelion
