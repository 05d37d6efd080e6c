// Reads the drawing layer of one sheet substream: MSODRAWING (with CONTINUE) joined into the
// OfficeArt tree, the OBJ and TXO records between them matched to its shape containers in
// order, NOTE records tying notes to cells. Embedded chart substreams are stepped over.
#pragma once
#include <set>
#include <vector>

#include "xls/biff_record.h"
#include "xls/drawing/sheet_drawing.h"
#include "xls/formula/formula_printer.h"

namespace zel::xls::drawing {

// TXO text is cut at this many characters (Excel keeps at most 32767 in a text box).
inline constexpr size_t kMaxShapeTextChars = 32767;
// OBJ sub-records followed in one OBJ record.
inline constexpr int kMaxObjSubrecords = 64;

struct DrawingEnvironment {
  const FormulaEnvironment& formulas;  // for the macro reference of FtMacro
  const std::vector<uint32_t>& palette;
  const std::set<uint32_t>& embeddingStorages;  // numbers of the workbook's "MBD" storages
};

// Reads the substream whose BOF is records[bof]. Never throws on damaged records: shapes that
// cannot be read are counted in `unreadable`.
SheetDrawing readSheetDrawing(const std::vector<Record>& records, size_t bof, const DrawingEnvironment& env);

}  // namespace zel::xls::drawing
