// Rebuilds formula text from the tokens as they are decoded, one rule per token, in one text
// buffer that holds the operand stack.
// Parentheses come only from tParen, spaces and line breaks only from tAttrSpace, exactly as
// the formula was typed. Any index that does not resolve gives a placeholder, never a guess.
#include "xls/formula/formula_printer.h"

#include <charconv>
#include <cstdio>
#include <string_view>
#include <variant>

#include "xls/byte_cursor.h"
#include "xls/formula/function_table.h"
#include "xls/formula/number_text.h"
#include "xls/formula/ptg_decoder.h"
#include "xls/formula/sheet_name_text.h"

namespace zel::xls {
namespace {

using namespace formula;

constexpr uint32_t kRowCount = 65536;
constexpr uint16_t kColumnCount = 256;
constexpr uint16_t kLastRow = kRowCount - 1;
constexpr uint16_t kLastColumn = kColumnCount - 1;
constexpr int16_t kDeletedSheet = -1;  // XTI sheet index: the sheet was not found (deleted)

const char* binaryText(BinaryOperator op) {
  switch (op) {
    case BinaryOperator::Add: return "+";
    case BinaryOperator::Subtract: return "-";
    case BinaryOperator::Multiply: return "*";
    case BinaryOperator::Divide: return "/";
    case BinaryOperator::Power: return "^";
    case BinaryOperator::Concat: return "&";
    case BinaryOperator::Less: return "<";
    case BinaryOperator::LessEqual: return "<=";
    case BinaryOperator::Equal: return "=";
    case BinaryOperator::GreaterEqual: return ">=";
    case BinaryOperator::Greater: return ">";
    case BinaryOperator::NotEqual: return "<>";
    case BinaryOperator::Intersect: return " ";
    case BinaryOperator::Union: return ",";
    case BinaryOperator::Range: return ":";
  }
  return "?";
}

std::string hex(unsigned v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%0*X", width, v);
  return buf;
}

// Spaces and line breaks waiting for the token they stand before.
struct PendingSpace {
  std::string lead;         // before the token's own text
  std::string beforeOpen;   // before "(" of a tParen
  std::string beforeClose;  // before ")" of a tParen or function
  bool empty() const { return lead.empty() && beforeOpen.empty() && beforeClose.empty(); }
};

struct Failure {
  std::string placeholder;
  std::string warning;
};

struct Cell {
  uint32_t row = 0;
  uint16_t col = 0;
  bool rowRelative = false;
  bool colRelative = false;
};

// "$A$1" style address appended to out.
void appendCell(std::string& out, const Cell& c) {
  char buf[16];
  char* p = buf;
  if (!c.colRelative) *p++ = '$';
  char letters[2];
  int count = 0;
  for (unsigned n = static_cast<unsigned>(c.col) + 1; n > 0 && count < 2; n = (n - 1) / 26)
    letters[count++] = static_cast<char>('A' + (n - 1) % 26);  // columns stop at IV
  while (count > 0) *p++ = letters[--count];
  if (!c.rowRelative) *p++ = '$';
  p = std::to_chars(p, buf + sizeof buf, static_cast<unsigned long>(c.row) + 1).ptr;
  out.append(buf, p);
}

// An operand on the stack: where its text starts in the buffer, and whether it is a tName /
// tNameX (it may stand as the name of an add-in or macro function).
struct Operand {
  size_t start = 0;
  bool isName = false;
};

// The operand starts: a few in place, more (deeply nested formulas) on the heap.
class OperandStack {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Operand& operator[](size_t i) { return i < kInline ? inline_[i] : spill_[i - kInline]; }
  Operand& back() { return (*this)[size_ - 1]; }
  void push(Operand o) {
    if (size_ < kInline) inline_[size_] = o;
    else if (size_ - kInline < spill_.size()) spill_[size_ - kInline] = o;
    else spill_.push_back(o);
    ++size_;
  }
  void pop() { --size_; }
  void shrink(size_t n) { size_ = n; }

 private:
  static constexpr size_t kInline = 16;
  Operand inline_[kInline];
  std::vector<Operand> spill_;
  size_t size_ = 0;
};

// The text is built in one buffer: "=" and then the operands on the stack back to back, each
// known by where it starts. Operators join the topmost operands in place, so no operand has a
// string of its own.
class Printer {
 public:
  Printer(const FormulaEnvironment& env, FormulaOrigin origin, FormulaKind kind)
      : env_(env), origin_(origin), kind_(kind), text_("=") {}

