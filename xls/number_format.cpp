// The number-format renderer: sections, digit placeholders, grouping, scaling, percent,
// exponents, dates and times (with elapsed time and Japanese era forms), literal text.
#include "xls/number_format.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <string>
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace zel::xls {
namespace {

enum class Tok { Literal, Zero, Hash, Question, Point, Comma, Percent, Exponent, Date, At, General };

struct Token {
  Tok kind;
  std::string text;  // literal text, or the date code ("yyyy", "m", "M" = minute, "[h]", "AM/PM", ...)
};

// A section's own condition, as in "[<-25]" or "[>=100]".
struct Condition {
  std::string op;
  double value = 0;
  bool holds(double v) const {
    if (op == "<") return v < value;
    if (op == ">") return v > value;
    if (op == "=") return v == value;
    if (op == "<=") return v <= value;
    if (op == ">=") return v >= value;
    return v != value;  // "<>"
  }
};

struct Section {
  std::vector<Token> tokens;
  bool isDate = false;
  bool hasText = false;
  std::optional<Condition> condition;
};

std::optional<Condition> parseCondition(std::string_view inner) {
  size_t opLength = 0;
  while (opLength < inner.size() && opLength < 2 && (inner[opLength] == '<' || inner[opLength] == '>' || inner[opLength] == '='))
    ++opLength;
  Condition c{std::string(inner.substr(0, opLength)), 0};
  if (c.op != "<" && c.op != ">" && c.op != "=" && c.op != "<=" && c.op != ">=" && c.op != "<>") return std::nullopt;
  std::string_view number = inner.substr(opLength);
  while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), c.value);
  if (ec != std::errc() || end == number.data()) return std::nullopt;
  return c;
}

// Excel never shows more than this many digits; longer placeholder runs are capped.
constexpr int kMaxDecimals = 30;
constexpr double kMaxDateSerial = 2958466.0;  // 10000-01-01

bool startsWithNoCase(std::string_view s, size_t pos, std::string_view word) {
  if (pos + word.size() > s.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[pos + i])) != std::tolower(static_cast<unsigned char>(word[i]))) return false;
  return true;
}

std::vector<std::string> splitSections(std::string_view f) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (c == '"') {
      size_t end = f.find('"', i + 1);
      if (end == std::string_view::npos) end = f.size() - 1;
      out.back() += f.substr(i, end - i + 1);
      i = end;
    } else if (c == '\\' && i + 1 < f.size()) {
      out.back() += f.substr(i, 2);
      ++i;
    } else if (c == ';') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

void addLiteral(std::vector<Token>& t, std::string_view s) {
  if (!t.empty() && t.back().kind == Tok::Literal) t.back().text += s;
  else t.push_back({Tok::Literal, std::string(s)});
}

