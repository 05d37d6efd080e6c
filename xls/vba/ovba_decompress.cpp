// Compressed container decoding. Each chunk header gives the chunk's byte size, a fixed
// signature and whether the chunk is compressed; a copy token's split between offset and
// length bits depends on how much of the chunk has been produced so far.
#include "xls/vba/ovba_decompress.h"

#include "xls/vba/vba_format_error.h"

#include <string>

namespace zel::xls::vba {
namespace {

constexpr uint8_t kContainerSignature = 0x01;
constexpr unsigned kChunkSignature = 0x3;  // bits 12..14 of every chunk header
constexpr size_t kChunkHeaderBytes = 2;

std::string at(size_t offset) { return " at byte " + std::to_string(offset); }

// Bits used for the offset of a copy token after `produced` bytes of the chunk (4 to 12).
unsigned offsetBits(size_t produced) {
  unsigned bits = 4;
  while ((size_t{1} << bits) < produced) ++bits;
  return bits;
}

class ChunkWriter {
 public:
  ChunkWriter(std::vector<uint8_t>& out, size_t maxOutput) : out_(out), start_(out.size()), max_(maxOutput) {}
  size_t produced() const { return out_.size() - start_; }

  void literal(uint8_t b, size_t where) {
    room(1, where);
    out_.push_back(b);
  }
  void copy(uint16_t token, size_t where) {
    size_t done = produced();
    if (done == 0) throw VbaFormatError("copy token at the start of a chunk" + at(where));
    unsigned bits = offsetBits(done);
    uint16_t lengthMask = static_cast<uint16_t>(0xFFFFu >> bits);
    size_t length = static_cast<size_t>(token & lengthMask) + 3;
    size_t offset = static_cast<size_t>(token >> (16 - bits)) + 1;
    if (offset > done) throw VbaFormatError("copy token reaches before its chunk" + at(where));
    room(length, where);
    size_t from = out_.size() - offset;
    for (size_t i = 0; i < length; ++i) out_.push_back(out_[from + i]);  // may overlap itself
  }

 private:
  void room(size_t n, size_t where) {
    if (produced() + n > kChunkBytes) throw VbaFormatError("chunk decompresses past 4096 bytes" + at(where));
    if (out_.size() + n > max_) throw VbaFormatError("decompressed data exceeds its limit" + at(where));
  }
  std::vector<uint8_t>& out_;
  size_t start_;
  size_t max_;
};

// One compressed chunk: flag bytes, each followed by up to eight tokens (bit set = copy).
void decodeTokens(std::span<const uint8_t> in, size_t pos, size_t end, ChunkWriter& w) {
  while (pos < end) {
    uint8_t flags = in[pos++];
    for (int bit = 0; bit < 8 && pos < end; ++bit) {
      if (((flags >> bit) & 1) == 0) {
        w.literal(in[pos], pos);
        ++pos;
      } else {
        if (end - pos < 2) return;  // a token cut by the end of the data: keep what was produced
        uint16_t token = static_cast<uint16_t>(in[pos] | (in[pos + 1] << 8));
        w.copy(token, pos);
        pos += 2;
      }
    }
  }
}

}  // namespace

std::vector<uint8_t> decompressContainer(std::span<const uint8_t> in, size_t maxOutput) {
  if (in.empty() || in[0] != kContainerSignature)
    throw VbaFormatError("compressed container does not start with its signature byte");
  std::vector<uint8_t> out;
  size_t pos = 1;
  while (in.size() - pos >= kChunkHeaderBytes) {
    size_t chunkStart = pos;
    uint16_t header = static_cast<uint16_t>(in[pos] | (in[pos + 1] << 8));
    pos += kChunkHeaderBytes;
    if (((header >> 12) & 0x7) != kChunkSignature) throw VbaFormatError("bad chunk header" + at(chunkStart));
    size_t chunkEnd = std::min(in.size(), chunkStart + (header & 0x0FFFu) + 3);
    ChunkWriter writer(out, maxOutput);
    if ((header & 0x8000u) == 0) {
      // A raw chunk: 4096 bytes as they stand (fewer when the data ends early).
      size_t n = std::min(kChunkBytes, in.size() - pos);
      for (size_t i = 0; i < n; ++i) writer.literal(in[pos + i], pos + i);
      pos += n;
    } else {
      decodeTokens(in, pos, chunkEnd, writer);
      pos = chunkEnd;
    }
  }
  return out;
}

}  // namespace zel::xls::vba
