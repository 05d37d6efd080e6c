// Helpers of the report tests: a Qt application, a result database in a temporary program
// folder, and readers of the laid-out pages.
#pragma once
#include "core/result_db.h"
#include "report/page_model.h"
#include "report/report_document.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zel::report::test {

// A QApplication for the whole test program (widgets and fonts).
void ensureApp();

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  ResultDb& db() { return *db_; }
  std::string dbPath() const { return dbPath_; }
  // Appends one row; values by field name.
  void addRow(const std::string& table, const std::vector<std::pair<std::string, DbValue>>& fields);
  // Closes the writer connection (the report opens the file read-only itself).
  std::unique_ptr<ReportDocument> open(const std::string& report, const HeaderTexts* header = nullptr);

  zel::test::TempDir dir_;
  std::unique_ptr<ResultDb> db_;
  std::string dbPath_;
};

// Every text of a page, in the order the page holds them.
std::vector<std::string> textsOf(const Page& p);
// Texts of all pages.
std::vector<std::string> allTexts(ReportDocument& doc);
// Index of the first text equal to s at or after `from`, or -1.
int indexOf(const std::vector<std::string>& texts, const std::string& s, size_t from = 0);
int countOf(const std::vector<std::string>& texts, const std::string& s);

// Standard output of a shell command (an empty string when it cannot run).
std::string commandOutput(const std::string& cmd);

DbValue txt(const std::string& s);
DbValue num(long long v);

}  // namespace zel::report::test
