#include "imageio/user_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/test_files.h"

namespace atelion {
namespace {

namespace fs = std::filesystem;
using testing_support::Bytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

TEST(ReadUserFile, RefusesWhatIsNotAWholeRegularFileWithinTheLimit) {
  TempFolder folder;
  WriteBytes(folder / "small", Bytes(10, 7));
  WriteBytes(folder / "limit", Bytes(64, 1));
  WriteBytes(folder / "over", Bytes(65, 1));
  WriteBytes(folder / "empty", Bytes{});
  fs::create_directory(folder / "folder");
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);  // nobody ever writes to it
  fs::create_symlink(folder / "pipe", folder / "link to pipe");
  fs::create_symlink("/dev/zero", folder / "link to zeros");

  struct Case {
    fs::path path;
    FileProblem problem;
    std::string reason;  // a part of the reason
    std::size_t bytes;
  };
  const Case cases[] = {
      {folder / "small", FileProblem::None, "", 10},
      {folder / "limit", FileProblem::None, "", 64},
      {folder / "empty", FileProblem::None, "", 0},
      {folder / "over", FileProblem::TooLarge, "too large to be a test file", 0},
      {folder / "missing", FileProblem::Missing, "does not exist", 0},
      {folder / "small" / "below a file", FileProblem::Missing, "does not exist", 0},
      {folder / "folder", FileProblem::Folder, "a folder, not a test file", 0},
      {folder / "pipe", FileProblem::NotRegularFile, "not a regular file", 0},
      {folder / "link to pipe", FileProblem::NotRegularFile, "not a regular file", 0},
      {folder / "link to zeros", FileProblem::NotRegularFile, "not a regular file", 0},
      {"/dev/zero", FileProblem::NotRegularFile, "not a regular file", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    const FileContents file = ReadUserFile(c.path, 64, "test file");
    EXPECT_EQ(file.problem, c.problem);
    EXPECT_NE(file.reason.find(c.reason), std::string::npos) << file.reason;
    EXPECT_EQ(file.bytes.size(), c.bytes);
  }
}

}  // namespace
}  // namespace atelion
