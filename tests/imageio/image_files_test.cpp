#include "imageio/image_files.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include <jpeglib.h>
#include <zlib.h>

#include "support/test_files.h"

namespace atelion {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A picture whose every pixel differs from its neighbours in all three channels.
Bitmap24 Pattern(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x * 37 + y * 11, x * 5 + y * 73, x * y * 13 + 7));
  }
  return picture;
}

// A smooth picture, the kind JPEG keeps well.
Bitmap24 Gradient(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.SetPixel(x, y, MakeColour(x * 255 / width, y * 255 / height, 128 + (x - y) / 2));
    }
  }
  return picture;
}

int MaxDifference(const Bitmap24& a, const Bitmap24& b) {
  int largest = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (std::size_t i = 0; i < a.RowBytes(); ++i) largest = std::max(largest, std::abs(a.Row(y)[i] - b.Row(y)[i]));
  }
  return largest;
}

Bytes Encode(const Bitmap24& picture, ImageFormat format, int dpi = kDefaultDpi) {
  Bytes bytes;
  EXPECT_TRUE(EncodeImage(picture, format, dpi, bytes));
  return bytes;
}

// ---- Test files written with the libraries directly, in forms Atelion itself never writes ----

struct PngRecipe {
  PngRecipe(int width, int height, int colourType, int bitDepth, bool interlaced, Bytes pixels = {},
          std::vector<png_color> palette = {}, Bytes paletteAlpha = {},
          std::optional<png_color_16> transparentColour = std::nullopt)
      : width(width), height(height), colourType(colourType), bitDepth(bitDepth), interlaced(interlaced),
        pixels(std::move(pixels)), palette(std::move(palette)), paletteAlpha(std::move(paletteAlpha)),
        transparentColour(transparentColour) {}

  int width;
  int height;
  int colourType;
  int bitDepth;
  bool interlaced;
  Bytes pixels;                                   // packed rows as the file stores them
  std::vector<png_color> palette;
  Bytes paletteAlpha;                             // tRNS for palette pictures
  std::optional<png_color_16> transparentColour;  // tRNS for grey and RGB pictures
};

void AppendToBytes(png_structp png, png_bytep data, png_size_t count) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}

Bytes MakePng(const PngRecipe& recipe) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    ADD_FAILURE() << "libpng could not write the test picture";
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendToBytes, nullptr);
  png_set_IHDR(png, info, recipe.width, recipe.height, recipe.bitDepth, recipe.colourType,
               recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!recipe.palette.empty()) png_set_PLTE(png, info, recipe.palette.data(), static_cast<int>(recipe.palette.size()));
  if (!recipe.paletteAlpha.empty()) {
    png_set_tRNS(png, info, recipe.paletteAlpha.data(), static_cast<int>(recipe.paletteAlpha.size()), nullptr);
  }
  if (recipe.transparentColour) {
    png_color_16 colour = *recipe.transparentColour;
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_write_info(png, info);
  const std::size_t rowBytes = recipe.pixels.size() / recipe.height;
  std::vector<png_bytep> rows;
  for (int y = 0; y < recipe.height; ++y) rows.push_back(const_cast<png_bytep>(recipe.pixels.data() + rowBytes * y));
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct PngContent {
  int colourType = -1;
  int bitDepth = 0;
  int width = 0;
  int height = 0;
  Bytes rgba;
};

void ReadFromBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<std::pair<const Bytes*, std::size_t>*>(png_get_io_ptr(png));
  if (count > source->first->size() - source->second) png_error(png, "short file");
  std::copy_n(source->first->data() + source->second, count, out);
  source->second += count;
}

// Reads a PNG back exactly as stored (no conversions), to check what Atelion wrote.
PngContent ReadPngAsStored(const fs::path& path) {
  const Bytes bytes = ReadBytes(path);
  std::pair<const Bytes*, std::size_t> source{&bytes, 0};
  PngContent content;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    ADD_FAILURE() << "libpng could not read " << path;
    return content;
  }
  png_set_read_fn(png, &source, ReadFromBytes);
  png_read_info(png, info);
  content.colourType = png_get_color_type(png, info);
  content.bitDepth = png_get_bit_depth(png, info);
  content.width = static_cast<int>(png_get_image_width(png, info));
  content.height = static_cast<int>(png_get_image_height(png, info));
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  content.rgba.resize(rowBytes * content.height);
  for (int y = 0; y < content.height; ++y) png_read_row(png, content.rgba.data() + rowBytes * y, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return content;
}

// A JPEG in a colour space Atelion never writes (grey or CMYK); rows hold `components` bytes a pixel.
// `configure` may change the coding (progressive, arithmetic, a scan script) after the defaults.
Bytes MakeJpeg(int width, int height, J_COLOR_SPACE space, int components, const Bytes& pixels,
               const std::function<void(jpeg_compress_struct&)>& configure = {}) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  if (configure) configure(info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + info.next_scanline * width * components);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

int AppendGifBytes(GifFileType* gif, const GifByteType* data, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + count);
  return count;
}

struct GifRecipe {
  int screenWidth = 0;
  int screenHeight = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool interlaced = false;
  int transparentIndex = NO_TRANSPARENT_COLOR;
  std::vector<GifColorType> colours;  // a power of two of them
  Bytes indices;                      // width × height, top row first
};

Bytes MakeGif(const GifRecipe& recipe) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, AppendGifBytes, &error);
  EGifSetGifVersion(gif, true);
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(recipe.colours.size()), recipe.colours.data());
  EGifPutScreenDesc(gif, recipe.screenWidth, recipe.screenHeight, 8, 0, map);
  GraphicsControlBlock control{};
  control.TransparentColor = recipe.transparentIndex;
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);
  EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
  EGifPutImageDesc(gif, recipe.left, recipe.top, recipe.width, recipe.height, recipe.interlaced, nullptr);
  // Interlaced frames are written in their storage order: rows 0, 8, …; 4, 12, …; 2, 6, …; 1, 3, ….
  std::vector<int> order;
  if (recipe.interlaced) {
    for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
      for (int y = start; y < recipe.height; y += step) order.push_back(y);
    }
  } else {
    for (int y = 0; y < recipe.height; ++y) order.push_back(y);
  }
  for (int y : order) EGifPutLine(gif, const_cast<GifPixelType*>(recipe.indices.data() + y * recipe.width), recipe.width);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

// Finds the frame header (SOF0 to SOF15; C4, C8 and CC are other markers) of a JPEG and sets the
// size it states.
void SetJpegSize(Bytes& jpeg, int width, int height) {
  for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
    const int marker = jpeg[i + 1];
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (jpeg[i] == 0xFF && frame) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return;
    }
  }
  ADD_FAILURE() << "no frame header";
}

void PutBigEndian(Bytes& out, std::uint32_t value) {
  for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendPngChunk(Bytes& png, std::string_view type, const Bytes& data) {
  PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
  Bytes typed(type.begin(), type.end());
  typed.insert(typed.end(), data.begin(), data.end());
  png.insert(png.end(), typed.begin(), typed.end());
  PutBigEndian(png, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<unsigned>(typed.size()))));
}

// A PNG that states a size, a bit depth, a colour type and interlacing, with `compressed` as the
// data of its one IDAT chunk. With no data it is a decompression bomb's header.
Bytes PngClaiming(std::uint32_t width, std::uint32_t height, int bitDepth = 8, int colourType = PNG_COLOR_TYPE_RGB,
                  bool interlaced = false, const Bytes& compressed = {}) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBigEndian(header, width);
  PutBigEndian(header, height);
  header.insert(header.end(), {static_cast<std::uint8_t>(bitDepth), static_cast<std::uint8_t>(colourType), 0, 0,
                               static_cast<std::uint8_t>(interlaced ? 1 : 0)});
  AppendPngChunk(png, "IHDR", header);
  AppendPngChunk(png, "IDAT", compressed);
  AppendPngChunk(png, "IEND", {});
  return png;
}

