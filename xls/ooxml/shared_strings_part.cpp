// xl/sharedStrings.xml: one string per <si>, its <t> texts and rich-text runs joined;
// phonetic runs (<rPh>) are not part of the value.
#include "xls/ooxml/ooxml_workbook.h"
#include "xls/ooxml/part_readers.h"

namespace zel::xls::ooxml {

std::vector<std::string> readSharedStrings(XmlReader& xml) {
  std::vector<std::string> out;
  std::string current;
  bool inItem = false;
  while (xml.next()) {
    std::string_view n = xml.localName();
    if (xml.isStart()) {
      if (n == "si") {
        if (out.size() >= kMaxSharedStrings) throw XmlError("the shared string table holds too many strings");
        current.clear();
        inItem = !xml.isEmptyElement();
        if (!inItem) out.emplace_back();
      } else if (n == "rPh" || n == "phoneticPr") {
        xml.skip();
      } else if (n == "t" && inItem) {
        current += xml.text();
      }
    } else if (n == "si" && inItem) {
      out.push_back(std::move(current));
      current.clear();
      inItem = false;
    }
  }
  return out;
}

}  // namespace zel::xls::ooxml
