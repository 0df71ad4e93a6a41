// Picture files: recognising the format, loading whole files, saving without ever destroying the
// previous file, and the resolution kept in a JPEG's JFIF header.
#include "imageio/image_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>

#include "imageio/file_replace.h"
#include "imageio/codecs.h"
#include "imageio/user_files.h"

namespace atelion {

namespace fs = std::filesystem;

namespace {

// The JFIF resolution is looked for only among the first bytes of a file, where the header sits.
constexpr std::size_t kJfifSearchBytes = 50;
constexpr std::array<std::uint8_t, 5> kJfifTag = {'J', 'F', 'I', 'F', 0};
// From the start of "JFIF": five bytes of tag, two of version, then units, X density, Y density.
constexpr std::size_t kJfifUnitsOffset = 7;
constexpr int kLowestTrustedDpi = 72;
constexpr int kHighestDpi = 2400;

// Files beyond this cannot hold a picture within ImageLimits in any format read here.
constexpr std::uintmax_t kMaxFileBytes = INT_MAX;

// Where "JFIF" + NUL starts among the first bytes such that `needed` bytes from the start of the
// tag lie inside `bytes`; none when absent or too close to the end.
std::optional<std::size_t> FindJfifTag(std::span<const std::uint8_t> bytes, std::size_t needed) {
  const std::size_t searched = std::min(bytes.size(), kJfifSearchBytes);
  const auto begin = bytes.begin();
  const auto found = std::search(begin, begin + searched, kJfifTag.begin(), kJfifTag.end());
  if (found == begin + searched) return std::nullopt;
  const auto start = static_cast<std::size_t>(found - begin);
  if (start + needed > searched) return std::nullopt;
  return start;
}

Status ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>& bytes) {
  FileContents file = ReadUserFile(path, kMaxFileBytes, "picture file");
  if (!file) return Status::Error(path.string() + ": " + file.reason);
  bytes = std::move(file.bytes);
  return Status::Ok();
}

}  // namespace

namespace codecs {

Status CheckPictureSize(std::int64_t width, std::int64_t height, const std::string& name) {
  if (width <= 0 || height <= 0) return Status::Error(name + ": the picture has no pixels");
  if (width > ImageLimits::kMaxSide || height > ImageLimits::kMaxSide || width * height > ImageLimits::kMaxPixels) {
    return Status::Error(name + ": the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels; at most " + std::to_string(ImageLimits::kMaxSide) + " pixels a side and " +
                         std::to_string(ImageLimits::kMaxPixels) + " pixels in all)");
  }
  return Status::Ok();
}

Status FileEndsBeforePicture(const std::string& name) {
  return Status::Error(name + ": the file ends before the picture does");
}

Status CheckFileHolds(std::int64_t width, std::int64_t height, std::uint64_t leastBytes, std::uint64_t availableBytes,
                      const std::string& name) {
  if (availableBytes >= leastBytes) return Status::Ok();
  return Status::Error(FileEndsBeforePicture(name).message() + " (" + std::to_string(width) + " x " +
                       std::to_string(height) + " pixels need at least " + std::to_string(leastBytes) +
                       " bytes of picture data, and " + std::to_string(availableBytes) + " follow the header)");
}

}  // namespace codecs

ImageFormat SniffImageFormat(std::span<const std::uint8_t> bytes) {
  auto startsWith = [&bytes](std::size_t offset, std::string_view text) {
    return bytes.size() >= offset + text.size() && std::equal(text.begin(), text.end(), bytes.begin() + offset);
  };
  if (startsWith(0, "BM")) return ImageFormat::Bmp;
  if (startsWith(0, "GIF")) return ImageFormat::Gif;
  if (startsWith(1, "PNG")) return ImageFormat::Png;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) return ImageFormat::Jpeg;
  return ImageFormat::Unknown;
}

ImageFormat FormatFromExtension(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".jpg" || extension == ".jpeg") return ImageFormat::Jpeg;
  if (extension == ".png") return ImageFormat::Png;
  if (extension == ".bmp") return ImageFormat::Bmp;
  if (extension == ".gif") return ImageFormat::Gif;
  return ImageFormat::Unknown;
}

LoadedImage DecodeImage(std::span<const std::uint8_t> bytes, const std::string& name) {
  LoadedImage result;
  if (bytes.empty()) {
    result.status = Status::Error(name + ": the file is empty");
    return result;
  }
  result.format = SniffImageFormat(bytes);
  switch (result.format) {
    case ImageFormat::Jpeg:
      result.status = codecs::DecodeJpeg(bytes, name, result.picture);
      result.dpi = ReadJfifDensity(bytes);
      break;
    case ImageFormat::Png:
      result.status = codecs::DecodePng(bytes, name, result.picture);
      break;
    case ImageFormat::Bmp:
      result.status = codecs::DecodeBmp(bytes, name, result.picture);
      break;
    case ImageFormat::Gif:
      result.status = codecs::DecodeGif(bytes, name, result.picture);
      break;
    case ImageFormat::Unknown:
      result.status = Status::Error("Unrecognized file format! (" + name + ")");
      break;
  }
  if (!result.status) result.picture = Bitmap24();
  return result;
}

