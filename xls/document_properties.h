// Built-in document properties (1..29, Excel's BuiltinDocumentProperties order) read from the
// "\005SummaryInformation" and "\005DocumentSummaryInformation" property sets.
#pragma once
#include <array>
#include <string>

#include "xls/compound_file.h"

namespace zel::xls {

struct PropertyValue {
  enum class Kind { Empty, Text, Number, Date };
  Kind kind = Kind::Empty;
  std::string text;     // Text
  double number = 0;    // Number; Date: serial day number (days since 1899-12-30, local time as stored)
  // The value as VB's CStr gives it: dates "yyyy/mm/dd hh:nn:ss" ("yyyy/mm/dd" at midnight),
  // numbers in General form, empty for Empty.
  std::string toText() const;
};

inline constexpr int kBuiltinPropertyCount = 29;

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

 private:
  std::array<PropertyValue, kBuiltinPropertyCount> values_{};
  std::array<bool, kBuiltinPropertyCount> present_{};
};

}  // namespace zel::xls
