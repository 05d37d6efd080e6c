// The editor's line limits, counted in one pass over a module's source.
#include "xls/vba/module_limits.h"

namespace zel::xls::vba {
namespace {

constexpr std::string_view kAttributePrefix = "Attribute ";

// Characters as the editor counts them (UTF-16 units) in a UTF-8 line.
size_t characterCount(std::string_view line) {
  size_t n = 0;
  for (unsigned char c : line) {
    if ((c & 0xC0) != 0x80) ++n;  // a lead or single byte starts a character
    if (c >= 0xF0) ++n;           // four-byte sequences are two UTF-16 units
  }
  return n;
}

}  // namespace

std::string editorLimitBreach(std::string_view source) {
  size_t codeLines = 0;
  size_t pos = 0;
  while (pos < source.size()) {
    size_t end = source.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = source.size();
    const std::string_view line = source.substr(pos, end - pos);
    if (line.substr(0, kAttributePrefix.size()) != kAttributePrefix) {
      if (++codeLines > kMaxModuleLines)
        return "the module has more than " + std::to_string(kMaxModuleLines) + " lines";
      if (line.size() > kMaxLineCharacters && characterCount(line) > kMaxLineCharacters)
        return "line " + std::to_string(codeLines) + " has more than " + std::to_string(kMaxLineCharacters) +
               " characters";
    }
    pos = end;
    if (pos < source.size() && source[pos] == '\r') ++pos;
    if (pos < source.size() && source[pos] == '\n') ++pos;
  }
  return {};
}

}  // namespace zel::xls::vba
