#include "core/resources.h"

#include <string>
#include <system_error>
#include <vector>

namespace atelion {

namespace {

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

std::vector<std::filesystem::path> ResourceRoots() {
  const std::filesystem::path program = ProgramFolder();
  std::error_code error;
  // An installed program must not pick up the files of the tree it was built in.
  if (const auto installed = program / ".." / "share" / "atelion"; !program.empty() && std::filesystem::is_directory(installed, error)) {
    return {installed};
  }
  return {
      program / "resources",  // generated beside the build's programs
      program / ".." / "resources",
      ATELION_BUILD_RESOURCES,
      ATELION_SOURCE_RESOURCES,
  };
}

}  // namespace

std::filesystem::path FindResource(const std::filesystem::path& relative) {
  std::error_code error;
  for (const auto& root : ResourceRoots()) {
    if (root.empty()) continue;
    const auto candidate = root / relative;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return {};
}

std::filesystem::path ApplicationIconPath(int size) {
  return std::filesystem::path("desktop") / ("atelion_" + std::to_string(size) + ".png");
}

}  // namespace atelion
