// The drawing layer on the printed sheet: pictures of the workbook's picture store, shapes
// placed by their anchors, and a damaged store read without harm.
#include "report/sheet_chart.h"
#include "report/sheet_layout.h"
#include "sheet_print_fixture.h"
#include "xls/drawing/picture_store.h"
#include "xls/excel_model.h"

#include <gtest/gtest.h>

#include <QImage>

#include <map>
#include <set>
#include <tuple>

using namespace zel;
using report::PageShape;

namespace {

report::SheetPages layoutFirstSheet(const xls::Workbook& book) {
  const xls::Worksheet& s = book.sheet(1);
  test::FixedSheetMetrics m;
  return report::layoutSheet(s, report::sheetPrintSetup(s, 100), {}, m);
}

std::vector<const PageShape*> shapesOf(const report::SheetPages& pages) {
  std::vector<const PageShape*> out;
  for (const auto& p : pages.pages)
    for (const auto& s : p.shapes) out.push_back(&s);
  return out;
}

TEST(SheetShapes, StoredPicturesPrintAsImagesInsideThePage) {
  auto book = xls::Workbook::open(std::string(ZEL_TEST_DATA) + "/SimpleWithImages.xls");
  std::set<xls::drawing::PictureFormat> formats;
  for (const auto& p : book->pictures().pictures) formats.insert(p.format);
  EXPECT_TRUE(formats.count(xls::drawing::PictureFormat::Png));
  EXPECT_TRUE(formats.count(xls::drawing::PictureFormat::Jpeg));
  test::ensureWidgetApplication();
  auto pages = layoutFirstSheet(*book);
  int pictures = 0;
  for (const PageShape* s : shapesOf(pages)) {
    if (s->kind != PageShape::Kind::Picture) continue;
    ++pictures;
    ASSERT_TRUE(s->image);
    QImage img;
    EXPECT_TRUE(img.loadFromData(s->image->data(), static_cast<int>(s->image->size())));
    EXPECT_GT(s->box.w, 1);
    EXPECT_GT(s->box.h, 1);
  }
  EXPECT_GE(pictures, 2);
  // The WMF and EMF pictures print as a framed placeholder with its name, and says so.
  int placeholders = 0;
  for (const PageShape* s : shapesOf(pages))
    if (s->kind == PageShape::Kind::Placeholder && s->caption.find("Picture 5") != std::string::npos) ++placeholders;
  EXPECT_GE(placeholders, 1);
  ASSERT_FALSE(pages.warnings.empty());
  for (const auto& w : pages.warnings) EXPECT_TRUE(w.find("WMF") != std::string::npos || w.find("EMF") != std::string::npos) << w;
}

TEST(SheetShapes, ShapesLieOnThePagesTheirAnchorsReach) {
  auto book = xls::Workbook::open(std::string(ZEL_TEST_DATA) + "/SheetWithDrawing.xls");
  auto pages = layoutFirstSheet(*book);
  auto shapes = shapesOf(pages);
  ASSERT_FALSE(shapes.empty());
  std::set<PageShape::Kind> kinds;
  for (const PageShape* s : shapes) kinds.insert(s->kind);
  for (const PageShape* s : shapes) {
    // Every shape lies on the page, right of the row headings and below the column headings.
    EXPECT_GE(s->box.x + s->box.w, s->clip.x);
    EXPECT_GE(s->box.y + s->box.h, s->clip.y);
  }
  EXPECT_TRUE(kinds.count(PageShape::Kind::Picture));
}

TEST(SheetShapes, DamagedPictureStoreIsReadWithoutHarm) {
  // DggContainer > BStoreContainer > FBSE holding a PNG BLIP; then cut at every length.
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 1, 2, 3};
  std::vector<uint8_t> blip = {0x00, 0x6E, 0x1E, 0xF0};
  const uint32_t blipLen = 16 + 1 + static_cast<uint32_t>(png.size());
  for (int i = 0; i < 4; ++i) blip.push_back(static_cast<uint8_t>(blipLen >> (8 * i)));
  blip.insert(blip.end(), 17, 0xAB);
  blip.insert(blip.end(), png.begin(), png.end());
  std::vector<uint8_t> fbse = {0x62, 0x00, 0x07, 0xF0};
  const uint32_t fbseLen = 36 + static_cast<uint32_t>(blip.size());
  for (int i = 0; i < 4; ++i) fbse.push_back(static_cast<uint8_t>(fbseLen >> (8 * i)));
  fbse.insert(fbse.end(), 36, 0);
  fbse.insert(fbse.end(), blip.begin(), blip.end());
  auto wrap = [](uint16_t type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out = {0x0F, 0x00, static_cast<uint8_t>(type), static_cast<uint8_t>(type >> 8)};
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(body.size() >> (8 * i)));
    out.insert(out.end(), body.begin(), body.end());
    return out;
  };
  const std::vector<uint8_t> whole = wrap(0xF000, wrap(0xF001, fbse));
  auto store = xls::drawing::readPictureStore(whole);
  ASSERT_EQ(store.pictures.size(), 1u);
  EXPECT_EQ(store.at(1)->format, xls::drawing::PictureFormat::Png);
  EXPECT_EQ(store.at(1)->data, png);
  EXPECT_EQ(store.at(2), nullptr);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    auto part = xls::drawing::readPictureStore(std::span(whole.data(), cut));
    for (const auto& p : part.pictures) EXPECT_LE(p.data.size(), png.size());
  }
}

}  // namespace

