// Serialises OfficeArt containers with cut marks where Excel ends an MSODRAWING record.
#include "support/drawing_builder.h"

#include "core/vbstring.h"

namespace zel::test {
namespace {

constexpr uint16_t kMsoDrawing = 0x00EC, kObj = 0x005D, kTxo = 0x01B6, kContinue = 0x003C;

struct Mark {
  size_t at;            // offset in the drawing bytes where the record goes
  const ShapeSpec* shape;
  bool text;            // TXO (else OBJ)
};

struct Chunk {
  std::vector<uint8_t> bytes;
  std::vector<Mark> marks;
  void append(const Chunk& c) {
    for (Mark m : c.marks) {
      m.at += bytes.size();
      marks.push_back(m);
    }
    bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end());
  }
};

Chunk atom(uint16_t type, uint16_t version, uint16_t instance, const std::vector<uint8_t>& body) {
  Bytes b;
  b.u16(static_cast<uint16_t>(version | (instance << 4))).u16(type).u32(static_cast<uint32_t>(body.size())).raw(body);
  return Chunk{b.data(), {}};
}

Chunk container(uint16_t type, const Chunk& inner, uint16_t version = 0xF) {
  Chunk c = atom(type, version, 0, {});
  c.bytes[4] = static_cast<uint8_t>(inner.bytes.size());
  c.bytes[5] = static_cast<uint8_t>(inner.bytes.size() >> 8);
  c.bytes[6] = static_cast<uint8_t>(inner.bytes.size() >> 16);
  c.append(inner);
  return c;
}

Chunk fopt(const ShapeSpec& s) {
  Bytes table, complex;
  uint16_t count = 0;
  for (auto [id, value] : s.properties) {
    table.u16(id).u32(value);
    ++count;
  }
  if (!s.storedName.empty()) {
    Bytes name;
    for (char16_t c : toU16(s.storedName)) name.u16(static_cast<uint16_t>(c));
    name.u16(0);
    table.u16(0x8380).u32(static_cast<uint32_t>(name.size()));
    complex.raw(name.data());
    ++count;
  }
  table.raw(complex.data());
  return atom(0xF00B, 0x3, count, table.data());
}

Chunk shapeContainer(const ShapeSpec& s, uint32_t flags) {
  Chunk inner = atom(0xF00A, 0x2, 0, Bytes().u32(1024u + s.id).u32(flags).data());
  inner.append(fopt(s));
  inner.append(atom(0xF010, 0x0, 0, std::vector<uint8_t>(18, 0)));
  inner.append(atom(0xF011, 0x0, 0, {}));
  inner.marks.push_back({inner.bytes.size(), &s, false});
  if (s.text) {
    inner.append(atom(0xF00D, 0x0, 0, {}));
    inner.marks.push_back({inner.bytes.size(), &s, true});
  }
  return container(0xF004, inner);
}

Chunk item(const ShapeSpec& s) {
  if (s.members.empty()) return shapeContainer(s, 0x0A00);
  Chunk inner = shapeContainer(s, 0x0201);
  for (const ShapeSpec& m : s.members) inner.append(item(m));
  return container(0xF003, inner);
}

void writeTxo(BiffBuilder& b, int sheet, const std::string& text, uint16_t claimedChars) {
  const auto units = toU16(text);
  const uint16_t cch = claimedChars ? claimedChars : static_cast<uint16_t>(units.size());
  b.addRecord(sheet, kTxo, Bytes().u16(0x0212).u16(0).u16(0).u16(0).u16(0).u16(cch).u16(16).u16(0).u32(0));
  if (units.empty()) return;
  b.addRecord(sheet, kContinue, Bytes().strNoCount(text));
  b.addRecord(sheet, kContinue, Bytes().u16(0).u16(0).u32(0).u16(static_cast<uint16_t>(units.size())).u16(0).u32(0));
}

void writeEmbeddedChart(BiffBuilder& b, int sheet) {
  b.addRecord(sheet, 0x0809, Bytes().u16(0x0600).u16(0x0020).u16(0).u16(0).u32(0).u32(0));
  // The chart's own drawing records belong to it, not to the sheet.
  b.addRecord(sheet, kObj, objPayload(0x06, 99));
  b.addRecord(sheet, 0x000A, {});
}

}  // namespace

std::vector<uint8_t> objPayload(uint16_t kind, uint16_t id, uint32_t macroNameIndex, std::optional<uint32_t> storage) {
  Bytes o;
  o.u16(0x0015).u16(0x0012).u16(kind).u16(id).u16(0x6011).u32(0).u32(0).u32(0);
  if (storage) {
    o.u16(0x0007).u16(2).u16(0x0002);  // FtCf: a metafile
    o.u16(0x0008).u16(2).u16(0x0001);  // FtPioGrbit: fAutoPict only
    Bytes fmla;                         // cce 5, unused, tTbl and its 4 bytes, embedding info
    fmla.u16(5).u32(0).u8(0x02).u32(0).u8(0x03).u8(0).u8(0);
    o.u16(0x0009).u16(static_cast<uint16_t>(2 + fmla.size() + 4)).u16(static_cast<uint16_t>(fmla.size())).raw(fmla.data()).u32(*storage);
  }
  if (macroNameIndex > 0) {
    Bytes fmla;
    fmla.u16(5).u32(0).u8(0x43).u32(macroNameIndex).u8(0);  // tName, padded to even
    o.u16(0x0004).u16(static_cast<uint16_t>(fmla.size())).raw(fmla.data());
  }
  o.u16(0).u16(0);
  return o.data();
}

void addDrawing(BiffBuilder& b, int sheet, const std::vector<ShapeSpec>& shapes, uint16_t drawingVersion) {
  Chunk patriarch = atom(0xF009, 0x1, 0, std::vector<uint8_t>(16, 0));
  patriarch.append(atom(0xF00A, 0x2, 0, Bytes().u32(1024).u32(0x0005).data()));
  Chunk group = container(0xF004, patriarch);
  for (const ShapeSpec& s : shapes) group.append(item(s));
  Chunk dg = atom(0xF008, 0x0, 1, Bytes().u32(static_cast<uint32_t>(shapes.size() + 1)).u32(2048).data());
  dg.append(container(0xF003, group));
  const Chunk all = container(0xF002, dg, drawingVersion);

  size_t from = 0;
  for (const Mark& m : all.marks) {
    b.addRecord(sheet, kMsoDrawing, std::vector<uint8_t>(all.bytes.begin() + static_cast<long>(from), all.bytes.begin() + static_cast<long>(m.at)));
    from = m.at;
    if (m.text) {
      writeTxo(b, sheet, *m.shape->text, m.shape->claimedTextChars);
    } else if (m.shape->macroRunsPast) {
      b.addRecord(sheet, kObj, Bytes().u16(0x0015).u16(0x0012).u16(m.shape->kind).u16(m.shape->id).u16(0).u32(0).u32(0).u32(0)
                                   .u16(0x0004).u16(200).u16(1).data());
    } else if (!m.shape->omitObj) {
      b.addRecord(sheet, kObj, objPayload(m.shape->members.empty() ? m.shape->kind : 0x00, m.shape->id,
                                          m.shape->macroNameIndex, m.shape->embeddingStorage));
      if (m.shape->embeddedChart) writeEmbeddedChart(b, sheet);
    }
  }
  if (from < all.bytes.size())
    b.addRecord(sheet, kMsoDrawing, std::vector<uint8_t>(all.bytes.begin() + static_cast<long>(from), all.bytes.end()));
}

}  // namespace zel::test
