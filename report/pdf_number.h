// Numbers as PDF content writes them: fixed point, a given number of decimals at most,
// trailing zeros dropped, never an exponent. Formatting goes through integers, which is
// many times faster than printf and the same on every locale. Also the hex digits of PDF
// hex strings: bytes, and characters as UTF-16BE.
#pragma once
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace zel::report::pdf {

// Appends v rounded to `decimals` (0..6) places. Values beyond ±1e12 are clamped: nothing a
// page draws is that large, and a PDF reader would refuse it.
inline void appendNumber(std::string& out, double v, int decimals = 3) {
  static constexpr int64_t kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
  if (!std::isfinite(v)) v = 0;
  v = std::clamp(v, -1e12, 1e12);
  const int64_t scale = kScale[std::clamp(decimals, 0, 6)];
  int64_t n = std::llround(v * static_cast<double>(scale));
  if (n < 0) {
    out.push_back('-');
    n = -n;
  }
  char buf[24];
  const int64_t whole = n / scale;
  int64_t frac = n % scale;
  char* end = std::to_chars(buf, buf + sizeof buf, whole).ptr;
  if (frac != 0) {
    int digits = decimals;
    while (frac % 10 == 0) {
      frac /= 10;
      --digits;
    }
    *end++ = '.';
    char* fracEnd = end + digits;
    for (char* p = fracEnd; p > end; frac /= 10) *--p = static_cast<char>('0' + frac % 10);
    end = fracEnd;
  }
  out.append(buf, end);
}

// Appends "s 0 0 -s 0 top": a matrix of s points per unit with y running down from `top`
// points (a page's or pattern's space measured from the page's top-left corner).
inline void appendDownwardMatrix(std::string& out, double s, double top) {
  appendNumber(out, s, 6);
  out += " 0 0 ";
  appendNumber(out, -s, 6);
  out += " 0 ";
  appendNumber(out, top, 4);
}

// Appends a byte as two hex digits.
inline void appendHexByte(std::string& out, uint8_t b) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.push_back(kHex[b >> 4]);
  out.push_back(kHex[b & 0xF]);
}

// Appends one character as UTF-16BE hex digits (a surrogate pair above U+FFFF); what cannot
// be a character becomes U+FFFD.
inline void appendUtf16Hex(std::string& out, char32_t c) {
  auto unit = [&](uint32_t u) {
    appendHexByte(out, static_cast<uint8_t>(u >> 8));
    appendHexByte(out, static_cast<uint8_t>(u & 0xFF));
  };
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c >= 0x10000) {
    unit(0xD800 + ((c - 0x10000) >> 10));
    unit(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    unit(c);
  }
}

}  // namespace zel::report::pdf
