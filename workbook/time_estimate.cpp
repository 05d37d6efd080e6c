// Arithmetic and text of the processing-time estimate.
#include "workbook/time_estimate.h"

#include "core/progress.h"
#include "workbook/sheet_walk.h"

namespace zel::workbook {

int64_t estimatedMinutes(int64_t totalCells) {
  return static_cast<int64_t>(RoundHalfUp(Currency::ratio(totalCells, kEstimatedCellsPerMinute), 0));
}

std::string timeEstimateMessage(int64_t minutes) {
  return std::string("オブジェクト(詳細)及びセル情報の処理時間は") + "\r" + "CPU:Pentium(133)､RAM:48MBクラスで" + "\r" +
         "約" + std::to_string(minutes) + "分かかります。";
}

int64_t usedRangeCellTotal(const BookView& book) {
  int64_t total = 0;
  for (const auto& sheet : sheetsToWalk(book.sheetNames())) total += book.usedRange(sheet.index).count();
  return total;
}

AnalysisOutcome runTimeCheck(const BookView& book) {
  AnalysisOutcome out;
  out.ran = true;
  out.messages.push_back(OutcomeMessage{timeEstimateMessage(estimatedMinutes(usedRangeCellTotal(book))), kTimeEstimateCaption});
  return out;
}

}  // namespace zel::workbook
