// Reads the drawing layer of every sheet of the collection when the workbook opens.
#include <unordered_map>

#include "xls/biff_record.h"
#include "xls/drawing/sheet_drawing_reader.h"
#include "xls/excel_model.h"

namespace zel::xls {

void Workbook::loadDrawings(std::span<const uint8_t> stream) {
  const RecordList list = splitRecords(stream);
  std::unordered_map<size_t, size_t> bofAt;  // stream offset of a BOF -> record index
  for (size_t i = 0; i < list.records.size(); ++i)
    if (list.records[i].id == rec::Bof) bofAt.emplace(list.records[i].offset, i);
  const drawing::DrawingEnvironment env{env_, biff_.globals.palette};
  for (size_t pos = 0; pos < sheetIndex_.size(); ++pos) {
    auto it = bofAt.find(biff_.globals.sheets[sheetIndex_[pos]].streamPosition);
    if (it == bofAt.end()) continue;
    sheets_[pos].setDrawing(drawing::readSheetDrawing(list.records, it->second, env));
  }
}

}  // namespace zel::xls
