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
  std::vector<size_t> fileOf;  // index of the declaring file
};

// Blank lines and "Attribute" lines take part in neither pass.
bool skipped(U16V line) { return vb::trim(line).empty() || isAttributeLine(line); }

bool isHeader(const U16& upper) { return contains(upper, u"FUNCTION ") || contains(upper, u"SUB "); }

void collectNames(const std::vector<ModuleFile>& files, ProcedureTable& table) {
  for (size_t f = 0; f < files.size(); ++f) {
    ModuleText text = ModuleText::read(files[f]);
    U16V line;
    for (LineCursor cursor(text); cursor.next(line);) {
      if (skipped(line) || !isHeader(upperLtrim(line))) continue;
      U16 name = GetProcName(line);
      if (name == u"ERROR" || name.empty()) continue;  // an empty name would match every line
      table.names.push_back(std::move(name));
      table.fileOf.push_back(f);
    }
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
    const std::vector<ModuleFile> files = listModuleFiles(run.tempPath, kindInfo(ModuleKind::Standard).extension);
    ProcedureTable table;
    collectNames(files, table);
    const FirstNameMatcher matcher(table.names);
    long objectNo = static_cast<long>(files.size());  // the first pass opened each file once
    for (const ModuleFile& file : files) {
      ++objectNo;
      U16 procedure;
      ModuleText text = ModuleText::read(file);
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
        rs.set("objectNo", objectNo);
        rs.set("ProcedureNo", index);
        rs.set("objectName", file.name);
        rs.set("Procedure", fieldText(procedure));
        rs.set("LinkProcedure", fieldText(table.names[entry]));
        rs.set("MotoName", files[table.fileOf[entry]].name);
        rs.update();
      }
    }
  });
  run.flags.fCrs = 1;
  finishRun(run.progress);
  return result;
}

}  // namespace zel::source
