// Keyword tests, scope cuts and procedure-name extraction over UTF-16 text.
#include "source/source_text.h"

#include "core/vbstring.h"

namespace zel::source {

bool contains(U16V text, U16V find) { return text.find(find) != U16V::npos; }

bool beginsWith(U16V text, U16V prefix) { return text.substr(0, prefix.size()) == prefix; }

U16 upperLtrim(U16V s) { return vb::ucase(vb::ltrim(s)); }

U16 cut(U16V s, long start, long count) {
  if (count <= 0) return {};
  return vb::mid(s, start, count);
}

long pos(U16V s, U16V find, long start) { return vb::inStr(s, find, start); }

bool isQuoteComment(U16V physicalLine) {
  U16 t = vb::trim(physicalLine);
  return !t.empty() && t[0] == u'\'';
}

bool isAttributeLine(U16V line) { return beginsWith(line, u"Attribute"); }

namespace {

bool hasScopeWord(U16V line) {
  U16 u = upperLtrim(line);
  return contains(u, u"PRIVATE ") || contains(u, u"PUBLIC ");
}

}  // namespace

U16 GetProcName(U16V line) {
  U16 body = vb::trim(vb::mid(line, hasScopeWord(line) ? 8 : 1, 255));
  U16 upper = vb::ucase(body);
  long start = 0;
  U16V marker;
  const bool hasLib = pos(body, u"Lib ") > 0;
  if (long k = pos(upper, u"SUB "); k > 0) {
    start = k + 4;
    marker = hasLib ? U16V(u"Lib ") : U16V(u"(");
  } else if (long k2 = pos(upper, u"FUNCTION "); k2 > 0) {
    start = k2 + 9;
    marker = hasLib ? U16V(u"Lib ") : U16V(u"(");
  } else if (long k3 = pos(upper, u"PROPERTY "); k3 > 0) {
    start = k3 + 12;
    marker = u"(";
  } else {
    return u"ERROR";
  }
  long m = pos(body, marker);
  if (m == 0 || m < start) return u"ERROR";
  return vb::trim(cut(body, start, m - start));
}

ScopeCut PriPubDel(U16V statement) {
  if (hasScopeWord(statement)) {
    const char* scope = beginsWith(vb::ucase(statement), u"PRIVATE ") ? "Private" : "Public";
    return {scope, vb::trim(vb::mid(statement, 8, 2000))};
  }
  return {"Public", vb::trim(vb::left(statement, 2000))};
}

U16 PriPubDel2(U16V line) {
  U16 t = vb::trim(line);
  U16 upper = vb::ucase(t);
  if (beginsWith(upper, u"PRIVATE ") || beginsWith(upper, u"PUBLIC ")) return vb::trim(vb::mid(t, 8, 512));
  return vb::trim(vb::left(line, 512));
}

std::string fieldText(U16V s, long width) { return toU8(vb::rtrim(vb::left(s, width))); }

}  // namespace zel::source