Section tokenize(std::string_view f) {
  Section sec;
  auto& t = sec.tokens;
  for (size_t i = 0; i < f.size();) {
    char c = f[i];
    char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '"') {
      size_t end = f.find('"', i + 1);
      if (end == std::string_view::npos) end = f.size();
      addLiteral(t, f.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '\\') {
      if (i + 1 < f.size()) {
        size_t n = 1;
        // keep a whole UTF-8 character together
        while (i + 1 + n < f.size() && (static_cast<unsigned char>(f[i + 1 + n]) & 0xC0) == 0x80) ++n;
        addLiteral(t, f.substr(i + 1, n));
        i += 1 + n;
      } else {
        ++i;
      }
    } else if (c == '_') {
      addLiteral(t, " ");
      i += 2;
      while (i < f.size() && (static_cast<unsigned char>(f[i]) & 0xC0) == 0x80) ++i;
    } else if (c == '*') {
      i += 2;
      while (i < f.size() && (static_cast<unsigned char>(f[i]) & 0xC0) == 0x80) ++i;
    } else if (c == '[') {
      size_t end = f.find(']', i);
      if (end == std::string_view::npos) end = f.size();
      std::string inner(f.substr(i + 1, end - i - 1));
      std::string lower;
      for (char ch : inner) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      if (!lower.empty() && lower.find_first_not_of(lower[0]) == std::string::npos && (lower[0] == 'h' || lower[0] == 'm' || lower[0] == 's')) {
        t.push_back({Tok::Date, "[" + std::string(1, lower[0]) + "]"});
        sec.isDate = true;
      } else if (!inner.empty() && (inner[0] == '<' || inner[0] == '>' || inner[0] == '=')) {
        sec.condition = parseCondition(inner);
      } else if (!inner.empty() && inner[0] == '$') {
        size_t dash = inner.find('-');
        addLiteral(t, inner.substr(1, dash == std::string::npos ? std::string::npos : dash - 1));
      }
      i = end + 1;
    } else if (startsWithNoCase(f, i, "general")) {
      t.push_back({Tok::General, ""});
      i += 7;
    } else if (startsWithNoCase(f, i, "am/pm")) {
      t.push_back({Tok::Date, "AM/PM"});
      sec.isDate = true;
      i += 5;
    } else if (startsWithNoCase(f, i, "a/p")) {
      t.push_back({Tok::Date, "A/P"});
      sec.isDate = true;
      i += 3;
    } else if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-')) {
      t.push_back({Tok::Exponent, std::string(1, f[i + 1])});
      i += 2;
    } else if (lc == 'y' || lc == 'm' || lc == 'd' || lc == 'h' || lc == 's' || lc == 'e' || lc == 'g' ||
               (lc == 'a' && startsWithNoCase(f, i, "aaa"))) {
      size_t j = i;
      while (j < f.size() && std::tolower(static_cast<unsigned char>(f[j])) == lc) ++j;
      t.push_back({Tok::Date, std::string(j - i, lc)});
      sec.isDate = true;
      i = j;
    } else if (c == '0') { t.push_back({Tok::Zero, ""}); ++i; }
    else if (c == '#') { t.push_back({Tok::Hash, ""}); ++i; }
    else if (c == '?') { t.push_back({Tok::Question, ""}); ++i; }
    else if (c == '.') { t.push_back({Tok::Point, ""}); ++i; }
    else if (c == ',') { t.push_back({Tok::Comma, ""}); ++i; }
    else if (c == '%') { t.push_back({Tok::Percent, ""}); ++i; }
    else if (c == '@') { t.push_back({Tok::At, ""}); sec.hasText = true; ++i; }
    else {
      size_t n = 1;
      while (i + n < f.size() && (static_cast<unsigned char>(f[i + n]) & 0xC0) == 0x80) ++n;
      addLiteral(t, f.substr(i, n));
      i += n;
    }
  }
  // "m" after an hour or before a second means minutes.
  if (sec.isDate) {
    int prev = -1;
    for (size_t k = 0; k < t.size(); ++k) {
      if (t[k].kind != Tok::Date) continue;
      if (t[k].text[0] == 'm' && t[k].text.size() <= 2) {
        bool afterHour = prev >= 0 && (t[prev].text[0] == 'h' || t[prev].text == "[h]");
        bool beforeSecond = false;
        for (size_t n = k + 1; n < t.size(); ++n)
          if (t[n].kind == Tok::Date) {
            beforeSecond = t[n].text[0] == 's' || t[n].text == "[s]";
            break;
          }
        if (afterHour || beforeSecond) t[k].text = t[k].text.size() == 1 ? "M" : "MM";
      }
      prev = static_cast<int>(k);
    }
  }
  return sec;
}

// v (>= 0) with `decimals` decimals, rounded half away from zero on its 15 significant
// digits as Excel does (so 2.5 gives 3 and 1.005 gives 1.01, unlike printf).
std::string fixedText(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", v);
  std::string digits;
  digits += buf[0];
  const char* p = buf + 2;
  while (*p && *p != 'e') digits += *p++;
  int exp = *p ? std::atoi(p + 1) : 0;
  int pointPos = exp + 1;  // digits before the decimal point
  if (pointPos < 0) {
    digits.insert(0, static_cast<size_t>(-pointPos), '0');
    pointPos = 0;
  }
  int keep = pointPos + decimals;
  if (keep < static_cast<int>(digits.size())) {
    bool up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    for (int i = keep - 1; up && i >= 0; --i) {
      if (digits[static_cast<size_t>(i)] == '9') {
        digits[static_cast<size_t>(i)] = '0';
      } else {
        ++digits[static_cast<size_t>(i)];
        up = false;
      }
    }
    if (up) {
      digits.insert(digits.begin(), '1');
      ++pointPos;
    }
  } else {
    digits.append(static_cast<size_t>(keep) - digits.size(), '0');
  }
  std::string intPart = pointPos > 0 ? digits.substr(0, static_cast<size_t>(pointPos)) : "0";
  size_t nz = intPart.find_first_not_of('0');
  intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
  if (decimals <= 0) return intPart;
  return intPart + "." + digits.substr(static_cast<size_t>(pointPos));
}

