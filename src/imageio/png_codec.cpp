// PNG reading and writing through libpng. Any colour type and bit depth is widened to 8-bit RGBA
// and mixed over white, so transparent areas open white. Pictures are written as 8-bit RGBA with
// every alpha 255. libpng reports errors through a callback that jumps back to the caller.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include <png.h>

#include "imageio/codecs.h"

namespace atelion::codecs {

namespace {

constexpr int kPngCompressionLevel = 3;

// Deflate's best case: a 258-byte match coded with a one-bit length code and a one-bit distance
// code, 258 bytes for 2 bits.
constexpr std::uint64_t kMostDeflateExpansion = 1032;

// What libpng says when the compressed rows end, or the IDAT chunks do, before the last row.
constexpr std::string_view kLibpngRowsMissing = "Not enough image data";

struct PngErrorText {
  char text[256] = "";
};

[[noreturn]] void JumpOnError(png_structp png, png_const_charp message) {
  auto* error = static_cast<PngErrorText*>(png_get_error_ptr(png));
  std::snprintf(error->text, sizeof error->text, "%s", message);
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

struct MemorySource {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t offset = 0;
  bool endReached = false;  // a read asked for more than was left
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (count > source->size - source->offset) {
    source->endReached = true;
    png_error(png, "the file ends before the picture does");
  }
  std::memcpy(out, source->data + source->offset, count);
  source->offset += count;
}

struct PngDecoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngErrorText error;
  MemorySource source;
  std::vector<std::uint8_t> rgba;      // one row, or the whole picture when interlaced
  std::vector<png_bytep> rowPointers;  // into `rgba`, for interlaced pictures

  ~PngDecoder() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  }
};

void CompositeRowOverWhite(const std::uint8_t* rgba, std::uint8_t* bgr, int width) {
  for (int x = 0; x < width; ++x) {
    const std::uint8_t* pixel = rgba + 4 * x;
    for (int c = 0; c < 3; ++c) bgr[3 * x + c] = OverWhite(pixel[2 - c], pixel[3]);
  }
}

// The fewest bytes of compressed data that can hold the picture's rows, filter bytes not counted.
std::uint64_t LeastCompressedBytes(png_structp png, png_infop info) {
  const std::uint64_t bitsPerPixel =
      static_cast<std::uint64_t>(png_get_channels(png, info)) * png_get_bit_depth(png, info);
  const std::uint64_t rowBytes = (png_get_image_width(png, info) * bitsPerPixel + 7) / 8;
  const std::uint64_t pictureBytes = rowBytes * png_get_image_height(png, info);
  return (pictureBytes + kMostDeflateExpansion - 1) / kMostDeflateExpansion;
}

// Runs the libpng calls, up to the header checks when `headerOnly`. A libpng error jumps back to
// the setjmp below; this function keeps no objects with destructors of its own, so the jump skips none.
bool RunPngDecode(PngDecoder& decoder, const std::string& name, bool headerOnly, Bitmap24& picture,
                  Status& sizeStatus) {
  decoder.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decoder.error, JumpOnError, IgnoreWarning);
  if (decoder.png == nullptr) return false;
  decoder.info = png_create_info_struct(decoder.png);
  if (decoder.info == nullptr) return false;
  png_structp png = decoder.png;
  png_infop info = decoder.info;
  if (setjmp(png_jmpbuf(png))) return false;

  png_set_read_fn(png, &decoder.source, ReadFromMemory);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  sizeStatus = CheckPictureSize(width, height, name);
  if (!sizeStatus) return false;
  // png_read_info stops at the start of the first IDAT chunk's data: the rest of the file bounds
  // the compressed rows.
  sizeStatus = CheckFileHolds(width, height, LeastCompressedBytes(png, info),
                              decoder.source.size - decoder.source.offset, name);
  if (!sizeStatus) return false;
  if (headerOnly) return true;

  png_set_expand(png);  // palette to RGB, grey below 8 bits to 8 bits, transparent colour to alpha
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);  // only where there is no alpha yet
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  if (png_get_rowbytes(png, info) != rowBytes) png_error(png, "unexpected row layout after conversion");

  picture.Resize(static_cast<int>(width), static_cast<int>(height));
  if (passes == 1) {
    decoder.rgba.resize(rowBytes);
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, decoder.rgba.data(), nullptr);
      CompositeRowOverWhite(decoder.rgba.data(), picture.Row(static_cast<int>(y)), static_cast<int>(width));
    }
  } else {
    // Interlaced rows arrive in several passes, each filling in pixels of rows read before.
    decoder.rgba.resize(rowBytes * height);
    decoder.rowPointers.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) decoder.rowPointers[y] = decoder.rgba.data() + rowBytes * y;
    png_read_image(png, decoder.rowPointers.data());
    for (png_uint_32 y = 0; y < height; ++y) {
      CompositeRowOverWhite(decoder.rowPointers[y], picture.Row(static_cast<int>(y)), static_cast<int>(width));
    }
  }
  return true;
}

