// GIF reading through giflib: the first frame, placed on the GIF's logical screen, with its
// transparent colour (and anything the frame does not cover) white.
#include <algorithm>
#include <cstring>

#include <gif_lib.h>

#include "imageio/codecs.h"

namespace atelion::codecs {

namespace {

struct MemorySource {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t offset = 0;
  bool endReached = false;  // a read asked for more than was left
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  const std::size_t available = source->size - source->offset;
  const std::size_t taken = std::min(static_cast<std::size_t>(std::max(count, 0)), available);
  if (taken < static_cast<std::size_t>(std::max(count, 0))) source->endReached = true;
  std::memcpy(out, source->data + source->offset, taken);
  source->offset += taken;
  return static_cast<int>(taken);
}

struct GifCloser {
  GifFileType* gif = nullptr;
  ~GifCloser() {
    int ignored = 0;
    if (gif != nullptr) DGifCloseFile(gif, &ignored);
  }
};

// Why giflib stopped. Whatever giflib calls it, a read that found the data at its end means the file
// ended too soon, and so does an LZW end code before the frame's last pixel.
Status GifError(const MemorySource& source, const std::string& name, int code) {
  if (source.endReached || code == D_GIF_ERR_READ_FAILED || code == D_GIF_ERR_EOF_TOO_SOON) {
    return FileEndsBeforePicture(name);
  }
  const char* reason = GifErrorString(code);
  return Status::Error(name + ": the GIF data cannot be read: " + (reason != nullptr ? reason : "unknown error"));
}

Status GifError(const GifFileType* gif, const std::string& name) {
  return GifError(*static_cast<const MemorySource*>(gif->UserData), name, gif->Error);
}

// Reads one extension block; a graphics control block may name the transparent colour index.
Status ReadExtension(GifFileType* gif, const std::string& name, int& transparentIndex) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return GifError(gif, name);
  // block[0] is the block's length; the graphics control block holds flags in 1 and the index in 4.
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
    transparentIndex = (block[1] & 0x01) != 0 ? block[4] : -1;
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return GifError(gif, name);
  }
  return Status::Ok();
}

// An LZW code of w bits stands for at most 2^w pixels: it names a table entry below 2^w, and entry n
// is at most n pixels long, since each entry is one pixel longer than an entry made before it.
// Codes are at most 12 bits, so the best case is 4096 pixels for 12 bits, which no shorter code beats.
std::uint64_t LeastLzwBytes(std::int64_t pixels) {
  constexpr std::uint64_t kPixelsPerCode = 4096;
  constexpr std::uint64_t kBitsPerCode = 12;
  const std::uint64_t bits = (static_cast<std::uint64_t>(pixels) * kBitsPerCode + kPixelsPerCode - 1) / kPixelsPerCode;
  return (bits + 7) / 8;
}

// The first frame, its placement and colours, checked against the limits and the file's length.
struct FirstFrame {
  int canvasWidth = 0;
  int canvasHeight = 0;
  int transparentIndex = -1;
  const ColorMapObject* colours = nullptr;
};

