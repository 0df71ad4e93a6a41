// JPEG reading and writing through libjpeg-turbo. Pictures decode straight into blue-green-red rows;
// grey pictures are widened and CMYK/YCCK pictures are converted to colour. libjpeg reports fatal
// errors through a callback that must not return, so that callback jumps back to the decoder.
#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

#include "imageio/codecs.h"

namespace atelion::codecs {

namespace {

constexpr int kJpegQuality = 95;
constexpr UINT8 kDotsPerInch = 1;

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// A truncated file is a failure: libjpeg would otherwise pad the missing rows with grey and only warn.
// Other warnings (stray bytes between markers and the like) are common in harmless files and ignored.
void HandleMessage(j_common_ptr info, int level) {
  if (level < 0) {
    ++info->err->num_warnings;
    if (info->err->msg_code == JWRN_JPEG_EOF) JumpOnError(info);
  }
}

void InstallErrorManager(JpegErrorManager& manager) {
  jpeg_std_error(&manager.pub);
  manager.pub.error_exit = JumpOnError;
  manager.pub.emit_message = HandleMessage;
  manager.message[0] = '\0';
}

struct JpegDecoder {
  jpeg_decompress_struct info{};
  JpegErrorManager error{};
  bool created = false;
  std::vector<std::uint8_t> cmykRow;

  ~JpegDecoder() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

// Converts one row of four-channel ink values to colour. Files written with an Adobe marker store
// the inks inverted (255 = no ink), which is what nearly every CMYK JPEG does.
void ConvertCmykRow(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x) {
    const std::uint8_t* ink = cmyk + 4 * x;
    const int black = inverted ? ink[3] : 255 - ink[3];
    // Output blue, green, red come from yellow, magenta, cyan.
    for (int c = 0; c < 3; ++c) {
      const int paper = inverted ? ink[2 - c] : 255 - ink[2 - c];
      bgr[3 * x + c] = static_cast<std::uint8_t>(paper * black / 255);
    }
  }
}

// Runs the libjpeg calls. A fatal libjpeg error jumps back to the setjmp below; this function keeps
// no objects with destructors of its own, so the jump skips none.
bool RunJpegDecode(JpegDecoder& decoder, std::span<const std::uint8_t> bytes, const std::string& name,
                   Bitmap24& picture, Status& sizeStatus) {
  jpeg_decompress_struct& info = decoder.info;
  info.err = &decoder.error.pub;
  InstallErrorManager(decoder.error);
  if (setjmp(decoder.error.jump)) return false;
  jpeg_create_decompress(&info);
  decoder.created = true;
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);

  sizeStatus = CheckPictureSize(info.image_width, info.image_height, name);
  if (!sizeStatus) return false;

  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width);
  const int height = static_cast<int>(info.output_height);
  picture.Resize(width, height);
  if (cmyk) decoder.cmykRow.resize(static_cast<std::size_t>(width) * 4);

  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW row = cmyk ? decoder.cmykRow.data() : picture.Row(y);
    jpeg_read_scanlines(&info, &row, 1);
    if (cmyk) ConvertCmykRow(decoder.cmykRow.data(), picture.Row(y), width, info.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&info);
  return true;
}

// Collects the compressed bytes in a std::vector, a block at a time.
struct VectorDestination {
  jpeg_destination_mgr pub;
  std::vector<std::uint8_t>* out;
  std::array<JOCTET, 65536> block;
};

VectorDestination& DestinationOf(j_compress_ptr info) { return *reinterpret_cast<VectorDestination*>(info->dest); }

void StartBlock(j_compress_ptr info) {
  VectorDestination& destination = DestinationOf(info);
  destination.pub.next_output_byte = destination.block.data();
  destination.pub.free_in_buffer = destination.block.size();
}

// Appends `count` bytes of the block; running out of memory becomes a libjpeg error, since an
// exception must not unwind through libjpeg.
void AppendBlock(j_compress_ptr info, std::size_t count) {
  VectorDestination& destination = DestinationOf(info);
  bool appended = true;
  try {
    destination.out->insert(destination.out->end(), destination.block.begin(), destination.block.begin() + count);
  } catch (const std::bad_alloc&) {
    appended = false;
  }
  if (!appended) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
}

boolean FlushFullBlock(j_compress_ptr info) {
  AppendBlock(info, DestinationOf(info).block.size());
  StartBlock(info);
  return TRUE;
}

void FlushLastBlock(j_compress_ptr info) {
  VectorDestination& destination = DestinationOf(info);
  AppendBlock(info, destination.block.size() - destination.pub.free_in_buffer);
}

struct JpegEncoder {
  jpeg_compress_struct info{};
  JpegErrorManager error{};
  VectorDestination destination{};
  bool created = false;

  ~JpegEncoder() {
    if (created) jpeg_destroy_compress(&info);
  }
};

bool RunJpegEncode(JpegEncoder& encoder, const Bitmap24& picture, int dpi) {
  jpeg_compress_struct& info = encoder.info;
  info.err = &encoder.error.pub;
  InstallErrorManager(encoder.error);
  if (setjmp(encoder.error.jump)) return false;
  jpeg_create_compress(&info);
  encoder.created = true;

  encoder.destination.pub.init_destination = StartBlock;
  encoder.destination.pub.empty_output_buffer = FlushFullBlock;
  encoder.destination.pub.term_destination = FlushLastBlock;
  info.dest = &encoder.destination.pub;

  info.image_width = static_cast<JDIMENSION>(picture.Width());
  info.image_height = static_cast<JDIMENSION>(picture.Height());
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, kJpegQuality, TRUE);
  // The resolution goes into the JFIF header: units 1 (dots per inch), the same density across and down.
  info.write_JFIF_header = TRUE;
  info.density_unit = kDotsPerInch;
  info.X_density = static_cast<UINT16>(dpi);
  info.Y_density = static_cast<UINT16>(dpi);

  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<JSAMPROW>(picture.Row(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  return true;
}

}  // namespace

Status DecodeJpeg(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture) {
  JpegDecoder decoder;
  Bitmap24 decoded;
  Status sizeStatus = Status::Ok();
  if (!RunJpegDecode(decoder, bytes, name, decoded, sizeStatus)) {
    if (!sizeStatus) return sizeStatus;
    return Status::Error(name + ": the JPEG data cannot be read: " + decoder.error.message);
  }
  picture = std::move(decoded);
  return Status::Ok();
}

Status EncodeJpeg(const Bitmap24& picture, int dpi, std::vector<std::uint8_t>& out) {
  JpegEncoder encoder;
  encoder.destination.out = &out;
  if (!RunJpegEncode(encoder, picture, std::clamp(dpi, 1, 65535))) {
    return Status::Error(std::string("the JPEG encoder failed: ") + encoder.error.message);
  }
  return Status::Ok();
}

}  // namespace atelion::codecs
