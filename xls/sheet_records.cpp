// Sheet substream decoders: one function per record, and the walk that feeds them.
#include "xls/sheet_records.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <unordered_map>

#include "xls/biff_string.h"
#include "xls/byte_cursor.h"
#include "xls/huge_pages.h"

namespace zel::xls {
namespace {

constexpr uint16_t kObjTypeComment = 0x19;
constexpr uint16_t kPrintHeaders = 0x002A;
constexpr uint16_t kPrintGridlines = 0x002B;
constexpr uint16_t kMergedCells = 0x00E5;

// What the walk carries between records of one substream.
struct SheetState {
  SheetData& sheet;
  int pendingString = -1;  // cell index of a FORMULA whose text result comes in STRING
  uint16_t lastObjectId = 0;
  uint16_t lastObjectType = 0;
  std::unordered_map<uint16_t, std::string> textById;  // TXO text by OBJ id
};

void checkColumn(ByteCursor& cur, uint16_t col) {
  if (col > kMaxColumn) cur.fail("column beyond IV");
}

CellEntry& addCell(SheetData& s, uint16_t row, uint16_t col, uint16_t xf) {
  CellEntry c;
  c.row = row;
  c.col = col;
  c.xf = xf;
  s.cells.push_back(c);
  return s.cells.back();
}

void readNumber(ByteCursor cur, SheetState& st) {
  uint16_t row = cur.u16(), col = cur.u16(), xf = cur.u16();
  checkColumn(cur, col);
  double v = cur.f64();
  auto& c = addCell(st.sheet, row, col, xf);
  c.type = CellType::Number;
  c.number = v;
}

void readRk(ByteCursor cur, SheetState& st) {
  uint16_t row = cur.u16(), col = cur.u16(), xf = cur.u16();
  checkColumn(cur, col);
  double v = decodeRk(cur.u32());
  auto& c = addCell(st.sheet, row, col, xf);
  c.type = CellType::Number;
  c.number = v;
}

void readMulRk(ByteCursor cur, SheetState& st) {
  uint16_t row = cur.u16(), first = cur.u16();
  if (cur.remaining() < 8 || (cur.remaining() - 2) % 6 != 0) cur.fail("MULRK length");
  size_t count = (cur.remaining() - 2) / 6;
  for (size_t i = 0; i < count; ++i) {
    uint16_t xf = cur.u16();
    double v = decodeRk(cur.u32());
    size_t col = first + i;
    if (col > kMaxColumn) cur.fail("column beyond IV");
    auto& c = addCell(st.sheet, row, static_cast<uint16_t>(col), xf);
    c.type = CellType::Number;
    c.number = v;
  }
}

void readBlank(ByteCursor cur, SheetState& st) {
  uint16_t row = cur.u16(), col = cur.u16(), xf = cur.u16();
  checkColumn(cur, col);
  addCell(st.sheet, row, col, xf);
}

void readMulBlank(ByteCursor cur, SheetState& st) {
  uint16_t row = cur.u16(), first = cur.u16();
  if (cur.remaining() < 4 || (cur.remaining() - 2) % 2 != 0) cur.fail("MULBLANK length");
  size_t count = (cur.remaining() - 2) / 2;
  for (size_t i = 0; i < count; ++i) {
    uint16_t xf = cur.u16();
    size_t col = first + i;
    if (col > kMaxColumn) cur.fail("column beyond IV");
    addCell(st.sheet, row, static_cast<uint16_t>(col), xf);
  }
}

void readLabelSst(ByteCursor cur, SheetState& st, const WorkbookGlobals& g) {
  uint16_t row = cur.u16(), col = cur.u16(), xf = cur.u16();
  checkColumn(cur, col);
  uint32_t index = cur.u32();
  if (index >= g.sst.size()) cur.fail("shared string index out of range");
  auto& c = addCell(st.sheet, row, col, xf);
  c.type = CellType::Text;
  c.textInSst = true;
  c.text = index;
}

// LABEL and RSTRING: the text is in the record (RSTRING's formatting runs follow, unused).
void readLabel(ByteCursor cur, SheetState& st) {
  uint16_t row = cur.u16(), col = cur.u16(), xf = cur.u16();
  checkColumn(cur, col);
  std::string text = readUnicodeString(cur);
  auto& c = addCell(st.sheet, row, col, xf);
  c.type = CellType::Text;
  c.text = static_cast<uint32_t>(st.sheet.strings.size());
  st.sheet.strings.push_back(std::move(text));
}

void readBoolErr(ByteCursor cur, SheetState& st) {
  uint16_t row = cur.u16(), col = cur.u16(), xf = cur.u16();
  checkColumn(cur, col);
  uint8_t value = cur.u8();
  bool isError = cur.u8() != 0;
  auto& c = addCell(st.sheet, row, col, xf);
  c.type = isError ? CellType::Error : CellType::Boolean;
  c.code = isError ? value : (value ? 1 : 0);
}

void readFormula(ByteCursor cur, SheetState& st) {
  uint16_t row = cur.u16(), col = cur.u16(), xf = cur.u16();
  checkColumn(cur, col);
  auto value = cur.bytes(8);
  cur.u16();  // flags
  cur.u32();  // chain
  uint16_t cce = cur.u16();
  auto rgce = cur.bytes(cce);
  auto extra = cur.rest();
  auto& c = addCell(st.sheet, row, col, xf);
  st.pendingString = -1;
  if (value[6] == 0xFF && value[7] == 0xFF) {
    switch (value[0]) {
      case 0:
        c.type = CellType::Text;
        c.text = static_cast<uint32_t>(st.sheet.strings.size());
        st.sheet.strings.emplace_back();
        st.pendingString = static_cast<int>(st.sheet.cells.size() - 1);
        break;
      case 1: c.type = CellType::Boolean; c.code = value[2] ? 1 : 0; break;
      case 2: c.type = CellType::Error; c.code = value[2]; break;
      default:  // 3: an empty string
        c.type = CellType::Text;
        c.text = static_cast<uint32_t>(st.sheet.strings.size());
        st.sheet.strings.emplace_back();
        break;
    }
  } else {
    c.type = CellType::Number;
    c.number = ByteCursor(value).f64();
  }
  c.formula = st.sheet.addFormula(rgce, extra);
}

void readString(const std::vector<std::span<const uint8_t>>& segments, SheetState& st) {
  if (st.pendingString < 0) return;
  ContinuedReader r(segments);
  uint16_t count = r.u16();
  std::string text = r.characters(count);
  const CellEntry& c = st.sheet.cells[static_cast<size_t>(st.pendingString)];
  st.sheet.strings[c.text] = std::move(text);
  st.pendingString = -1;
}

RangeFormula readRangeHeader(ByteCursor& cur, RangeFormula::Kind kind) {
  RangeFormula f;
  f.kind = kind;
  f.firstRow = cur.u16();
  f.lastRow = cur.u16();
  f.firstCol = cur.u8();
  f.lastCol = cur.u8();
  if (f.lastRow < f.firstRow || f.lastCol < f.firstCol) cur.fail("inverted formula range");
  return f;
}

void readShrFmla(ByteCursor cur, SheetState& st) {
  RangeFormula f = readRangeHeader(cur, RangeFormula::Kind::Shared);
  cur.u8();  // reserved
  cur.u8();  // use count
  uint16_t cce = cur.u16();
  auto rgce = cur.bytes(cce);
  f.rgce.assign(rgce.begin(), rgce.end());
  auto extra = cur.rest();
  f.extra.assign(extra.begin(), extra.end());
  st.sheet.rangeFormulas.push_back(std::move(f));
}

void readArray(ByteCursor cur, SheetState& st) {
  RangeFormula f = readRangeHeader(cur, RangeFormula::Kind::Array);
  cur.u16();  // flags
  cur.u32();  // chain
  uint16_t cce = cur.u16();
  auto rgce = cur.bytes(cce);
  f.rgce.assign(rgce.begin(), rgce.end());
  auto extra = cur.rest();
  f.extra.assign(extra.begin(), extra.end());
  st.sheet.rangeFormulas.push_back(std::move(f));
}

// TABLE: flags fRw, fTbl2, fDeleted1, fDeleted2, then the two input cells.
void readTable(ByteCursor cur, SheetState& st) {
  constexpr uint16_t kRowInput = 0x0004, kTwoInputs = 0x0008, kFirstDeleted = 0x0010, kSecondDeleted = 0x0020;
  RangeFormula f = readRangeHeader(cur, RangeFormula::Kind::Table);
  const uint16_t flags = cur.u16();
  DataTableInputs& t = f.table;
  t.rowInput = flags & kRowInput;
  t.twoInputs = flags & kTwoInputs;
  t.firstDeleted = flags & kFirstDeleted;
  t.secondDeleted = flags & kSecondDeleted;
  t.firstRow = cur.u16();
  t.firstCol = cur.u16();
  t.secondRow = cur.u16();
  t.secondCol = cur.u16();
  st.sheet.rangeFormulas.push_back(std::move(f));
}

void readNote(ByteCursor cur, SheetState& st) {
  NoteEntry n;
  n.row = cur.u16();
  n.col = cur.u16();
  checkColumn(cur, n.col);
  n.shown = cur.u16() & 0x0002;
  n.objectId = cur.u16();
  n.author = readUnicodeString(cur);
  st.sheet.notes.push_back(std::move(n));
}

// OBJ: only the common sub-record (ftCmo) matters here: the object's type and id.
void readObj(ByteCursor cur, SheetState& st) {
  uint16_t ft = cur.u16();
  cur.u16();  // cb
  if (ft != 0x0015) cur.fail("OBJ without common data");
  st.lastObjectType = cur.u16();
  st.lastObjectId = cur.u16();
}

// TXO: the text follows in CONTINUE records (flag byte + characters), then formatting runs.
// The CONTINUE records are taken from `reader`.
void readTxo(const Record& r, RecordReader& reader, SheetState& st) {
  ByteCursor cur(r.data, r.offset + 4);
  cur.skip(10);
  uint16_t cch = cur.u16();
  auto segments = withContinues(r, reader, true);
  if (cch == 0 || segments.size() < 2) return;
  ContinuedReader text(std::vector<std::span<const uint8_t>>(segments.begin() + 1, segments.end()));
  std::string characters = text.characters(cch);
  if (st.lastObjectType == kObjTypeComment) st.textById[st.lastObjectId] = std::move(characters);
}

void readColInfo(ByteCursor cur, SheetState& st) {
  ColumnInfo c;
  c.first = cur.u16();
  c.last = cur.u16();
  c.width = cur.u16();
  c.xf = cur.u16();
  c.hidden = cur.u16() & 0x0001;
  if (c.first > kMaxColumn || c.last < c.first) cur.fail("COLINFO range");
  c.last = std::min<uint16_t>(c.last, kMaxColumn);
  st.sheet.columns.push_back(c);
}

void readRow(ByteCursor cur, SheetState& st) {
  RowInfo r;
  r.row = cur.u16();
  cur.skip(4);  // first and last column
  r.heightTwips = cur.u16() & 0x7FFF;
  cur.skip(4);
  uint32_t flags = cur.u32();
  r.hidden = flags & 0x20;
  r.customHeight = flags & 0x40;
  st.sheet.rows.push_back(r);
}

void readDimensions(ByteCursor cur, SheetState& st) {
  uint32_t firstRow = cur.u32(), lastRow = cur.u32();
  uint16_t firstCol = cur.u16(), lastCol = cur.u16();
  if (lastRow > 65536 || firstRow > lastRow || lastCol > 256 || firstCol > lastCol) cur.fail("DIMENSIONS out of range");
  st.sheet.dimFirstRow = firstRow;
  st.sheet.dimLastRow = lastRow;
  st.sheet.dimFirstCol = firstCol;
  st.sheet.dimLastCol = lastCol;
}

void readSetup(ByteCursor cur, SheetState& st) {
  cur.u16();  // paper size
  uint16_t scale = cur.u16();
  cur.skip(6);  // first page number, fit width, fit height
  uint16_t flags = cur.u16();
  bool noPrinterSettings = flags & 0x0004;
  st.sheet.landscape = !noPrinterSettings && !(flags & 0x0002) && !(flags & 0x0040);
  st.sheet.printScale = (noPrinterSettings || scale < 10 || scale > 400) ? 100 : scale;
}

void readWindow2(ByteCursor cur, SheetState& st) {
  uint16_t flags = cur.u16();
  st.sheet.window2Flags = flags;
  st.sheet.displayGridlines = flags & 0x0002;
  st.sheet.displayHeadings = flags & 0x0004;
  st.sheet.displayZeros = flags & 0x0010;
  st.sheet.selected = flags & 0x0200;
}

void readScl(ByteCursor cur, SheetState& st) {
  uint16_t num = cur.u16(), den = cur.u16();
  if (den == 0) cur.fail("SCL with zero denominator");
  uint32_t zoom = static_cast<uint32_t>(num) * 100u / den;
  if (zoom >= 10 && zoom <= 400) st.sheet.windowZoom = static_cast<uint16_t>(zoom);
}

// Records of cells and their formulas. A chart sheet's substream holds its series' cached
// values in such records; they are not cells of any sheet.
bool isCellRecord(uint16_t id) {
  switch (id) {
    case rec::Number: case rec::Rk: case rec::MulRk: case rec::Blank: case rec::MulBlank: case rec::LabelSst:
    case rec::Label: case rec::RString: case rec::BoolErr: case rec::Formula: case rec::String: case rec::ShrFmla:
    case rec::Array: case rec::Table: return true;
    default: return false;
  }
}

// `reader` stands just behind `r`; records that gather CONTINUE records read on from it.
void readSheetRecord(const Record& r, RecordReader& reader, SheetState& st, const WorkbookGlobals& g) {
  if (st.sheet.type == SheetType::Chart && isCellRecord(r.id)) return;
  ByteCursor cur(r.data, r.offset + 4);
  SheetData& s = st.sheet;
  switch (r.id) {
    case rec::Number: readNumber(cur, st); break;
    case rec::Rk: readRk(cur, st); break;
    case rec::MulRk: readMulRk(cur, st); break;
    case rec::Blank: readBlank(cur, st); break;
    case rec::MulBlank: readMulBlank(cur, st); break;
    case rec::LabelSst: readLabelSst(cur, st, g); break;
    case rec::Label:
    case rec::RString: readLabel(cur, st); break;
    case rec::BoolErr: readBoolErr(cur, st); break;
    case rec::Formula: readFormula(cur, st); break;
    case rec::String: readString(withContinues(r, reader, false), st); break;
    case rec::ShrFmla: readShrFmla(cur, st); break;
    case rec::Array: readArray(cur, st); break;
    case rec::Table: readTable(cur, st); break;
    case rec::Note: readNote(cur, st); break;
    case rec::Obj: readObj(cur, st); break;
    case rec::Txo: readTxo(r, reader, st); break;
    case rec::MsoDrawing: ++s.drawingRecords; break;
    case rec::ColInfo: readColInfo(cur, st); break;
    case rec::DefColWidth: s.defaultColumnWidth = cur.u16(); break;
    case rec::DefaultRowHeight: cur.u16(); s.defaultRowHeightTwips = cur.u16() & 0x7FFF; break;
    case rec::Row: readRow(cur, st); break;
    case rec::Dimensions: readDimensions(cur, st); break;
    case rec::Protect: s.protectContents = cur.u16() != 0; break;
    case rec::ObjProtect: s.protectObjects = cur.u16() != 0; break;
    case rec::ScenProtect: s.protectScenarios = cur.u16() != 0; break;
    case kPrintHeaders: s.printHeadings = cur.u16() != 0; break;
    case kPrintGridlines: s.printGridlines = cur.u16() != 0; break;
    case rec::Setup:
      readSetup(cur, st);
      readSetupRecord(cur, s.pageLayout);
      break;
    case kMergedCells: readMergedCells(cur, s.mergedAreas); break;
    case rec::WsBool: {
      uint16_t flags = cur.u16();
      s.fitToPage = flags & 0x0100;
      if ((flags & 0x0010) && s.type == SheetType::Worksheet) s.type = SheetType::DialogSheet;
      break;
    }
    case rec::Window2: readWindow2(cur, st); break;
    case rec::Scl: readScl(cur, st); break;
    default: readPageSetupRecord(r.id, cur, s.pageLayout); break;
  }
}

// Sorts cells by position and keeps the last record written for each position.
void orderCells(std::vector<CellEntry>& cells) {
  auto key = [](const CellEntry& c) { return (static_cast<uint32_t>(c.row) << 8) | c.col; };
  bool sorted = std::is_sorted(cells.begin(), cells.end(), [&](const CellEntry& a, const CellEntry& b) { return key(a) < key(b); });
  bool unique = sorted && std::adjacent_find(cells.begin(), cells.end(), [&](const CellEntry& a, const CellEntry& b) { return key(a) == key(b); }) == cells.end();
  if (sorted && unique) return;
  std::stable_sort(cells.begin(), cells.end(), [&](const CellEntry& a, const CellEntry& b) { return key(a) < key(b); });
  std::vector<CellEntry> out;
  out.reserve(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i + 1 < cells.size() && key(cells[i + 1]) == key(cells[i])) continue;
    out.push_back(cells[i]);
  }
  cells.swap(out);
}

// Sizes the cell and formula lists from the substream's cell records before they are read, so
// a large sheet is stored without the copies and slack of a growing vector. `reader` stands
// just behind the BOF (a copy: the walk itself starts there again).
void reserveCells(RecordReader reader, SheetData& sheet) {
  constexpr size_t kFormulaFixedBytes = 22;  // FORMULA fields before rgce
  size_t cells = 0, formulas = 0, formulaBytes = 0;
  Record r;
  while (reader.next(r) && r.id != rec::Eof) {
    switch (r.id) {
      case rec::Number:
      case rec::Rk:
      case rec::Blank:
      case rec::LabelSst:
      case rec::Label:
      case rec::RString:
      case rec::BoolErr: ++cells; break;
      case rec::Formula:
        ++cells;
        ++formulas;
        formulaBytes += r.data.size() > kFormulaFixedBytes ? r.data.size() - kFormulaFixedBytes : 0;
        break;
      // A row holds at most 256 cells, whatever length a damaged record claims.
      case rec::MulRk: cells += std::min<size_t>(r.data.size() / 6, kMaxColumn + 1); break;
      case rec::MulBlank: cells += std::min<size_t>(r.data.size() / 2, kMaxColumn + 1); break;
      default: break;
    }
  }
  sheet.cells.reserve(cells);
  sheet.formulas.reserve(formulas);
  sheet.formulaBytes.reserve(formulaBytes);
  adviseHugePages(sheet.cells);
  adviseHugePages(sheet.formulas);
  adviseHugePages(sheet.formulaBytes);
}

}  // namespace

