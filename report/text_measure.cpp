// Line breaking for the report layout: greedy, by measured character advances.
#include "report/text_measure.h"

namespace zel::report {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kEllipsis = 0x2026;
constexpr int kTabWidth = 4;

bool isWide(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Characters that must not begin a line (closing brackets, Japanese punctuation, small kana marks).
bool noLineStart(char32_t c) {
  switch (c) {
    case U'、': case U'。': case U'，': case U'．': case U'）': case U'」': case U'』': case U'】':
    case U'〕': case U'！': case U'？': case U'ー': case U'…': case U'・': case U'：': case U'；':
    case U'ｰ': case U'ﾞ': case U'ﾟ': case U'｡': case U'､': case U'｣': case U')': case U']': case U',':
    case U'.': case U';': case U':':
      return true;
    default:
      return false;
  }
}

bool isBlank(char32_t c) { return c == U' ' || c == 0x3000; }

// A break is allowed between a and b.
bool breakBetween(char32_t a, char32_t b) {
  if (noLineStart(b)) return false;
  // Paths break after their separators.
  return isBlank(a) || isWide(a) || isWide(b) || a == U'\\' || a == U'/';
}

std::vector<std::u32string> paragraphs(std::string_view utf8) {
  std::u32string all = toU32(utf8);
  std::vector<std::u32string> out(1);
  int col = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    char32_t c = all[i];
    if (c == U'\r' || c == U'\n') {
      if (c == U'\r' && i + 1 < all.size() && all[i + 1] == U'\n') ++i;
      out.emplace_back();
      col = 0;
    } else if (c == U'\t') {
      do {
        out.back() += U' ';
        ++col;
      } while (col % kTabWidth);
    } else {
      out.back() += (c < 0x20 ? U' ' : c);
      ++col;
    }
  }
  return out;
}

// Width of a text of printable ASCII only, or -1 for any other text.
double plainAsciiWidth(TextMeasurer& m, FontRole role, std::string_view s) {
  double w = 0;
  for (char ch : s) {
    if (ch < 0x20 || ch > 0x7E) return -1;
    w += m.advanceMm(role, static_cast<char32_t>(ch));
  }
  return w;
}

}  // namespace

std::u32string toU32(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out += kReplacement;
      ++i;
      continue;
    }
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      const unsigned char cb = static_cast<unsigned char>(s[i + k]);
      if ((cb & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (cb & 0x3F);
    }
    if (!ok || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += kReplacement;
      ++i;
      continue;
    }
    out += c;
    i += len;
  }
  return out;
}

std::string fromU32(std::u32string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

double textWidthMm(TextMeasurer& m, FontRole role, std::string_view utf8) {
  double w = 0;
  for (char32_t c : toU32(utf8)) w += m.advanceMm(role, c);
  return w;
}

std::vector<std::string> wrapText(TextMeasurer& m, FontRole role, std::string_view utf8, double widthMm) {
  // Most cells are short ASCII texts that fit: no conversion needed.
  const double plain = plainAsciiWidth(m, role, utf8);
  if (plain >= 0 && plain <= widthMm) return {std::string(utf8)};
  std::vector<std::string> lines;
  for (const std::u32string& p : paragraphs(utf8)) {
    size_t start = 0;
    while (start < p.size()) {
      double w = 0;
      size_t i = start;
      size_t lastBreak = start;  // a break allowed before index lastBreak (> start)
      for (; i < p.size(); ++i) {
        if (i > start && breakBetween(p[i - 1], p[i])) lastBreak = i;
        const double a = m.advanceMm(role, p[i]);
        if (w + a > widthMm && i > start && !isBlank(p[i])) break;  // blanks may hang at the end
        w += a;
      }
      if (i >= p.size()) {
        lines.push_back(fromU32(p.substr(start)));
        break;
      }
      size_t end = lastBreak > start ? lastBreak : i;
      // A character that may not start a line takes the one before it along.
      if (end == i && noLineStart(p[i]) && i - 1 > start) end = i - 1;
      lines.push_back(fromU32(p.substr(start, end - start)));
      start = end;
    }
    if (p.empty()) lines.emplace_back();
  }
  if (lines.empty()) lines.emplace_back();
  return lines;
}

std::string cutToWidth(TextMeasurer& m, FontRole role, std::string_view utf8, double widthMm) {
  std::u32string s;
  for (const auto& p : paragraphs(utf8)) {
    if (!s.empty()) s += U' ';
    s += p;
  }
  double total = 0;
  for (char32_t c : s) total += m.advanceMm(role, c);
  if (total <= widthMm) return fromU32(s);
  const double room = widthMm - m.advanceMm(role, kEllipsis);
  double w = 0;
  size_t i = 0;
  for (; i < s.size(); ++i) {
    const double a = m.advanceMm(role, s[i]);
    if (w + a > room) break;
    w += a;
  }
  return fromU32(s.substr(0, i)) + "…";
}

bool isTurnedInVertical(char32_t c) {
  if (c < 0x80) return true;
  switch (c) {
    case U'ー': case U'－': case U'～': case U'…': case U'‥': case U'（': case U'）': case U'「': case U'」':
    case U'『': case U'』': case U'【': case U'】': case U'〔': case U'〕': case U'＜': case U'＞': case U'―':
    case U'＝': case U'ｰ': case U'→':
      return true;
    default:
      return false;
  }
}

double verticalAdvanceMm(TextMeasurer& m, FontRole role, char32_t c) {
  if (c < 0x80) return m.advanceMm(role, c);
  return m.emMm(role);
}

std::vector<std::string> wrapVertical(TextMeasurer& m, FontRole role, std::string_view utf8, double heightMm) {
  std::vector<std::string> cols;
  for (const auto& p : paragraphs(utf8)) {
    size_t start = 0;
    double h = 0;
    for (size_t i = 0; i < p.size(); ++i) {
      const double a = verticalAdvanceMm(m, role, p[i]);
      if (h + a > heightMm && i > start) {
        cols.push_back(fromU32(p.substr(start, i - start)));
        start = i;
        h = 0;
      }
      h += a;
    }
    cols.push_back(fromU32(p.substr(start)));
  }
  return cols;
}

}  // namespace zel::report
