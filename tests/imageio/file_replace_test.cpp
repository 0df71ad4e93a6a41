#include "imageio/file_replace.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imageio/image_files.h"
#include "support/test_files.h"

namespace atelion {
namespace {

namespace fs = std::filesystem;

using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

mode_t ModeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// Both ways of keeping the new contents replace a file in one step and keep its permissions;
// a new file gets the permissions any new file of the process gets. Nothing else stays behind.
TEST(FileReplace, ReplacesOrCreatesTheFileAndLeavesNothingElse) {
  for (const TemporaryFile temporary : {TemporaryFile::Unnamed, TemporaryFile::Named}) {
    TempFolder folder;
    const fs::path existing = folder / "old.txt";
    WriteBytes(existing, {'o', 'l', 'd'});
    ASSERT_EQ(::chmod(existing.c_str(), 0640), 0);
    const std::vector<std::uint8_t> contents = {'n', 'e', 'w', '\n'};
    ASSERT_TRUE(ReplaceFileContents(existing, contents, temporary));
    ASSERT_TRUE(ReplaceFileContents(folder / "fresh.txt", contents, temporary));
    EXPECT_EQ(ReadBytes(existing), contents);
    EXPECT_EQ(ReadBytes(folder / "fresh.txt"), contents);
    EXPECT_EQ(ModeOf(existing), 0640u);
    EXPECT_EQ(ModeOf(folder / "fresh.txt"), 0666u & ~CurrentUmask());
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"fresh.txt", "old.txt"}));
  }
}

// A file without any write permission is kept, for root too (whom the kernel lets write
// anything); for other users the kernel's own answer counts as well, so a file whose owner may
// not write it is kept from its owner even when its group may write it.
TEST(FileReplace, AWriteProtectedFileIsNotReplaced) {
  const bool root = ::geteuid() == 0;
  const struct {
    mode_t mode;
    bool replaced;
  } cases[] = {
      {0444, false}, {0400, false}, {0555, false}, {0000, false}, {0064, root},
      {0644, true},  {0600, true},  {0200, true},  {0666, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode));
    TempFolder folder;
    const fs::path target = folder / "kept.png";
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    WriteBytes(target, old);
    ASSERT_EQ(::chmod(target.c_str(), c.mode), 0);
    const Status status = ReplaceFileContents(target, std::string_view("new"));
    EXPECT_EQ(static_cast<bool>(status), c.replaced) << status.message();
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);  // to read it back as any user
    const std::vector<std::uint8_t> replacement = {'n', 'e', 'w'};
    EXPECT_EQ(ReadBytes(target), c.replaced ? replacement : old);
    if (!c.replaced) {
      EXPECT_EQ(status.message(), "Cannot save " + target.string() + ": the file is write-protected; it was not replaced");
    }
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept.png"});
  }
}

// Whether the process `child` has a file in `folder` open: the link of one of its descriptors
// names a path in the folder (an unnamed file shows as "FOLDER/#INODE (deleted)").
bool HasFileOpenIn(pid_t child, const std::string& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", error)) {
    const fs::path target = fs::read_symlink(entry.path(), error);
    if (!error && target.string().starts_with(folder + "/")) return true;
  }
  return false;
}

// A save killed while it writes a large picture leaves the folder as it was: no partial file,
// hidden or not, beside the picture it was replacing or in its place.
TEST(FileReplace, ASaveKilledWhileWritingLeavesNothingBehind) {
  const Bitmap24 picture(4000, 3000, MakeColour(10, 200, 30));
  int killedWhileWriting = 0;
  for (const bool replacing : {false, true}) {
    for (int attempt = 0; attempt < 5 && killedWhileWriting < (replacing ? 2 : 1); ++attempt) {
      TempFolder folder;
      const std::string folderName = fs::canonical(folder.path()).string();
      const fs::path target = folder / "large.bmp";
      if (replacing) WriteBytes(target, {'o', 'l', 'd'});
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        const Status saved = SaveImageFile(picture, target, ImageFormat::Bmp);
        ::_exit(saved ? 0 : 1);
      }
      // Kill the child as soon as it has a file open in the folder: that is the save writing.
      bool sawTheSave = false;
      int status = 0;
      while (::waitpid(child, &status, WNOHANG) == 0) {
        if (HasFileOpenIn(child, folderName)) {
          sawTheSave = true;
          ::kill(child, SIGKILL);
          ::waitpid(child, &status, 0);
          break;
        }
      }
      if (!sawTheSave || !WIFSIGNALED(status)) continue;  // the save ended first; try again
      ++killedWhileWriting;
      if (replacing) {
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"large.bmp"});
        EXPECT_EQ(ReadBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
      } else {
        EXPECT_TRUE(folder.Entries().empty()) << folder.Entries().front();
      }
    }
  }
  EXPECT_EQ(killedWhileWriting, 2) << "the saves ended before they could be killed";
}

}  // namespace
}  // namespace atelion
