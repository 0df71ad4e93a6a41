// Saving a file so that it is either the old file or the whole new one. The new contents are
// written to a file without a name (O_TMPFILE) in the target's folder, made durable, and only
// then given a name: a process killed while writing leaves nothing behind. Where the file system
// has no unnamed files, a hidden temporary file beside the target takes their place.
#include "imageio/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <fstream>
#include <optional>
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

// Whether an existing file at `path` is one the user could not write, and so must not be replaced.
// Two tests, because each misses what the other sees: faccessat asks the kernel with the
// process's effective ids (owner, group and other bits, access control lists, a read-only mount),
// but it grants root write access whatever the mode; a file with no write bit at all was marked
// read-only on purpose, so it counts as protected for root too.
bool IsWriteProtected(const fs::path& path) {
  struct stat existing {};
  if (stat(path.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) return false;
  if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
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

// Writes the bytes, sets the mode and makes the contents durable; false with errno set otherwise.
bool FillFile(int descriptor, std::span<const std::uint8_t> bytes, mode_t mode) {
  return WriteAll(descriptor, bytes) && ::fchmod(descriptor, mode) == 0 && ::fsync(descriptor) == 0;
}

// A hidden name beside the target, ".NAME.XXXXXX", kept within the usual 255-byte limit.
std::string HiddenName(const fs::path& folder, const std::string& fileName, std::string_view suffix) {
  std::string name(".");
  name.append(fileName, 0, 200).append(".").append(suffix);
  return (folder / name).string();
}

// Six letters or digits that differ between calls and processes, for a hidden name.
std::string UniqueSuffix() {
  static std::atomic<std::uint64_t> counter{0};
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uint64_t value = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                        (static_cast<std::uint64_t>(::getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15u);
  std::string suffix;
  for (int i = 0; i < 6; ++i, value /= 62) suffix += kLetters[value % 62];
  return suffix;
}

Status SaveError(const std::string& name, int error) {
  return Status::Error("Cannot save " + name + ": " + ErrnoText(error));
}

// Makes the renames and links in the folder durable; a failure here no longer endangers any data.
void SyncFolder(const fs::path& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor >= 0) {
    ::fsync(descriptor);
    ::close(descriptor);
  }
}

// Renames the complete file at `temporary` over `path`; the temporary name is gone either way.
Status RenameIntoPlace(const std::string& temporary, const fs::path& path, const fs::path& folder) {
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return SaveError(path.string(), error);
  }
  SyncFolder(folder);
  return Status::Ok();
}

// The save through a file without a name, or none when the file system cannot make one (or
// /proc, through which it gets its name, is missing): nothing was written then.
std::optional<Status> SaveThroughUnnamedFile(const fs::path& path, const fs::path& folder, const std::string& fileName,
                                             std::span<const std::uint8_t> bytes, mode_t mode) {
  const int descriptor = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (descriptor < 0) {
    // Kernels and file systems without unnamed files answer with one of these.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return std::nullopt;
    return SaveError(path.string(), errno);
  }
  // Closing an unnamed file that was never linked removes it, so every failure leaves nothing.
  if (!FillFile(descriptor, bytes, mode)) {
    const int error = errno;
    ::close(descriptor);
    return SaveError(path.string(), error);
  }
  // Without CAP_DAC_READ_SEARCH an unnamed file is linked through its /proc entry.
  const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
  const auto link = [&](const std::string& name) {
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
  };
  // No file of that name yet: the complete file takes the name at once.
  int error = link(path.string());
  if (error == 0) {
    ::close(descriptor);
    SyncFolder(folder);
    return Status::Ok();
  }
  if (error == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
    ::close(descriptor);
    return std::nullopt;
  }
  if (error != EEXIST) {
    ::close(descriptor);
    return SaveError(path.string(), error);
  }
  // The old file stays until the rename replaces it in one step, so the complete file gets a
  // hidden name first; only a kill between these two calls could leave it behind, complete.
  constexpr int kAttempts = 100;
  std::string temporary;
  for (int attempt = 0; attempt < kAttempts && error == EEXIST; ++attempt) {
    temporary = HiddenName(folder, fileName, UniqueSuffix());
    error = link(temporary);
  }
  ::close(descriptor);
  if (error != 0) return SaveError(path.string(), error);
  return RenameIntoPlace(temporary, path, folder);
}

// The save through a hidden temporary file beside the target, for file systems without unnamed
// files. A process killed while writing leaves the hidden file.
Status SaveThroughNamedFile(const fs::path& path, const fs::path& folder, const std::string& fileName,
                            std::span<const std::uint8_t> bytes, mode_t mode) {
  std::string temporary = HiddenName(folder, fileName, "XXXXXX");
  const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (descriptor < 0) return SaveError(path.string(), errno);
  const bool written = FillFile(descriptor, bytes, mode);
  const int writeError = errno;
  const bool closed = ::close(descriptor) == 0;
  if (!written || !closed) {
    const int error = written ? errno : writeError;
    ::unlink(temporary.c_str());
    return SaveError(path.string(), error);
  }
  return RenameIntoPlace(temporary, path, folder);
}

}  // namespace

Status ReplaceFileContents(const fs::path& path, std::span<const std::uint8_t> bytes, TemporaryFile temporary) {
  const std::string name = path.string();
  const std::string fileName = path.filename().string();
  if (fileName.empty() || fileName == "." || fileName == "..") return Status::Error("Cannot save " + name + ": no file name");
  if (IsWriteProtected(path)) {
    return Status::Error("Cannot save " + name + ": the file is write-protected; it was not replaced");
  }
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const mode_t mode = ModeForSavedFile(path);
  if (temporary == TemporaryFile::Unnamed) {
    if (std::optional<Status> saved = SaveThroughUnnamedFile(path, folder, fileName, bytes, mode)) return *saved;
  }
  return SaveThroughNamedFile(path, folder, fileName, bytes, mode);
}

Status ReplaceFileContents(const fs::path& path, std::string_view text) {
  return ReplaceFileContents(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace atelion
