// BIFF8 workbook writer for tests; the compound file is written by the macro-project builder's
// writer.
#include "support/biff_builder.h"
#include "support/vba_builder.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "core/vbstring.h"

namespace zel::test {
namespace {

constexpr uint16_t kBof = 0x0809, kEof = 0x000A, kContinue = 0x003C;

bool fitsLatin1(const std::u16string& s) {
  for (char16_t c : s)
    if (c > 0xFF) return false;
  return true;
}

}  // namespace

Bytes& Bytes::u8(uint8_t v) {
  data_.push_back(v);
  return *this;
}
Bytes& Bytes::u16(uint16_t v) {
  data_.push_back(static_cast<uint8_t>(v));
  data_.push_back(static_cast<uint8_t>(v >> 8));
  return *this;
}
Bytes& Bytes::u32(uint32_t v) {
  u16(static_cast<uint16_t>(v));
  return u16(static_cast<uint16_t>(v >> 16));
}
Bytes& Bytes::f64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  u32(static_cast<uint32_t>(bits));
  return u32(static_cast<uint32_t>(bits >> 32));
}
Bytes& Bytes::raw(const std::vector<uint8_t>& b) {
  data_.insert(data_.end(), b.begin(), b.end());
  return *this;
}
Bytes& Bytes::raw(const std::string& b) {
  data_.insert(data_.end(), b.begin(), b.end());
  return *this;
}
Bytes& Bytes::strNoCount(const std::string& utf8) {
  std::u16string s = toU16(utf8);
  bool narrow = fitsLatin1(s);
  u8(narrow ? 0 : 1);
  for (char16_t c : s) narrow ? u8(static_cast<uint8_t>(c)) : u16(static_cast<uint16_t>(c));
  return *this;
}
Bytes& Bytes::str16(const std::string& utf8) {
  u16(static_cast<uint16_t>(toU16(utf8).size()));
  return strNoCount(utf8);
}
Bytes& Bytes::str8(const std::string& utf8) {
  u8(static_cast<uint8_t>(toU16(utf8).size()));
  return strNoCount(utf8);
}

void BiffBuilder::appendRecord(std::vector<uint8_t>& out, uint16_t id, const std::vector<uint8_t>& payload) {
  Bytes header;
  header.u16(id).u16(static_cast<uint16_t>(payload.size()));
  out.insert(out.end(), header.data().begin(), header.data().end());
  out.insert(out.end(), payload.begin(), payload.end());
}

BiffBuilder::BiffBuilder() {
  appendRecord(globals_, 0x0042, Bytes().u16(1200));  // CODEPAGE
  for (int i = 0; i < 5; ++i)                          // FONT 0..4 (index 4 is never used)
    appendRecord(globals_, 0x0031, Bytes().u16(200).u16(0).u16(0x7FFF).u16(400).u16(0).u8(0).u8(0).u8(0).u8(0).str8("Arial"));
  for (int i = 0; i < 16; ++i) {                       // XF 0..14 styles, 15 the default cell XF
    Bytes xf;
    xf.u16(0).u16(0).u16(i < 15 ? 0xFFF5 : 0x0001).u8(0x20).u8(0).u8(0).u8(0).u32(0).u32(0).u16(0x20C0);
    appendRecord(globals_, 0x00E0, xf);
  }
}

int BiffBuilder::addSheet(const std::string& name, Visibility visibility, SheetKind kind) {
  sheets_.push_back(Sheet{name, visibility, kind, {}});
  return static_cast<int>(sheets_.size()) - 1;
}

void BiffBuilder::addGlobalRecord(uint16_t id, const std::vector<uint8_t>& payload) { appendRecord(globals_, id, payload); }

void BiffBuilder::addRecord(int sheet, uint16_t id, const std::vector<uint8_t>& payload) {
  appendRecord(sheets_.at(static_cast<size_t>(sheet)).body, id, payload);
}

void BiffBuilder::addRawBytes(int sheet, const std::vector<uint8_t>& bytes) {
  auto& body = sheets_.at(static_cast<size_t>(sheet)).body;
  body.insert(body.end(), bytes.begin(), bytes.end());
}

