// VB-style string functions over UTF-16 units, and code-page decoding through ICU.
#include "core/vbstring.h"

#include <unicode/ucnv.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <memory>
#include <vector>

namespace zel {

std::u16string toU16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  int32_t i = 0;
  const auto n = static_cast<int32_t>(s.size());
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  while (i < n) {
    UChar32 c;
    U8_NEXT(p, i, n, c);
    if (c < 0) c = 0xFFFD;
    if (c <= 0xFFFF) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(c)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
  }
  return out;
}

std::string toU8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size() * 3 / 2);
  int32_t i = 0;
  const auto n = static_cast<int32_t>(s.size());
  while (i < n) {
    UChar32 c;
    U16_NEXT(s.data(), i, n, c);
    if (U_IS_SURROGATE(c)) c = 0xFFFD;
    uint8_t buf[4];
    int32_t k = 0;
    UBool err = false;
    U8_APPEND(buf, k, 4, c, err);
    (void)err;
    out.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(k));
  }
  return out;
}

bool isValidUtf8(std::string_view s) {
  int32_t i = 0;
  const auto n = static_cast<int32_t>(s.size());
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  while (i < n) {
    UChar32 c;
    U8_NEXT(p, i, n, c);
    if (c < 0) return false;
  }
  return true;
}

namespace {
struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

const char* icuNameFor(int codePage) {
  switch (codePage) {
    case 932: return "windows-31j";
    case 936: return "windows-936";
    case 949: return "windows-949";
    case 950: return "windows-950";
    case 1200: return "UTF-16LE";
    case 10000: return "macintosh";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case 65001: return "UTF-8";
    default: return nullptr;
  }
}


std::string converterName(int codePage) {
  if (const char* known = icuNameFor(codePage)) return known;
  if (codePage >= 1250 && codePage <= 1258) return "windows-" + std::to_string(codePage);
  if (codePage > 0) return "cp" + std::to_string(codePage);
  return "windows-1252";
}
}  // namespace

bool canDecodeCodePage(int codePage) {
  if (codePage <= 0) return false;
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr conv(ucnv_open(converterName(codePage).c_str(), &status));
  return U_SUCCESS(status) && conv;
}

std::string decodeCodePage(std::string_view bytes, int codePage) {
  if (codePage == 65001) return toU8(toU16(bytes));
  const std::string name = converterName(codePage);
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr conv(ucnv_open(name.c_str(), &status));
  if (U_FAILURE(status) || !conv) {
    status = U_ZERO_ERROR;
    conv.reset(ucnv_open("windows-1252", &status));
    if (U_FAILURE(status) || !conv) return std::string(bytes);
  }
  std::u16string out(bytes.size() * 2 + 4, u'\0');
  status = U_ZERO_ERROR;
  int32_t len = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(out.data()),
                              static_cast<int32_t>(out.size()), bytes.data(),
                              static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return toU8(toU16(bytes));
  out.resize(static_cast<size_t>(len));
  return toU8(out);
}

std::string decodeWindowsText(std::string_view bytes) {
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (isValidUtf8(bytes)) return std::string(bytes);
  return decodeCodePage(bytes, 932);
}

namespace vb {

long len(std::u16string_view s) { return static_cast<long>(s.size()); }

// Keep a cut from ending between the halves of a surrogate pair.
static size_t safeEnd(std::u16string_view s, size_t end) {
  if (end > 0 && end < s.size() && U16_IS_LEAD(s[end - 1]) && U16_IS_TRAIL(s[end])) return end - 1;
  return end;
}

std::u16string left(std::u16string_view s, long n) {
  if (n <= 0) return {};
  size_t end = std::min(s.size(), static_cast<size_t>(n));
  return std::u16string(s.substr(0, safeEnd(s, end)));
}

std::u16string right(std::u16string_view s, long n) {
  if (n <= 0) return {};
  if (static_cast<size_t>(n) >= s.size()) return std::u16string(s);
  size_t start = s.size() - static_cast<size_t>(n);
  if (start > 0 && U16_IS_TRAIL(s[start]) && U16_IS_LEAD(s[start - 1])) ++start;
  return std::u16string(s.substr(start));
}

std::u16string mid(std::u16string_view s, long start, long n) {
  if (start < 1) start = 1;
  size_t b = static_cast<size_t>(start - 1);
  if (b >= s.size()) return {};
  if (b > 0 && U16_IS_TRAIL(s[b]) && U16_IS_LEAD(s[b - 1])) ++b;
  if (b >= s.size()) return {};
  size_t e = (n < 0) ? s.size() : std::min(s.size(), static_cast<size_t>(start - 1) + static_cast<size_t>(n));
  if (e <= b) return {};
  return std::u16string(s.substr(b, safeEnd(s, e) - b));
}

long inStr(std::u16string_view s, std::u16string_view find, long start) {
  if (start < 1) start = 1;
  if (static_cast<size_t>(start - 1) > s.size()) return 0;
  if (find.empty()) return start;
  auto pos = s.find(find, static_cast<size_t>(start - 1));
  return pos == std::u16string_view::npos ? 0 : static_cast<long>(pos) + 1;
}

long inStrRev(std::u16string_view s, std::u16string_view find) {
  if (find.empty()) return static_cast<long>(s.size());
  auto pos = s.rfind(find);
  return pos == std::u16string_view::npos ? 0 : static_cast<long>(pos) + 1;
}

std::u16string ucase(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    else if (c >= 0xFF41 && c <= 0xFF5A) c = static_cast<char16_t>(c - 0x20);  // ａ-ｚ
  }
  return out;
}

std::u16string lcase(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    else if (c >= 0xFF21 && c <= 0xFF3A) c = static_cast<char16_t>(c + 0x20);
  }
  return out;
}

std::u16string ltrim(std::u16string_view s) {
  size_t b = 0;
  while (b < s.size() && s[b] == u' ') ++b;
  return std::u16string(s.substr(b));
}

std::u16string rtrim(std::u16string_view s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == u' ') --e;
  return std::u16string(s.substr(0, e));
}

std::u16string trim(std::u16string_view s) { return rtrim(ltrim(s)); }

long len(std::string_view s) { return len(toU16(s)); }
std::string left(std::string_view s, long n) { return toU8(left(toU16(s), n)); }
std::string mid(std::string_view s, long start, long n) { return toU8(mid(toU16(s), start, n)); }
std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}
std::string rtrim(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return std::string(s.substr(0, e));
}
std::string ucase(std::string_view s) { return toU8(ucase(toU16(s))); }

}  // namespace vb

std::string asciiLower(std::string_view s) {
  std::string out(s);
  for (auto& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string cutText(std::string_view s, long n, bool trimRight) {
  // Fast path: pure ASCII short enough needs no conversion.
  bool ascii = true;
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
  }
  std::string out;
  if (ascii) {
    out.assign(s.substr(0, n < 0 ? 0 : std::min(s.size(), static_cast<size_t>(n))));
  } else {
    out = toU8(vb::left(toU16(s), n));
  }
  return trimRight ? vb::rtrim(out) : out;
}

}  // namespace zel
