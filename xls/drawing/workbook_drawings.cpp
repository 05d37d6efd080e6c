// Reads the drawing layer of every sheet of the collection when the workbook opens. Only the
// records the drawing layer looks at are kept (others collapse into one placeholder each run),
// so a large grid costs no record index of its own.
#include <charconv>
#include <set>

#include "core/vbstring.h"
#include "xls/biff_record.h"
#include "xls/chart/chart_reader.h"
#include "xls/drawing/sheet_drawing_reader.h"
#include "xls/excel_model.h"

namespace zel::xls {
namespace {

// Stands for a run of records the drawing layer does not read (it still ends a CONTINUE run).
constexpr uint16_t kOtherRecords = 0xFFFF;

bool drawingReads(uint16_t id) {
  switch (id) {
    case rec::Bof:
    case rec::Eof:
    case rec::MsoDrawing:
    case rec::Continue:
    case rec::Obj:
    case rec::Txo:
    case rec::Note:
    case rec::Password: return true;
    default: return false;
  }
}

// The records of the substream starting at `bof` (a BOF header offset), up to its EOF; empty
// when no BOF stands there. Chart substreams (a chart sheet's, `wholeSheet`, or an embedded
// chart's after its OBJ) keep every record.
std::vector<Record> drawingRecordsFrom(std::span<const uint8_t> stream, size_t bof, bool wholeSheet) {
  std::vector<Record> out;
  int depth = 0;
  RecordReader reader(stream, bof);
  Record r;
  while (reader.next(r)) {
    if (out.empty() && r.id != rec::Bof) break;
    if (wholeSheet || depth > 1 || (r.id == rec::Bof && depth > 0) || drawingReads(r.id))
      out.push_back(r);
    else if (out.empty() || out.back().id != kOtherRecords)
      out.push_back(Record{kOtherRecords, r.offset, {}});
    if (r.id == rec::Bof) ++depth;
    if (r.id == rec::Eof && --depth <= 0) break;
  }
  return out;
}

// The numbers of the root storages named "MBD" + eight hex digits (embedded OLE objects).
std::set<uint32_t> embeddingStorages(const CompoundFile& file) {
  std::set<uint32_t> out;
  for (const std::string& name : file.children()) {
    if (name.size() != 11 || vb::ucase(name.substr(0, 3)) != "MBD" || !file.isStorage(name)) continue;
    uint32_t number = 0;
    const char* end = name.data() + name.size();
    auto [ptr, ec] = std::from_chars(name.data() + 3, end, number, 16);
    if (ec == std::errc() && ptr == end) out.insert(number);
  }
  return out;
}

// MSODRAWINGGROUP and its CONTINUE records in the workbook globals, joined.
std::vector<uint8_t> drawingGroupBytes(std::span<const uint8_t> stream) {
  constexpr uint16_t kMsoDrawingGroup = 0x00EB;
  std::vector<uint8_t> out;
  bool inGroup = false;
  for (size_t pos = 0; pos + 4 <= stream.size();) {
    const uint16_t id = static_cast<uint16_t>(stream[pos] | (stream[pos + 1] << 8));
    const size_t length = static_cast<size_t>(stream[pos + 2] | (stream[pos + 3] << 8));
    if (pos + 4 + length > stream.size() || id == rec::Eof) break;
    const auto body = stream.subspan(pos + 4, length);
    if (id == kMsoDrawingGroup || (inGroup && id == rec::Continue)) {
      out.insert(out.end(), body.begin(), body.end());
      inGroup = true;
    } else {
      inGroup = false;
    }
    pos += 4 + length;
  }
  return out;
}

// Embedded charts read their series from the workbook's cells once the sheets are read.
void resolveCharts(drawing::Shape& s, const BiffWorkbook& book) {
  if (s.chart) chart::resolveSeriesData(*s.chart, book);
  for (drawing::Shape& m : s.members) resolveCharts(m, book);
}

}  // namespace

void Workbook::loadDrawings(std::span<const uint8_t> stream) {
  pictures_ = drawing::readPictureStore(drawingGroupBytes(stream));
  const std::set<uint32_t> storages = embeddingStorages(*file_);
  const drawing::DrawingEnvironment env{env_, biff_.globals.palette, storages};
  for (size_t pos = 0; pos < sheetIndex_.size(); ++pos) {
    const bool chartSheet = biff_.globals.sheets[sheetIndex_[pos]].type == SheetType::Chart;
    const std::vector<Record> records =
        drawingRecordsFrom(stream, biff_.globals.sheets[sheetIndex_[pos]].streamPosition, chartSheet);
    if (records.empty()) continue;
    drawing::SheetDrawing d = drawing::readSheetDrawing(records, 0, env);
    for (drawing::Shape& s : d.shapes) resolveCharts(s, biff_);
    sheets_[pos].setDrawing(std::move(d));
    if (chartSheet) {
      chart::ChartModel c = chart::readChart(records, 0, env_, biff_.globals.palette);
      chart::resolveSeriesData(c, biff_);
      sheets_[pos].setChart(std::make_shared<const chart::ChartModel>(std::move(c)));
    }
  }
}

}  // namespace zel::xls
