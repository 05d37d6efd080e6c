// A checked little-endian reader over formula bytes: every read reports failure instead of
// running past the end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace zel::xls::formula {

class ByteCursor {
 public:
  explicit ByteCursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t offset() const { return pos_; }
  size_t remaining() const { return bytes_.size() - pos_; }
  bool atEnd() const { return pos_ >= bytes_.size(); }

  std::optional<uint8_t> u8() {
    if (remaining() < 1) return std::nullopt;
    return bytes_[pos_++];
  }
  std::optional<uint16_t> u16() {
    if (remaining() < 2) return std::nullopt;
    uint16_t v = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::optional<double> f64() {
    if (remaining() < 8) return std::nullopt;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes_[pos_ + static_cast<size_t>(i)];
    pos_ += 8;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  bool skip(size_t n) {
    if (remaining() < n) return false;
    pos_ += n;
    return true;
  }
  std::optional<std::span<const uint8_t>> take(size_t n) {
    if (remaining() < n) return std::nullopt;
    auto s = bytes_.subspan(pos_, n);
    pos_ += n;
    return s;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

}  // namespace zel::xls::formula
