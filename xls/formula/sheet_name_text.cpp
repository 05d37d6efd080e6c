// Quoting rules for sheet and book names in references. Cell-reference look-alikes are judged
// by Excel 97's grid (columns A..IV, rows 1..65536) and by the R1C1 forms R, C, R1, C1, R1C1.
#include "xls/formula/sheet_name_text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cctype>

namespace zel::xls::formula {
namespace {

constexpr unsigned kMaxRow = 65536;
constexpr unsigned kMaxColumn = 256;

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Every character a letter, digit, "_" or "." (letters of any script count).
bool hasOnlyNameCharacters(std::string_view s) {
  int32_t i = 0;
  const int32_t n = static_cast<int32_t>(s.size());
  while (i < n) {
    UChar32 c;
    U8_NEXT(reinterpret_cast<const uint8_t*>(s.data()), i, n, c);
    if (c < 0) return false;
    if (c == '_' || c == '.') continue;
    if (!u_isalnum(c)) return false;
  }
  return true;
}

// "A1".."IV65536" (letters then digits, inside the grid).
bool looksLikeA1Reference(std::string_view s) {
  size_t i = 0;
  unsigned col = 0;
  while (i < s.size() && isAsciiLetter(s[i])) {
    col = col * 26 + static_cast<unsigned>(std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
    if (col > kMaxColumn) return false;
    ++i;
  }
  if (i == 0 || i == s.size()) return false;
  unsigned long row = 0;
  for (; i < s.size(); ++i) {
    if (!isAsciiDigit(s[i])) return false;
    row = row * 10 + static_cast<unsigned>(s[i] - '0');
    if (row > kMaxRow) return false;
  }
  return row >= 1;
}

// R, C, RC, R1, C1, R1C, RC1, R1C1 (any case).
bool looksLikeR1C1Reference(std::string_view s) {
  size_t i = 0;
  bool any = false;
  if (i < s.size() && (s[i] == 'R' || s[i] == 'r')) {
    any = true;
    ++i;
    while (i < s.size() && isAsciiDigit(s[i])) ++i;
  }
  if (i < s.size() && (s[i] == 'C' || s[i] == 'c')) {
    any = true;
    ++i;
    while (i < s.size() && isAsciiDigit(s[i])) ++i;
  }
  return any && i == s.size();
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string quoted(std::string_view body) {
  std::string out = "'";
  for (char c : body) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += "'";
  return out;
}

// Splits "C:\Data\Book2.xls" into "C:\Data\" and "Book2.xls".
std::pair<std::string_view, std::string_view> splitPath(std::string_view path) {
  size_t cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos) return {std::string_view{}, path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

}  // namespace

bool sheetNameNeedsQuotes(std::string_view name) {
  if (name.empty()) return true;
  if (!hasOnlyNameCharacters(name)) return true;
  if (isAsciiDigit(name[0])) return true;
  if (equalsIgnoreCase(name, "TRUE") || equalsIgnoreCase(name, "FALSE")) return true;
  return looksLikeA1Reference(name) || looksLikeR1C1Reference(name);
}

std::string sheetPrefix(std::string_view firstSheet, std::string_view lastSheet) {
  bool range = lastSheet != firstSheet;
  std::string body(firstSheet);
  if (range) body += ":" + std::string(lastSheet);
  bool quote = sheetNameNeedsQuotes(firstSheet) || (range && sheetNameNeedsQuotes(lastSheet));
  return (quote ? quoted(body) : body) + "!";
}

std::string externalSheetPrefix(std::string_view bookPath, std::string_view firstSheet,
                                std::string_view lastSheet) {
  auto [folder, file] = splitPath(bookPath);
  bool range = lastSheet != firstSheet;
  std::string body = std::string(folder) + "[" + std::string(file) + "]" + std::string(firstSheet);
  if (range) body += ":" + std::string(lastSheet);
  bool quote = !folder.empty() || !hasOnlyNameCharacters(file) || sheetNameNeedsQuotes(firstSheet) ||
               (range && sheetNameNeedsQuotes(lastSheet));
  return (quote ? quoted(body) : body) + "!";
}

std::string externalBookPrefix(std::string_view bookPath) {
  auto [folder, file] = splitPath(bookPath);
  bool quote = !folder.empty() || !hasOnlyNameCharacters(file) || file.empty() || isAsciiDigit(file[0]);
  return (quote ? quoted(bookPath) : std::string(bookPath)) + "!";
}

}  // namespace zel::xls::formula
