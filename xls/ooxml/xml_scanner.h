// A pull scanner for the large parts (worksheets, shared strings): UTF-8 read in big chunks
// with no per-node allocation. It keeps the bounds of the libxml2 reader: no document type,
// only the five predefined entities and character references, bounded depth, markup and text
// sizes, UTF-8 and XML characters checked.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xls/ooxml/package.h"

namespace zel::xls::ooxml {

struct XmlAttribute {
  std::string_view qname;  // as written ("r:id")
  std::string_view name;   // local name ("id")
  std::string_view value;  // references replaced
};

class XmlScanner {
 public:
  // Reads the first chunk; throws XmlError or PackageError.
  explicit XmlScanner(PartStream stream);

  // False when the part has a byte-order mark or declaration of another encoding than UTF-8;
  // nothing else may then be called but takeUnread().
  bool isUtf8() const { return utf8_; }
  // The bytes read so far and the stream of the rest (for another reader).
  std::pair<std::string, PartStream> takeUnread();

  // The same events and views as XmlReader's; views stay valid until the scanner moves.
  bool next();
  bool isStart() const { return start_; }
  bool isEmptyElement() const { return start_ && empty_; }
  std::string_view localName() const { return name_; }
  int depth() const { return depth_; }
  const std::vector<XmlAttribute>& attributes() const { return attrs_; }
  std::string text();
  void skip();

 private:
  enum class Markup { Start, End, Comment, Instruction, CData };
  bool fill();
  void validate(bool atEnd);
  size_t findMarkupEnd(Markup kind);
  Markup kindAt();
  void startTag(size_t end);
  void endTag(size_t end);
  void checkOutsideText(size_t from, size_t to);
  // Moves through the content of the current element; appends its text when `out` is given.
  void walkContent(std::string* out);

  PartStream stream_;
  std::vector<char> buf_;
  size_t pos_ = 0, end_ = 0, validated_ = 0;
  bool eof_ = false, utf8_ = true;
  bool start_ = false, empty_ = false, rootSeen_ = false, rootClosed_ = false;
  int depth_ = 0;
  std::string_view name_;
  std::vector<XmlAttribute> attrs_;
  std::string open_;             // the open elements' qualified names, back to back
  std::vector<uint32_t> opens_;  // where each starts in open_
};

}  // namespace zel::xls::ooxml
