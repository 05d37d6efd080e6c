// cmdComment: every whole-line comment (quote or Rem) with its module and procedure, into
// T_XlComment, numbered across the run.
#include "source/analysis_frame.h"

#include "core/vbstring.h"

#include <optional>

namespace zel::source {

namespace {

constexpr U16V kHeaderWords[] = {u"PROPERTY ", u"FUNCTION ", u"SUB "};

// The comment text of a whole-line comment, or nothing. A quote comment keeps what follows
// the quote mark; a Rem comment needs the blank that makes Rem a statement (RemoveItem is
// code) and keeps what follows that blank.
std::optional<U16> wholeLineComment(U16V line) {
  const U16 t = vb::trim(line);
  if (t.size() >= 2 && t[0] == u'\'') return vb::mid(t, 2, 255);
  if (t.size() >= 4 && vb::ucase(vb::left(t, 4)) == u"REM ") return vb::mid(t, 5, 255);
  return std::nullopt;
}

class CommentReader {
 public:
  explicit CommentReader(TableWriter& rs) : rs_(rs) {}

  void readFile(const ModuleEntry& m, const ModuleText& text) {
    U16V line;
    for (LineCursor cursor(text); cursor.next(line);) {
      if (line.empty() || isAttributeLine(line)) continue;
      const U16 upper = upperLtrim(line);
      for (U16V w : kHeaderWords) {
        if (contains(upper, w)) {
          procedureName_ = GetProcName(line);
          break;
        }
      }
      const std::optional<U16> comment = wholeLineComment(line);
      if (!comment) continue;
      rs_.addNew();
      rs_.set("Object", m.kind->label);
      rs_.set("objectNo", m.objectNo);
      rs_.set("ProcedureNo", ++commentNo_);
      rs_.set("objectName", m.file.name);
      rs_.set("ProcedureName", fieldText(procedureName_));
      rs_.set("Comment", fieldText(*comment));
      rs_.update();
    }
  }

 private:
  TableWriter& rs_;
  long commentNo_ = 0;
  U16 procedureName_;  // not cleared at a closing line nor when the next file opens
};

}  // namespace

RunResult runComment(SourceRun& run) {
  RunResult result;
  if (failsPresenceCheck(run, result)) return result;
  result.report = "R_XlComment";
  run.progress.showGauge(0);
  runInTransaction(run.db, [&] {
    run.db.clearTable("T_XlComment");
    TableWriter rs(run.db, "T_XlComment");
    run.progress.setStatus("コメント情報　取得中");
    const long total = run.counts.StdCount + run.counts.ClassCount + run.counts.FormCount;
    CommentReader reader(rs);
    forEachModule(run.tempPath, ModuleSelection::allKinds(), [&](const ModuleEntry& m, const ModuleText& text) {
      reader.readFile(m, text);
      // Document modules are not in the total: the gauge stays where the counted ones left it.
      if (m.kind->kind != ModuleKind::Book && m.kind->kind != ModuleKind::Sheet)
        run.progress.showGauge(gaugeAfter(total, m.objectNo));
    });
  });
  run.flags.fCom = 1;
  finishRun(run.progress);
  return result;
}

}  // namespace zel::source
