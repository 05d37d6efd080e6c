// Chart printing cost: a column chart and a line chart of 4 series x 24 points drawn into the
// page model, and a page holding such a chart written to PDF (per page, compared with an
// empty page).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

#include "report/gui_application.h"
#include "report/qt_text_measurer.h"
#include "report/report_document.h"
#include "report/report_output.h"
#include "report/sheet_chart.h"

namespace {

zel::xls::chart::ChartModel sampleChart(zel::xls::chart::ChartType type) {
  zel::xls::chart::ChartModel c;
  c.groups.push_back({});
  c.groups[0].type = type;
  c.hasTitle = true;
  c.title = "売上の推移";
  c.hasLegend = true;
  c.valueAxis.majorGridlines = true;
  for (int s = 0; s < 4; ++s) {
    zel::xls::chart::ChartSeries series;
    series.name = "系列" + std::to_string(s + 1);
    series.formatIndex = s;
    for (int i = 0; i < 24; ++i) {
      series.values.push_back(100.0 + 37.0 * s + (i * 13 % 29));
      series.categories.push_back(std::to_string(i + 1) + "月");
    }
    c.series.push_back(std::move(series));
  }
  c.autoFills = {0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF};
  c.autoLines = {0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF};
  return c;
}

void BM_ChartDraw(benchmark::State& state) {
  const auto chart = sampleChart(state.range(0) ? zel::xls::chart::ChartType::Line : zel::xls::chart::ChartType::Column);
  for (auto _ : state) {
    auto pic = zel::report::drawChart(chart, 180, 120, {"Noto Sans CJK JP", 10});
    benchmark::DoNotOptimize(pic.paths.data());
  }
}

// Pages of one chart each (range 1) or empty pages (range 0), written to one PDF.
void BM_ChartPagesToPdf(benchmark::State& state) {
  constexpr int kPages = 20;
  zel::report::ensureGuiApplication();
  const auto chart = sampleChart(zel::xls::chart::ChartType::Column);
  const std::string pdf = (std::filesystem::temp_directory_path() / ("zel_bench_chart_" + std::to_string(getpid()) + ".pdf")).string();
  for (auto _ : state) {
    std::vector<zel::report::Page> pages(kPages);
    if (state.range(0)) {
      for (auto& p : pages) {
        zel::report::PageShape s;
        s.kind = zel::report::PageShape::Kind::Chart;
        s.box = {15, 20, 180, 120};
        s.chart = std::make_shared<const zel::report::ChartPicture>(zel::report::drawChart(chart, 180, 120, {"Noto Sans CJK JP", 10}));
        p.shapes.push_back(std::move(s));
      }
    }
    zel::report::ReportDocument doc("chart", zel::report::PaperSize{}, std::move(pages), zel::report::sharedMeasurer());
    std::string error;
    if (!zel::report::writePdf(doc, pdf, &error)) state.SkipWithError(error.c_str());
  }
  // Seconds per page over all iterations (shown with a unit prefix: "3.1m" is 3.1 ms).
  state.counters["s_per_page"] = benchmark::Counter(kPages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  std::filesystem::remove(pdf);
}

}  // namespace

BENCHMARK(BM_ChartDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChartPagesToPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
