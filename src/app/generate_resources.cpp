// Build-time generator of the pictures the program ships: every picture resource is made
// here by our own deterministic code, never copied from elsewhere.
//   atelion-resources OUTDIR
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/sample_photo.h"
#include "core/bitmap24.h"
#include "core/resources.h"
#include "imageio/image_files.h"
#include "effects/run_pipeline.h"
#include "effects/style_samples.h"
#include "finishing/frame_pictures.h"
#include "finishing/paper_tiles.h"
#include "styles/painting/brush_sheet.h"
#include "styles/painting/alpha_brush_sheets.h"
#include "styles/painting/flow_brushes.h"
#include "styles/painting/shaded_brush.h"
#include "styles/painting/paper_tables.h"
#include "styles/painting/stroke_brushes.h"
#include "styles/sketch/pencil_sketch_1.h"
#include "styles/sketch/hatching_picture.h"
#include "styles/sketch/ink_hatching_sheet.h"
#include "styles/sketch/pencil_stroke_pictures.h"
#include "styles/sketch/pastel_scribble.h"
#include "styles/stylized/old_paper_picture.h"

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
    {atelion::kFlowBrushes[0].colourPath, [] { return atelion::FlowBrushColour(atelion::FlowBrush::Large); }},
    {atelion::kFlowBrushes[0].mattePath, [] { return atelion::FlowBrushMatte(atelion::FlowBrush::Large); }},
    {atelion::kFlowBrushes[1].colourPath, [] { return atelion::FlowBrushColour(atelion::FlowBrush::Medium); }},
    {atelion::kFlowBrushes[1].mattePath, [] { return atelion::FlowBrushMatte(atelion::FlowBrush::Medium); }},
    {atelion::kFlowBrushes[2].colourPath, [] { return atelion::FlowBrushColour(atelion::FlowBrush::Small); }},
    {atelion::kFlowBrushes[2].mattePath, [] { return atelion::FlowBrushMatte(atelion::FlowBrush::Small); }},
    {atelion::kWatercolourPaperPath, atelion::GenerateWatercolourPaper},
    {atelion::kImpastoPaperPath, atelion::GenerateImpastoPaper},
    {atelion::kInkHatchSheetPath, atelion::GenerateInkHatchSheet},
    {atelion::kPencilStrokePath, atelion::GeneratePencilStroke},
    {atelion::kPencilStroke2Path, atelion::GeneratePencilStroke2},
    {atelion::kPastelScribblePath, atelion::GeneratePastelScribble},
    {atelion::kOldPaperPicturePath, atelion::GenerateOldPaperPicture},
    {atelion::kAlphaBrushSheets[0].colourPath, [] { return atelion::AlphaBrushSheetColour(atelion::AlphaBrushSheet::Default); }},
    {atelion::kAlphaBrushSheets[0].mattePath, [] { return atelion::AlphaBrushSheetMatte(atelion::AlphaBrushSheet::Default); }},
    {atelion::kAlphaBrushSheets[1].colourPath, [] { return atelion::AlphaBrushSheetColour(atelion::AlphaBrushSheet::Crosshatch); }},
    {atelion::kAlphaBrushSheets[1].mattePath, [] { return atelion::AlphaBrushSheetMatte(atelion::AlphaBrushSheet::Crosshatch); }},
    {atelion::kAlphaBrushSheets[2].colourPath, [] { return atelion::AlphaBrushSheetColour(atelion::AlphaBrushSheet::Pastel); }},
    {atelion::kAlphaBrushSheets[2].mattePath, [] { return atelion::AlphaBrushSheetMatte(atelion::AlphaBrushSheet::Pastel); }},
    {atelion::kShadedBrushColourPath, atelion::ShadedBrushColour},
    {atelion::kShadedBrushMattePath, atelion::ShadedBrushMatte},
    {atelion::kStrokeBrushes[0].colourPath, [] { return atelion::StrokeBrushColour(0); }},
    {atelion::kStrokeBrushes[0].mattePath, [] { return atelion::StrokeBrushMatte(0); }},
    {atelion::kStrokeBrushes[1].colourPath, [] { return atelion::StrokeBrushColour(1); }},
    {atelion::kStrokeBrushes[1].mattePath, [] { return atelion::StrokeBrushMatte(1); }},
    {atelion::kStrokeBrushes[2].colourPath, [] { return atelion::StrokeBrushColour(2); }},
    {atelion::kStrokeBrushes[2].mattePath, [] { return atelion::StrokeBrushMatte(2); }},
    {atelion::kStrokeBrushes[3].colourPath, [] { return atelion::StrokeBrushColour(3); }},
    {atelion::kStrokeBrushes[3].mattePath, [] { return atelion::StrokeBrushMatte(3); }},
};

