// libxml2 text reader behind an RAII type; document type declarations are refused outright,
// so no entity of any kind is ever expanded.
#include "xls/ooxml/xml_reader.h"

#include <libxml/xmlreader.h>

#include <cstring>
#include <deque>

#include "xls/ooxml/xml_scanner.h"

namespace zel::xls::ooxml {
namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;

std::string_view view(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

// Parse errors go to our exception, never to stderr.
void quietError(void*, const char*, xmlParserSeverities, xmlTextReaderLocatorPtr) {}

int closePart(void*) { return 0; }

}  // namespace

struct XmlReader::Impl {
  std::string text;
  std::unique_ptr<PartStream> stream;
  std::string readAhead;  // bytes the scanner read before handing the part over
  size_t readAheadUsed = 0;
  xmlTextReaderPtr reader = nullptr;
  std::unique_ptr<XmlScanner> scanner;
  mutable std::deque<std::string> held;  // attrView copies, kept until the reader moves
  ~Impl() {
    if (reader) xmlFreeTextReader(reader);
  }

  static int readFromPart(void* context, char* buffer, int len) {
    auto* impl = static_cast<Impl*>(context);
    size_t want = static_cast<size_t>(len);
    if (impl->readAheadUsed < impl->readAhead.size()) {
      size_t n = std::min(want, impl->readAhead.size() - impl->readAheadUsed);
      std::memcpy(buffer, impl->readAhead.data() + impl->readAheadUsed, n);
      impl->readAheadUsed += n;
      return static_cast<int>(n);
    }
    try {
      return static_cast<int>(impl->stream->read(reinterpret_cast<uint8_t*>(buffer), want));
    } catch (const PackageError&) {
      return -1;
    }
  }

