// String forms of BIFF8 records, single-record and CONTINUE-spanning.
#include "xls/biff_string.h"

#include <algorithm>

#include "core/vbstring.h"

namespace zel::xls {

std::string readCharacters(ByteCursor& cur, size_t count, bool wide) {
  std::u16string units;
  units.reserve(count);
  ByteCursor chars(cur.bytes(wide ? count * 2 : count));
  for (size_t i = 0; i < count; ++i) units.push_back(static_cast<char16_t>(wide ? chars.u16() : chars.u8()));
  return toU8(units);
}

std::string readUnicodeStringNoCch(ByteCursor& cur, size_t count) {
  uint8_t flags = cur.u8();
  return readCharacters(cur, count, flags & 0x01);
}

std::string readShortUnicodeString(ByteCursor& cur) {
  size_t count = cur.u8();
  return readUnicodeStringNoCch(cur, count);
}

std::string readUnicodeString(ByteCursor& cur) {
  size_t count = cur.u16();
  return readUnicodeStringNoCch(cur, count);
}

ContinuedReader::ContinuedReader(std::vector<std::span<const uint8_t>> segments) : segments_(std::move(segments)) {}

bool ContinuedReader::atEnd() {
  while (seg_ < segments_.size() && pos_ >= segments_[seg_].size()) nextSegment();
  return seg_ >= segments_.size();
}

void ContinuedReader::nextSegment() {
  consumed_ += segments_[seg_].size();
  ++seg_;
  pos_ = 0;
}

uint8_t ContinuedReader::u8() {
  if (atEnd()) throw RecordError("continued record too short", consumed_ + pos_);
  return segments_[seg_][pos_++];
}

uint16_t ContinuedReader::u16() {
  uint16_t lo = u8();
  return static_cast<uint16_t>(lo | (u8() << 8));
}

uint32_t ContinuedReader::u32() {
  uint32_t lo = u16();
  return lo | (static_cast<uint32_t>(u16()) << 16);
}

void ContinuedReader::skip(size_t n) {
  while (n > 0) {
    if (atEnd()) throw RecordError("continued record too short", consumed_ + pos_);
    size_t step = std::min(n, segments_[seg_].size() - pos_);
    pos_ += step;
    n -= step;
  }
}

std::string ContinuedReader::characters(size_t count) {
  bool wide = u8() & 0x01;
  return charactersWithWidth(count, wide);
}

// Reads count characters; whenever a record ends inside them, the next record opens with
// a flag byte giving the width of the characters that follow.
std::string ContinuedReader::charactersWithWidth(size_t count, bool wide) {
  std::u16string units;
  units.reserve(std::min<size_t>(count, 1u << 16));
  while (units.size() < count) {
    if (seg_ >= segments_.size()) throw RecordError("string runs past its record", consumed_);
    if (pos_ >= segments_[seg_].size()) {
      nextSegment();
      if (seg_ >= segments_.size() || segments_[seg_].empty())
        throw RecordError("string runs past its record", consumed_);
      wide = segments_[seg_][pos_++] & 0x01;
      continue;
    }
    const size_t width = wide ? 2 : 1;
    if (pos_ + width > segments_[seg_].size()) throw RecordError("split character", consumed_ + pos_);
    ByteCursor unit(segments_[seg_].subspan(pos_, width));
    units.push_back(static_cast<char16_t>(wide ? unit.u16() : unit.u8()));
    pos_ += width;
  }
  return toU8(units);
}

std::string ContinuedReader::richExtendedString() {
  uint16_t count = u16();
  uint8_t flags = u8();
  size_t runs = (flags & 0x08) ? u16() : 0;
  size_t phonetic = (flags & 0x04) ? u32() : 0;
  std::string text = charactersWithWidth(count, flags & 0x01);
  skip(runs * 4);
  skip(phonetic);
  return text;
}

}  // namespace zel::xls
