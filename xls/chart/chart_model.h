// The chart of an embedded chart object or a chart sheet as its chart records describe it:
// chart groups with their type, series with names, values, categories and colours, title,
// axes and legend. Plain data, filled by chart_reader and drawn by the sheet print.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zel::xls::chart {

// Excel 97 keeps at most 255 series and 4000 points per series on a 2-D chart; the reader cuts
// damaged or hostile charts at these sizes.
inline constexpr size_t kMaxSeries = 255;
inline constexpr size_t kMaxPoints = 4000;

enum class ChartType : uint8_t { Column, Bar, Line, Pie, Area, Scatter, Other };
enum class Grouping : uint8_t { Standard, Stacked, Percent };

// Where data labels sit (the label placement of their Text record): the chart type's default,
// outside or inside the end of a bar or slice, centred, and so on; Moved: dragged by hand.
enum class LabelPlace : uint8_t {
  Default, OutsideEnd, InsideEnd, Centre, InsideBase, Above, Below, Left, Right, BestFit, Moved
};

// Fill, line and marker of a series or one of its points; empty optionals mean automatic.
struct SeriesFormat {
  std::optional<uint32_t> fillRgb;  // 0xRRGGBB
  bool noFill = false;
  std::optional<uint32_t> lineRgb;
  bool noLine = false;
  int lineWeight = 0;               // -1 hairline, 0 narrow, 1 medium, 2 wide
  int lineDash = 0;                 // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
  std::optional<uint32_t> markerRgb;
  int marker = -1;                  // -1 automatic, 0 none, 1 square, 2 diamond, 3 triangle, ...
  bool valueLabels = false;         // data labels showing the values
  bool percentLabels = false;       // ... the share of the series' total (pies)
  bool categoryLabels = false;      // ... the category's label
  // The labels' own number format (the index as stored, its format string once resolved);
  // none: the labels show the values as their cells show them.
  std::optional<uint16_t> labelFormatIndex;
  std::string labelFormat;
  LabelPlace labelPlace = LabelPlace::Default;
  std::optional<int> explodePercent;  // pie slices: pulled out by this % of the radius
  bool lineGiven = false;           // a LineFormat of its own was read
};

// The 3-D view of a chart group drawn with depth (its Chart3d record), as stored.
struct Chart3d {
  int rotation = 20;       // degrees around the vertical, 0..360
  int elevation = 15;      // degrees the view looks down, -90..90
  int distance = 30;       // perspective: the eye's distance, 0..100
  int heightPercent = 100; // the plot's height in % of its width; pies: the thickness
  int depthPercent = 100;  // bars: the depth in % of a bar's width
  int gapPercent = 150;    // bars: the space between rows in depth, in % of a bar's width
  bool perspective = false;
  bool clustered = false;  // bars: series side by side instead of one behind another
};

// One chart group (ChartFormat and the type record inside it).
struct ChartGroup {
  ChartType type = ChartType::Other;
  Grouping grouping = Grouping::Standard;
  bool varyColors = false;  // pies and single-series charts coloured point by point
  int gapPercent = 150;     // bars: space between categories, in % of a bar's width
  int overlapPercent = 0;   // bars: overlap of the series of one category
  int donutHolePercent = 0; // pies: the hole's diameter in % of the pie's
  int firstSliceDegrees = 0;
  bool leaderLines = false; // pies: lines from slices to their labels set apart
  SeriesFormat seriesDefault;  // what the group's series show unless they say otherwise
  std::optional<Chart3d> view3d;  // set when the group is drawn in 3-D
};

// Where a series reads its data: a block of cells of one of the workbook's sheets.
struct CellRange {
  int sheet = -1;                   // BOUNDSHEET index; -1 external or unknown
  uint16_t firstRow = 0, lastRow = 0, firstCol = 0, lastCol = 0;
};

struct ChartSeries {
  std::string name;
  std::vector<std::optional<double>> values;  // empty optional: a blank cell (a gap)
  std::vector<std::string> categories;        // labels of the category axis, as their cells show them
  std::vector<std::optional<double>> xValues; // scatter: numeric categories
  int group = 0;                              // index into ChartModel::groups
  int formatIndex = 0;                        // iss: the series' place in automatic colours
  // Number formats of the values and categories: as saved with the chart (index), and the
  // format strings resolveSeriesData gives them (the cells' own where it reads the cells).
  uint16_t valueFormatIndex = 0, categoryFormatIndex = 0;
  std::string valueFormat, categoryFormat;
  std::vector<std::string> valueFormats;      // per point, when read from the cells
  SeriesFormat format;
  std::map<uint16_t, SeriesFormat> pointFormats;  // by point index
  // References of the name, values and categories (cells read by resolveSeriesData).
  std::vector<CellRange> nameRefs, valueRefs, categoryRefs;
};

struct ChartAxis {
  bool present = false;
  bool visible = true;           // axis line and labels shown
  bool majorGridlines = false;
  std::optional<double> min, max, majorUnit;  // set when not automatic
  bool reversed = false;
  bool logScale = false;
  std::string title;
  // The labels' own number format (IFmt; its format string once resolved); none: linked to
  // the data, the labels taking the format of the first series' cells.
  std::optional<uint16_t> formatIndex;
  std::string numberFormat;
};

enum class LegendPosition : uint8_t { Bottom, Corner, Top, Right, Left, Floating };

struct ChartModel {
  double widthPt = 0, heightPt = 0;   // the chart area's size from the Chart record
  std::vector<ChartGroup> groups;
  std::vector<ChartSeries> series;
  std::string title;
  bool hasTitle = false;
  ChartAxis categoryAxis, valueAxis;
  bool hasLegend = false;
  LegendPosition legendPosition = LegendPosition::Right;
  std::optional<uint32_t> chartAreaFill, plotAreaFill;  // 0xRRGGBB; empty: none
  bool chartAreaBorder = true, plotAreaBorder = false;
  // Automatic colours from the workbook's palette: series fills (areas, bars, slices) and
  // series lines (lines, markers), in the order series and points take them.
  std::vector<uint32_t> autoFills, autoLines;
  bool dateMode1904 = false;          // the workbook's date system, for date formats
  std::vector<std::string> warnings;
};

}  // namespace zel::xls::chart
