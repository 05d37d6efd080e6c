// cmdModule: the source listing of one module kind, or of every file, into T_XlSource.
#include "source/analysis_frame.h"

#include "core/vbstring.h"

namespace zel::source {

namespace {

constexpr int kAllFiles = 6;

// The single-kind presence messages of kinds 1 to 3.
const char* missingKindText(const SourceRun& run) {
  const ModuleCounts& c = run.counts;
  switch (run.options.ModuleKind) {
    case 1: return c.StdCount == 0 ? "標準ﾓｼﾞｭｰﾙは存在しません" : nullptr;
    case 2: return c.ClassCount == 0 ? "ｸﾗｽﾓｼﾞｭｰﾙは存在しません" : nullptr;
    case 3: return c.FormCount == 0 ? "ﾌｫｰﾑﾓｼﾞｭｰﾙは存在しません" : nullptr;
    default: return nullptr;
  }
}

// Counted modules the gauge steps over; kinds 4 and 5 leave the gauge alone.
long gaugeTotal(const SourceRun& run) {
  const ModuleCounts& c = run.counts;
  switch (run.options.ModuleKind) {
    case 1: return c.StdCount;
    case 2: return c.ClassCount;
    case 3: return c.FormCount;
    case kAllFiles: return c.StdCount + c.ClassCount + c.FormCount;
    default: return -1;
  }
}

constexpr U16V kEndWords[] = {u"END PROPERTY", u"END FUNCTION", u"END SUB"};
constexpr U16V kHeaderWords[] = {u"FUNCTION ", u"SUB ", u"PROPERTY "};

class SourceLister {
 public:
  SourceLister(TableWriter& rs, bool skipsClassHeader) : rs_(rs), skipsClassHeader_(skipsClassHeader) {}

  // A file of no known kind (label 0) is read for the running numbers but writes no rows.
  void readFile(const ModuleEntry& m, const ModuleText& text) {
    const int label = m.kind ? static_cast<int>(m.kind->kind) : 0;
    LineCursor cursor(text);
    U16V line;
    while (cursor.next(line)) {
      // The "VERSION 1.0 CLASS" block and its three property lines are dropped; the line
      // after them is treated instead. A file that ends inside the block ends there.
      if (skipsClassHeader_ && beginsWith(vb::ucase(line), u"VERSION 1.0 CLASS")) {
        bool whole = true;
        for (int i = 0; i < 4 && whole; ++i) whole = cursor.next(line);
        if (!whole) break;
      }
      treatLine(line, m.file, label, m.objectNo);
    }
  }

 private:
  void treatLine(U16V line, const ModuleFile& file, int label, long objectNo) {
    const U16 upperCut = vb::ucase(PriPubDel2(line));
    for (U16V w : kHeaderWords) {
      if (beginsWith(upperCut, w)) {
        procedureName_ = GetProcName(line);
        break;
      }
    }
    if (vb::trim(line).empty() || isAttributeLine(line)) return;
    ++line_;
    if (label != 0) {
      rs_.addNew();
      rs_.set("Label", label);
      rs_.set("objectNo", objectNo);
      rs_.set("ProcedureNo", procedureNo_);
      rs_.set("Line", line_);
      rs_.set("objectName", file.name);
      rs_.set("ProcedureName", procedureName_.empty() ? std::string("(Declarations)") : fieldText(procedureName_));
      rs_.set("Procedure", fieldText(line));
      rs_.update();
    }
    const U16 upper = upperLtrim(line);
    for (U16V w : kEndWords) {
      if (beginsWith(upper, w)) {
        ++procedureNo_;
        procedureName_.clear();
        break;
      }
    }
  }

  TableWriter& rs_;
  bool skipsClassHeader_;
  long procedureNo_ = 1;  // numbers run on across all files of the run
  long line_ = 0;
  U16 procedureName_;
};

}  // namespace

std::string sourceListReport(const AnalysisOptions& options) {
  if (options.ColumnOption == 2) return options.ModKana == 1 ? "R_SourceList50" : "R_SourceList";
  return options.ModKana == 1 ? "R_SourceList150" : "R_SourceList1";
}

RunResult runModule(SourceRun& run) {
  RunResult result;
  if (failsPresenceCheck(run, result)) return result;
  if (const char* missing = missingKindText(run)) {
    run.progress.setStatus(kNoModuleText);
    result.outcome = Outcome::NoModules;
    result.notice = missing;
    return result;
  }
  const int kind = run.options.ModuleKind;
  if (kind < 1 || kind > kAllFiles) throw VbError(5, "Invalid procedure call or argument");
  result.report = sourceListReport(run.options);
  if (run.flags.fSoc == kind) {
    result.outcome = Outcome::AlreadyFilled;
    finishRun(run.progress);
    return result;
  }
  run.progress.showGauge(0);
  runInTransaction(run.db, [&] {
    run.db.clearTable("T_XlSource");
    TableWriter rs(run.db, "T_XlSource");
    run.progress.setStatus("ﾓｼﾞｭｰﾙ情報　取得中");
    const ModuleSelection selection =
        kind == kAllFiles ? ModuleSelection::everyFile() : ModuleSelection::only(ModuleKind(kind));
    SourceLister lister(rs, kind >= 4);
    const long total = gaugeTotal(run);
    forEachModule(run.tempPath, selection, [&](const ModuleEntry& m, const ModuleText& text) {
      lister.readFile(m, text);
      if (total >= 0) run.progress.showGauge(gaugeAfter(total, m.objectNo));
    });
  });
  run.flags.fSoc = kind;
  finishRun(run.progress);
  return result;
}

}  // namespace zel::source
