// StripAll and LinkRefText, counting positions in UTF-16 units as the rest of the program.
#include "workbook/text_rules.h"

#include "core/vbstring.h"

namespace zel::workbook {
namespace {

bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The same rule on bytes: for ASCII text every character is one UTF-16 unit.
std::string stripAllAscii(std::string_view text, std::string_view part) {
  if (vb::trim(text).empty()) return {};
  if (part.empty() || text.find(part) == std::string_view::npos) return std::string(text);
  std::string out(text);
  for (size_t p = out.find(part); p != std::string::npos; p = out.find(part)) {
    if (p == 0)
      out = vb::trim(std::string_view(out).substr(part.size()));
    else
      out.erase(p, part.size());
  }
  return out;
}

}  // namespace

std::string StripAll(std::string_view textIn, std::string_view partIn) {
  if (isAscii(textIn) && isAscii(partIn)) return stripAllAscii(textIn, partIn);
  std::u16string text = toU16(textIn);
  if (vb::trim(text).empty()) return {};
  const std::u16string part = toU16(partIn);
  if (part.empty()) return std::string(textIn);  // an empty part "occurs" everywhere: nothing to remove
  if (vb::inStr(text, part) == 0) return std::string(textIn);
  const long partLen = vb::len(part);
  for (long p = vb::inStr(text, part); p != 0; p = vb::inStr(text, part)) {
    if (p == 1)
      text = vb::trim(vb::mid(text, 1 + partLen));
    else
      text = vb::left(text, p - 1) + vb::mid(text, p + partLen);
  }
  return toU8(text);
}

std::string LinkRefText(std::string_view linkSource) {
  if (linkSource.empty()) return {};
  const std::u16string path = toU16(linkSource);
  const long k = vb::inStrRev(path, u"\\");
  if (k == 0) return "[" + std::string(linkSource) + "]";
  return toU8(vb::left(path, k) + u"[" + vb::mid(path, k + 1) + u"]");
}

}  // namespace zel::workbook