// Sets the size a PNG's header states, with the header's checksum to match.
void SetPngSize(Bytes& png, int width, int height) {
  Bytes size;
  PutBigEndian(size, static_cast<std::uint32_t>(width));
  PutBigEndian(size, static_cast<std::uint32_t>(height));
  std::copy(size.begin(), size.end(), png.begin() + 16);
  // The checksum covers the chunk type and data: bytes 12 to 28.
  const auto crc = static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17));
  Bytes crcBytes;
  PutBigEndian(crcBytes, crc);
  std::copy(crcBytes.begin(), crcBytes.end(), png.begin() + 29);
}

void PutLittleEndian(Bytes& out, std::uint32_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

enum BmpCompression : std::uint32_t { kBmpUncompressed = 0, kBmpRunLength8 = 1, kBmpRunLength4 = 2 };

// A BMP with a 40-byte information header. A negative height stores rows top first; `palette`
// holds blue, green, red triples; `pixels` is the pixel data as the file stores it.
Bytes MakeBmp(int width, int height, int bitsPerPixel, std::uint32_t compression, const Bytes& palette,
              const Bytes& pixels) {
  const auto entries = static_cast<std::uint32_t>(palette.size() / 3);
  const std::uint32_t offset = 14 + 40 + 4 * entries;
  Bytes bmp = {'B', 'M'};
  PutLittleEndian(bmp, offset + static_cast<std::uint32_t>(pixels.size()), 4);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, offset, 4);
  PutLittleEndian(bmp, 40, 4);
  PutLittleEndian(bmp, static_cast<std::uint32_t>(width), 4);
  PutLittleEndian(bmp, static_cast<std::uint32_t>(height), 4);
  PutLittleEndian(bmp, 1, 2);
  PutLittleEndian(bmp, static_cast<std::uint32_t>(bitsPerPixel), 2);
  PutLittleEndian(bmp, compression, 4);
  PutLittleEndian(bmp, static_cast<std::uint32_t>(pixels.size()), 4);
  PutLittleEndian(bmp, 2835, 4);
  PutLittleEndian(bmp, 2835, 4);
  PutLittleEndian(bmp, entries, 4);
  PutLittleEndian(bmp, 0, 4);
  for (std::uint32_t i = 0; i < entries; ++i) {
    bmp.insert(bmp.end(), palette.begin() + 3 * i, palette.begin() + 3 * i + 3);
    bmp.push_back(0);
  }
  bmp.insert(bmp.end(), pixels.begin(), pixels.end());
  return bmp;
}

void SetBmpSize(Bytes& bmp, int width, int height) {
  Bytes size;
  PutLittleEndian(size, static_cast<std::uint32_t>(width), 4);
  PutLittleEndian(size, static_cast<std::uint32_t>(height), 4);
  std::copy(size.begin(), size.end(), bmp.begin() + 18);
}

// Codes rows of palette indices (bottom row first) the way an encoder does: a stretch of equal
// pixels as a run, other stretches of three or more stored one by one, every row ended, then the
// picture. RLE4 runs here repeat one index (both nibbles alike).
Bytes RunLengthCode(const std::vector<Bytes>& rows, bool nibbles) {
  Bytes out;
  for (const Bytes& row : rows) {
    const std::size_t width = row.size();
    std::size_t x = 0;
    auto runAt = [&](std::size_t at) {
      std::size_t length = 1;
      while (at + length < width && row[at + length] == row[at] && length < 255) ++length;
      return length;
    };
    while (x < width) {
      std::size_t literal = 0;
      while (x + literal < width && literal < 255 && runAt(x + literal) == 1) ++literal;
      if (literal >= 3) {
        out.insert(out.end(), {0, static_cast<std::uint8_t>(literal)});
        Bytes stored;
        for (std::size_t i = 0; i < literal; ++i) {
          if (!nibbles) {
            stored.push_back(row[x + i]);
          } else if (i % 2 == 0) {
            stored.push_back(static_cast<std::uint8_t>(row[x + i] << 4));
          } else {
            stored.back() |= row[x + i];
          }
        }
        if (stored.size() % 2 != 0) stored.push_back(0);
        out.insert(out.end(), stored.begin(), stored.end());
        x += literal;
      } else {
        const std::size_t length = runAt(x);
        const std::uint8_t value = nibbles ? static_cast<std::uint8_t>(row[x] << 4 | row[x]) : row[x];
        out.insert(out.end(), {static_cast<std::uint8_t>(length), value});
        x += length;
      }
    }
    out.insert(out.end(), {0, 0});
  }
  out.insert(out.end(), {0, 1});
  return out;
}

// A GIF of one frame covering its screen, with a two-colour table and `lzw` as the frame's data
// (in sub-blocks of up to 255 bytes).
Bytes GifClaiming(int width, int height, const Bytes& lzw) {
  Bytes gif = Text("GIF89a");
  PutLittleEndian(gif, static_cast<std::uint32_t>(width), 2);
  PutLittleEndian(gif, static_cast<std::uint32_t>(height), 2);
  gif.insert(gif.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});  // a global table of two colours
  gif.push_back(0x2C);
  PutLittleEndian(gif, 0, 4);
  PutLittleEndian(gif, static_cast<std::uint32_t>(width), 2);
  PutLittleEndian(gif, static_cast<std::uint32_t>(height), 2);
  gif.push_back(0);
  gif.push_back(2);  // LZW minimum code size
  for (std::size_t at = 0; at < lzw.size(); at += 255) {
    const std::size_t length = std::min<std::size_t>(255, lzw.size() - at);
    gif.push_back(static_cast<std::uint8_t>(length));
    gif.insert(gif.end(), lzw.begin() + at, lzw.begin() + at + length);
  }
  gif.insert(gif.end(), {0, 0x3B});
  return gif;
}

// Sets the screen and frame size of a GifClaiming file.
void SetGifSize(Bytes& gif, int width, int height) {
  for (std::size_t at : {6u, 24u}) {
    gif[at] = static_cast<std::uint8_t>(width), gif[at + 1] = static_cast<std::uint8_t>(width >> 8);
    gif[at + 2] = static_cast<std::uint8_t>(height), gif[at + 3] = static_cast<std::uint8_t>(height >> 8);
  }
}

// The file cut at `length` bytes, with `ending` appended (an end marker, say).
Bytes Cut(const Bytes& bytes, std::size_t length, const Bytes& ending = {}) {
  Bytes cut(bytes.begin(), bytes.begin() + std::min(length, bytes.size()));
  cut.insert(cut.end(), ending.begin(), ending.end());
  return cut;
}

const Bytes kJpegEnd = {0xFF, 0xD9};

// Where the coded data of a JPEG's first scan ends: the first marker after the first SOS (coded
// data escapes 0xFF as FF 00, and restart markers D0 to D7 belong to the scan).
std::size_t EndOfFirstScan(const Bytes& jpeg) {
  std::size_t at = 2;
  while (at + 1 < jpeg.size() && !(jpeg[at] == 0xFF && jpeg[at + 1] == 0xDA)) ++at;
  at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
  for (; at + 1 < jpeg.size(); ++at) {
    const int next = jpeg[at + 1];
    if (jpeg[at] == 0xFF && next != 0 && !(next >= 0xD0 && next <= 0xD7)) return at;
  }
  return jpeg.size();
}

// Bytes that stand in for coded data: never 0xFF, so no marker appears among them.
Bytes Filler(std::size_t count, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(count);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random() % 255);
  return bytes;
}

// ---- Format recognition ----

