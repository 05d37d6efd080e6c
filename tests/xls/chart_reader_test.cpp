// Chart records of real workbooks read into the chart model (expectations taken from the
// files' cells and from LibreOffice's reading of the same charts), and damaged chart records
// read without harm.
#include "reader_test_support.h"
#include "support/biff_builder.h"
#include "xls/chart/chart_model.h"
#include "xls/excel_model.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace zel::xls;
using chart::ChartType;

namespace {

std::vector<double> valuesOf(const chart::ChartSeries& s) {
  std::vector<double> out;
  for (const auto& v : s.values) out.push_back(v.value_or(-1));
  return out;
}

const chart::ChartModel* embeddedChart(const Workbook& book, int sheet) {
  for (const auto& s : book.sheet(sheet).drawing().shapes)
    if (s.chart) return s.chart.get();
  return nullptr;
}

TEST(ChartReader, ChartSheetsReadTypeTitleSeriesAndValues) {
  auto book = Workbook::open(std::string(ZEL_TEST_DATA) + "/44010-TwoCharts.xls");
  const chart::ChartModel* scatter = book->sheet("Graph1").chart();
  ASSERT_TRUE(scatter);
  ASSERT_EQ(scatter->groups.size(), 1u);
  EXPECT_EQ(scatter->groups[0].type, ChartType::Scatter);
  EXPECT_EQ(scatter->title, "taux");
  ASSERT_EQ(scatter->series.size(), 1u);
  EXPECT_EQ(scatter->series[0].name, "taux");
  // D2:D10 and C2:C10 of auto_1; D2 and C2 are blank (a gap), D3 = 46.4, C3 = 4.
  ASSERT_EQ(scatter->series[0].values.size(), 9u);
  EXPECT_FALSE(scatter->series[0].values[0].has_value());
  EXPECT_DOUBLE_EQ(scatter->series[0].values[1].value_or(0), 46.4);
  EXPECT_DOUBLE_EQ(scatter->series[0].values[4].value_or(0), 48.3);
  ASSERT_EQ(scatter->series[0].xValues.size(), 9u);
  EXPECT_DOUBLE_EQ(scatter->series[0].xValues[1].value_or(0), 4);

  const chart::ChartModel* line = book->sheet("Graph2").chart();
  ASSERT_TRUE(line);
  EXPECT_EQ(line->groups.at(0).type, ChartType::Line);
  EXPECT_EQ(line->title, "TEST");
  ASSERT_EQ(line->series.size(), 2u);
  EXPECT_EQ(line->series[0].name, "Nombre de cycles");
  EXPECT_EQ(line->series[1].name, "taux");
  EXPECT_DOUBLE_EQ(line->series[0].values.at(5).value_or(0), 5);
  EXPECT_TRUE(line->warnings.empty());
}

TEST(ChartReader, EmbeddedChartsOfEachSheetWithTheirTypes) {
  auto book = Workbook::open(std::string(ZEL_TEST_DATA) + "/WithThreeCharts.xls");
  // Sheet2 holds a line and a pie chart, Sheet3 an area chart; Sheet1 only their data.
  EXPECT_TRUE(book->sheet(1).drawing().shapes.empty());
  ASSERT_EQ(book->sheet(2).drawing().shapes.size(), 2u);
  const chart::ChartModel* line = book->sheet(2).drawing().shapes[0].chart.get();
  const chart::ChartModel* pie = book->sheet(2).drawing().shapes[1].chart.get();
  const chart::ChartModel* area = embeddedChart(*book, 3);
  ASSERT_TRUE(line && pie && area);
  EXPECT_EQ(line->groups.at(0).type, ChartType::Line);
  ASSERT_EQ(line->series.size(), 2u);
  EXPECT_EQ(line->series[0].name, "1st Column");
  EXPECT_EQ(valuesOf(line->series[1]), (std::vector<double>{10, 12, 14, 9, 15, 17}));
  EXPECT_TRUE(line->hasLegend);

  EXPECT_EQ(pie->groups.at(0).type, ChartType::Pie);
  EXPECT_EQ(pie->title, "Pie Chart Title Thingy");
  ASSERT_EQ(pie->series.size(), 1u);
  EXPECT_EQ(valuesOf(pie->series[0]), (std::vector<double>{10, 12, 14, 9, 15, 17}));

  EXPECT_EQ(area->groups.at(0).type, ChartType::Area);
  EXPECT_EQ(area->title, "Sheet 3 Chart with Title");
  ASSERT_EQ(area->series.size(), 2u);
  EXPECT_EQ(area->series[1].name, "Squares");  // second in plot order, first in the records
  EXPECT_EQ(valuesOf(area->series[1]), (std::vector<double>{25, 36, 49, 64, 81, 100}));
}

TEST(ChartReader, NumberFormatsAndPulledOutSlicesAsTheRecordsSay) {
  auto book = Workbook::open(std::string(ZEL_TEST_DATA) + "/44861.xls");
  std::vector<const chart::ChartModel*> charts;
  for (const auto& s : book->sheet("reporting").drawing().shapes)
    if (s.chart) charts.push_back(s.chart.get());
  ASSERT_EQ(charts.size(), 3u);
  // The 3-D pie: PieFormat 25 for the series and each point; the other pie lies whole.
  const chart::ChartModel& pulled = *charts[0];
  EXPECT_EQ(pulled.groups.at(0).type, ChartType::Pie);
  EXPECT_EQ(pulled.series.at(0).format.explodePercent, 25);
  EXPECT_EQ(pulled.series[0].pointFormats.at(1).explodePercent, 25);
  EXPECT_EQ(charts[2]->series.at(0).format.explodePercent.value_or(0), 0);
  // Its points' formats say nothing of labels: they show the series' value labels.
  EXPECT_TRUE(charts[2]->series[0].format.valueLabels);
  EXPECT_TRUE(charts[2]->series[0].pointFormats.at(1).valueLabels);
  // The columns: the category axis has IFmt 17 of its own, the value axis none (linked to the
  // values, whose cells show 0.00%); the data labels keep the cells' format (BRAI unlinked bit
  // clear). LibreOffice shows "Apr-07" and "1.31%" for the first point.
  const chart::ChartModel& columns = *charts[1];
  EXPECT_EQ(columns.groups.at(0).type, ChartType::Column);
  EXPECT_EQ(columns.categoryAxis.formatIndex, 17);
  EXPECT_EQ(columns.categoryAxis.numberFormat, "mmm-yy");
  EXPECT_FALSE(columns.valueAxis.formatIndex);
  const chart::ChartSeries& s = columns.series.at(0);
  EXPECT_EQ(s.valueFormatIndex, 10);
  EXPECT_EQ(s.valueFormat, "0.00%");
  EXPECT_TRUE(s.format.valueLabels);
  EXPECT_FALSE(s.format.labelFormatIndex);
  EXPECT_EQ(s.categories.at(0), "Apr-07");
}

// Chart records with bytes in little-endian order.
std::vector<uint8_t> le(std::initializer_list<uint32_t> words, size_t width) {
  std::vector<uint8_t> out;
  for (uint32_t w : words)
    for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(w >> (8 * i)));
  return out;
}

