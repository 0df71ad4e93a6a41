#include "imageio/user_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "imageio/file_replace.h"

namespace atelion {
namespace {

// Closes the descriptor however the reading ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

FileContents Refused(FileProblem problem, std::string reason) { return {problem, std::move(reason), {}}; }

}  // namespace

FileContents ReadUserFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string_view kind) {
  // Non-blocking, so that opening a pipe nobody writes to returns at once.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return Refused(FileProblem::Missing, "the file does not exist");
    return Refused(FileProblem::Unreadable, "the file cannot be opened: " + ErrnoText(error));
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    return Refused(FileProblem::Unreadable, "the file cannot be read: " + ErrnoText(errno));
  }
  if (S_ISDIR(status.st_mode)) return Refused(FileProblem::Folder, "this is a folder, not a " + std::string(kind));
  if (!S_ISREG(status.st_mode)) return Refused(FileProblem::NotRegularFile, "this is not a regular file");
  const auto tooLarge = [&] {
    return Refused(FileProblem::TooLarge, "the file is too large to be a " + std::string(kind) + " (more than " +
                                              std::to_string(maxBytes) + " bytes)");
  };
  const auto size = static_cast<std::uintmax_t>(status.st_size);
  if (size > maxBytes) return tooLarge();

  FileContents contents;
  // One byte more than the size says, to notice a file that grows while it is read.
  contents.bytes.resize(static_cast<std::size_t>(size) + 1);
  std::size_t filled = 0;
  for (;;) {
    if (filled == contents.bytes.size()) {
      if (contents.bytes.size() > maxBytes) return tooLarge();
      contents.bytes.resize(std::min<std::uintmax_t>(contents.bytes.size() * 2, maxBytes + 1));
    }
    const ssize_t got = ::read(file.get(), contents.bytes.data() + filled, contents.bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Refused(FileProblem::Unreadable, "the file cannot be read: " + ErrnoText(errno));
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  if (filled > maxBytes) return tooLarge();
  contents.bytes.resize(filled);
  return contents;
}

}  // namespace atelion
