// Record splitting and CONTINUE gathering for BIFF8 streams.
#include "xls/biff_record.h"

#include <algorithm>


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
  RecordReader reader(stream);
  Record r;
  while (reader.next(r)) out.records.push_back(r);
  out.truncated = reader.truncated();
  return out;
}

std::vector<std::span<const uint8_t>> withContinues(const Record& first, RecordReader& after, bool consume) {
  std::vector<std::span<const uint8_t>> segments{first.data};
  size_t total = first.data.size();
  RecordReader chain = after;
  for (;;) {
    RecordReader probe = chain;  // a damaged header ends the chain; the walk reports it later
    Record r;
    if (!probe.next(r) || r.id != rec::Continue || total + r.data.size() > kMaxContinuedBytes) break;
    segments.push_back(r.data);
    total += r.data.size();
    chain = probe;
  }
  if (consume) after = chain;
  return segments;
}

std::string recordIdText(uint16_t id) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(id >> shift) & 0xF];
  return out;
}

}  // namespace zel::xls
