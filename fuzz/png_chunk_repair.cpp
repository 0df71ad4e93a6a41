// Mutations for the PNG target. libpng refuses a chunk whose checksum does not match, and the
// fuzzer cannot see inside libpng to learn the checksum, so nearly every mutation of a header
// field would only ever reach that refusal. After libFuzzer's own mutation, every whole chunk
// gets its checksum recomputed; the decoder then reads the mutated width, colour type or palette.
#include <zlib.h>

#include <cstddef>
#include <cstdint>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

constexpr std::size_t kSignatureBytes = 8;
constexpr std::size_t kLengthBytes = 4;
constexpr std::size_t kTypeBytes = 4;
constexpr std::size_t kChecksumBytes = 4;

std::uint32_t ReadBigEndian(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

void WriteBigEndian(std::uint32_t value, std::uint8_t* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Chunks are length, type, data, checksum over type and data; a chunk cut by the end of the
// file ends the walk.
void RepairChunkChecksums(std::uint8_t* data, std::size_t size) {
  std::size_t offset = kSignatureBytes;
  while (offset < size && size - offset >= kLengthBytes + kTypeBytes + kChecksumBytes) {
    const std::size_t length = ReadBigEndian(data + offset);
    if (length > size - offset - kLengthBytes - kTypeBytes - kChecksumBytes) return;
    std::uint8_t* typeAndData = data + offset + kLengthBytes;
    const uLong checksum = crc32(0L, typeAndData, static_cast<uInt>(kTypeBytes + length));
    WriteBigEndian(static_cast<std::uint32_t>(checksum), typeAndData + kTypeBytes + length);
    offset += kLengthBytes + kTypeBytes + length + kChecksumBytes;
  }
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  if (size > kSignatureBytes) RepairChunkChecksums(data, size);
  return size;
}
