// cmdKansu: the procedure list (T_XlProcName) and, in the detailed mode, the declarations
// and calls (T_XlDimCall), read statement by statement from every module file.
#include "source/analysis_frame.h"
#include "source/procedure_rules.h"

#include "core/vbstring.h"

namespace zel::source {

namespace {

constexpr int kDetailed = 2;

// Keywords that make a statement worth looking at ("DIM " only at its start).
constexpr U16V kCandidateWords[] = {u"PRIVATE ", u"PUBLIC ", u"PROPERTY ", u"FUNCTION ",
                                    u"SUB ",     u"GLOBAL ", u"CONST ",    u"CALL "};
constexpr U16V kProcedureWords[] = {u"FUNCTION ", u"SUB ", u"PROPERTY "};
constexpr U16V kDeclarationWords[] = {u"CALL ", u"CONST ", u"GLOBAL ", u"PRIVATE ", u"PUBLIC "};

template <size_t N>
bool containsAny(U16V upper, const U16V (&words)[N]) {
  for (U16V w : words)
    if (contains(upper, w)) return true;
  return false;
}

void setOptional(TableWriter& rs, std::string_view field, const std::optional<U16>& value) {
  if (value) rs.set(field, fieldText(*value));
}

class ProcedureReader {
 public:
  ProcedureReader(TableWriter& procRs, TableWriter& dimRs, bool detailed)
      : procRs_(procRs), dimRs_(dimRs), detailed_(detailed) {}

  void readFile(const ModuleEntry& m, const ModuleText& text) {
    file_ = &m.file;
    kind_ = m.kind;
    objectNo_ = m.objectNo;
    procedureNo_ = 0;
    StatementReader statements(text);
    JoinedStatement st;
    while (statements.next(st)) handleStatement(st);
  }

 private:
  void handleStatement(const JoinedStatement& st) {
    const U16 upper = upperLtrim(st.text);
    const bool dimFirst = beginsWith(upper, u"DIM ");
    if (!containsAny(upper, kCandidateWords) && !dimFirst) return;
    if (isQuoteComment(st.lastLine)) return;
    if (containsAny(upper, kProcedureWords)) {
      writeProcedure(st.text);
    } else if (detailed_ && (containsAny(upper, kDeclarationWords) || dimFirst)) {
      if (procedureNo_ == 0) writeDeclarationsRow();
      writeDimCall(st);
    }
  }

  void writeProcedure(U16V statement) {
    ++procedureNo_;
    const U16 name = GetProcName(statement);
    procRs_.addNew();
    procRs_.set("objectNo", objectNo_);
    procRs_.set("ProcedureNo", procedureNo_);
    procRs_.set("objectName", file_->name);
    procRs_.set("ProcedureName", fieldText(name));
    const ScopeCut scope = PriPubDel(statement);
    procRs_.set("PrivatePublic", scope.privatePublic);
    const bool api = contains(vb::ucase(scope.rest), u"DECLARE ");
    procRs_.set("Object", api ? kind_->apiLabel : kind_->label);
    const ProcTypeFields t = TypeSelect(scope.rest);
    if (t.type) {
      procRs_.set("Type", toU8(*t.type));
      if (t.writesDimCall) procRs_.set("DimCall", 0);
      setOptional(procRs_, "Parameters", t.parameters);
      setOptional(procRs_, "As", t.as);
    }
    procRs_.update();
  }

  void writeDeclarationsRow() {
    procedureNo_ = 1;
    procRs_.addNew();
    procRs_.set("objectName", file_->name);
    procRs_.set("objectNo", objectNo_);
    procRs_.set("ProcedureNo", procedureNo_);
    procRs_.set("Object", "(Declarations)");
    procRs_.update();
  }

  // DCCGWrite
  void writeDimCall(const JoinedStatement& st) {
    const std::optional<DimCallFields> f = DCCGFields(st.text);
    if (!f) return;
    dimRs_.addNew();
    dimRs_.set("objectNo", objectNo_);
    dimRs_.set("ProcedureNo", procedureNo_);
    dimRs_.set("Line", st.line);
    dimRs_.set("DimCall", f->dimCall);
    dimRs_.set("Bunrui", f->bunrui);
    dimRs_.set("Type", f->type);
    dimRs_.set("Parameters", fieldText(f->parameters));
    setOptional(dimRs_, "As", f->as);
    dimRs_.update();
  }

  TableWriter& procRs_;
  TableWriter& dimRs_;
  bool detailed_;
  const ModuleFile* file_ = nullptr;
  const KindInfo* kind_ = nullptr;
  long objectNo_ = 0;
  long procedureNo_ = 0;
};

}  // namespace

RunResult runKansu(SourceRun& run) {
  RunResult result;
  if (failsPresenceCheck(run, result)) return result;
  result.report = run.options.ProcKana == 1 ? "R_ModuleList50" : "R_ModuleList";
  if (run.flags.fPrc == run.options.ProcLevel) {
    result.outcome = Outcome::AlreadyFilled;
    finishRun(run.progress);
    return result;
  }
  run.progress.showGauge(0);
  runInTransaction(run.db, [&] {
    run.db.clearTable("T_XlProcName");
    run.db.clearTable("T_XlDimCall");
    TableWriter procRs(run.db, "T_XlProcName");
    TableWriter dimRs(run.db, "T_XlDimCall");
    run.progress.setStatus("ﾓｼﾞｭｰﾙ情報　取得中");
    const long total = run.counts.StdCount + run.counts.ClassCount + run.counts.FormCount;
    ProcedureReader reader(procRs, dimRs, run.options.ProcLevel == kDetailed);
    forEachModule(run.tempPath, ModuleSelection::allKinds(), [&](const ModuleEntry& m, const ModuleText& text) {
      reader.readFile(m, text);
      run.progress.showGauge(gaugeAfter(total, m.objectNo));
    });
  });
  run.flags.fPrc = run.options.ProcLevel;
  finishRun(run.progress);
  return result;
}

}  // namespace zel::source
