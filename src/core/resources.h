// Where the program finds its pictures: those generated at build time and those shipped in resources/.
#pragma once

#include <filesystem>

namespace atelion {

/// Finds a resource file by its path relative to the resources folder, looking first in the
/// generated resources next to the program, then in the shipped ones. Returns an empty path
/// when it exists nowhere.
std::filesystem::path FindResource(const std::filesystem::path& relative);

}  // namespace atelion