TEST(ImageFiles, FormatIsRecognisedFromTheFirstBytes) {
  const struct {
    Bytes bytes;
    ImageFormat expected;
  } cases[] = {
      {Text("BM\x36\x00"), ImageFormat::Bmp},
      {Text("GIF89a"), ImageFormat::Gif},
      {{0x89, 'P', 'N', 'G', '\r', '\n'}, ImageFormat::Png},
      {Text("xPNG"), ImageFormat::Png},  // only bytes 1 to 3 are compared
      {{0xFF, 0xD8, 0xFF, 0xE0}, ImageFormat::Jpeg},
      {{0xFF, 0xD9}, ImageFormat::Unknown},
      {Text("B"), ImageFormat::Unknown},
      {Text("PNG"), ImageFormat::Unknown},
      {{}, ImageFormat::Unknown},
      {Text("<html>"), ImageFormat::Unknown},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SniffImageFormat(c.bytes), c.expected) << std::string(c.bytes.begin(), c.bytes.end());
  }
}

TEST(ImageFiles, FormatFromExtensionIgnoresCase) {
  const std::pair<const char*, ImageFormat> cases[] = {
      {"a/photo.jpg", ImageFormat::Jpeg}, {"photo.JPEG", ImageFormat::Jpeg}, {"x.Png", ImageFormat::Png},
      {"x.bmp", ImageFormat::Bmp},        {"x.GIF", ImageFormat::Gif},      {"x.tif", ImageFormat::Unknown},
      {"jpg", ImageFormat::Unknown},      {"x.jpg.txt", ImageFormat::Unknown},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(FormatFromExtension(path), expected) << path;
}

// ---- Round trips ----

TEST(ImageFiles, PngAndBmpRoundTripsAreExact) {
  TempFolder folder;
  const struct {
    ImageFormat format;
    int width;
    int height;
  } cases[] = {
      // BMP rows are padded to 4 bytes: widths 1, 2, 3, 5 and 7 each need a different padding.
      {ImageFormat::Bmp, 1, 1}, {ImageFormat::Bmp, 2, 3}, {ImageFormat::Bmp, 3, 2},
      {ImageFormat::Bmp, 5, 4}, {ImageFormat::Bmp, 7, 5}, {ImageFormat::Bmp, 8, 3},
      {ImageFormat::Png, 1, 1}, {ImageFormat::Png, 13, 7}, {ImageFormat::Png, 64, 33},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " format " << static_cast<int>(c.format));
    const Bitmap24 picture = Pattern(c.width, c.height);
    const fs::path path = folder / "picture";
    ASSERT_TRUE(SaveImageFile(picture, path, c.format));
    const LoadedImage loaded = LoadImageFile(path);
    ASSERT_TRUE(loaded.status) << loaded.status.message();
    EXPECT_EQ(loaded.format, c.format);
    EXPECT_EQ(loaded.picture, picture);
    if (c.format == ImageFormat::Bmp) {
      const std::size_t paddedRow = (3 * c.width + 3) / 4 * 4;
      EXPECT_EQ(fs::file_size(path), 54 + paddedRow * c.height);
    }
  }
}

TEST(ImageFiles, BmpStatesTheResolutionInPixelsPerMetre) {
  for (auto [dpi, perMetre] : {std::pair{72, 2835u}, {300, 11811u}}) {
    const Bytes bmp = Encode(Pattern(3, 3), ImageFormat::Bmp, dpi);
    ASSERT_GE(bmp.size(), 54u);
    const std::uint32_t stated = bmp[38] | bmp[39] << 8 | bmp[40] << 16 | static_cast<std::uint32_t>(bmp[41]) << 24;
    EXPECT_EQ(stated, perMetre) << dpi;
  }
}

TEST(ImageFiles, JpegRoundTripIsCloseAndKeepsTheResolution) {
  TempFolder folder;
  const Bitmap24 picture = Gradient(96, 64);
  const fs::path path = folder / "picture.jpg";
  ASSERT_TRUE(SaveImageFile(picture, path, ImageFormat::Jpeg, 96));

  const LoadedImage loaded = LoadImageFile(path);
  ASSERT_TRUE(loaded.status) << loaded.status.message();
  EXPECT_EQ(loaded.format, ImageFormat::Jpeg);
  EXPECT_EQ(loaded.dpi, 96);
  ASSERT_EQ(loaded.picture.Width(), 96);
  ASSERT_EQ(loaded.picture.Height(), 64);
  EXPECT_LE(MaxDifference(loaded.picture, picture), 6);  // quality 95 on a smooth picture
  // Blue and red must not be swapped: the left column has no red, the right column nearly full red.
  EXPECT_LT(RedOf(loaded.picture.Pixel(0, 32)), 10);
  EXPECT_GT(RedOf(loaded.picture.Pixel(95, 32)), 240);

  // The JFIF header right after the start marker states units 1 and 96 × 96.
  const Bytes bytes = ReadBytes(path);
  ASSERT_GE(bytes.size(), 18u);
  EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 11), std::string("JFIF\0", 5));
  EXPECT_EQ(Bytes(bytes.begin() + 13, bytes.begin() + 18), (Bytes{1, 0, 96, 0, 96}));
  EXPECT_EQ(ReadJfifDensity(path), 96);
}

TEST(ImageFiles, SavedPngIsOpaqueEightBitRgba) {
  TempFolder folder;
  const Bitmap24 picture = Pattern(5, 3);
  const fs::path path = folder / "picture.png";
  ASSERT_TRUE(SaveImageFile(picture, path, ImageFormat::Png));
  const PngContent stored = ReadPngAsStored(path);
  EXPECT_EQ(stored.colourType, PNG_COLOR_TYPE_RGB_ALPHA);
  EXPECT_EQ(stored.bitDepth, 8);
  ASSERT_EQ(stored.rgba.size(), 5u * 3u * 4u);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const std::uint8_t* pixel = &stored.rgba[(y * 5 + x) * 4];
      const Colour colour = picture.Pixel(x, y);
      EXPECT_EQ(pixel[0], RedOf(colour));
      EXPECT_EQ(pixel[1], GreenOf(colour));
      EXPECT_EQ(pixel[2], BlueOf(colour));
      EXPECT_EQ(pixel[3], 255);
    }
  }
}

// ---- Reading PNGs of every kind ----

