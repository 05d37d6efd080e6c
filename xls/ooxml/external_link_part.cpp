// xl/externalLinks/externalLinkN.xml: an external workbook (its sheet and name lists) or a
// DDE/OLE link, as the formula text and Workbook.LinkSources need them.
#include "xls/ooxml/part_readers.h"

namespace zel::xls::ooxml {

namespace {
constexpr size_t kMaxExternalItems = 65536;
}

ExternalLinkPart readExternalLinkPart(XmlReader& xml) {
  ExternalLinkPart out;
  while (xml.next()) {
    if (!xml.isStart()) continue;
    std::string_view n = xml.localName();
    if (n == "externalBook") {
      out.kind = SupBookInfo::Kind::External;
      out.relId = xml.attr("id").value_or("");
    } else if (n == "sheetName") {
      if (out.sheetNames.size() < kMaxExternalItems) out.sheetNames.push_back(xml.attr("val").value_or(""));
    } else if (n == "definedName" || n == "ddeItem" || n == "oleItem") {
      if (out.definedNames.size() < kMaxExternalItems) out.definedNames.push_back(xml.attr("name").value_or(""));
    } else if (n == "ddeLink") {
      out.kind = SupBookInfo::Kind::OleDde;
      out.ddeService = xml.attr("ddeService").value_or("");
      out.ddeTopic = xml.attr("ddeTopic").value_or("");
    } else if (n == "oleLink") {
      out.kind = SupBookInfo::Kind::OleDde;
      out.relId = xml.attr("id").value_or("");
      out.ddeService = xml.attr("progId").value_or("");
    }
  }
  return out;
}

}  // namespace zel::xls::ooxml
