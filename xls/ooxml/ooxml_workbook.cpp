// Ties the parts of a workbook package together through their relationships: workbook part,
// shared strings, styles, external links, sheets with their notes, document properties and
// the macro project, filling the same structures the BIFF8 reader fills.
#include "xls/ooxml/ooxml_workbook.h"

#include <algorithm>

#include "core/vb_error.h"
#include "core/vbstring.h"
#include "xls/open_error.h"
#include "xls/ooxml/drawing_parts.h"
#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/style_colors.h"

namespace zel::xls::ooxml {
namespace {

[[noreturn]] void refuse(const std::string& reason) { throw VbError(err::BadFileFormat, reason); }
// An Excel workbook in one of the forms this reader does not read.
[[noreturn]] void refuseForm(const std::string& reason) { throw WorkbookOpenError(OpenFailure::Ooxml, "", reason); }

const Relationship* byId(const std::vector<Relationship>& rels, const std::string& id) {
  for (const Relationship& r : rels)
    if (r.id == id) return &r;
  return nullptr;
}

const Relationship* byType(const std::vector<Relationship>& rels, std::string_view type) {
  for (const Relationship& r : rels)
    if (r.type == type) return &r;
  return nullptr;
}

bool endsWithNoCase(const std::string& s, std::string_view tail) {
  return s.size() >= tail.size() && vb::ucase(s.substr(s.size() - tail.size())) == vb::ucase(tail);
}

// The workbook part the package names, refused with a clear reason when it is not one we read.
std::string workbookPartName(const Package& package) {
  auto rels = package.relationships("");
  const Relationship* main = byType(rels, "officeDocument");
  if (!main) {
    if (package.exists("xl/workbook.xml")) return "xl/workbook.xml";
    refuse("the file is an Office Open XML package without a workbook (it is not an Excel workbook).");
  }
  if (main->strict)
    refuseForm("the file is a Strict Open XML workbook; only Transitional Office Open XML workbooks (as Excel saves "
           ".xlsx/.xlsm by default) are read. Save it again from Excel as an Excel Workbook.");
  if (endsWithNoCase(main->target, ".bin"))
    refuseForm("the file is an Excel binary workbook (.xlsb); it cannot be read. Save it from Excel as .xlsm or .xlsx.");
  bool workbookLike = main->target.rfind("xl/", 0) == 0 || vb::ucase(main->target).find("WORKBOOK") != std::string::npos;
  if (!endsWithNoCase(main->target, ".xml") || !workbookLike)
    refuse("the file is an Office Open XML package of another kind (" + main->target + "), not an Excel workbook.");
  return main->target;
}

SheetType sheetTypeOf(const std::string& relType) {
  if (relType == "chartsheet") return SheetType::Chart;
  if (relType == "dialogsheet") return SheetType::DialogSheet;
  if (relType == "xlMacrosheet" || relType == "xlIntlMacrosheet") return SheetType::MacroSheet;
  return SheetType::Worksheet;
}

// A link target as Excel shows the book's path: "file:///C:/dir/b.xlsx" -> "C:\dir\b.xlsx".
std::string linkPath(std::string target) {
  target = percentDecoded(target);
  for (std::string_view prefix : {std::string_view("file:///"), std::string_view("file://")})
    if (target.rfind(prefix, 0) == 0) {
      target = target.substr(prefix.size());
      break;
    }
  bool windows = target.size() >= 2 && target[1] == ':';
  bool unc = target.rfind("\\\\", 0) == 0 || target.rfind("//", 0) == 0;
  if (windows || unc || target.find('\\') != std::string::npos)
    std::replace(target.begin(), target.end(), '/', '\\');
  return target;
}

uint8_t builtinCodeOf(const std::string& text) {
  for (uint8_t code = 0; code <= 0x0D; ++code)
    if (vb::ucase(builtinNameText(code)) == vb::ucase(text)) return code;
  return 0xFF;
}

class PackageReader {
 public:
  explicit PackageReader(const Package& package) : package_(package) {}

