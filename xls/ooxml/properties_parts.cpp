// docProps/core.xml and docProps/app.xml into the built-in document properties, by the
// same indexes the compound-file property sets use.
#include "xls/ooxml/part_readers.h"

#include <charconv>

namespace zel::xls::ooxml {
namespace {

struct PropertyName {
  std::string_view element;
  int index;
  PropertyValue::Kind kind;
};

constexpr PropertyName kCore[] = {
    {"title", 1, PropertyValue::Kind::Text},          {"subject", 2, PropertyValue::Kind::Text},
    {"creator", 3, PropertyValue::Kind::Text},        {"keywords", 4, PropertyValue::Kind::Text},
    {"description", 5, PropertyValue::Kind::Text},    {"lastModifiedBy", 7, PropertyValue::Kind::Text},
    {"revision", 8, PropertyValue::Kind::Text},       {"lastPrinted", 10, PropertyValue::Kind::Date},
    {"created", 11, PropertyValue::Kind::Date},       {"modified", 12, PropertyValue::Kind::Date},
    {"category", 18, PropertyValue::Kind::Text},
};

constexpr PropertyName kApp[] = {
    {"Template", 6, PropertyValue::Kind::Text},       {"Application", 9, PropertyValue::Kind::Text},
    {"TotalTime", 13, PropertyValue::Kind::Number},   {"Pages", 14, PropertyValue::Kind::Number},
    {"Words", 15, PropertyValue::Kind::Number},       {"Characters", 16, PropertyValue::Kind::Number},
    {"DocSecurity", 17, PropertyValue::Kind::Number}, {"PresentationFormat", 19, PropertyValue::Kind::Text},
    {"Manager", 20, PropertyValue::Kind::Text},       {"Company", 21, PropertyValue::Kind::Text},
    {"Lines", 23, PropertyValue::Kind::Number},       {"Paragraphs", 24, PropertyValue::Kind::Number},
    {"Slides", 25, PropertyValue::Kind::Number},      {"Notes", 26, PropertyValue::Kind::Number},
    {"HiddenSlides", 27, PropertyValue::Kind::Number}, {"MMClips", 28, PropertyValue::Kind::Number},
    {"HyperlinkBase", 29, PropertyValue::Kind::Text},
};

template <size_t N>
void readProperties(XmlReader& xml, DocumentProperties& props, const PropertyName (&table)[N]) {
  while (xml.next()) {
    if (!xml.isStart() || xml.depth() != 1) continue;
    std::string_view n = xml.localName();
    for (const PropertyName& p : table) {
      if (p.element != n) continue;
      std::string text = xml.text();
      PropertyValue v;
      v.kind = p.kind;
      if (p.kind == PropertyValue::Kind::Text) {
        v.text = std::move(text);
      } else if (p.kind == PropertyValue::Kind::Date) {
        auto serial = isoDateSerial(text);
        if (!serial) break;
        v.number = *serial;
      } else {
        double d = 0;
        auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
        if (ec != std::errc()) break;
        v.number = d;
      }
      props.set(p.index, std::move(v));
      break;
    }
  }
}

}  // namespace

void readCoreProperties(XmlReader& xml, DocumentProperties& props) { readProperties(xml, props, kCore); }

void readAppProperties(XmlReader& xml, DocumentProperties& props) { readProperties(xml, props, kApp); }

}  // namespace zel::xls::ooxml