  void startStream() {
    reader = xmlReaderForIO(readFromPart, closePart, this, nullptr, nullptr, kParseOptions);
    if (!reader) throw XmlError("cannot start the XML reader");
    xmlTextReaderSetErrorHandler(reader, quietError, nullptr);
  }
};

XmlReader::XmlReader(std::string text) : impl_(std::make_unique<Impl>()) {
  impl_->text = std::move(text);
  impl_->reader = xmlReaderForMemory(impl_->text.data(), static_cast<int>(impl_->text.size()), nullptr, nullptr, kParseOptions);
  if (!impl_->reader) throw XmlError("cannot start the XML reader");
  xmlTextReaderSetErrorHandler(impl_->reader, quietError, nullptr);
}

XmlReader::XmlReader(PartStream stream) : impl_(std::make_unique<Impl>()) {
  impl_->stream = std::make_unique<PartStream>(std::move(stream));
  impl_->startStream();
}

XmlReader::XmlReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

XmlReader XmlReader::scanning(PartStream stream) {
  auto impl = std::make_unique<Impl>();
  impl->scanner = std::make_unique<XmlScanner>(std::move(stream));
  if (!impl->scanner->isUtf8()) {
    auto [bytes, rest] = impl->scanner->takeUnread();
    impl->scanner.reset();
    impl->readAhead = std::move(bytes);
    impl->stream = std::make_unique<PartStream>(std::move(rest));
    impl->startStream();
  }
  return XmlReader(std::move(impl));
}

XmlReader::XmlReader(XmlReader&&) noexcept = default;
XmlReader::~XmlReader() = default;

bool XmlReader::next() {
  if (!impl_->held.empty()) impl_->held.clear();
  if (XmlScanner* s = impl_->scanner.get()) {
    bool more = s->next();
    start_ = s->isStart();
    return more;
  }
  for (;;) {
    int r = xmlTextReaderRead(impl_->reader);
    if (r == 0) return false;
    if (r < 0) throw XmlError("the XML is malformed or truncated");
    int type = xmlTextReaderNodeType(impl_->reader);
    if (type == XML_READER_TYPE_DOCUMENT_TYPE || type == XML_READER_TYPE_ENTITY_REFERENCE)
      throw XmlError("the XML declares a document type or entities, which a workbook part never does");
    if (type == XML_READER_TYPE_ELEMENT) {
      if (xmlTextReaderDepth(impl_->reader) > kMaxElementDepth) throw XmlError("the XML nests elements too deeply");
      start_ = true;
      return true;
    }
    if (type == XML_READER_TYPE_END_ELEMENT) {
      start_ = false;
      return true;
    }
  }
}

bool XmlReader::isEmptyElement() const {
  if (impl_->scanner) return impl_->scanner->isEmptyElement();
  return start_ && xmlTextReaderIsEmptyElement(impl_->reader) == 1;
}

std::string_view XmlReader::localName() const {
  if (impl_->scanner) return impl_->scanner->localName();
  return view(xmlTextReaderConstLocalName(impl_->reader));
}

int XmlReader::depth() const {
  if (impl_->scanner) return impl_->scanner->depth();
  return xmlTextReaderDepth(impl_->reader);
}

bool XmlReader::nextInside(int depth) { return next() && !(!start_ && this->depth() == depth); }

std::optional<std::string> XmlReader::attr(std::string_view name) const {
  if (auto v = attrView(name)) return std::string(*v);
  return std::nullopt;
}

std::optional<std::string_view> XmlReader::attrView(std::string_view name) const {
  if (const XmlScanner* s = impl_->scanner.get()) {
    for (const XmlAttribute& a : s->attributes())
      if (a.name == name) return a.value;
    return std::nullopt;
  }
  std::optional<std::string_view> out;
  xmlTextReaderPtr r = impl_->reader;
  if (xmlTextReaderMoveToFirstAttribute(r) != 1) return out;
  do {
    // Namespace declarations are not attributes: xmlns:r="..." must not answer for "r".
    if (xmlTextReaderIsNamespaceDecl(r) != 1 && view(xmlTextReaderConstLocalName(r)) == name) {
      out = impl_->held.emplace_back(view(xmlTextReaderConstValue(r)));
      break;
    }
  } while (xmlTextReaderMoveToNextAttribute(r) == 1);
  xmlTextReaderMoveToElement(r);
  return out;
}

void XmlReader::forEachAttribute(const std::function<void(std::string_view, std::string_view)>& f) const {
  if (const XmlScanner* s = impl_->scanner.get()) {
    for (const XmlAttribute& a : s->attributes()) f(a.name, a.value);
    return;
  }
  xmlTextReaderPtr r = impl_->reader;
  if (xmlTextReaderMoveToFirstAttribute(r) != 1) return;
  do {
    if (xmlTextReaderIsNamespaceDecl(r) != 1) f(view(xmlTextReaderConstLocalName(r)), view(xmlTextReaderConstValue(r)));
  } while (xmlTextReaderMoveToNextAttribute(r) == 1);
  xmlTextReaderMoveToElement(r);
}

std::string XmlReader::text() {
  if (!impl_->held.empty()) impl_->held.clear();
  if (XmlScanner* s = impl_->scanner.get()) {
    std::string out = s->text();
    start_ = s->isStart();
    return out;
  }
  std::string out;
  if (!start_ || isEmptyElement()) return out;
  int base = depth();
  for (;;) {
    int r = xmlTextReaderRead(impl_->reader);
    if (r <= 0) throw XmlError("the XML is malformed or truncated");
    int type = xmlTextReaderNodeType(impl_->reader);
    if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE ||
        type == XML_READER_TYPE_WHITESPACE) {
      // Whitespace between child elements is not text, but inside a text element it is.
      out.append(view(xmlTextReaderConstValue(impl_->reader)));
    } else if (type == XML_READER_TYPE_DOCUMENT_TYPE || type == XML_READER_TYPE_ENTITY_REFERENCE) {
      throw XmlError("the XML declares a document type or entities, which a workbook part never does");
    } else if (type == XML_READER_TYPE_ELEMENT && depth() > kMaxElementDepth) {
      throw XmlError("the XML nests elements too deeply");
    } else if (type == XML_READER_TYPE_END_ELEMENT && depth() == base) {
      start_ = false;
      return out;
    }
  }
}

void XmlReader::skip() {
  if (XmlScanner* s = impl_->scanner.get()) {
    s->skip();
    start_ = s->isStart();
    return;
  }
  if (!start_ || isEmptyElement()) return;
  int base = depth();
  while (next())
    if (!start_ && depth() == base) return;
  throw XmlError("the XML is malformed or truncated");
}

}  // namespace zel::xls::ooxml
