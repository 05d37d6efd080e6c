// The entry-point map: procedures and their call names per module, the entry points found
// in the code and given by the workbook, name resolution, and the walk over the calls.
#include "source/entry_map.h"

#include "source/vb_tokens.h"

#include "core/vbstring.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <unordered_set>

namespace zel::source {

namespace {

using Tokens = std::vector<VbToken>;

bool isIdent(const Tokens& t, size_t i, U16V upper) {
  return i < t.size() && t[i].kind == VbToken::Kind::Identifier && upperName(t[i].text) == upper;
}

bool startsWith(U16V s, U16V prefix) { return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix; }

struct Header {
  U16 name;
  bool isPrivate = false;
};

// A procedure header: scope and Static words, then Sub, Function or Property Get/Let/Set and
// the name. Declare and Event statements are not procedures.
std::optional<Header> procedureHeader(const Tokens& t) {
  Header h;
  size_t i = 0;
  while (i < t.size() && t[i].kind == VbToken::Kind::Identifier) {
    const U16 w = upperName(t[i].text);
    if (w == u"PRIVATE") h.isPrivate = true;
    else if (w != u"PUBLIC" && w != u"FRIEND" && w != u"STATIC" && w != u"GLOBAL") break;
    ++i;
  }
  if (isIdent(t, i, u"SUB") || isIdent(t, i, u"FUNCTION")) {
    ++i;
  } else if (isIdent(t, i, u"PROPERTY") &&
             (isIdent(t, i + 1, u"GET") || isIdent(t, i + 1, u"LET") || isIdent(t, i + 1, u"SET"))) {
    i += 2;
  } else {
    return std::nullopt;
  }
  if (i >= t.size() || t[i].kind != VbToken::Kind::Identifier) return std::nullopt;
  h.name = t[i].text;
  return h;
}

bool isProcedureEnd(const Tokens& t) {
  return isIdent(t, 0, u"END") && (isIdent(t, 1, u"SUB") || isIdent(t, 1, u"FUNCTION") || isIdent(t, 1, u"PROPERTY"));
}

// Events of controls on forms and sheets (the part of the name after the last "_").
bool isControlEvent(U16V event) {
  static const std::unordered_set<U16> events = {
      u"CLICK",      u"DBLCLICK",    u"CHANGE",    u"ENTER",       u"EXIT",          u"BEFOREUPDATE",
      u"AFTERUPDATE", u"KEYDOWN",    u"KEYUP",     u"KEYPRESS",    u"MOUSEDOWN",     u"MOUSEUP",
      u"MOUSEMOVE",  u"GOTFOCUS",    u"LOSTFOCUS", u"SCROLL",      u"SPINUP",        u"SPINDOWN",
      u"DROPBUTTONCLICK", u"ERROR",  u"BEFOREDRAGOVER", u"BEFOREDROPORPASTE", u"LAYOUT", u"ADDCONTROL",
      u"REMOVECONTROL", u"ZOOM",     u"RESIZE",    u"ACTIVATE",    u"DEACTIVATE",    u"QUERYCLOSE",
      u"TERMINATE",  u"INITIALIZE"};
  return events.count(U16(event)) > 0;
}

constexpr U16V kAutoNames[] = {u"AUTO_OPEN", u"AUTO_CLOSE", u"AUTO_ACTIVATE", u"AUTO_DEACTIVATE"};

bool isAutoName(U16V upper) {
  return std::find(std::begin(kAutoNames), std::end(kAutoNames), upper) != std::end(kAutoNames);
}

// Arguments of a method call: the tokens after the method name, with or without parentheses,
// split at the commas outside parentheses, up to the end of the statement.
std::vector<std::vector<const VbToken*>> callArguments(const Tokens& t, size_t i) {
  std::vector<std::vector<const VbToken*>> args(1);
  const bool paren = i < t.size() && t[i].is(u'(');
  if (paren) ++i;
  int depth = 0;
  for (; i < t.size(); ++i) {
    const VbToken& k = t[i];
    if (k.is(u'(')) {
      ++depth;
    } else if (k.is(u')')) {
      if (depth == 0) break;
      --depth;
    } else if (k.is(u',') && depth == 0) {
      args.emplace_back();
      continue;
    } else if (k.is(u':') && depth == 0 && !(i + 1 < t.size() && t[i + 1].is(u'='))) {
      break;  // the next statement of the line
    }
    args.back().push_back(&k);
  }
  return args;
}

// The literal text of an argument given by name (Procedure:="X") or by position.
std::optional<U16> literalArgument(const std::vector<std::vector<const VbToken*>>& args, U16V name, size_t position) {
  size_t positional = 0;
  for (const auto& a : args) {
    const bool named = a.size() >= 3 && a[0]->kind == VbToken::Kind::Identifier && a[1]->is(u':') && a[2]->is(u'=');
    if (named) {
      if (upperName(a[0]->text) == name && a.size() == 4 && a[3]->kind == VbToken::Kind::String) return a[3]->text;
      continue;
    }
    if (positional++ == position && a.size() == 1 && a[0]->kind == VbToken::Kind::String) return a[0]->text;
  }
  return std::nullopt;
}

// Lines the export writes before the code (the VERSION line, the BEGIN ... END blocks of
// classes and forms, the Attribute lines): line numbers count from the first line after them,
// as the macro editor shows the code.
long headerLineCount(const ModuleText& text) {
  long count = 0;
  int depth = 0;
  U16V line;
  for (LineCursor cursor(text); cursor.next(line); ++count) {
    const U16 u = upperLtrim(line);
    if (startsWith(u, u"VERSION ") && depth == 0) continue;
    if (startsWith(u, u"BEGIN")) {
      ++depth;
      continue;
    }
    if (depth > 0) {
      if (vb::trim(u) == u"END") --depth;
      continue;
    }
    if (!isAttributeLine(line)) break;
  }
  return count;
}

struct Module {
  std::string fileName;
  U16 upperStem;
  ModuleKind kind;
  long objectNo;
};

struct Procedure {
  size_t module;
  std::string name;
  U16 upper;
  bool isPrivate;
  long line;
  std::vector<U16> calls;  // distinct upper-cased names used in the body
};

}  // namespace

const char* entryKindLabel(EntryKind kind) {
  switch (kind) {
    case EntryKind::Shape: return "ボタン・図形";
    case EntryKind::Auto: return "自動実行";
    case EntryKind::Event: return "イベント";
    case EntryKind::ByName: return "名前指定の起動";
    case EntryKind::MacroSheet: return "Excel 4 マクロ";
    case EntryKind::CallerUse: return "Application.Caller の利用";
  }
  return "";
}

std::pair<std::string, std::string> splitMacroText(const std::string& text) {
  U16 t = vb::trim(toU16(text));
  if (const long bang = vb::inStrRev(t, u"!"); bang > 0) t = t.substr(static_cast<size_t>(bang));
  // 'Macro1 5' passes arguments: the name is the first word inside the quotes.
  if (!t.empty() && t.front() == u'\'') t = t.substr(1);
  if (!t.empty() && t.back() == u'\'') t.pop_back();
  t = vb::trim(t);
  if (const size_t blank = t.find(u' '); blank != U16::npos) t.resize(blank);
  const size_t dot = t.rfind(u'.');
  if (dot == U16::npos) return {std::string(), toU8(t)};
  return {toU8(t.substr(0, dot)), toU8(t.substr(dot + 1))};
}

struct EntryMapBuilder::State {
  std::vector<Module> modules;
  std::vector<Procedure> procs;
  std::unordered_map<U16, std::vector<size_t>> byName;  // upper name -> procedures
  std::vector<EntryRow> entries;
  std::vector<long> entryProc;  // resolved procedure per entry, -1 when not yet or not found
  std::vector<long> entryFrom;  // procedure whose code holds the entry, -1 for the others
  std::vector<WorkbookTrigger> triggers;