namespace {

// The drawn boxes of a chart filled with a colour (bars and legend keys).
std::vector<report::BoxMm> filledBoxes(const report::ChartPicture& pic, uint32_t rgb) {
  std::vector<report::BoxMm> out;
  for (const auto& p : pic.paths) {
    if (!p.closed || p.fillRgb != rgb || p.points.size() != 4) continue;
    const auto& a = p.points[0];
    const auto& c = p.points[2];
    out.push_back({a.x, a.y, c.x - a.x, c.y - a.y});
  }
  return out;
}

TEST(SheetChart, ColumnsStandWhereTheValuesSayAndTheLegendNamesTheSeries) {
  xls::chart::ChartModel c;
  c.groups.push_back({});
  c.groups[0].type = xls::chart::ChartType::Column;
  xls::chart::ChartSeries s;
  s.name = "Sales";
  s.values = {1.0, 4.0, std::nullopt, 2.0};
  s.categories = {"A", "B", "C", "D"};
  s.format.fillRgb = 0x123456;
  c.series.push_back(s);
  c.hasLegend = true;
  c.hasTitle = true;
  c.title = "Totals";
  const report::ChartPicture pic = report::drawChart(c, 120, 80, {"Noto Sans", 10});
  std::vector<report::BoxMm> boxes = filledBoxes(pic, 0x123456);
  ASSERT_EQ(boxes.size(), 4u);  // three columns (a blank is a gap) and the legend key
  std::sort(boxes.begin(), boxes.end(), [](const auto& a, const auto& b) { return a.h > b.h; });
  // Columns share their base line; heights in proportion to the values.
  EXPECT_NEAR(boxes[0].bottom(), boxes[1].bottom(), 1e-6);
  EXPECT_NEAR(boxes[0].h / boxes[2].h, 4.0, 1e-6);
  EXPECT_NEAR(boxes[1].h / boxes[2].h, 2.0, 1e-6);
  // In category order: A, B, (gap), D.
  EXPECT_LT(boxes[2].x, boxes[0].x);
  EXPECT_LT(boxes[0].x, boxes[1].x);
  std::set<std::string> texts;
  for (const auto& t : pic.texts) texts.insert(t.text);
  for (const char* want : {"Sales", "Totals", "A", "D"}) EXPECT_TRUE(texts.count(want)) << want;
  // The scale's top label is at or above the highest value.
  const report::AxisScale scale = report::valueAxisScale(1, 4, c.valueAxis);
  EXPECT_GE(scale.max, 4);
  EXPECT_EQ(scale.min, 0);

  // A negative column reaching the scale's bottom: its label, below the column's end, is pushed
  // back into the plot area instead of over the category labels.
  const double lowest = report::valueAxisScale(-4, 4, c.valueAxis).min;
  c.series[0].values = {1.0, 4.0, lowest};
  c.series[0].categories = {"A", "B", "C"};
  c.series[0].format.valueLabels = true;
  c.hasLegend = c.hasTitle = false;
  const report::ChartPicture labelled = report::drawChart(c, 120, 80, {"Noto Sans", 10});
  const report::PageText *low = nullptr, *category = nullptr;
  for (const auto& t : labelled.texts) {  // the data label right of the axis label of the same text
    if (t.text == std::to_string(static_cast<int>(lowest)) && (!low || t.box.x > low->box.x)) low = &t;
    if (t.text == "C") category = &t;
  }
  ASSERT_TRUE(low && category);
  EXPECT_LE(low->box.bottom(), category->box.y + 1e-6);
}

// The corners where a pie's slices meet (the last point of each slice's outline), drawn
// without legend and chart area so that every closed path is a slice.
std::set<std::pair<long, long>> sliceTips(xls::chart::ChartModel pie) {
  pie.hasLegend = false;
  pie.groups.at(0).view3d.reset();  // a 3-D pie's walls are closed paths too
  pie.chartAreaFill.reset();
  pie.chartAreaBorder = false;
  std::set<std::pair<long, long>> out;
  for (const auto& p : report::drawChart(pie, 120, 80, {"Noto Sans", 8}).paths)
    if (p.closed) out.insert({std::lround(p.points.back().x * 100), std::lround(p.points.back().y * 100)});
  return out;
}

TEST(SheetChart, LabelsInTheirNumberFormatsAndSlicesPulledOut) {
  auto book = xls::Workbook::open(std::string(ZEL_TEST_DATA) + "/44861.xls");
  std::vector<const xls::chart::ChartModel*> charts;
  for (const auto& s : book->sheet("reporting").drawing().shapes)
    if (s.chart) charts.push_back(s.chart.get());
  ASSERT_EQ(charts.size(), 3u);
  // Columns: value axis linked to the percent cells, dates by the axis's mmm-yy, data labels
  // as the cells show them (as LibreOffice prints the same chart).
  const report::ChartPicture columns = report::drawChart(*charts[1], 180, 100, {"Noto Sans", 8});
  std::set<std::string> texts;
  for (const auto& t : columns.texts) texts.insert(t.text);
  for (const char* want : {"10.00%", "-10.00%", "Apr-07", "1.31%", "-4.04%"}) EXPECT_TRUE(texts.count(want)) << want;
  // The pulled-out pie's slices meet nowhere; the whole pie's all meet at its centre.
  EXPECT_EQ(sliceTips(*charts[2]).size(), 1u);
  size_t slices = 0;
  for (const auto& v : charts[0]->series.at(0).values) slices += v.value_or(0) != 0;
  EXPECT_EQ(sliceTips(*charts[0]).size(), slices);
  EXPECT_GT(slices, 2u);
}

// Pie data labels where their records put them: labels moved by hand (placement 10) outside
// with leader lines, as the pie's flag asks; default placement inside the slices that hold
// them and outside the thin ones; the pie shrinks to leave the outside labels room; labels of
// thin neighbouring slices are moved apart.
TEST(SheetChart, PieLabelsSitWhereTheirPlacementSays) {
  auto pieOf = [](const std::string& file, const std::string& sheet) -> std::shared_ptr<const xls::chart::ChartModel> {
    auto book = xls::Workbook::open(std::string(ZEL_TEST_DATA) + "/" + file);
    for (const auto& s : book->sheet(sheet).drawing().shapes)
      if (s.chart && !s.chart->groups.empty() && s.chart->groups[0].type == xls::chart::ChartType::Pie) return s.chart;
    return nullptr;
  };
  // Distances of the labels' middles from the pie's middle, in units of its radius.
  // Drawn without title, legend and chart area: the closed paths are the slices, the open ones leaders.
  // Measured on the pie drawn flat; labels are kept apart on the 3-D pie as well.
  auto labelReach = [](xls::chart::ChartModel c, size_t* leaders = nullptr) {
    c.hasTitle = c.hasLegend = c.chartAreaBorder = false;
    c.chartAreaFill.reset();
    std::map<std::string, double> out;
    for (const bool flat : {true, false}) {
      if (!flat && !c.groups.at(0).view3d) break;
      xls::chart::ChartModel drawn = c;
      if (flat) drawn.groups.at(0).view3d.reset();
      const report::ChartPicture pic = report::drawChart(drawn, 160, 100, {"Noto Sans", 8});
      report::PointMm middle{};
      double r = 0;
      for (const auto& p : pic.paths) {
        if (p.closed) {
          middle = p.points.back();
          r = std::hypot(p.points.front().x - middle.x, p.points.front().y - middle.y);
        } else if (leaders && flat) {
          ++*leaders;
        }
      }
      std::vector<report::BoxMm> boxes;
      for (const auto& t : pic.texts)
        if (t.text.find('%') != std::string::npos && r > 0) {
          if (flat) out[t.text] = std::hypot(t.box.x + t.box.w / 2 - middle.x, t.box.y + t.box.h / 2 - middle.y) / r;
          boxes.push_back(t.box);
        }
      // No two labels print over each other.
      for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j) {
          const report::BoxMm &a = boxes[i], &b = boxes[j];
          EXPECT_FALSE(a.x < b.right() - 0.01 && b.x < a.right() - 0.01 && a.y < b.bottom() - 0.01 && b.y < a.bottom() - 0.01)
              << pic.texts.size() << " labels, " << i << " and " << j << (flat ? " flat" : " 3-D");
        }
    }
    return out;
  };

