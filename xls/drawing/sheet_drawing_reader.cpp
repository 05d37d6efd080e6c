// The drawing layer of a sheet substream: OBJ and TXO decoders, the walk that joins the
// MSODRAWING data, and the matching of OfficeArt shape containers to their OBJ/TXO records.
#include "xls/drawing/sheet_drawing_reader.h"

#include <algorithm>
#include <functional>
#include <cmath>
#include <map>

#include "core/vbstring.h"
#include "xls/biff_string.h"
#include "xls/byte_cursor.h"
#include "xls/chart/chart_reader.h"
#include "xls/drawing/office_art.h"
#include "xls/drawing/shape_colors.h"
#include "xls/sheet_records.h"

namespace zel::xls::drawing {
namespace {

using chart::ChartModel;

constexpr uint16_t kMsoDrawing = rec::MsoDrawing;
constexpr uint16_t kFtEnd = 0x0000;
constexpr uint16_t kFtMacro = 0x0004;
constexpr uint16_t kFtPioGrbit = 0x0008;
constexpr uint16_t kFtPictFmla = 0x0009;
constexpr uint16_t kFtLbsData = 0x0013;
constexpr uint16_t kFtCmo = 0x0015;
constexpr size_t kTxoHeaderBytes = 14;

// fFilled / fLine and the bits telling they are set (older writers leave the use bits clear).
constexpr uint32_t kFilledBit = 0x00000010, kUseFilledBit = 0x00100000;
constexpr uint32_t kLineBit = 0x00000008, kUseLineBit = 0x00080000;
// Colours of a shape without the properties: white fill, black line.
constexpr uint32_t kDefaultFillColor = 0x00FFFFFF;
constexpr uint32_t kDefaultLineColor = 0x00000000;

// FtPioGrbit bits that keep a picture's data out of an embedding storage of its own.
constexpr uint16_t kPictDde = 0x0002, kPictControl = 0x0010, kPictInCtlsStream = 0x0020, kPictCamera = 0x0080;

struct ObjRecord {
  bool ok = false;
  uint16_t kind = 0;
  uint16_t id = 0;
  std::string onAction;
  uint16_t pictFlags = 0;                 // FtPioGrbit
  std::optional<uint32_t> storageNumber;  // FtPictFmla lPosInCtlStm of an embedded object
  std::shared_ptr<chart::ChartModel> chart;  // the chart substream after a chart's OBJ
};

// FtPictFmla: an ObjFmla (cbFmla, then cce, 4 unused bytes, rgce, embedding info); for an
// embedded object or control the rgce is one tTbl token and lPosInCtlStm follows the ObjFmla.
std::optional<uint32_t> pictureStorageNumber(std::span<const uint8_t> body) {
  constexpr uint8_t kTbl = 0x02;
  constexpr size_t kTblBytes = 5;
  ByteCursor cur(body);
  ByteCursor fmla(cur.bytes(cur.u16()));
  const size_t cce = fmla.u16() & 0x7FFF;
  fmla.skip(4);
  const auto rgce = fmla.bytes(cce);
  if (cce != kTblBytes || rgce[0] != kTbl || cur.remaining() < 4) return std::nullopt;
  return cur.u32();
}

// An OLE object embedded in the workbook: a picture whose data lies in the storage "MBD" +
// its number (not DDE, not an ActiveX control, not in the controls stream, not a camera).
bool isEmbeddedObject(const ObjRecord& o, const DrawingEnvironment& env) {
  return o.kind == kind::Picture && o.storageNumber &&
         !(o.pictFlags & (kPictDde | kPictControl | kPictInCtlsStream | kPictCamera)) &&
         env.embeddingStorages.count(*o.storageNumber) > 0;
}

struct TxoRecord {
  bool ok = false;
  std::string text;
  TextFormat format;
};

// Font runs of a TXO: 8-byte runs (first character, font index), the last one closing the list.
std::vector<TextFontRun> txoFontRuns(std::span<const uint8_t> runs, size_t cch) {
  std::vector<TextFontRun> out;
  for (size_t at = 0; at + 16 <= runs.size(); at += 8) {
    TextFontRun r{static_cast<uint16_t>(runs[at] | runs[at + 1] << 8), static_cast<uint16_t>(runs[at + 2] | runs[at + 3] << 8)};
    if (r.firstChar >= cch || (!out.empty() && r.firstChar <= out.back().firstChar)) break;
    out.push_back(r);
  }
  return out;
}

// FtMacro's formula: a reference to the macro's name, shown without "=".
std::string macroReference(std::span<const uint8_t> fmla, const DrawingEnvironment& env) {
  ByteCursor cur(fmla);
  const uint16_t cce = cur.u16() & 0x7FFF;
  cur.skip(4);
  auto rgce = cur.bytes(cce);
  FormulaText t = printFormula(rgce, {}, env.formulas, FormulaOrigin{}, FormulaKind::Name);
  std::string text = t.text;
  if (!text.empty() && text.front() == '=') text.erase(0, 1);
  return text;
}

// OBJ: FtCmo (kind and id) first, then sub-records up to ftEnd; FtMacro gives OnAction.
ObjRecord readObj(const Record& r, const DrawingEnvironment& env, std::vector<std::string>& warnings) {
  ObjRecord o;
  ByteCursor cur(r.data, r.offset + 4);
  try {
    if (cur.u16() != kFtCmo) cur.fail("OBJ without common data");
    const uint16_t cb = cur.u16();
    auto cmo = cur.bytes(cb);
    ByteCursor c(cmo);
    o.kind = c.u16();
    o.id = c.u16();
    o.ok = true;
  } catch (const RecordError& e) {
    warnings.push_back(std::string("unreadable OBJ: ") + e.what());
    return o;
  }
  for (int n = 0; n < kMaxObjSubrecords && cur.remaining() >= 2; ++n) {
    const uint16_t ft = cur.u16();
    if (ft == kFtEnd || ft == kFtLbsData) break;  // list data carries no usable length
    if (cur.remaining() < 2) break;
    const uint16_t cb = cur.u16();
    if (cb > cur.remaining()) {
      warnings.push_back("OBJ sub-record runs past its record");
      break;
    }
    auto body = cur.bytes(cb);
    try {
      if (ft == kFtMacro) o.onAction = macroReference(body, env);
      if (ft == kFtPioGrbit) o.pictFlags = ByteCursor(body).u16();
      if (ft == kFtPictFmla) o.storageNumber = pictureStorageNumber(body);
    } catch (const RecordError& e) {
      warnings.push_back(std::string(ft == kFtMacro ? "unreadable macro reference: " : "unreadable picture data: ") + e.what());
    }
  }
  return o;
}

// The CONTINUE records a TXO owns: those holding its cch characters (each opening with its
// own compression byte), then those holding its cbRuns bytes of formatting runs. Later
// CONTINUE records carry drawing data.
size_t txoChainEnd(const std::vector<Record>& records, size_t i, size_t cch, size_t runs) {
  size_t j = i + 1;
  while (cch > 0 && j < records.size() && records[j].id == rec::Continue && !records[j].data.empty()) {
    const auto& d = records[j].data;
    const size_t chars = (d.size() - 1) / ((d[0] & 0x01) ? 2 : 1);
    cch -= std::min(chars, cch);
    ++j;
  }
  while (runs > 0 && j < records.size() && records[j].id == rec::Continue) {
    runs -= std::min(records[j].data.size(), runs);
    ++j;
  }
  return j;
}

// TXO: header (cchText, cbRuns), the text in the CONTINUE records after it.
TxoRecord readTxo(const std::vector<Record>& records, size_t i, size_t* next, std::vector<std::string>& warnings) {
  TxoRecord t;
  *next = i + 1;
  try {
    ByteCursor cur(records[i].data, records[i].offset + 4);
    if (cur.remaining() < kTxoHeaderBytes) cur.fail("TXO too short");
    const uint16_t flags = cur.u16();
    t.format.hAlign = static_cast<uint8_t>((flags >> 1) & 7);
    t.format.vAlign = static_cast<uint8_t>((flags >> 4) & 7);
    t.format.turn = static_cast<uint8_t>(std::min<uint16_t>(cur.u16(), 3));
    cur.skip(6);
    const size_t cch = cur.u16();
    size_t runs = cur.u16();
    *next = txoChainEnd(records, i, cch, runs);
    if (cch == 0) {
      t.ok = true;
      return t;
    }
    std::vector<std::span<const uint8_t>> text;
    for (size_t j = i + 1; j < *next; ++j) text.push_back(records[j].data);
    // The formatting runs at the end are no text.
    std::vector<uint8_t> runBytes;
    while (!text.empty() && runs > 0) {
      const size_t cut = std::min(runs, text.back().size());
      auto tail = text.back().last(cut);
      runBytes.insert(runBytes.begin(), tail.begin(), tail.end());
      text.back() = text.back().first(text.back().size() - cut);
      runs -= cut;
      if (text.back().empty()) text.pop_back();
    }
    t.format.runs = txoFontRuns(runBytes, cch);
    if (text.empty()) throw RecordError("TXO without its text", records[i].offset);
    ContinuedReader reader(std::move(text));
    t.text = reader.characters(std::min(cch, kMaxShapeTextChars));
    t.ok = true;
  } catch (const RecordError& e) {
    warnings.push_back(std::string("unreadable shape text: ") + e.what());
  }
  return t;
}

struct NoteCell {
  uint16_t row = 0, col = 0;
};

// NOTE: the cell and the id of the note's OBJ.
void readNoteCell(const Record& r, std::map<uint16_t, NoteCell>& notes) {
  ByteCursor cur(r.data, r.offset + 4);
  NoteCell n;
  n.row = cur.u16();
  n.col = cur.u16();
  cur.u16();
  notes[cur.u16()] = n;
}

bool booleanProperty(const ArtShape& a, uint16_t id, uint32_t bit, uint32_t useBit, bool fallback) {
  auto it = a.properties.find(id);
  if (it == a.properties.end()) return fallback;
  const uint32_t v = it->second;
  if ((v & 0xFFFF0000u) && !(v & useBit)) return fallback;
  return v & bit;
}

// MSOLINEDASHING -> msoLineDashStyle; msoLineDashStyleMixed (-2) for values outside the table.
int dashStyleOf(uint32_t dashing) {
  switch (dashing) {
    case 0: return dash::Solid;
    case 1: return dash::Dash;        // dashSys
    case 2: return dash::SquareDot;   // dotSys
    case 3: return dash::DashDot;     // dashDotSys
    case 4: return dash::DashDotDot;  // dashDotDotSys
    case 5: return dash::RoundDot;    // dotGEL
    case 6: return dash::Dash;        // dashGEL
    case 7: return dash::LongDash;    // longDashGEL
    case 8: return dash::DashDot;     // dashDotGEL
    case 9: return dash::LongDashDot; // longDashDotGEL
    case 10: return dash::DashDotDot; // longDashDotDotGEL
    default: return -2;
  }
}

// An IMsoArray: element count, allocated count, element size (0xFFF0: 4-byte elements), then
// the elements. Gives the elements' bytes and size, cut to whole elements that are present.
std::pair<std::span<const uint8_t>, size_t> msoArray(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 6) return {{}, 0};
  const size_t count = bytes[0] | (bytes[1] << 8);
  size_t size = bytes[4] | (bytes[5] << 8);
  if (size == 0xFFF0) size = 4;
  if (size == 0) return {{}, 0};
  const size_t present = std::min(count, (bytes.size() - 6) / size);
  return {std::span<const uint8_t>(bytes).subspan(6, present * size), size};
}

// Points and path commands of a freeform; nothing when it has no points.
std::optional<Freeform> freeformOf(const ArtShape& a, const std::function<uint32_t(uint16_t, uint32_t)>& value) {
  const auto [points, pointSize] = msoArray(a.vertices);
  // Points are two 16-bit or two 32-bit signed numbers.
  if (pointSize != 4 && pointSize != 8) return std::nullopt;
  Freeform f;
  f.box = ArtRect{static_cast<int32_t>(value(prop::GeoLeft, 0)), static_cast<int32_t>(value(prop::GeoTop, 0)),
                  static_cast<int32_t>(value(prop::GeoRight, 21600)), static_cast<int32_t>(value(prop::GeoBottom, 21600))};
  ByteCursor cur(points);
  while (cur.remaining() >= pointSize && f.points.size() < kMaxFreeformPoints) {
    if (pointSize == 4) {
      const auto x = static_cast<int16_t>(cur.u16());
      const auto y = static_cast<int16_t>(cur.u16());
      f.points.emplace_back(x, y);
    } else {
      const auto x = static_cast<int32_t>(cur.u32());
      const auto y = static_cast<int32_t>(cur.u32());
      f.points.emplace_back(x, y);
    }
  }
  if (f.points.empty()) return std::nullopt;
  const auto [commands, commandSize] = msoArray(a.segmentInfo);
  if (commandSize == 2 || commandSize == 4) {
    ByteCursor c(commands);
    while (c.remaining() >= commandSize && f.commands.size() < kMaxFreeformPoints) {
      f.commands.push_back(c.u16());
      if (commandSize == 4) c.u16();
    }
  }
  return f;
}

ShapeGeometry geometryOf(const ArtShape& a) {
  ShapeGeometry g;
  g.anchor = a.anchor;
  g.childAnchor = a.childAnchor;
  g.groupExtent = a.groupExtent;
  g.flipH = a.flags & kFspFlipH;
  g.flipV = a.flags & kFspFlipV;
  auto value = [&](uint16_t id, uint32_t fallback) {
    auto it = a.properties.find(id);
    return it == a.properties.end() ? fallback : it->second;
  };
  g.lineWidthEmu = value(prop::LineWidth, g.lineWidthEmu);
  g.startArrow = static_cast<uint8_t>(std::min<uint32_t>(value(prop::LineStartArrow, 0), 255));
  g.endArrow = static_cast<uint8_t>(std::min<uint32_t>(value(prop::LineEndArrow, 0), 255));
  g.pictureIndex = value(prop::PictureIndex, 0);
  // A 16.16 fixed-point angle; whole turns and negative angles fold into 0..360.
  const double turned = static_cast<int32_t>(value(prop::Rotation, 0)) / 65536.0;
  g.rotation = std::fmod(std::fmod(turned, 360.0) + 360.0, 360.0);
  g.freeform = freeformOf(a, value);
  g.shapeType = a.shapeType;
  for (uint16_t k = 0; k < 2; ++k)
    if (auto it = a.properties.find(static_cast<uint16_t>(prop::AdjustValue + k)); it != a.properties.end())
      g.adjust[k] = static_cast<int32_t>(it->second);
  g.textMarginEmu = {value(prop::TextLeft, g.textMarginEmu[0]), value(prop::TextTop, g.textMarginEmu[1]),
                     value(prop::TextRight, g.textMarginEmu[2]), value(prop::TextBottom, g.textMarginEmu[3])};
  return g;
}

struct Matcher {
  const std::vector<ObjRecord>& objs;
  const std::vector<TxoRecord>& txos;
  const std::map<uint16_t, NoteCell>& notes;
  const DrawingEnvironment& env;
  SheetDrawing& out;

