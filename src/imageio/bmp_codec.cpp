// BMP reading through stb_image (the usual depths, compressed or not) and writing as 24-bit
// uncompressed BMP: bottom-up rows, each padded to a multiple of 4 bytes.
#include <climits>
#include <cmath>
#include <memory>

#include <stb/stb_image.h>

#include "imageio/codecs.h"

namespace atelion::codecs {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

std::string StbReason() {
  const char* reason = stbi_failure_reason();
  return reason != nullptr ? reason : "unknown error";
}

}  // namespace

Status DecodeBmp(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture) {
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return Status::Error(name + ": the file is too large");
  const int length = static_cast<int>(bytes.size());
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels)) {
    return Status::Error(name + ": the BMP data cannot be read: " + StbReason());
  }
  if (Status size = CheckPictureSize(width, height, name); !size) return size;

  std::unique_ptr<stbi_uc, StbFree> rgb(stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 3));
  if (!rgb) return Status::Error(name + ": the BMP data cannot be read: " + StbReason());

  Bitmap24 decoded(width, height);
  for (int y = 0; y < height; ++y) {
    const stbi_uc* source = rgb.get() + static_cast<std::size_t>(y) * width * 3;
    std::uint8_t* row = decoded.Row(y);
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) row[3 * x + c] = source[3 * x + 2 - c];
    }
  }
  picture = std::move(decoded);
  return Status::Ok();
}

Status EncodeBmp(const Bitmap24& picture, int dpi, std::vector<std::uint8_t>& out) {
  const std::size_t rowBytes = picture.RowBytes();
  const std::size_t paddedRowBytes = (rowBytes + 3) / 4 * 4;
  const std::uint64_t pixelBytes = static_cast<std::uint64_t>(paddedRowBytes) * picture.Height();
  const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + pixelBytes;
  if (fileSize > UINT32_MAX) return Status::Error("the picture is too large for a BMP file");
  // Dots per inch to pixels per metre, rounded: 72 dpi gives the customary 2835.
  const auto pixelsPerMetre = static_cast<std::uint32_t>(std::lround(dpi / 0.0254));

  out.reserve(out.size() + fileSize);
  out.push_back('B');
  out.push_back('M');
  PutLittleEndian(out, static_cast<std::uint32_t>(fileSize), 4);
  PutLittleEndian(out, 0, 4);  // reserved
  PutLittleEndian(out, kFileHeaderSize + kInfoHeaderSize, 4);
  PutLittleEndian(out, kInfoHeaderSize, 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(picture.Width()), 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(picture.Height()), 4);  // positive: bottom-up rows
  PutLittleEndian(out, 1, 2);                                              // planes
  PutLittleEndian(out, 24, 2);                                             // bits per pixel
  PutLittleEndian(out, 0, 4);                                              // no compression
  PutLittleEndian(out, static_cast<std::uint32_t>(pixelBytes), 4);
  PutLittleEndian(out, pixelsPerMetre, 4);
  PutLittleEndian(out, pixelsPerMetre, 4);
  PutLittleEndian(out, 0, 4);  // colours used
  PutLittleEndian(out, 0, 4);  // important colours
  for (int y = picture.Height() - 1; y >= 0; --y) {
    const std::uint8_t* row = picture.Row(y);
    out.insert(out.end(), row, row + rowBytes);
    out.insert(out.end(), paddedRowBytes - rowBytes, 0);
  }
  return Status::Ok();
}

}  // namespace atelion::codecs
