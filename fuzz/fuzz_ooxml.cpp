// Fuzz target for the Office 2007+ package reader: the input is opened as a zip package and,
// when that works, every cell, formula, note and name is read as the analyses read them; a
// second pass feeds the bytes to the formula-text scanner and the VML scanner on their own, and
// as the worksheet and shared-string parts of a small stored package (the XML scanner).
#include "xls/excel_model.h"
#include "xls/ooxml/drawing_parts.h"
#include "xls/ooxml/formula_text.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace zel::xls;

void readPackage(const uint8_t* data, size_t size) {
  try {
    auto book = Workbook::openMemory(std::vector<uint8_t>(data, data + size), "/fuzz/book.xlsx");
    for (int i = 1; i <= book->sheetCount(); ++i) {
      for (const Cell& c : book->sheet(i).usedRange()) {
        (void)c.text();
        (void)c.formula();
        (void)c.noteText();
      }
    }
    for (const CustomProperty& p : book->customDocumentProperties()) (void)p.value.toText();
    for (int i = 1; i <= book->nameCount(); ++i) {
      try {
        (void)book->nameItem(i).refersTo();
        (void)book->nameItem(i).refersToRangeAddress();
      } catch (const zel::VbError&) {
      }
    }
  } catch (const zel::VbError&) {
  }
}

uint32_t crc32Of(std::string_view s) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : s) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A zip archive of stored (not deflated) entries.
std::vector<uint8_t> storedZip(const std::map<std::string, std::string_view>& parts) {
  std::vector<uint8_t> out, directory;
  for (const auto& [name, content] : parts) {
    const uint32_t offset = static_cast<uint32_t>(out.size()), crc = crc32Of(content);
    const uint32_t size = static_cast<uint32_t>(content.size());
    for (std::vector<uint8_t>* v : {&out, &directory}) {
      const bool central = v == &directory;
      put(*v, central ? 0x02014b50 : 0x04034b50, 4);
      if (central) put(*v, 20, 2);
      put(*v, 20, 2);                  // version needed
      put(*v, 0, 2);                   // flags
      put(*v, 0, 2);                   // stored
      put(*v, 0, 4);                   // time and date
      put(*v, crc, 4);
      put(*v, size, 4);
      put(*v, size, 4);
      put(*v, static_cast<uint32_t>(name.size()), 2);
      put(*v, 0, 2);  // extra
      if (central) {
        put(*v, 0, 2);  // comment
        put(*v, 0, 4);  // disk and internal attributes
        put(*v, 0, 4);  // external attributes
        put(*v, offset, 4);
      }
      v->insert(v->end(), name.begin(), name.end());
      if (!central) v->insert(v->end(), content.begin(), content.end());
    }
  }
  const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
  out.insert(out.end(), directory.begin(), directory.end());
  put(out, 0x06054b50, 4);
  put(out, 0, 4);
  put(out, static_cast<uint32_t>(parts.size()), 2);
  put(out, static_cast<uint32_t>(parts.size()), 2);
  put(out, static_cast<uint32_t>(directory.size()), 4);
  put(out, directoryOffset, 4);
  put(out, 0, 2);
  return out;
}

// The bytes as the worksheet and the shared strings of an otherwise valid package.
void readAsSheetXml(std::string_view text) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  const std::string rels = "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
  const std::string workbook = "<workbook xmlns:r=\"" + rel.substr(0, rel.size() - 1) +
                               "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
  const std::string bookRels = "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel + "worksheet\" Target=\"s.xml\"/>"
                               "<Relationship Id=\"rId2\" Type=\"" + rel + "sharedStrings\" Target=\"s.xml\"/></Relationships>";
  auto zip = storedZip({{"_rels/.rels", rels}, {"xl/workbook.xml", workbook}, {"xl/_rels/workbook.xml.rels", bookRels},
                        {"xl/s.xml", text}});
  readPackage(zip.data(), zip.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= 4 && data[0] == 'P' && data[1] == 'K') {
    readPackage(data, size);
    return 0;
  }
  std::string_view text(reinterpret_cast<const char*>(data), size);
  readAsSheetXml(text);
  (void)ooxml::displayFormula(text, {{"C:\\x\\[b.xlsx]"}}, 3, -2);
  (void)ooxml::referenceListTokens(text, {"Sheet1", "My Sheet"});
  // The tolerant VML scanner takes any text.
  const SheetData sheet;
  const ooxml::ThemeColors theme;
  const std::vector<uint32_t> palette = defaultPalette();
  const ooxml::SheetGrid grid(sheet);
  const std::vector<ooxml::ExternalBookName> books;
  const ooxml::DrawingContext context{theme, palette, grid, books, {}};
  (void)ooxml::readVmlPart(text, context, {});
  return 0;
}