TEST(ImageFiles, PngOfAnyKindOpensOverWhite) {
  const png_color red = {255, 0, 0};
  const png_color blue = {0, 0, 255};
  const struct {
    const char* name;
    PngRecipe recipe;
    std::vector<Colour> expected;  // left to right, top to bottom
  } cases[] = {
      // Alpha 0 gives white, 255 the colour, others (c·a + 255·(255 − a) + 127) / 255 per channel:
      // the last pixel shows the rounding (red 128 at alpha 1 is 254.99).
      {"rgba",
       {4, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, false,
        {200, 100, 50, 0, 200, 100, 50, 255, 200, 100, 50, 128, 128, 64, 1, 1}},
       {MakeColour(255, 255, 255), MakeColour(200, 100, 50), MakeColour(227, 177, 152), MakeColour(255, 254, 254)}},
      {"grey", {2, 1, PNG_COLOR_TYPE_GRAY, 8, false, {77, 200}}, {MakeColour(77, 77, 77), MakeColour(200, 200, 200)}},
      {"grey with alpha",
       {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {0, 0, 0, 255}},
       {MakeColour(255, 255, 255), MakeColour(0, 0, 0)}},
      {"one-bit grey", {3, 1, PNG_COLOR_TYPE_GRAY, 1, false, {0b10100000}},
       {MakeColour(255, 255, 255), MakeColour(0, 0, 0), MakeColour(255, 255, 255)}},
      {"palette with transparent entry",
       {2, 1, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1}, {red, blue}, {0}},
       {MakeColour(255, 255, 255), MakeColour(0, 0, 255)}},
      {"four-bit palette", {2, 1, PNG_COLOR_TYPE_PALETTE, 4, false, {0x10}, {red, blue}},
       {MakeColour(0, 0, 255), MakeColour(255, 0, 0)}},
      // 16-bit samples are scaled with rounding: 0x12FF is 18.9 in 8 bits, 0x8000 is 128.
      {"sixteen-bit rgb",
       {1, 1, PNG_COLOR_TYPE_RGB, 16, false, {0x12, 0xFF, 0x80, 0x00, 0xFF, 0xFF}},
       {MakeColour(19, 128, 255)}},
      {"grey with transparent value",
       {2, 1, PNG_COLOR_TYPE_GRAY, 8, false, {10, 11}, {}, {}, png_color_16{0, 0, 0, 0, 10}},
       {MakeColour(255, 255, 255), MakeColour(11, 11, 11)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedImage loaded = DecodeImage(MakePng(c.recipe), c.name);
    ASSERT_TRUE(loaded.status) << loaded.status.message();
    ASSERT_EQ(loaded.picture.Width() * loaded.picture.Height(), static_cast<int>(c.expected.size()));
    for (int i = 0; i < static_cast<int>(c.expected.size()); ++i) {
      EXPECT_EQ(loaded.picture.Pixel(i % c.recipe.width, i / c.recipe.width), c.expected[i]) << "pixel " << i;
    }
    EXPECT_EQ(loaded.dpi, kDefaultDpi);
  }
}

TEST(ImageFiles, InterlacedPngIsExact) {
  const Bitmap24 picture = Pattern(11, 9);
  PngRecipe recipe{11, 9, PNG_COLOR_TYPE_RGB, 8, true};
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 11; ++x) {
      const Colour colour = picture.Pixel(x, y);
      recipe.pixels.insert(recipe.pixels.end(), {static_cast<std::uint8_t>(RedOf(colour)),
                                             static_cast<std::uint8_t>(GreenOf(colour)),
                                             static_cast<std::uint8_t>(BlueOf(colour))});
    }
  }
  const LoadedImage loaded = DecodeImage(MakePng(recipe), "interlaced.png");
  ASSERT_TRUE(loaded.status) << loaded.status.message();
  EXPECT_EQ(loaded.picture, picture);
}

// ---- JPEGs Atelion does not write itself ----

TEST(ImageFiles, GreyAndCmykJpegsOpenAsColour) {
  // Adobe CMYK JPEGs store inverted inks: 255 means no ink. Pure magenta + yellow ink is red.
  Bytes cmyk(4 * 8 * 8, 0);
  for (std::size_t i = 0; i < cmyk.size(); i += 4) cmyk[i] = 255, cmyk[i + 3] = 255;  // no cyan, no black
  const struct {
    const char* name;
    Bytes jpeg;
    Colour expected;
  } cases[] = {
      {"grey", MakeJpeg(8, 8, JCS_GRAYSCALE, 1, Bytes(64, 100)), MakeColour(100, 100, 100)},
      {"cmyk", MakeJpeg(8, 8, JCS_CMYK, 4, cmyk), MakeColour(255, 0, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedImage loaded = DecodeImage(c.jpeg, c.name);
    ASSERT_TRUE(loaded.status) << loaded.status.message();
    const Colour colour = loaded.picture.Pixel(4, 4);
    EXPECT_NEAR(RedOf(colour), RedOf(c.expected), 2);
    EXPECT_NEAR(GreenOf(colour), GreenOf(c.expected), 2);
    EXPECT_NEAR(BlueOf(colour), BlueOf(c.expected), 2);
  }
}

// ---- GIF ----

TEST(ImageFiles, GifFirstFrameOpensWithItsTransparentColourWhite) {
  const std::vector<GifColorType> colours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
  Bytes indices;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 4; ++x) indices.push_back(static_cast<std::uint8_t>((x + y) % 4));
  }
  auto expectedAt = [](int x, int y) {
    const Colour byIndex[] = {MakeColour(255, 0, 0), MakeColour(0, 255, 0), MakeColour(255, 255, 255),
                              MakeColour(0, 0, 0)};
    return byIndex[(x + y) % 4];  // index 2 is the transparent one
  };
  for (bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced ? "interlaced" : "progressive");
    // The frame sits at (1, 2) on a 6 × 12 screen; the screen around it is white.
    const GifRecipe recipe{6, 12, 1, 2, 4, 9, interlaced, 2, colours, indices};
    TempFolder folder;
    WriteBytes(folder / "picture.gif", MakeGif(recipe));
    const LoadedImage loaded = LoadImageFile(folder / "picture.gif");
    ASSERT_TRUE(loaded.status) << loaded.status.message();
    EXPECT_EQ(loaded.format, ImageFormat::Gif);
    ASSERT_EQ(loaded.picture.Width(), 6);
    ASSERT_EQ(loaded.picture.Height(), 12);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 6; ++x) {
        const bool inFrame = x >= 1 && x < 5 && y >= 2 && y < 11;
        const Colour expected = inFrame ? expectedAt(x - 1, y - 2) : MakeColour(255, 255, 255);
        EXPECT_EQ(loaded.picture.Pixel(x, y), expected) << x << "," << y;
      }
    }
  }
}

// ---- The JFIF resolution ----

// The first 50 bytes of a JPEG: start marker, APP0 marker and length, then "JFIF" + NUL at `tagAt`.
Bytes JfifStart(std::size_t tagAt, std::uint8_t units, int xDensity, std::size_t length = 50) {
  Bytes bytes(length, 0);
  bytes[0] = 0xFF;
  bytes[1] = 0xD8;
  const Bytes tag = {'J', 'F', 'I', 'F', 0, 1, 1, units, static_cast<std::uint8_t>(xDensity >> 8),
                     static_cast<std::uint8_t>(xDensity), 0, 72};
  for (std::size_t i = 0; i < tag.size() && tagAt + i < length; ++i) bytes[tagAt + i] = tag[i];
  return bytes;
}

TEST(ImageFiles, JfifDensityIsReadWithinLimits) {
  const struct {
    const char* name;
    Bytes bytes;
    int expected;
  } cases[] = {
      {"density 0", JfifStart(6, 1, 0), 300},
      {"density 71", JfifStart(6, 1, 71), 300},
      {"density 72", JfifStart(6, 1, 72), 72},
      {"density 96", JfifStart(6, 1, 96), 96},
      {"density 2400", JfifStart(6, 1, 2400), 2400},
      {"density 4000", JfifStart(6, 1, 4000), 2400},
      {"dots per centimetre taken as inch", JfifStart(6, 2, 118), 118},
      {"tag later in the header", JfifStart(20, 1, 150), 150},
      {"no tag", Bytes(50, 0), 300},
      {"tag running past the first 50 bytes", JfifStart(46, 1, 96, 80), 300},
      // The tag fits, but the density would lie past the end of the 50 bytes: nothing is read there.
      {"density cut off at the end", JfifStart(41, 1, 96), 300},
      {"short file", JfifStart(6, 1, 96, 16), 96},
      {"empty", {}, 300},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadJfifDensity(c.bytes), c.expected) << c.name;
}

TEST(ImageFiles, JfifDensityFromFiles) {
  TempFolder folder;
  WriteBytes(folder / "short.jpg", JfifStart(6, 1, 150, 20));
  EXPECT_EQ(ReadJfifDensity(folder / "short.jpg"), 150);
  EXPECT_EQ(ReadJfifDensity(folder / "missing.jpg"), 300);
}

TEST(ImageFiles, WriteJfifDensityChangesOnlyTheDensityBytes) {
  TempFolder folder;
  const fs::path path = folder / "picture.jpg";
  Bytes original = JfifStart(6, 2, 50, 64);
  for (std::size_t i = 18; i < original.size(); ++i) original[i] = static_cast<std::uint8_t>(i);
  WriteBytes(path, original);
  ASSERT_TRUE(WriteJfifDensity(path, 600));
  Bytes expected = original;
  const Bytes density = {1, 0x02, 0x58, 0x02, 0x58};  // units 1, then 600 for X and Y
  std::copy(density.begin(), density.end(), expected.begin() + 13);
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(ReadJfifDensity(path), 600);
}

