// Workbook opening and the Application/Workbook/Worksheet/Name classes over the parsed streams.
#include "xls/excel_model.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "core/vb_error.h"
#include "core/vbstring.h"
#include "xls/formula/formula_printer.h"
#include "xls/formula/sheet_name_text.h"
#include "xls/name_order.h"
#include "xls/name_ranges.h"
#include "xls/number_format.h"
#include "xls/ooxml/macro_container.h"
#include "xls/ooxml/ooxml_workbook.h"
#include "xls/open_error.h"

namespace zel::xls {
namespace {

[[noreturn]] void cannotOpen(OpenFailure kind, const std::string& who, const std::string& reason) {
  throw WorkbookOpenError(kind, who, "Cannot open '" + who + "': " + reason);
}

bool looksLikeZip(const std::vector<uint8_t>& head) {
  return head.size() >= 4 && head[0] == 'P' && head[1] == 'K' && head[2] == 3 && head[3] == 4;
}

std::vector<uint8_t> fileHead(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> head(8);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return head;
}

// A bare BIFF stream (no compound file) of an earlier Excel: names its version.
std::string bareBiffReason(const std::vector<uint8_t>& head) {
  if (head.size() < 2 || head[0] != 0x09) return "";
  switch (head[1]) {
    case 0x00: return "the file is an Excel 2.x workbook (BIFF2); only Excel 97-2003 (BIFF8) workbooks are read.";
    case 0x02: return "the file is an Excel 3.0 workbook (BIFF3); only Excel 97-2003 (BIFF8) workbooks are read.";
    case 0x04: return "the file is an Excel 4.0 workbook (BIFF4); only Excel 97-2003 (BIFF8) workbooks are read.";
    case 0x08: return "the file is a bare BIFF stream without its compound-file container; it cannot be read.";
    default: return "";
  }
}

// A bare stream of an Excel 2.x-4.0 workbook is an earlier Excel; a bare BIFF8 stream is no
// workbook file.
OpenFailure bareBiffKind(const std::vector<uint8_t>& head) {
  return head.size() >= 2 && head[1] == 0x08 ? OpenFailure::NotAWorkbook : OpenFailure::EarlierExcel;
}

bool sameNameNoCase(const std::string& a, const std::string& b) { return vb::ucase(a) == vb::ucase(b); }

}  // namespace

std::string errorText(uint8_t code) {
  const char* text = errorCodeText(code);
  return text ? text : "#N/A";
}

// ---- Workbook -------------------------------------------------------------------------

Workbook::Workbook(std::unique_ptr<CompoundFile> file, std::string fullName)
    : file_(std::move(file)), fullName_(std::move(fullName)) {}

std::unique_ptr<Workbook> Workbook::open(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) cannotOpen(OpenFailure::NotFound, path, "the file does not exist or is not a regular file.");
  if (std::filesystem::file_size(path, ec) == 0 && !ec) cannotOpen(OpenFailure::Empty, path, "the file is empty.");
  std::vector<uint8_t> head = fileHead(path);
  if (looksLikeZip(head)) return openPackage(path, nullptr);
  if (std::string reason = bareBiffReason(head); !reason.empty()) cannotOpen(bareBiffKind(head), path, reason);
  std::unique_ptr<CompoundFile> cf;
  try {
    cf = std::make_unique<CompoundFile>(CompoundFile::open(path));
  } catch (const CompoundFileError&) {
    cannotOpen(OpenFailure::NotAWorkbook, path, "the file is not an Excel workbook (neither an OLE2 compound file nor a zip package).");
  }
  std::unique_ptr<Workbook> book(new Workbook(std::move(cf), path));
  book->load();
  return book;
}

