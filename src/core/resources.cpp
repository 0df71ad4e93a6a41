#include "core/resources.h"

#include <array>
#include <system_error>

namespace atelion {

namespace {

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

}  // namespace

std::filesystem::path FindResource(const std::filesystem::path& relative) {
  const std::filesystem::path program = ProgramFolder();
  const std::array<std::filesystem::path, 5> roots = {
      program / "resources",                // generated beside the build's programs
      program / ".." / "share" / "atelion",  // an installed program
      program / ".." / "resources",
      ATELION_BUILD_RESOURCES,
      ATELION_SOURCE_RESOURCES,
  };
  std::error_code error;
  for (const auto& root : roots) {
    if (root.empty()) continue;
    const auto candidate = root / relative;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return {};
}

}  // namespace atelion
