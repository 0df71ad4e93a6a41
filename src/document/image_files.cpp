#include "document/image_files.h"

namespace atelion {

LoadedImage LoadImageFile(const std::filesystem::path& path) {
  LoadedImage result;
  result.status = Status::Error(path.string() + ": image files are not supported yet");
  return result;
}

}  // namespace atelion