void BiffBuilder::addStream(const std::string& path, const std::vector<uint8_t>& bytes) { streams_.emplace_back(path, bytes); }

void BiffBuilder::number(int sheet, uint16_t row, uint16_t col, double v, uint16_t xf) {
  addRecord(sheet, 0x0203, Bytes().u16(row).u16(col).u16(xf).f64(v));
}

void BiffBuilder::label(int sheet, uint16_t row, uint16_t col, const std::string& text, uint16_t xf) {
  addRecord(sheet, 0x0204, Bytes().u16(row).u16(col).u16(xf).str16(text));
}

void BiffBuilder::blank(int sheet, uint16_t row, uint16_t col, uint16_t xf) {
  addRecord(sheet, 0x0201, Bytes().u16(row).u16(col).u16(xf));
}

void BiffBuilder::boolErr(int sheet, uint16_t row, uint16_t col, uint8_t value, bool isError) {
  addRecord(sheet, 0x0205, Bytes().u16(row).u16(col).u16(15).u8(value).u8(isError ? 1 : 0));
}

void BiffBuilder::formula(int sheet, uint16_t row, uint16_t col, const std::vector<uint8_t>& rgce, double result) {
  Bytes b;
  b.u16(row).u16(col).u16(15).f64(result).u16(0).u32(0).u16(static_cast<uint16_t>(rgce.size())).raw(rgce);
  addRecord(sheet, 0x0006, b);
}

void BiffBuilder::sst(const std::vector<std::string>& strings, size_t maxRecordBytes) {
  std::vector<std::vector<uint8_t>> records(1);
  Bytes head;
  head.u32(static_cast<uint32_t>(strings.size())).u32(static_cast<uint32_t>(strings.size()));
  records[0] = head.data();
  auto room = [&] { return maxRecordBytes - records.back().size(); };
  for (const std::string& s8 : strings) {
    std::u16string s = toU16(s8);
    bool narrow = fitsLatin1(s);
    size_t charBytes = narrow ? 1 : 2;
    if (room() < 3 + charBytes) records.emplace_back();  // headers are never split
    Bytes h;
    h.u16(static_cast<uint16_t>(s.size())).u8(narrow ? 0 : 1);
    records.back().insert(records.back().end(), h.data().begin(), h.data().end());
    size_t done = 0;
    while (done < s.size()) {
      size_t n = std::min(s.size() - done, room() / charBytes);
      if (n == 0) {
        records.emplace_back();
        records.back().push_back(narrow ? 0 : 1);  // the continued part's own flag byte
        continue;
      }
      for (size_t k = 0; k < n; ++k) {
        char16_t c = s[done + k];
        records.back().push_back(static_cast<uint8_t>(c));
        if (!narrow) records.back().push_back(static_cast<uint8_t>(c >> 8));
      }
      done += n;
    }
  }
  appendRecord(globals_, 0x00FC, records[0]);
  for (size_t i = 1; i < records.size(); ++i) appendRecord(globals_, kContinue, records[i]);
}

void BiffBuilder::labelSst(int sheet, uint16_t row, uint16_t col, uint32_t index, uint16_t xf) {
  addRecord(sheet, 0x00FD, Bytes().u16(row).u16(col).u16(xf).u32(index));
}

void BiffBuilder::note(int sheet, uint16_t row, uint16_t col, const std::string& text, const std::string& author) {
  uint16_t id = nextObjectId_++;
  Bytes obj;
  obj.u16(0x0015).u16(0x0012).u16(0x0019).u16(id).u16(0x4011).u32(0).u32(0).u32(0);  // ftCmo
  obj.u16(0x000D).u16(0x0016);                                                    // ftNts
  for (int i = 0; i < 22; ++i) obj.u8(0);
  obj.u16(0).u16(0);  // ftEnd
  addRecord(sheet, 0x005D, obj);
  std::u16string units = toU16(text);
  Bytes txo;
  txo.u16(0x0212).u16(0).u16(0).u16(0).u16(0).u16(static_cast<uint16_t>(units.size())).u16(16).u16(0).u32(0);
  addRecord(sheet, 0x01B6, txo);
  if (!units.empty()) {
    Bytes chars;
    chars.strNoCount(text);
    addRecord(sheet, kContinue, chars);
    addRecord(sheet, kContinue, Bytes().u16(0).u16(0).u32(0).u16(static_cast<uint16_t>(units.size())).u16(0).u32(0));
  }
  addRecord(sheet, 0x001C, Bytes().u16(row).u16(col).u16(0).u16(id).str16(author).u8(0));
}