  auto moved = pieOf("45538_classic_Footer.xls", "Top Six Functions");
  ASSERT_TRUE(moved);
  EXPECT_TRUE(moved->groups[0].leaderLines);
  ASSERT_FALSE(moved->series.empty());
  EXPECT_EQ(moved->series[0].pointFormats.at(0).labelPlace, xls::chart::LabelPlace::Moved);
  size_t leaders = 0;
  const auto reach = labelReach(*moved, &leaders);
  ASSERT_EQ(reach.size(), 7u);
  for (const auto& [text, d] : reach) EXPECT_GT(d, 1.0) << text;
  EXPECT_EQ(leaders, 7u);

  // The currencies' labels are placed outside end by the series' Text record, points that
  // carry label flags of their own included; the countries' at the default place.
  auto book = xls::Workbook::open(std::string(ZEL_TEST_DATA) + "/44861.xls");
  const xls::chart::ChartModel *currencies = nullptr, *countries = nullptr;
  for (const auto& s : book->sheet("reporting").drawing().shapes)
    if (s.chart && s.chart->groups.at(0).type == xls::chart::ChartType::Pie)
      (s.chart->series.at(0).values.size() == 5 ? currencies : countries) = s.chart.get();
  ASSERT_TRUE(currencies && countries);
  EXPECT_EQ(currencies->series[0].pointFormats.at(1).labelPlace, xls::chart::LabelPlace::OutsideEnd);
  const auto outside = labelReach(*currencies);
  ASSERT_TRUE(outside.count("79.39%"));
  for (const auto& [text, d] : outside) EXPECT_GT(d, 1.0) << text;
  EXPECT_EQ(countries->series[0].format.labelPlace, xls::chart::LabelPlace::Default);
  const auto shares = labelReach(*countries);
  ASSERT_TRUE(shares.count("18.18%") && shares.count("2.08%"));
  EXPECT_LT(shares.at("18.18%"), 1.0);
  EXPECT_GT(shares.at("2.08%"), 1.0);
}

