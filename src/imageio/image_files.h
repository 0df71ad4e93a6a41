// Reading and writing pictures: JPEG (with its JFIF resolution), PNG, BMP, and GIF for downloads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/status.h"

namespace atelion {

enum class ImageFormat { Unknown, Jpeg, Png, Bmp, Gif };

/// Pictures larger than this are refused before any pixel memory is allocated.
struct ImageLimits {
  static constexpr int kMaxSide = 32768;
  static constexpr std::int64_t kMaxPixels = 250'000'000;  // 750 MB as 24-bit pixels
};

/// Resolution assumed when a file does not state one.
constexpr int kDefaultDpi = 300;

/// A decoded picture and what the file said about it.
struct LoadedImage {
  Status status = Status::Ok();
  Bitmap24 picture;
  int dpi = kDefaultDpi;  ///< from the JFIF header of a JPEG; 300 otherwise
  ImageFormat format = ImageFormat::Unknown;
};

/// Recognises a format from the first bytes ("BM", "GIF", "\x89PNG", 0xFF 0xD8).
ImageFormat SniffImageFormat(std::span<const std::uint8_t> bytes);
/// The format an extension names (".jpg", ".jpeg", ".png", ".bmp", ".gif"; any case).
ImageFormat FormatFromExtension(const std::filesystem::path& path);

/// What a picture file's header says, read without decoding the pixels.
struct ImageHeader {
  Status status = Status::Ok();
  ImageFormat format = ImageFormat::Unknown;
  int width = 0;
  int height = 0;
};

/// Decodes a picture held in memory; `name` is used in error messages. A file that cannot hold the
/// picture its header declares, or that ends before the picture does, is refused before the
/// picture's memory is allocated or, at the latest, when the missing data is noticed.
LoadedImage DecodeImage(std::span<const std::uint8_t> bytes, const std::string& name);
/// Loads a picture file as a 24-bit picture, transparent areas composited over white.
/// The format is taken from the file's content. On failure the status names the file and the reason.
LoadedImage LoadImageFile(const std::filesystem::path& path);

/// Checks a picture from its header alone, as decoding would before allocating: the format, the
/// size within ImageLimits, and whether the file is long enough to hold a picture of that size.
/// A picture that passes can still fail to decode when its pixel data is damaged.
ImageHeader ProbeImage(std::span<const std::uint8_t> bytes, const std::string& name);
/// ProbeImage on a file, read through the rules for files the user names.
ImageHeader ProbeImageFile(const std::filesystem::path& path);

/// Encodes a picture into `out` in the given format, as SaveImageFile writes it. `dpi` is used by
/// JPEG (JFIF header) and BMP (pixels per metre); it is limited to 1..65535.
Status EncodeImage(const Bitmap24& picture, ImageFormat format, int dpi, std::vector<std::uint8_t>& out);

/// Writes a picture in the given format (JPEG at quality 95 with `dpi` in its JFIF header,
/// PNG as opaque RGBA at compression level 3, BMP as 24-bit). The file is written to a
/// temporary file in the same folder and renamed over the target, so a failure never
/// destroys an existing file.
Status SaveImageFile(const Bitmap24& picture, const std::filesystem::path& path, ImageFormat format,
                     int dpi = kDefaultDpi);

/// The resolution a JFIF header states: X density below 72 gives 300, above 2400 gives 2400;
/// 300 when there is no JFIF header among the first 50 bytes.
int ReadJfifDensity(std::span<const std::uint8_t> firstBytes);
int ReadJfifDensity(const std::filesystem::path& path);
/// Writes `dpi` (units dots per inch) into the JFIF header of a saved JPEG; no header, no change.
Status WriteJfifDensity(const std::filesystem::path& path, int dpi);

}  // namespace atelion
