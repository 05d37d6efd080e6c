// Decoders of the records of a sheet substream (cells, notes, layout, protection, page
// setup) and the walk over one substream, stepping over embedded chart substreams.
#pragma once
#include <vector>

#include "xls/biff_record.h"
#include "xls/biff_workbook.h"

namespace zel::xls {

// Largest column index of an Excel 97 grid (IV).
inline constexpr uint16_t kMaxColumn = 255;
// Nesting of BOF..EOF substreams inside a sheet (embedded charts) the walk accepts.
inline constexpr int kMaxSubstreamDepth = 8;

// Reads the substream whose BOF record header stands at offset `bof` of the stream into `sheet`.
void readSheetSubstream(std::span<const uint8_t> stream, size_t bof, const WorkbookGlobals& globals, SheetData& sheet);

// RK number: a 30-bit integer or the high 30 bits of a double, optionally divided by 100.
double decodeRk(uint32_t rk);

}  // namespace zel::xls
