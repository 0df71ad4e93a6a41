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

// How many blocks of 8 × 8 samples of one component one bit of coded data can hold at best. With
// Huffman coding every block spends at least one code of at least one bit on its DC value (two codes
// in a sequential file); progressive AC scans can skip whole runs of blocks, DC scans cannot.
// The arithmetic coder has no such floor: it adapts until a flat picture costs next to nothing
// (libjpeg codes a flat 4096 × 4096 grey picture in 127 bytes), so any header size would pass.
// Arithmetic-coded files are all but unknown; they are held to sixteen blocks a bit, which no
// picture with content comes near, and which keeps a file of 1 KB below 9 million pixels.
constexpr std::uint64_t kBlocksPerBitHuffman = 1;
constexpr std::uint64_t kBlocksPerBitArithmetic = 16;

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool endedEarly;  // the data ran out before the picture did
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// A file whose data runs out is a failure: libjpeg would otherwise pad the missing rows with grey and
// only warn, both when the file ends (JWRN_JPEG_EOF) and when a marker such as the end of image
// comes before the coded data does (JWRN_HIT_MARKER). Other warnings (stray bytes between markers
// and the like) are common in harmless files and ignored.
void HandleMessage(j_common_ptr info, int level) {
  if (level < 0) {
    ++info->err->num_warnings;
    const int code = info->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER) {
      reinterpret_cast<JpegErrorManager*>(info->err)->endedEarly = true;
      JumpOnError(info);
    }
  }
}

void InstallErrorManager(JpegErrorManager& manager) {
  jpeg_std_error(&manager.pub);
  manager.pub.error_exit = JumpOnError;
  manager.pub.emit_message = HandleMessage;
  manager.message[0] = '\0';
  manager.endedEarly = false;
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

// The fewest bytes of coded data that can hold every block of every component. Each component has to
// be coded in some scan, so the blocks of all components count.
std::uint64_t LeastCodedBytes(const jpeg_decompress_struct& info) {
  std::uint64_t blocks = 0;
  for (int c = 0; c < info.num_components; ++c) {
    blocks += static_cast<std::uint64_t>(info.comp_info[c].width_in_blocks) * info.comp_info[c].height_in_blocks;
  }
  const std::uint64_t blocksPerByte = 8 * (info.arith_code ? kBlocksPerBitArithmetic : kBlocksPerBitHuffman);
  return (blocks + blocksPerByte - 1) / blocksPerByte;
}

// Whether every component appeared in a scan (in a progressive file: received its DC values). A
// file can end with its end marker after the first of several scans; libjpeg then fills the
// components it never saw with grey, without a warning.
bool EveryComponentCoded(const jpeg_decompress_struct& info) {
  for (int c = 0; c < info.num_components; ++c) {
    if (info.comp_info[c].quant_table == nullptr) return false;  // set when the component's first scan starts
    if (info.progressive_mode && info.coef_bits[c][0] < 0) return false;
  }
  return true;
}

// Runs the libjpeg calls, up to the header checks when `headerOnly`. A fatal libjpeg error jumps
// back to the setjmp below; this function keeps no objects with destructors of its own, so the jump
// skips none.
bool RunJpegDecode(JpegDecoder& decoder, std::span<const std::uint8_t> bytes, const std::string& name,
                   bool headerOnly, Bitmap24& picture, Status& sizeStatus) {
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
  // jpeg_read_header stops at the first scan's data: what is left of the file bounds the coded data.
  sizeStatus = CheckFileHolds(info.image_width, info.image_height, LeastCodedBytes(info), info.src->bytes_in_buffer,
                              name);
  if (!sizeStatus) return false;
  if (headerOnly) return true;

  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  // A file of several scans is read whole here, before any row is produced.
  jpeg_start_decompress(&info);
  if (!EveryComponentCoded(info)) {
    sizeStatus = FileEndsBeforePicture(name);
    return false;
  }
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

// The reason a decode stopped: a check of ours, the data running out, or libjpeg's own message.
Status JpegFailure(const JpegDecoder& decoder, const std::string& name, const Status& checkStatus) {
  if (!checkStatus) return checkStatus;
  if (decoder.error.endedEarly) return FileEndsBeforePicture(name);
  return Status::Error(name + ": the JPEG data cannot be read: " + decoder.error.message);
}

}  // namespace

Status ProbeJpeg(std::span<const std::uint8_t> bytes, const std::string& name, PictureSize& size) {
  JpegDecoder decoder;
  Bitmap24 none;
  Status sizeStatus = Status::Ok();
  if (!RunJpegDecode(decoder, bytes, name, true, none, sizeStatus)) return JpegFailure(decoder, name, sizeStatus);
  size = {static_cast<int>(decoder.info.image_width), static_cast<int>(decoder.info.image_height)};
  return Status::Ok();
}

Status DecodeJpeg(std::span<const std::uint8_t> bytes, const std::string& name, Bitmap24& picture) {
  JpegDecoder decoder;
  Bitmap24 decoded;
  Status sizeStatus = Status::Ok();
  if (!RunJpegDecode(decoder, bytes, name, false, decoded, sizeStatus)) return JpegFailure(decoder, name, sizeStatus);
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
