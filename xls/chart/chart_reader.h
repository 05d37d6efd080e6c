// Reads one chart substream (an embedded chart's or a chart sheet's) into the chart model, and
// fills its series from the workbook's cells or from the values cached in the substream.
#pragma once
#include <vector>

#include "xls/biff_record.h"
#include "xls/biff_workbook.h"
#include "xls/chart/chart_model.h"
#include "xls/formula/formula_printer.h"

namespace zel::xls::chart {

// Reads the substream whose BOF is records[bof], up to its EOF. Never throws: damaged records
// are skipped with a warning in the model; series and points are cut at kMaxSeries/kMaxPoints.
// Series keep their cell references and the substream's cached values; resolveSeriesData
// chooses between them.
ChartModel readChart(const std::vector<Record>& records, size_t bof, const FormulaEnvironment& env,
                     const std::vector<uint32_t>& palette);

// Values, categories and names of series whose references point at the workbook's own sheets
// are read from those cells; references outside the workbook keep the cached values.
void resolveSeriesData(ChartModel& chart, const BiffWorkbook& book);

}  // namespace zel::xls::chart
