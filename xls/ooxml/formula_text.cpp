// A small scanner over A1-style formula text: strings, quoted sheet names, external book
// indexes, structured references and array constants are copied whole; words that are cell,
// column or row references are moved; everything else passes through.
#include "xls/ooxml/formula_text.h"

#include <cctype>
#include <charconv>

#include "core/vbstring.h"
#include "xls/formula/formula_printer.h"
#include "xls/formula/sheet_name_text.h"

namespace zel::xls::ooxml {
namespace {

bool isWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '$' || c == '\\' || c == '?' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// One reference part: "$A$1" (column and row), "$A" (column), "$1" (row).
struct RefPart {
  bool hasCol = false, hasRow = false;
  bool absCol = false, absRow = false;
  uint32_t col = 0, row = 0;  // 0-based
};

std::optional<RefPart> parseRefPart(std::string_view w) {
  RefPart p;
  size_t i = 0;
  if (i < w.size() && w[i] == '$') {
    p.absCol = true;
    ++i;
  }
  size_t letters = 0;
  uint32_t col = 0;
  while (i < w.size() && isLetter(w[i]) && letters < 4) {
    col = col * 26 + static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(w[i])) - 'A' + 1);
    ++i;
    ++letters;
  }
  if (letters > 3) return std::nullopt;
  if (letters > 0) {
    if (col > kMaxColumns) return std::nullopt;
    p.hasCol = true;
    p.col = col - 1;
  }
  if (i < w.size() && w[i] == '$') {
    p.absRow = true;
    ++i;
    if (i >= w.size()) return std::nullopt;
  } else if (letters == 0 && p.absCol) {
    // "$1": the "$" belonged to the row.
    p.absRow = true;
    p.absCol = false;
  }
  size_t digits = 0;
  uint64_t row = 0;
  while (i < w.size() && isDigit(w[i]) && digits < 8) {
    row = row * 10 + static_cast<uint64_t>(w[i] - '0');
    ++i;
    ++digits;
  }
  if (i != w.size()) return std::nullopt;
  if (digits > 0) {
    if (row < 1 || row > kMaxRows) return std::nullopt;
    p.hasRow = true;
    p.row = static_cast<uint32_t>(row - 1);
  } else if (p.absRow) {
    return std::nullopt;
  }
  if (!p.hasCol && !p.hasRow) return std::nullopt;
  return p;
}

// The part moved by the offsets; false when it leaves the sheet.
bool movePart(RefPart& p, int32_t dr, int32_t dc) {
  if (p.hasRow && !p.absRow) {
    int64_t r = static_cast<int64_t>(p.row) + dr;
    if (r < 0 || r >= kMaxRows) return false;
    p.row = static_cast<uint32_t>(r);
  }
  if (p.hasCol && !p.absCol) {
    int64_t c = static_cast<int64_t>(p.col) + dc;
    if (c < 0 || c >= kMaxColumns) return false;
    p.col = static_cast<uint32_t>(c);
  }
  return true;
}

// Appends "$A$1", "B", "$7"... without a temporary string (every cell of a shared range).
void appendPartText(std::string& out, const RefPart& p) {
  char text[16];
  size_t n = 0;
  if (p.hasCol) {
    if (p.absCol) text[n++] = '$';
    char letters[4];
    size_t k = 0;
    for (uint32_t c = p.col + 1; c > 0 && k < sizeof letters; c = (c - 1) / 26) letters[k++] = static_cast<char>('A' + (c - 1) % 26);
    while (k > 0) text[n++] = letters[--k];
  }
  if (p.hasRow) {
    if (p.absRow) text[n++] = '$';
    auto [end, ec] = std::to_chars(text + n, text + sizeof text, p.row + 1);
    n = static_cast<size_t>(end - text);
  }
  out.append(text, n);
}

// Copies a delimited run ("..." or '...', the delimiter doubled inside) starting at i.
size_t quotedEnd(std::string_view s, size_t i) {
  char q = s[i];
  size_t j = i + 1;
  while (j < s.size()) {
    if (s[j] == q) {
      if (j + 1 < s.size() && s[j + 1] == q) {
        j += 2;
        continue;
      }
      return j + 1;
    }
    ++j;
  }
  return s.size();
}

std::string_view stripFuturePrefixes(std::string_view w) {
  for (bool again = true; again;) {
    again = false;
    for (std::string_view prefix : {std::string_view("_xlfn."), std::string_view("_xlws."), std::string_view("_xludf.")}) {
      if (w.size() > prefix.size() && vb::ucase(w.substr(0, prefix.size())) == vb::ucase(prefix)) {
        w.remove_prefix(prefix.size());
        again = true;
      }
    }
  }
  return w;
}

std::string unquote(std::string_view q) {
  std::string out;
  for (size_t i = 1; i + 1 < q.size(); ++i) {
    out += q[i];
    if (q[i] == '\'' && i + 2 < q.size() && q[i + 1] == '\'') ++i;
  }
  return out;
}

