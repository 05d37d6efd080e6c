// Decoders of the workbook-globals records and the walk over the globals substream.
#include <algorithm>

#include "core/vb_error.h"
#include "xls/biff_record.h"
#include "xls/biff_string.h"
#include "xls/biff_workbook.h"
#include "xls/byte_cursor.h"
#include "xls/global_records.h"
#include "xls/number_format.h"
#include "xls/open_error.h"
#include "xls/sheet_records.h"

namespace zel::xls {
namespace {

// Default colours of indexes 8..63 (BIFF8 standard palette).
constexpr uint32_t kDefaultPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

// SST strings never take fewer than three bytes, which bounds the count a record can claim.
constexpr size_t kMinSstStringBytes = 3;
constexpr uint16_t kWindow1 = 0x003D;

std::vector<uint8_t> joinSegments(const std::vector<std::span<const uint8_t>>& segments) {
  std::vector<uint8_t> out;
  for (auto s : segments) out.insert(out.end(), s.begin(), s.end());
  return out;
}

}  // namespace

std::string numberFormatCode(const WorkbookGlobals& globals, uint16_t formatIndex) {
  auto it = globals.formats.find(formatIndex);
  return it != globals.formats.end() ? it->second : builtinNumberFormat(formatIndex);
}

std::string numberFormatOfXf(const WorkbookGlobals& globals, uint16_t xf) {
  return numberFormatCode(globals, xf < globals.xfs.size() ? globals.xfs[xf].format : 0);
}

std::vector<uint32_t> defaultPalette() { return {std::begin(kDefaultPalette), std::end(kDefaultPalette)}; }

std::string builtinNameText(uint8_t code) {
  static const char* const kNames[] = {"Consolidate_Area", "Auto_Open",      "Auto_Close",      "Extract",
                                       "Database",         "Criteria",       "Print_Area",      "Print_Titles",
                                       "Recorder",         "Data_Form",      "Auto_Activate",   "Auto_Deactivate",
                                       "Sheet_Title",      "_FilterDatabase"};
  return code < std::size(kNames) ? kNames[code] : std::string();
}

std::string decodeVirtualPath(const std::string& raw) {
  std::string out;
  size_t i = 0;
  if (!raw.empty() && raw[0] == '\x01') {
    i = 1;
    if (i < raw.size()) {
      char code = raw[i];
      if (code == '\x01') {  // volume: drive letter, or '@' for a UNC path
        ++i;
        if (i < raw.size() && raw[i] == '@') {
          out = "\\\\";
          ++i;
        } else if (i < raw.size()) {
          out = std::string(1, raw[i]) + ":\\";
          ++i;
        }
      } else if (code == '\x02') {
        out = "\\";
        ++i;
      } else if (code == '\x05') {  // transfer protocol: a count character, then the URL
        i += 2;
        return i <= raw.size() ? raw.substr(i) : std::string();
      } else if (code == '\x06' || code == '\x07' || code == '\x08') {
        ++i;  // startup / alternate startup / library folder: shown without a folder
      }
    }
  }
  for (; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '\x03') out += '\\';
    else if (c == '\x04') out += "..\\";
    else out += c;
  }
  return out;
}

void readBoundSheet8(ByteCursor cur, WorkbookGlobals& g) {
  BoundSheet s;
  s.streamPosition = cur.u32();
  uint8_t state = cur.u8() & 0x03;
  uint8_t dt = cur.u8();
  s.name = readShortUnicodeString(cur);
  s.visibility = state == 1 ? SheetVisibility::Hidden : state == 2 ? SheetVisibility::VeryHidden : SheetVisibility::Visible;
  s.type = dt == 1 ? SheetType::MacroSheet : dt == 2 ? SheetType::Chart : SheetType::Worksheet;
  s.vbaModule = dt == 6;
  g.sheets.push_back(std::move(s));
}

void readSst(const std::vector<std::span<const uint8_t>>& segments, WorkbookGlobals& g) {
  size_t total = 0;
  for (auto s : segments) total += s.size();
  ContinuedReader r(segments);
  r.u32();  // total references
  uint32_t unique = r.u32();
  size_t plausible = std::min<size_t>(unique, total / kMinSstStringBytes + 1);
  g.sst.reserve(plausible);
  for (uint32_t i = 0; i < unique && !r.atEnd(); ++i) g.sst.push_back(r.richExtendedString());
}