std::string twoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

const char* const kMonths[] = {"January", "February", "March", "April", "May", "June",
                               "July", "August", "September", "October", "November", "December"};
const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kJapaneseDays[] = {"日", "月", "火", "水", "木", "金", "土"};

struct Era {
  int y, m, d;
  const char* letter;
  const char* kanji1;
  const char* kanji;
};
const Era kEras[] = {{2019, 5, 1, "R", "令", "令和"}, {1989, 1, 8, "H", "平", "平成"}, {1926, 12, 25, "S", "昭", "昭和"},
                     {1912, 7, 30, "T", "大", "大正"}, {1868, 1, 1, "M", "明", "明治"}};

const Era* eraOf(const DateParts& p) {
  for (const Era& e : kEras) {
    if (p.year > e.y || (p.year == e.y && (p.month > e.m || (p.month == e.m && p.day >= e.d)))) return &e;
  }
  return nullptr;
}

std::string renderDate(const Section& sec, double value, bool date1904) {
  if (value < 0 || value >= kMaxDateSerial) return "#######";
  bool hasAmPm = false;
  int fracDigits = 0;
  for (size_t k = 0; k < sec.tokens.size(); ++k) {
    const Token& t = sec.tokens[k];
    if (t.kind == Tok::Date && (t.text == "AM/PM" || t.text == "A/P")) hasAmPm = true;
    if (t.kind == Tok::Point) {
      int n = 0;
      for (size_t j = k + 1; j < sec.tokens.size() && sec.tokens[j].kind == Tok::Zero; ++j) ++n;
      fracDigits = std::max(fracDigits, n);
    }
  }
  fracDigits = std::min(fracDigits, 3);
  // Round to the precision shown, so 0.99999999 of a day becomes the next day.
  double unit = 86400.0 * std::pow(10.0, fracDigits);
  double rounded = std::round(value * unit) / unit;
  DateParts p;
  if (!serialToDate(rounded, date1904, p)) return "#######";
  std::string out;
  for (size_t k = 0; k < sec.tokens.size(); ++k) {
    const Token& t = sec.tokens[k];
    switch (t.kind) {
      case Tok::Literal: out += t.text; break;
      case Tok::Point:
        if (fracDigits > 0) {
          out += '.';
          char buf[8];
          std::snprintf(buf, sizeof buf, "%0*d", fracDigits, static_cast<int>(std::lround(p.fraction * std::pow(10.0, fracDigits))) % static_cast<int>(std::pow(10, fracDigits)));
          out += buf;
          while (k + 1 < sec.tokens.size() && sec.tokens[k + 1].kind == Tok::Zero) ++k;
        } else {
          out += '.';
        }
        break;
      case Tok::Zero: out += '0'; break;
      case Tok::Comma: out += ','; break;
      case Tok::Percent: out += '%'; break;
      case Tok::Date: {
        const std::string& c = t.text;
        if (c[0] == 'y') out += c.size() <= 2 ? twoDigits(p.year % 100) : std::to_string(p.year);
        else if (c[0] == 'm') {
          if (c.size() == 1) out += std::to_string(p.month);
          else if (c.size() == 2) out += twoDigits(p.month);
          else if (c.size() == 3) out += std::string(kMonths[p.month - 1]).substr(0, 3);
          else if (c.size() == 5) out += kMonths[p.month - 1][0];
          else out += kMonths[p.month - 1];
        } else if (c[0] == 'd') {
          if (c.size() == 1) out += std::to_string(p.day);
          else if (c.size() == 2) out += twoDigits(p.day);
          else if (c.size() == 3) out += std::string(kDays[p.weekday]).substr(0, 3);
          else out += kDays[p.weekday];
        } else if (c[0] == 'a') {
          out += kJapaneseDays[p.weekday];
          if (c.size() >= 4) out += "曜日";
        } else if (c[0] == 'h') {
          int h = p.hour;
          if (hasAmPm) h = h % 12 == 0 ? 12 : h % 12;
          out += c.size() == 1 ? std::to_string(h) : twoDigits(h);
        } else if (c[0] == 'M') {
          out += c.size() == 1 ? std::to_string(p.minute) : twoDigits(p.minute);
        } else if (c[0] == 's') {
          out += c.size() == 1 ? std::to_string(p.second) : twoDigits(p.second);
        } else if (c == "[h]") {
          out += std::to_string(static_cast<long long>(std::floor(rounded * 24 + 1e-9)));
        } else if (c == "[m]") {
          out += std::to_string(static_cast<long long>(std::floor(rounded * 1440 + 1e-9)));
        } else if (c == "[s]") {
          out += std::to_string(static_cast<long long>(std::floor(rounded * 86400 + 1e-9)));
        } else if (c == "AM/PM") {
          out += p.hour < 12 ? "AM" : "PM";
        } else if (c == "A/P") {
          out += p.hour < 12 ? "A" : "P";
        } else if (c[0] == 'e') {
          const Era* e = eraOf(p);
          int y = e ? p.year - e->y + 1 : p.year;
          out += c.size() >= 2 ? twoDigits(y) : std::to_string(y);
        } else if (c[0] == 'g') {
          const Era* e = eraOf(p);
          if (e) out += c.size() == 1 ? e->letter : c.size() == 2 ? e->kanji1 : e->kanji;
        }
        break;
      }
      default: break;
    }
  }
  return out;
}