TEST(ImageFiles, WriteJfifDensityLeavesFilesWithoutHeaderAlone) {
  TempFolder folder;
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"no tag", Bytes(64, 7)},
      {"densities past the first 50 bytes", JfifStart(40, 1, 96, 64)},
      {"file ends inside the header", JfifStart(6, 1, 96, 15)},
  };
  for (const auto& c : cases) {
    const fs::path path = folder / "picture.jpg";
    WriteBytes(path, c.bytes);
    EXPECT_TRUE(WriteJfifDensity(path, 600)) << c.name;
    EXPECT_EQ(ReadBytes(path), c.bytes) << c.name;
  }
  const Status missing = WriteJfifDensity(folder / "missing.jpg", 600);
  EXPECT_FALSE(missing);
  EXPECT_NE(missing.message().find("missing.jpg"), std::string::npos) << missing.message();
}

// ---- Bad input ----

TEST(ImageFiles, BadFilesGiveAnErrorNamingTheFileAndReason) {
  TempFolder folder;
  const Bytes jpeg = Encode(Gradient(64, 64), ImageFormat::Jpeg);
  const Bytes truncatedJpeg(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
  Bytes hugeJpeg = Encode(Pattern(8, 8), ImageFormat::Jpeg);
  SetJpegSize(hugeJpeg, 40000, 40000);
  Bytes hugeBmp = Encode(Pattern(4, 4), ImageFormat::Bmp);
  hugeBmp[18] = 0xA0, hugeBmp[19] = 0x86, hugeBmp[20] = 0x01;  // width 100000
  hugeBmp[22] = 0xA0, hugeBmp[23] = 0x86, hugeBmp[24] = 0x01;  // height 100000
  Bytes hugeGif = MakeGif({4, 4, 0, 0, 4, 4, false, NO_TRANSPARENT_COLOR, {{0, 0, 0}, {9, 9, 9}}, Bytes(16, 1)});
  hugeGif[6] = 0xFF, hugeGif[7] = 0xFF, hugeGif[8] = 0xFF, hugeGif[9] = 0xFF;  // 65535 × 65535 screen
  Bytes corruptGif = GifClaiming(1, 1, {0x44, 0x01});
  corruptGif[19] = '!' + 1;  // where a frame or an extension should start
  Bytes corruptPng = Encode(Pattern(4, 4), ImageFormat::Png);
  corruptPng[20] ^= 0x01;  // the header's width no longer matches its checksum

  const struct {
    const char* fileName;
    std::optional<Bytes> content;  // none: the file does not exist
    const char* reason;
  } cases[] = {
      {"truncated.jpg", truncatedJpeg, "the file ends before the picture does"},
      {"bomb.png", PngClaiming(100000, 100000), "too large"},
      // Sides within limits, but 400 million pixels in all.
      {"many-pixels.png", PngClaiming(20000, 20000), "too large"},
      {"huge.jpg", hugeJpeg, "too large"},
      {"huge.bmp", hugeBmp, "too large"},
      {"huge.gif", hugeGif, "too large"},
      {"empty.png", Bytes{}, "empty"},
      {"text.png", Text("This is not a picture at all.\n"), "Unrecognized file format!"},
      {"missing.png", std::nullopt, "does not exist"},
      {"broken.png", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0}, "the file ends before the picture does"},
      {"corrupt.png", corruptPng, "the PNG data cannot be read: IHDR: CRC error"},
      {"broken.bmp", Text("BM and then nothing useful"), "BMP"},
      {"broken.gif", Text("GIF89a"), "the file ends before the picture does"},
      {"corrupt.gif", corruptGif, "the GIF data cannot be read: Wrong record type detected"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileName);
    const fs::path path = folder / c.fileName;
    if (c.content) WriteBytes(path, *c.content);
    const LoadedImage loaded = LoadImageFile(path);
    EXPECT_FALSE(loaded.status);
    EXPECT_TRUE(loaded.picture.Empty());
    EXPECT_NE(loaded.status.message().find(path.string()), std::string::npos) << loaded.status.message();
    EXPECT_NE(loaded.status.message().find(c.reason), std::string::npos) << loaded.status.message();
  }
  const LoadedImage text = LoadImageFile(folder / "text.png");
  EXPECT_EQ(text.status.message().rfind("Unrecognized file format!", 0), 0u) << text.status.message();

  const LoadedImage fromFolder = LoadImageFile(folder.path());
  EXPECT_FALSE(fromFolder.status);
  EXPECT_TRUE(fromFolder.picture.Empty());
  EXPECT_NE(fromFolder.status.message().find(folder.path().string()), std::string::npos);
  EXPECT_NE(fromFolder.status.message().find("folder"), std::string::npos) << fromFolder.status.message();
}

// ---- Files that lie about their size ----

// A file of a few dozen bytes whose header declares a picture of millions of pixels.
struct LyingFile {
  const char* name;
  int width;  // as declared
  int height;
  Bytes bytes;
};

std::vector<LyingFile> LyingFiles() {
  const Bytes twoColours = {0, 0, 0, 255, 255, 255};
  Bytes baseline = Encode(Pattern(8, 8), ImageFormat::Jpeg);
  SetJpegSize(baseline, 15000, 15000);
  const auto progressive = [](jpeg_compress_struct& info) { jpeg_simple_progression(&info); };
  const auto arithmetic = [](jpeg_compress_struct& info) {
    jpeg_simple_progression(&info);
    info.arith_code = TRUE;
  };
  Bytes progressiveJpeg = MakeJpeg(8, 8, JCS_GRAYSCALE, 1, Bytes(64, 90), progressive);
  SetJpegSize(progressiveJpeg, 15000, 15000);
  Bytes arithmeticJpeg = MakeJpeg(8, 8, JCS_GRAYSCALE, 1, Bytes(64, 90), arithmetic);
  SetJpegSize(arithmeticJpeg, 15000, 15000);
  Bytes smallGif = GifClaiming(1, 1, {0x44, 0x01});
  smallGif[6] = 0x00, smallGif[7] = 0x80, smallGif[8] = 0xCD, smallGif[9] = 0x1D;  // a 32768 × 7629 screen
  return {
      {"24-bit.bmp", 10000, 10000, MakeBmp(10000, 10000, 24, kBmpUncompressed, {}, {})},
      {"1-bit.bmp", 32768, 7629, MakeBmp(32768, 7629, 1, kBmpUncompressed, twoColours, {})},
      {"top-down.bmp", 15000, 15000, MakeBmp(15000, -15000, 8, kBmpUncompressed, twoColours, Bytes(100, 1))},
      {"rle8.bmp", 20000, 12000, MakeBmp(20000, 12000, 8, kBmpRunLength8, twoColours, {255, 1, 0, 0, 0, 1})},
      {"rle4.bmp", 20000, 12000, MakeBmp(20000, 12000, 4, kBmpRunLength4, twoColours, {255, 0x11, 0, 1})},
      {"frame.gif", 16000, 15000, GifClaiming(16000, 15000, {0x44, 0x01})},
      {"screen.gif", 32768, 7629, smallGif},
      {"baseline.jpg", 15000, 15000, baseline},
      {"progressive.jpg", 15000, 15000, progressiveJpeg},
      {"arithmetic.jpg", 15000, 15000, arithmeticJpeg},
      {"rgb.png", 15000, 15000, PngClaiming(15000, 15000)},
      {"1-bit-interlaced.png", 15000, 15000, PngClaiming(15000, 15000, 1, PNG_COLOR_TYPE_GRAY, true, {0x78, 0x9C})},
      {"16-bit-rgba.png", 10000, 10000, PngClaiming(10000, 10000, 16, PNG_COLOR_TYPE_RGB_ALPHA)},
  };
}

