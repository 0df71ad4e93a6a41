// BMP reading and writing. The header is read here, so that a file too short for the picture it
// declares is refused before anything is allocated; uncompressed pixels (1 to 32 bits, bottom-up
// or top-down) are then decoded by stb_image, run-length coded ones (RLE8, RLE4) by the decoder
// below. Pictures are written as 24-bit uncompressed BMP: bottom-up rows, each padded to 4 bytes.
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include <stb/stb_image.h>

#include "imageio/codecs.h"

namespace atelion::codecs {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
// The OS/2 header, 12 bytes, states the size in 16-bit fields and has no compression field.
constexpr std::uint32_t kCoreHeaderSize = 12;

enum Compression : std::uint32_t { kUncompressed = 0, kRunLength8 = 1, kRunLength4 = 2, kBitFields = 3 };

// Encoders end every run-length coded row with a two-byte code (end of line, or end of bitmap for
// the last row), which makes two bytes a row the least such a file holds. A delta code can jump over
// rows for less; a file that leaves out most of its rows that way is refused.
constexpr std::uint64_t kLeastRunLengthBytesPerRow = 2;

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t LittleEndian(std::span<const std::uint8_t> bytes, std::size_t at, int byteCount) {
  std::uint32_t value = 0;
  for (int i = byteCount - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

std::string StbReason() {
  const char* reason = stbi_failure_reason();
  return reason != nullptr ? reason : "unknown error";
}

Status BmpError(const std::string& name, const std::string& reason) {
  return Status::Error(name + ": the BMP data cannot be read: " + reason);
}

struct BmpHeader {
  int width = 0;
  int height = 0;  // always positive; `topDown` tells the row order
  bool topDown = false;
  int bitsPerPixel = 0;
  std::uint32_t compression = kUncompressed;
  std::uint32_t headerSize = 0;
  std::uint32_t pixelOffset = 0;  // where the pixel data starts, from the start of the file
  std::uint32_t coloursUsed = 0;  // palette entries; 0 means as many as the depth allows

  bool RunLength() const { return compression == kRunLength8 || compression == kRunLength4; }
};

// Reads the file and information headers and checks that the file can hold the picture they declare.
Status ReadBmpHeader(std::span<const std::uint8_t> bytes, const std::string& name, BmpHeader& header) {
  if (bytes.size() < kFileHeaderSize + 4) return FileEndsBeforePicture(name);
  header.pixelOffset = LittleEndian(bytes, 10, 4);
  header.headerSize = LittleEndian(bytes, kFileHeaderSize, 4);
  const std::uint32_t size = header.headerSize;
  if (size != kCoreHeaderSize && size != 40 && size != 56 && size != 108 && size != 124) {
    return BmpError(name, "unknown header size " + std::to_string(size));
  }
  if (bytes.size() < kFileHeaderSize + size) return FileEndsBeforePicture(name);

  std::int64_t width = 0;
  std::int64_t height = 0;
  std::size_t at = kFileHeaderSize + 4;
  if (size == kCoreHeaderSize) {
    width = LittleEndian(bytes, at, 2);
    height = LittleEndian(bytes, at + 2, 2);
    at += 4;
  } else {
    width = static_cast<std::int32_t>(LittleEndian(bytes, at, 4));
    height = static_cast<std::int32_t>(LittleEndian(bytes, at + 4, 4));
    at += 8;
  }
  // Then planes (2 bytes), bits per pixel (2); in the longer headers compression (4), the size of
  // the pixel data (4), two resolutions (4 each) and the number of palette entries used (4).
  if (LittleEndian(bytes, at, 2) != 1) return BmpError(name, "the number of planes is not 1");
  header.bitsPerPixel = static_cast<int>(LittleEndian(bytes, at + 2, 2));
  if (size != kCoreHeaderSize) {
    header.compression = LittleEndian(bytes, at + 4, 4);
    header.coloursUsed = LittleEndian(bytes, at + 20, 4);
  }
  // A negative height marks rows stored top row first.
  header.topDown = height < 0;
  height = std::abs(height);
  if (Status checked = CheckPictureSize(width, height, name); !checked) return checked;
  header.width = static_cast<int>(width);
  header.height = static_cast<int>(height);

  const int depth = header.bitsPerPixel;
  switch (header.compression) {
    case kUncompressed:
    case kBitFields:
      if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
        return BmpError(name, std::to_string(depth) + " bits per pixel are not supported");
      }
      break;
    case kRunLength8:
    case kRunLength4:
      if (depth != (header.compression == kRunLength8 ? 8 : 4)) {
        return BmpError(name, "run-length coding with " + std::to_string(depth) + " bits per pixel");
      }
      break;
    default:
      return BmpError(name, "compression type " + std::to_string(header.compression) + " is not supported");
  }

  if (header.pixelOffset > bytes.size()) return FileEndsBeforePicture(name);
  const std::uint64_t available = bytes.size() - header.pixelOffset;
  if (header.RunLength()) return CheckFileHolds(width, height, kLeastRunLengthBytesPerRow * height, available, name);
  // Rows are padded to whole 32-bit words; the last row's padding may be missing.
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * depth + 7) / 8;
  const std::uint64_t paddedRowBytes = (static_cast<std::uint64_t>(width) * depth + 31) / 32 * 4;
  return CheckFileHolds(width, height, paddedRowBytes * (height - 1) + rowBytes, available, name);
}

// The palette of a run-length coded picture, as blue-green-red triples. It follows the headers,
// four bytes an entry.
Status ReadPalette(std::span<const std::uint8_t> bytes, const BmpHeader& header, const std::string& name,
                   std::vector<std::uint8_t>& palette) {
  const std::uint32_t most = 1u << header.bitsPerPixel;
  const std::uint32_t entries = header.coloursUsed == 0 ? most : std::min(header.coloursUsed, most);
  const std::size_t start = kFileHeaderSize + header.headerSize;
  if (bytes.size() < start + 4 * entries) return FileEndsBeforePicture(name);
  palette.clear();
  for (std::uint32_t i = 0; i < entries; ++i) {
    palette.insert(palette.end(), bytes.begin() + start + 4 * i, bytes.begin() + start + 4 * i + 3);
  }
  return Status::Ok();
}

// Decodes run-length coded pixels into `picture`, which starts white: pixels the stream leaves out
// (jumped over by a delta, or after an early end of line or end of bitmap) stay white, as the
// transparent parts of other formats do. Codes, two bytes each: a count and a value paint a run of
// that many pixels (RLE4: the value's two nibbles in turn); a zero count and a value of 0 ends the
// row, 1 ends the picture, 2 moves right and down by the next two bytes, 3 or more is followed by
// that many pixels stored one by one, padded to an even number of bytes.
Status DecodeRunLengths(std::span<const std::uint8_t> data, const BmpHeader& header,
                        const std::vector<std::uint8_t>& palette, const std::string& name, Bitmap24& picture) {
  const bool nibbles = header.compression == kRunLength4;
  const int colours = static_cast<int>(palette.size() / 3);
  int x = 0;
  int row = 0;  // in the order the file stores rows
  // Painting stops at the right edge, dropping what lies past it; an index beyond the palette is black.
  auto paint = [&](int index) {
    std::uint8_t* pixel = picture.Row(header.topDown ? row : header.height - 1 - row) + 3 * x;
    for (int c = 0; c < 3; ++c) pixel[c] = index < colours ? palette[3 * index + c] : 0;
    ++x;
  };
  // RLE4 packs two pixels a byte, the high nibble first; in a run they alternate.
  auto indexAt = [nibbles](std::uint8_t byte, int i) {
    return nibbles ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
  };
  std::size_t at = 0;
  while (row < header.height) {
    if (data.size() - at < 2) return FileEndsBeforePicture(name);
    const int count = data[at];
    const std::uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count && x < header.width; ++i) paint(indexAt(value, i));
      continue;
    }
    if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (data.size() - at < 2) return FileEndsBeforePicture(name);
      x = std::min(x + data[at], header.width);
      row += data[at + 1];
      at += 2;
    } else {
      const std::size_t stored = nibbles ? (value + 1) / 2 : value;
      if (data.size() - at < stored) return FileEndsBeforePicture(name);
      for (int i = 0; i < value && x < header.width; ++i) paint(indexAt(data[at + (nibbles ? i / 2 : i)], i));
      at += std::min(stored + stored % 2, data.size() - at);
    }
  }
  return Status::Ok();
}

Status DecodeUncompressed(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture) {
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return Status::Error(name + ": the file is too large");
  int width = 0;
  int height = 0;
  int channels = 0;
  std::unique_ptr<stbi_uc, StbFree> rgb(
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 3));
  if (!rgb) return BmpError(name, StbReason());

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

}  // namespace

Status ProbeBmp(std::span<const std::uint8_t> bytes, const std::string& name, PictureSize& size) {
  BmpHeader header;
  if (Status read = ReadBmpHeader(bytes, name, header); !read) return read;
  size = {header.width, header.height};
  return Status::Ok();
}

Status DecodeBmp(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture) {
  BmpHeader header;
  if (Status read = ReadBmpHeader(bytes, name, header); !read) return read;
  if (!header.RunLength()) return DecodeUncompressed(bytes, name, picture);

  std::vector<std::uint8_t> palette;
  if (Status read = ReadPalette(bytes, header, name, palette); !read) return read;
  Bitmap24 decoded(header.width, header.height, 0xFFFFFF);
  if (Status read = DecodeRunLengths(bytes.subspan(header.pixelOffset), header, palette, name, decoded); !read) {
    return read;
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
