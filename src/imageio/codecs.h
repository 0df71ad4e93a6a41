// Codec entry points shared by the picture file functions. Each decoder reads the header first and
// refuses, before any pixel memory is allocated, a picture above ImageLimits or one larger than the
// rest of the file can hold: every format has a best case of pixels per byte of data, and a header
// declaring more than that is lying about its size. The probes run the same header checks alone.
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

/// "<name>: the file ends before the picture does", for data that runs out while decoding.
Status FileEndsBeforePicture(const std::string& name);

/// Refuses a picture of `width` × `height` when its data needs at least `leastBytes` in the format's
/// best case and only `availableBytes` follow the header; the error names the file.
Status CheckFileHolds(std::int64_t width, std::int64_t height, std::uint64_t leastBytes,
                      std::uint64_t availableBytes, const std::string& name);

/// The picture's size as its header states it, once the checks above have passed.
struct PictureSize {
  int width = 0;
  int height = 0;
};

/// Each probe reads only as far as the header and runs the checks its decoder runs before allocating.
Status ProbeJpeg(std::span<const std::uint8_t> bytes, const std::string& name, PictureSize& size);
Status ProbePng(std::span<const std::uint8_t> bytes, const std::string& name, PictureSize& size);
Status ProbeBmp(std::span<const std::uint8_t> bytes, const std::string& name, PictureSize& size);
Status ProbeGif(std::span<const std::uint8_t> bytes, const std::string& name, PictureSize& size);

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
