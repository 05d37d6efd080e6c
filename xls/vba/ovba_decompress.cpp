// Compressed container decoding. Each chunk header gives the chunk's byte size, a fixed
// signature and whether the chunk is compressed; a copy token's split between offset and
// length bits depends on how much of the chunk has been produced so far.
#include "xls/vba/ovba_decompress.h"

#include "xls/byte_cursor.h"
#include "xls/vba/vba_format_error.h"

#include <algorithm>
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

// One compressed chunk (its bytes start at `base` in the container): flag bytes, each
// followed by up to eight tokens (bit set = copy).
void decodeTokens(std::span<const uint8_t> chunk, size_t base, ChunkWriter& w) {
  ByteCursor cur(chunk);
  while (!cur.atEnd()) {
    const uint8_t flags = cur.u8();
    for (int bit = 0; bit < 8 && !cur.atEnd(); ++bit) {
      const size_t where = base + cur.position();
      if (((flags >> bit) & 1) == 0) {
        w.literal(cur.u8(), where);
      } else {
        if (cur.remaining() < 2) return;  // a token cut by the end of the data: keep what was produced
        w.copy(cur.u16(), where);
      }
    }
  }
}

}  // namespace

std::vector<uint8_t> decompressContainer(std::span<const uint8_t> in, size_t maxOutput) {
  if (in.empty() || in[0] != kContainerSignature)
    throw VbaFormatError("compressed container does not start with its signature byte");
  std::vector<uint8_t> out;
  ByteCursor cur(in);
  cur.skip(1);
  while (cur.remaining() >= kChunkHeaderBytes) {
    const size_t chunkStart = cur.position();
    const uint16_t header = cur.u16();
    if (((header >> 12) & 0x7) != kChunkSignature) throw VbaFormatError("bad chunk header" + at(chunkStart));
    ChunkWriter writer(out, maxOutput);
    if ((header & 0x8000u) == 0) {
      // A raw chunk: 4096 bytes as they stand (fewer when the data ends early).
      const size_t first = cur.position();
      const auto raw = cur.bytes(std::min(kChunkBytes, cur.remaining()));
      for (size_t i = 0; i < raw.size(); ++i) writer.literal(raw[i], first + i);
    } else {
      const size_t size = std::min<size_t>(cur.remaining(), (header & 0x0FFFu) + 3 - kChunkHeaderBytes);
      const size_t first = cur.position();
      decodeTokens(cur.bytes(size), first, writer);
    }
  }
  return out;
}

}  // namespace zel::xls::vba