TEST(ImageFiles, FilesTooShortForTheirDeclaredSizeAreRefusedFromTheHeader) {
  for (const LyingFile& file : LyingFiles()) {
    SCOPED_TRACE(file.name);
    ASSERT_LT(file.bytes.size(), 1024u);
    const std::string expected = std::string(file.name) + ": the file ends before the picture does (" +
                                 std::to_string(file.width) + " x " + std::to_string(file.height) + " pixels";
    const LoadedImage loaded = DecodeImage(file.bytes, file.name);
    EXPECT_FALSE(loaded.status);
    EXPECT_TRUE(loaded.picture.Empty());
    EXPECT_EQ(loaded.status.message().rfind(expected, 0), 0u) << loaded.status.message();
    // The header check alone says the same.
    EXPECT_EQ(ProbeImage(file.bytes, file.name).status.message(), loaded.status.message());
  }
}

TEST(ImageFiles, FilesCutShortAreRefusedRatherThanFilledIn) {
  const Bitmap24 picture = Pattern(64, 48);
  const Bytes bmp = Encode(picture, ImageFormat::Bmp);
  std::vector<Bytes> indexRows(48, Bytes(64));
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) indexRows[y][x] = static_cast<std::uint8_t>((x / 5 + y) % 3);
  }
  const Bytes greys = {0, 0, 0, 9, 9, 9, 99, 99, 99};
  const Bytes rle8 = MakeBmp(64, 48, 8, kBmpRunLength8, greys, RunLengthCode(indexRows, false));
  const Bytes jpeg = Encode(picture, ImageFormat::Jpeg);
  Bytes colour(64 * 48 * 3);
  for (std::size_t i = 0; i < colour.size(); ++i) colour[i] = static_cast<std::uint8_t>(i * 7 % 251);
  const Bytes progressive = MakeJpeg(64, 48, JCS_RGB, 3, colour, [](jpeg_compress_struct& info) {
    jpeg_simple_progression(&info);
  });
  // One scan per component: a file cut after the first scan with its end marker kept has no
  // coded data left in the middle of a scan, only whole components missing.
  const Bytes scanPerComponent = MakeJpeg(64, 48, JCS_RGB, 3, colour, [](jpeg_compress_struct& info) {
    static const jpeg_scan_info scans[] = {{1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
    info.scan_info = scans;
    info.num_scans = 3;
  });
  Bytes gifIndices(64 * 48);
  for (std::size_t i = 0; i < gifIndices.size(); ++i) gifIndices[i] = static_cast<std::uint8_t>(i * 13 % 4);
  const std::vector<GifColorType> gifColours = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 0, 0}};
  const Bytes gif = MakeGif({64, 48, 0, 0, 64, 48, false, NO_TRANSPARENT_COLOR, gifColours, gifIndices});
  const Bytes png = Encode(picture, ImageFormat::Png);
  // The same PNG with its compressed rows cut in half, its IDAT chunk and end chunk intact.
  const std::size_t idatLength = png[33] << 24 | png[34] << 16 | png[35] << 8 | png[36];
  Bytes pngRowsCut(png.begin(), png.begin() + 33);
  AppendPngChunk(pngRowsCut, "IDAT", Bytes(png.begin() + 41, png.begin() + 41 + idatLength / 2));
  AppendPngChunk(pngRowsCut, "IEND", {});

  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"bmp cut in its rows", Cut(bmp, bmp.size() / 2)},
      {"bmp cut in its header", Cut(bmp, 30)},
      {"rle8 bmp cut in its rows", Cut(rle8, rle8.size() / 2)},
      {"jpeg cut in its data", Cut(jpeg, jpeg.size() / 2)},
      {"jpeg cut in its data, end marker kept", Cut(jpeg, jpeg.size() / 2, kJpegEnd)},
      {"progressive jpeg cut in a scan, end marker kept", Cut(progressive, progressive.size() / 2, kJpegEnd)},
      {"jpeg of one scan a component, cut after the first",
       Cut(scanPerComponent, EndOfFirstScan(scanPerComponent), kJpegEnd)},
      {"gif cut in its data", Cut(gif, gif.size() * 2 / 3)},
      {"gif cut in its data, trailer kept", Cut(gif, gif.size() * 2 / 3, {0, 0x3B})},
      {"png cut in its data", Cut(png, png.size() / 2)},
      {"png whose compressed rows stop, end chunk kept", pngRowsCut},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedImage loaded = DecodeImage(c.bytes, c.name);
    EXPECT_FALSE(loaded.status);
    EXPECT_TRUE(loaded.picture.Empty());
    EXPECT_EQ(loaded.status.message().rfind(std::string(c.name) + ": the file ends before the picture does", 0), 0u)
        << loaded.status.message();
  }
  // Whole, each decodes.
  for (const Bytes* whole : {&bmp, &rle8, &jpeg, &progressive, &scanPerComponent, &gif, &png}) {
    EXPECT_TRUE(DecodeImage(*whole, "whole").status) << DecodeImage(*whole, "whole").status.message();
  }
}

// ---- BMPs stored top-down or run-length coded ----

TEST(ImageFiles, TopDownBmpsOpenTheRightWayUp) {
  const Bitmap24 picture = Pattern(5, 3);
  Bytes rows24;  // top row first, each padded to 4 bytes
  for (int y = 0; y < 3; ++y) {
    rows24.insert(rows24.end(), picture.Row(y), picture.Row(y) + picture.RowBytes());
    rows24.insert(rows24.end(), 1, 0);
  }
  const Bytes palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
  const Bytes rows8 = {0, 1, 2, 1, 0, 0, 0, 0, 2, 2, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
  Bitmap24 expected8(5, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const int index = rows8[8 * y + x];
      expected8.SetPixel(x, y, MakeColour(palette[3 * index + 2], palette[3 * index + 1], palette[3 * index]));
    }
  }
  const struct {
    const char* name;
    Bytes bytes;
    const Bitmap24& expected;
  } cases[] = {
      {"24-bit", MakeBmp(5, -3, 24, kBmpUncompressed, {}, rows24), picture},
      {"8-bit palette", MakeBmp(5, -3, 8, kBmpUncompressed, palette, rows8), expected8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedImage loaded = DecodeImage(c.bytes, c.name);
    ASSERT_TRUE(loaded.status) << loaded.status.message();
    EXPECT_EQ(loaded.picture, c.expected);
    const ImageHeader header = ProbeImage(c.bytes, c.name);
    EXPECT_TRUE(header.status) << header.status.message();
    EXPECT_EQ(header.width, 5);
    EXPECT_EQ(header.height, 3);
  }
}

// Random pictures of palette indices, coded as an encoder codes them, decode to the same pixels.
TEST(ImageFiles, RunLengthCodedBmpsMatchThePicturesTheyCode) {
  std::mt19937 random(7);
  for (bool nibbles : {false, true}) {
    SCOPED_TRACE(nibbles ? "RLE4" : "RLE8");
    const int colours = nibbles ? 16 : 256;
    Bytes palette;
    for (int i = 0; i < colours; ++i) {
      palette.insert(palette.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                     static_cast<std::uint8_t>(i * 7)});
    }
    for (auto [width, height] : {std::pair{37, 11}, {1, 4}, {300, 3}}) {
      // Stretches of one index mixed with stretches of different ones.
      std::vector<Bytes> rows(height);  // bottom row first, as the file stores them
      for (Bytes& row : rows) {
        while (static_cast<int>(row.size()) < width) {
          const int length = 1 + static_cast<int>(random() % 9);
          const bool repeated = random() % 2 == 0;
          const auto index = static_cast<std::uint8_t>(random() % colours);
          for (int i = 0; i < length && static_cast<int>(row.size()) < width; ++i) {
            row.push_back(repeated ? index : static_cast<std::uint8_t>(random() % colours));
          }
        }
      }
      Bitmap24 expected(width, height);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          const int index = rows[height - 1 - y][x];
          expected.SetPixel(x, y, MakeColour(palette[3 * index + 2], palette[3 * index + 1], palette[3 * index]));
        }
      }
      const Bytes bmp = MakeBmp(width, height, nibbles ? 4 : 8, nibbles ? kBmpRunLength4 : kBmpRunLength8, palette,
                                RunLengthCode(rows, nibbles));
      const LoadedImage loaded = DecodeImage(bmp, "coded.bmp");
      ASSERT_TRUE(loaded.status) << width << "x" << height << ": " << loaded.status.message();
      EXPECT_EQ(loaded.picture, expected) << width << "x" << height;
    }
  }
}