// The application icon: a sheet of paper on a blue tile, its left part a small coloured landscape
// and its right part the same landscape in pencil hatching, with the pencil that draws it. Every
// shape is a formula in the unit square, so each size is drawn sharp on its own.
struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

Rgba Over(const Rgba& top, const Rgba& below) {
  const double a = top.a + below.a * (1 - top.a);
  if (a <= 0) return {};
  auto mix = [&](double t, double b) { return (t * top.a + b * below.a * (1 - top.a)) / a; };
  return {mix(top.r, below.r), mix(top.g, below.g), mix(top.b, below.b), a};
}

Rgba Hex(std::uint32_t rgb, double alpha = 1) {
  return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, alpha};
}

Rgba Blend(const Rgba& a, const Rgba& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// The landscape on the paper, in paper coordinates (−1..1 on both axes, y downwards).
Rgba PaperScene(double px, double py) {
  const double hill = 0.28 + 0.16 * std::sin(px * 2.6 + 0.4);
  const double sunDistance = std::hypot(px + 0.42, py + 0.45);
  const bool drawn = px + 0.25 * py > 0.05;  // the right part is already a drawing
  if (!drawn) {
    if (sunDistance < 0.2) return Hex(0xf5a623);
    if (py > hill) return Blend(Hex(0x5fae4e), Hex(0x2f6d3a), std::clamp((py - hill) / 0.6, 0.0, 1.0));
    return Blend(Hex(0x9fd3f2), Hex(0xe3f2fb), std::clamp((py + 1) / (hill + 1), 0.0, 1.0));
  }
  Rgba paper = Hex(0xf7f1e3);
  const Rgba graphite = Hex(0x55524d);
  if (std::abs(py - hill) < 0.035) return graphite;            // the hill's outline
  if (std::abs(sunDistance - 0.2) < 0.03) return graphite;     // the sun's outline
  if (py > hill && std::fmod((px - py + 4) * 9, 1.0) < 0.32) return Blend(paper, graphite, 0.75);
  return paper;
}

Rgba IconColour(double x, double y) {
  Rgba colour;
  // The tile: a rounded square with a vertical gradient.
  const double inset = 0.04, radius = 0.2;
  const double qx = std::max(std::abs(x - 0.5) - (0.5 - inset - radius), 0.0);
  const double qy = std::max(std::abs(y - 0.5) - (0.5 - inset - radius), 0.0);
  if (std::hypot(qx, qy) > radius) return colour;
  colour = Blend(Hex(0x4361a8), Hex(0x1d2648), y);

  // The paper, turned a little, with a soft shadow below and to the right.
  const double angle = -0.14, c = std::cos(angle), s = std::sin(angle);
  auto toPaper = [&](double ux, double uy, double& px, double& py) {
    const double dx = ux - 0.47, dy = uy - 0.49;
    px = (c * dx + s * dy) / 0.31;
    py = (-s * dx + c * dy) / 0.34;
  };
  double px = 0, py = 0;
  toPaper(x - 0.02, y - 0.025, px, py);
  const double shadowReach = std::max(std::abs(px), std::abs(py));
  if (shadowReach < 1.08) colour = Over(Hex(0x000000, 0.35 * std::clamp((1.08 - shadowReach) / 0.08, 0.0, 1.0)), colour);
  toPaper(x, y, px, py);
  if (std::abs(px) < 1 && std::abs(py) < 1) {
    colour = std::max(std::abs(px), std::abs(py)) > 0.9 ? Hex(0xfbf7ee) : PaperScene(px / 0.9, py / 0.9);
  }

  // The pencil, from its eraser at the lower right to its point on the edge of the drawing.
  const double backX = 0.9, backY = 0.9, tipX = 0.56, tipY = 0.42;
  const double length = std::hypot(tipX - backX, tipY - backY);
  const double ax = (tipX - backX) / length, ay = (tipY - backY) / length;
  const double along = (x - backX) * ax + (y - backY) * ay;
  const double across = -(x - backX) * ay + (y - backY) * ax;
  const double halfWidth = 0.05, coneLength = 0.13;
  if (along < 0 || along > length) return colour;
  if (along < 0.07) return std::abs(across) < halfWidth ? Hex(0xe7808d) : colour;
  if (along < 0.11) return std::abs(across) < halfWidth ? Hex(0xb9bcc2) : colour;
  if (along < length - coneLength) {
    if (std::abs(across) >= halfWidth) return colour;
    return across > halfWidth * 0.3 ? Hex(0xd9961c) : Hex(0xf5bd3a);
  }
  const double coneHalfWidth = halfWidth * (length - along) / coneLength;
  if (std::abs(across) >= coneHalfWidth) return colour;
  return length - along < coneLength * 0.35 ? Hex(0x34322f) : Hex(0xe9c995);
}

bool WriteIcon(int size, const std::filesystem::path& path) {
  constexpr int kSamples = 4;  // per axis, for smooth edges
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Rgba sample =
              IconColour((x + (sx + 0.5) / kSamples) / size, (y + (sy + 0.5) / kSamples) / size);
          r += sample.r * sample.a, g += sample.g * sample.a, b += sample.b * sample.a, a += sample.a;
        }
      }
      std::uint8_t* pixel = &pixels[(static_cast<std::size_t>(y) * size + x) * 4];
      const double unpremultiply = a > 0 ? 1 / a : 0;
      pixel[0] = static_cast<std::uint8_t>(std::lround(255 * r * unpremultiply));
      pixel[1] = static_cast<std::uint8_t>(std::lround(255 * g * unpremultiply));
      pixel[2] = static_cast<std::uint8_t>(std::lround(255 * b * unpremultiply));
      pixel[3] = static_cast<std::uint8_t>(std::lround(255 * a / (kSamples * kSamples)));
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(size);
  image.height = static_cast<png_uint_32>(size);
  image.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) == 0) {
    std::fprintf(stderr, "atelion-resources: cannot write %s: %s\n", path.c_str(), image.message);
    return false;
  }
  return true;
}

}  // namespace