TEST(ChartReader, DamagedAndHostileChartRecordsAreBounded) {
  zel::test::BiffBuilder b;
  b.addSheet("Sheet1");
  const int sheet = b.addSheet("Chart1", zel::test::BiffBuilder::Visible, zel::test::BiffBuilder::Chart);
  b.addRecord(sheet, 0x1002, std::vector<uint8_t>(16, 0));  // Chart
  b.addRecord(sheet, 0x1033, {});                            // Begin
  // A series claiming 65535 values: the cache fills only what it holds.
  b.addRecord(sheet, 0x1003, le({1, 1, 65535, 65535, 1, 0}, 2));
  b.addRecord(sheet, 0x1033, {});
  b.addRecord(sheet, 0x1007, {1, 2});                        // LineFormat cut short
  b.addRecord(sheet, 0x1034, {});
  b.addRecord(sheet, 0x1014, std::vector<uint8_t>(20, 0));   // ChartFormat
  b.addRecord(sheet, 0x1033, {});
  b.addRecord(sheet, 0x1017, le({0, 150, 0x0006}, 2));       // Bar: stacked, 100 %
  b.addRecord(sheet, 0x1034, {});
  for (int i = 0; i < 200; ++i) b.addRecord(sheet, 0x1033, {});  // nested past any sense
  b.addRecord(sheet, 0x1065, le({1}, 2));                    // SIIndex: values
  std::vector<uint8_t> number = le({60000, 0, 0}, 2);        // point far past the limit
  number.resize(14, 0);
  b.addRecord(sheet, 0x0203, number);
  number[0] = 1;
  number[1] = 0;
  number[13] = 0x40;                                         // point 1 = 2.0
  b.addRecord(sheet, 0x0203, number);
  auto book = Workbook::openMemory(b.toBytes());
  const chart::ChartModel* c = book->sheet("Chart1").chart();
  ASSERT_TRUE(c);
  ASSERT_EQ(c->groups.size(), 1u);
  EXPECT_EQ(c->groups[0].type, ChartType::Column);
  EXPECT_EQ(c->groups[0].grouping, chart::Grouping::Percent);
  ASSERT_EQ(c->series.size(), 1u);
  EXPECT_LE(c->series[0].values.size(), chart::kMaxPoints);
  EXPECT_DOUBLE_EQ(c->series[0].values.at(1).value_or(0), 2.0);
  EXPECT_FALSE(c->warnings.empty());
}

}  // namespace
