// Minimal BIFF8 record walk for the formula tests; only what formula text depends on.
#include "tests/formula/workbook_formulas.h"

#include <stdexcept>

#include "app/core/vbstring.h"
#include "xls/compound_file.h"

namespace zel::test {
namespace {

constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kSupBook = 0x01AE;
constexpr uint16_t kExternName = 0x0023;
constexpr uint16_t kExternSheet = 0x0017;
constexpr uint16_t kName = 0x0018;
constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kShrFmla = 0x04BC;
constexpr uint16_t kArray = 0x0221;
constexpr uint16_t kTable = 0x0236;

struct Reader {
  const std::vector<uint8_t>& d;
  size_t pos;
  size_t end;
  void need(size_t n) const {
    if (pos + n > end) throw std::runtime_error("record too short");
  }
  uint8_t u8() { need(1); return d[pos++]; }
  uint16_t u16() { need(2); uint16_t v = static_cast<uint16_t>(d[pos] | (d[pos + 1] << 8)); pos += 2; return v; }
  uint32_t u32() { uint32_t lo = u16(); return lo | (static_cast<uint32_t>(u16()) << 16); }
  void skip(size_t n) { need(n); pos += n; }
  std::u16string chars(size_t cch) {
    bool wide = (u8() & 0x01) != 0;
    std::u16string s;
    for (size_t i = 0; i < cch; ++i) s.push_back(static_cast<char16_t>(wide ? u16() : u8()));
    return s;
  }
  std::vector<uint8_t> bytes(size_t n) {
    need(n);
    std::vector<uint8_t> v(d.begin() + static_cast<long>(pos), d.begin() + static_cast<long>(pos + n));
    pos += n;
    return v;
  }
  std::vector<uint8_t> rest() { return bytes(end - pos); }
};

// Encoded virtual path of a SUPBOOK to the form Excel shows: "\x01" starts an encoded path,
// "\x01X" after it names drive X, "\x02" is the root folder, "\x03" a folder separator.
std::string decodeVirtualPath(const std::u16string& raw) {
  std::u16string out;
  size_t i = 0;
  if (i < raw.size() && raw[i] == 0x01) {
    ++i;
    if (i < raw.size() && raw[i] == 0x01 && i + 1 < raw.size()) {
      out += raw[i + 1];
      out += u":\\";
      i += 2;
    }
  }
  for (; i < raw.size(); ++i) {
    char16_t c = raw[i];
    if (c == 0x02 || c == 0x03) out += u'\\';
    else if (c == 0x04) out += u"..\\";
    else out += c;
  }
  return toU8(out);
}

const char* const kBuiltinNames[] = {"Consolidate_Area", "Auto_Open", "Auto_Close", "Extract", "Database",
                                     "Criteria", "Print_Area", "Print_Titles", "Recorder", "Data_Form",
                                     "Auto_Activate", "Auto_Deactivate", "Sheet_Title", "_FilterDatabase"};

}  // namespace

WorkbookFormulas WorkbookFormulas::load(const std::string& fileName) {
  auto cf = xls::CompoundFile::open(std::string(ZEL_TEST_DATA) + "/" + fileName);
  auto stream = cf.readStream("Workbook");
  if (!stream) throw std::runtime_error("no Workbook stream in " + fileName);
  const std::vector<uint8_t>& d = *stream;

  WorkbookFormulas wb;
  std::map<uint32_t, int> sheetAt;  // BOF offset -> sheet index
  int currentSheet = -1;
  bool inGlobals = true;
  size_t pos = 0;
  while (pos + 4 <= d.size()) {
    uint16_t id = static_cast<uint16_t>(d[pos] | (d[pos + 1] << 8));
    uint16_t len = static_cast<uint16_t>(d[pos + 2] | (d[pos + 3] << 8));
    size_t start = pos;
    Reader r{d, pos + 4, pos + 4 + len};
    if (r.end > d.size()) break;
    pos = r.end;
    if (id == kBof && !inGlobals) {
      auto it = sheetAt.find(static_cast<uint32_t>(start));
      currentSheet = it == sheetAt.end() ? -1 : it->second;
      continue;
    }
    if (id == kEof) {
      inGlobals = false;
      currentSheet = -1;
      continue;
    }
    if (inGlobals) {
      switch (id) {
        case kBoundSheet: {
          uint32_t at = r.u32();
          r.skip(2);
          uint8_t cch = r.u8();
          sheetAt[at] = static_cast<int>(wb.env_.sheetNames.size());
          wb.env_.sheetNames.push_back(toU8(r.chars(cch)));
          break;
        }
        case kSupBook: {
          uint16_t ctab = r.u16();
          uint16_t cch = r.u16();
          xls::SupBookInfo book;
          if (cch == 0x0401) {
            book.kind = xls::SupBookInfo::Kind::Self;
          } else if (cch == 0x3A01) {
            book.kind = xls::SupBookInfo::Kind::AddIn;
          } else {
            book.kind = xls::SupBookInfo::Kind::External;
            book.fileName = decodeVirtualPath(r.chars(cch));
            for (uint16_t i = 0; i < ctab; ++i) book.sheetNames.push_back(toU8(r.chars(r.u16())));
          }
          wb.env_.supBooks.push_back(std::move(book));
          break;
        }
        case kExternName: {
          if (wb.env_.supBooks.empty()) break;
          r.skip(6);
          uint8_t cch = r.u8();
          wb.env_.supBooks.back().externNames.push_back(toU8(r.chars(cch)));
          break;
        }
        case kExternSheet: {
          uint16_t count = r.u16();
          for (uint16_t i = 0; i < count; ++i) {
            xls::ExternSheetRef x;
            x.supBook = r.u16();
            x.firstSheet = static_cast<int16_t>(r.u16());
            x.lastSheet = static_cast<int16_t>(r.u16());
            wb.env_.externSheets.push_back(x);
          }
          break;
        }
        case kName: {
          uint16_t flags = r.u16();
          r.skip(1);
          uint8_t cch = r.u8();
          r.skip(4);
          uint16_t itab = r.u16();
          r.skip(4);
          std::string name = toU8(r.chars(cch));
          if ((flags & 0x0020) && !name.empty() && static_cast<uint8_t>(name[0]) < std::size(kBuiltinNames)) {
            name = kBuiltinNames[static_cast<uint8_t>(name[0])];
          }
          wb.env_.names.push_back({name, itab});
          break;
        }
        default: break;
      }
      continue;
    }
    if (currentSheet < 0) continue;
    if (id == kFormula) {
      uint16_t row = r.u16();
      uint16_t col = r.u16();
      r.skip(2 + 8 + 2 + 4);
      uint16_t cce = r.u16();
      StoredFormula f;
      f.rgce = r.bytes(cce);
      f.extra = r.rest();
      wb.cells_[{currentSheet, row, col}] = std::move(f);
    } else if (id == kTable) {
      Table t;
      t.sheet = currentSheet;
      t.firstRow = r.u16();
      t.lastRow = r.u16();
      t.firstCol = r.u8();
      t.lastCol = r.u8();
      uint16_t flags = r.u16();
      t.inputs.rowInput = (flags & 0x04) != 0;
      t.inputs.twoInputs = (flags & 0x08) != 0;
      t.inputs.firstDeleted = (flags & 0x10) != 0;
      t.inputs.secondDeleted = (flags & 0x20) != 0;
      t.inputs.firstRow = r.u16();
      t.inputs.firstCol = r.u16();
      t.inputs.secondRow = r.u16();
      t.inputs.secondCol = r.u16();
      wb.tables_.push_back(t);
    } else if (id == kShrFmla || id == kArray) {
      Anchored a;
      a.sheet = currentSheet;
      a.firstRow = r.u16();
      a.lastRow = r.u16();
      a.firstCol = r.u8();
      a.lastCol = r.u8();
      r.skip(id == kShrFmla ? 2 : 6);
      uint16_t cce = r.u16();
      a.formula.rgce = r.bytes(cce);
      a.formula.extra = r.rest();
      wb.anchors_.push_back(std::move(a));
    }
  }
  return wb;
}

int WorkbookFormulas::sheetIndex(const std::string& name) const {
  for (size_t i = 0; i < env_.sheetNames.size(); ++i) {
    if (env_.sheetNames[i] == name) return static_cast<int>(i);
  }
  throw std::runtime_error("no sheet " + name);
}

const StoredFormula* WorkbookFormulas::cellFormula(const std::string& sheet, uint32_t row, uint16_t col) const {
  auto it = cells_.find({sheetIndex(sheet), row, col});
  return it == cells_.end() ? nullptr : &it->second;
}

xls::FormulaText WorkbookFormulas::printCell(const Key& key) const {
  const StoredFormula& f = cells_.at(key);
  xls::FormulaOrigin origin{std::get<1>(key), std::get<2>(key)};
  auto anchor = xls::formulaAnchor(f.rgce);
  if (anchor && anchor->table) {
    for (const Table& t : tables_) {
      if (t.sheet == std::get<0>(key) && anchor->row >= t.firstRow && anchor->row <= t.lastRow &&
          anchor->col >= t.firstCol && anchor->col <= t.lastCol) {
        xls::FormulaText text;
        text.text = xls::dataTableFormula(t.inputs);
        return text;
      }
    }
  }
  if (anchor && !anchor->table) {
    for (const Anchored& a : anchors_) {
      if (a.sheet == std::get<0>(key) && anchor->row >= a.firstRow && anchor->row <= a.lastRow &&
          anchor->col >= a.firstCol && anchor->col <= a.lastCol) {
        return xls::printFormula(a.formula.rgce, a.formula.extra, env_, origin, xls::FormulaKind::Shared);
      }
    }
  }
  return xls::printFormula(f.rgce, f.extra, env_, origin, xls::FormulaKind::Cell);
}

xls::FormulaText WorkbookFormulas::formulaAt(const std::string& sheet, const std::string& address) const {
  size_t i = 0;
  uint32_t col = 0;
  while (i < address.size() && address[i] >= 'A' && address[i] <= 'Z') col = col * 26 + static_cast<uint32_t>(address[i++] - 'A' + 1);
  uint32_t row = static_cast<uint32_t>(std::stoul(address.substr(i)));
  Key key{sheetIndex(sheet), row - 1, static_cast<uint16_t>(col - 1)};
  if (!cells_.count(key)) return {};
  return printCell(key);
}

std::vector<std::tuple<std::string, uint32_t, uint16_t>> WorkbookFormulas::formulaCells() const {
  std::vector<std::tuple<std::string, uint32_t, uint16_t>> out;
  for (const auto& [key, f] : cells_) {
    out.emplace_back(env_.sheetNames.at(static_cast<size_t>(std::get<0>(key))), std::get<1>(key), std::get<2>(key));
  }
  return out;
}

}  // namespace zel::test
