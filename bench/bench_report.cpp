// Report rendering on a large module listing: 100 000 rows of T_XlSource to PDF (time and
// pages per second), the time until the first preview page is laid out and drawn, and one
// 1 MB cell split over hundreds of pages.
#include "core/program_folder.h"
#include "core/result_store.h"
#include "report/gui_application.h"
#include "report/qt_text_measurer.h"
#include "report/report_document.h"
#include "report/report_output.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kRows = 100000;

// A program folder with Analyze.mdb holding kRows source lines in 40 modules; removed at exit.
class LargeListing {
 public:
  // rows: source lines of ordinary length; or one line of longLineBytes when that is given.
  explicit LargeListing(size_t longLineBytes = 0) {
    folder_ = std::filesystem::temp_directory_path() /
              ("zel_bench_report_" + std::to_string(getpid()) + "_" + std::to_string(longLineBytes));
    std::filesystem::create_directories(folder_);
    zel::ProgramPaths paths = zel::programPathsFor(folder_.string());
    zel::prepareProgramFolder(paths);
    dbPath_ = paths.DbPath;
    zel::ResultDb db = zel::openAnalyzeDb(paths);
    zel::ResultDb::Run run(db);
    db.clearTable("T_XlSource");
    zel::TableWriter w(db, "T_XlSource");
    const char* kana[] = {"さ", "ア", "ｶ", "い", "Z", "集"};
    if (longLineBytes) {
      std::string text;
      while (text.size() < longLineBytes) text += "Range(\"A1\").Value = \"売上データ\" & i ";
      w.addNew();
      w.set("Label", 1);
      w.set("objectNo", 1);
      w.set("ProcedureNo", 1);
      w.set("Line", 1);
      w.set("objectName", "Module1.bas");
      w.set("ProcedureName", "Main");
      w.set("Procedure", text);
      w.update();
      return;
    }
    for (int i = 1; i <= kRows; ++i) {
      const int module = 1 + (i - 1) / (kRows / 40);
      const int proc = 1 + (i - 1) / 25;
      w.addNew();
      w.set("Label", 1);
      w.set("objectNo", module);
      w.set("ProcedureNo", proc);
      w.set("Line", i);
      w.set("objectName", "Module" + std::to_string(module) + ".bas");
      w.set("ProcedureName", std::string(kana[proc % 6]) + "処理" + std::to_string(proc));
      std::string text = i % 25 == 1 ? "Public Sub 処理" + std::to_string(proc) + "(ByVal 引数 As Long)"
                                     : "    Cells(i, " + std::to_string(i % 50) + ").Value = \"売上データ\" & i";
      if (i % 9 == 0) text += " & WorksheetFunction.VLookup(Range(\"A1\").Value, Sheets(\"マスタ\").Range(\"A:D\"), 4, False) ' 参照";
      w.set("Procedure", text);
      w.update();
    }
  }
  ~LargeListing() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  const std::string& dbPath() const { return dbPath_; }
  std::string pdf(const std::string& name) const { return (folder_ / name).string(); }

 private:
  std::filesystem::path folder_;
  std::string dbPath_;
};

LargeListing& listing() {
  static LargeListing l;
  return l;
}

// Just under the largest value a result file may hold (1 MB); a larger one is refused when read.
LargeListing& longCell() {
  static LargeListing l(1000 * 1000);
  return l;
}

void BM_SourceListingToPdf(benchmark::State& state, const char* report) {
  zel::report::ensureGuiApplication();
  const LargeListing& l = listing();
  int pages = 0;
  for (auto _ : state) {
    auto doc = zel::report::ReportDocument::open(l.dbPath(), report, zel::report::sharedMeasurer());
    std::string error;
    if (!zel::report::writePdf(*doc, l.pdf("out.pdf"), &error)) state.SkipWithError(error.c_str());
    pages = doc->pageCount();
  }
  state.counters["pages"] = pages;
  state.counters["pages_per_s"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
  state.counters["pdf_MB"] = std::filesystem::file_size(l.pdf("out.pdf")) / 1048576.0;
}

// Open the report, paginate it (the page count is shown with the first page) and draw page 1
// at screen resolution: what the preview window does before it appears.
void BM_FirstPreviewPage(benchmark::State& state, const char* report) {
  zel::report::ensureGuiApplication();
  const LargeListing& l = listing();
  int pages = 0;
  for (auto _ : state) {
    auto doc = zel::report::ReportDocument::open(l.dbPath(), report, zel::report::sharedMeasurer());
    pages = doc->pageCount();
    QImage img = zel::report::renderPageImage(*doc, 0, 96.0);
    benchmark::DoNotOptimize(img.constBits());
  }
  state.counters["pages"] = pages;
}

// The parts of the first page: reading and grouping the rows, then paginating them.
void BM_ReadRows(benchmark::State& state, const char* report) {
  zel::report::ensureGuiApplication();
  const LargeListing& l = listing();
  for (auto _ : state) {
    auto doc = zel::report::ReportDocument::open(l.dbPath(), report, zel::report::sharedMeasurer());
    benchmark::DoNotOptimize(doc.get());
  }
}

void BM_Paginate(benchmark::State& state, const char* report) {
  zel::report::ensureGuiApplication();
  const LargeListing& l = listing();
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = zel::report::ReportDocument::open(l.dbPath(), report, zel::report::sharedMeasurer());
    state.ResumeTiming();
    benchmark::DoNotOptimize(doc->pageCount());
  }
}

// One 2 MB source line: wrapped once, split over every page it needs, written to PDF.
void BM_LongCellToPdf(benchmark::State& state) {
  zel::report::ensureGuiApplication();
  const LargeListing& l = longCell();
  int pages = 0;
  for (auto _ : state) {
    auto doc = zel::report::ReportDocument::open(l.dbPath(), "R_SourceList1", zel::report::sharedMeasurer());
    std::string error;
    if (!zel::report::writePdf(*doc, l.pdf("long.pdf"), &error)) state.SkipWithError(error.c_str());
    pages = doc->pageCount();
  }
  state.counters["pages"] = pages;
}

}  // namespace

BENCHMARK(BM_LongCellToPdf)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_ReadRows, one_column, "R_SourceList1")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_ReadRows, syllabary_one_column, "R_SourceList150")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_Paginate, one_column, "R_SourceList1")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_SourceListingToPdf, one_column, "R_SourceList1")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_SourceListingToPdf, two_columns, "R_SourceList")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_FirstPreviewPage, one_column, "R_SourceList1")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_FirstPreviewPage, syllabary_one_column, "R_SourceList150")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_FirstPreviewPage, two_columns, "R_SourceList")->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
