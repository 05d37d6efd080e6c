// The one little-endian reader of the workbook reader: a small checked cursor over a byte span.
// Every read checks the remaining length and throws RecordError (carrying the offset) instead
// of running past the end; decoders catch it where a damaged part is to be skipped.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace zel::xls {

class RecordError : public std::runtime_error {
 public:
  RecordError(const std::string& what, size_t offset)
      : std::runtime_error(what + " at offset " + std::to_string(offset)), offset_(offset) {}
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

class ByteCursor {
 public:
  explicit ByteCursor(std::span<const uint8_t> bytes, size_t baseOffset = 0) : bytes_(bytes), base_(baseOffset) {}

  size_t position() const { return pos_; }
  size_t remaining() const { return bytes_.size() - pos_; }
  bool atEnd() const { return pos_ >= bytes_.size(); }
  std::span<const uint8_t> rest() const { return bytes_.subspan(pos_); }

  uint8_t u8() {
    need(1);
    return bytes_[pos_++];
  }
  uint16_t u16() {
    need(2);
    uint16_t v = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  uint32_t u32() {
    need(4);
    uint32_t v = 0;
    for (size_t i = 4; i-- > 0;) v = (v << 8) | bytes_[pos_ + i];
    pos_ += 4;
    return v;
  }
  double f64() {
    need(8);
    uint64_t bits = 0;
    for (size_t i = 8; i-- > 0;) bits = (bits << 8) | bytes_[pos_ + i];
    pos_ += 8;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  std::span<const uint8_t> bytes(size_t n) {
    need(n);
    auto s = bytes_.subspan(pos_, n);
    pos_ += n;
    return s;
  }
  void skip(size_t n) {
    need(n);
    pos_ += n;
  }
  [[noreturn]] void fail(const std::string& what) const { throw RecordError(what, base_ + pos_); }

 private:
  void need(size_t n) const {
    if (n > remaining()) fail("record too short");
  }
  std::span<const uint8_t> bytes_;
  size_t base_;
  size_t pos_ = 0;
};

}  // namespace zel::xls
