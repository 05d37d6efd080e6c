// libxml2 text reader behind an RAII type; document type declarations are refused outright,
// so no entity of any kind is ever expanded.
#include "xls/ooxml/xml_reader.h"

#include <libxml/xmlreader.h>

#include <cstring>

namespace zel::xls::ooxml {
namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;

std::string_view view(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

// Parse errors go to our exception, never to stderr.
void quietError(void*, const char*, xmlParserSeverities, xmlTextReaderLocatorPtr) {}

int readFromPart(void* context, char* buffer, int len) {
  auto* stream = static_cast<PartStream*>(context);
  try {
    return static_cast<int>(stream->read(reinterpret_cast<uint8_t*>(buffer), static_cast<size_t>(len)));
  } catch (const PackageError&) {
    return -1;
  }
}

int closePart(void*) { return 0; }

}  // namespace

struct XmlReader::Impl {
  std::string text;
  std::unique_ptr<PartStream> stream;
  xmlTextReaderPtr reader = nullptr;
  ~Impl() {
    if (reader) xmlFreeTextReader(reader);
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
  impl_->reader = xmlReaderForIO(readFromPart, closePart, impl_->stream.get(), nullptr, nullptr, kParseOptions);
  if (!impl_->reader) throw XmlError("cannot start the XML reader");
  xmlTextReaderSetErrorHandler(impl_->reader, quietError, nullptr);
}

XmlReader::XmlReader(XmlReader&&) noexcept = default;
XmlReader::~XmlReader() = default;

bool XmlReader::next() {
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

bool XmlReader::isEmptyElement() const { return start_ && xmlTextReaderIsEmptyElement(impl_->reader) == 1; }

std::string_view XmlReader::localName() const { return view(xmlTextReaderConstLocalName(impl_->reader)); }

int XmlReader::depth() const { return xmlTextReaderDepth(impl_->reader); }

bool XmlReader::nextInside(int depth) { return next() && !(!start_ && this->depth() == depth); }

std::optional<std::string> XmlReader::attr(std::string_view name) const {
  std::optional<std::string> out;
  xmlTextReaderPtr r = impl_->reader;
  if (xmlTextReaderMoveToFirstAttribute(r) != 1) return out;
  do {
    if (view(xmlTextReaderConstLocalName(r)) == name) {
      out = std::string(view(xmlTextReaderConstValue(r)));
      break;
    }
  } while (xmlTextReaderMoveToNextAttribute(r) == 1);
  xmlTextReaderMoveToElement(r);
  return out;
}

void XmlReader::forEachAttribute(const std::function<void(std::string_view, std::string_view)>& f) const {
  xmlTextReaderPtr r = impl_->reader;
  if (xmlTextReaderMoveToFirstAttribute(r) != 1) return;
  do {
    f(view(xmlTextReaderConstLocalName(r)), view(xmlTextReaderConstValue(r)));
  } while (xmlTextReaderMoveToNextAttribute(r) == 1);
  xmlTextReaderMoveToElement(r);
}

std::string XmlReader::text() {
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
  if (!start_ || isEmptyElement()) return;
  int base = depth();
  while (next())
    if (!start_ && depth() == base) return;
  throw XmlError("the XML is malformed or truncated");
}

}  // namespace zel::xls::ooxml