  OoxmlWorkbook run() {
    std::string wbName = workbookPartName(package_);
    auto wbText = package_.read(wbName);
    if (!wbText) refuse("the package names a workbook part (" + wbName + ") that it does not hold.");
    WorkbookPart wb;
    try {
      XmlReader xml(std::move(*wbText));
      wb = readWorkbookPart(xml);
    } catch (const std::exception& e) {
      refuse(std::string("the workbook part is damaged (") + e.what() + ").");
    }
    auto rels = package_.relationships(wbName);
    WorkbookGlobals& g = out_.biff.globals;
    g.dateMode1904 = wb.date1904;
    g.codePage = 1200;
    g.palette = defaultPalette();
    guarded("theme", [&] {
      if (const Relationship* r = byType(rels, "theme"))
        if (auto text = package_.read(r->target)) {
          XmlReader xml(std::move(*text));
          theme_ = readThemePart(xml);
        }
    });
    guarded("shared strings", [&] {
      // Streamed: the table of a large book may be larger than a part read whole.
      if (const Relationship* r = byType(rels, "sharedStrings"))
        if (auto stream = package_.stream(r->target)) {
          XmlReader xml = XmlReader::scanning(std::move(*stream));
          g.sst = readSharedStrings(xml);
        }
    });
    guarded("styles", [&] {
      if (const Relationship* r = byType(rels, "styles"))
        if (auto text = package_.read(r->target)) {
          XmlReader palettePass(*text);
          StyleColors colors(theme_, readIndexedColors(palettePass), g);
          XmlReader xml(std::move(*text));
          readStyles(xml, g, colors);
        }
    });
    if (g.xfs.empty()) g.xfs.emplace_back();
    readExternalBooks(wb, rels);
    DrawingSources drawings{package_, theme_, g.palette, bookNames_, {}, {}};
    for (size_t i = 0; i < wb.sheets.size(); ++i) readSheet(wb.sheets[i], rels, drawings);
    out_.pictures = std::move(drawings.pictures);
    g.activeSheet = static_cast<uint16_t>(std::min<size_t>(static_cast<size_t>(wb.activeTab), 0xFFFF));
    readNames(wb);
    readProperties();
    guarded("macro project", [&] {
      if (const Relationship* r = byType(rels, "vbaProject"))
        if (auto bin = package_.read(r->target)) out_.vbaProject = std::vector<uint8_t>(bin->begin(), bin->end());
    });
    return std::move(out_);
  }

 private:
  // A damaged part below the workbook part is a warning; the rest is still read.
  template <typename F>
  void guarded(const std::string& what, F&& f) {
    try {
      f();
    } catch (const XmlError& e) {
      out_.biff.globals.warnings.push_back(what + ": " + e.what());
    } catch (const PackageError& e) {
      out_.biff.globals.warnings.push_back(what + ": " + e.what());
    }
  }

  void readExternalBooks(const WorkbookPart& wb, const std::vector<Relationship>& rels) {
    WorkbookGlobals& g = out_.biff.globals;
    ExternalBook self;
    self.info.kind = SupBookInfo::Kind::Self;
    g.books.push_back(self);
    for (const std::string& id : wb.externalRelIds) {
      ExternalBook book;
      book.info.kind = SupBookInfo::Kind::External;
      guarded("external link", [&] {
        const Relationship* r = byId(rels, id);
        if (!r) return;
        auto text = package_.read(r->target);
        if (!text) return;
        XmlReader xml(std::move(*text));
        ExternalLinkPart link = readExternalLinkPart(xml);
        book.info.kind = link.kind;
        book.info.sheetNames = link.sheetNames;
        book.info.externNames = link.definedNames;
        book.externNameIsOle.assign(link.definedNames.size(), link.kind == SupBookInfo::Kind::OleDde);
        if (link.kind == SupBookInfo::Kind::OleDde && !link.ddeTopic.empty()) {
          book.info.fileName = link.ddeService + "|" + link.ddeTopic;
        } else {
          auto linkRels = package_.relationships(r->target);
          if (const Relationship* t = byId(linkRels, link.relId)) book.info.fileName = linkPath(t->target);
          if (link.kind == SupBookInfo::Kind::OleDde) book.info.fileName = link.ddeService + "|" + book.info.fileName;
        }
      });
      bookNames_.push_back({book.info.fileName});
      g.books.push_back(std::move(book));
    }
  }

