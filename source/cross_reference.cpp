// cmdInyoSaki: which procedure of the standard modules each calling or assigning line refers
// to. The first pass collects the declared names, the second finds them in the code.
#include "source/analysis_frame.h"
#include "source/name_matcher.h"

#include "core/vbstring.h"

#include <vector>

namespace zel::source {

namespace {

struct ProcedureTable {
  std::vector<U16> names;
  std::vector<const ModuleFile*> fileOf;  // the declaring file
};

// Blank lines and "Attribute" lines take part in neither pass.
bool skipped(U16V line) { return vb::trim(line).empty() || isAttributeLine(line); }

bool isHeader(const U16& upper) { return contains(upper, u"FUNCTION ") || contains(upper, u"SUB "); }

void collectNames(const ModuleEntry& m, const ModuleText& text, ProcedureTable& table) {
  U16V line;
  for (LineCursor cursor(text); cursor.next(line);) {
    if (skipped(line) || !isHeader(upperLtrim(line))) continue;
    U16 name = GetProcName(line);
    if (name == u"ERROR" || name.empty()) continue;  // an empty name would match every line
    table.names.push_back(std::move(name));
    table.fileOf.push_back(&m.file);
  }
}

}  // namespace

RunResult runInyoSaki(SourceRun& run) {
  RunResult result;
  result.report = "R_XlLinkProc";
  run.progress.showGauge(0);
  runInTransaction(run.db, [&] {
    run.db.clearTable("T_XlLinkModule");
    TableWriter rs(run.db, "T_XlLinkModule");
    run.progress.setStatus("プロシージャ引用先 情報　取得中");
    const std::vector<ModuleEntry> files = listModules(run.tempPath, ModuleSelection::only(ModuleKind::Standard));
    ProcedureTable table;
    forEachModule(files, [&](const ModuleEntry& m, const ModuleText& text) { collectNames(m, text, table); });
    const FirstNameMatcher matcher(table.names);
    // The second pass numbers on from the first: each file was opened once already.
    const long firstPass = static_cast<long>(files.size());
    forEachModule(files, [&](const ModuleEntry& m, const ModuleText& text) {
      U16 procedure;
      U16V line;
      for (LineCursor cursor(text); cursor.next(line);) {
        if (skipped(line)) continue;
        const U16 upper = upperLtrim(line);
        if (isHeader(upper)) {
          procedure = GetProcName(line);
          continue;
        }
        if (!contains(upper, u"= ") && !contains(upper, u"CALL ")) continue;
        const long index = matcher.firstIn(line);
        if (index < 0) continue;
        const auto entry = static_cast<size_t>(index);
        rs.addNew();
        rs.set("objectNo", firstPass + m.objectNo);
        rs.set("ProcedureNo", index);
        rs.set("objectName", m.file.name);
        rs.set("Procedure", fieldText(procedure));
        rs.set("LinkProcedure", fieldText(table.names[entry]));
        rs.set("MotoName", table.fileOf[entry]->name);
        rs.update();
      }
    });
  });
  run.flags.fCrs = 1;
  finishRun(run.progress);
  return result;
}

}  // namespace zel::source