  FormulaText print(std::span<const uint8_t> rgce, std::span<const uint8_t> extra) {
    PtgReader reader(rgce, extra);
    Token token;
    while (reader.next(token)) {
      std::visit([this](const auto& t) { on(t); }, token);
      if (failure_) return failed();
    }
    if (reader.error()) {
      const auto& e = *reader.error();
      switch (e.kind) {
        case DecodeError::Kind::UnknownPtg:
          fail("#UNKNOWN_PTG(" + hex(e.ptg, 2) + ")", e.message);
          break;
        case DecodeError::Kind::UnknownFunction:
          fail("#UNKNOWN_FUNCTION(" + std::to_string(e.detail) + ")", e.message);
          break;
        default:
          fail("#DAMAGED_FORMULA", e.message);
          break;
      }
      return failed();
    }
    if (stack_.size() > 1) {
      fail("#DAMAGED_FORMULA", std::to_string(stack_.size()) + " operands left over at the end of the formula");
      return failed();
    }
    // Every token that takes operands leaves one, so an empty stack means an empty buffer.
    if (!afterEquals_.empty()) text_.insert(1, afterEquals_);
    text_ += pending_.lead;
    text_ += pending_.beforeOpen;
    text_ += pending_.beforeClose;
    FormulaText result;
    result.text = std::move(text_);
    return result;
  }

