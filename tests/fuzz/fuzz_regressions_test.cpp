// The files the fuzzers start from and the inputs they found, run through the same checks as in
// the fuzzers, so that a reader which once crashed or broke a promise on a file is caught by the
// ordinary test suite if it ever does again. Under `make sanitize` the sanitizers watch each
// read and the heap a small file costs is held to its limit, as in the fuzzers.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "support/test_files.h"

namespace atelion::fuzz {

// A failing case names its target.
void PrintTo(const FuzzTarget& target, std::ostream* out) { *out << target.name; }

namespace {

namespace fs = std::filesystem;

const fs::path kFuzzFiles = ATELION_FUZZ_FILES;
// Seeds, and inputs that once made a target fail.
constexpr const char* kFileFolders[] = {"corpus", "regressions"};

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  if (fs::is_directory(folder)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

class FuzzRegressions : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzRegressions, EverySeedAndFoundInputKeepsTheReadersPromises) {
  const FuzzTarget& target = GetParam();
  // Without seeds the fuzzer would start from nothing and spend its minute finding the format.
  EXPECT_FALSE(FilesIn(kFuzzFiles / "corpus" / target.name).empty()) << "no seed files for " << target.name;
  for (const char* folder : kFileFolders) {
    for (const fs::path& file : FilesIn(kFuzzFiles / folder / target.name)) {
      const testing_support::Bytes bytes = testing_support::ReadBytes(file);
      EXPECT_EQ(RunFuzzTarget(target, bytes), "") << file;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressions, ::testing::ValuesIn(FuzzTargets().begin(), FuzzTargets().end()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) { return std::string(info.param.name); });

// A target without a libFuzzer program would never be fuzzed, a program without a target would
// stop at its start.
TEST(FuzzFiles, EveryTargetHasAFuzzProgram) {
  std::vector<std::string> programs;
  std::istringstream names(ATELION_FUZZ_PROGRAMS);
  for (std::string name; names >> name;) programs.push_back(name);
  std::vector<std::string> targets;
  for (const FuzzTarget& target : FuzzTargets()) targets.emplace_back(target.name);
  std::sort(programs.begin(), programs.end());
  std::sort(targets.begin(), targets.end());
  EXPECT_EQ(programs, targets);
}

// A folder of files named after no target would never be read by anything.
TEST(FuzzFiles, EveryFolderBelongsToATarget) {
  for (const char* folder : kFileFolders) {
    if (!fs::is_directory(kFuzzFiles / folder)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(kFuzzFiles / folder)) {
      if (!entry.is_directory()) continue;
      EXPECT_NE(FindFuzzTarget(entry.path().filename().string()), nullptr) << entry.path();
    }
  }
}

}  // namespace
}  // namespace atelion::fuzz