  void readSheet(const WorkbookPartSheet& s, const std::vector<Relationship>& rels, DrawingSources& drawings) {
    WorkbookGlobals& g = out_.biff.globals;
    BoundSheet bound;
    bound.name = s.name;
    bound.visibility = s.visibility;
    SheetData data;
    drawing::SheetDrawing drawing;
    const Relationship* r = byId(rels, s.relId);
    if (r) bound.type = data.type = sheetTypeOf(r->type);
    ExternSheetRef x;
    x.supBook = 0;
    x.firstSheet = x.lastSheet = static_cast<int16_t>(g.sheets.size());
    g.externSheets.push_back(x);
    if (!r) {
      data.warnings.push_back("the sheet's part is not named in the workbook's relationships");
    } else {
      try {
        if (auto stream = package_.stream(r->target)) {
          const uint64_t partBytes = stream->statedSize();
          XmlReader xml = XmlReader::scanning(std::move(*stream));
          SheetPartLinks links = readWorksheetPart(xml, data, bookNames_, out_.biff.globals.dateMode1904, partBytes);
          readNotes(r->target, data);
          drawing = readSheetDrawings(drawings, r->target, links, data);
        } else {
          data.warnings.push_back("the sheet's part " + r->target + " is missing");
        }
      } catch (const XmlError& e) {
        data.warnings.push_back(std::string("the sheet's part is damaged; what came before the damage was read (") +
                                e.what() + ")");
      } catch (const PackageError& e) {
        data.warnings.push_back(std::string("the sheet's part is damaged; what came before the damage was read (") +
                                e.what() + ")");
      }
    }
    g.sheets.push_back(std::move(bound));
    out_.biff.sheets.push_back(std::move(data));
    out_.drawings.push_back(std::move(drawing));
  }

  void readNotes(const std::string& sheetPart, SheetData& data) {
    auto rels = package_.relationships(sheetPart);
    for (const Relationship& r : rels) {
      if (r.type != "comments" || r.external) continue;
      try {
        if (auto text = package_.read(r.target)) {
          XmlReader xml(std::move(*text));
          readCommentsPart(xml, data);
        }
      } catch (const std::exception& e) {
        data.warnings.push_back(std::string("the notes part is damaged (") + e.what() + ")");
      }
    }
  }

  void readNames(const WorkbookPart& wb) {
    WorkbookGlobals& g = out_.biff.globals;
    std::vector<std::string> sheetNames;
    for (const BoundSheet& s : g.sheets) sheetNames.push_back(s.name);
    for (const WorkbookPartName& n : wb.names) {
      DefinedName d;
      d.name = n.name;
      if (vb::ucase(n.name).rfind("_XLNM.", 0) == 0) {
        d.name = n.name.substr(6);
        uint8_t code = builtinCodeOf(d.name);
        if (code != 0xFF) {
          d.builtin = true;
          d.builtinCode = code;
          d.name = builtinNameText(code);
        }
      }
      d.hidden = n.hidden;
      d.function = n.function;
      if (n.localSheet >= 0 && static_cast<size_t>(n.localSheet) < g.sheets.size()) d.sheetScope = n.localSheet + 1;
      d.formulaText = displayFormula(n.formula, bookNames_);
      if (auto tokens = referenceListTokens(n.formula, sheetNames)) d.rgce = std::move(*tokens);
      g.names.push_back(std::move(d));
    }
  }

  void readProperties() {
    auto rels = package_.relationships("");
    guarded("core properties", [&] {
      if (const Relationship* r = byType(rels, "core-properties"))
        if (auto text = package_.read(r->target)) {
          XmlReader xml(std::move(*text));
          readCoreProperties(xml, out_.properties);
        }
    });
    guarded("extended properties", [&] {
      if (const Relationship* r = byType(rels, "extended-properties"))
        if (auto text = package_.read(r->target)) {
          XmlReader xml(std::move(*text));
          readAppProperties(xml, out_.properties);
        }
    });
    guarded("custom properties", [&] {
      if (const Relationship* r = byType(rels, "custom-properties"))
        if (auto text = package_.read(r->target)) {
          XmlReader xml(std::move(*text));
          readCustomProperties(xml, out_.properties);
        }
    });
  }

  const Package& package_;
  OoxmlWorkbook out_;
  std::vector<ExternalBookName> bookNames_;
  ThemeColors theme_;
};

}  // namespace

OoxmlWorkbook readWorkbookPackage(const Package& package) {
  try {
    return PackageReader(package).run();
  } catch (const PackageError& e) {
    refuse(std::string("the package is damaged (") + e.what() + ").");
  } catch (const XmlError& e) {
    refuse(std::string("the package is damaged (") + e.what() + ").");
  }
}

}  // namespace zel::xls::ooxml