  std::optional<Shape> build(const ArtShape& a) {
    if (a.clientData < 0 || static_cast<size_t>(a.clientData) >= objs.size() || !objs[static_cast<size_t>(a.clientData)].ok) {
      ++out.unreadable;
      if (a.isGroup) out.unreadable += static_cast<int>(a.members.size());
      return std::nullopt;
    }
    const ObjRecord& o = objs[static_cast<size_t>(a.clientData)];
    Shape s;
    s.objectKind = o.kind;
    s.chart = o.chart;
    s.objectId = o.id;
    s.shapeId = a.shapeId;
    if (a.name) s.storedName = toU8(*a.name);
    s.embeddedObject = isEmbeddedObject(o, env);
    s.name = s.storedName.empty() ? defaultShapeName(o.kind, o.id, s.embeddedObject) : s.storedName;
    s.onAction = o.onAction;
    s.filled = booleanProperty(a, prop::FillBooleans, kFilledBit, kUseFilledBit, true);
    auto fill = a.properties.find(prop::FillColor);
    s.foreColor = resolveArtColor(fill == a.properties.end() ? kDefaultFillColor : fill->second, env.palette);
    s.lined = booleanProperty(a, prop::LineBooleans, kLineBit, kUseLineBit, true);
    auto line = a.properties.find(prop::LineColor);
    s.lineColor = resolveArtColor(line == a.properties.end() ? kDefaultLineColor : line->second, env.palette);
    auto dashing = a.properties.find(prop::LineDashing);
    s.dashStyle = dashing == a.properties.end() ? dash::Solid : dashStyleOf(dashing->second);
    if (a.clientTextbox >= 0 && static_cast<size_t>(a.clientTextbox) < txos.size() && txos[static_cast<size_t>(a.clientTextbox)].ok) {
      s.hasText = true;
      s.text = txos[static_cast<size_t>(a.clientTextbox)].text;
      s.textFormat = txos[static_cast<size_t>(a.clientTextbox)].format;
    }
    if (o.kind == kind::Note) {
      auto n = notes.find(o.id);
      if (n != notes.end()) {
        s.noteRow = n->second.row;
        s.noteCol = n->second.col;
      }
    }
    s.geometry = geometryOf(a);
    for (const ArtShape& m : a.members)
      if (auto built = build(m)) s.members.push_back(std::move(*built));
    return s;
  }
};

}  // namespace

