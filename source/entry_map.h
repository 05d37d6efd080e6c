// The entry-point map of a macro project: every way code is started (buttons and shapes,
// Auto_ names and procedures, event procedures, macro names passed as literal texts to
// Application.Run, OnTime, OnKey and On... properties, Excel 4 macro names), each resolved
// to a procedure, and from them which procedures the calls reach. Pure: the module texts and
// the workbook's triggers come in, rows come out; the analysis and the command line's
// inspect share it.
#pragma once
#include "source/module_files.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zel::source {

// What the workbook itself says starts code (gathered by the caller from the workbook).
struct WorkbookTrigger {
  enum class Kind { Shape, AutoName, MacroSheetName };
  Kind kind = Kind::Shape;
  std::string sheet;   // the shape's sheet; "" for names
  std::string place;   // the shape's or the name's name
  std::string detail;  // shape kind label ("ﾎﾞﾀﾝ"); for names their reference text
  std::string target;  // the macro text as written (OnAction, or the name itself)
};

// Groups of entry points, in report order.
enum class EntryKind { Shape = 1, Auto = 2, Event = 3, ByName = 4, MacroSheet = 5, CallerUse = 6 };
const char* entryKindLabel(EntryKind kind);

struct EntryRow {
  EntryKind kind = EntryKind::Shape;
  std::string location;  // sheet name, module file name, or "ブック"
  std::string place;     // shape or defined name, or the procedure the statement stands in
  long line = 0;         // line of the statement or header in its module; 0 for workbook items
  std::string trigger;   // "ｸﾘｯｸ時 (ﾎﾞﾀﾝ)", "Application.Run", "Workbook_Open" ...
  std::string target;    // as written
  std::optional<std::string> targetModule, targetProcedure;  // resolved, or nothing (not found)
  // Whether the row starts its target by itself. Code that starts code by name is followed
  // as a call of the procedure it stands in instead; notes (Application.Caller users) and
  // Excel 4 macros start no VBA procedure.
  bool root = true;
};

struct ReachRow {
  std::string module;  // module file name
  const char* moduleLabel = "";
  std::string procedure;
  long line = 0;          // header line
  long objectNo = 0;      // module order
  long entryIndex = -1;   // 0-based row of the entry that first reaches it; -1 when none
};

struct EntryMap {
  std::vector<EntryRow> entries;
  std::vector<ReachRow> procedures;  // every procedure of the project, in reading order
};

// Builds the map module by module (memory holds the procedures and their call names, not
// the texts), then resolves and follows the calls in time linear in the size of the code.
class EntryMapBuilder {
 public:
  EntryMapBuilder();
  ~EntryMapBuilder();
  EntryMapBuilder(const EntryMapBuilder&) = delete;
  EntryMapBuilder& operator=(const EntryMapBuilder&) = delete;

  void addModule(const std::string& fileName, ModuleKind kind, long objectNo, const ModuleText& text);
  void addTrigger(WorkbookTrigger trigger);
  EntryMap finish();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// The procedure a macro text names: "Book1.xls!Module1.Main", "'My Book.xls'!Main", "Main".
// Returns the module and procedure parts ("" module when none is given).
std::pair<std::string, std::string> splitMacroText(const std::string& text);

}  // namespace zel::source