// The sample photograph, rendered by our own code.
bool WriteSamplePhoto(const std::filesystem::path& root) {
  const std::filesystem::path path = root / atelion::kSamplePhotoPath;
  std::filesystem::create_directories(path.parent_path());
  const atelion::Status status = atelion::SaveImageFile(atelion::RenderSamplePhoto(), path, atelion::ImageFormat::Png);
  if (!status) std::fprintf(stderr, "atelion-resources: %s\n", status.message().c_str());
  return static_cast<bool>(status);
}

// The drawing the desktop program starts with beside the sample photograph: the photograph drawn
// with Pencil sketch 1 at its usual values, so the window opens on a photo and its drawing.
bool WriteStartDrawing(const std::filesystem::path& root) {
  const std::filesystem::path photo = root / atelion::kSamplePhotoPath;
  atelion::LoadedImage loaded = photo.empty() ? atelion::LoadedImage{} : atelion::LoadImageFile(photo);
  if (photo.empty() || !loaded.status) {
    std::fprintf(stderr, "atelion-resources: the sample photograph %s cannot be read\n", atelion::kSamplePhotoPath);
    return false;
  }
  atelion::RunPictures pictures;
  pictures.source = std::move(loaded.picture);
  pictures.result = pictures.source;
  atelion::StyleSettings style;
  style.effectId = atelion::kPencilSketch1EffectId;
  style.sliders = atelion::FactoryDefaults(style.effectId);
  style.sourceMean = atelion::ComputeMeanColour(pictures.source);
  atelion::RunContext context;
  if (atelion::RunEffect(pictures, style, atelion::FinishingSettings{}, context) != atelion::RunOutcome::Finished) {
    std::fprintf(stderr, "atelion-resources: the start drawing could not be made\n");
    return false;
  }
  const std::filesystem::path path = root / atelion::kStartDrawingPath;
  std::filesystem::create_directories(path.parent_path());
  const atelion::Status status = atelion::SaveImageFile(pictures.result, path, atelion::ImageFormat::Png, loaded.dpi);
  if (!status) std::fprintf(stderr, "atelion-resources: %s\n", status.message().c_str());
  return static_cast<bool>(status);
}

