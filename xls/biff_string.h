// BIFF8 string decoding: the plain string forms inside one record, and a reader over a
// record split by CONTINUE records, where a string's characters may cross a record boundary
// and each new record then starts with its own compression flag byte.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "xls/byte_cursor.h"

namespace zel::xls {

// Characters after the flag byte: 8-bit (high bytes dropped) or UTF-16LE. Returns UTF-8.
std::string readCharacters(ByteCursor& cur, size_t count, bool wide);
// ShortXLUnicodeString: count (u8), flags, characters.
std::string readShortUnicodeString(ByteCursor& cur);
// XLUnicodeString: count (u16), flags, characters.
std::string readUnicodeString(ByteCursor& cur);
// XLUnicodeStringNoCch: flags, characters (the count came earlier in the record).
std::string readUnicodeStringNoCch(ByteCursor& cur, size_t count);

// Reads across the segments of a record and its CONTINUE records.
class ContinuedReader {
 public:
  explicit ContinuedReader(std::vector<std::span<const uint8_t>> segments);

  bool atEnd();
  uint8_t u8();
  uint16_t u16();
  uint32_t u32();
  void skip(size_t n);
  // XLUnicodeRichExtendedString (SST entries): rich-text runs and phonetic data skipped.
  std::string richExtendedString();
  // `count` characters preceded by a flag byte; a new flag byte at every segment boundary.
  std::string characters(size_t count);

 private:
  void nextSegment();
  std::string charactersWithWidth(size_t count, bool wide);
  std::vector<std::span<const uint8_t>> segments_;
  size_t seg_ = 0;
  size_t pos_ = 0;
  size_t consumed_ = 0;  // bytes of earlier segments, for error offsets
};

}  // namespace zel::xls
