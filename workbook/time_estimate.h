// cmdTimeCheck: the estimated time of the detailed object inventory and the cell listing,
// at the speed the original program reached (900 cells a minute on a Pentium 133), which
// users read as a worst case.
#pragma once
#include "workbook/analysis_outcome.h"
#include "workbook/book_view.h"

#include <cstdint>
#include <string>

namespace zel::workbook {

inline constexpr int64_t kEstimatedCellsPerMinute = 900;

// Minutes for a number of used-range cells: total / 900 rounded, halves upward.
int64_t estimatedMinutes(int64_t totalCells);

// The message box text (lines joined by "\r") and its caption.
std::string timeEstimateMessage(int64_t minutes);
inline constexpr const char* kTimeEstimateCaption = "Zelvarin";

// The cells of the walked sheets' used ranges, empty cells included.
int64_t usedRangeCellTotal(const BookView& book);

// Counts the cells and returns the estimate as the one message to show (no report, no rows).
AnalysisOutcome runTimeCheck(const BookView& book);

}  // namespace zel::workbook