// The example picture of every style built in this build, drawn from a small square of the sample
// photograph (the styles run on 195 × 195 pixels, so the whole set takes a few seconds).
bool WriteStyleSamples(const std::filesystem::path& root) {
  atelion::LoadedImage photo = atelion::LoadImageFile(root / atelion::kSamplePhotoPath);
  if (!photo.status) {
    std::fprintf(stderr, "atelion-resources: the sample photograph %s cannot be read\n", atelion::kSamplePhotoPath);
    return false;
  }
  const atelion::Bitmap24 scene = atelion::StyleSampleScene(photo.picture);
  const atelion::Bitmap24 drawing =
      atelion::RenderStyleSample(scene, scene, atelion::kPencilSketch1EffectId).value_or(scene);
  for (int effectId = 0; effectId < atelion::kEffectCount; ++effectId) {
    const std::optional<atelion::Bitmap24> sample = atelion::RenderStyleSample(scene, drawing, effectId);
    const std::filesystem::path path = root / atelion::StyleSamplePath(effectId);
    if (!sample) {
      // A style not built yet has no example; one left from an earlier build would mislead.
      std::filesystem::remove(path);
      continue;
    }
    std::filesystem::create_directories(path.parent_path());
    const atelion::Status status = atelion::SaveImageFile(*sample, path, atelion::ImageFormat::Png);
    if (!status) {
      std::fprintf(stderr, "atelion-resources: %s\n", status.message().c_str());
      return false;
    }
  }
  return true;
}

// Writes every generated picture under `root`; false after saying what failed.
bool GenerateResources(const std::filesystem::path& root) {
  for (const GeneratedPicture& picture : kPictures) {
    const std::filesystem::path path = root / picture.relativePath;
    std::filesystem::create_directories(path.parent_path());
    const atelion::Status status = atelion::SaveImageFile(picture.make(), path, atelion::FormatFromExtension(path));
    if (!status) {
      std::fprintf(stderr, "atelion-resources: %s\n", status.message().c_str());
      return false;
    }
  }
  for (const int size : {48, 128, 256}) {
    const std::filesystem::path path = root / atelion::ApplicationIconPath(size);
    std::filesystem::create_directories(path.parent_path());
    if (!WriteIcon(size, path)) return false;
  }
  return WriteSamplePhoto(root) && WriteStartDrawing(root) && WriteStyleSamples(root);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: atelion-resources OUTDIR\n");
    return 2;
  }
  try {
    return GenerateResources(argv[1]) ? 0 : 1;
  } catch (const std::exception& error) {
    // A folder that cannot be made, lack of memory: said, never an abort.
    std::fprintf(stderr, "atelion-resources: %s\n", error.what());
    return 1;
  } catch (...) {
    std::fprintf(stderr, "atelion-resources: an unexpected error stopped the generation\n");
    return 1;
  }
}
