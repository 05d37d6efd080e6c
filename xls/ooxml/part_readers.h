// The readers of the single parts of a workbook package, each from the part's XML to the
// parsed structures; ooxml_workbook.cpp ties them together through the relationships.
#pragma once
#include <cstdint>
#include <optional>
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

// A cell corner of an anchor (<xdr:from>, <xdr:to> of a drawing, or of an object's
// objectPr/controlPr in newer files): offsets in EMU.
struct CellPoint {
  uint32_t col = 0, row = 0;
  int64_t colOffEmu = 0, rowOffEmu = 0;
};
// At a <from> or <to> start: its col, row, colOff and rowOff, the reader left on its end. A
// column or row past the sheet's last ends on it, an offset stays within 0..INT32_MAX, and a
// value that is no integer reads as 0.
CellPoint readCellPoint(XmlReader& xml);

// An <oleObject> or <control> of a sheet: drawn by the legacy VML shape of its shape id, or
// where its own anchor says when that shape is missing.
struct SheetObjectRef {
  bool control = false;  // an ActiveX control; else an OLE object
  uint32_t shapeId = 0;
  std::string relId;      // the embedding (OLE object) or the control's part
  std::string progId;     // OLE objects: "Word.Document.12"
  std::string name;       // controls: their code name ("CommandButton1")
  bool linked = false;    // an OLE object linked to a file (link attribute), not embedded
  std::string imageRelId; // objectPr/controlPr: the image that stands for the object
  std::optional<std::pair<CellPoint, CellPoint>> anchor;
};
inline constexpr size_t kMaxSheetObjects = 65535;

// At an <oleObject> or <control> start: reads it with its properties (the reader left on its
// end) into `objects`, one entry per shape id (the fallback of newer files' alternate content
// adds nothing new). Bounded at kMaxSheetObjects.
void readSheetObject(XmlReader& xml, std::vector<SheetObjectRef>& objects);

// xl/worksheets/sheetN.xml and the other sheet kinds. Formulas are stored as display text.
struct SheetPartLinks {
  std::string legacyDrawingRelId, drawingRelId;
  std::vector<SheetObjectRef> objects;  // OLE objects and ActiveX controls
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

// docProps/core.xml and docProps/app.xml into the built-in properties, docProps/custom.xml
// into the custom ones.
void readCoreProperties(XmlReader& xml, DocumentProperties& props);
void readAppProperties(XmlReader& xml, DocumentProperties& props);
void readCustomProperties(XmlReader& xml, DocumentProperties& props);

// The error code of "#DIV/0!" and the like (0x2A #N/A for unknown texts).
uint8_t errorCodeOf(std::string_view text);
// An ISO 8601 date-time ("2006-09-16T08:30:00Z") as a serial day number, 1900 date system.
std::optional<double> isoDateSerial(std::string_view text);
// The same, a time with a zone ("Z", "+09:00") turned into local time as document dates are
// shown; a time without a zone as stored.
std::optional<double> isoLocalDateSerial(std::string_view text);

}  // namespace zel::xls::ooxml
