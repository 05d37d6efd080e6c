// Opening a report: definition by name, rows from the file, and the layout that fits its kind.
#include "report/report_document.h"

#include "core/result_file_open.h"
#include "core/vb_error.h"
#include "report/special_layouts.h"

#include <filesystem>

namespace zel::report {
namespace {

constexpr long kUnknownReport = 2103;
constexpr long kCannotOpenDb = 3024;
constexpr long kMissingTable = 3078;

VbError databaseError(const DbError& e) {
  const std::string what = e.what();
  if (what.find("no such table") != std::string::npos) return VbError(kMissingTable, what);
  if ((e.code() & 0xFF) == SQLITE_NOTADB || (e.code() & 0xFF) == SQLITE_CANTOPEN) return VbError(kCannotOpenDb, what);
  return VbError(err::DatabaseError, what);
}

}  // namespace

std::unique_ptr<ReportDocument> ReportDocument::open(const std::string& dbPath, const std::string& reportName,
                                                     TextMeasurer& measurer, const HeaderTexts* header) {
  const ReportDefinition* def = findReport(reportName);
  if (!def) throw VbError(kUnknownReport, "report not found: " + reportName);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(dbPath, ec)) throw VbError(kCannotOpenDb, "result database not found: " + dbPath);
  try {
    ResultDb db = openReportDb(dbPath);
    return std::make_unique<ReportDocument>(loadReportData(db, *def, header), measurer);
  } catch (const DbError& e) {
    throw databaseError(e);
  } catch (const ResultFileError& e) {
    throw VbError(e.kind() == ResultFileError::Kind::MissingTable ? kMissingTable : kCannotOpenDb, e.what());
  }
}

ReportDocument::ReportDocument(ReportData data, TextMeasurer& measurer) : data_(std::move(data)), m_(measurer) {
  if (data_.def->kind == LayoutKind::Table) table_.emplace(data_, m_);
}

ReportDocument::ReportDocument(std::string title, PaperSize paper, std::vector<Page> pages, TextMeasurer& measurer)
    : m_(measurer), preparedPaper_(paper) {
  auto def = std::make_unique<ReportDefinition>();
  def->name = "";
  def->title = "";
  def->kind = LayoutKind::Cover;
  def->orientation = paper.orientation;
  preparedTitle_ = std::move(title);
  def->title = preparedTitle_.c_str();
  preparedDef_ = std::move(def);
  data_.def = preparedDef_.get();
  prepared_ = std::move(pages);
}

PaperSize ReportDocument::paper() const { return prepared_ ? preparedPaper_ : paperFor(data_.def->orientation); }

int ReportDocument::pageCount() {
  if (prepared_) return static_cast<int>(prepared_->size());
  return table_ ? table_->pageCount() : 1;
}

Page ReportDocument::page(int index) {
  if (prepared_) return index >= 0 && index < static_cast<int>(prepared_->size()) ? (*prepared_)[index] : Page{};
  if (table_) return table_->page(index);
  if (index != 0) return {};
  switch (data_.def->kind) {
    case LayoutKind::Cover: return coverPage(data_, m_);
    case LayoutKind::SpineLabel: return spineLabelPage(data_, m_);
    case LayoutKind::WideLabel: return wideLabelPage(data_, m_);
    case LayoutKind::Table: break;
  }
  return {};
}

}  // namespace zel::report
