// The scanner keeps a window of the inflated part: markup and text are found with memchr,
// attribute values are decoded in place (a reference is never shorter than what it stands
// for), and the window moves on only when the next token needs more bytes.
#include "xls/ooxml/xml_scanner.h"

#include <algorithm>
#include <cstring>

#include "xls/ooxml/xml_reader.h"

namespace zel::xls::ooxml {
namespace {

constexpr size_t kChunk = 512 * 1024;
// libxml2's own limits for one text node and one piece of markup, kept here.
constexpr size_t kMaxTextBytes = 10'000'000;
constexpr size_t kMaxMarkupBytes = 10'000'000;
constexpr size_t kMaxReferenceChars = 32;

[[noreturn]] void malformed() { throw XmlError("the XML is malformed or truncated"); }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

size_t putUtf8(uint32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

// The text of a reference's name ("amp", "#60", "#x3C") written to out; its length.
size_t putReference(std::string_view ref, char* out) {
  if (ref == "lt") return *out = '<', 1;
  if (ref == "gt") return *out = '>', 1;
  if (ref == "amp") return *out = '&', 1;
  if (ref == "quot") return *out = '"', 1;
  if (ref == "apos") return *out = '\'', 1;
  if (ref.size() < 2 || ref[0] != '#') throw XmlError("the XML refers to an entity that is not defined");
  bool hex = ref[1] == 'x';
  std::string_view digits = ref.substr(hex ? 2 : 1);
  if (digits.empty()) malformed();
  uint32_t c = 0;
  for (char d : digits) {
    uint32_t v;
    if (d >= '0' && d <= '9') v = static_cast<uint32_t>(d - '0');
    else if (hex && d >= 'a' && d <= 'f') v = static_cast<uint32_t>(d - 'a' + 10);
    else if (hex && d >= 'A' && d <= 'F') v = static_cast<uint32_t>(d - 'A' + 10);
    else malformed();
    c = c * (hex ? 16 : 10) + v;
    if (c > 0x10FFFF) malformed();
  }
  if (!isXmlChar(c)) malformed();
  return putUtf8(c, out);
}

// Replaces references and normalises line ends (and, in attribute values, white space) from
// in[0, n) to out, which may be in itself; the length written.
size_t decode(const char* in, size_t n, char* out, bool attribute) {
  size_t w = 0;
  for (size_t i = 0; i < n;) {
    char c = in[i];
    if (c == '&') {
      size_t room = std::min(n - i - 1, kMaxReferenceChars);
      const char* semi = static_cast<const char*>(std::memchr(in + i + 1, ';', room));
      if (!semi) malformed();
      std::string_view ref(in + i + 1, static_cast<size_t>(semi - in - i - 1));
      i = static_cast<size_t>(semi - in) + 1;
      w += putReference(ref, out + w);
      continue;
    }
    ++i;
    if (c == '\r') {
      if (i < n && in[i] == '\n') ++i;
      c = '\n';
    }
    if (attribute) {
      if (c == '<') malformed();
      if (c == '\n' || c == '\t') c = ' ';
    }
    out[w++] = c;
  }
  return w;
}

bool needsDecoding(const char* p, size_t n, bool attribute) {
  for (size_t i = 0; i < n; ++i) {
    char c = p[i];
    if (c == '&' || c == '\r' || (attribute && (c == '<' || c == '\n' || c == '\t'))) return true;
  }
  return false;
}

void appendText(std::string& out, const char* p, size_t n) {
  if (!needsDecoding(p, n, false)) {
    out.append(p, n);
  } else {
    size_t old = out.size();
    out.resize(old + n);
    out.resize(old + decode(p, n, out.data() + old, false));
  }
  if (out.size() > kMaxTextBytes) throw XmlError("a text in the XML is longer than the reader accepts");
}

std::string_view localOf(std::string_view qname) {
  size_t colon = qname.find(':');
  if (colon == std::string_view::npos) return qname;
  if (colon + 1 == qname.size() || colon == 0) malformed();
  return qname.substr(colon + 1);
}

void checkName(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9') || name[0] == '-' || name[0] == '.') malformed();
  for (char c : name)
    if (c == '"' || c == '\'' || c == '=' || c == '<' || c == '&' || c == '/' || c == '>') malformed();
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The encoding an XML declaration at the start of `head` names; "" when none.
std::string_view declaredEncoding(std::string_view head) {
  if (head.rfind("<?xml", 0) != 0) return {};
  head = head.substr(0, head.find("?>"));
  size_t at = head.find("encoding");
  if (at == std::string_view::npos) return {};
  at = head.find_first_of("\"'", at);
  if (at == std::string_view::npos) return {};
  size_t close = head.find(head[at], at + 1);
  if (close == std::string_view::npos) return {};
  return head.substr(at + 1, close - at - 1);
}

}  // namespace

XmlScanner::XmlScanner(PartStream stream) : stream_(std::move(stream)) {
  buf_.resize(kChunk);
  end_ = stream_.read(reinterpret_cast<uint8_t*>(buf_.data()), kChunk);
  eof_ = end_ == 0;
  std::string_view head(buf_.data(), end_);
  const bool bom = head.rfind("\xEF\xBB\xBF", 0) == 0;
  if (bom) head.remove_prefix(3);
  const bool wide = head.size() >= 2 && (head[0] == '\0' || head[1] == '\0' || static_cast<unsigned char>(head[0]) >= 0xFE);
  std::string_view encoding = declaredEncoding(head);
  if (wide || (!encoding.empty() && !equalsNoCase(encoding, "UTF-8") && !equalsNoCase(encoding, "UTF8"))) {
    utf8_ = false;
    return;
  }
  pos_ = validated_ = bom ? 3 : 0;
  validate(eof_);
}

std::pair<std::string, PartStream> XmlScanner::takeUnread() {
  return {std::string(buf_.data(), end_), std::move(stream_)};
}

// Checks new bytes: well-formed UTF-8 and nothing XML does not allow (control characters,
// surrogates, U+FFFE/U+FFFF). A sequence cut by the window's end is checked with the next chunk.
void XmlScanner::validate(bool atEnd) {
  const auto* b = reinterpret_cast<const unsigned char*>(buf_.data());
  size_t i = validated_;
  while (i < end_) {
    while (i + 8 <= end_) {
      uint64_t w;
      std::memcpy(&w, b + i, 8);
      constexpr uint64_t kHigh = 0x8080808080808080ull;
      if ((w & kHigh) || ((w - 0x2020202020202020ull) & ~w & kHigh)) break;
      i += 8;
    }
    if (i >= end_) break;
    unsigned c = b[i];
    if (c < 0x80) {
      if (c < 0x20 && c != 0x9 && c != 0xA && c != 0xD) throw XmlError("the XML holds a character XML does not allow");
      ++i;
      continue;
    }
    size_t more;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      throw XmlError("the XML is not well-formed UTF-8");
    }
    if (i + more >= end_) {
      if (atEnd) throw XmlError("the XML is not well-formed UTF-8");
      break;
    }
    if (b[i + 1] < lo || b[i + 1] > hi) throw XmlError("the XML is not well-formed UTF-8");
    for (size_t k = 2; k <= more; ++k)
      if ((b[i + k] & 0xC0) != 0x80) throw XmlError("the XML is not well-formed UTF-8");
    if (c == 0xEF && b[i + 1] == 0xBF && b[i + 2] >= 0xBE) throw XmlError("the XML holds a character XML does not allow");
    i += more + 1;
  }
  validated_ = i;
}

// Drops what was consumed and reads the next chunk; false at the part's end.
bool XmlScanner::fill() {
  if (eof_) return false;
  size_t keep = std::min(pos_, validated_);
  if (keep > 0) {
    std::memmove(buf_.data(), buf_.data() + keep, end_ - keep);
    end_ -= keep;
    pos_ -= keep;
    validated_ -= keep;
  }
  if (buf_.size() < end_ + kChunk) buf_.resize(end_ + kChunk);
  size_t n = stream_.read(reinterpret_cast<uint8_t*>(buf_.data() + end_), kChunk);
  end_ += n;
  eof_ = n == 0;
  validate(eof_);
  return n > 0;
}

// The kind of markup at pos_; a document type or entity declaration is refused here.
XmlScanner::Markup XmlScanner::kindAt() {
  while (end_ - pos_ < 9 && fill()) {
  }
  std::string_view at(buf_.data() + pos_, end_ - pos_);
  char second = at.size() > 1 ? at[1] : '\0';
  if (second == '/') return Markup::End;
  if (second == '?') return Markup::Instruction;
  if (second != '!') return Markup::Start;
  if (at.rfind("<!--", 0) == 0) return Markup::Comment;
  if (at.rfind("<![CDATA[", 0) == 0) return Markup::CData;
  // "<!DOCTYPE" or "<!ENTITY": refused before anything of it is read.
  throw XmlError("the XML declares a document type or entities, which a workbook part never does");
}

// The index of the markup's closing '>' (the window holding all of it).
size_t XmlScanner::findMarkupEnd(Markup kind) {
  std::string_view close = kind == Markup::Comment ? "-->" : kind == Markup::CData ? "]]>" : kind == Markup::Instruction ? "?>" : ">";
  size_t from = kind == Markup::Comment ? 4 : kind == Markup::CData ? 9 : kind == Markup::Start ? 1 : 2;
  char quote = 0;
  for (;;) {
    const char* d = buf_.data();
    if (kind == Markup::Start) {
      for (size_t i = pos_ + from; i < end_; ++i) {
        char c = d[i];
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '>') {
          return i;
        }
      }
      from = end_ - pos_;
    } else {
      std::string_view window(d + pos_, end_ - pos_);
      size_t at = window.find(close, std::min(from, window.size()));
      if (at != std::string_view::npos) return pos_ + at + close.size() - 1;
      from = std::max(from, window.size() >= close.size() ? window.size() - close.size() + 1 : 0);
    }
    if (end_ - pos_ > kMaxMarkupBytes) throw XmlError("a tag in the XML is longer than the reader accepts");
    if (!fill()) malformed();
  }
}

void XmlScanner::checkOutsideText(size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (!isSpace(buf_[i])) malformed();
}

void XmlScanner::startTag(size_t gt) {
  char* d = buf_.data();
  size_t stop = gt;
  empty_ = d[stop - 1] == '/';
  if (empty_) --stop;
  size_t i = pos_ + 1, j = i;
  while (j < stop && !isSpace(d[j])) ++j;
  std::string_view qname(d + i, j - i);
  checkName(qname);
  if (rootClosed_) malformed();  // a second root element
  depth_ = static_cast<int>(opens_.size());
  if (depth_ > kMaxElementDepth) throw XmlError("the XML nests elements too deeply");
  name_ = localOf(qname);
  attrs_.clear();
  for (i = j;;) {
    bool spaced = false;
    while (i < stop && isSpace(d[i])) {
      ++i;
      spaced = true;
    }
    if (i >= stop) break;
    if (!spaced) malformed();
    size_t a = i;
    while (i < stop && !isSpace(d[i]) && d[i] != '=') ++i;
    std::string_view aname(d + a, i - a);
    checkName(aname);
    while (i < stop && isSpace(d[i])) ++i;
    if (i >= stop || d[i] != '=') malformed();
    ++i;
    while (i < stop && isSpace(d[i])) ++i;
    if (i >= stop || (d[i] != '"' && d[i] != '\'')) malformed();
    char q = d[i++];
    const char* e = static_cast<const char*>(std::memchr(d + i, q, stop - i));
    if (!e) malformed();
    size_t vlen = static_cast<size_t>(e - d) - i;
    if (needsDecoding(d + i, vlen, true)) vlen = decode(d + i, vlen, d + i, true);
    std::string_view value(d + i, vlen);
    i = static_cast<size_t>(e - d) + 1;
    for (const XmlAttribute& other : attrs_)
      if (other.qname == aname) malformed();
    if (aname == "xmlns" || aname.rfind("xmlns:", 0) == 0) continue;  // namespace declarations are not attributes
    attrs_.push_back({aname, localOf(aname), value});
  }
  if (!empty_) {
    opens_.push_back(static_cast<uint32_t>(open_.size()));
    open_.append(qname);
  }
  rootSeen_ = true;
  if (empty_ && opens_.empty()) rootClosed_ = true;
  start_ = true;
  pos_ = gt + 1;
}

void XmlScanner::endTag(size_t gt) {
  const char* d = buf_.data();
  size_t i = pos_ + 2, j = i;
  while (j < gt && !isSpace(d[j])) ++j;
  std::string_view qname(d + i, j - i);
  for (size_t k = j; k < gt; ++k)
    if (!isSpace(d[k])) malformed();
  if (opens_.empty() || std::string_view(open_).substr(opens_.back()) != qname) malformed();
  open_.resize(opens_.back());
  opens_.pop_back();
  depth_ = static_cast<int>(opens_.size());
  if (opens_.empty()) rootClosed_ = true;
  name_ = localOf(qname);
  attrs_.clear();
  start_ = empty_ = false;
  pos_ = gt + 1;
}

bool XmlScanner::next() {
  for (;;) {
    const char* d = buf_.data();
    const auto* lt = static_cast<const char*>(std::memchr(d + pos_, '<', end_ - pos_));
    size_t stop = lt ? static_cast<size_t>(lt - d) : end_;
    if (opens_.empty()) checkOutsideText(pos_, stop);
    pos_ = stop;
    if (!lt) {
      if (fill()) continue;
      if (!opens_.empty() || !rootSeen_) malformed();
      return false;
    }
    Markup kind = kindAt();
    size_t gt = findMarkupEnd(kind);
    if (kind == Markup::Start) {
      startTag(gt);
      return true;
    }
    if (kind == Markup::End) {
      endTag(gt);
      return true;
    }
    if (kind == Markup::CData && opens_.empty()) malformed();
    pos_ = gt + 1;
  }
}

void XmlScanner::walkContent(std::string* out) {
  if (!start_ || empty_) return;
  const size_t base = opens_.size() - 1;
  for (;;) {
    const char* d = buf_.data();
    const auto* lt = static_cast<const char*>(std::memchr(d + pos_, '<', end_ - pos_));
    size_t stop = lt ? static_cast<size_t>(lt - d) : end_;
    if (out && !lt) {
      // A reference or a CR LF cut by the window's end is decoded with the next chunk.
      size_t from = stop > pos_ + kMaxReferenceChars + 2 ? stop - kMaxReferenceChars - 2 : pos_;
      std::string_view tail(d + from, stop - from);
      size_t amp = tail.rfind('&');
      if (amp != std::string_view::npos && tail.find(';', amp) == std::string_view::npos) stop = from + amp;
      if (stop > pos_ && d[stop - 1] == '\r') --stop;
    }
    if (out) appendText(*out, d + pos_, stop - pos_);
    pos_ = stop;
    if (!lt) {
      if (!fill()) malformed();
      continue;
    }
    Markup kind = kindAt();
    size_t gt = findMarkupEnd(kind);
    if (kind == Markup::Start) {
      startTag(gt);
    } else if (kind == Markup::End) {
      endTag(gt);
      if (opens_.size() == base) return;
    } else {
      if (kind == Markup::CData && out) {
        // CDATA is copied as written (libxml2 keeps its CR LF too).
        out->append(buf_.data() + pos_ + 9, gt - 2 - (pos_ + 9));
        if (out->size() > kMaxTextBytes) throw XmlError("a text in the XML is longer than the reader accepts");
      }
      pos_ = gt + 1;
    }
  }
}

std::string XmlScanner::text() {
  std::string out;
  walkContent(&out);
  return out;
}

void XmlScanner::skip() { walkContent(nullptr); }

}  // namespace zel::xls::ooxml