std::string groupThousands(const std::string& digits) {
  std::string out;
  int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    out += digits[i];
    if ((n - i - 1) % 3 == 0 && i != n - 1) out += ',';
  }
  return out;
}

bool isDigitTok(Tok k) { return k == Tok::Zero || k == Tok::Hash || k == Tok::Question; }

// Integer placeholders filled from the right; the leftmost takes every remaining digit.
std::string fillInteger(const std::vector<Token>& toks, std::string digits, bool grouping) {
  int placeholders = 0;
  for (const Token& t : toks) placeholders += isDigitTok(t.kind);
  if (grouping) {
    // Pad to the count of '0' placeholders, group, then put the whole number where the
    // placeholders stand (literals before the first one are kept in front).
    int zeros = 0;
    for (const Token& t : toks) zeros += t.kind == Tok::Zero;
    while (static_cast<int>(digits.size()) < zeros) digits = "0" + digits;
    std::string grouped = digits.empty() ? "" : groupThousands(digits);
    std::string out;
    bool placed = false;
    for (const Token& t : toks) {
      if (isDigitTok(t.kind)) {
        if (!placed) out += grouped;
        placed = true;
      } else if (t.kind == Tok::Literal) {
        out += t.text;
      }
    }
    return out;
  }
  std::string out;
  int seen = 0;
  for (size_t k = toks.size(); k-- > 0;) {
    const Token& t = toks[k];
    if (isDigitTok(t.kind)) {
      ++seen;
      if (seen == placeholders) {
        if (!digits.empty()) out = digits + out;
        else if (t.kind == Tok::Zero) out = "0" + out;
        else if (t.kind == Tok::Question) out = " " + out;
        digits.clear();
      } else if (!digits.empty()) {
        out = digits.back() + out;
        digits.pop_back();
      } else if (t.kind == Tok::Zero) {
        out = "0" + out;
      } else if (t.kind == Tok::Question) {
        out = " " + out;
      }
    } else if (t.kind == Tok::Literal) {
      out = t.text + out;
    }
  }
  return digits + out;
}

std::string fillDecimals(const std::vector<Token>& toks, const std::string& digits) {
  // Trailing zeros are dropped under '#', shown as blanks under '?'.
  std::vector<const Token*> places;
  for (const Token& t : toks)
    if (isDigitTok(t.kind)) places.push_back(&t);
  std::string shown = digits;
  size_t keep = shown.size();
  while (keep > 0 && shown[keep - 1] == '0' && places[keep - 1]->kind != Tok::Zero) --keep;
  std::string out;
  size_t d = 0;
  for (const Token& t : toks) {
    if (isDigitTok(t.kind)) {
      if (d < keep) out += shown[d];
      else if (t.kind == Tok::Question) out += ' ';
      ++d;
    } else if (t.kind == Tok::Literal) {
      out += t.text;
    }
  }
  return out;
}

