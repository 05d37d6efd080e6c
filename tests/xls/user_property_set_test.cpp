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

void put(Bytes& b, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes utf16(const std::u16string& s) {
  Bytes b;
  for (char16_t c : s) put(b, c, 2);
  return b;
}

Bytes typed(uint16_t type, const Bytes& value) {
  Bytes b;
  put(b, type, 2);
  put(b, 0, 2);
  b.insert(b.end(), value.begin(), value.end());
  while (b.size() % 4) b.push_back(0);
  return b;
}

// A stream with the built-in section's FMTID first (empty) and the user-defined one second;
// entries are (id, value bytes) laid out in order. statedSize 0: the true size.
Bytes propertySet(const std::vector<std::pair<uint32_t, Bytes>>& entries, uint32_t statedSize = 0) {
  Bytes section;
  put(section, 0, 4);
  put(section, entries.size(), 4);
  uint32_t offset = 8 + 8 * static_cast<uint32_t>(entries.size());
  for (const auto& [id, value] : entries) {
    put(section, id, 4);
    put(section, offset, 4);
    offset += static_cast<uint32_t>(value.size());
  }
  for (const auto& e : entries) section.insert(section.end(), e.second.begin(), e.second.end());
  const uint32_t size = statedSize ? statedSize : static_cast<uint32_t>(section.size());
  for (int i = 0; i < 4; ++i) section[i] = static_cast<uint8_t>(size >> (8 * i));
  Bytes s;
  put(s, 0xFFFE, 2);
  put(s, 0, 2);
  put(s, 0, 4);
  put(s, 0, 16);  // CLSID
  put(s, 2, 4);
  const uint8_t summary[16] = {0x02, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10, 0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};
  const uint8_t user[16] = {0x05, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10, 0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};
  s.insert(s.end(), summary, summary + 16);
  put(s, 68, 4);
  s.insert(s.end(), user, user + 16);
  put(s, 76, 4);
  put(s, 8, 4);  // the built-in section: size 8, no properties
  put(s, 0, 4);
  s.insert(s.end(), section.begin(), section.end());
  return s;
}

// A dictionary of 16-bit names (code page 1200): count, then id, length with the null, padded name.
Bytes unicodeDictionary(const std::vector<std::pair<uint32_t, std::u16string>>& names) {
  Bytes b;
  put(b, names.size(), 4);
  for (const auto& [id, name] : names) {
    put(b, id, 4);
    put(b, name.size() + 1, 4);
    Bytes text = utf16(name + u'\0');
    b.insert(b.end(), text.begin(), text.end());
    while (b.size() % 4) b.push_back(0);
  }
  return b;
}

Bytes u32(uint32_t v) {
  Bytes b;
  put(b, v, 4);
  return b;
}

TEST(UserPropertySet, UnicodeSetWithLinksAndDamage) {
  Bytes lpstr = u32(8);  // a code-page string in a Unicode set: 16-bit units, size in bytes
  Bytes text = utf16(std::u16string(u"\u00e9t\u00e9\0", 4));
  lpstr.insert(lpstr.end(), text.begin(), text.end());
  Bytes r8;
  put(r8, 0x400C000000000000ull, 8);  // 3.5
  Bytes stream = propertySet({
      {1, typed(2, {0xB0, 0x04})},
      {0, unicodeDictionary({{2, u"Season"}, {3, u"Ratio"}, {4, u"Blob"}, {6, u"Cut"}})},
      {2, typed(30, lpstr)},
      {0x01000002, typed(30, {4, 0, 0, 0, 'A', '1', 0, 0})},  // link source of "Season": no property
      {3, typed(5, r8)},
      {4, typed(65, u32(0))},           // a blob: not a custom property's type
      {5, typed(3, u32(7))},            // no name in the dictionary
      {0x80000000, typed(19, u32(1041))},  // the locale
      {6, typed(31, u32(0x7FFFFFFF))},  // a string longer than the section
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
  // value offset running past the stream. A stated section size is not relied on.
  Bytes farSection = stream;
  farSection[64] = 0xFF;  // offset of the user-defined section
  farSection[65] = 0xFF;
  Bytes hugeTable = stream;
  hugeTable[80] = hugeTable[81] = hugeTable[82] = 0xFF;  // property count
  Bytes lyingDictionary = propertySet({{0, u32(0xFFFFFFFF)}, {2, typed(3, u32(1))}});
  Bytes lyingOffset = propertySet({{0, unicodeDictionary({{2, u"A"}})}, {2, typed(3, u32(1))}});
  lyingOffset[76 + 8 + 8 + 4] = 0xF0;  // offset of property 2
  Bytes lyingSize = propertySet({{0, unicodeDictionary({{2, u"A"}})}, {2, typed(3, u32(9))}}, 0x7FFFFFFF);
  // What lies before the damage is kept (the huge table also reads its values as entries).
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
  DocumentProperties sized;
  readUserDefinedProperties(lyingSize, sized);
  ASSERT_EQ(sized.custom().size(), 1u);
  EXPECT_EQ(sized.custom()[0].value.toText(), "9");
  DocumentProperties truncated;
  readUserDefinedProperties(std::span<const uint8_t>(stream).first(60), truncated);
  EXPECT_TRUE(truncated.custom().empty());
  EXPECT_FALSE(truncated.warnings().empty());
}

}  // namespace
}  // namespace zel::xls
