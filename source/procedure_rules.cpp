// TypeSelect and the declaration/call cut. Positions are 1-based UTF-16 positions.
#include "source/procedure_rules.h"

#include "core/vbstring.h"

#include <array>

namespace zel::source {

ProcTypeFields TypeSelect(U16V statement) {
  ProcTypeFields f;
  const U16 first12 = vb::ucase(vb::left(statement, 12));
  const U16 upper = upperLtrim(statement);
  long least = 0;
  if (first12 == u"PROPERTY GET") {
    f.type = u"Property Get", least = 14;
  } else if (first12 == u"PROPERTY LET") {
    f.type = u"Property Let", least = 14;
  } else if (first12 == u"PROPERTY SET") {
    f.type = u"Property Set", least = 14;
  } else if (contains(upper, u"DECLARE FUNCTION ")) {
    f.type = u"Declare Function", least = 18, f.writesDimCall = true;
  } else if (contains(upper, u"DECLARE SUB ")) {
    f.type = u"Declare Sub", least = 13, f.writesDimCall = true;
  } else if (contains(upper, u"FUNCTION ")) {
    f.type = u"Function", least = 10, f.writesDimCall = true;
  } else if (contains(upper, u"SUB ")) {
    f.type = u"Sub", least = 5, f.writesDimCall = true;
  } else {
    return f;
  }
  const long p = pos(statement, u"(");
  const long q = pos(statement, u")");
  const long inner = q - p - 1;
  if (p < least || q < least || inner >= 150) return f;
  if (inner >= 3) f.parameters = vb::rtrim(cut(statement, p + 1, inner));
  if (long a = pos(statement, u"As", q); a > 0) f.as = vb::mid(statement, a + 3);
  return f;
}

namespace {

struct DimCallKind {
  U16V keyword;
  int dimCall;
  const char* type;
  long commentFrom;   // a quote mark before this position is not a comment mark
  long lengthOffset;  // length of the declared text = m - lengthOffset (Const: m - s)
};

// In the order the kind is chosen: the first keyword the statement contains decides.
constexpr std::array<DimCallKind, 6> kKinds = {{
    {u"DIM ", 4, "Dim", 4, 5},
    {u"CONST ", 5, "Const", 6, 0},
    {u"GLOBAL ", 1, "Global", 7, 8},
    {u"PRIVATE ", 3, "Private", 8, 9},
    {u"PUBLIC ", 2, "Public", 7, 8},
    {u"CALL ", 6, "Call", 5, 6},
}};

}  // namespace

std::optional<DimCallFields> DCCGFields(U16V statement) {
  const U16 text = vb::ltrim(statement);
  const U16 upper = vb::ucase(text);
  for (const DimCallKind& kind : kKinds) {
    const long k = pos(upper, kind.keyword);
    if (k == 0) continue;
    DimCallFields f;
    f.dimCall = kind.dimCall;
    f.type = kind.type;
    const bool scoped = kind.dimCall == 2 || kind.dimCall == 3;
    const bool typeBlock = scoped && contains(upper, u"TYPE ");
    f.bunrui = kind.dimCall == 5 ? "定数" : kind.dimCall == 6 ? "呼出" : typeBlock ? "定義" : "変数";
    const long s = k + static_cast<long>(kind.keyword.size()) + (typeBlock ? 5 : 0);
    long m = pos(text, u"'");
    if (m != 0 && m >= kind.commentFrom) {
      f.as = vb::rtrim(vb::mid(text, m + 1, 255));
    } else {
      m = 255;
    }
    // The declared text is counted from a fixed start for every kind but Const; a count
    // that comes out zero or negative (keyword only inside the comment) gives no text.
    const long length = kind.dimCall == 5 ? m - s : m - kind.lengthOffset;
    f.parameters = vb::rtrim(cut(text, s, length));
    return f;
  }
  return std::nullopt;
}

}  // namespace zel::source