  void addEntry(EntryRow row, long proc, long from = -1) {
    entries.push_back(std::move(row));
    entryProc.push_back(proc);
    entryFrom.push_back(from);
  }

  // Entries the code gives by a procedure's own name.
  void classify(size_t p, const std::vector<U16>& withEvents) {
    const Procedure& proc = procs[p];
    const Module& m = modules[proc.module];
    const U16& u = proc.upper;
    EntryKind kind = EntryKind::Event;
    bool entry = false;
    switch (m.kind) {
      case ModuleKind::Standard:
        entry = isAutoName(u);
        kind = EntryKind::Auto;
        break;
      case ModuleKind::Book: entry = startsWith(u, u"WORKBOOK_"); break;
      case ModuleKind::Sheet: entry = startsWith(u, u"WORKSHEET_") || startsWith(u, u"CHART_"); break;
      case ModuleKind::Form: entry = startsWith(u, u"USERFORM_"); break;
      case ModuleKind::Class: entry = u == u"CLASS_INITIALIZE" || u == u"CLASS_TERMINATE"; break;
    }
    if (!entry && m.kind != ModuleKind::Standard) {
      for (const U16& v : withEvents)
        if (startsWith(u, v) && u.size() > v.size() + 1 && u[v.size()] == u'_') entry = true;
      const size_t bar = u.rfind(u'_');
      if (!entry && m.kind != ModuleKind::Class && bar != U16::npos && bar > 0 && isControlEvent(U16V(u).substr(bar + 1)))
        entry = true;
    }
    if (!entry) return;
    EntryRow row;
    row.kind = kind;
    row.location = m.fileName;
    row.place = proc.name;
    row.line = proc.line;
    row.trigger = proc.name;
    row.target = proc.name;
    addEntry(std::move(row), static_cast<long>(p));
  }

