// Expansion of header/footer codes.
#include "report/sheet_header_footer.h"

#include <cctype>

namespace zel::report {

HeaderFooterText expandHeaderFooter(std::string_view s, const HeaderFooterFields& f) {
  HeaderFooterText out;
  std::string* cur = &out.center;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c != '&' || i + 1 >= s.size()) {
      cur->push_back(c);
      continue;
    }
    char code = s[++i];
    switch (std::toupper(static_cast<unsigned char>(code))) {
      case 'L': cur = &out.left; break;
      case 'C': cur = &out.center; break;
      case 'R': cur = &out.right; break;
      case 'P': *cur += std::to_string(f.page); break;
      case 'N': *cur += std::to_string(f.pages); break;
      case 'D': *cur += f.date; break;
      case 'T': *cur += f.time; break;
      case 'F': *cur += f.fileName; break;
      case 'A': *cur += f.sheetName; break;
      case '&': cur->push_back('&'); break;
      case '"': {  // &"font,style"
        size_t end = s.find('"', i + 1);
        i = end == std::string_view::npos ? s.size() : end;
        break;
      }
      default:
        if (std::isdigit(static_cast<unsigned char>(code))) {  // &nn font size
          while (i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]))) ++i;
        }
        break;  // &B &I &U &S &E &X &Y &Z and unknown codes print nothing
    }
  }
  return out;
}

}  // namespace zel::report
