// Text tests and cuts shared by the macro source analyses, on UTF-16 text as VB sees it:
// keyword and comment tests, the scope-word cuts PriPubDel/PriPubDel2 and GetProcName.
#pragma once
#include <string>
#include <string_view>

namespace zel::source {

using U16 = std::u16string;
using U16V = std::u16string_view;

bool contains(U16V text, U16V find);
bool beginsWith(U16V text, U16V prefix);
// UCase(LTrim(s)): the form every keyword test searches.
U16 upperLtrim(U16V s);
// Mid(s, start, count) where a count of zero or less gives "" (VB would raise an error).
U16 cut(U16V s, long start, long count);
// 1-based position of find in s, 0 when absent.
long pos(U16V s, U16V find, long start = 1);

// A statement whose last physical line, trimmed, begins with a quote mark.
bool isQuoteComment(U16V physicalLine);
// The first nine characters are "Attribute" (exact case).
bool isAttributeLine(U16V line);

// The name of a declaration line, or "ERROR". The name is cut exactly at its marker, so
// Static Function X() and Friend Sub Y() give X and Y.
U16 GetProcName(U16V line);

// PriPubDel: the scope of a procedure statement and the statement with its scope word cut.
struct ScopeCut {
  const char* privatePublic;  // "Private" or "Public"
  U16 rest;
};
ScopeCut PriPubDel(U16V statement);

// PriPubDel2: the same cut for the source listing (512 characters at most).
U16 PriPubDel2(U16V line);

// UTF-8 text of a UTF-16 value, cut to a field's width with trailing blanks removed.
std::string fieldText(U16V s, long width = 255);

}  // namespace zel::source