  // Application.Run "X", OnTime/OnKey/OnUndo/OnRepeat with a literal procedure, .OnAction = "X"
  // and the other On... properties, and Application.Caller.
  void scanStatement(const Tokens& t, size_t module, long procedure, long line) {
    auto byNameRow = [&](std::string trigger, const U16& target, EntryKind kind = EntryKind::ByName) {
      EntryRow row;
      row.kind = kind;
      row.location = modules[module].fileName;
      row.place = procedure >= 0 ? procs[static_cast<size_t>(procedure)].name : std::string("(Declarations)");
      row.line = line;
      row.trigger = std::move(trigger);
      row.target = toU8(target);
      // Code that starts code by name is a call of the procedure it stands in: what it
      // names is reached when that procedure is (in the declarations it is never run).
      row.root = false;
      addEntry(std::move(row), -1, procedure);
    };
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i].kind != VbToken::Kind::Identifier) continue;
      const bool afterDot = i > 0 && t[i - 1].is(u'.');
      const bool onApplication = afterDot && i >= 2 && isIdent(t, i - 2, u"APPLICATION");
      const bool bare = i == 0 || t[i - 1].is(u':') || t[i - 1].is(u'=') || t[i - 1].is(u'(') || t[i - 1].is(u',') ||
                        isIdent(t, i - 1, u"CALL");
      const U16 w = upperName(t[i].text);
      if ((onApplication || bare) && (w == u"RUN" || w == u"ONTIME" || w == u"ONKEY" || w == u"ONUNDO" || w == u"ONREPEAT")) {
        const auto args = callArguments(t, i + 1);
        std::optional<U16> target;
        std::string trigger = "Application." + toU8(t[i].text);
        if (w == u"RUN") {
          target = literalArgument(args, u"MACRO", 0);
        } else {
          target = literalArgument(args, u"PROCEDURE", 1);
          if (w == u"ONKEY")
            if (auto key = literalArgument(args, u"KEY", 0)) trigger += " " + toU8(*key);
        }
        if (target && !target->empty()) byNameRow(std::move(trigger), *target);
      } else if (afterDot && w.size() > 2 && startsWith(w, u"ON") && i + 2 < t.size() && t[i + 1].is(u'=') &&
                 t[i + 2].kind == VbToken::Kind::String && !t[i + 2].text.empty()) {
        byNameRow("." + toU8(t[i].text), t[i + 2].text);
      } else if (onApplication && w == u"CALLER" && procedure >= 0) {
        const Procedure& p = procs[static_cast<size_t>(procedure)];
        EntryRow row;
        row.kind = EntryKind::CallerUse;
        row.location = modules[module].fileName;
        row.place = p.name;
        row.line = line;
        row.trigger = "Application.Caller";
        row.target = p.name;
        row.root = false;
        addEntry(std::move(row), procedure);
      }
    }
  }

  long findInModule(size_t module, const U16& upper) const {
    auto it = byName.find(upper);
    if (it == byName.end()) return -1;
    for (size_t p : it->second)
      if (procs[p].module == module) return static_cast<long>(p);
    return -1;
  }

  // A macro text names a procedure of a module ("Module1.Main", "Sheet1.Button_Click") or,
  // without a module, a procedure of a standard module.
  long resolve(const std::string& text) const {
    const auto [moduleName, procName] = splitMacroText(text);
    const U16 upper = upperName(toU16(procName));
    if (upper.empty()) return -1;
    if (!moduleName.empty()) {
      const U16 m = upperName(toU16(moduleName));
      for (size_t i = 0; i < modules.size(); ++i)
        if (modules[i].upperStem == m) return findInModule(i, upper);
      return -1;
    }
    auto it = byName.find(upper);
    if (it == byName.end()) return -1;
    for (size_t p : it->second)
      if (modules[procs[p].module].kind == ModuleKind::Standard) return static_cast<long>(p);
    return -1;
  }

  // Procedures a name used in procedure p may call: those of its own module, else every
  // procedure of that name that other modules make public.
  template <class Visit>
  void callees(size_t p, const U16& name, Visit&& visit) const {
    auto it = byName.find(name);
    if (it == byName.end()) return;
    const size_t own = procs[p].module;
    bool inOwn = false;
    for (size_t c : it->second)
      if (procs[c].module == own) inOwn = true, visit(c);
    if (inOwn) return;
    for (size_t c : it->second)
      if (!procs[c].isPrivate) visit(c);
  }
};

