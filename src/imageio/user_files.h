// Reading a file the user named: a picture, a frame or brush picture, a parameter file, the
// settings file. Whatever the name points at, the reader gets either the file's bytes or a
// reason, and never waits on a pipe, reads a device without end or swallows a huge file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace atelion {

enum class FileProblem {
  None,
  Missing,         ///< nothing by that name
  Folder,          ///< a folder
  NotRegularFile,  ///< a device, a pipe or a socket
  TooLarge,        ///< larger than the reader accepts
  Unreadable,      ///< no permission, an input/output error
};

/// A whole file, or why it could not be had.
struct FileContents {
  FileProblem problem = FileProblem::None;
  /// The reason in words, to follow the file's name: "the file does not exist", "this is a folder,
  /// not a picture file", "the file is too large to be a picture file (… bytes)", …
  std::string reason;
  std::vector<std::uint8_t> bytes;

  explicit operator bool() const { return problem == FileProblem::None; }
};

/// Reads the whole of the file at `path`, at most `maxBytes` of it; `kind` names what the file
/// should be ("picture file", "parameter file") in the reasons. The file is opened without
/// waiting and examined before anything is read, so a folder, a device or a pipe is refused at
/// once, and one that grows past `maxBytes` while being read is refused as too large.
FileContents ReadUserFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string_view kind);

}  // namespace atelion