// Fractions ("# ?/?", "?/8" is not supported: denominators are searched up to the placeholder
// count): the integer part where placeholders stand before the numerator, then p/q.
bool renderFraction(const Section& sec, double value, bool addMinus, std::string& out) {
  const auto& t = sec.tokens;
  size_t slash = t.size();
  for (size_t k = 1; k + 1 < t.size(); ++k)
    if (t[k].kind == Tok::Literal && t[k].text == "/" && isDigitTok(t[k - 1].kind) && isDigitTok(t[k + 1].kind)) slash = k;
  if (slash == t.size()) return false;
  size_t numStart = slash;
  while (numStart > 0 && isDigitTok(t[numStart - 1].kind)) --numStart;
  size_t denEnd = slash + 1;
  while (denEnd < t.size() && isDigitTok(t[denEnd].kind)) ++denEnd;
  int numPlaces = static_cast<int>(slash - numStart), denPlaces = static_cast<int>(denEnd - slash - 1);
  bool hasWhole = false;
  for (size_t k = 0; k < numStart; ++k) hasWhole = hasWhole || isDigitTok(t[k].kind);
  double v = std::fabs(value);
  long long whole = hasWhole ? static_cast<long long>(std::floor(v)) : 0;
  double rest = v - static_cast<double>(whole);
  int maxDen = 1;
  for (int i = 0; i < std::min(denPlaces, 4); ++i) maxDen *= 10;
  maxDen -= 1;
  long long bestP = 0, bestQ = 1;
  double bestErr = rest;
  for (long long q = 1; q <= maxDen; ++q) {
    long long p = std::llround(rest * static_cast<double>(q));
    double err = std::fabs(rest - static_cast<double>(p) / static_cast<double>(q));
    if (err < bestErr - 1e-12) {
      bestErr = err;
      bestP = p;
      bestQ = q;
    }
  }
  if (hasWhole && bestP == bestQ) {
    ++whole;
    bestP = 0;
  }
  auto pad = [](std::string digits, int places, bool left) {
    while (static_cast<int>(digits.size()) < places) digits = left ? " " + digits : digits + " ";
    return digits;
  };
  std::string text;
  for (size_t k = 0; k < numStart; ++k) {
    if (t[k].kind == Tok::Literal) text += t[k].text;
    else if (isDigitTok(t[k].kind) && (k == 0 || !isDigitTok(t[k - 1].kind))) text += (whole || bestP == 0) ? std::to_string(whole) : "";
  }
  if (bestP == 0 && hasWhole) {
    text += std::string(static_cast<size_t>(numPlaces + 1 + denPlaces), ' ');
  } else {
    text += pad(std::to_string(bestP), numPlaces, true) + "/" + pad(std::to_string(bestQ), denPlaces, false);
  }
  for (size_t k = denEnd; k < t.size(); ++k)
    if (t[k].kind == Tok::Literal) text += t[k].text;
  out = (addMinus ? "-" : "") + text;
  return true;
}

