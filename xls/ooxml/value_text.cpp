// Cell values written as text in a package: error literals and ISO 8601 dates.
#include "xls/ooxml/part_readers.h"

#include <charconv>
#include <cmath>

namespace zel::xls::ooxml {
namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool digits(std::string_view s, size_t at, size_t n, int& out) {
  if (at + n > s.size()) return false;
  auto [p, ec] = std::from_chars(s.data() + at, s.data() + at + n, out);
  return ec == std::errc() && p == s.data() + at + n;
}

}  // namespace

uint8_t errorCodeOf(std::string_view text) {
  if (text == "#NULL!") return 0x00;
  if (text == "#DIV/0!") return 0x07;
  if (text == "#VALUE!") return 0x0F;
  if (text == "#REF!") return 0x17;
  if (text == "#NAME?") return 0x1D;
  if (text == "#NUM!") return 0x24;
  return 0x2A;
}

std::optional<double> isoDateSerial(std::string_view s) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
  if (!digits(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !digits(s, 5, 2, mo) || s[7] != '-' || !digits(s, 8, 2, d))
    return std::nullopt;
  if (mo < 1 || mo > 12 || d < 1 || d > 31) return std::nullopt;
  if (s.size() >= 19 && s[10] == 'T') {
    if (!digits(s, 11, 2, h) || !digits(s, 14, 2, mi) || !digits(s, 17, 2, sec)) return std::nullopt;
  }
  // Serial day 0 is 1899-12-30.
  int64_t days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - daysFromCivil(1899, 12, 30);
  return static_cast<double>(days) + (h * 3600 + mi * 60 + sec) / 86400.0;
}

std::optional<double> isoLocalDateSerial(std::string_view s) {
  auto serial = isoDateSerial(s);
  if (!serial || s.size() < 19) return serial;
  size_t at = 19;
  if (at < s.size() && s[at] == '.')
    for (++at; at < s.size() && s[at] >= '0' && s[at] <= '9';) ++at;
  int offsetMinutes = 0;
  if (at < s.size() && s[at] == 'Z') {
    offsetMinutes = 0;
  } else if (int zh = 0, zm = 0; at < s.size() && (s[at] == '+' || s[at] == '-') && digits(s, at + 1, 2, zh) &&
                                 at + 3 < s.size() && s[at + 3] == ':' && digits(s, at + 4, 2, zm)) {
    offsetMinutes = (s[at] == '-' ? -1 : 1) * (zh * 60 + zm);
  } else {
    return serial;  // no zone: the time as stored
  }
  const auto utcSeconds = static_cast<int64_t>(std::llround((*serial - 25569.0) * 86400.0)) - int64_t{offsetMinutes} * 60;
  return localDateSerial(utcSeconds);
}

}  // namespace zel::xls::ooxml
