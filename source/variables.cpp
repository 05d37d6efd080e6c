// cmdHensu: variables, constants and user-defined types of the standard modules, one row
// per declared item (HensuWrite) into T_XlHensu.
#include "source/analysis_frame.h"

#include "core/vbstring.h"

#include <vector>

namespace zel::source {

namespace {

// The row state HensuWrite writes.
struct HensuRow {
  U16 name;
  const char* scope = "";
  const char* bunrui = "";
  U16 type;
  U16 description;
};

struct ScopeWord {
  U16V keyword;
  const char* scope;
};
// Searched in this order; the first one the piece contains decides.
constexpr ScopeWord kScopeWords[] = {{u"DIM ", "Dim"}, {u"GLOBAL ", "Global"}, {u"PUBLIC ", "Public"},
                                     {u"PRIVATE ", "Private"}};

// A type block starts only where the declaration itself begins with its scope and Type.
constexpr ScopeWord kTypeHeaders[] = {{u"PRIVATE TYPE ", "Private"}, {u"PUBLIC TYPE ", "Public"},
                                      {u"GLOBAL TYPE ", "Global"}};

// Position of the comment mark less one, as the cuts use it; 255 when there is none.
struct CommentMark {
  long k = 255;
  bool present = false;
};
CommentMark commentMark(U16V text) {
  const long q = pos(text, u"'");
  return q > 0 ? CommentMark{q - 1, true} : CommentMark{};
}

U16 commentText(U16V text, const CommentMark& c) {
  return c.present ? vb::trim(vb::mid(text, c.k + 2, 255)) : U16();
}

// The pieces of a multiple declaration: cut at every comma, each further piece led by the
// line's first word.
std::vector<U16> splitDeclaration(U16V line) {
  const U16 lead = vb::ltrim(line);
  const long blank = pos(lead, u" ");
  const U16 word = (blank > 0 ? vb::left(lead, blank - 1) : lead) + u" ";
  std::vector<U16V> parts;
  size_t start = 0;
  for (size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == u',') {
      parts.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  std::vector<U16> pieces;
  pieces.emplace_back(parts.front());
  for (size_t i = 1; i < parts.size(); ++i)
    pieces.push_back(word + (i + 1 == parts.size() ? vb::trim(parts[i]) : U16(parts[i])));
  return pieces;
}

class HensuReader {
 public:
  explicit HensuReader(TableWriter& rs) : rs_(rs) {}

  void readFile(const ModuleEntry& m, const ModuleText& text) {
    file_ = &m.file;
    objectNo_ = m.objectNo;
    line_ = 0;
    procedureName_.clear();
    LineCursor cursor(text);
    U16V line;
    while (cursor.next(line)) {
      if (!contains(line, u",")) {
        examine(line, cursor);
        continue;
      }
      for (const U16& piece : splitDeclaration(line))
        if (!examine(piece, cursor)) break;
    }
  }

 private:
  // One piece; true when the next piece of the same line may be examined.
  bool examine(U16V piece, LineCursor& cursor) {
    const U16 p = vb::ltrim(piece);
    if (p.empty() || isAttributeLine(piece) || p[0] == u'\'') return false;
    ++line_;
    const U16 u = vb::ucase(p);
    const ScopeWord* scope = nullptr;
    long n = 0;
    for (const ScopeWord& w : kScopeWords) {
      if (long at = pos(u, w.keyword); at > 0) {
        scope = &w;
        n = at + static_cast<long>(w.keyword.size());
        break;
      }
    }
    if (!scope) return false;
    if (contains(u, u"FUNCTION ") || contains(u, u"SUB ")) {
      procedureName_ = GetProcName(piece);
      ++procedureNo_;
      return false;
    }
    const CommentMark c = commentMark(p);
    for (const ScopeWord& t : kTypeHeaders) {
      if (beginsWith(u, t.keyword)) {
        readTypeBlock(p, t, c, cursor);
        return true;
      }
    }
    HensuRow row;
    row.scope = scope->scope;
    long a = 0;
    if (contains(u, u"CONST ")) {
      row.bunrui = "定数";
      a = pos(u, u"= ");
      if (a > 0 && c.k - a - 2 < 0) a = 0;  // "= " only inside the comment
      if (a > 0) row.type = u"値/" + vb::trim(cut(p, a + 2, c.k - a - 2));
      n += 6;
    } else {
      row.bunrui = "変数";
      a = pos(u, u"AS ");
      if (a > 0 && c.k - a - 3 < 0) a = 0;  // "AS " only inside the comment
      if (a > 0) row.type = u"型/" + vb::trim(cut(p, a + 3, c.k - a - 3));
    }
    row.description = commentText(p, c);
    row.name = vb::trim(a > n ? cut(p, n, a - n) : cut(p, n, c.k - n));
    HensuWrite(row);
    return true;
  }

  // The type's own row, then one row per member line up to End Type (or the end of the file).
  void readTypeBlock(const U16& header, const ScopeWord& t, const CommentMark& c, LineCursor& cursor) {
    const long n = static_cast<long>(t.keyword.size()) + 1;  // behind "PRIVATE TYPE "
    HensuRow typeRow;
    typeRow.name = vb::trim(cut(header, n, c.k - n + 1));
    typeRow.scope = t.scope;
    typeRow.bunrui = "定義";
    typeRow.description = commentText(header, c);
    HensuWrite(typeRow);

    U16V line;
    while (cursor.next(line)) {
      if (contains(vb::ucase(line), u"END TYPE")) return;
      const U16 p = vb::ltrim(line);
      // Blank lines and comment lines inside the block are passed over.
      if (vb::rtrim(p).empty() || p[0] == u'\'') continue;
      ++line_;
      const CommentMark mc = commentMark(p);
      long a = pos(vb::ucase(p), u"AS ");
      if (a > 0 && mc.k - a - 3 < 0) a = 0;
      HensuRow member;
      member.scope = t.scope;
      member.bunrui = "定義";
      member.name = vb::trim(a > 0 ? vb::left(p, a - 2) : vb::left(p, mc.k));
      if (a > 0) member.type = u"型/" + vb::trim(cut(p, a + 3, mc.k - a - 3));
      member.description = commentText(p, mc);
      HensuWrite(member);
    }
  }

  void HensuWrite(const HensuRow& row) {
    rs_.addNew();
    rs_.set("objectNo", objectNo_);
    rs_.set("ProcedureNo", procedureNo_);
    rs_.set("objectName", file_->name);
    rs_.set("ProcedureName", procedureName_.empty() ? std::string("(Declarations)") : fieldText(procedureName_));
    rs_.set("HensuName", fieldText(row.name));
    rs_.set("Property", row.scope);
    rs_.set("Bunrui", row.bunrui);
    rs_.set("Type", fieldText(row.type));
    rs_.set("Line", line_);
    rs_.set("Description", fieldText(row.description));
    rs_.update();
  }

  TableWriter& rs_;
  const ModuleFile* file_ = nullptr;
  long objectNo_ = 0;
  long procedureNo_ = 0;  // procedure declarations met so far in the run
  long line_ = 0;
  U16 procedureName_;
};

}  // namespace

RunResult runHensu(SourceRun& run) {
  RunResult result;
  run.progress.showGauge(0);
  runInTransaction(run.db, [&] {
    run.db.clearTable("T_XlHensu");
    TableWriter rs(run.db, "T_XlHensu");
    run.progress.setStatus("変数 情報　取得中");
    HensuReader reader(rs);
    forEachModule(run.tempPath, ModuleSelection::only(ModuleKind::Standard),
                  [&](const ModuleEntry& m, const ModuleText& text) {
                    reader.readFile(m, text);
                    run.progress.showGauge(gaugeAfter(run.counts.StdCount, m.objectNo));
                  });
  });
  run.flags.fDim = 1;
  finishRun(run.progress);
  return result;
}

}  // namespace zel::source
