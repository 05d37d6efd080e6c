// cmdTimeCheck: the estimated time of the detailed object inventory and the cell listing, at
// this program's own measured speed (bench/bench_workbook), in the message's usual words.
#pragma once
#include "workbook/analysis_outcome.h"
#include "workbook/book_view.h"

#include <cstdint>
#include <string>

namespace zel::workbook {

// Used-range cells a minute, taken for the worst case: every cell a formula, so the listing
// writes a row per cell. Measured on a 2-core machine under full load: 11.6 us per listed row
// plus 31 ns per cell for the detailed counts, about 5.1 million cells a minute.
inline constexpr int64_t kEstimatedCellsPerMinute = 5'000'000;

// Minutes for a number of used-range cells: total / kEstimatedCellsPerMinute rounded, halves upward.
int64_t estimatedMinutes(int64_t totalCells);

// The message box text (lines joined by "\r") and its caption.
std::string timeEstimateMessage(int64_t minutes);
inline constexpr const char* kTimeEstimateCaption = "Zelvarin";

// The cells of the walked sheets' used ranges, empty cells included.
int64_t usedRangeCellTotal(const BookView& book);

// Counts the cells and returns the estimate as the one message to show (no report, no rows).
AnalysisOutcome runTimeCheck(const BookView& book);

}  // namespace zel::workbook
