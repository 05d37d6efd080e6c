// Reads the user-defined property set (custom document properties): the section's dictionary
// names each property id, its code page property says how 8-bit names and texts are encoded,
// and every other entry of its property table is one typed value.
#include "xls/user_property_set.h"

#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/vbstring.h"
#include "xls/byte_cursor.h"

namespace zel::xls {
namespace {

// FMTID_UserDefinedProperties, D5CDD505-2E9C-101B-9397-08002B2CF9AE, as stored.
constexpr uint8_t kUserDefinedFmtid[16] = {0x05, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10,
                                           0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};
constexpr uint32_t kDictionaryId = 0;
constexpr uint32_t kCodePageId = 1;
constexpr uint32_t kLinkBit = 0x01000000;         // unnamed entry: the link source of a property
constexpr uint32_t kFirstSpecialId = 0x80000000;  // locale, behaviour: not properties of the user
constexpr uint32_t kUnicodeCodePage = 1200;
constexpr uint32_t kMaxSetsLooked = 16;
// Entries of a property table read at most: the properties, their link entries and a few more.
constexpr uint32_t kMaxTableEntries = 4 * kMaxCustomProperties;
constexpr int64_t kFiletime1970 = 11644473600;  // seconds from 1601-01-01 to 1970-01-01

enum VarType : uint16_t {
  VT_I2 = 2, VT_I4 = 3, VT_R4 = 4, VT_R8 = 5, VT_DATE = 7, VT_BSTR = 8, VT_BOOL = 11, VT_I1 = 16,
  VT_UI1 = 17, VT_UI2 = 18, VT_UI4 = 19, VT_I8 = 20, VT_UI8 = 21, VT_INT = 22, VT_UINT = 23,
  VT_LPSTR = 30, VT_LPWSTR = 31, VT_FILETIME = 64,
};

const std::string kWhere = "custom document properties: ";

// UTF-16LE units up to the first null.
std::string unicodeText(std::span<const uint8_t> bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char16_t u = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (u == 0) break;
    units.push_back(u);
  }
  return toU8(units);
}

class SectionReader {
 public:
  SectionReader(std::span<const uint8_t> section, DocumentProperties& props) : section_(section), props_(props) {}

  void read() {
    ByteCursor head(section_);
    head.skip(4);  // the section's stated size
    uint32_t count = head.u32();
    if (count > head.remaining() / 8) {
      props_.warn(kWhere + "the property table runs past the end of the stream");
      count = static_cast<uint32_t>(head.remaining() / 8);
    }
    if (count > kMaxTableEntries) {
      props_.warn(kWhere + "a property table of " + std::to_string(count) + " entries was cut to " +
                  std::to_string(kMaxTableEntries));
      count = kMaxTableEntries;
    }
    std::vector<std::pair<uint32_t, uint32_t>> table(count);
    std::optional<uint32_t> dictionary, codePage;
    for (auto& [id, offset] : table) {
      id = head.u32();
      offset = head.u32();
      if (id == kDictionaryId && !dictionary) dictionary = offset;
      if (id == kCodePageId && !codePage) codePage = offset;
    }
    if (codePage) readCodePage(*codePage);
    if (dictionary) readDictionary(*dictionary);
    size_t unnamed = 0;
    for (const auto& [id, offset] : table) {
      if (id == kDictionaryId || id == kCodePageId || id >= kFirstSpecialId) continue;
      auto name = names_.find(id);
      if (name == names_.end()) {
        if (!(id & kLinkBit)) ++unnamed;  // a link entry has no name of its own
        continue;
      }
      std::optional<PropertyValue> value;
      try {
        value = readValue(offset);
      } catch (const RecordError&) {
        props_.warn(kWhere + "the value of \"" + cutText(name->second, 40) + "\" runs past the end of the stream or is too long");
        continue;
      }
      if (value && !props_.addCustom(name->second, std::move(*value))) return;
    }
    if (unnamed > 0) props_.warn(kWhere + std::to_string(unnamed) + " properties without a name in the dictionary were skipped");
  }

 private:
  ByteCursor at(uint32_t offset) const {
    if (offset > section_.size()) throw RecordError("offset past the section", offset);
    return ByteCursor(section_.subspan(offset), offset);
  }

  void readCodePage(uint32_t offset) {
    try {
      ByteCursor c = at(offset);
      if (uint16_t type = c.u16(); type != VT_I2 && type != VT_UI2) return;
      c.skip(2);
      codePage_ = c.u16();
    } catch (const RecordError&) {
      props_.warn(kWhere + "the code page runs past the end of the stream");
      return;
    }
    if (codePage_ != kUnicodeCodePage && !canDecodeCodePage(static_cast<int>(codePage_)))
      props_.warn(kWhere + "unknown code page " + std::to_string(codePage_) + ", texts read as Windows-1252");
  }

  std::string codePageText(std::span<const uint8_t> bytes) const {
    if (codePage_ == kUnicodeCodePage) return unicodeText(bytes);
    const void* nul = std::memchr(bytes.data(), 0, bytes.size());
    size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes.data()) : bytes.size();
    return decodeCodePage(std::string_view(reinterpret_cast<const char*>(bytes.data()), n), static_cast<int>(codePage_));
  }

