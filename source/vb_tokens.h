// A small lexer for one VB statement: identifiers, string literals and punctuation, with the
// comment (a quote outside a string, or a leading Rem) cut off. The entry-point map reads
// calls and literal macro names through it, so names inside comments or texts are not calls.
#pragma once
#include "source/source_text.h"

#include <vector>

namespace zel::source {

struct VbToken {
  enum class Kind { Identifier, String, Punct, Other };
  Kind kind = Kind::Other;
  U16 text;  // identifier as written, string contents without quotes, or the punctuation
  bool is(char16_t punct) const { return kind == Kind::Punct && text.size() == 1 && text[0] == punct; }
};

// The tokens of a statement, comment left out. Numbers, date literals and operators other
// than ( ) , . = : come out as Other.
std::vector<VbToken> vbTokens(U16V statement);

// ASCII upper case of an identifier (what VB's case-blind name lookup compares).
U16 upperName(U16V name);

}  // namespace zel::source
