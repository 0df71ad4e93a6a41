#include "imageio/resource_pictures.h"

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/resources.h"
#include "imageio/image_files.h"
#include "imageio/user_files.h"

namespace atelion {
namespace {

std::optional<Bitmap24> ReadOfSize(const std::filesystem::path& relativePath, int width, int height) {
  const std::filesystem::path path = FindResource(relativePath);
  if (path.empty()) return std::nullopt;
  LoadedImage loaded = LoadImageFile(path);
  if (!loaded.status || loaded.picture.Width() != width || loaded.picture.Height() != height) return std::nullopt;
  return std::move(loaded.picture);
}

std::string Quoted(const std::filesystem::path& path) { return '"' + path.string() + '"'; }

// A frame or brush picture larger than this is no picture the program could use.
constexpr std::uintmax_t kMaxTransparentPngBytes = 256u << 20;

}  // namespace

std::optional<Bitmap24> ReadResourcePicture(const std::filesystem::path& relativePath, int width, int height) {
  return ReadOfSize(relativePath, width, height);
}

std::optional<Bitmap32> ReadTransparentResourcePicture(const std::filesystem::path& colourPath,
                                                       const std::filesystem::path& mattePath, int width, int height) {
  const std::optional<Bitmap24> colour = ReadOfSize(colourPath, width, height);
  const std::optional<Bitmap24> matte = colour ? ReadOfSize(mattePath, width, height) : std::nullopt;
  if (!matte) return std::nullopt;
  Bitmap32 picture(width, height, 0);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* colourRow = colour->Row(y);
    const std::uint8_t* matteRow = matte->Row(y);
    std::uint8_t* target = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) target[4 * x + c] = colourRow[3 * x + c];
      target[4 * x + 3] = matteRow[3 * x + 2];
    }
  }
  return picture;
}

Status ReadTransparentPng(const std::filesystem::path& path, std::string_view what, Bitmap32& picture) {
  const std::string name = "the " + std::string(what) + " " + Quoted(path);
  const FileContents file = ReadUserFile(path, kMaxTransparentPngBytes, what);
  if (file.problem == FileProblem::Missing) return Status::Error("Cannot open " + name + ".");
  if (!file) return Status::Error("Cannot read " + name + ": " + file.reason + ".");
  const std::vector<std::uint8_t>& bytes = file.bytes;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::string named = name;
  named[0] = 'T';
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    const std::string reason = image.message;
    png_image_free(&image);
    return Status::Error(named + " is not a readable PNG file: " + reason + ".");
  }
  const std::int64_t width = image.width;
  const std::int64_t height = image.height;
  if (width > ImageLimits::kMaxSide || height > ImageLimits::kMaxSide || width * height > ImageLimits::kMaxPixels) {
    png_image_free(&image);
    return Status::Error(named + " is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels).");
  }
  // Blue, green, red, alpha bytes: the layout of Bitmap32, colours not premultiplied.
  image.format = PNG_FORMAT_BGRA;
  Bitmap32 loaded(static_cast<int>(width), static_cast<int>(height), 0);
  if (!png_image_finish_read(&image, nullptr, loaded.Row(0), static_cast<png_int_32>(loaded.RowBytes()), nullptr)) {
    const std::string reason = image.message;
    png_image_free(&image);
    return Status::Error(named + " is damaged: " + reason + ".");
  }
  picture = std::move(loaded);
  return Status::Ok();
}

Bitmap24 TransparentMatte(const Bitmap32& picture) {
  Bitmap24 matte(picture.Width(), picture.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* in = picture.Row(y);
    std::uint8_t* out = matte.Row(y);
    for (int x = 0; x < picture.Width(); ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[4 * x + 3];
  }
  return matte;
}

}  // namespace atelion
