// Build-time generator of the pictures the program ships: every picture resource is made
// here by our own deterministic code, never copied from elsewhere.
//   atelion-resources OUTDIR
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "core/bitmap24.h"
#include "document/image_files.h"
#include "finishing/paper_tiles.h"
#include "styles/painting/brush_sheet.h"

namespace {

struct GeneratedPicture {
  const char* relativePath;
  std::function<atelion::Bitmap24()> make;
};

const GeneratedPicture kPictures[] = {
    {"textures/texture_tiles.png", atelion::GenerateTextureSheet},
    {"brushes/brush_sheet.png", atelion::GenerateBrushSheet},
    {"brushes/custom_brush.png", atelion::GenerateCustomBrush},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: atelion-resources OUTDIR\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  for (const GeneratedPicture& picture : kPictures) {
    const std::filesystem::path path = root / picture.relativePath;
    std::filesystem::create_directories(path.parent_path());
    const atelion::Status status = atelion::SaveImageFile(picture.make(), path, atelion::FormatFromExtension(path));
    if (!status) {
      std::fprintf(stderr, "atelion-resources: %s\n", status.message().c_str());
      return 1;
    }
  }
  return 0;
}
