// Program folder, result database and recorded progress for the workbook analysis tests.
#pragma once
#include "core/result_store.h"
#include "support/temp_dir.h"
#include "workbook/model_book_view.h"
#include "workbook/workbook_context.h"

#include <memory>
#include <string>
#include <vector>

namespace zel::test {

// Records every gauge value and status text.
class RecordingProgress final : public Progress {
 public:
  std::vector<long> gauge;
  std::vector<std::string> status;
  void showGauge(long percent) override { gauge.push_back(percent); }
  void setStatus(std::string_view text) override { status.emplace_back(text); }
};

struct AnalysisFixture {
  TempDir home;
  ProgramPaths paths = programPathsFor(home.str() + "prog");
  ResultDb db;
  RecordingProgress progress;
  AnalysisOptions options;
  DoneFlags flags;
  std::string cellSheetName;

  AnalysisFixture() {
    prepareProgramFolder(paths);
    db = openAnalyzeDb(paths);
  }
  workbook::RunContext ctx(const std::string& book = {}) {
    return workbook::RunContext{db, progress, options, flags, paths, book, {}};
  }
  // Rows of a query as display texts ("" for Null).
  std::vector<std::vector<std::string>> rows(const std::string& sql) {
    std::vector<std::vector<std::string>> out;
    for (auto& r : db.query(sql)) {
      std::vector<std::string> t;
      for (auto& v : r) t.push_back(dbValueText(v));
      out.push_back(t);
    }
    return out;
  }
  int64_t count(const std::string& table) { return std::get<int64_t>(db.query("SELECT COUNT(*) FROM " + table)[0][0]); }
};

// A corpus workbook of tests/data opened by the reader, with its view.
struct OpenedBook {
  std::unique_ptr<xls::Workbook> book;
  std::unique_ptr<workbook::ModelBookView> view;
  explicit OpenedBook(const std::string& name)
      : book(xls::Workbook::open(dataFile(name))), view(std::make_unique<workbook::ModelBookView>(*book)) {}
};

}  // namespace zel::test