std::string renderNumber(const Section& sec, double value, bool addMinus) {
  const auto& toks = sec.tokens;
  for (const Token& t : toks)
    if (t.kind == Tok::General) {
      std::string out;
      for (const Token& u : toks) {
        if (u.kind == Tok::General) out += generalNumberText(std::fabs(value));  // the sign is the section's
        else if (u.kind == Tok::Literal) out += u.text;
      }
      return (addMinus ? "-" : "") + out;
    }
  std::string fraction;
  if (renderFraction(sec, value, addMinus, fraction)) return fraction;
  size_t expPos = toks.size();
  for (size_t k = 0; k < toks.size(); ++k)
    if (toks[k].kind == Tok::Exponent) {
      expPos = k;
      break;
    }
  std::vector<Token> intToks, fracToks, expToks;
  bool seenPoint = false, anyDigit = false;
  int percents = 0, scale = 0;
  bool grouping = false;
  for (size_t k = 0; k < expPos; ++k) {
    const Token& t = toks[k];
    if (t.kind == Tok::Percent) {
      ++percents;
      (seenPoint ? fracToks : intToks).push_back({Tok::Literal, "%"});
    } else if (t.kind == Tok::Point && !seenPoint) {
      seenPoint = true;
    } else if (t.kind == Tok::Comma) {
      // Between digit placeholders: grouping; after the last one: divide by 1000.
      bool digitAfter = false;
      for (size_t j = k + 1; j < expPos && !digitAfter; ++j) {
        if (toks[j].kind == Tok::Point) break;
        digitAfter = isDigitTok(toks[j].kind);
      }
      if (seenPoint) continue;
      if (digitAfter && anyDigit) grouping = true;
      else if (anyDigit) ++scale;
      else intToks.push_back({Tok::Literal, ","});
    } else if (t.kind == Tok::Point) {
      (seenPoint ? fracToks : intToks).push_back({Tok::Literal, "."});
    } else {
      if (isDigitTok(t.kind)) anyDigit = true;
      if (t.kind == Tok::At) continue;
      (seenPoint ? fracToks : intToks).push_back(t);
    }
  }
  for (size_t k = expPos + 1; k < toks.size(); ++k) expToks.push_back(toks[k]);
  int decimals = 0;
  for (const Token& t : fracToks) decimals += isDigitTok(t.kind);
  decimals = std::min(decimals, kMaxDecimals);
  double v = std::fabs(value) * std::pow(100.0, percents) / std::pow(1000.0, scale);
  std::string expText;
  if (expPos < toks.size()) {
    int intPlaces = 0;
    bool hash = false;
    for (const Token& t : intToks) {
      intPlaces += isDigitTok(t.kind);
      hash = hash || t.kind == Tok::Hash;
    }
    int e = v == 0 ? 0 : static_cast<int>(std::floor(std::log10(v)));
    if (hash && intPlaces > 1) e = static_cast<int>(std::floor(static_cast<double>(e) / intPlaces)) * intPlaces;
    else if (intPlaces > 1) e -= intPlaces - 1;
    double mant = v / std::pow(10.0, e);
    if (v != 0 && std::atof(fixedText(mant, decimals).c_str()) >= std::pow(10.0, std::max(intPlaces, 1)) && !(hash && intPlaces > 1)) {
      ++e;
      mant = v / std::pow(10.0, e);
    }
    v = mant;
    int expDigits = 0;
    for (const Token& t : expToks) expDigits += isDigitTok(t.kind);
    char ebuf[32];
    std::snprintf(ebuf, sizeof ebuf, "%0*d", std::clamp(expDigits, 1, 5), std::abs(e) % 100000);
    expText = std::string("E") + (e < 0 ? "-" : (toks[expPos].text == "+" ? "+" : "")) + ebuf;
    for (const Token& t : expToks)
      if (t.kind == Tok::Literal) expText += t.text;
  }
  std::string num = fixedText(v, decimals);
  size_t dot = num.find('.');
  std::string intDigits = dot == std::string::npos ? num : num.substr(0, dot);
  std::string fracDigits = dot == std::string::npos ? "" : num.substr(dot + 1);
  if (intDigits == "0") intDigits.clear();
  bool showsNothing = true;
  for (char c : intDigits + fracDigits) showsNothing = showsNothing && c == '0';
  std::string out = fillInteger(intToks, intDigits, grouping);
  if (seenPoint) out += "." + fillDecimals(fracToks, fracDigits);
  out += expText;
  bool minus = addMinus && !(showsNothing && false);
  return (minus ? "-" : "") + out;
}

std::string renderSectionText(const Section& sec, std::string_view text) {
  std::string out;
  for (const Token& t : sec.tokens) {
    if (t.kind == Tok::At) out += text;
    else if (t.kind == Tok::Literal) out += t.text;
  }
  return out;
}

}  // namespace