double decodeRk(uint32_t rk) {
  double v;
  if (rk & 0x02) {
    v = static_cast<double>(static_cast<int32_t>(rk) >> 2);
  } else {
    uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&v, &bits, sizeof v);
  }
  return (rk & 0x01) ? v / 100.0 : v;
}

void readSheetSubstream(std::span<const uint8_t> stream, size_t bof, const WorkbookGlobals& globals, SheetData& sheet) {
  SheetState st{sheet, -1, 0, 0, {}};
  RecordReader reader(stream, bof);
  Record r;
  reader.next(r);  // the BOF itself
  reserveCells(reader, sheet);
  bool ended = false;
  while (reader.next(r)) {
    if (r.id == rec::Eof) {
      ended = true;
      break;
    }
    if (r.id == rec::Bof) {
      // An embedded chart (or other substream): its records belong to it, not to the sheet.
      int depth = 1;
      Record inner;
      while (depth > 0 && depth <= kMaxSubstreamDepth && reader.next(inner)) {
        if (inner.id == rec::Bof) ++depth;
        else if (inner.id == rec::Eof) --depth;
      }
      if (depth != 0) {
        sheet.warnings.push_back("embedded substream without EOF");
        break;
      }
      continue;
    }
    try {
      readSheetRecord(r, reader, st, globals);
    } catch (const RecordError& e) {
      sheet.warnings.push_back("damaged record " + recordIdText(r.id) + ": " + e.what());
    }
  }
  if (!ended) sheet.warnings.push_back("sheet substream ends without EOF");
  orderCells(sheet.cells);
  // Lookups by position (notes, anchors of shared formulas) use binary search.
  std::stable_sort(sheet.notes.begin(), sheet.notes.end(),
                   [](const NoteEntry& a, const NoteEntry& b) { return std::tie(a.row, a.col) < std::tie(b.row, b.col); });
  std::stable_sort(sheet.rangeFormulas.begin(), sheet.rangeFormulas.end(), [](const RangeFormula& a, const RangeFormula& b) {
    return std::tie(a.firstRow, a.firstCol) < std::tie(b.firstRow, b.firstCol);
  });
  for (NoteEntry& n : sheet.notes) {
    auto it = st.textById.find(n.objectId);
    if (it != st.textById.end()) n.text = it->second;
  }
}

}  // namespace zel::xls