void readFont(ByteCursor cur, WorkbookGlobals& g) {
  FontInfo f;
  f.heightPoints = cur.u16() / 20.0;
  uint16_t flags = cur.u16();
  f.italic = flags & 0x02;
  f.strikeout = flags & 0x08;
  f.colorIndex = cur.u16();
  f.bold = cur.u16() >= 700;
  cur.u16();  // super/subscript
  f.underline = cur.u8();
  cur.skip(3);  // family, charset, reserved
  f.name = readShortUnicodeString(cur);
  g.fonts.push_back(std::move(f));
}

void readFormat(ByteCursor cur, WorkbookGlobals& g) {
  uint16_t index = cur.u16();
  g.formats[index] = readUnicodeString(cur);
}

void readXf(ByteCursor cur, WorkbookGlobals& g) {
  XfInfo x;
  x.font = cur.u16();
  x.format = cur.u16();
  uint16_t type = cur.u16();
  x.isStyle = type & 0x0004;
  uint8_t align = cur.u8();
  x.hAlign = align & 0x07;
  x.wrap = align & 0x08;
  x.vAlign = (align >> 4) & 0x07;
  x.rotation = cur.u8();
  uint8_t indent = cur.u8();  // indent, shrink, reading order
  x.indent = indent & 0x0F;
  x.shrink = indent & 0x10;
  cur.u8();  // used-attribute flags
  uint32_t border = cur.u32();
  x.borderLeft = border & 0x0F;
  x.borderRight = (border >> 4) & 0x0F;
  x.borderTop = (border >> 8) & 0x0F;
  x.borderBottom = (border >> 12) & 0x0F;
  x.borderLeftColor = (border >> 16) & 0x7F;
  x.borderRightColor = (border >> 23) & 0x7F;
  x.diagonal = (border >> 30) & 0x03;
  uint32_t border2 = cur.u32();
  x.borderTopColor = border2 & 0x7F;
  x.borderBottomColor = (border2 >> 7) & 0x7F;
  x.borderDiagColor = (border2 >> 14) & 0x7F;
  x.borderDiag = (border2 >> 21) & 0x0F;
  x.fillPattern = static_cast<uint8_t>((border2 >> 26) & 0x3F);
  uint16_t colors = cur.u16();
  x.fillForeColor = colors & 0x7F;
  x.fillBackColor = (colors >> 7) & 0x7F;
  g.xfs.push_back(x);
}

void readPalette(ByteCursor cur, WorkbookGlobals& g) {
  uint16_t count = cur.u16();
  for (uint16_t i = 0; i < count && i < g.palette.size(); ++i) {
    uint8_t r = cur.u8(), gr = cur.u8(), b = cur.u8();
    cur.u8();
    g.palette[i] = (static_cast<uint32_t>(r) << 16) | (gr << 8) | b;
  }
}

void readName(const std::vector<uint8_t>& data, WorkbookGlobals& g) {
  ByteCursor cur(data);
  DefinedName n;
  uint16_t flags = cur.u16();
  n.hidden = flags & 0x0001;
  n.function = flags & 0x0002;
  n.builtin = flags & 0x0020;
  cur.u8();  // keyboard shortcut
  uint8_t cch = cur.u8();
  uint16_t cce = cur.u16();
  cur.u16();
  n.sheetScope = cur.u16();
  cur.skip(4);  // menu, description, help, status text lengths (unused in BIFF8)
  if (n.builtin && cch >= 1) {
    uint8_t stringFlags = cur.u8();
    if (stringFlags & 0x01) {
      n.builtinCode = static_cast<uint8_t>(cur.u16());
      cur.skip((cch - 1) * 2);
    } else {
      n.builtinCode = cur.u8();
      cur.skip(cch - 1);
    }
    n.name = builtinNameText(n.builtinCode);
    if (n.name.empty()) n.name = "Builtin_" + std::to_string(n.builtinCode);
  } else {
    n.name = readUnicodeStringNoCch(cur, cch);
  }
  auto rgce = cur.bytes(cce);
  n.rgce.assign(rgce.begin(), rgce.end());
  auto extra = cur.rest();
  n.extra.assign(extra.begin(), extra.end());
  g.names.push_back(std::move(n));
}

