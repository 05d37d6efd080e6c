// Record splitting and CONTINUE gathering for BIFF8 streams.
#include "xls/biff_record.h"

namespace zel::xls {

RecordList splitRecords(std::span<const uint8_t> stream) {
  RecordList out;
  out.records.reserve(stream.size() / 16 + 1);
  size_t pos = 0;
  while (pos + 4 <= stream.size()) {
    uint16_t id = static_cast<uint16_t>(stream[pos] | (stream[pos + 1] << 8));
    size_t len = static_cast<size_t>(stream[pos + 2] | (stream[pos + 3] << 8));
    if (len > kMaxRecordBytes || pos + 4 + len > stream.size()) {
      out.truncated = true;
      return out;
    }
    out.records.push_back(Record{id, pos, stream.subspan(pos + 4, len)});
    pos += 4 + len;
  }
  // Trailing bytes shorter than a header are padding left by some writers (sector slack).
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