EntryMapBuilder::EntryMapBuilder() : s_(std::make_unique<State>()) {}
EntryMapBuilder::~EntryMapBuilder() = default;

void EntryMapBuilder::addModule(const std::string& fileName, ModuleKind kind, long objectNo, const ModuleText& text) {
  State& s = *s_;
  const size_t module = s.modules.size();
  const size_t dot = fileName.rfind('.');
  s.modules.push_back({fileName, upperName(toU16(fileName.substr(0, dot))), kind, objectNo});
  std::vector<U16> withEvents;
  long current = -1;
  std::unordered_set<U16> seen;
  const long header = headerLineCount(text);
  StatementReader reader(text);
  JoinedStatement st;
  while (reader.next(st)) {
    if (st.line <= header) continue;
    st.line -= header;
    const Tokens t = vbTokens(st.text);
    if (t.empty()) continue;
    if (std::optional<Header> h = procedureHeader(t)) {
      const size_t p = s.procs.size();
      s.procs.push_back({module, toU8(h->name), upperName(h->name), h->isPrivate, st.line, {}});
      s.byName[s.procs.back().upper].push_back(p);
      current = static_cast<long>(p);
      seen.clear();
      s.classify(p, withEvents);
      continue;
    }
    if (isProcedureEnd(t)) {
      current = -1;
      continue;
    }
    if (current < 0) {
      for (size_t i = 0; i + 1 < t.size(); ++i)
        if (isIdent(t, i, u"WITHEVENTS") && t[i + 1].kind == VbToken::Kind::Identifier)
          withEvents.push_back(upperName(t[i + 1].text));
    } else {
      Procedure& proc = s.procs[static_cast<size_t>(current)];
      for (const VbToken& k : t)
        if (k.kind == VbToken::Kind::Identifier) {
          U16 u = upperName(k.text);
          if (seen.insert(u).second) proc.calls.push_back(std::move(u));
        }
    }
    s.scanStatement(t, module, current, st.line);
  }
}

