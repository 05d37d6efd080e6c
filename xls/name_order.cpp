// Excel's name order: a weight per character, compared left to right; a shorter name that is
// the start of a longer one comes first.
#include "xls/name_order.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include <unicode/uchar.h>

#include "core/vbstring.h"

namespace zel::xls {
namespace {

// ASCII symbols in Excel's sort order; all of them come before the digits.
constexpr std::u16string_view kSymbols = u" !\"#$%&'()*,-./:;?@[\\]^_`{|}~+<=>";

uint32_t weight(char16_t c) {
  if (c < 0x80) {
    if (size_t p = kSymbols.find(c); p != std::u16string_view::npos) return 0x100 + static_cast<uint32_t>(p);
    if (c >= u'0' && c <= u'9') return 0x200 + (c - u'0');
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
    if (c >= u'A' && c <= u'Z') return 0x300 + (c - u'A');
    return c;  // control characters
  }
  // Other scripts after the Latin letters, by code unit with case ignored.
  return 0x10000 + static_cast<uint32_t>(u_toupper(c));
}

}  // namespace

bool nameOrderLess(std::string_view a, std::string_view b) {
  const std::u16string x = toU16(a), y = toU16(b);
  return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                      [](char16_t p, char16_t q) { return weight(p) < weight(q); });
}

}  // namespace zel::xls