std::unique_ptr<Workbook> Workbook::openMemory(std::vector<uint8_t> bytes, const std::string& fullName) {
  if (bytes.empty()) cannotOpen(OpenFailure::Empty, fullName, "the file is empty.");
  if (looksLikeZip(bytes)) return openPackage(fullName, &bytes);
  if (std::string reason = bareBiffReason(bytes); !reason.empty()) cannotOpen(bareBiffKind(bytes), fullName, reason);
  std::unique_ptr<CompoundFile> cf;
  try {
    cf = std::make_unique<CompoundFile>(CompoundFile::openMemory(std::move(bytes)));
  } catch (const CompoundFileError&) {
    cannotOpen(OpenFailure::NotAWorkbook, fullName, "the file is not an Excel workbook (neither an OLE2 compound file nor a zip package).");
  }
  std::unique_ptr<Workbook> book(new Workbook(std::move(cf), fullName));
  book->load();
  return book;
}

std::unique_ptr<Workbook> Workbook::openPackage(const std::string& fullName, std::vector<uint8_t>* bytes) {
  ooxml::OoxmlWorkbook read;
  try {
    ooxml::Package package = bytes ? ooxml::Package::openMemory(std::move(*bytes)) : ooxml::Package::open(fullName);
    read = ooxml::readWorkbookPackage(package);
  } catch (const ooxml::PackageError& e) {
    cannotOpen(OpenFailure::Damaged, fullName, std::string("the file is a damaged Office Open XML package (") + e.what() + ").");
  } catch (const WorkbookOpenError& e) {
    cannotOpen(e.kind(), fullName, e.description());
  } catch (const VbError& e) {
    cannotOpen(OpenFailure::NotAWorkbook, fullName, e.description());
  }
  std::string warning;
  auto container = std::make_unique<CompoundFile>(ooxml::macroContainer(std::move(read.vbaProject), warning));
  std::unique_ptr<Workbook> book(new Workbook(std::move(container), fullName));
  book->biff_ = std::move(read.biff);
  if (!warning.empty()) book->biff_.globals.warnings.push_back(warning);
  book->properties_ = std::move(read.properties);
  book->finishLoad();
  book->pictures_ = std::move(read.pictures);
  for (size_t pos = 0; pos < book->sheetIndex_.size(); ++pos)
    if (book->sheetIndex_[pos] < read.drawings.size()) book->sheets_[pos].setDrawing(std::move(read.drawings[book->sheetIndex_[pos]]));
  return book;
}

void Workbook::load() {
  std::optional<CompoundFile::Buffer> stream;
  try {
    // Directory names compare without regard to case ("WORKBOOK" is seen in the wild).
    auto findRoot = [&](const std::string& wanted) -> std::string {
      for (const std::string& child : file_->children())
        if (sameNameNoCase(child, wanted)) return child;
      return "";
    };
    std::string workbookName = findRoot("Workbook");
    if (!workbookName.empty()) stream = file_->readStreamBuffer(workbookName);
    if (!stream) {
      if (!findRoot("EncryptedPackage").empty() || !findRoot("EncryptionInfo").empty())
        cannotOpen(OpenFailure::Encrypted, fullName_,
                   "the file is an encrypted Excel 2007 or later workbook (protected with a password to open) and "
                   "cannot be read.");
      if (!findRoot("Book").empty())
        cannotOpen(OpenFailure::EarlierExcel, fullName_, "the file is an Excel 5.0/95 workbook; only Excel 97-2003 (BIFF8) workbooks are read.");
      cannotOpen(OpenFailure::NotAWorkbook, fullName_, "the compound file holds no Workbook stream (it is not an Excel workbook).");
    }
  } catch (const CompoundFileError& e) {
    cannotOpen(OpenFailure::Damaged, fullName_, std::string("the compound file is damaged (") + e.what() + ").");
  }
  try {
    biff_ = parseWorkbookStream(stream->bytes());
  } catch (const WorkbookOpenError& e) {
    cannotOpen(e.kind(), fullName_, e.description());
  } catch (const VbError& e) {
    cannotOpen(OpenFailure::Damaged, fullName_, e.description());
  }
  properties_ = DocumentProperties::read(*file_);
  finishLoad();
  loadDrawings(stream->bytes());
}