void readExternSheet(const std::vector<uint8_t>& data, WorkbookGlobals& g) {
  ByteCursor cur(data);
  uint16_t count = cur.u16();
  for (uint16_t i = 0; i < count; ++i) {
    ExternSheetRef r;
    r.supBook = cur.u16();
    r.firstSheet = cur.i16();
    r.lastSheet = cur.i16();
    g.externSheets.push_back(r);
  }
}

void readSupBook(ByteCursor cur, WorkbookGlobals& g) {
  ExternalBook b;
  uint16_t sheetCount = cur.u16();
  uint16_t cch = cur.u16();
  if (cch == 0x0401) {
    b.info.kind = SupBookInfo::Kind::Self;
  } else if (cch == 0x3A01) {
    b.info.kind = SupBookInfo::Kind::AddIn;
  } else {
    std::string raw = readUnicodeStringNoCch(cur, cch);
    bool oleDde = raw.find('\x03') != std::string::npos && (raw.empty() || raw[0] != '\x01') && sheetCount == 0;
    b.info.kind = oleDde ? SupBookInfo::Kind::OleDde : SupBookInfo::Kind::External;
    if (oleDde) {
      std::string shown = raw;
      std::replace(shown.begin(), shown.end(), '\x03', '|');
      b.info.fileName = shown;
    } else {
      b.info.fileName = decodeVirtualPath(raw);
    }
    for (uint16_t i = 0; i < sheetCount && !cur.atEnd(); ++i) b.info.sheetNames.push_back(readUnicodeString(cur));
  }
  g.books.push_back(std::move(b));
}

void readExternName(ByteCursor cur, WorkbookGlobals& g) {
  if (g.books.empty()) cur.fail("EXTERNNAME without SUPBOOK");
  uint16_t flags = cur.u16();
  cur.skip(4);
  std::string name = readShortUnicodeString(cur);
  auto& book = g.books.back();
  book.info.externNames.push_back(name);
  book.externNameIsOle.push_back((flags & 0x0018) != 0 || book.info.kind == SupBookInfo::Kind::OleDde);
}

void readGlobals(RecordReader& reader, WorkbookGlobals& g) {
  g.palette.assign(std::begin(kDefaultPalette), std::end(kDefaultPalette));
  Record r;
  while (reader.next(r)) {
    if (r.id == rec::Eof) return;
    try {
      ByteCursor cur(r.data, r.offset + 4);
      switch (r.id) {
        case rec::FilePass:
          throw WorkbookOpenError(OpenFailure::Encrypted, "",
                                  "the workbook is encrypted (protected with a password to open) and cannot be read.");
        case rec::CodePage: g.codePage = cur.u16(); break;
        case rec::DateMode: g.dateMode1904 = cur.u16() == 1; break;
        case rec::BoundSheet8: readBoundSheet8(cur, g); break;
        case rec::Sst: readSst(withContinues(r, reader, false), g); break;
        case rec::Font: readFont(cur, g); break;
        case rec::Format: readFormat(cur, g); break;
        case rec::Xf: readXf(cur, g); break;
        case rec::Palette: readPalette(cur, g); break;
        case rec::Name: readName(joinSegments(withContinues(r, reader, false)), g); break;
        case rec::ExternSheet: readExternSheet(joinSegments(withContinues(r, reader, false)), g); break;
        case rec::SupBook: readSupBook(cur, g); break;
        case kWindow1: cur.skip(10); g.activeSheet = cur.u16(); break;
        case rec::ExternName: readExternName(cur, g); break;
        case rec::Bof:
          g.warnings.push_back("workbook globals end without EOF");
          g.cutShort = true;
          return;
        default: break;
      }
    } catch (const RecordError& e) {
      g.warnings.push_back("damaged record " + recordIdText(r.id) + ": " + e.what());
    }
  }
  g.warnings.push_back("workbook globals end without EOF");
  g.cutShort = true;
}