LoadedImage LoadImageFile(const fs::path& path) {
  std::vector<std::uint8_t> bytes;
  if (Status read = ReadWholeFile(path, bytes); !read) {
    LoadedImage result;
    result.status = read;
    return result;
  }
  return DecodeImage(bytes, path.string());
}

ImageHeader ProbeImage(std::span<const std::uint8_t> bytes, const std::string& name) {
  ImageHeader header;
  if (bytes.empty()) {
    header.status = Status::Error(name + ": the file is empty");
    return header;
  }
  header.format = SniffImageFormat(bytes);
  codecs::PictureSize size;
  switch (header.format) {
    case ImageFormat::Jpeg:
      header.status = codecs::ProbeJpeg(bytes, name, size);
      break;
    case ImageFormat::Png:
      header.status = codecs::ProbePng(bytes, name, size);
      break;
    case ImageFormat::Bmp:
      header.status = codecs::ProbeBmp(bytes, name, size);
      break;
    case ImageFormat::Gif:
      header.status = codecs::ProbeGif(bytes, name, size);
      break;
    case ImageFormat::Unknown:
      header.status = Status::Error("Unrecognized file format! (" + name + ")");
      break;
  }
  if (header.status) {
    header.width = size.width;
    header.height = size.height;
  }
  return header;
}

ImageHeader ProbeImageFile(const fs::path& path) {
  std::vector<std::uint8_t> bytes;
  if (Status read = ReadWholeFile(path, bytes); !read) {
    ImageHeader header;
    header.status = read;
    return header;
  }
  return ProbeImage(bytes, path.string());
}

Status EncodeImage(const Bitmap24& picture, ImageFormat format, int dpi, std::vector<std::uint8_t>& out) {
  if (picture.Empty()) return Status::Error("the picture is empty");
  dpi = std::clamp(dpi, 1, 65535);
  switch (format) {
    case ImageFormat::Jpeg:
      return codecs::EncodeJpeg(picture, dpi, out);
    case ImageFormat::Png:
      return codecs::EncodePng(picture, out);
    case ImageFormat::Bmp:
      return codecs::EncodeBmp(picture, dpi, out);
    case ImageFormat::Gif:
    case ImageFormat::Unknown:
      break;
  }
  return Status::Error("pictures are saved only as JPEG, PNG or BMP");
}

Status SaveImageFile(const Bitmap24& picture, const fs::path& path, ImageFormat format, int dpi) {
  std::vector<std::uint8_t> bytes;
  if (Status encoded = EncodeImage(picture, format, dpi, bytes); !encoded) {
    return Status::Error("Cannot save " + path.string() + ": " + encoded.message());
  }
  return ReplaceFileContents(path, bytes);
}

int ReadJfifDensity(std::span<const std::uint8_t> firstBytes) {
  // Needs the tag, version, units and both bytes of the X density.
  const std::optional<std::size_t> start = FindJfifTag(firstBytes, kJfifUnitsOffset + 3);
  if (!start) return kDefaultDpi;
  // The units byte is not consulted: a density in dots per centimetre is taken as dots per inch.
  const std::size_t x = *start + kJfifUnitsOffset + 1;
  const int density = (firstBytes[x] << 8) | firstBytes[x + 1];
  if (density < kLowestTrustedDpi) return kDefaultDpi;
  return std::min(density, kHighestDpi);
}

int ReadJfifDensity(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::array<std::uint8_t, kJfifSearchBytes> bytes{};
  if (!file) return kDefaultDpi;
  file.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
  return ReadJfifDensity(std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(file.gcount())));
}

Status WriteJfifDensity(const fs::path& path, int dpi) {
  const std::string name = path.string();
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  if (file == nullptr) return Status::Error("Cannot write the resolution into " + name + ": " + ErrnoText(errno));
  std::array<std::uint8_t, kJfifSearchBytes> bytes{};
  const std::size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
  // Needs room for units and both densities.
  const std::optional<std::size_t> start = FindJfifTag(std::span(bytes.data(), count), kJfifUnitsOffset + 5);
  if (!start) {
    std::fclose(file);
    return Status::Ok();
  }
  const auto value = static_cast<std::uint16_t>(std::clamp(dpi, 1, 65535));
  const std::uint8_t high = static_cast<std::uint8_t>(value >> 8);
  const std::uint8_t low = static_cast<std::uint8_t>(value & 0xFF);
  const std::array<std::uint8_t, 5> density = {1, high, low, high, low};  // dots per inch, X, Y
  const bool written = std::fseek(file, static_cast<long>(*start + kJfifUnitsOffset), SEEK_SET) == 0 &&
                       std::fwrite(density.data(), 1, density.size(), file) == density.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) return Status::Error("Cannot write the resolution into " + name + ": " + ErrnoText(errno));
  return Status::Ok();
}

}  // namespace atelion
