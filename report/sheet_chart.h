// Draws a chart model into a box as paths and texts: chart and plot areas, title, legend,
// axes with their scale and labels, and the series as columns, bars, lines, areas, markers
// or pie slices. Used for embedded charts by their anchors and for chart sheets.
#pragma once
#include "report/page_model.h"
#include "xls/chart/chart_model.h"

#include <memory>
#include <string>

namespace zel::report {

struct ChartTextStyle {
  std::string family;     // the workbook's standard font
  double pointSize = 10;  // already scaled to the print
};

// The chart in a box of widthMm x heightMm; positions relative to the box's top-left corner.
ChartPicture drawChart(const xls::chart::ChartModel& chart, double widthMm, double heightMm, const ChartTextStyle& style);

// A value axis scale: from, to and the step between labelled ticks.
struct AxisScale {
  double min = 0, max = 1, step = 0.2;
};
// The automatic scale of values from lo to hi (zero kept in sight as Excel does), with the
// axis's fixed minimum, maximum or step where it has them.
AxisScale valueAxisScale(double lo, double hi, const xls::chart::ChartAxis& axis);

}  // namespace zel::report
