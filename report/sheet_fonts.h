// Fonts of a printed sheet: the workbook's font names mapped to the installed Noto faces.
#pragma once
#include <string>
#include <string_view>

namespace zel::report {

// Gothic and Western sans faces -> "Noto Sans CJK JP", Mincho and Times-like serif faces ->
// "Noto Serif CJK JP", Courier-like fixed faces -> "Noto Sans Mono CJK JP"; unknown names
// take the sans face.
std::string notoFamilyFor(std::string_view workbookFont);

}  // namespace zel::report