namespace {

[[noreturn]] void refuse(OpenFailure kind, const std::string& reason) { throw WorkbookOpenError(kind, "", reason); }
[[noreturn]] void refuseDamaged(const std::string& reason) { refuse(OpenFailure::Damaged, reason); }
[[noreturn]] void refuseEarlier(const std::string& reason) { refuse(OpenFailure::EarlierExcel, reason); }

// Checks the first BOF (null: not even one record) and refuses formats other than BIFF8 with a
// clear reason.
void checkFirstBof(const Record* first) {
  if (!first) refuseDamaged("the Workbook stream is empty or damaged.");
  if (first->id == rec::BofBiff2) refuseEarlier("the file is an Excel 2.x (BIFF2) workbook; only Excel 97-2003 (BIFF8) workbooks are read.");
  if (first->id == rec::BofBiff3) refuseEarlier("the file is an Excel 3.0 (BIFF3) workbook; only Excel 97-2003 (BIFF8) workbooks are read.");
  if (first->id == rec::BofBiff4) refuseEarlier("the file is an Excel 4.0 (BIFF4) workbook; only Excel 97-2003 (BIFF8) workbooks are read.");
  if (first->id != rec::Bof || first->data.size() < 4) refuseDamaged("the Workbook stream does not start with a BOF record (damaged file).");
  ByteCursor bof(first->data);
  const uint16_t version = bof.u16();
  const uint16_t type = bof.u16();
  if (version == 0x0500) refuseEarlier("the file is an Excel 5.0/95 (BIFF5/BIFF7) workbook; only Excel 97-2003 (BIFF8) workbooks are read.");
  if (version != 0x0600) refuseDamaged("the Workbook stream has an unknown BIFF version (damaged file).");
  if (type != 0x0005) refuseDamaged("the Workbook stream does not start with the workbook globals (damaged file).");
}

// Where BOF records start in the record chain from offset 0 (ascending; BOUNDSHEET positions
// must name one of them), and whether the chain is cut short by a damaged header.
struct BofScan {
  std::vector<size_t> offsets;
  bool truncated = false;
};

BofScan scanBofs(std::span<const uint8_t> stream) {
  BofScan out;
  RecordReader reader(stream);
  Record r;
  while (reader.next(r))
    if (r.id == rec::Bof) out.offsets.push_back(r.offset);
  out.truncated = reader.truncated();
  return out;
}

}  // namespace

BiffWorkbook parseWorkbookStream(std::span<const uint8_t> stream) {
  RecordReader reader(stream);
  Record first;
  const bool any = reader.next(first);
  checkFirstBof(any ? &first : nullptr);
  BiffWorkbook book;
  if (const std::span<const uint8_t> bof = first.data; bof.size() >= 16) {
    book.globals.bofBuild = static_cast<uint16_t>(bof[4] | (bof[5] << 8));
    book.globals.bofHighestVersion = static_cast<uint8_t>(((bof[9] >> 6) | (bof[10] << 2)) & 0x0F);  // bfh bits 14..17
    book.globals.bofLastSavedVersion = static_cast<uint8_t>(bof[13] & 0x0F);                          // sfo bits 8..11
  }
  const BofScan bofs = scanBofs(stream);
  if (bofs.truncated) {
    book.globals.warnings.push_back("the Workbook stream is truncated");
    book.globals.cutShort = true;
  }
  readGlobals(reader, book.globals);
  book.sheets.reserve(book.globals.sheets.size());
  for (const BoundSheet& s : book.globals.sheets) {
    SheetData data;
    data.type = s.type;
    if (!std::binary_search(bofs.offsets.begin(), bofs.offsets.end(), size_t{s.streamPosition})) {
      data.warnings.push_back("sheet \"" + s.name + "\": substream not found");
      data.substreamFound = false;
    } else {
      readSheetSubstream(stream, s.streamPosition, book.globals, data);
    }
    book.sheets.push_back(std::move(data));
  }
  return book;
}

}  // namespace zel::xls
