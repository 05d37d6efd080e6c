// A forward-only XML reader over a part (libxml2's xmlTextReader, or for the large parts our own
// scanner): never loads DTDs or external entities, refuses a document type declaration, and
// bounds element depth.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "xls/ooxml/package.h"

namespace zel::xls::ooxml {

inline constexpr int kMaxElementDepth = 128;

class XmlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class XmlReader {
 public:
  explicit XmlReader(std::string text);     // a part read whole
  explicit XmlReader(PartStream stream);    // a part streamed
  // A large part (worksheet, shared strings) streamed through the scanner; a part in another
  // encoding than UTF-8 goes to libxml2.
  static XmlReader scanning(PartStream stream);
  XmlReader(XmlReader&&) noexcept;
  ~XmlReader();

  // Moves to the next element start or end; false at the end of the document. Text nodes are
  // only seen through text(). Throws XmlError on malformed XML or a bound crossed.
  bool next();
  bool isStart() const { return start_; }
  bool isEnd() const { return !start_; }
  bool isEmptyElement() const;               // <x/> (no end event follows)
  bool atStart(std::string_view name) const { return start_ && localName() == name; }
  bool atEnd(std::string_view name) const { return !start_ && localName() == name; }
  std::string_view localName() const;
  int depth() const;
  // The attribute of that local name (any namespace); nullopt when absent.
  std::optional<std::string> attr(std::string_view name) const;
  // The same without a copy: valid until the reader moves (next, text, skip).
  std::optional<std::string_view> attrView(std::string_view name) const;
  // Calls f(localName, value) for every attribute of the current element.
  void forEachAttribute(const std::function<void(std::string_view, std::string_view)>& f) const;
  // At an element start: the text of its subtree, leaving the reader on its end.
  std::string text();
  // At an element start: skips its subtree, leaving the reader on its end.
  void skip();
  // Inside the element that started at `depth` (its depth()): moves to the next start or end
  // below it; false on the element's own end (or the document's end). A child of the same name
  // does not end the walk.
  bool nextInside(int depth);

  struct Impl;

 private:
  explicit XmlReader(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
  bool start_ = false;
};

}  // namespace zel::xls::ooxml