 private:
  // ---- token rules -------------------------------------------------------------------------
  void on(const BinaryOp& t) {
    if (!need(2, "operator")) return;
    const size_t right = stack_.back().start;
    stack_.pop();
    stack_.back().isName = false;
    // left, spaces, operator, right
    if (pending_.empty()) {
      text_.insert(right, binaryText(t.op));
    } else {
      std::string middle = takeLead();
      middle += binaryText(t.op);
      text_.insert(right, middle);
    }
  }
  void on(const UnaryOp& t) {
    if (!need(1, "operator")) return;
    Operand& operand = stack_.back();
    operand.isName = false;
    if (t.op == UnaryOperator::Percent) {
      appendLead();
      text_ += '%';
    } else {
      std::string sign = takeLead();
      sign += t.op == UnaryOperator::Minus ? '-' : '+';
      text_.insert(operand.start, sign);
    }
  }
  void on(const ParenToken&) {
    if (!need(1, "parenthesis")) return;
    Operand& inner = stack_.back();
    inner.isName = false;
    PendingSpace s = takePending();
    s.lead += s.beforeOpen;
    s.lead += '(';
    text_.insert(inner.start, s.lead);
    text_ += s.beforeClose;
    text_ += ')';
  }
  void on(const MissingArg&) { beginOperand(); }
  void on(const StringConst& t) {
    beginOperand();
    appendQuoted(t.text);
  }
  void on(const NumberConst& t) {
    beginOperand();
    text_ += excelNumberText(t.value);
  }
  void on(const IntConst& t) {
    beginOperand();
    char buf[8];
    text_.append(buf, std::to_chars(buf, buf + sizeof buf, t.value).ptr);
  }
  void on(const BoolConst& t) {
    beginOperand();
    text_ += t.value ? "TRUE" : "FALSE";
  }
  void on(const ErrorConst& t) {
    const char* text = errorCodeText(t.code);
    if (!text) return fail("#DAMAGED_FORMULA", "unknown error code " + hex(t.code, 2));
    beginOperand();
    text_ += text;
  }
  void on(const ArrayConst& t) {
    beginOperand();
    text_ += '{';
    for (uint16_t r = 0; r < t.rows; ++r) {
      if (r > 0) text_ += ';';
      for (uint16_t c = 0; c < t.columns; ++c) {
        if (c > 0) text_ += ',';
        const ArrayValue& v = t.values[static_cast<size_t>(r) * t.columns + c];
        switch (v.kind) {
          case ArrayValue::Kind::Empty: break;
          case ArrayValue::Kind::Number: text_ += excelNumberText(v.number); break;
          case ArrayValue::Kind::String: appendQuoted(v.text); break;
          case ArrayValue::Kind::Bool: text_ += v.code ? "TRUE" : "FALSE"; break;
          case ArrayValue::Kind::Error: {
            const char* e = errorCodeText(v.code);
            if (!e) return fail("#DAMAGED_FORMULA", "unknown error code " + hex(v.code, 2) + " in an array");
            text_ += e;
            break;
          }
        }
      }
    }
    text_ += '}';
  }
  void on(const FunctionCall& t) {
    if (!need(t.argCount, "function")) return;
    const size_t first = stack_.size() - t.argCount;
    std::string_view name;
    size_t firstArg = 0;
    if (t.index == kExternalFunctionIndex) {
      if (t.argCount == 0 || !stack_[first].isName) {
        return fail("#DAMAGED_FORMULA", "add-in function call without a function name");
      }
      firstArg = 1;
    } else {
      auto fn = findBuiltinFunction(t.index);
      if (!fn) return fail("#UNKNOWN_FUNCTION(" + std::to_string(t.index) + ")", "unknown function");
      name = fn->name;
    }
    // The arguments are rewritten behind the name, with "," between them.
    const size_t base = t.argCount ? stack_[first].start : text_.size();
    args_.assign(text_, base);
    auto argText = [&](size_t i) {
      const size_t from = stack_[first + i].start - base;
      const size_t to = first + i + 1 < stack_.size() ? stack_[first + i + 1].start - base : args_.size();
      return std::string_view(args_).substr(from, to - from);
    };
    PendingSpace s = takePending();
    text_.resize(base);
    text_ += s.lead;
    if (firstArg == 1) text_ += argText(0);
    else text_ += name;
    text_ += s.beforeOpen;
    text_ += '(';
    for (size_t i = firstArg; i < t.argCount; ++i) {
      if (i > firstArg) text_ += ',';
      text_ += argText(i);
    }
    text_ += s.beforeClose;
    text_ += ')';
    stack_.shrink(first);
    stack_.push(Operand{base, false});
  }
  void on(const SumAttr&) {
    if (!need(1, "SUM")) return;
    Operand& arg = stack_.back();
    arg.isName = false;
    PendingSpace s = takePending();
    s.lead += "SUM";
    s.lead += s.beforeOpen;
    s.lead += '(';
    text_.insert(arg.start, s.lead);
    text_ += s.beforeClose;
    text_ += ')';
  }
  void on(const SpaceAttr& t) {
    bool lineBreak = t.type == 0x01 || t.type == 0x03 || t.type == 0x05;
    const char c = lineBreak ? '\n' : ' ';
    switch (t.type) {
      case 0x00: case 0x01: pending_.lead.append(t.count, c); break;
      case 0x02: case 0x03: pending_.beforeOpen.append(t.count, c); break;
      case 0x04: case 0x05: pending_.beforeClose.append(t.count, c); break;
      default: afterEquals_.append(t.count, c); break;  // 0x06: after the leading "="
    }
  }
  void on(const ControlToken&) {}
  void on(const NameToken& t) {
    if (t.index == 0 || t.index > env_.names.size()) {
      return fail("#DAMAGED_FORMULA", "defined name index " + std::to_string(t.index) + " out of range");
    }
    beginOperand(true);
    text_ += env_.names[t.index - 1].name;
  }
  void on(const ExternNameToken& t) {
    auto text = externNameText(t);
    if (!text) return;
    beginOperand(true);
    text_ += *text;
  }
  void on(const RefToken& t) {
    auto cell = resolve(t.cell, t.offsets);
    if (!cell) return;
    beginOperand();
    appendCell(text_, *cell);
  }
  void on(const AreaToken& t) {
    auto first = resolve(t.first, t.offsets);
    auto last = first ? resolve(t.last, t.offsets) : std::nullopt;
    if (!last) return;
    beginOperand();
    appendArea(*first, *last);
  }
  void on(const Ref3dToken& t) {
    auto prefix = sheetRefPrefix(t.ixti);
    auto cell = prefix ? resolve(t.cell, kind_ != FormulaKind::Cell) : std::nullopt;
    if (!cell) return;
    beginOperand();
    text_ += *prefix;
    appendCell(text_, *cell);
  }
  void on(const Area3dToken& t) {
    bool offsets = kind_ != FormulaKind::Cell;
    auto prefix = sheetRefPrefix(t.ixti);
    auto first = prefix ? resolve(t.first, offsets) : std::nullopt;
    auto last = first ? resolve(t.last, offsets) : std::nullopt;
    if (!last) return;
    beginOperand();
    text_ += *prefix;
    appendArea(*first, *last);
  }
  void on(const RefErrToken&) {
    beginOperand();
    text_ += "#REF!";
  }
  void on(const AreaErrToken&) {
    beginOperand();
    text_ += "#REF!";
  }
  void on(const RefErr3dToken& t) { refErr3d(t.ixti); }
  void on(const AreaErr3dToken& t) { refErr3d(t.ixti); }
  void on(const ExpToken& t) {
    std::string where = "R" + std::to_string(t.row + 1) + "C" + std::to_string(t.col + 1);
    fail(t.table ? "#TABLE(" + where + ")" : "#SHARED_FORMULA(" + where + ")",
         std::string(t.table ? "data table" : "shared or array formula") + " anchored at " + where +
             " must be resolved by the caller");
  }

