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
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  const std::size_t available = source->size - source->offset;
  const std::size_t taken = std::min(static_cast<std::size_t>(std::max(count, 0)), available);
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

Status GifError(const std::string& name, int code) {
  const char* reason = GifErrorString(code);
  return Status::Error(name + ": the GIF data cannot be read: " + (reason != nullptr ? reason : "unknown error"));
}

// Reads one extension block; a graphics control block may name the transparent colour index.
Status ReadExtension(GifFileType* gif, const std::string& name, int& transparentIndex) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return GifError(name, gif->Error);
  // block[0] is the block's length; the graphics control block holds flags in 1 and the index in 4.
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
    transparentIndex = (block[1] & 0x01) != 0 ? block[4] : -1;
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return GifError(name, gif->Error);
  }
  return Status::Ok();
}

Status ReadFirstFrame(GifFileType* gif, const std::string& name, int transparentIndex, Bitmap24& picture) {
  if (DGifGetImageDesc(gif) == GIF_ERROR) return GifError(name, gif->Error);
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (colours == nullptr) return Status::Error(name + ": the GIF data cannot be read: the picture has no colour table");
  if (Status size = CheckPictureSize(frame.Width, frame.Height, name); !size) return size;
  // A frame reaching beyond the logical screen widens the canvas rather than losing pixels.
  const int canvasWidth = std::max(gif->SWidth, frame.Left + frame.Width);
  const int canvasHeight = std::max(gif->SHeight, frame.Top + frame.Height);
  if (Status size = CheckPictureSize(canvasWidth, canvasHeight, name); !size) return size;

  Bitmap24 canvas(canvasWidth, canvasHeight, 0xFFFFFF);
  std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
  // Interlaced frames store every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
  constexpr int kInterlacedStart[] = {0, 4, 2, 1};
  constexpr int kInterlacedStep[] = {8, 8, 4, 2};
  const int passes = frame.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = frame.Interlace ? kInterlacedStart[pass] : 0;
    const int step = frame.Interlace ? kInterlacedStep[pass] : 1;
    for (int y = start; y < frame.Height; y += step) {
      if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return GifError(name, gif->Error);
      std::uint8_t* row = canvas.Row(frame.Top + y);
      for (int x = 0; x < frame.Width; ++x) {
        const int index = line[x];
        if (index == transparentIndex || index >= colours->ColorCount) continue;
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

}  // namespace

Status DecodeGif(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture) {
  MemorySource source{bytes.data(), bytes.size(), 0};
  int openError = 0;
  GifCloser file{DGifOpen(&source, ReadFromMemory, &openError)};
  GifFileType* gif = file.gif;
  if (gif == nullptr) return GifError(name, openError);
  if (Status size = CheckPictureSize(std::max(gif->SWidth, 1), std::max(gif->SHeight, 1), name); !size) return size;

  int transparentIndex = -1;
  GifRecordType record = UNDEFINED_RECORD_TYPE;
  do {
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return GifError(name, gif->Error);
    if (record == EXTENSION_RECORD_TYPE) {
      if (Status read = ReadExtension(gif, name, transparentIndex); !read) return read;
    } else if (record == IMAGE_DESC_RECORD_TYPE) {
      return ReadFirstFrame(gif, name, transparentIndex, picture);
    }
  } while (record != TERMINATE_RECORD_TYPE);
  return Status::Error(name + ": the GIF file holds no picture");
}

}  // namespace atelion::codecs
