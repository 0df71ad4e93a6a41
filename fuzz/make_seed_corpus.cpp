// Writes the seed files the fuzz targets start from: small pictures in each format, parameter
// files, settings files and silent command lines, each a few hundred bytes, so that the fuzzers
// begin inside every reader's paths instead of at its first refusal. Pictures come from our own
// encoders; the forms Atelion never writes (palettes, grey, CMYK, interlacing, run-length BMP,
// GIF) are written with the image libraries or byte by byte.
//
//   atelion-fuzz-seeds FOLDER      writes FOLDER/decode_jpeg/…, FOLDER/settings_file/…, …
#include <gif_lib.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

// jpeglib.h needs the standard types declared before it.
#include <jpeglib.h>

#include "automation/script.h"
#include "document/settings_file.h"
#include "effects/parameter_files.h"
#include "imageio/image_files.h"
#include "styles/catalogue.h"

namespace atelion {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// ---- Pictures ----

// Neighbouring pixels differ in every channel, so no row or block compresses to nothing.
Bitmap24 Pattern(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x * 37 + y * 11, x * 5 + y * 73, x * y * 13 + 7));
  }
  return picture;
}

Bytes Encoded(const Bitmap24& picture, ImageFormat format, int dpi = kDefaultDpi) {
  Bytes bytes;
  if (Status status = EncodeImage(picture, format, dpi, bytes); !status) {
    std::cerr << status.message() << '\n';
    std::exit(1);
  }
  return bytes;
}

// A JPEG in a colour space or mode our encoder does not write.
Bytes LibjpegFile(int width, int height, J_COLOR_SPACE space, int components, bool progressive) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 75, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * components);
  while (info.next_scanline < info.image_height) {
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<JSAMPLE>(i * 29 + info.next_scanline * 53);
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

void AppendToBytes(png_structp png, png_bytep data, png_size_t count) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}

// A PNG of a colour type, depth or interlacing our encoder does not write.
Bytes LibpngFile(int width, int height, int colourType, int bitDepth, bool interlaced) {
  Bytes bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &bytes, AppendToBytes, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth, colourType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> palette(std::size_t{1} << bitDepth);
    for (std::size_t i = 0; i < palette.size(); ++i) {
      palette[i] = {static_cast<png_byte>(i * 40), static_cast<png_byte>(255 - i * 20), static_cast<png_byte>(i * 7)};
    }
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    const png_byte alpha[] = {0, 128};
    png_set_tRNS(png, info, alpha, 2, nullptr);
  } else if (colourType == PNG_COLOR_TYPE_GRAY) {
    png_color_16 transparent{};
    transparent.gray = bitDepth == 1 ? 1 : 3;
    png_set_tRNS(png, info, nullptr, 0, &transparent);
  }
  png_write_info(png, info);
  const int passes = png_set_interlace_handling(png);
  std::vector<png_byte> row(png_get_rowbytes(png, info));
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < height; ++y) {
      for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<png_byte>(i * 61 + y * 17);
      png_write_row(png, row.data());
    }
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

void PutLittleEndian(Bytes& out, std::uint32_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A BMP with a palette, or stored top-down: the header fields our encoder never varies. The
// pixel data is given as it is stored (rows padded, or a run-length stream).
Bytes BmpFile(int width, int height, int bitsPerPixel, int compression, const Bytes& pixelData) {
  const int paletteEntries = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
  const std::uint32_t pixelOffset = 14 + 40 + 4 * paletteEntries;
  Bytes out = {'B', 'M'};
  PutLittleEndian(out, pixelOffset + static_cast<std::uint32_t>(pixelData.size()), 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, pixelOffset, 4);
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(width), 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(height), 4);  // negative: rows stored top-down
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, static_cast<std::uint32_t>(bitsPerPixel), 2);
  PutLittleEndian(out, static_cast<std::uint32_t>(compression), 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(pixelData.size()), 4);
  PutLittleEndian(out, 2835, 4);
  PutLittleEndian(out, 2835, 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(paletteEntries), 4);
  PutLittleEndian(out, 0, 4);
  for (int i = 0; i < paletteEntries; ++i) {
    for (int c = 0; c < 3; ++c) out.push_back(static_cast<std::uint8_t>(i * (c + 3) * 17));
    out.push_back(0);
  }
  out.insert(out.end(), pixelData.begin(), pixelData.end());
  return out;
}

// Rows of `bytesPerRow` bytes, each padded to four.
Bytes PaddedRows(int rows, int bytesPerRow) {
  Bytes data;
  for (int y = 0; y < rows; ++y) {
    for (int i = 0; i < bytesPerRow; ++i) data.push_back(static_cast<std::uint8_t>(i * 23 + y * 5));
    data.insert(data.end(), (4 - bytesPerRow % 4) % 4, 0);
  }
  return data;
}

int AppendToGif(GifFileType* gif, const GifByteType* data, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + count);
  return count;
}