std::string builtinNumberFormat(uint16_t index) {
  switch (index) {
    case 0: return "General";
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 5: return "\"\xC2\xA5\"#,##0;\"\xC2\xA5\"\\-#,##0";
    case 6: return "\"\xC2\xA5\"#,##0;[Red]\"\xC2\xA5\"\\-#,##0";
    case 7: return "\"\xC2\xA5\"#,##0.00;\"\xC2\xA5\"\\-#,##0.00";
    case 8: return "\"\xC2\xA5\"#,##0.00;[Red]\"\xC2\xA5\"\\-#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 12: return "# ?/?";
    case 13: return "# ?" "?/?" "?";
    case 14: return "yyyy/m/d";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "yyyy/m/d h:mm";
    case 27: case 36: case 50: case 57: return "[$-411]ge.m.d";
    case 28: case 29: case 51: case 58: return "[$-411]ggge\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"";
    case 30: return "m/d/yy";
    case 31: return "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"";
    case 32: return "h\"\xE6\x99\x82\"mm\"\xE5\x88\x86\"";
    case 33: return "h\"\xE6\x99\x82\"mm\"\xE5\x88\x86\"ss\"\xE7\xA7\x92\"";
    case 34: case 52: case 55: return "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"";
    case 35: case 53: case 56: return "m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"";
    case 54: return "[$-411]ggge\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"";
    case 37: return "#,##0_);(#,##0)";
    case 38: return "#,##0_);[Red](#,##0)";
    case 39: return "#,##0.00_);(#,##0.00)";
    case 40: return "#,##0.00_);[Red](#,##0.00)";
    case 41: return "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    case 42: return "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    case 43: return "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
    case 44: return "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mm:ss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    default: return "General";
  }
}

bool serialToDate(double serial, bool dateMode1904, DateParts& out) {
  if (!(serial >= 0) || serial >= kMaxDateSerial) return false;
  double days = std::floor(serial);
  double secondsOfDay = (serial - days) * 86400.0;
  // Milliseconds are the finest step Excel keeps; rounding there absorbs binary noise.
  long long ms = std::llround(secondsOfDay * 1000.0);
  long long whole = ms / 1000;
  out.fraction = static_cast<double>(ms % 1000) / 1000.0;
  if (whole >= 86400) whole = 86399;
  out.hour = static_cast<int>(whole / 3600);
  out.minute = static_cast<int>((whole / 60) % 60);
  out.second = static_cast<int>(whole % 60);
  long long d = static_cast<long long>(days);
  if (dateMode1904) d += 1462;
  if (!dateMode1904 && d == 60) {  // the 29th of February 1900 Excel counts
    out.year = 1900;
    out.month = 2;
    out.day = 29;
    out.weekday = 3;
    return true;
  }
  if (!dateMode1904 && d < 60) ++d;  // serials before the false leap day are one day short
  if (d == 0 && !dateMode1904) {
    out.year = 1900;
    out.month = 1;
    out.day = 0;
    out.weekday = 6;
    return true;
  }
  // Days since 1899-12-30 to a civil date.
  long long z = d - 25569 + 719468;  // to days since 0000-03-01 via 1970-01-01
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long y = yoe + era * 400;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(out.month <= 2 ? y + 1 : y);
  out.weekday = static_cast<int>(((d - 25569) % 7 + 7 + 4) % 7);  // 1970-01-01 was a Thursday
  return true;
}

std::string generalNumberText(double value) {
  if (std::isnan(value) || std::isinf(value)) return "#NUM!";
  if (value == 0) return "0";
  constexpr int kWidth = 11;
  double a = std::fabs(value);
  std::string sign = value < 0 ? "-" : "";
  char buf[64];
  if (a < 1e11 && a >= 1e-9) {
    int intDigits = a >= 1 ? static_cast<int>(std::floor(std::log10(a))) + 1 : 1;
    int decimals = std::max(0, kWidth - intDigits - 1);
    std::string s = fixedText(a, decimals);
    if (s.find('.') != std::string::npos) {
      while (s.back() == '0') s.pop_back();
      if (s.back() == '.') s.pop_back();
    }
    if (static_cast<int>(s.size()) <= kWidth + 1 && s != "0") {
      // Very small numbers keep too few significant digits in decimal form.
      if (a >= 1e-4 || s.size() - s.find_first_not_of("0.") >= 6) return sign + s;
    }
  }
  // Scientific: mantissa with up to 5 decimals, exponent of at least two digits.
  for (int decimals = 5; decimals >= 0; --decimals) {
    std::snprintf(buf, sizeof buf, "%.*E", decimals, a);
    std::string s = buf;
    size_t e = s.find('E');
    std::string mant = s.substr(0, e);
    if (mant.find('.') != std::string::npos) {
      while (mant.back() == '0') mant.pop_back();
      if (mant.back() == '.') mant.pop_back();
    }
    int exp = std::atoi(s.c_str() + e + 1);
    char ebuf[16];
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
    std::string out = mant + ebuf;
    if (static_cast<int>(out.size()) <= kWidth) return sign + out;
  }
  return sign + buf;
}