// Reads the records up to the first frame's descriptor and checks the frame and the canvas it is
// placed on. The screen around the frame is painted white without any data of its own, so it is
// held to the same bound as coded pixels: a tiny frame cannot spread a huge white screen.
Status ReadFirstFrameHeader(GifFileType* gif, const MemorySource& source, const std::string& name, FirstFrame& first) {
  GifRecordType record = UNDEFINED_RECORD_TYPE;
  do {
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return GifError(gif, name);
    if (record == EXTENSION_RECORD_TYPE) {
      if (Status read = ReadExtension(gif, name, first.transparentIndex); !read) return read;
    } else if (record == IMAGE_DESC_RECORD_TYPE) {
      break;
    }
  } while (record != TERMINATE_RECORD_TYPE);
  if (record != IMAGE_DESC_RECORD_TYPE) return Status::Error(name + ": the GIF file holds no picture");

  if (DGifGetImageDesc(gif) == GIF_ERROR) return GifError(gif, name);
  const GifImageDesc& frame = gif->Image;
  first.colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (first.colours == nullptr) {
    return Status::Error(name + ": the GIF data cannot be read: the picture has no colour table");
  }
  if (Status size = CheckPictureSize(frame.Width, frame.Height, name); !size) return size;
  // A frame reaching beyond the logical screen widens the canvas rather than losing pixels.
  first.canvasWidth = std::max(gif->SWidth, frame.Left + frame.Width);
  first.canvasHeight = std::max(gif->SHeight, frame.Top + frame.Height);
  if (Status size = CheckPictureSize(first.canvasWidth, first.canvasHeight, name); !size) return size;
  const std::int64_t framePixels = static_cast<std::int64_t>(frame.Width) * frame.Height;
  const std::int64_t canvasPixels = static_cast<std::int64_t>(first.canvasWidth) * first.canvasHeight;
  const std::uint64_t frameData = source.size - source.offset;  // the frame's data and all that follows
  const Status frameFits = CheckFileHolds(frame.Width, frame.Height, LeastLzwBytes(framePixels), frameData, name);
  if (!frameFits) return frameFits;
  return CheckFileHolds(first.canvasWidth, first.canvasHeight, LeastLzwBytes(canvasPixels), source.size, name);
}

Status ReadFirstFrame(GifFileType* gif, const std::string& name, const FirstFrame& first, Bitmap24& picture) {
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* colours = first.colours;
  Bitmap24 canvas(first.canvasWidth, first.canvasHeight, 0xFFFFFF);
  std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
  // Interlaced frames store every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
  constexpr int kInterlacedStart[] = {0, 4, 2, 1};
  constexpr int kInterlacedStep[] = {8, 8, 4, 2};
  const int passes = frame.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = frame.Interlace ? kInterlacedStart[pass] : 0;
    const int step = frame.Interlace ? kInterlacedStep[pass] : 1;
    for (int y = start; y < frame.Height; y += step) {
      if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return GifError(gif, name);
      std::uint8_t* row = canvas.Row(frame.Top + y);
      for (int x = 0; x < frame.Width; ++x) {
        const int index = line[x];
        if (index == first.transparentIndex || index >= colours->ColorCount) continue;
        const GifColorType& colour = colours->Colors[index];
        std::uint8_t* pixel = row + 3 * (frame.Left + x);
        pixel[0] = colour.Blue;
        pixel[1] = colour.Green;
        pixel[2] = colour.Red;
      }
    }
  }
  picture = std::move(canvas);
  return Status::Ok();
}

// Opens the GIF and checks the logical screen against the limits before anything else is read.
Status OpenGif(MemorySource& source, const std::string& name, GifCloser& file) {
  int openError = 0;
  file.gif = DGifOpen(&source, ReadFromMemory, &openError);
  if (file.gif == nullptr) return GifError(source, name, openError);
  return CheckPictureSize(std::max(file.gif->SWidth, 1), std::max(file.gif->SHeight, 1), name);
}

}  // namespace

Status ProbeGif(std::span<const std::uint8_t> bytes, const std::string& name, PictureSize& size) {
  MemorySource source{bytes.data(), bytes.size(), 0};
  GifCloser file;
  if (Status opened = OpenGif(source, name, file); !opened) return opened;
  FirstFrame first;
  if (Status read = ReadFirstFrameHeader(file.gif, source, name, first); !read) return read;
  size = {first.canvasWidth, first.canvasHeight};
  return Status::Ok();
}

Status DecodeGif(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture) {
  MemorySource source{bytes.data(), bytes.size(), 0};
  GifCloser file;
  if (Status opened = OpenGif(source, name, file); !opened) return opened;
  FirstFrame first;
  if (Status read = ReadFirstFrameHeader(file.gif, source, name, first); !read) return read;
  return ReadFirstFrame(file.gif, name, first, picture);
}

}  // namespace atelion::codecs