void EntryMapBuilder::addTrigger(WorkbookTrigger trigger) { s_->triggers.push_back(std::move(trigger)); }

EntryMap EntryMapBuilder::finish() {
  State& s = *s_;
  // The workbook's own triggers come first, in the order given.
  std::vector<EntryRow> rows;
  std::vector<long> rowProc;
  std::vector<std::vector<size_t>> byNameCalls(s.procs.size());
  for (const WorkbookTrigger& w : s.triggers) {
    EntryRow row;
    row.target = w.target;
    switch (w.kind) {
      case WorkbookTrigger::Kind::Shape:
        row.kind = EntryKind::Shape;
        row.location = w.sheet;
        row.place = w.place;
        row.trigger = "ｸﾘｯｸ時 (" + w.detail + ")";
        break;
      case WorkbookTrigger::Kind::AutoName:
        row.kind = EntryKind::Auto;
        row.location = "ブック";
        row.place = w.place;
        row.trigger = "名前 " + w.place;
        break;
      case WorkbookTrigger::Kind::MacroSheetName:
        row.kind = EntryKind::MacroSheet;
        row.location = w.sheet.empty() ? std::string("ブック") : w.sheet;
        row.place = w.place;
        row.trigger = "名前 " + w.place;
        row.root = false;
        break;
    }
    const long p = row.kind == EntryKind::MacroSheet ? -1 : s.resolve(w.target);
    rows.push_back(std::move(row));
    rowProc.push_back(p);
  }
  for (size_t i = 0; i < s.entries.size(); ++i) {
    long p = s.entryProc[i];
    if (p < 0) p = s.resolve(s.entries[i].target);
    if (p >= 0 && s.entryFrom[i] >= 0) byNameCalls[static_cast<size_t>(s.entryFrom[i])].push_back(static_cast<size_t>(p));
    rows.push_back(std::move(s.entries[i]));
    rowProc.push_back(p);
  }

  // Reachability: each entry in turn marks what its procedure reaches and is not yet marked.
  std::vector<long> firstBy(s.procs.size(), -1);
  std::deque<size_t> queue;
  for (size_t e = 0; e < rows.size(); ++e) {
    const long p = rowProc[e];
    if (p >= 0) {
      const Procedure& proc = s.procs[static_cast<size_t>(p)];
      rows[e].targetModule = s.modules[proc.module].fileName;
      rows[e].targetProcedure = proc.name;
    }
    if (!rows[e].root || p < 0 || firstBy[static_cast<size_t>(p)] >= 0) continue;
    firstBy[static_cast<size_t>(p)] = static_cast<long>(e);
    queue.push_back(static_cast<size_t>(p));
    while (!queue.empty()) {
      const size_t q = queue.front();
      queue.pop_front();
      auto mark = [&](size_t c) {
        if (firstBy[c] >= 0) return;
        firstBy[c] = static_cast<long>(e);
        queue.push_back(c);
      };
      for (const U16& name : s.procs[q].calls) s.callees(q, name, mark);
      for (size_t c : byNameCalls[q]) mark(c);
    }
  }

  EntryMap map;
  map.entries = std::move(rows);
  map.procedures.reserve(s.procs.size());
  for (size_t p = 0; p < s.procs.size(); ++p) {
    const Procedure& proc = s.procs[p];
    const Module& m = s.modules[proc.module];
    map.procedures.push_back({m.fileName, kindInfo(m.kind).label, proc.name, proc.line, m.objectNo, firstBy[p]});
  }
  return map;
}

}  // namespace zel::source
