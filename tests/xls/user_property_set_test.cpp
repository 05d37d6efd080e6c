// The user-defined property set read from hand-built streams: a Unicode set with link entries
// and unsupported types, and sets whose counts, offsets and lengths lie.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "xls/user_property_set.h"

namespace zel::xls {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes& put(Bytes& b, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return b;
}
Bytes u32(uint32_t v) {
  Bytes b;
  return put(b, v, 4);
}
Bytes& append(Bytes& b, const Bytes& more) {
  b.insert(b.end(), more.begin(), more.end());
  while (b.size() % 4) b.push_back(0);
  return b;
}
Bytes utf16(const std::u16string& s) {
  Bytes b;
  for (char16_t c : s) put(b, c, 2);
  return b;
}
Bytes typed(uint16_t type, const Bytes& value) {
  Bytes b;
  return append(put(b, type, 4), value);
}
// A code page 1200 dictionary: count, then id, length with the null, name padded to 4 bytes.
Bytes dictionary(const std::vector<std::pair<uint32_t, std::u16string>>& names) {
  Bytes b = u32(static_cast<uint32_t>(names.size()));
  for (const auto& [id, name] : names) append(put(put(b, id, 4), name.size() + 1, 4), utf16(name + u'\0'));
  return b;
}

// An empty built-in section, then the user-defined one with these (id, value) entries in order.
Bytes propertySet(const std::vector<std::pair<uint32_t, Bytes>>& entries, uint32_t statedSize = 0) {
  Bytes table, values;
  for (const auto& [id, value] : entries) {
    put(put(table, id, 4), 8 + 8 * entries.size() + values.size(), 4);
    append(values, value);
  }
  Bytes s;
  put(put(put(s, 0xFFFE, 2), 0, 2), 0, 4);
  s.resize(24);  // CLSID
  put(s, 2, 4);
  for (uint8_t kind : {0x02, 0x05}) {  // FMTIDs of the built-in and the user-defined section
    Bytes fmtid = {kind, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10, 0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};
    put(append(s, fmtid), kind == 0x02 ? 68 : 76, 4);
  }
  put(put(s, 8, 4), 0, 4);
  put(put(s, statedSize ? statedSize : 8 + table.size() + values.size(), 4), entries.size(), 4);
  return append(append(s, table), values);
}

TEST(UserPropertySet, UnicodeSetWithLinksAndDamage) {
  Bytes lpstr = u32(8);  // a code-page string in a Unicode set: 16-bit units, size in bytes
  append(lpstr, utf16(std::u16string(u"\u00e9t\u00e9\0", 4)));
  Bytes r8;
  put(r8, 0x400C000000000000ull, 8);  // 3.5
  Bytes stream = propertySet({
      {1, typed(2, {0xB0, 0x04})},
      {0, dictionary({{2, u"Season"}, {3, u"Ratio"}, {4, u"Blob"}, {6, u"Cut"}})},
      {2, typed(30, lpstr)},
      {0x01000002, typed(30, {4, 0, 0, 0, 'A', '1', 0, 0})},  // link source of "Season": no property
      {3, typed(5, r8)},
      {4, typed(65, u32(0))},              // a blob: not a custom property's type
      {5, typed(3, u32(7))},               // no name in the dictionary
      {0x80000000, typed(19, u32(1041))},  // the locale
      {6, typed(31, u32(0x7FFFFFFF))},     // a string longer than the stream
  });
  DocumentProperties props;
  readUserDefinedProperties(stream, props);
  ASSERT_EQ(props.custom().size(), 2u);
  EXPECT_EQ(props.custom()[0].name, "Season");
  EXPECT_EQ(props.custom()[0].value.text, "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(props.custom()[1].name, "Ratio");
  EXPECT_EQ(props.custom()[1].value.toText(), "3.5");
  ASSERT_EQ(props.warnings().size(), 2u);
  EXPECT_NE(props.warnings()[0].find("\"Cut\""), std::string::npos);
  EXPECT_NE(props.warnings()[1].find("1 properties without a name"), std::string::npos);

  // Counts and offsets that lie: a section past the stream, a property table, a dictionary and a
  // value offset running past the stream. What lies before the damage is kept.
  Bytes farSection = stream, hugeTable = stream;
  farSection[64] = farSection[65] = 0xFF;                 // offset of the user-defined section
  hugeTable[80] = hugeTable[81] = hugeTable[82] = 0xFF;  // its property count
  Bytes lyingDictionary = propertySet({{0, u32(0xFFFFFFFF)}, {2, typed(3, u32(1))}});
  Bytes lyingOffset = propertySet({{0, dictionary({{2, u"A"}})}, {2, typed(3, u32(1))}});
  lyingOffset[96] = 0xF0;  // offset of property 2
  struct Case {
    const Bytes* bytes;
    size_t least, most;
  } cases[] = {{&farSection, 0, 0}, {&hugeTable, 2, 10}, {&lyingDictionary, 0, 0}, {&lyingOffset, 0, 0}};
  for (const Case& c : cases) {
    DocumentProperties p;
    readUserDefinedProperties(*c.bytes, p);
    EXPECT_FALSE(p.warnings().empty());
    EXPECT_GE(p.custom().size(), c.least);
    EXPECT_LE(p.custom().size(), c.most);
  }
  // A stated section size is not relied on; a truncated header is a warning.
  DocumentProperties sized, truncated;
  readUserDefinedProperties(propertySet({{0, dictionary({{2, u"A"}})}, {2, typed(3, u32(9))}}, 0x7FFFFFFF), sized);
  ASSERT_EQ(sized.custom().size(), 1u);
  EXPECT_EQ(sized.custom()[0].value.toText(), "9");
  readUserDefinedProperties(std::span<const uint8_t>(stream).first(60), truncated);
  EXPECT_TRUE(truncated.custom().empty());
  EXPECT_FALSE(truncated.warnings().empty());
}

}  // namespace
}  // namespace zel::xls