  // Length-prefixed bytes, refused before they are read when over the bound.
  std::span<const uint8_t> boundedBytes(ByteCursor& c, uint64_t size) const {
    if (size > kMaxCustomTextBytes) throw RecordError("text too long", c.position());
    return c.bytes(static_cast<size_t>(size));
  }

  void readDictionary(uint32_t offset) {
    try {
      ByteCursor c = at(offset);
      uint32_t count = c.u32();
      size_t bytes = 0;
      for (uint32_t i = 0; i < count; ++i) {
        if (names_.size() >= kMaxCustomProperties || bytes > kMaxCustomTotalBytes) {
          props_.warn(kWhere + "the dictionary is too large; the rest of its names were skipped");
          return;
        }
        uint32_t id = c.u32();
        uint32_t length = c.u32();
        std::string name;
        if (codePage_ == kUnicodeCodePage) {
          auto units = boundedBytes(c, uint64_t{length} * 2);
          name = unicodeText(units);
          c.skip(std::min<size_t>((4 - units.size() % 4) % 4, c.remaining()));  // padding to 4 bytes
        } else {
          name = codePageText(boundedBytes(c, length));
        }
        bytes += name.size();
        names_.try_emplace(id, std::move(name));
      }
    } catch (const RecordError&) {
      props_.warn(kWhere + "the dictionary runs past the end of the stream");
    }
  }

  // One typed value; nullopt for a type that is not a custom property's (blobs, vectors...).
  std::optional<PropertyValue> readValue(uint32_t offset) const {
    ByteCursor c = at(offset);
    const uint16_t type = c.u16();
    c.skip(2);
    PropertyValue v;
    v.kind = PropertyValue::Kind::Number;
    switch (type) {
      case VT_I2: v.number = c.i16(); break;
      case VT_I4: case VT_INT: v.number = static_cast<int32_t>(c.u32()); break;
      case VT_UI4: case VT_UINT: v.number = c.u32(); break;
      case VT_I1: v.number = static_cast<int8_t>(c.u8()); break;
      case VT_UI1: v.number = c.u8(); break;
      case VT_UI2: v.number = c.u16(); break;
      case VT_I8: case VT_UI8: {
        uint64_t low = c.u32();
        uint64_t bits = low | (uint64_t{c.u32()} << 32);
        v.number = type == VT_I8 ? static_cast<double>(static_cast<int64_t>(bits)) : static_cast<double>(bits);
        break;
      }
      case VT_R4: {
        uint32_t bits = c.u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        v.number = f;
        break;
      }
      case VT_R8: v.number = c.f64(); break;
      case VT_DATE:  // an OLE date: already a serial in local time
        v.kind = PropertyValue::Kind::Date;
        v.number = c.f64();
        break;
      case VT_BOOL:
        v.kind = PropertyValue::Kind::Boolean;
        v.number = c.u16() != 0 ? -1 : 0;
        break;
      case VT_LPSTR: case VT_BSTR:
        v.kind = PropertyValue::Kind::Text;
        v.text = codePageText(boundedBytes(c, c.u32()));
        break;
      case VT_LPWSTR:
        v.kind = PropertyValue::Kind::Text;
        v.text = unicodeText(boundedBytes(c, uint64_t{c.u32()} * 2));
        break;
      case VT_FILETIME: {
        uint64_t low = c.u32();
        uint64_t ticks = low | (uint64_t{c.u32()} << 32);  // 100 ns since 1601 (UTC)
        v.kind = PropertyValue::Kind::Date;
        v.number = localDateSerial(static_cast<int64_t>(ticks / 10000000) - kFiletime1970);
        break;
      }
      default: return std::nullopt;
    }
    return v;
  }

  std::span<const uint8_t> section_;
  DocumentProperties& props_;
  uint32_t codePage_ = 1252;
  std::unordered_map<uint32_t, std::string> names_;
};

}  // namespace

void readUserDefinedProperties(std::span<const uint8_t> stream, DocumentProperties& props) {
  // Too short for a header, or not a property set: left to the reader of the built-in set.
  if (stream.size() < 28 || (stream[0] | (stream[1] << 8)) != 0xFFFE) return;
  ByteCursor head(stream);
  try {
    head.skip(24);  // byte order, version, system, CLSID
    const uint32_t sets = head.u32();
    for (uint32_t i = 0; i < sets && i < kMaxSetsLooked; ++i) {
      auto fmtid = head.bytes(16);
      const uint32_t offset = head.u32();
      if (std::memcmp(fmtid.data(), kUserDefinedFmtid, sizeof kUserDefinedFmtid) != 0) continue;
      if (offset > stream.size() || stream.size() - offset < 8) {
        props.warn(kWhere + "the section lies past the end of the stream");
        return;
      }
      // The section's stated size is not trusted: writers state sizes too small and too large
      // (both seen in real files). Values are read up to the end of the stream.
      SectionReader(stream.subspan(offset), props).read();
      return;
    }
  } catch (const RecordError&) {
    props.warn(kWhere + "the property set's header runs past the end of its stream");
  }
}

}  // namespace zel::xls