void Workbook::finishLoad() {
  for (size_t i = 0; i < biff_.globals.sheets.size(); ++i)
    if (!biff_.globals.sheets[i].vbaModule) sheetIndex_.push_back(i);
  buildEnvironment();
  // Which XFs format dates, judged once per number format rather than once per cell.
  std::map<uint16_t, bool> dateFormats;
  for (const XfInfo& xf : biff_.globals.xfs) {
    auto [it, added] = dateFormats.try_emplace(xf.format, false);
    if (added) it->second = formatHasDateSection(numberFormatCode(biff_.globals, xf.format));
    xfDateFormat_.push_back(it->second);
  }
  sheets_.reserve(sheetIndex_.size());
  for (size_t i = 0; i < sheetIndex_.size(); ++i) sheets_.emplace_back(*this, static_cast<int>(i));
  applyPageSetupNames();
  // The active sheet as saved; the first sheet when the saved index is unusable.
  activeSheet_ = 0;
  for (size_t i = 0; i < sheetIndex_.size(); ++i)
    if (sheetIndex_[i] == biff_.globals.activeSheet) activeSheet_ = static_cast<int>(i);
  // Names collection in Excel's name order; names alike but for their sheet keep file order.
  const auto& names = biff_.globals.names;
  for (size_t i = 0; i < names.size(); ++i) nameOrder_.push_back(i);
  std::stable_sort(nameOrder_.begin(), nameOrder_.end(),
                   [&](size_t a, size_t b) { return nameOrderLess(names[a].name, names[b].name); });
}

void Workbook::buildEnvironment() {
  const WorkbookGlobals& g = biff_.globals;
  for (const BoundSheet& s : g.sheets) env_.sheetNames.push_back(s.name);
  env_.externSheets = g.externSheets;
  for (const ExternalBook& b : g.books) env_.supBooks.push_back(b.info);
  for (const DefinedName& n : g.names) env_.names.push_back({n.name, n.sheetScope});
}

void Workbook::applyPageSetupNames() {
  for (const DefinedName& n : biff_.globals.names) {
    if (!n.builtin || (n.builtinCode != 6 && n.builtinCode != 7) || n.sheetScope < 1) continue;
    auto areas = nameAreas(n.rgce, biff_.globals);
    if (!areas) continue;
    // sheetScope counts BOUNDSHEET entries; find the collection position.
    for (size_t pos = 0; pos < sheetIndex_.size(); ++pos) {
      if (sheetIndex_[pos] != static_cast<size_t>(n.sheetScope - 1)) continue;
      PageSetup& ps = sheets_[pos].pageSetup();
      if (n.builtinCode == 6) {
        ps.printArea = areasAddress(areas->areas);
      } else {
        std::vector<CellArea> rows, cols;
        for (const CellArea& a : areas->areas) (a.isWholeRows() ? rows : cols).push_back(a);
        ps.printTitleRows = areasAddress(rows);
        ps.printTitleColumns = areasAddress(cols);
      }
    }
  }
}

std::string Workbook::name() const {
  size_t p = fullName_.find_last_of("/\\");
  return p == std::string::npos ? fullName_ : fullName_.substr(p + 1);
}

std::string Workbook::path() const {
  size_t p = fullName_.find_last_of("/\\");
  return p == std::string::npos ? std::string() : fullName_.substr(0, p);
}

Worksheet& Workbook::sheet(int index) {
  if (index < 1 || index > sheetCount()) throw VbError(9, "Subscript out of range");
  return sheets_[static_cast<size_t>(index - 1)];
}

const Worksheet& Workbook::sheet(int index) const {
  if (index < 1 || index > sheetCount()) throw VbError(9, "Subscript out of range");
  return sheets_[static_cast<size_t>(index - 1)];
}

