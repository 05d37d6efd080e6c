// Sheet print speed: a generated sheet of 10 000 rows x 8 columns, every cell with borders
// (thin, double, dashed, coloured) and a fill (solid or patterned), some turned text: the
// layout alone, layout + PDF output, and painting with QPainter, with pages per second of
// CPU time over all iterations.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

#include <QImage>
#include <QPainter>

#include "report/gui_application.h"
#include "report/page_painter.h"
#include "report/qt_text_measurer.h"
#include "report/report_document.h"
#include "report/report_output.h"
#include "report/sheet_layout.h"
#include "xls/excel_model.h"
// The test workbook builder is compiled into this program directly: benchmarks do not link
// the test-support library.
#include "support/biff_builder.cpp"
#include "support/vba_builder.cpp"

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 8;

std::unique_ptr<zel::xls::Workbook>& book() {
  static std::unique_ptr<zel::xls::Workbook> b = [] {
    zel::test::BiffBuilder builder;
    uint16_t xfs[4] = {
        builder.cellXf(0x20, 0, 0, 0x1111 | 10u << 16 | 12u << 23, 10 | 10 << 7 | 1u << 26, 13),         // thin red, solid yellow
        builder.cellXf(0x21, 0, 1, 0x6363, 12 << 7 | 2u << 26, 10 | 13 << 7),                            // double/dashed, 50 %
        builder.cellXf(0x12, 45, 0, 0x2222, 7u << 26, 0x30 | 0x28 << 7),                               // turned, diagonal
        builder.cellXf(0x20, 0, 0x10, 0x1717, 17u << 26, 0x16 | 0x41 << 7)};                           // hair, 12.5 %
    int s = builder.addSheet("S");
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kColumns; ++c) {
        const uint16_t xf = xfs[(r + c) % 4];
        if (c % 2) builder.number(s, static_cast<uint16_t>(r), static_cast<uint16_t>(c), r * 10.5 + c, xf);
        else builder.label(s, static_cast<uint16_t>(r), static_cast<uint16_t>(c), "行" + std::to_string(r) + " text", xf);
      }
    return zel::xls::Workbook::openMemory(builder.toBytes());
  }();
  return b;
}

void BM_SheetLayout(benchmark::State& state) {
  zel::report::ensureGuiApplication();
  const zel::xls::Worksheet& s = book()->sheet("S");
  zel::report::QtSheetMetrics m;
  size_t pages = 0;
  for (auto _ : state) {
    auto out = zel::report::layoutSheet(s, zel::report::sheetPrintSetup(s, 100), {}, m);
    pages = out.pages.size();
    benchmark::DoNotOptimize(out.pages.data());
  }
  state.counters["pages"] = static_cast<double>(pages);
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(pages * state.iterations()), benchmark::Counter::kIsRate);
}

void BM_SheetToPdf(benchmark::State& state) {
  zel::report::ensureGuiApplication();
  const zel::xls::Worksheet& s = book()->sheet("S");
  zel::report::QtSheetMetrics m;
  const std::string pdf = (std::filesystem::temp_directory_path() / ("zel_bench_sheet_" + std::to_string(getpid()) + ".pdf")).string();
  size_t pages = 0;
  for (auto _ : state) {
    auto out = zel::report::layoutSheet(s, zel::report::sheetPrintSetup(s, 100), {}, m);
    pages = out.pages.size();
    zel::report::ReportDocument doc(std::move(out.title), out.paper, std::move(out.pages), zel::report::sharedMeasurer());
    std::string error;
    if (!zel::report::writePdf(doc, pdf, &error)) state.SkipWithError(error.c_str());
  }
  state.counters["pages"] = static_cast<double>(pages);
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(pages * state.iterations()), benchmark::Counter::kIsRate);
  state.counters["pdf_MB"] = static_cast<double>(std::filesystem::file_size(pdf)) / 1048576.0;
  std::filesystem::remove(pdf);
}

// The QPainter path (preview, printing, PNG): every page painted at 150 dpi.
void BM_SheetPaintQt(benchmark::State& state) {
  zel::report::ensureGuiApplication();
  const zel::xls::Worksheet& s = book()->sheet("S");
  zel::report::QtSheetMetrics m;
  auto out = zel::report::layoutSheet(s, zel::report::sheetPrintSetup(s, 100), {}, m);
  const double dpm = 150 / 25.4;
  QImage img(static_cast<int>(out.paper.widthMm * dpm), static_cast<int>(out.paper.heightMm * dpm), QImage::Format_RGB32);
  for (auto _ : state) {
    for (const auto& page : out.pages) {
      img.fill(Qt::white);
      QPainter p(&img);
      zel::report::paintPage(p, page, dpm);
    }
  }
  state.counters["pages"] = static_cast<double>(out.pages.size());
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(out.pages.size() * state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_SheetLayout)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SheetToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SheetPaintQt)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
