#include "imageio/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <system_error>

namespace atelion {

namespace fs = std::filesystem;

std::string ErrnoText(int error) { return std::error_code(error, std::generic_category()).message(); }

namespace {

// Permissions for a new file: those of the file it replaces, else what the process would give a
// newly created file. The temporary file starts private (0600), so the mode is set explicitly.
mode_t ModeForSavedFile(const fs::path& path) {
  struct stat existing {};
  if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) return existing.st_mode & 07777;
  static const mode_t mask = [] {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("Umask:", 0) != 0) continue;
      // "Umask:\t0022": octal digits after the blanks; anything else keeps the usual mask.
      const std::size_t digits = line.find_first_not_of(" \t", 6);
      unsigned value = 022;
      if (digits != std::string::npos) std::from_chars(line.data() + digits, line.data() + line.size(), value, 8);
      return static_cast<mode_t>(value & 0777);
    }
    return static_cast<mode_t>(022);
  }();
  return 0666 & ~mask;
}

bool WriteAll(int descriptor, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

Status ReplaceFileContents(const fs::path& path, std::span<const std::uint8_t> bytes) {
  const std::string name = path.string();
  const std::string fileName = path.filename().string();
  if (fileName.empty() || fileName == "." || fileName == "..") return Status::Error("Cannot save " + name + ": no file name");
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  // Keeps the temporary name within the usual 255-byte limit even for very long file names.
  std::string temporaryName(".");
  temporaryName.append(fileName, 0, 200).append(".XXXXXX");
  std::string temporaryPath = (folder / temporaryName).string();

  const int descriptor = ::mkstemp(temporaryPath.data());
  if (descriptor < 0) return Status::Error("Cannot save " + name + ": " + ErrnoText(errno));
  const bool written = WriteAll(descriptor, bytes) && ::fchmod(descriptor, ModeForSavedFile(path)) == 0 &&
                       ::fsync(descriptor) == 0;
  const int writeError = errno;
  const bool closed = ::close(descriptor) == 0;
  if (!written || !closed) {
    const int error = written ? errno : writeError;
    ::unlink(temporaryPath.c_str());
    return Status::Error("Cannot save " + name + ": " + ErrnoText(error));
  }
  if (::rename(temporaryPath.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporaryPath.c_str());
    return Status::Error("Cannot save " + name + ": " + ErrnoText(error));
  }
  // Makes the rename itself durable; a failure here no longer endangers any data.
  const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (folderDescriptor >= 0) {
    ::fsync(folderDescriptor);
    ::close(folderDescriptor);
  }
  return Status::Ok();
}


Status ReplaceFileContents(const fs::path& path, std::string_view text) {
  return ReplaceFileContents(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace atelion