Worksheet& Workbook::sheet(const std::string& name) {
  for (Worksheet& s : sheets_)
    if (sameNameNoCase(s.name(), name)) return s;
  throw VbError(9, "Subscript out of range");
}

Worksheet* Workbook::activeSheet() { return sheets_.empty() ? nullptr : &sheets_[static_cast<size_t>(activeSheet_)]; }

void Workbook::setActiveSheet(int index) {
  if (index < 1 || index > sheetCount()) throw VbError(9, "Subscript out of range");
  activeSheet_ = index - 1;
}

std::vector<std::string> Workbook::linkSources(int type) const {
  std::vector<std::string> out;
  auto add = [&](const std::string& s) {
    // A path of only NUL or blank characters marks a SUPBOOK that refers to this workbook or is
    // unused; Excel does not list it as a link source.
    if (s.find_first_not_of(std::string("\0 ", 2)) == std::string::npos) return;
    if (std::find(out.begin(), out.end(), s) == out.end()) out.push_back(s);
  };
  for (const ExternalBook& b : biff_.globals.books) {
    if (type == 1 && b.info.kind == SupBookInfo::Kind::External) add(b.info.fileName);
    if (type == 2 && b.info.kind == SupBookInfo::Kind::OleDde) {
      bool any = false;
      for (size_t i = 0; i < b.info.externNames.size(); ++i) {
        add(b.info.fileName + "!" + b.info.externNames[i]);
        any = true;
      }
      if (!any) add(b.info.fileName);
    }
  }
  return out;
}

Name Workbook::nameItem(int index) const {
  if (index < 1 || index > nameCount()) throw VbError(9, "Subscript out of range");
  return Name(*this, nameOrder_[static_cast<size_t>(index - 1)]);
}

const SheetData& Workbook::sheetData(int index) const { return biff_.sheets.at(static_cast<size_t>(index)); }

bool Workbook::sheetsIncomplete() const {
  if (biff_.globals.cutShort || biff_.globals.sheets.empty()) return true;
  for (const SheetData& s : biff_.sheets)
    if (!s.substreamFound) return true;
  return false;
}

std::vector<std::string> Workbook::warnings() const {
  std::vector<std::string> out = biff_.globals.warnings;
  for (size_t i = 0; i < biff_.sheets.size(); ++i)
    for (const std::string& w : biff_.sheets[i].warnings) out.push_back(biff_.globals.sheets[i].name + ": " + w);
  for (std::string& w : properties_.warnings()) out.push_back(std::move(w));
  // What libgsf logged while reading this file (also later, for the macro project): one line.
  if (std::string libraryDamage = file_->libraryMessages().summary(); !libraryDamage.empty()) out.push_back(libraryDamage);
  return out;
}

size_t Workbook::boundSheetIndex(int index) const { return sheetIndex_.at(static_cast<size_t>(index - 1)); }

std::string Workbook::numberFormatOf(uint16_t xf) const { return numberFormatOfXf(biff_.globals, xf); }

// ---- Application ----------------------------------------------------------------------

Workbook& Application::openWorkbook(const std::string& path) {
  books_.push_back(Workbook::open(path));
  active_ = static_cast<int>(books_.size()) - 1;
  return *books_.back();
}

Workbook& Application::workbook(int index) {
  if (index < 1 || index > workbookCount()) throw VbError(9, "Subscript out of range");
  return *books_[static_cast<size_t>(index - 1)];
}

Workbook* Application::activeWorkbook() { return active_ >= 0 ? books_[static_cast<size_t>(active_)].get() : nullptr; }

Worksheet* Application::activeSheet() {
  Workbook* b = activeWorkbook();
  return b ? b->activeSheet() : nullptr;
}

void Application::quit() {
  books_.clear();
  active_ = -1;
}

}  // namespace zel::xls
