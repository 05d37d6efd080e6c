// Shared set-up of the report tests.
#include "report_fixture.h"

#include "core/program_folder.h"
#include "core/result_store.h"
#include "report/qt_text_measurer.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zel::report::test {

namespace {

std::unique_ptr<QApplication>& appHolder() {
  static std::unique_ptr<QApplication> app;
  return app;
}

// The QApplication ends with the tests, before the program's exit handlers run: destroyed
// among static objects it crashes in Qt's own clean-up of its input devices.
class AppTearDown final : public ::testing::Environment {
 public:
  void TearDown() override { appHolder().reset(); }
};

// gtest owns registered environments.
::testing::Environment* const appTearDown = ::testing::AddGlobalTestEnvironment(new AppTearDown);

}  // namespace

void ensureApp() {
  if (QCoreApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "test_report";
  static char* argv[] = {name, nullptr};
  appHolder() = std::make_unique<QApplication>(argc, argv);
}

void ReportTest::SetUp() {
  ensureApp();
  ProgramPaths paths = programPathsFor(dir_.str());
  ASSERT_TRUE(prepareProgramFolder(paths));
  dbPath_ = paths.DbPath;
  db_ = std::make_unique<ResultDb>(openAnalyzeDb(paths));
}

void ReportTest::addRow(const std::string& table, const std::vector<std::pair<std::string, DbValue>>& fields) {
  TableWriter w(*db_, table);
  w.addNew();
  for (const auto& [k, v] : fields) w.set(k, v);
  w.update();
}

std::unique_ptr<ReportDocument> ReportTest::open(const std::string& report, const HeaderTexts* header) {
  return ReportDocument::open(dbPath_, report, sharedMeasurer(), header);
}

std::vector<std::string> textsOf(const Page& p) {
  std::vector<std::string> out;
  for (const auto& t : p.texts) out.push_back(t.text);
  return out;
}

std::vector<std::string> allTexts(ReportDocument& doc) {
  std::vector<std::string> out;
  for (int i = 0; i < doc.pageCount(); ++i) {
    auto t = textsOf(doc.page(i));
    out.insert(out.end(), t.begin(), t.end());
  }
  return out;
}

int indexOf(const std::vector<std::string>& texts, const std::string& s, size_t from) {
  for (size_t i = from; i < texts.size(); ++i)
    if (texts[i] == s) return static_cast<int>(i);
  return -1;
}

int countOf(const std::vector<std::string>& texts, const std::string& s) {
  return static_cast<int>(std::count(texts.begin(), texts.end(), s));
}

DbValue txt(const std::string& s) { return DbValue(s); }
DbValue num(long long v) { return DbValue(static_cast<int64_t>(v)); }

std::string commandOutput(const std::string& cmd) {
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
  std::string out;
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p.get())) > 0) out.append(buf, n);
  return out;
}

}  // namespace zel::report::test