// "[2]Sheet1" -> book 2 and "Sheet1"; nullopt when the text does not start with [digits].
std::optional<std::pair<size_t, std::string>> bookIndex(std::string_view s) {
  if (s.size() < 3 || s[0] != '[') return std::nullopt;
  size_t close = s.find(']');
  if (close == std::string_view::npos || close == 1 || close > 8) return std::nullopt;
  size_t n = 0;
  for (size_t i = 1; i < close; ++i) {
    if (!isDigit(s[i])) return std::nullopt;
    n = n * 10 + static_cast<size_t>(s[i] - '0');
  }
  return std::make_pair(n, std::string(s.substr(close + 1)));
}

// The prefix (with "!") of sheets or a name of external book n, as Excel shows it.
std::string externalPrefix(size_t n, const std::string& sheets, const std::vector<ExternalBookName>& books) {
  if (n == 0) return sheets.empty() ? std::string() : formula::sheetPrefix(sheets, sheets);
  std::string path = n <= books.size() ? books[n - 1].path : "[" + std::to_string(n) + "]";
  if (sheets.empty()) return formula::externalBookPrefix(path);
  size_t colon = sheets.find(':');
  if (colon == std::string::npos) return formula::externalSheetPrefix(path, sheets, sheets);
  return formula::externalSheetPrefix(path, sheets.substr(0, colon), sheets.substr(colon + 1));
}

class Converter {
 public:
  Converter(std::string_view s, const std::vector<ExternalBookName>& books, int32_t dr, int32_t dc)
      : s_(s), books_(books), dr_(dr), dc_(dc) {}

  std::string run() {
    out_.reserve(s_.size() + 1);
    out_ += '=';
    size_t i = 0;
    while (i < s_.size()) {
      char c = s_[i];
      if (c == '"') {
        size_t e = quotedEnd(s_, i);
        out_.append(s_.substr(i, e - i));
        i = e;
      } else if (c == '\'') {
        i = quotedSheet(i);
      } else if (c == '[') {
        i = bracket(i);
      } else if (c == '{') {
        i = arrayConstant(i);
      } else if (isWordChar(c)) {
        i = word(i);
      } else {
        out_ += c;
        ++i;
      }
    }
    return std::move(out_);
  }

 private:
  size_t quotedSheet(size_t i) {
    size_t e = quotedEnd(s_, i);
    std::string inner = unquote(s_.substr(i, e - i));
    if (e < s_.size() && s_[e] == '!') {
      if (auto b = bookIndex(inner)) {
        out_ += externalPrefix(b->first, b->second, books_);
        return e + 1;
      }
    }
    out_.append(s_.substr(i, e - i));
    return e;
  }

  size_t bracket(size_t i) {
    // [n]Sheet1!A1 or [n]!Name: an external book by index.
    size_t close = s_.find(']', i);
    if (close != std::string_view::npos) {
      if (auto b = bookIndex(s_.substr(i, close - i + 1))) {
        size_t j = close + 1;
        while (j < s_.size() && (isWordChar(s_[j]) || s_[j] == ':') && s_[j] != '!') ++j;
        if (j < s_.size() && s_[j] == '!') {
          out_ += externalPrefix(b->first, std::string(s_.substr(close + 1, j - close - 1)), books_);
          return j + 1;
        }
      }
    }
    // A structured reference: copied with its nested brackets.
    int depth = 0;
    size_t j = i;
    for (; j < s_.size(); ++j) {
      if (s_[j] == '\'' && j + 1 < s_.size()) {
        ++j;  // an escaped character inside a column name
        continue;
      }
      if (s_[j] == '[') ++depth;
      if (s_[j] == ']' && --depth == 0) break;
    }
    j = std::min(j + 1, s_.size());
    out_.append(s_.substr(i, j - i));
    return j;
  }

  size_t arrayConstant(size_t i) {
    size_t j = i;
    while (j < s_.size() && s_[j] != '}') j = s_[j] == '"' ? quotedEnd(s_, j) : j + 1;
    j = std::min(j + 1, s_.size());
    out_.append(s_.substr(i, j - i));
    return j;
  }

  size_t word(size_t i) {
    size_t j = i;
    while (j < s_.size() && isWordChar(s_[j])) ++j;
    std::string_view w = stripFuturePrefixes(s_.substr(i, j - i));
    char next = j < s_.size() ? s_[j] : '\0';
    // Function names, sheet names and numbers ("1.5", "1E") pass through.
    if (next == '(' || next == '!' || (isDigit(w[0]) && w.find_first_not_of("0123456789") != std::string_view::npos)) {
      out_.append(w);
      return j;
    }
    auto first = parseRefPart(w);
    if (!first) {
      out_.append(w);
      return j;
    }
    if (first->hasCol && first->hasRow) {
      // A cell, or the first cell of an area: the second part follows its ":".
      return reference(*first, j);
    }
    // A column or row alone is a reference only as part of "A:C" / "1:3".
    if (next == ':') {
      size_t k = j + 1;
      while (k < s_.size() && isWordChar(s_[k])) ++k;
      auto second = parseRefPart(s_.substr(j + 1, k - j - 1));
      if (second && second->hasCol == first->hasCol && second->hasRow == first->hasRow && !(second->hasCol && second->hasRow)) {
        appendMoved(*first);
        out_ += ':';
        appendMoved(*second);
        return k;
      }
    }
    out_.append(w);
    return j;
  }