// 3-D pies and columns print with depth: the currencies' pie as a squashed disc with a wall
// below its front, its bottom label under the wall; the columns as boxes with a top and a side
// face; the flat pie and the columns drawn flat have no faces besides their slices and bars.
TEST(SheetChart, ThreeDPiesAndColumnsPrintWithDepth) {
  auto book = xls::Workbook::open(std::string(ZEL_TEST_DATA) + "/44861.xls");
  const xls::chart::ChartModel *currencies = nullptr, *countries = nullptr, *columns = nullptr;
  for (const auto& s : book->sheet("reporting").drawing().shapes) {
    if (!s.chart) continue;
    if (s.chart->groups.at(0).type != xls::chart::ChartType::Pie) columns = s.chart.get();
    else (s.chart->series.at(0).values.size() == 5 ? currencies : countries) = s.chart.get();
  }
  ASSERT_TRUE(currencies && countries && columns);
  EXPECT_FALSE(countries->groups[0].view3d);
  ASSERT_TRUE(currencies->groups[0].view3d && columns->groups[0].view3d);
  EXPECT_EQ(currencies->groups[0].view3d->elevation, 30);
  EXPECT_EQ(currencies->groups[0].view3d->heightPercent, 100);
  EXPECT_EQ(columns->groups[0].view3d->depthPercent, 100);

  // Closed paths filled with the slices' own colours are the tops; the others the wall.
  auto draw = [](xls::chart::ChartModel c, bool flat) {
    c.hasTitle = c.hasLegend = c.chartAreaBorder = false;
    c.chartAreaFill.reset();
    if (flat) c.groups[0].view3d.reset();
    return report::drawChart(c, 160, 100, {"Noto Sans", 8});
  };
  std::set<int64_t> sliceFills;
  for (const auto& p : draw(*currencies, true).paths)
    if (p.closed) sliceFills.insert(p.fillRgb);
  const report::ChartPicture pie = draw(*currencies, false);
  double topBottom = 0, wallBottom = 0, left = 1e9, right = 0, top = 1e9;
  for (const auto& p : pie.paths)
    for (const auto& q : p.points) {
      if (!p.closed) continue;
      const bool ofTop = sliceFills.count(p.fillRgb);
      (ofTop ? topBottom : wallBottom) = std::max(ofTop ? topBottom : wallBottom, q.y);
      if (ofTop) std::tie(left, right, top) = std::tuple(std::min(left, q.x), std::max(right, q.x), std::min(top, q.y));
    }
  EXPECT_GT(wallBottom, topBottom + 1);
  EXPECT_LT(topBottom - top, 0.6 * (right - left));  // the tops are squashed: wider than high
  // No corner of the pie's outlines (drawn every few degrees) lies inside a label, and the
  // bottom one sits below the pie's top.
  bool bottomLabel = false;
  for (const auto& t : pie.texts) {
    size_t inside = 0;
    for (const auto& p : pie.paths)
      for (const auto& q : p.points)
        inside += p.closed && q.x > t.box.x + 0.2 && q.x < t.box.right() - 0.2 && q.y > t.box.y + 0.2 && q.y < t.box.bottom() - 0.2;
    EXPECT_EQ(inside, 0u) << t.text;
    if (t.text == "79.39%") bottomLabel = t.box.y + t.box.h / 2 > topBottom;
  }
  EXPECT_TRUE(bottomLabel);

  // Four corners, not a rectangle: the bars' top and side faces.
  auto slanted = [&](const xls::chart::ChartModel& c, bool flat) {
    size_t n = 0;
    for (const auto& p : draw(c, flat).paths) {
      if (!p.closed || p.points.size() != 4) continue;
      const auto& q = p.points;
      n += !(q[0].y == q[1].y && q[1].x == q[2].x && q[2].y == q[3].y && q[3].x == q[0].x);
    }
    return n;
  };
  size_t bars = 0;
  for (const auto& v : columns->series.at(0).values) bars += v.value_or(0) != 0;
  EXPECT_GE(slanted(*columns, false), 2 * bars);
  EXPECT_EQ(slanted(*columns, true), 0u);
}

TEST(SheetChart, EmbeddedChartsPrintAtTheirAnchors) {
  auto book = xls::Workbook::open(std::string(ZEL_TEST_DATA) + "/WithThreeCharts.xls");
  test::ensureWidgetApplication();
  const xls::Worksheet& sheet = book->sheet(2);
  test::FixedSheetMetrics m;
  auto pages = report::layoutSheet(sheet, report::sheetPrintSetup(sheet, 100), {}, m);
  int charts = 0;
  for (const PageShape* s : shapesOf(pages)) {
    if (s->kind != PageShape::Kind::Chart) continue;
    ++charts;
    ASSERT_TRUE(s->chart);
    EXPECT_GT(s->box.w, 20);
    EXPECT_FALSE(s->chart->paths.empty());
  }
  EXPECT_EQ(charts, 2);
  for (const auto& w : pages.warnings) EXPECT_EQ(w.find("グラフ"), std::string::npos) << w;
}

}  // namespace
