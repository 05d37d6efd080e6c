// Decoders of the workbook-globals records, one per record, and the globals walk.
#pragma once
#include <vector>

#include "xls/biff_record.h"
#include "xls/biff_workbook.h"
#include "xls/byte_cursor.h"

namespace zel::xls {

void readBoundSheet8(ByteCursor cur, WorkbookGlobals& g);
void readSst(const std::vector<std::span<const uint8_t>>& segments, WorkbookGlobals& g);
void readFont(ByteCursor cur, WorkbookGlobals& g);
void readFormat(ByteCursor cur, WorkbookGlobals& g);
void readXf(ByteCursor cur, WorkbookGlobals& g);
void readPalette(ByteCursor cur, WorkbookGlobals& g);
void readName(const std::vector<uint8_t>& data, WorkbookGlobals& g);
void readExternSheet(const std::vector<uint8_t>& data, WorkbookGlobals& g);
void readSupBook(ByteCursor cur, WorkbookGlobals& g);
void readExternName(ByteCursor cur, WorkbookGlobals& g);

// Walks the globals substream up to its EOF; `reader` stands just behind the globals' BOF.
void readGlobals(RecordReader& reader, WorkbookGlobals& g);

}  // namespace zel::xls
