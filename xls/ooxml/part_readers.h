// The readers of the single parts of a workbook package, each from the part's XML to the
// parsed structures; ooxml_workbook.cpp ties them together through the relationships.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "xls/biff_workbook.h"
#include "xls/document_properties.h"
#include "xls/ooxml/formula_text.h"
#include "xls/ooxml/xml_reader.h"

namespace zel::xls::ooxml {

// xl/workbook.xml
struct WorkbookPartSheet {
  std::string name, relId;
  SheetVisibility visibility = SheetVisibility::Visible;
};
struct WorkbookPartName {
  std::string name;
  int localSheet = -1;  // 0-based sheet of a sheet-level name
  bool hidden = false, function = false;
  std::string formula;  // as stored, without "="
};
struct WorkbookPart {
  std::vector<WorkbookPartSheet> sheets;
  std::vector<WorkbookPartName> names;
  std::vector<std::string> externalRelIds;
  bool date1904 = false;
  int activeTab = 0;
};
WorkbookPart readWorkbookPart(XmlReader& xml);

// xl/sharedStrings.xml: each item's text with its rich-text runs joined (phonetic runs left out).
std::vector<std::string> readSharedStrings(XmlReader& xml);

class StyleColors;
// xl/styles.xml: number formats, fonts, fills, borders and the cell formats (cellXfs) as XF
// records, their colours resolved through `colors`.
void readStyles(XmlReader& xml, WorkbookGlobals& globals, StyleColors& colors);

// xl/worksheets/sheetN.xml and the other sheet kinds. Formulas are stored as display text.
struct SheetPartLinks {
  std::string legacyDrawingRelId, drawingRelId;
};
// date1904: the book counts days from 1904 (ISO dates of t="d" cells are turned into its serials).
// partBytes: the part's stated size, from which the cells are reserved when the sheet does not
// state its dimension.
SheetPartLinks readWorksheetPart(XmlReader& xml, SheetData& sheet, const std::vector<ExternalBookName>& books,
                                 bool date1904, uint64_t partBytes = 0);

// xl/commentsN.xml into the sheet's notes (sorted by position).
void readCommentsPart(XmlReader& xml, SheetData& sheet);

// xl/externalLinks/externalLinkN.xml: the book's sheets and names, or a DDE/OLE link.
struct ExternalLinkPart {
  SupBookInfo::Kind kind = SupBookInfo::Kind::External;
  std::string relId;  // of the book's path (external books, OLE links)
  std::string ddeService, ddeTopic;
  std::vector<std::string> sheetNames, definedNames;
};
ExternalLinkPart readExternalLinkPart(XmlReader& xml);

// docProps/core.xml and docProps/app.xml into the built-in properties.
void readCoreProperties(XmlReader& xml, DocumentProperties& props);
void readAppProperties(XmlReader& xml, DocumentProperties& props);

// The error code of "#DIV/0!" and the like (0x2A #N/A for unknown texts).
uint8_t errorCodeOf(std::string_view text);
// An ISO 8601 date-time ("2006-09-16T08:30:00Z") as a serial day number, 1900 date system.
std::optional<double> isoDateSerial(std::string_view text);

}  // namespace zel::xls::ooxml