// A GIF of one or two frames; the second frame has its own colour table and an offset.
Bytes GifFile(int width, int height, bool interlaced, int transparentIndex, bool secondFrame) {
  Bytes bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, AppendToGif, &error);
  ColorMapObject* colours = GifMakeMapObject(8, nullptr);
  for (int i = 0; i < 8; ++i) {
    colours->Colors[i] = {static_cast<GifByteType>(i * 32), static_cast<GifByteType>(255 - i * 30),
                          static_cast<GifByteType>(i * 11)};
  }
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, width, height, 3, 0, colours);
  auto putFrame = [&](int left, int top, int frameWidth, int frameHeight, const ColorMapObject* local) {
    if (transparentIndex >= 0) {
      const GifByteType control[] = {0x01, 0, 0, static_cast<GifByteType>(transparentIndex)};
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof control, control);
    }
    EGifPutImageDesc(gif, left, top, frameWidth, frameHeight, interlaced, local);
    std::vector<GifPixelType> line(static_cast<std::size_t>(frameWidth));
    for (int y = 0; y < frameHeight; ++y) {
      for (int x = 0; x < frameWidth; ++x) line[x] = static_cast<GifPixelType>((x + 3 * y) % 8);
      EGifPutLine(gif, line.data(), frameWidth);
    }
  };
  putFrame(0, 0, width, height, nullptr);
  if (secondFrame) putFrame(1, 1, width - 1, height - 1, colours);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(colours);
  return bytes;
}

// ---- Text files ----

std::string Joined(const std::vector<std::string>& arguments) {
  std::string text;
  for (std::size_t i = 0; i < arguments.size(); ++i) text += (i > 0 ? std::string(1, '\0') : "") + arguments[i];
  return text;
}

// The older parameter layout: a caption line and four values per catalogue row.
std::string OlderLayoutParameterText(int rows) {
  std::string text;
  for (int row = 0; row < rows; ++row) {
    text += CatalogueRowText(row) + "\r\n";
    for (int value : FactoryDefaults(row % kEffectCount)) text += std::to_string(value) + "\r\n";
  }
  return text;
}

// ---- Writing ----

class SeedFolder {
 public:
  explicit SeedFolder(fs::path root) : root_(std::move(root)) {}

  void Put(const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(root_ / target);
    std::ofstream file(root_ / target / name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) Fail("cannot write " + (root_ / target / name).string());
  }
  void Put(const std::string& target, const std::string& name, const std::string& text) {
    Put(target, name, Bytes(text.begin(), text.end()));
  }
  fs::path PathOf(const std::string& target, const std::string& name) {
    fs::create_directories(root_ / target);
    return root_ / target / name;
  }
  static void Fail(const std::string& message) {
    std::cerr << message << '\n';
    std::exit(1);
  }

 private:
  fs::path root_;
};

void WritePictureSeeds(SeedFolder& seeds) {
  seeds.Put("decode_jpeg", "pattern-9x7.jpg", Encoded(Pattern(9, 7), ImageFormat::Jpeg));
  seeds.Put("decode_jpeg", "pattern-1x1-72dpi.jpg", Encoded(Pattern(1, 1), ImageFormat::Jpeg, 72));
  seeds.Put("decode_jpeg", "grey-8x8-progressive.jpg", LibjpegFile(8, 8, JCS_GRAYSCALE, 1, true));
  seeds.Put("decode_jpeg", "cmyk-8x4.jpg", LibjpegFile(8, 4, JCS_CMYK, 4, false));

  seeds.Put("decode_png", "pattern-6x5.png", Encoded(Pattern(6, 5), ImageFormat::Png));
  seeds.Put("decode_png", "palette-4bit-transparent-7x5.png", LibpngFile(7, 5, PNG_COLOR_TYPE_PALETTE, 4, false));
  seeds.Put("decode_png", "grey-16bit-interlaced-9x9.png", LibpngFile(9, 9, PNG_COLOR_TYPE_GRAY, 16, true));
  seeds.Put("decode_png", "grey-alpha-5x4.png", LibpngFile(5, 4, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false));
  seeds.Put("decode_png", "grey-1bit-transparent-11x3.png", LibpngFile(11, 3, PNG_COLOR_TYPE_GRAY, 1, false));

  seeds.Put("decode_bmp", "pattern-5x3.bmp", Encoded(Pattern(5, 3), ImageFormat::Bmp, 96));
  seeds.Put("decode_bmp", "palette-8bit-6x4.bmp", BmpFile(6, 4, 8, 0, PaddedRows(4, 6)));
  seeds.Put("decode_bmp", "palette-1bit-12x2.bmp", BmpFile(12, 2, 1, 0, PaddedRows(2, 2)));
  seeds.Put("decode_bmp", "top-down-24bit-3x3.bmp", BmpFile(3, -3, 24, 0, PaddedRows(3, 9)));
  // Run-length rows: a run, a literal stretch, a move, the ends of lines and of the picture.
  seeds.Put("decode_bmp", "rle8-8x3.bmp",
            BmpFile(8, 3, 8, 1, {4, 7, 0, 4, 1, 2, 3, 4, 0, 0, 8, 9, 0, 0, 0, 2, 2, 0, 3, 5, 0, 1}));
  seeds.Put("decode_bmp", "rle4-8x2.bmp", BmpFile(8, 2, 4, 2, {8, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 0, 0, 1}));

  seeds.Put("decode_gif", "eight-colours-6x5.gif", GifFile(6, 5, false, -1, false));
  seeds.Put("decode_gif", "interlaced-transparent-9x9.gif", GifFile(9, 9, true, 2, false));
  seeds.Put("decode_gif", "two-frames-4x4.gif", GifFile(4, 4, false, 0, true));
}

