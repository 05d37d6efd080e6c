// xl/workbook.xml: the sheets in order with their state, the defined names, the external
// references, the date system and the active sheet.
#include "xls/ooxml/ooxml_workbook.h"
#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/xml_number.h"


namespace zel::xls::ooxml {
namespace {

int toInt(const std::optional<std::string>& s, int fallback) {
  return s ? xmlInteger<int>(*s).value_or(fallback) : fallback;
}

bool isTrue(const std::optional<std::string>& s) { return s && (*s == "1" || *s == "true"); }

}  // namespace

WorkbookPart readWorkbookPart(XmlReader& xml) {
  WorkbookPart out;
  while (xml.next()) {
    if (!xml.isStart()) continue;
    std::string_view n = xml.localName();
    if (n == "workbookPr") {
      out.date1904 = isTrue(xml.attr("date1904"));
    } else if (n == "workbookView") {
      if (out.activeTab == 0) out.activeTab = std::max(0, toInt(xml.attr("activeTab"), 0));
    } else if (n == "sheet") {
      if (out.sheets.size() >= kMaxSheets) throw XmlError("the workbook declares too many sheets");
      WorkbookPartSheet s;
      s.name = xml.attr("name").value_or("");
      s.relId = xml.attr("id").value_or("");
      std::string state = xml.attr("state").value_or("visible");
      s.visibility = state == "hidden" ? SheetVisibility::Hidden
                     : state == "veryHidden" ? SheetVisibility::VeryHidden
                                             : SheetVisibility::Visible;
      out.sheets.push_back(std::move(s));
    } else if (n == "definedName") {
      if (out.names.size() >= kMaxDefinedNames) throw XmlError("the workbook declares too many names");
      WorkbookPartName d;
      d.name = xml.attr("name").value_or("");
      d.localSheet = toInt(xml.attr("localSheetId"), -1);
      d.hidden = isTrue(xml.attr("hidden"));
      d.function = isTrue(xml.attr("function")) || isTrue(xml.attr("vbProcedure")) || isTrue(xml.attr("xlm"));
      d.formula = xml.text();
      out.names.push_back(std::move(d));
    } else if (n == "externalReference") {
      if (out.externalRelIds.size() >= kMaxExternalBooks) throw XmlError("the workbook declares too many external books");
      out.externalRelIds.push_back(xml.attr("id").value_or(""));
    }
  }
  return out;
}

}  // namespace zel::xls::ooxml
