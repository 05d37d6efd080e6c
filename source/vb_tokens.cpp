// Statement lexer for the entry-point map.
#include "source/vb_tokens.h"

namespace zel::source {

namespace {

bool identStart(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80; }
bool identPart(char16_t c) { return identStart(c) || (c >= u'0' && c <= u'9'); }

}  // namespace

U16 upperName(U16V name) {
  U16 out(name);
  for (char16_t& c : out)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return out;
}

std::vector<VbToken> vbTokens(U16V s) {
  std::vector<VbToken> out;
  size_t i = 0;
  while (i < s.size()) {
    const char16_t c = s[i];
    if (c == u' ' || c == u'\t' || c == 0x3000) {
      ++i;
    } else if (c == u'\'') {
      break;
    } else if (c == u'"') {
      VbToken t{VbToken::Kind::String, {}};
      ++i;
      while (i < s.size()) {
        if (s[i] == u'"') {
          if (i + 1 < s.size() && s[i + 1] == u'"') {
            t.text += u'"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        t.text += s[i++];
      }
      out.push_back(std::move(t));
    } else if (c == u'[') {
      // A bracketed name ([Sheet 1]) is one identifier.
      const size_t end = s.find(u']', i + 1);
      const size_t stop = end == U16V::npos ? s.size() : end;
      out.push_back({VbToken::Kind::Identifier, U16(s.substr(i + 1, stop - i - 1))});
      i = stop == s.size() ? stop : stop + 1;
    } else if (c == u'#') {
      // A date literal #...# (or a file number): passed over as one token.
      const size_t end = s.find(u'#', i + 1);
      const bool date = end != U16V::npos && end - i < 40;
      out.push_back({VbToken::Kind::Other, U16(1, c)});
      i = date ? end + 1 : i + 1;
    } else if (identStart(c)) {
      size_t j = i + 1;
      while (j < s.size() && identPart(s[j])) ++j;
      // A type-declaration suffix (Name$, Count&) belongs to the name but not to the lookup.
      U16 name(s.substr(i, j - i));
      if (j < s.size() && (s[j] == u'$' || s[j] == u'%' || s[j] == u'&' || s[j] == u'!' || s[j] == u'@')) ++j;
      if (out.empty() && upperName(name) == u"REM") break;
      out.push_back({VbToken::Kind::Identifier, std::move(name)});
      i = j;
    } else if (c == u'(' || c == u')' || c == u',' || c == u'.' || c == u'=' || c == u':') {
      out.push_back({VbToken::Kind::Punct, U16(1, c)});
      ++i;
    } else {
      out.push_back({VbToken::Kind::Other, U16(1, c)});
      ++i;
    }
  }
  return out;
}

}  // namespace zel::source