void WriteParameterSeeds(SeedFolder& seeds) {
  const ParameterTables tables;
  ParameterFile plain = ParameterFile::FromTables(tables, kStartCatalogueIndex);
  if (!SaveParameterFile(seeds.PathOf("parameter_file", "defaults.atp"), plain)) SeedFolder::Fail("defaults.atp");

  ParameterFile full = ParameterFile::FromTables(tables, 23);
  full.sets[3] = {-5, 0x7FFFFFFF, 12, 0, 255};
  full.customBrushes = {"/home/ann/brushes/round.png", "/home/ann/brushes/notes.txt", "/home/ann/brushes/flat.bmp"};
  full.sourceFileName = "/home/ann/Pictures/harbour.jpg";
  full.resultFileName = "/home/ann/Pictures/harbour_Atelion.jpg";
  if (!SaveParameterFile(seeds.PathOf("parameter_file", "brushes-and-names.atp"), full)) {
    SeedFolder::Fail("brushes-and-names.atp");
  }
  // A file cut inside its third set, with LF endings and numbers in the forms readers accept.
  seeds.Put("parameter_file", "cut-lf-hex.atp", std::string("[0]\n$FF\n 0x10 \n-3\n+7\n\n[1]\n2\n3\n4\n5\n6\n[2]\n9"));
  seeds.Put("parameter_file", "older-layout.atp", OlderLayoutParameterText(3));
}

void WriteSettingsSeeds(SeedFolder& seeds) {
  seeds.Put("settings_file", "defaults.ini", SettingsFileText(Settings{}));
  Settings unusual;
  unusual.skinNumber = 1;
  unusual.window = {5, 5, -1, -1};
  unusual.language = "Deutsch";
  unusual.lastOpenFolder = "/home/ann/Pictures";
  unusual.frame.entry = 4;
  unusual.frame.margin = 300;
  unusual.text.text = "Été";
  unusual.text.positionEntry = 5;
  unusual.text.fontSize = 48;
  unusual.text.bold = true;
  unusual.text.underline = true;
  unusual.textureTileIndex = 6;
  unusual.textureListIndex = 2;
  unusual.autoUpdateCheck = false;
  seeds.Put("settings_file", "maximized-coloured-frame.ini", SettingsFileText(unusual));
}

void WriteScriptSeeds(SeedFolder& seeds) {
  seeds.Put("script_file", "default.ats", WriteScriptText(DefaultScript()));
  ScriptGrid actions(ScriptGrid::kColumns, 6);
  const int codes[] = {script_action::kResizeLeft, script_action::kStopNextEffect, script_action::kInvert,
                       script_action::kDontEraseBackground, 150};
  for (int row = 1; row <= 5; ++row) actions.SetCell(ScriptGrid::kCodeColumn, row, std::to_string(codes[row - 1]));
  actions.SetCell(1, 1, "640");
  actions.SetCell(2, 1, "480");
  actions.SetCell(1, 2, "30");
  seeds.Put("script_file", "actions.ats", WriteScriptText(actions));
  seeds.Put("script_file", "cut-lf.ats", std::string("7\n3\nAction\nVivify photo\n\n1\n20"));
}

void WriteSilentSeeds(SeedFolder& seeds) {
  seeds.Put("silent_arguments", "every-argument",
            Joined({"in.jpg", "out", "14", "150", "128", "50", "128", "0", "y", "n", "y", "3"}));
  seeds.Put("silent_arguments", "style-only", Joined({"photo.png", "result.jpg", "29"}));
  seeds.Put("silent_arguments", "no-style", Joined({"a.bmp", "b", "0", "-4", "+9"}));
}

}  // namespace
}  // namespace atelion

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: atelion-fuzz-seeds FOLDER\n";
    return 2;
  }
  atelion::SeedFolder seeds{std::filesystem::path(argv[1])};
  atelion::WritePictureSeeds(seeds);
  atelion::WriteParameterSeeds(seeds);
  atelion::WriteScriptSeeds(seeds);
  atelion::WriteSettingsSeeds(seeds);
  atelion::WriteSilentSeeds(seeds);
  return 0;
}