  // ---- references ---------------------------------------------------------------------------
  std::optional<Cell> resolve(const CellPos& p, bool offsets) {
    Cell c;
    c.rowRelative = p.rowRelative;
    c.colRelative = p.colRelative;
    if (offsets && p.rowRelative) {
      c.row = (origin_.row + p.row) % kRowCount;
    } else {
      c.row = p.row;
    }
    if (offsets && p.colRelative) {
      c.col = static_cast<uint16_t>((origin_.col + (p.col & 0xFF)) % kColumnCount);
    } else if (p.col > kLastColumn) {
      fail("#DAMAGED_FORMULA", "column " + std::to_string(p.col) + " outside the sheet");
      return std::nullopt;
    } else {
      c.col = p.col;
    }
    return c;
  }
  void appendArea(const Cell& a, const Cell& b) {
    bool allRows = a.row == 0 && b.row == kLastRow;
    bool allColumns = a.col == 0 && b.col == kLastColumn;
    if (allColumns) {  // whole rows (also the whole sheet): "1:3"
      text_ += a.rowRelative ? "" : "$";
      text_ += std::to_string(a.row + 1);
      text_ += ':';
      text_ += b.rowRelative ? "" : "$";
      text_ += std::to_string(b.row + 1);
    } else if (allRows) {  // whole columns: "A:C"
      text_ += a.colRelative ? "" : "$";
      text_ += columnLetters(a.col);
      text_ += ':';
      text_ += b.colRelative ? "" : "$";
      text_ += columnLetters(b.col);
    } else {
      appendCell(text_, a);
      text_ += ':';
      appendCell(text_, b);
    }
  }

  struct SheetSpan {
    const SupBookInfo* book = nullptr;
    const ExternSheetRef* xti = nullptr;
  };
  std::optional<SheetSpan> externSheet(uint16_t ixti) {
    if (ixti >= env_.externSheets.size()) {
      fail("#DAMAGED_FORMULA", "EXTERNSHEET index " + std::to_string(ixti) + " out of range");
      return std::nullopt;
    }
    const ExternSheetRef& xti = env_.externSheets[ixti];
    if (xti.supBook >= env_.supBooks.size()) {
      fail("#DAMAGED_FORMULA", "SUPBOOK index " + std::to_string(xti.supBook) + " out of range");
      return std::nullopt;
    }
    return SheetSpan{&env_.supBooks[xti.supBook], &xti};
  }

  std::optional<std::string> sheetName(const std::vector<std::string>& names, int16_t index) {
    if (index < 0 || static_cast<size_t>(index) >= names.size()) {
      fail("#DAMAGED_FORMULA", "sheet index " + std::to_string(index) + " out of range");
      return std::nullopt;
    }
    return names[static_cast<size_t>(index)];
  }

  // "Sheet1!", "'My Sheet'!", "Sheet1:Sheet3!", "[Book2.xls]Sheet1!", "#REF!" (deleted sheet).
  std::optional<std::string> sheetRefPrefix(uint16_t ixti) {
    auto span = externSheet(ixti);
    if (!span) return std::nullopt;
    const ExternSheetRef& xti = *span->xti;
    if (xti.firstSheet == kDeletedSheet || xti.lastSheet == kDeletedSheet) return std::string("#REF!");
    const SupBookInfo& book = *span->book;
    switch (book.kind) {
      case SupBookInfo::Kind::Self: {
        auto first = sheetName(env_.sheetNames, xti.firstSheet);
        auto last = first ? sheetName(env_.sheetNames, xti.lastSheet) : std::nullopt;
        if (!last) return std::nullopt;
        return sheetPrefix(*first, *last);
      }
      case SupBookInfo::Kind::External: {
        auto first = sheetName(book.sheetNames, xti.firstSheet);
        auto last = first ? sheetName(book.sheetNames, xti.lastSheet) : std::nullopt;
        if (!last) return std::nullopt;
        return externalSheetPrefix(book.fileName, *first, *last);
      }
      default:
        fail("#DAMAGED_FORMULA", "cell reference into an add-in or DDE/OLE link");
        return std::nullopt;
    }
  }

  void refErr3d(uint16_t ixti) {
    auto prefix = sheetRefPrefix(ixti);
    if (!prefix) return;
    beginOperand();
    text_ += *prefix;
    text_ += "#REF!";
  }

