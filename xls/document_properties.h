// Document properties: the built-in ones (1..29, Excel's BuiltinDocumentProperties order) read
// from the "\005SummaryInformation" and "\005DocumentSummaryInformation" property sets, and the
// custom ones (Excel's CustomDocumentProperties) in their stored order.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "xls/compound_file.h"

namespace zel::xls {

struct PropertyValue {
  enum class Kind { Empty, Text, Number, Date, Boolean };
  Kind kind = Kind::Empty;
  std::string text;     // Text
  double number = 0;    // Number; Date: serial day number (days since 1899-12-30, local time);
                        // Boolean: -1 (True) or 0 (False)
  // The value as VB's CStr gives it: dates "yyyy/mm/dd hh:nn:ss" ("yyyy/mm/dd" at midnight),
  // numbers in General form, "True"/"False", empty for Empty.
  std::string toText() const;
};

// A UTC time (seconds since 1970) as a local date serial, the way dates are shown.
double localDateSerial(int64_t unixSeconds);

struct CustomProperty {
  std::string name;
  PropertyValue value;
};

inline constexpr int kBuiltinPropertyCount = 29;
// Bounds on what a damaged or hostile file can make the custom properties hold.
inline constexpr size_t kMaxCustomProperties = 10000;
inline constexpr size_t kMaxCustomTextBytes = 256 * 1024;        // one name or text value
inline constexpr size_t kMaxCustomTotalBytes = 16 * 1024 * 1024;  // all names and texts

class DocumentProperties {
 public:
  // Reads both property sets; missing or unreadable sets leave their properties empty.
  static DocumentProperties read(const CompoundFile& file);

  // The English name of property index 1..29 ("Title", ..., "Hyperlink base").
  static const char* name(int index);
  // The value of property index 1..29. Raises VbError -2147467259 for Last print date (10)
  // and Creation date (11) when the file does not hold them, as Excel does; VbError 5 for
  // an index outside 1..29.
  const PropertyValue& value(int index) const;
  // True when the file holds the property.
  bool present(int index) const;
  // Sets a value (tests, and writers of synthetic workbooks).
  void set(int index, PropertyValue v);

  // The custom properties in the order the file stores them.
  const std::vector<CustomProperty>& custom() const { return custom_; }
  // Appends one; a name or text over kMaxCustomTextBytes is skipped with a warning, and once the
  // list holds kMaxCustomProperties or kMaxCustomTotalBytes of text, it is full: false.
  bool addCustom(std::string name, PropertyValue v);
  bool customFull() const { return customFull_; }
  // What was skipped as damaged while reading the properties: the first few lines, then a
  // count of the rest.
  std::vector<std::string> warnings() const;
  void warn(std::string text);

 private:
  std::array<PropertyValue, kBuiltinPropertyCount> values_{};
  std::array<bool, kBuiltinPropertyCount> present_{};
  std::vector<CustomProperty> custom_;
  size_t customBytes_ = 0;
  bool customFull_ = false;
  std::vector<std::string> warnings_;
  size_t warningsLeftOut_ = 0;
};

}  // namespace zel::xls
