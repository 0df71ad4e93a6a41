// Saving a file without ever destroying the previous one: the new contents go to a temporary
// file in the same folder, which replaces the old file only once it is completely on disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "core/status.h"

namespace atelion {

/// Writes `bytes` to a temporary file beside `path`, makes it durable, then renames it over `path`,
/// keeping the old file's permissions. Until the rename the old file is untouched; on any failure
/// the temporary file is removed and the status says "Cannot save <path>: <reason>".
Status ReplaceFileContents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
Status ReplaceFileContents(const std::filesystem::path& path, std::string_view text);

/// The operating system's text for an errno value.
std::string ErrnoText(int error);

}  // namespace atelion
