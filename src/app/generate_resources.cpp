// Build-time generator of the pictures the program ships: every picture resource is made
// here by our own deterministic code, never copied from elsewhere.
//   atelion-resources OUTDIR
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "core/bitmap24.h"
#include "document/image_files.h"
#include "finishing/frame_pictures.h"
#include "finishing/paper_tiles.h"
#include "styles/painting/brush_sheet.h"
#include "styles/sketch/hatching_picture.h"

namespace {

struct GeneratedPicture {
  const char* relativePath;
  std::function<atelion::Bitmap24()> make;
};

const GeneratedPicture kPictures[] = {
    {"textures/texture_tiles.png", atelion::GenerateTextureSheet},
    {atelion::kHatchingPicturePath, atelion::GenerateHatchingPicture},
    {"brushes/brush_sheet.png", atelion::GenerateBrushSheet},
    {"brushes/custom_brush.png", atelion::GenerateCustomBrush},
    {atelion::kFrameImages[0].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame1); }},
    {atelion::kFrameImages[1].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame2); }},
    {atelion::kFrameImages[2].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame3); }},
    {atelion::kFrameImages[3].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame4); }},
    {atelion::kFrameImages[4].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame5); }},
    {atelion::kFrameImages[5].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame6); }},
    {atelion::kFrameImages[6].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame7); }},
    {atelion::kFrameImages[7].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame8); }},
    {atelion::kFrameImages[8].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame10); }},
    {atelion::kFrameImages[9].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame11); }},
    {atelion::kFrameImages[10].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame12); }},
    {atelion::kFrameImages[11].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame13); }},
    {atelion::kFrameImages[12].relativePath, [] { return atelion::GenerateFramePicture(atelion::FrameImage::Frame14); }},
    {atelion::kTransparentFrames[0].colourPath,
     [] { return atelion::TransparentFrameColour(atelion::TransparentFrameShape::Portrait); }},
    {atelion::kTransparentFrames[0].mattePath,
     [] { return atelion::TransparentFrameMatte(atelion::TransparentFrameShape::Portrait); }},
    {atelion::kTransparentFrames[1].colourPath,
     [] { return atelion::TransparentFrameColour(atelion::TransparentFrameShape::Landscape); }},
    {atelion::kTransparentFrames[1].mattePath,
     [] { return atelion::TransparentFrameMatte(atelion::TransparentFrameShape::Landscape); }},
    {atelion::kTransparentFrames[2].colourPath,
     [] { return atelion::TransparentFrameColour(atelion::TransparentFrameShape::Square); }},
    {atelion::kTransparentFrames[2].mattePath,
     [] { return atelion::TransparentFrameMatte(atelion::TransparentFrameShape::Square); }},
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
