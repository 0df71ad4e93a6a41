// Saving a file without ever destroying the previous one: the new contents go to a temporary
// file in the same folder, which replaces the old file only once it is completely on disk. A
// file the user could not write is never replaced.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "core/status.h"

namespace atelion {

/// Where the new contents wait until they replace the old file.
enum class TemporaryFile {
  /// A file without a name in the target's folder (Linux O_TMPFILE), named once it is complete,
  /// so that a process killed while writing leaves nothing behind. Where the file system cannot
  /// make such files, a `Named` one is used instead.
  Unnamed,
  /// A hidden file ".NAME.XXXXXX" beside the target, left behind if the process is killed.
  Named,
};

/// Writes `bytes` to a temporary file beside `path`, makes it durable, then gives it the name
/// `path` (renaming it over an existing file in one step), keeping the old file's permissions.
/// Until then the old file is untouched; on any failure nothing new is left and the status says
/// "Cannot save <path>: <reason>".
///
/// An existing file the user could not write is left as it is: "Cannot save <path>: the file is
/// write-protected; it was not replaced". A file counts as such when the kernel refuses the
/// process write access to it, or when no write permission bit is set at all (which root's
/// access checks would pass over).
Status ReplaceFileContents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                           TemporaryFile temporary = TemporaryFile::Unnamed);
Status ReplaceFileContents(const std::filesystem::path& path, std::string_view text);

/// The operating system's text for an errno value.
std::string ErrnoText(int error);

}  // namespace atelion