uint16_t BiffBuilder::cellXf(uint8_t align, uint8_t rotation, uint8_t indentShrink, uint32_t border1,
                            uint32_t border2, uint16_t fillColours, uint16_t font) {
  Bytes xf;
  xf.u16(font).u16(0).u16(0x0001).u8(align).u8(rotation).u8(indentShrink).u8(0).u32(border1).u32(border2).u16(fillColours);
  addGlobalRecord(0x00E0, xf);
  return nextXf_++;
}

uint16_t BiffBuilder::numberFormat(uint16_t formatIndex, const std::string& format) {
  addGlobalRecord(0x041E, Bytes().u16(formatIndex).str16(format));
  Bytes xf;
  xf.u16(0).u16(formatIndex).u16(0x0001).u8(0x20).u8(0).u8(0).u8(0).u32(0).u32(0).u16(0x20C0);
  addGlobalRecord(0x00E0, xf);
  return nextXf_++;
}

void BiffBuilder::name(const std::string& text, const std::vector<uint8_t>& rgce, uint16_t sheetScope, int builtinCode) {
  Bytes b;
  bool builtin = builtinCode >= 0;
  uint8_t cch = builtin ? 1 : static_cast<uint8_t>(toU16(text).size());
  b.u16(builtin ? 0x0020 : 0).u8(0).u8(cch).u16(static_cast<uint16_t>(rgce.size())).u16(0).u16(sheetScope).u32(0);
  if (builtin) b.u8(0).u8(static_cast<uint8_t>(builtinCode));
  else b.strNoCount(text);
  b.raw(rgce);
  addGlobalRecord(0x0018, b);
}

std::vector<uint8_t> BiffBuilder::workbookStream() const {
  std::vector<uint8_t> globals;
  appendRecord(globals, kBof, Bytes().u16(0x0600).u16(0x0005).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x06));
  globals.insert(globals.end(), globals_.begin(), globals_.end());
  std::vector<size_t> positionFields;
  for (const Sheet& s : sheets_) {
    positionFields.push_back(globals.size() + 4);
    appendRecord(globals, 0x0085, Bytes().u32(0).u8(s.visibility).u8(s.kind).str8(s.name));
  }
  appendRecord(globals, kEof, {});
  std::vector<uint8_t> out = globals;
  for (size_t i = 0; i < sheets_.size(); ++i) {
    uint32_t pos = static_cast<uint32_t>(out.size());
    for (int k = 0; k < 4; ++k) out[positionFields[i] + k] = static_cast<uint8_t>(pos >> (8 * k));
    uint16_t type = sheets_[i].kind == Chart ? 0x0020 : sheets_[i].kind == MacroSheet ? 0x0040 : 0x0010;
    appendRecord(out, kBof, Bytes().u16(0x0600).u16(type).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x06));
    out.insert(out.end(), sheets_[i].body.begin(), sheets_[i].body.end());
    appendRecord(out, kEof, {});
  }
  return out;
}

std::vector<uint8_t> BiffBuilder::toBytes() const {
  StreamList all;
  if (!omitWorkbook_) all.emplace_back("Workbook", workbookStream());
  for (const auto& [path, bytes] : streams_) {  // a stream added again replaces the earlier one
    auto same = std::find_if(all.begin(), all.end(), [&](const auto& s) { return s.first == path; });
    if (same != all.end()) same->second = bytes;
    else all.emplace_back(path, bytes);
  }
  return buildCompoundFile(all);
}

void BiffBuilder::write(const std::string& path) const {
  auto bytes = toBytes();
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace zel::test
