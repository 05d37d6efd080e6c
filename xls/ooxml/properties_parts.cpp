// docProps/core.xml and docProps/app.xml into the built-in document properties, by the
// same indexes the compound-file property sets use; docProps/custom.xml into the custom ones.
#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/xml_number.h"

#include <charconv>

#include "core/vbstring.h"

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
        auto serial = isoLocalDateSerial(text);
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

std::optional<double> numberOf(std::string_view s) {
  s = xmlTrimmed(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double d = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
  if (s.empty() || ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
  return d;
}

constexpr std::string_view kTextTypes[] = {"lpwstr", "lpstr", "bstr"};
constexpr std::string_view kNumberTypes[] = {"i1", "i2", "i4", "i8", "int", "ui1", "ui2", "ui4", "ui8", "uint",
                                             "r4", "r8", "decimal"};

template <size_t N>
bool oneOf(std::string_view type, const std::string_view (&list)[N]) {
  for (std::string_view t : list)
    if (t == type) return true;
  return false;
}

// The value of one vt: element; nullopt with `bad` set when its text does not fit its type, nullopt
// alone for a type no custom property has (blobs, vectors, ...).
std::optional<PropertyValue> customValue(std::string_view type, std::string text, bool& bad) {
  PropertyValue v;
  if (oneOf(type, kTextTypes)) {
    v.kind = PropertyValue::Kind::Text;
    v.text = std::move(text);
    return v;
  }
  std::optional<double> number;
  if (oneOf(type, kNumberTypes)) {
    v.kind = PropertyValue::Kind::Number;
    number = numberOf(text);
  } else if (type == "bool") {
    v.kind = PropertyValue::Kind::Boolean;
    std::string_view t = xmlTrimmed(text);
    if (t == "true" || t == "1") number = -1;
    else if (t == "false" || t == "0") number = 0;
  } else if (type == "filetime" || type == "date") {
    v.kind = PropertyValue::Kind::Date;
    number = isoLocalDateSerial(xmlTrimmed(text));
  } else {
    return std::nullopt;
  }
  bad = !number;
  if (!number) return std::nullopt;
  v.number = *number;
  return v;
}

}  // namespace

void readCustomProperties(XmlReader& xml, DocumentProperties& props) {
  while (!props.customFull() && xml.next()) {
    if (!xml.isStart() || xml.depth() != 1 || xml.localName() != "property" || xml.isEmptyElement()) continue;
    std::optional<std::string> name = xml.attr("name");
    const int depth = xml.depth();
    std::optional<PropertyValue> value;
    bool bad = false, seen = false;
    while (xml.nextInside(depth)) {
      if (!xml.isStart() || xml.depth() != depth + 1) continue;
      if (seen) {  // one value per property; more are ignored
        if (!xml.isEmptyElement()) xml.skip();
        continue;
      }
      seen = true;
      const std::string type(xml.localName());
      value = customValue(type, xml.isEmptyElement() ? std::string() : xml.text(), bad);
      if (bad)
        props.warn("custom document properties: the value of \"" + cutText(name.value_or(""), 40) + "\" is not a valid vt:" +
                   cutText(type, 20));
    }
    if (!name) {
      props.warn("custom document properties: a property without a name was skipped");
      continue;
    }
    if (value) props.addCustom(std::move(*name), std::move(*value));
  }
}

void readCoreProperties(XmlReader& xml, DocumentProperties& props) { readProperties(xml, props, kCore); }

void readAppProperties(XmlReader& xml, DocumentProperties& props) { readProperties(xml, props, kApp); }

}  // namespace zel::xls::ooxml
