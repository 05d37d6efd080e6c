// Decompression of compressed containers: literal and copy tokens, and damaged containers that
// must fail cleanly instead of reading or writing out of bounds. Raw chunks are read in the
// module-limit test of the built projects.
#include "support/vba_builder.h"
#include "xls/vba/ovba_decompress.h"
#include "xls/vba/vba_format_error.h"

#include <gtest/gtest.h>

using namespace zel::xls::vba;
using zel::test::compressVba;

namespace {
std::string text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }
std::vector<uint8_t> decode(const std::vector<uint8_t>& in, size_t limit = kMaxModuleSourceBytes) {
  return decompressContainer(in, limit);
}
}  // namespace

TEST(OvbaDecompress, CopyTokensRepeatEarlierOutput) {
  // "abc" as literals, then one copy token: offset 3, length 6 (4 offset bits after 3 bytes).
  std::vector<uint8_t> in = {0x01, 0x05, 0xB0, 0x08, 'a', 'b', 'c', 0x03, 0x20};
  EXPECT_EQ(text(decode(in)), "abcabcabc");
  // An overlapping copy: "a" then offset 1 length 5 gives six a's.
  std::vector<uint8_t> run = {0x01, 0x03, 0xB0, 0x02, 'a', 0x02, 0x00};
  EXPECT_EQ(text(decode(run)), "aaaaaa");
}

TEST(OvbaDecompress, DamagedContainersFailWithAClearError) {
  auto fails = [](std::vector<uint8_t> in, size_t limit = kMaxModuleSourceBytes) {
    EXPECT_THROW(decompressContainer(in, limit), VbaFormatError);
  };
  fails({});                                   // empty
  fails({0x02, 0x05, 0xB0});                   // wrong signature byte
  fails({0x01, 0x05, 0x40, 0x00, 'a'});        // chunk signature bits not 3
  fails({0x01, 0x03, 0xB0, 0x01, 0x00, 0x00}); // copy token before any output
  fails({0x01, 0x04, 0xB0, 0x02, 'a', 0x00, 0x10});  // copy offset 2 after one byte
  fails(compressVba(std::string(100, 'x')), 99);     // past the limit
  // A chunk that would produce more than 4096 bytes: one literal then 8 long copies.
  std::vector<uint8_t> longChunk = {0x01, 0x00, 0xB0, 0xFE, 'z'};
  for (int i = 0; i < 7; ++i) {
    longChunk.push_back(0xFF);
    longChunk.push_back(0x0F);
  }
  uint16_t header = static_cast<uint16_t>(0xB000 | (longChunk.size() - 1 - 3));
  longChunk[1] = static_cast<uint8_t>(header & 0xFF);
  longChunk[2] = static_cast<uint8_t>(header >> 8);
  fails(longChunk);
}

TEST(OvbaDecompress, DataCutShortKeepsWhatItHolds) {
  auto whole = compressVba("Sub Main()\r\nEnd Sub\r\n");
  std::vector<uint8_t> cut(whole.begin(), whole.end() - 5);
  std::string got = text(decode(cut));
  EXPECT_EQ(got, std::string("Sub Main()\r\nEnd Sub\r\n").substr(0, got.size()));
  EXPECT_LT(got.size(), 21u);
  // A lone byte after the last chunk is no chunk header: ignored.
  whole.push_back(0x42);
  EXPECT_EQ(text(decode(whole)), "Sub Main()\r\nEnd Sub\r\n");
}
