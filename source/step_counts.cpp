// cmdModStep: comment, blank, code and total line counts per procedure and per module
// declarations section, into T_XlModStep.
#include "source/analysis_frame.h"

#include "core/vbstring.h"

namespace zel::source {

namespace {

constexpr U16V kHeaderWords[] = {u"PROPERTY ", u"FUNCTION ", u"SUB "};
constexpr U16V kEndWords[] = {u"END PROPERTY", u"END FUNCTION", u"END SUB"};
constexpr U16V kDeclarations = u"(Declarations)";

template <size_t N>
bool containsAny(U16V upper, const U16V (&words)[N]) {
  for (U16V w : words)
    if (contains(upper, w)) return true;
  return false;
}

class StepCounter {
 public:
  explicit StepCounter(TableWriter& rs) : rs_(rs) {}

  void readFile(const ModuleEntry& m, const ModuleText& text) {
    file_ = &m.file;
    kind_ = m.kind;
    objectNo_ = m.objectNo;
    procedureNo_ = 0;
    resetCounters();
    const bool documentModule = kind_->kind == ModuleKind::Book || kind_->kind == ModuleKind::Sheet;
    LineCursor cursor(text);
    U16V line;
    while (cursor.next(line)) {
      // The class header block of a document module: its four lines are replaced by the
      // line after them. A file that ends inside the block ends there.
      if (documentModule && beginsWith(vb::ucase(line), u"VERSION 1.0 CLASS")) {
        bool whole = true;
        for (int i = 0; i < 4 && whole; ++i) whole = cursor.next(line);
        if (!whole) break;
      }
      countLine(line);
    }
  }

 private:
  void countLine(U16V line) {
    if (isAttributeLine(line)) return;
    if (line.empty()) {
      if (procedureNo_ > 0) ++blank_, ++total_;
      return;
    }
    const U16 upper = upperLtrim(line);
    if (total_ == 0 && procedureNo_ == 0) current_ = kDeclarations;
    if (containsAny(upper, kHeaderWords)) current_ = GetProcName(line);
    ++total_;
    const U16 trimmed = vb::trim(line);
    if ((!trimmed.empty() && trimmed[0] == u'\'') || vb::ucase(vb::left(trimmed, 4)) == u"REM ") {
      ++comment_;
    } else if (trimmed.empty()) {
      ++blank_;
    }
    if (containsAny(upper, kEndWords)) {
      writeRow(current_);
    } else if (previous_ == kDeclarations && current_ != kDeclarations) {
      writeRow(kDeclarations);
    }
    previous_ = current_;
  }

  void writeRow(U16V name) {
    ++procedureNo_;
    rs_.addNew();
    rs_.set("Object", kind_->label);
    rs_.set("objectNo", objectNo_);
    rs_.set("ProcedureNo", procedureNo_);
    rs_.set("objectName", file_->name);
    rs_.set("ProcedureName", fieldText(name));
    rs_.set("ComentCnt", comment_);
    rs_.set("SpaceCnt", blank_);
    rs_.set("ProcCnt", total_ - blank_ - comment_);
    rs_.set("TotalCnt", total_);
    rs_.update();
    resetCounters();
  }

  void resetCounters() { comment_ = blank_ = total_ = 0; }

  TableWriter& rs_;
  const ModuleFile* file_ = nullptr;
  const KindInfo* kind_ = nullptr;
  long objectNo_ = 0;
  long procedureNo_ = 0;
  long comment_ = 0, blank_ = 0, total_ = 0;
  U16 current_;
  U16 previous_;  // kept across files: a module may open inside the previous one's section
};

}  // namespace

RunResult runModStep(SourceRun& run) {
  RunResult result;
  if (failsPresenceCheck(run, result)) return result;
  result.report = "R_XlModStep";
  run.progress.showGauge(0);
  runInTransaction(run.db, [&] {
    run.db.clearTable("T_XlModStep");
    TableWriter rs(run.db, "T_XlModStep");
    run.progress.setStatus("ﾓｼﾞｭｰﾙ情報　取得中");
    const long total = run.counts.StdCount + run.counts.ClassCount + run.counts.FormCount;
    StepCounter counter(rs);
    forEachModule(run.tempPath, ModuleSelection::allKinds(), [&](const ModuleEntry& m, const ModuleText& text) {
      counter.readFile(m, text);
      run.progress.showGauge(gaugeAfter(total, m.objectNo));
    });
  });
  run.flags.fSocS = 1;
  finishRun(run.progress);
  return result;
}

}  // namespace zel::source
