// atelion-cli batch and script: a folder of photographs in, named results out, existing results
// kept, failures named, the same bytes with any number of jobs or through GNU parallel, and a
// script file run from photograph to picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "automation/script.h"
#include "core/filters.h"
#include "imageio/image_files.h"
#include "styles/catalogue.h"
#include "support/synthetic_photos.h"
#include "support/test_files.h"

namespace atelion {
namespace {

using testing_support::CliProgram;
using testing_support::ReadBytes;
using testing_support::RunProgram;
using testing_support::TempFolder;

class CliBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(folder / "photos");
    std::filesystem::create_directory(folder / "out");
    for (const char* name : {"a.jpg", "b.png", "c.bmp"}) {
      const std::filesystem::path path = folder.path() / "photos" / name;
      ASSERT_TRUE(SaveImageFile(testing_support::SyntheticPhoto(40, 30), path, FormatFromExtension(path)));
    }
  }
  testing_support::ProgramRun Batch(std::vector<std::string> extra) {
    std::vector<std::string> arguments = {"batch", (folder / "photos").string(), "--style", "15", "--seed", "7",
                                          "--out-dir", (folder / "out").string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunProgram(CliProgram(), arguments);
  }
  std::vector<testing_support::Bytes> Results() const {
    std::vector<testing_support::Bytes> results;
    for (const char* name : {"a_Atelion.jpg", "b_Atelion.png", "c_Atelion.bmp"}) results.push_back(ReadBytes(folder / "out" / name));
    return results;
  }

  TempFolder folder;
};

TEST_F(CliBatch, ConvertsAFolderKeepsWhatExistsAndNamesItsFailures) {
  auto run = Batch({"--jobs", "1"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("3 written, 0 skipped, 0 failed"), std::string::npos) << run.output;
  EXPECT_EQ(LoadImageFile(folder / "out" / "b_Atelion.png").format, ImageFormat::Png);

  run = Batch({});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("0 written, 3 skipped, 0 failed"), std::string::npos) << run.output;

  testing_support::WriteBytes(folder / "photos" / "b.png", {'b', 'a', 'd'});
  run = Batch({"--overwrite"});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("2 written, 0 skipped, 1 failed"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("could not be converted: " + (folder / "photos" / "b.png").string()), std::string::npos)
      << run.output;
  // The results of a batch are not photographs for the next one in the same folder.
  run = RunProgram(CliProgram(), {"batch", (folder / "out").string(), "--style", "12"});
  EXPECT_NE(run.output.find("batch found no photographs"), std::string::npos) << run.output;
}

TEST_F(CliBatch, AnyNumberOfJobsAndGnuParallelWriteTheSameBytes) {
  ASSERT_EQ(Batch({"--jobs", "1"}).exitCode, 0);
  const auto single = Results();
  ASSERT_EQ(Batch({"--jobs", "3", "--overwrite"}).exitCode, 0);
  EXPECT_EQ(Results(), single);

  if (std::system("command -v parallel >/dev/null 2>&1") != 0) GTEST_SKIP() << "GNU parallel is not installed";
  std::filesystem::remove_all(folder / "out");
  std::filesystem::create_directory(folder / "out");
  // One batch of one photograph per task, as on many machines with --sshlogin.
  const auto run = RunProgram("/bin/sh", {"-c", "parallel --will-cite -j 2 '" + CliProgram() +
                                                    " batch {} --style 15 --seed 7 --out-dir " +
                                                    (folder / "out").string() + "' ::: " +
                                                    (folder / "photos").string() + "/*"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Results(), single);
}

TEST(CliScript, RunsAScriptFromPhotographToPicture) {
  TempFolder folder;
  ASSERT_TRUE(SaveImageFile(testing_support::SyntheticPhoto(40, 30), folder / "in.png", ImageFormat::Png));
  ScriptGrid grid(ScriptGrid::kColumns, 4);
  grid.SetCell(ScriptGrid::kCodeColumn, 1, std::to_string(script_action::kInvert));
  grid.SetCell(ScriptGrid::kCodeColumn, 2, "oops");
  grid.SetCell(ScriptGrid::kCodeColumn, 3, std::to_string(script_action::kSwap));
  std::ofstream(folder / "invert.ats", std::ios::binary) << WriteScriptText(grid);

  auto run = RunProgram(CliProgram(), {"script", (folder / "invert.ats").string(), (folder / "in.png").string(),
                                       (folder / "out.png").string()});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("script line 2 skipped"), std::string::npos) << run.output;
  // Both panels inverted, then swapped: the right one holds the inverted photograph.
  Bitmap24 expected = testing_support::SyntheticPhoto(40, 30);
  InvertColours(expected);
  EXPECT_EQ(LoadImageFile(folder / "out.png").picture, expected);

  std::ofstream(folder / "cut.ats", std::ios::binary) << "7\r\n50\r\nAction\r\n";
  run = RunProgram(CliProgram(), {"script", (folder / "cut.ats").string(), (folder / "in.png").string(),
                                  (folder / "out2.png").string()});
  EXPECT_EQ(run.exitCode, 3) << run.output;
  EXPECT_FALSE(std::filesystem::exists(folder / "out2.png"));
}

}  // namespace
}  // namespace atelion
