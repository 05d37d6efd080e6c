// Record splitting and CONTINUE gathering for BIFF8 streams.
#include "xls/biff_record.h"

#include <algorithm>

#include "xls/huge_pages.h"

namespace zel::xls {

namespace {
constexpr size_t kHeaderBytes = 4;
}

RecordReader::RecordReader(std::span<const uint8_t> stream, size_t start)
    : cur_(stream.subspan(std::min(start, stream.size())), start), start_(start) {}

bool RecordReader::next(Record& out) {
  if (truncated_ || cur_.remaining() < kHeaderBytes) return false;
  const size_t at = start_ + cur_.position();
  const uint16_t id = cur_.u16();
  const size_t length = cur_.u16();
  if (length > kMaxRecordBytes || length > cur_.remaining()) {
    truncated_ = true;
    return false;
  }
  out = Record{id, at, cur_.bytes(length)};
  return true;
}

RecordList splitRecords(std::span<const uint8_t> stream) {
  RecordList out;
  out.records.reserve(stream.size() / 16 + 1);
  adviseHugePages(out.records);
  RecordReader reader(stream);
  Record r;
  while (reader.next(r)) out.records.push_back(r);
  out.truncated = reader.truncated();
  return out;
}

std::vector<std::span<const uint8_t>> withContinues(const std::vector<Record>& records, size_t i, size_t* next) {
  std::vector<std::span<const uint8_t>> segments;
  size_t total = 0;
  if (i < records.size()) {
    segments.push_back(records[i].data);
    total = records[i].data.size();
  }
  size_t j = i + 1;
  while (j < records.size() && records[j].id == rec::Continue && total + records[j].data.size() <= kMaxContinuedBytes) {
    segments.push_back(records[j].data);
    total += records[j].data.size();
    ++j;
  }
  if (next) *next = j;
  return segments;
}

std::string recordIdText(uint16_t id) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(id >> shift) & 0xF];
  return out;
}

}  // namespace zel::xls