// The codes an encoder rarely writes: a delta that jumps over pixels, an early end of line and of
// the picture (what they skip is white), an odd stored stretch and its padding byte, a run past
// the right edge, an index beyond the palette (black).
TEST(ImageFiles, RunLengthCodesThatSkipPixelsLeaveThemWhite) {
  const Bytes palette = {0, 0, 255, 0, 255, 0, 255, 0, 0};  // red, green, blue
  const Bytes coded = {
      0, 3, 1, 2, 1, 0,  // bottom row: green, blue, green stored one by one, then a padding byte
      1, 7,              // one pixel of index 7, beyond the palette
      0, 0,              // end of the bottom row
      0, 2, 1, 1,        // delta: one right, one down, past the rest of the middle row
      5, 2,              // five blue pixels from x = 1 in the top row; the last two fall off
      0, 1,              // end of the picture
  };
  const LoadedImage loaded = DecodeImage(MakeBmp(4, 3, 8, kBmpRunLength8, palette, coded), "skips.bmp");
  ASSERT_TRUE(loaded.status) << loaded.status.message();
  const Colour white = MakeColour(255, 255, 255);
  const Colour green = MakeColour(0, 255, 0);
  const Colour blue = MakeColour(0, 0, 255);
  const std::vector<std::vector<Colour>> expected = {
      {white, blue, blue, blue},
      {white, white, white, white},
      {green, blue, green, MakeColour(0, 0, 0)},
  };
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(loaded.picture.Pixel(x, y), expected[y][x]) << x << "," << y;
  }
}

// ---- Checking a picture from its header ----

TEST(ImageFiles, ProbeReadsTheSizeFromTheHeaderWithoutDecoding) {
  std::vector<Bytes> rleRows(4, Bytes(6, 1));
  const struct {
    const char* name;
    Bytes bytes;
    ImageFormat format;
    int width;
    int height;
  } cases[] = {
      {"jpeg", Encode(Gradient(96, 64), ImageFormat::Jpeg), ImageFormat::Jpeg, 96, 64},
      {"png", Encode(Pattern(13, 7), ImageFormat::Png), ImageFormat::Png, 13, 7},
      {"bmp", Encode(Pattern(5, 4), ImageFormat::Bmp), ImageFormat::Bmp, 5, 4},
      {"rle8 bmp", MakeBmp(6, 4, 8, kBmpRunLength8, {1, 2, 3, 4, 5, 6}, RunLengthCode(rleRows, false)),
       ImageFormat::Bmp, 6, 4},
      // The canvas a GIF's first frame is placed on.
      {"gif", MakeGif({6, 12, 1, 2, 4, 9, false, NO_TRANSPARENT_COLOR, {{0, 0, 0}, {9, 9, 9}}, Bytes(36, 1)}),
       ImageFormat::Gif, 6, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ImageHeader header = ProbeImage(c.bytes, c.name);
    ASSERT_TRUE(header.status) << header.status.message();
    EXPECT_EQ(header.format, c.format);
    EXPECT_EQ(header.width, c.width);
    EXPECT_EQ(header.height, c.height);
  }
  // Damaged rows are found only by decoding: the probe never looks at them.
  Bytes damaged = Encode(Pattern(13, 7), ImageFormat::Png);
  damaged[45] ^= 0xFF;  // inside the compressed rows, so their checksum fails
  EXPECT_TRUE(ProbeImage(damaged, "damaged.png").status);
  EXPECT_FALSE(DecodeImage(damaged, "damaged.png").status);
}

TEST(ImageFiles, ProbeImageFileReadsThroughTheUserFileRules) {
  TempFolder folder;
  WriteBytes(folder / "brush.png", Encode(Pattern(6, 4), ImageFormat::Png));
  const ImageHeader header = ProbeImageFile(folder / "brush.png");
  ASSERT_TRUE(header.status) << header.status.message();
  EXPECT_EQ(header.width, 6);
  EXPECT_EQ(header.height, 4);

  WriteBytes(folder / "lying.gif", GifClaiming(16000, 15000, {0x44, 0x01}));
  const struct {
    fs::path path;
    const char* reason;
  } refused[] = {
      {folder / "missing.png", "does not exist"},
      {folder.path(), "folder"},
      {"/dev/zero", "not a regular file"},
      {folder / "lying.gif", "the file ends before the picture does"},
  };
  for (const auto& r : refused) {
    const ImageHeader refusedHeader = ProbeImageFile(r.path);
    EXPECT_FALSE(refusedHeader.status) << r.path;
    EXPECT_EQ(refusedHeader.status.message().rfind(r.path.string() + ": ", 0), 0u) << refusedHeader.status.message();
    EXPECT_NE(refusedHeader.status.message().find(r.reason), std::string::npos) << refusedHeader.status.message();
  }
}

// ---- Memory for small files ----

// How much the peak resident memory grows while `work` runs, measured in a child process so that
// nothing else of the test program counts; -1 when the child did not finish.
long long PeakMemoryGrowth(const std::function<void()>& work) {
  int channel[2];
  if (::pipe(channel) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    // A forked child starts with its high-water mark at the memory it shares with the parent.
    struct rusage before {};
    ::getrusage(RUSAGE_SELF, &before);
    work();
    struct rusage after {};
    ::getrusage(RUSAGE_SELF, &after);
    const long long growth = (after.ru_maxrss - before.ru_maxrss) * 1024LL;  // ru_maxrss is in KiB
    const bool written = ::write(channel[1], &growth, sizeof growth) == sizeof growth;
    ::_exit(written ? 0 : 1);
  }
  ::close(channel[1]);
  long long growth = -1;
  if (child < 0 || ::read(channel[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  ::close(channel[0]);
  int status = 0;
  if (child > 0) ::waitpid(child, &status, 0);
  return growth;
}

// The file with the largest height its header can declare (at the given width) that the header
// check still accepts: the worst a file of these bytes can ask for.
Bytes LargestAccepted(Bytes bytes, int width, const std::function<void(Bytes&, int, int)>& setSize) {
  int accepted = 0;
  int refused = static_cast<int>(std::min<std::int64_t>(ImageLimits::kMaxSide, ImageLimits::kMaxPixels / width)) + 1;
  while (refused - accepted > 1) {
    const int height = accepted + (refused - accepted) / 2;
    setSize(bytes, width, height);
    (ProbeImage(bytes, "probe").status ? accepted : refused) = height;
  }
  EXPECT_GT(accepted, 0);
  setSize(bytes, width, std::max(accepted, 1));
  return bytes;
}

TEST(ImageFiles, NoFileUnderOneKilobyteCostsAHundredMegabytes) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's own memory would be counted";
#endif
  constexpr long long kMostBytes = 100LL << 20;
  struct SmallFile {
    std::string name;
    Bytes bytes;
    int width;  // as declared
    int height;
  };
  std::vector<SmallFile> files;
  for (LyingFile& file : LyingFiles()) files.push_back({file.name, std::move(file.bytes), file.width, file.height});

  // Small files whose headers are raised as far as the checks allow, data as the format would
  // have it where that costs nothing (the compressed zeros of a PNG, the row ends of an RLE8
  // BMP, which then decode to a white picture) and filler otherwise.
  Bytes zeros(900'000, 0);
  uLongf packedSize = compressBound(static_cast<uLong>(zeros.size()));
  Bytes packed(packedSize);
  compress2(packed.data(), &packedSize, zeros.data(), static_cast<uLong>(zeros.size()), 9);
  packed.resize(packedSize);
  Bytes rowEnds(900, 0);
  rowEnds[899] = 1;
  const auto arithmetic = [](jpeg_compress_struct& info) {
    jpeg_simple_progression(&info);
    info.arith_code = TRUE;
  };
  Bytes jpeg = MakeJpeg(8, 8, JCS_GRAYSCALE, 1, Bytes(64, 90), arithmetic);
  const Bytes jpegFiller = Filler(1000 - jpeg.size(), 1);
  jpeg.insert(jpeg.end() - 2, jpegFiller.begin(), jpegFiller.end());
  const struct {
    const char* name;
    Bytes bytes;
    int width;
    std::function<void(Bytes&, int, int)> setSize;
  } raised[] = {
      {"1-bit interlaced png", PngClaiming(1, 1, 1, PNG_COLOR_TYPE_GRAY, true, packed), 32768, SetPngSize},
      {"rle8 bmp", MakeBmp(1, 1, 8, kBmpRunLength8, {0, 0, 0}, rowEnds), 32768, SetBmpSize},
      {"1-bit bmp", MakeBmp(1, 1, 1, kBmpUncompressed, {0, 0, 0, 255, 255, 255}, Bytes(900, 0x55)), 32, SetBmpSize},
      {"gif", GifClaiming(1, 1, Filler(900, 2)), 8192, SetGifSize},
      {"arithmetic progressive jpeg", jpeg, 8192, SetJpegSize},
  };
  for (const auto& r : raised) {
    Bytes largest = LargestAccepted(r.bytes, r.width, r.setSize);
    const ImageHeader header = ProbeImage(largest, r.name);
    files.push_back({r.name, std::move(largest), header.width, header.height});
  }

  for (const SmallFile& file : files) {
    SCOPED_TRACE(file.name);
    ASSERT_LT(file.bytes.size(), 1024u);
    const long long growth = PeakMemoryGrowth([&file] { DecodeImage(file.bytes, file.name); });
    ASSERT_GE(growth, 0) << "the decoding child did not finish";
    EXPECT_LT(growth, kMostBytes);
    std::printf("%-28s %4zu bytes, %5d x %-5d declared: peak memory +%.1f MB\n", file.name.c_str(), file.bytes.size(),
                file.width, file.height, growth / 1048576.0);
  }
}

// Every decoder must survive cut-off and damaged files: it either decodes something or reports an
// error, and never leaves a half-made picture behind.
TEST(ImageFiles, DamagedFilesNeverGiveHalfPictures) {
  const Bitmap24 picture = Pattern(17, 13);
  const std::vector<std::uint8_t> palette = {0, 1, 2, 3};
  Bytes gifIndices(17 * 13);
  for (std::size_t i = 0; i < gifIndices.size(); ++i) gifIndices[i] = static_cast<std::uint8_t>(i % 4);
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"jpeg", Encode(picture, ImageFormat::Jpeg)},
      {"png", Encode(picture, ImageFormat::Png)},
      {"bmp", Encode(picture, ImageFormat::Bmp)},
      {"gif", MakeGif({17, 13, 0, 0, 17, 13, true, 1, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 0, 0}}, gifIndices})},
  };
  std::mt19937 random(20240611);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(DecodeImage(c.bytes, c.name).status);
    auto check = [&c](const Bytes& damaged, const std::string& how) {
      const LoadedImage loaded = DecodeImage(damaged, c.name);
      if (loaded.status) {
        EXPECT_FALSE(loaded.picture.Empty()) << how;
      } else {
        EXPECT_TRUE(loaded.picture.Empty()) << how;
        EXPECT_FALSE(loaded.status.message().empty()) << how;
      }
    };
    for (std::size_t length = 1; length < c.bytes.size(); length += 1 + length / 8) {
      check(Bytes(c.bytes.begin(), c.bytes.begin() + length), "cut at " + std::to_string(length));
    }
    for (int trial = 0; trial < 200; ++trial) {
      Bytes damaged = c.bytes;
      for (int flips = 0; flips < 4; ++flips) {
        // Keeps the first two bytes so the damaged file still goes to the same decoder.
        const std::size_t at = 2 + random() % (damaged.size() - 2);
        damaged[at] = static_cast<std::uint8_t>(random());
      }
      check(damaged, "damage trial " + std::to_string(trial));
    }
  }
  // A cut-off JPEG in particular is refused rather than padded out with grey.
  const Bytes jpeg = cases[0].bytes;
  EXPECT_FALSE(DecodeImage(Bytes(jpeg.begin(), jpeg.end() - 40), "cut.jpg").status);
}

