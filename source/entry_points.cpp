// The entry-point analysis: reads every module file into the entry-point map and writes
// T_XlEntry (one row per way code is started) and T_XlReach (one row per procedure).
#include "source/analysis_frame.h"
#include "source/entry_map.h"

#include <algorithm>

namespace zel::source {

namespace {

void writeEntries(ResultDb& db, const EntryMap& map) {
  TableWriter rs(db, "T_XlEntry");
  long no = 0;
  for (const EntryRow& e : map.entries) {
    rs.addNew();
    rs.set("EntryNo", ++no);
    rs.set("KindNo", static_cast<int>(e.kind));
    rs.set("Kind", entryKindLabel(e.kind));
    rs.set("Location", e.location);
    rs.set("Place", e.place);
    if (e.line > 0) rs.set("Line", e.line);
    rs.set("StartType", e.trigger);
    rs.set("Target", e.target);
    if (e.targetModule) rs.set("TargetModule", *e.targetModule);
    if (e.targetProcedure) rs.set("TargetProcedure", *e.targetProcedure);
    rs.set("Found", e.targetProcedure ? -1 : 0);
    rs.update();
  }
}

void writeReach(ResultDb& db, const EntryMap& map) {
  TableWriter rs(db, "T_XlReach");
  for (const ReachRow& r : map.procedures) {
    rs.addNew();
    rs.set("objectNo", r.objectNo);
    rs.set("objectName", r.module);
    rs.set("Object", r.moduleLabel);
    rs.set("ProcedureName", r.procedure);
    rs.set("Line", r.line);
    rs.set("Reached", r.entryIndex >= 0 ? -1 : 0);
    if (r.entryIndex >= 0) {
      const EntryRow& e = map.entries[static_cast<size_t>(r.entryIndex)];
      rs.set("EntryNo", r.entryIndex + 1);
      rs.set("ReachedBy", std::string(entryKindLabel(e.kind)) + ": " + e.location + " " + e.place);
    }
    rs.update();
  }
}

}  // namespace

RunResult runEntryPoints(SourceRun& run, const std::vector<WorkbookTrigger>& triggers) {
  RunResult result;
  result.report = "R_XlEntry";
  run.progress.showGauge(0);
  runInTransaction(run.db, [&] {
    run.db.clearTable("T_XlEntry");
    run.db.clearTable("T_XlReach");
    run.progress.setStatus("起動経路 情報　取得中");
    const long total = run.counts.StdCount + run.counts.ClassCount + run.counts.FormCount;
    EntryMapBuilder builder;
    forEachModule(run.tempPath, ModuleSelection::allKinds(), [&](const ModuleEntry& m, const ModuleText& text) {
      builder.addModule(m.file.name, m.kind->kind, m.objectNo, text);
      if (total > 0) run.progress.showGauge(std::min(99L, gaugeAfter(total, m.objectNo)));
    });
    for (const WorkbookTrigger& t : triggers) builder.addTrigger(t);
    const EntryMap map = builder.finish();
    writeEntries(run.db, map);
    writeReach(run.db, map);
  });
  run.flags.fEnt = 1;
  finishRun(run.progress);
  return result;
}

}  // namespace zel::source