  size_t reference(RefPart first, size_t j) {
    appendMoved(first);
    return j;
  }

  void appendMoved(RefPart p) {
    if (!movePart(p, dr_, dc_)) {
      out_ += "#REF!";
      return;
    }
    appendPartText(out_, p);
  }

  std::string_view s_;
  const std::vector<ExternalBookName>& books_;
  int32_t dr_, dc_;
  std::string out_;
};

}  // namespace

std::string displayFormula(std::string_view stored, const std::vector<ExternalBookName>& books, int32_t rowOffset,
                           int32_t colOffset) {
  return Converter(stored, books, rowOffset, colOffset).run();
}

std::optional<CellPosition> parseCellReference(std::string_view ref) {
  auto p = parseRefPart(ref);
  if (!p || !p->hasCol || !p->hasRow) return std::nullopt;
  return CellPosition{p->row, p->col};
}

std::optional<CellRange> parseRangeReference(std::string_view ref) {
  size_t colon = ref.find(':');
  auto a = parseCellReference(ref.substr(0, colon));
  if (!a) return std::nullopt;
  if (colon == std::string_view::npos) return CellRange{*a, *a};
  auto b = parseCellReference(ref.substr(colon + 1));
  if (!b) return std::nullopt;
  return CellRange{{std::min(a->row, b->row), std::min(a->col, b->col)}, {std::max(a->row, b->row), std::max(a->col, b->col)}};
}

std::optional<std::vector<uint8_t>> referenceListTokens(std::string_view stored, const std::vector<std::string>& sheetNames) {
  constexpr uint8_t kArea3d = 0x3B, kUnion = 0x10;
  constexpr uint32_t kBiffLastRow = 65535, kBiffLastCol = 255;
  std::vector<uint8_t> out;
  size_t i = 0, items = 0;
  if (!stored.empty() && stored[0] == '=') ++i;
  while (i < stored.size()) {
    std::string sheet;
    if (stored[i] == '\'') {
      size_t e = quotedEnd(stored, i);
      sheet = unquote(stored.substr(i, e - i));
      i = e;
    } else {
      size_t e = stored.find('!', i);
      if (e == std::string_view::npos) return std::nullopt;
      sheet = std::string(stored.substr(i, e - i));
      i = e;
    }
    if (i >= stored.size() || stored[i] != '!') return std::nullopt;
    ++i;
    size_t end = stored.find(',', i);
    if (end == std::string_view::npos) end = stored.size();
    std::string_view ref = stored.substr(i, end - i);
    i = end < stored.size() ? end + 1 : end;
    size_t sheetIndex = sheetNames.size();
    for (size_t k = 0; k < sheetNames.size(); ++k)
      if (vb::ucase(sheetNames[k]) == vb::ucase(sheet)) sheetIndex = k;
    if (sheetIndex == sheetNames.size()) return std::nullopt;
    size_t colon = ref.find(':');
    auto a = parseRefPart(ref.substr(0, colon));
    auto b = colon == std::string_view::npos ? a : parseRefPart(ref.substr(colon + 1));
    if (!a || !b || a->hasCol != b->hasCol || a->hasRow != b->hasRow) return std::nullopt;
    uint32_t r1 = a->hasRow ? a->row : 0, r2 = b->hasRow ? b->row : kBiffLastRow;
    uint32_t c1 = a->hasCol ? a->col : 0, c2 = b->hasCol ? b->col : kBiffLastCol;
    if (a->hasCol && a->hasRow && r1 == 0 && r2 == kMaxRows - 1) r2 = kBiffLastRow;  // $A$1:$A$1048576
    if (a->hasCol && a->hasRow && c1 == 0 && c2 == kMaxColumns - 1) c2 = kBiffLastCol;
    if (std::max(r1, r2) > kBiffLastRow || std::max(c1, c2) > kBiffLastCol) return std::nullopt;
    out.push_back(kArea3d);
    auto put16 = [&out](uint32_t v) {
      out.push_back(static_cast<uint8_t>(v & 0xFF));
      out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    };
    put16(static_cast<uint32_t>(sheetIndex));
    put16(r1);
    put16(r2);
    put16(c1);
    put16(c2);
    if (++items > 1) out.push_back(kUnion);
  }
  if (items == 0) return std::nullopt;
  return out;
}

}  // namespace zel::xls::ooxml
