// libFuzzer target over the drawing layer: the input is a sheet substream body (BIFF records
// after the BOF): MSODRAWING, CONTINUE, OBJ, TXO, NOTE and embedded chart substreams in any
// order and shape. Every result must be a listed shape or a counted unreadable one.
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <vector>

#include "xls/biff_record.h"
#include "xls/drawing/office_art.h"
#include "xls/drawing/sheet_drawing_reader.h"

namespace {

size_t countShapes(const std::vector<zel::xls::drawing::Shape>& shapes) {
  size_t n = shapes.size();
  for (const auto& s : shapes) n += countShapes(s.members);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel::xls;
  // The OfficeArt tree alone.
  const auto art = drawing::parseArtDrawing(std::span<const uint8_t>(data, size));
  if (art.shapes.size() > drawing::kMaxArtShapes) __builtin_trap();

  // The same bytes as the records of a sheet substream behind a BOF.
  std::vector<uint8_t> stream = {0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x10, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  stream.insert(stream.end(), data, data + size);
  const RecordList list = splitRecords(stream);
  FormulaEnvironment formulas;
  formulas.names.push_back({"Macro1", 0});
  const std::vector<uint32_t> palette(56, 0x808080);
  const std::set<uint32_t> storages = {1};
  const drawing::DrawingEnvironment env{formulas, palette, storages};
  const auto sheet = drawing::readSheetDrawing(list.records, 0, env);
  for (const auto& s : sheet.shapes) (void)s.name.size();
  if (countShapes(sheet.shapes) > drawing::kMaxArtShapes + 1) __builtin_trap();
  return 0;
}
