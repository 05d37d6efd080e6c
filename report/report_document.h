// A report ready to show: its rows read once, its pages laid out on demand.
#pragma once
#include "report/page_model.h"
#include "report/report_data.h"
#include "report/table_paginator.h"
#include "report/text_measure.h"

#include <memory>
#include <optional>
#include <string>

namespace zel::report {

class ReportDocument {
 public:
  // Reads the report's rows from the database file (opened read-only).
  // Throws zel::VbError: 2103 unknown report, 3024 file missing or not a result database,
  // 3078 a table missing from it, 3000 any other database failure.
  // header: the page headers' texts (the window's text boxes); nullptr: those saved in the file.
  static std::unique_ptr<ReportDocument> open(const std::string& dbPath, const std::string& reportName,
                                              TextMeasurer& measurer, const HeaderTexts* header = nullptr);
  ReportDocument(ReportData data, TextMeasurer& measurer);
  // A document of pages laid out elsewhere (a printed sheet): title, paper and pages as given.
  ReportDocument(std::string title, PaperSize paper, std::vector<Page> pages, TextMeasurer& measurer);

  const ReportDefinition& definition() const { return *data_.def; }
  const ReportData& data() const { return data_; }
  PaperSize paper() const;
  int pageCount();
  Page page(int index);

 private:
  ReportData data_;
  TextMeasurer& m_;
  std::optional<TablePaginator> table_;
  std::unique_ptr<ReportDefinition> preparedDef_;
  std::optional<std::vector<Page>> prepared_;
  PaperSize preparedPaper_;
  std::string preparedTitle_;
};

}  // namespace zel::report
