// zelvarin-cli inspect: prints what the workbook reader sees (sheets, used ranges, counts,
// names, links, built-in and any custom document properties, the macro project's state and
// components, the entry points of the macro code; with --cells every non-empty cell), as text
// or JSON. A locked project shows its state only.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "analyses/entry_point_triggers.h"
#include "core/vb_error.h"
#include "cli/commands.h"
#include "xls/excel_model.h"
#include "xls/vba/vba_project.h"

namespace zel::cli {
namespace {

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

const char* typeText(xls::SheetType t) {
  switch (t) {
    case xls::SheetType::Worksheet: return "worksheet";
    case xls::SheetType::Chart: return "chart";
    case xls::SheetType::MacroSheet: return "macro sheet";
    case xls::SheetType::DialogSheet: return "dialog sheet";
  }
  return "worksheet";
}

const char* visibilityText(int v) {
  return v == xls::kSheetVisible ? "visible" : v == xls::kSheetHidden ? "hidden" : "very hidden";
}

struct CellLine {
  std::string address, formula, text, note;
};

struct SheetSummary {
  std::string name, type, visibility, usedRange;
  long rows = 0, cols = 0, cellCount = 0, formulas = 0, notes = 0, errors = 0;
  std::vector<CellLine> cells;
};

SheetSummary summarize(xls::Worksheet& sheet, bool withCells) {
  SheetSummary s;
  s.name = sheet.name();
  s.type = typeText(sheet.type());
  s.visibility = visibilityText(sheet.visible());
  xls::Range used = sheet.usedRange();
  s.usedRange = used.address();
  s.rows = used.rowsCount();
  s.cols = used.columnsCount();
  for (const xls::Cell& c : used) {
    std::string note = c.noteText();
    bool error = c.isError();
    std::string formula = c.formula();
    if (error) ++s.errors;
    else if (!c.valueText().empty()) ++s.cellCount;
    if (!formula.empty() && formula[0] == '=') ++s.formulas;
    if (!note.empty()) ++s.notes;
    if (withCells && (!c.isEmpty() || !note.empty())) s.cells.push_back({c.address(), formula, c.text(), note});
  }
  s.cellCount += s.errors;
  return s;
}

std::string propertyText(const xls::Workbook& book, int i, bool& failed) {
  failed = false;
  try {
    return book.builtinDocumentProperties().value(i).toText();
  } catch (const VbError& e) {
    failed = true;
    return "error " + std::to_string(e.number());
  }
}

const char* kindText(xls::PropertyValue::Kind k) {
  switch (k) {
    case xls::PropertyValue::Kind::Empty: return "empty";
    case xls::PropertyValue::Kind::Text: return "text";
    case xls::PropertyValue::Kind::Number: return "number";
    case xls::PropertyValue::Kind::Date: return "date";
    case xls::PropertyValue::Kind::Boolean: return "boolean";
  }
  return "empty";
}

// The macro project as far as it may be shown: its state, and its components (names and
// kinds, never code) only when it is neither locked for viewing nor damaged.
struct ProjectSummary {
  std::string state;  // "none", "readable", "locked for viewing", "damaged: ..."
  std::vector<std::pair<std::string, int>> components;
};

ProjectSummary summarizeProject(const xls::Workbook& book) {
  ProjectSummary p;
  try {
    auto project = xls::vba::VbaProject::read(book.compoundFile());
    if (!project) return {"none", {}};
    if (project->lockedForViewing()) return {"locked for viewing", {}};
    p.state = "readable";
    for (const auto& c : project->components()) p.components.emplace_back(c.Name, c.typeNumber());
  } catch (const VbError& e) {
    p = {std::string("damaged: ") + e.description(), {}};
  }
  return p;
}

int printText(xls::Workbook& book, const std::vector<SheetSummary>& sheets) {
  std::cout << "Workbook: " << book.fullName() << "\n";
  for (size_t i = 0; i < sheets.size(); ++i) {
    const auto& s = sheets[i];
    std::cout << "Sheet " << i + 1 << ": " << s.name << " (" << s.type << ", " << s.visibility << ") used range "
              << s.usedRange << " rows " << s.rows << " columns " << s.cols << " cells " << s.cellCount << " formulas "
              << s.formulas << " notes " << s.notes << " errors " << s.errors << "\n";
    for (const auto& c : s.cells) {
      std::cout << "  " << c.address << "\t" << c.formula << "\t" << c.text;
      if (!c.note.empty()) std::cout << "\tnote: " << c.note;
      std::cout << "\n";
    }
  }
  for (int i = 1; i <= book.nameCount(); ++i) {
    xls::Name n = book.nameItem(i);
    std::cout << "Name: " << n.name() << " " << n.refersTo() << "\n";
  }
  for (int type = 1; type <= 2; ++type)
    for (const auto& l : book.linkSources(type)) std::cout << "Link (" << (type == 1 ? "Excel" : "OLE") << "): " << l << "\n";
  for (int i = 1; i <= xls::kBuiltinPropertyCount; ++i) {
    bool failed;
    std::string v = propertyText(book, i, failed);
    if (!v.empty()) std::cout << "Property " << i << " " << xls::DocumentProperties::name(i) << ": " << v << "\n";
  }
  for (const xls::CustomProperty& p : book.customDocumentProperties())
    std::cout << "Custom property: " << p.name << " (" << kindText(p.value.kind) << "): " << p.value.toText() << "\n";
  const ProjectSummary project = summarizeProject(book);
  std::cout << "Macro project: " << project.state << "\n";
  for (const auto& [name, type] : project.components) std::cout << "Component: " << name << " (type " << type << ")\n";
  for (const auto& e : analyses::workbookEntryMap(book).entries) {
    std::cout << "Entry: " << source::entryKindLabel(e.kind) << "\t" << e.location << "\t" << e.place;
    if (e.line > 0) std::cout << ":" << e.line;
    std::cout << "\t" << e.trigger << "\t" << e.target << "\t"
              << (e.targetProcedure ? *e.targetModule + " " + *e.targetProcedure : std::string("(not found)")) << "\n";
  }
  for (const auto& w : book.warnings()) std::cout << "Warning: " << w << "\n";
  return 0;
}

int printJson(xls::Workbook& book, const std::vector<SheetSummary>& sheets, bool withCells) {
  std::ostringstream o;
  o << "{\n  \"workbook\": " << jsonString(book.fullName()) << ",\n  \"sheets\": [";
  for (size_t i = 0; i < sheets.size(); ++i) {
    const auto& s = sheets[i];
    o << (i ? "," : "") << "\n    {\"name\": " << jsonString(s.name) << ", \"type\": " << jsonString(s.type)
      << ", \"visibility\": " << jsonString(s.visibility) << ", \"usedRange\": " << jsonString(s.usedRange)
      << ", \"rows\": " << s.rows << ", \"columns\": " << s.cols << ", \"cells\": " << s.cellCount
      << ", \"formulas\": " << s.formulas << ", \"notes\": " << s.notes << ", \"errors\": " << s.errors;
    if (withCells) {
      o << ", \"cellList\": [";
      for (size_t k = 0; k < s.cells.size(); ++k) {
        const auto& c = s.cells[k];
        o << (k ? "," : "") << "\n      {\"address\": " << jsonString(c.address) << ", \"formula\": " << jsonString(c.formula)
          << ", \"text\": " << jsonString(c.text) << ", \"note\": " << jsonString(c.note) << "}";
      }
      o << "]";
    }
    o << "}";
  }
  o << "\n  ],\n  \"names\": [";
  for (int i = 1; i <= book.nameCount(); ++i) {
    xls::Name n = book.nameItem(i);
    o << (i > 1 ? "," : "") << "\n    {\"name\": " << jsonString(n.name()) << ", \"refersTo\": " << jsonString(n.refersTo()) << "}";
  }
  o << "\n  ],\n  \"links\": [";
  bool first = true;
  for (int type = 1; type <= 2; ++type)
    for (const auto& l : book.linkSources(type)) {
      o << (first ? "" : ",") << "\n    {\"type\": " << (type == 1 ? "\"Excel\"" : "\"OLE\"") << ", \"source\": " << jsonString(l) << "}";
      first = false;
    }
  o << "\n  ],\n  \"properties\": [";
  for (int i = 1; i <= xls::kBuiltinPropertyCount; ++i) {
    bool failed;
    std::string v = propertyText(book, i, failed);
    o << (i > 1 ? "," : "") << "\n    {\"index\": " << i << ", \"name\": " << jsonString(xls::DocumentProperties::name(i))
      << (failed ? ", \"error\": " : ", \"value\": ") << jsonString(v) << "}";
  }
  // Only books that have custom properties show the list.
  if (const auto& custom = book.customDocumentProperties(); !custom.empty()) {
    o << "\n  ],\n  \"customProperties\": [";
    for (size_t i = 0; i < custom.size(); ++i)
      o << (i ? "," : "") << "\n    {\"name\": " << jsonString(custom[i].name) << ", \"type\": "
        << jsonString(kindText(custom[i].value.kind)) << ", \"value\": " << jsonString(custom[i].value.toText()) << "}";
  }
  const ProjectSummary project = summarizeProject(book);
  o << "\n  ],\n  \"macroProject\": {\"state\": " << jsonString(project.state) << ", \"components\": [";
  for (size_t i = 0; i < project.components.size(); ++i)
    o << (i ? ", " : "") << "{\"name\": " << jsonString(project.components[i].first)
      << ", \"type\": " << project.components[i].second << "}";
  o << "]},\n  \"entryPoints\": [";
  const source::EntryMap map = analyses::workbookEntryMap(book);
  std::vector<long> reachedBy(map.entries.size(), 0);
  for (const auto& p : map.procedures)
    if (p.entryIndex >= 0) ++reachedBy[static_cast<size_t>(p.entryIndex)];
  for (size_t i = 0; i < map.entries.size(); ++i) {
    const source::EntryRow& e = map.entries[i];
    const long reached = reachedBy[i];
    o << (i ? "," : "") << "\n    {\"kind\": " << jsonString(source::entryKindLabel(e.kind))
      << ", \"location\": " << jsonString(e.location) << ", \"place\": " << jsonString(e.place)
      << ", \"line\": " << e.line << ", \"trigger\": " << jsonString(e.trigger) << ", \"target\": " << jsonString(e.target)
      << ", \"module\": " << (e.targetModule ? jsonString(*e.targetModule) : "null")
      << ", \"procedure\": " << (e.targetProcedure ? jsonString(*e.targetProcedure) : "null")
      << ", \"proceduresReached\": " << reached << "}";
  }
  o << "\n  ],\n  \"unreachedProcedures\": [";
  bool firstUnreached = true;
  for (const auto& p : map.procedures) {
    if (p.entryIndex >= 0) continue;
    o << (firstUnreached ? "" : ",") << "\n    {\"module\": " << jsonString(p.module)
      << ", \"procedure\": " << jsonString(p.procedure) << ", \"line\": " << p.line << "}";
    firstUnreached = false;
  }
  o << "\n  ],\n  \"warnings\": [";
  auto warnings = book.warnings();
  for (size_t i = 0; i < warnings.size(); ++i) o << (i ? ", " : "") << jsonString(warnings[i]);
  o << "]\n}\n";
  std::cout << o.str();
  return 0;
}

}  // namespace

int runInspect(const std::vector<std::string>& args) {
  std::string path;
  bool json = false, cells = false;
  for (const auto& a : args) {
    if (a == "--json") json = true;
    else if (a == "--cells") cells = true;
    else if (!a.empty() && a[0] == '-') throw UsageError("unknown option " + a);
    else if (path.empty()) path = a;
    else throw UsageError("more than one workbook given");
  }
  if (path.empty()) throw UsageError("no workbook given");
  std::unique_ptr<xls::Workbook> book;
  try {
    book = xls::Workbook::open(path);
  } catch (const VbError& e) {
    std::cerr << "zelvarin-cli inspect: " << e.description() << "\n";
    return 1;
  }
  std::vector<SheetSummary> sheets;
  for (int i = 1; i <= book->sheetCount(); ++i) sheets.push_back(summarize(book->sheet(i), cells));
  return json ? printJson(*book, sheets, cells) : printText(*book, sheets);
}

}  // namespace zel::cli
