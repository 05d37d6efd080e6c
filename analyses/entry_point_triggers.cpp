// Shapes with macros and the names that start code, read from the open workbook.
#include "analyses/entry_point_triggers.h"

#include "core/vb_error.h"
#include "core/vbstring.h"
#include "workbook/shape_labels.h"
#include "xls/vba/vba_project.h"

#include <algorithm>

namespace zel::analyses {

namespace {

using source::WorkbookTrigger;

// The kind label the shape list prints: by Excel's default name, else by the object kind.
std::string shapeLabel(const xls::drawing::Shape& shape) {
  std::string label = workbook::ShapeKindLabel(shape.name);
  return label == "ERROR" ? workbook::objectKindLabel(shape.objectKind) : label;
}

void addShapes(const std::string& sheet, const std::vector<xls::drawing::Shape>& shapes,
               std::vector<WorkbookTrigger>& out) {
  for (const auto& shape : shapes) {
    const std::string action = vb::rtrim(shape.onAction);
    if (!action.empty())
      out.push_back({WorkbookTrigger::Kind::Shape, sheet, vb::rtrim(shape.name), shapeLabel(shape), action});
    addShapes(sheet, shape.members, out);
  }
}

bool isAutoName(const std::string& name) {
  const std::string n = asciiLower(name);
  return n == "auto_open" || n == "auto_close" || n == "auto_activate" || n == "auto_deactivate";
}

// The sheet a name refers to when that sheet is an Excel 4 macro sheet; "" otherwise.
std::string macroSheetOf(const xls::Workbook& book, const xls::Name& name) {
  try {
    const int sheet = name.refersToSheet();
    if (book.sheet(sheet).type() == xls::SheetType::MacroSheet) return book.sheet(sheet).name();
  } catch (const VbError&) {
  }
  return {};
}

}  // namespace

std::vector<WorkbookTrigger> workbookTriggers(const xls::Workbook& book) {
  std::vector<WorkbookTrigger> out;
  for (int i = 1; i <= book.sheetCount(); ++i) addShapes(book.sheet(i).name(), book.sheet(i).drawing().shapes, out);
  for (int i = 1; i <= book.nameCount(); ++i) {
    const xls::Name n = book.nameItem(i);
    std::string name = n.name();
    if (const auto bang = name.rfind('!'); bang != std::string::npos) name = name.substr(bang + 1);
    std::string refersTo = n.refersTo();
    if (!refersTo.empty() && refersTo[0] == '=') refersTo.erase(0, 1);
    const std::string macroSheet = macroSheetOf(book, n);
    if (!macroSheet.empty()) {
      out.push_back({WorkbookTrigger::Kind::MacroSheetName, macroSheet, name, refersTo, refersTo});
    } else if (isAutoName(name)) {
      // A name without a macro reference starts the procedure of its own name.
      out.push_back({WorkbookTrigger::Kind::AutoName, "", name, refersTo, refersTo.empty() ? name : refersTo});
    }
  }
  return out;
}

source::EntryMap workbookEntryMap(const xls::Workbook& book) {
  source::EntryMapBuilder builder;
  try {
    if (const auto project = xls::vba::VbaProject::read(book.compoundFile()); project && !project->lockedForViewing()) {
      struct Item {
        size_t index;
        source::ModuleKind kind;
      };
      std::vector<Item> items;
      const auto& components = project->components();
      for (size_t i = 0; i < components.size(); ++i) {
        const auto& c = components[i];
        const int type = c.typeNumber();
        const source::ModuleKind kind = c.workbookModule ? source::ModuleKind::Book
                                        : type == 100    ? source::ModuleKind::Sheet
                                                         : static_cast<source::ModuleKind>(type);
        if (type >= 1 && (type <= 3 || type == 100)) items.push_back({i, kind});
      }
      // Kind by kind, each by file name, as the export folder is read.
      std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        return components[a.index].FileName < components[b.index].FileName;
      });
      long objectNo = 0;
      for (const Item& item : items) {
        ++objectNo;
        try {
          builder.addModule(components[item.index].FileName, item.kind, objectNo,
                            source::ModuleText::fromUtf8(project->exportText(item.index)));
        } catch (const VbError&) {
        }
      }
    }
  } catch (const VbError&) {
  }
  for (auto& t : workbookTriggers(book)) builder.addTrigger(std::move(t));
  return builder.finish();
}

}  // namespace zel::analyses
