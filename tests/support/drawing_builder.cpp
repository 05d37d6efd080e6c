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
  for (const auto& [id, data] : s.complexProperties) {
    table.u16(static_cast<uint16_t>(id | 0x8000)).u32(static_cast<uint32_t>(data.size()));
    complex.raw(data);
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
  Chunk inner = atom(0xF00A, 0x2, s.shapeType, Bytes().u32(1024u + s.id).u32(flags | s.extraFspFlags).data());
  inner.append(fopt(s));
  Bytes anchor;
  anchor.u16(0);
  for (uint16_t v : s.anchor) anchor.u16(v);
  inner.append(atom(0xF010, 0x0, 0, anchor.data()));
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

void writeTxo(BiffBuilder& b, int sheet, const ShapeSpec& s) {
  const auto units = toU16(*s.text);
  const uint16_t cch = s.claimedTextChars ? s.claimedTextChars : static_cast<uint16_t>(units.size());
  auto fonts = s.textFonts.empty() ? std::vector<std::pair<uint16_t, uint16_t>>{{0, 0}} : s.textFonts;
  const auto runBytes = static_cast<uint16_t>(8 * (fonts.size() + 1));
  b.addRecord(sheet, kTxo, Bytes().u16(s.txoFlags).u16(s.txoTurn).u16(0).u16(0).u16(0).u16(cch).u16(runBytes).u16(0).u32(0));
  if (units.empty()) return;
  b.addRecord(sheet, kContinue, Bytes().strNoCount(*s.text));
  Bytes runs;
  for (auto [first, font] : fonts) runs.u16(first).u16(font).u32(0);
  b.addRecord(sheet, kContinue, runs.u16(static_cast<uint16_t>(units.size())).u16(0).u32(0).data());
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

void addPictureStore(BiffBuilder& b, const std::vector<std::vector<uint8_t>>& pngs) {
  Chunk store = atom(0xF006, 0x0, 0, std::vector<uint8_t>(16, 0));  // FDGG
  Chunk entries;
  for (const auto& png : pngs) {
    Bytes blip;
    blip.raw(std::vector<uint8_t>(17, 0)).raw(png);  // UID and tag, then the file
    Chunk fbse = atom(0xF007, 0x2, 6, Bytes().raw(std::vector<uint8_t>(36, 0)).data());
    const Chunk blipAtom = atom(0xF01E, 0x0, 0x6E0, blip.data());
    fbse.append(blipAtom);
    const uint32_t len = static_cast<uint32_t>(fbse.bytes.size() - 8);
    for (int i = 0; i < 4; ++i) fbse.bytes[4 + i] = static_cast<uint8_t>(len >> (8 * i));
    entries.append(fbse);
  }
  Chunk bstore = container(0xF001, entries);
  bstore.bytes[0] = static_cast<uint8_t>(0x0F | (pngs.size() << 4));
  store.append(bstore);
  b.addGlobalRecord(0x00EB, container(0xF000, store).bytes);
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
      writeTxo(b, sheet, *m.shape);
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