struct PngEncoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngErrorText error;
  std::vector<std::uint8_t>* out = nullptr;
  std::vector<std::uint8_t> row;

  ~PngEncoder() {
    if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  }
};

// Appends compressed bytes; running out of memory becomes a libpng error, since an exception must
// not unwind through libpng.
void WriteToVector(png_structp png, png_bytep data, png_size_t count) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  bool appended = true;
  try {
    out->insert(out->end(), data, data + count);
  } catch (const std::bad_alloc&) {
    appended = false;
  }
  if (!appended) png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

bool RunPngEncode(PngEncoder& encoder, const Bitmap24& picture) {
  encoder.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &encoder.error, JumpOnError, IgnoreWarning);
  if (encoder.png == nullptr) return false;
  encoder.info = png_create_info_struct(encoder.png);
  if (encoder.info == nullptr) return false;
  png_structp png = encoder.png;
  png_infop info = encoder.info;
  if (setjmp(png_jmpbuf(png))) return false;

  const int width = picture.Width();
  png_set_write_fn(png, encoder.out, WriteToVector, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(picture.Height()), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, kPngCompressionLevel);
  png_write_info(png, info);
  encoder.row.resize(static_cast<std::size_t>(width) * 4);
  std::uint8_t* rgba = encoder.row.data();
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* bgr = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) rgba[4 * x + c] = bgr[3 * x + 2 - c];
      rgba[4 * x + 3] = 0xFF;
    }
    png_write_row(png, rgba);
  }
  png_write_end(png, nullptr);
  return true;
}

// Whether every chunk up to the end chunk (or the end of the file) lies within the file. libpng
// allocates a chunk's buffer from its length field before reading its data, so a few bytes whose
// chunk claims two gigabytes would cost two gigabytes; such a file ends before its picture does.
bool ChunksLieWithinTheFile(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kSignatureBytes = 8;
  constexpr std::size_t kChunkFrameBytes = 12;  // length, type, checksum
  std::size_t offset = kSignatureBytes;
  while (offset + kChunkFrameBytes <= bytes.size()) {
    const std::uint32_t length = (std::uint32_t{bytes[offset]} << 24) | (std::uint32_t{bytes[offset + 1]} << 16) |
                                 (std::uint32_t{bytes[offset + 2]} << 8) | bytes[offset + 3];
    if (length > bytes.size() - offset - kChunkFrameBytes) return false;
    if (std::memcmp(bytes.data() + offset + 4, "IEND", 4) == 0) return true;
    offset += kChunkFrameBytes + length;
  }
  return true;  // what is left is too short for a chunk: libpng says so itself
}

// Reads as far as `headerOnly` asks; `picture` is set only when the whole picture was decoded.
Status ReadPng(std::span<const std::uint8_t> bytes, const std::string& name, bool headerOnly, Bitmap24& picture,
               PictureSize& size) {
  if (!ChunksLieWithinTheFile(bytes)) return FileEndsBeforePicture(name);
  PngDecoder decoder;
  decoder.source = MemorySource{bytes.data(), bytes.size(), 0};
  Bitmap24 decoded;
  Status sizeStatus = Status::Ok();
  if (!RunPngDecode(decoder, name, headerOnly, decoded, sizeStatus)) {
    if (!sizeStatus) return sizeStatus;
    if (decoder.source.endReached || kLibpngRowsMissing == decoder.error.text) return FileEndsBeforePicture(name);
    const char* reason = decoder.error.text[0] != '\0' ? decoder.error.text : "libpng could not start";
    return Status::Error(name + ": the PNG data cannot be read: " + reason);
  }
  size = {static_cast<int>(png_get_image_width(decoder.png, decoder.info)),
          static_cast<int>(png_get_image_height(decoder.png, decoder.info))};
  if (!headerOnly) picture = std::move(decoded);
  return Status::Ok();
}

}  // namespace

Status ProbePng(std::span<const std::uint8_t> bytes, const std::string& name, PictureSize& size) {
  Bitmap24 none;
  return ReadPng(bytes, name, true, none, size);
}

Status DecodePng(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture) {
  PictureSize size;
  return ReadPng(bytes, name, false, picture, size);
}

Status EncodePng(const Bitmap24& picture, std::vector<std::uint8_t>& out) {
  PngEncoder encoder;
  encoder.out = &out;
  if (!RunPngEncode(encoder, picture)) {
    const char* reason = encoder.error.text[0] != '\0' ? encoder.error.text : "libpng could not start";
    return Status::Error(std::string("the PNG encoder failed: ") + reason);
  }
  return Status::Ok();
}

}  // namespace atelion::codecs