  std::optional<std::string> externNameText(const ExternNameToken& t) {
    auto span = externSheet(t.ixti);
    if (!span) return std::nullopt;
    const SupBookInfo& book = *span->book;
    const ExternSheetRef& xti = *span->xti;
    if (book.kind == SupBookInfo::Kind::Self) {
      if (t.index == 0 || t.index > env_.names.size()) {
        fail("#DAMAGED_FORMULA", "defined name index " + std::to_string(t.index) + " out of range");
        return std::nullopt;
      }
      const DefinedNameInfo& name = env_.names[t.index - 1];
      if (name.sheetScope <= 0) return name.name;
      auto sheet = sheetName(env_.sheetNames, static_cast<int16_t>(name.sheetScope - 1));
      if (!sheet) return std::nullopt;
      return sheetPrefix(*sheet, *sheet) + name.name;
    }
    if (t.index == 0 || t.index > book.externNames.size()) {
      fail("#DAMAGED_FORMULA", "external name index " + std::to_string(t.index) + " out of range");
      return std::nullopt;
    }
    const std::string& name = book.externNames[t.index - 1];
    switch (book.kind) {
      case SupBookInfo::Kind::AddIn:
        return name;
      case SupBookInfo::Kind::External:
        if (xti.firstSheet >= 0) {
          auto sheet = sheetName(book.sheetNames, xti.firstSheet);
          if (!sheet) return std::nullopt;
          return externalSheetPrefix(book.fileName, *sheet, *sheet) + name;
        }
        return externalBookPrefix(book.fileName) + name;
      default: {
        // DDE/OLE links: "Server|Topic!Item"; the link's parts are separated by 0x03 in the path.
        std::string link = book.fileName;
        for (char& c : link) {
          if (c == '\x03') c = '|';
        }
        return link + "!" + name;
      }
    }
  }

  // ---- stack and pending spaces -------------------------------------------------------------
  bool need(size_t count, const char* what) {
    if (stack_.size() >= count) return true;
    fail("#DAMAGED_FORMULA", std::string(what) + " without enough operands");
    return false;
  }
  // A new operand starts at the end of the buffer, after the spaces waiting before it.
  void beginOperand(bool isName = false) {
    stack_.push(Operand{text_.size(), isName});
    appendLead();
  }
  void appendQuoted(const std::string& text) {
    text_ += '"';
    for (char c : text) {
      text_ += c;
      if (c == '"') text_ += '"';
    }
    text_ += '"';
  }
  // Paren spaces cannot stand before an operand; keep them in the text rather than lose them.
  void appendLead() {
    if (pending_.empty()) return;
    text_ += pending_.lead;
    text_ += pending_.beforeOpen;
    text_ += pending_.beforeClose;
    pending_ = {};
  }
  std::string takeLead() {
    if (pending_.empty()) return {};
    std::string s = pending_.lead + pending_.beforeOpen + pending_.beforeClose;
    pending_ = {};
    return s;
  }
  PendingSpace takePending() {
    PendingSpace s = std::move(pending_);
    pending_ = {};
    return s;
  }

  void fail(std::string placeholder, std::string warning) {
    if (!failure_) failure_ = Failure{std::move(placeholder), std::move(warning)};
  }
  FormulaText failed() const {
    FormulaText result;
    result.text = "=" + failure_->placeholder;
    result.warnings.push_back(failure_->warning);
    result.complete = false;
    return result;
  }

  const FormulaEnvironment& env_;
  FormulaOrigin origin_;
  FormulaKind kind_;
  std::string text_;   // "=" and the operands on the stack
  OperandStack stack_;
  std::string args_;   // a function's arguments while they are rewritten
  PendingSpace pending_;
  std::string afterEquals_;
  std::optional<Failure> failure_;
};

}  // namespace

FormulaText printFormula(std::span<const uint8_t> rgce, std::span<const uint8_t> extra,
                         const FormulaEnvironment& env, FormulaOrigin origin, FormulaKind kind) {
  return Printer(env, origin, kind).print(rgce, extra);
}

const char* errorCodeText(uint8_t code) {
  switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    default: return nullptr;
  }
}

std::optional<FormulaAnchor> formulaAnchor(std::span<const uint8_t> rgce) {
  constexpr uint8_t kExp = 0x01, kTbl = 0x02;
  constexpr size_t kTokenBytes = 5;
  if (rgce.size() != kTokenBytes || (rgce[0] != kExp && rgce[0] != kTbl)) return std::nullopt;
  ByteCursor cur(rgce);
  FormulaAnchor anchor;
  anchor.table = cur.u8() == kTbl;
  anchor.row = cur.u16();
  anchor.col = cur.u16();
  return anchor;
}

}  // namespace zel::xls
