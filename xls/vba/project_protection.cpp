// Project data obfuscation: every byte after the first three is XORed with the sum of the
// next-to-last obfuscated byte and the last plain byte, starting from the project key.
#include "xls/vba/project_protection.h"

namespace zel::xls::vba {
namespace {

constexpr uint8_t kObfuscationVersion = 2;
// Longest data accepted (a password hash record is 29 bytes; the states are 1 and 4).
constexpr uint32_t kMaxProjectDataBytes = 1024;

std::optional<std::vector<uint8_t>> fromHex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::vector<uint8_t> out;
  out.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    int hi = nibble(text[i]), lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<uint8_t>(hi * 16 + lo));
  }
  return out;
}

class Deobfuscator {
 public:
  Deobfuscator(uint8_t projKey, uint8_t projKeyEnc, uint8_t versionEnc)
      : plain1_(projKey), enc1_(projKeyEnc), enc2_(versionEnc) {}
  uint8_t next(uint8_t enc) {
    uint8_t plain = static_cast<uint8_t>(enc ^ static_cast<uint8_t>(enc2_ + plain1_));
    enc2_ = enc1_;
    enc1_ = enc;
    plain1_ = plain;
    return plain;
  }

 private:
  uint8_t plain1_, enc1_, enc2_;
};

}  // namespace

std::optional<std::vector<uint8_t>> decodeProjectData(std::string_view hexText) {
  auto bytes = fromHex(hexText);
  if (!bytes || bytes->size() < 3) return std::nullopt;
  const auto& b = *bytes;
  uint8_t seed = b[0];
  if ((seed ^ b[1]) != kObfuscationVersion) return std::nullopt;
  Deobfuscator d(static_cast<uint8_t>(seed ^ b[2]), b[2], b[1]);
  size_t pos = 3;
  size_t ignored = (seed & 6u) / 2;
  if (b.size() < pos + ignored + 4) return std::nullopt;
  for (size_t i = 0; i < ignored; ++i) d.next(b[pos++]);
  uint32_t length = 0;
  for (int i = 0; i < 4; ++i) length |= static_cast<uint32_t>(d.next(b[pos++])) << (8 * i);
  if (length > kMaxProjectDataBytes || b.size() - pos < length) return std::nullopt;
  std::vector<uint8_t> data;
  data.reserve(length);
  for (uint32_t i = 0; i < length; ++i) data.push_back(d.next(b[pos++]));
  return data;
}

}  // namespace zel::xls::vba
