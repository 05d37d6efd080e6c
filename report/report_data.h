// The rows of a report, read from a result database and turned into a flat list of items
// (section titles, group headings, records, totals) that the paginator places on pages.
#pragma once
#include "core/result_db.h"
#include "core/session_state.h"
#include "report/report_definition.h"

#include <string>
#include <vector>

namespace zel::report {

// What the page header prints besides the report title.
struct HeaderInfo {
  std::string fileName;  // T_XlTitle.FileName ("" when the table has no row)
  std::string title, system, company, bumon, author, createDate;  // as given, else T_XlSaveFlag
  std::string printDate;  // yyyy/mm/dd of the day the report is made
};

enum class ItemKind {
  SectionTitle,  // text = section heading
  GroupHeader,   // level, text = group heading
  Record,        // cells, emphasised
  Subtotal,      // cells (label + totals) closing a group
  GrandTotal,    // cells closing a section
  NoData,        // a section without records
};

struct Item {
  ItemKind kind;
  int section = 0;
  int level = 0;
  std::string text;
  std::vector<std::string> cells;
  bool emphasised = false;
};

struct ReportData {
  const ReportDefinition* def = nullptr;
  HeaderInfo header;
  std::vector<Item> items;
  // The first record's values by field, for the cover and labels (empty strings when no row).
  std::vector<std::pair<std::string, std::string>> firstRecord;
  std::string field(const std::string& name) const;
};

// Opens a result database through the checked open of result files and registers the
// JAPANESE collation. Throws ResultFileError for a file that is not plain result data.
ResultDb openReportDb(const std::string& path);

// The header of the workbook being documented: the texts given (the window's text boxes), else
// those saved with the result (T_XlSaveFlag); the file line from T_XlTitle.
HeaderInfo readHeaderInfo(ResultDb& db, const HeaderTexts* texts = nullptr);

// Runs every section of the definition and builds the item list. Cover and labels without a
// cover row show the header texts.
// Throws DbError when a record source fails (a table missing from the file, say).
ReportData loadReportData(ResultDb& db, const ReportDefinition& def, const HeaderTexts* texts = nullptr);

// Columns a section shows on paper (a card section shows "項目" and "内容").
std::vector<ColumnDef> paperColumns(const SectionDef& section);

// "12", "12.5": the text of a total.
std::string totalText(double value);

}  // namespace zel::report