SheetDrawing readSheetDrawing(const std::vector<Record>& records, size_t bof, const DrawingEnvironment& env) {
  SheetDrawing out;
  std::vector<uint8_t> drawingBytes;
  std::vector<ObjRecord> objs;
  std::vector<TxoRecord> txos;
  std::map<uint16_t, NoteCell> notes;
  bool drawingOwnsContinue = false;
  for (size_t i = bof + 1; i < records.size(); ++i) {
    const Record& r = records[i];
    if (r.id == rec::Eof) break;
    if (r.id == rec::Bof) {
      // An embedded chart's substream follows its OBJ: its records are not the sheet's.
      int depth = 1;
      size_t j = i + 1;
      for (; j < records.size() && depth > 0 && depth <= kMaxSubstreamDepth; ++j) {
        if (records[j].id == rec::Bof) ++depth;
        else if (records[j].id == rec::Eof) --depth;
      }
      if (depth != 0) {
        out.warnings.push_back("embedded substream without EOF");
        break;
      }
      if (!objs.empty() && objs.back().kind == kind::Chart && !objs.back().chart) {
        ChartModel c = chart::readChart(records, i, env.formulas, env.palette);
        for (const std::string& w : c.warnings) out.warnings.push_back("chart: " + w);
        objs.back().chart = std::make_shared<ChartModel>(std::move(c));
      }
      i = j - 1;
      continue;
    }
    try {
      switch (r.id) {
        case kMsoDrawing:
          drawingBytes.insert(drawingBytes.end(), r.data.begin(), r.data.end());
          drawingOwnsContinue = true;
          break;
        case rec::Continue:
          // Drawing data goes on in CONTINUE records after MSODRAWING, OBJ and a TXO's own chain.
          if (drawingOwnsContinue) drawingBytes.insert(drawingBytes.end(), r.data.begin(), r.data.end());
          break;
        case rec::Obj:
          objs.push_back(readObj(r, env, out.warnings));
          drawingOwnsContinue = true;
          break;
        case rec::Txo: {
          size_t next = i + 1;
          txos.push_back(readTxo(records, i, &next, out.warnings));
          i = next - 1;
          drawingOwnsContinue = true;
          break;
        }
        case rec::Note:
          drawingOwnsContinue = false;
          readNoteCell(r, notes);
          break;
        case rec::Password:
          drawingOwnsContinue = false;
          out.hasPassword = ByteCursor(r.data).u16() != 0;
          break;
        default: drawingOwnsContinue = false; break;
      }
    } catch (const RecordError& e) {
      out.warnings.push_back("damaged record " + recordIdText(r.id) + ": " + e.what());
    }
  }
  if (drawingBytes.empty()) {
    if (!objs.empty()) out.warnings.push_back("OBJ records without drawing data");
    out.unreadable = static_cast<int>(objs.size());
    return out;
  }
  ArtDrawing art = parseArtDrawing(drawingBytes);
  out.warnings.insert(out.warnings.end(), art.warnings.begin(), art.warnings.end());
  Matcher m{objs, txos, notes, env, out};
  for (const ArtShape& a : art.shapes)
    if (auto s = m.build(a)) out.shapes.push_back(std::move(*s));
  return out;
}

}  // namespace zel::xls::drawing
