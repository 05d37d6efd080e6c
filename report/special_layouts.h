// The one-page layouts of the cover (R_XlHyousi) and the two binder labels (R_XlHyousiH,
// R_XlHyousiW), built from the first row of T_XlHyousi.
#pragma once
#include "report/page_model.h"
#include "report/report_data.h"
#include "report/text_measure.h"

namespace zel::report {

Page coverPage(const ReportData& data, TextMeasurer& m);
Page spineLabelPage(const ReportData& data, TextMeasurer& m);
Page wideLabelPage(const ReportData& data, TextMeasurer& m);

inline constexpr const char* kCoverHeading = "プログラム仕様書";

}  // namespace zel::report
