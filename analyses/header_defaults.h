// The header texts a newly opened workbook starts with: Zelvarin.dat's texts where it sets
// them, else the workbook's own document properties. The window fills its text boxes with
// them, the command line its result file.
#pragma once
#include "analyses/workbook_opening.h"
#include "core/dat_file.h"
#include "core/session_state.h"

#include <string>

namespace zel::analyses {

inline constexpr const char* kDefaultTitle = "プログラム仕様書";
inline constexpr const char* kDefaultZoom = "98";

// today: the creation date text ("yyyy/mm/dd").
HeaderTexts headerDefaults(const DatValues& dat, const OpenedWorkbook& opened, const std::string& today);

// The sheet print's zoom text: Zelvarin.dat's Zoom= where set, else 98.
std::string zoomDefault(const DatValues& dat);

}  // namespace zel::analyses