std::string formulaNumberText(double value) {
  if (std::isnan(value) || std::isinf(value)) return "#NUM!";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", value);
  return buf;
}

// The sections of a format and the one a number takes: negative numbers the second, zero the
// third (when there are that many number sections); a trailing text section takes none.
struct NumberSection {
  std::vector<Section> sections;
  const Section* section = nullptr;
  bool minus = false;  // the sign is still to be shown
  bool emptySection = false;
};

NumberSection sectionFor(std::string_view format, double value) {
  NumberSection out;
  for (const auto& p : splitSections(format)) out.sections.push_back(tokenize(p));
  size_t numeric = out.sections.size();
  if (numeric == 4 || (numeric > 1 && out.sections.back().hasText)) --numeric;
  if (numeric == 0) numeric = 1;
  out.section = &out.sections[0];
  out.minus = value < 0;
  const Condition* first = out.sections[0].condition ? &*out.sections[0].condition : nullptr;
  const Condition* second = numeric >= 2 && out.sections[1].condition ? &*out.sections[1].condition : nullptr;
  if (first || second) {
    // Sections with conditions are chosen by them, and the number keeps its own sign.
    if (first && first->holds(value)) {
    } else if (second && second->holds(value)) {
      out.section = &out.sections[1];
    } else if (first && second) {
      out.section = &out.sections[numeric >= 3 ? 2 : 1];
    } else if (first && numeric >= 2) {
      out.section = &out.sections[1];
    }
  } else if (numeric >= 2 && value < 0) {
    out.section = &out.sections[1];
    out.minus = false;
  } else if (numeric >= 3 && value == 0) {
    out.section = &out.sections[2];
  }
  out.emptySection = out.section->tokens.empty() && numeric >= 2;
  return out;
}

std::string formatNumber(std::string_view format, double value, bool dateMode1904) {
  if (format.empty()) return generalNumberText(value);
  const NumberSection n = sectionFor(format, value);
  const Section* sec = n.section;
  if (n.emptySection) return "";
  if (sec->hasText) return generalNumberText(value);  // "@": numbers stay in General form
  if (sec->isDate) return renderDate(*sec, n.minus ? value : std::fabs(value), dateMode1904);
  return renderNumber(*sec, value, n.minus);
}

std::optional<std::string> dateConstantText(std::string_view format, double value, bool dateMode1904) {
  if (format.empty()) return std::nullopt;
  const NumberSection n = sectionFor(format, value);
  if (n.emptySection || n.section->hasText || !n.section->isDate) return std::nullopt;
  // Whole seconds, as the formula text shows them; a day's last half second is the next day.
  const double seconds = std::round(value * 86400.0);
  DateParts p;
  if (!serialToDate(seconds / 86400.0, dateMode1904, p)) return std::nullopt;
  const bool timeOnly = !dateMode1904 && seconds < 86400.0;
  const bool hasTime = std::fmod(seconds, 86400.0) != 0;
  char date[32] = "", time[32] = "";
  if (!timeOnly) std::snprintf(date, sizeof date, "%d/%d/%d", p.month, p.day, p.year);
  if (timeOnly || hasTime) {
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(time, sizeof time, "%d:%02d:%02d %s", hour12, p.minute, p.second, p.hour < 12 ? "AM" : "PM");
  }
  if (timeOnly) return std::string(time);
  return hasTime ? std::string(date) + " " + time : std::string(date);
}

bool formatHasDateSection(std::string_view format) {
  for (const auto& p : splitSections(format))
    if (tokenize(p).isDate) return true;
  return false;
}

std::string formatText(std::string_view format, std::string_view text) {
  auto parts = splitSections(format);
  if (parts.size() >= 4) return renderSectionText(tokenize(parts[3]), text);
  for (const auto& p : parts) {
    Section s = tokenize(p);
    if (s.hasText) return renderSectionText(s, text);
  }
  return std::string(text);
}

}  // namespace zel::xls