// ---- Saving safely ----

class SaveFailure : public testing::Test {
 protected:
  TempFolder folder;
  const Bytes oldContent = Text("the previous drawing");
  const Bitmap24 picture = Pattern(64, 64);

  void ExpectErrorNaming(const Status& status, const fs::path& path) {
    EXPECT_FALSE(status);
    EXPECT_NE(status.message().find(path.string()), std::string::npos) << status.message();
  }
};

TEST_F(SaveFailure, TargetThatIsAFolderIsLeftAsItWas) {
  const fs::path target = folder / "drawing.png";
  fs::create_directory(target);
  WriteBytes(target / "inside.txt", oldContent);
  ExpectErrorNaming(SaveImageFile(picture, target, ImageFormat::Png), target);
  EXPECT_EQ(ReadBytes(target / "inside.txt"), oldContent);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"drawing.png"});  // no temporary file left
}

TEST_F(SaveFailure, MissingFolderIsReported) {
  const fs::path target = folder / "no such folder" / "drawing.jpg";
  ExpectErrorNaming(SaveImageFile(picture, target, ImageFormat::Jpeg), target);
  EXPECT_TRUE(folder.Entries().empty());
}

TEST_F(SaveFailure, WriteErrorLeavesTheOldFileUnchanged) {
  const fs::path target = folder / "drawing.bmp";
  WriteBytes(target, oldContent);
  // A file size limit makes the write of the 12 KB BMP fail half-way, as a full disk would.
  struct rlimit previous {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  struct rlimit small = previous;
  small.rlim_cur = 4096;
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status status = SaveImageFile(picture, target, ImageFormat::Bmp);
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);

  ExpectErrorNaming(status, target);
  EXPECT_EQ(ReadBytes(target), oldContent);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"drawing.bmp"});
}

TEST_F(SaveFailure, EmptyPictureLeavesTheOldFileUnchanged) {
  const fs::path target = folder / "drawing.jpg";
  WriteBytes(target, oldContent);
  ExpectErrorNaming(SaveImageFile(Bitmap24(), target, ImageFormat::Jpeg), target);
  EXPECT_EQ(ReadBytes(target), oldContent);
}

TEST_F(SaveFailure, ReadOnlyFolderIsReported) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const fs::path target = folder / "drawing.png";
  WriteBytes(target, oldContent);
  fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
  const Status status = SaveImageFile(picture, target, ImageFormat::Png);
  fs::permissions(folder.path(), fs::perms::owner_all);
  ExpectErrorNaming(status, target);
  EXPECT_EQ(ReadBytes(target), oldContent);
}

TEST(ImageFiles, SavingOverAFileReplacesItAndKeepsItsPermissions) {
  TempFolder folder;
  const fs::path target = folder / "drawing.png";
  WriteBytes(target, Text("old"));
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const Bitmap24 picture = Pattern(9, 4);
  ASSERT_TRUE(SaveImageFile(picture, target, ImageFormat::Png));
  EXPECT_EQ(LoadImageFile(target).picture, picture);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"drawing.png"});
}

}  // namespace
}  // namespace atelion
