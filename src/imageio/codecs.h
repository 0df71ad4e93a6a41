// Codec entry points shared by the picture file functions. Each decoder refuses pictures above
// ImageLimits as soon as it knows the size, before any pixel memory is allocated.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/status.h"
#include "imageio/image_files.h"

namespace atelion::codecs {

/// Checks a size read from a file header against ImageLimits; the error names the file.
Status CheckPictureSize(std::int64_t width, std::int64_t height, const std::string& name);

/// Each decoder fills `picture` only on success; on failure it is left empty.
Status DecodeJpeg(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture);
Status DecodePng(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture);
Status DecodeBmp(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture);
Status DecodeGif(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture);

/// Encoders append a complete file to `out`.
Status EncodeJpeg(const Bitmap24& picture, int dpi, std::vector<std::uint8_t>& out);
Status EncodePng(const Bitmap24& picture, std::vector<std::uint8_t>& out);
Status EncodeBmp(const Bitmap24& picture, int dpi, std::vector<std::uint8_t>& out);

/// Mixes a colour channel with white by its alpha: opaque keeps the colour, transparent gives white.
constexpr std::uint8_t OverWhite(int channel, int alpha) {
  return static_cast<std::uint8_t>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

}  // namespace atelion::codecs
