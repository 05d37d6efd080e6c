// Font-name mapping for printed sheets.
#include "report/sheet_fonts.h"
#include "core/vbstring.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zel::report {
namespace {

bool containsAny(const std::string& name, std::initializer_list<std::string_view> keys) {
  return std::any_of(keys.begin(), keys.end(), [&](std::string_view k) { return name.find(k) != std::string::npos; });
}

}  // namespace

std::string notoFamilyFor(std::string_view workbookFont) {
  const std::string name = asciiLower(workbookFont);
  // Fixed-pitch faces first: "ＭＳ ゴシック" is fixed-pitch too, but prints well in the sans face.
  if (containsAny(name, {"courier", "consolas", "lucida console", "mono"})) return "Noto Sans Mono CJK JP";
  if (containsAny(name, {"明朝", "mincho", "times", "serif", "century", "georgia", "garamond", "bookman"}) &&
      name.find("sans") == std::string::npos) {
    return "Noto Serif CJK JP";
  }
  return "Noto Sans CJK JP";
}

}  // namespace zel::report
