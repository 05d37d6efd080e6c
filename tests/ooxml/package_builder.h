// Builds small zip packages in memory (through libgsf's zip writer) for the bad-input tests.
#pragma once
#include <gsf/gsf-outfile-zip.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zel::xls::ooxml::test {

struct Unref {
  void operator()(void* p) const {
    if (p) g_object_unref(p);
  }
};

// parts: part name ("xl/workbook.xml") -> content. Deflated like Excel's packages.
inline std::vector<uint8_t> zipImage(const std::map<std::string, std::string>& parts) {
  gsf_init();
  std::unique_ptr<GsfOutput, Unref> memory(gsf_output_memory_new());
  {
    std::unique_ptr<GsfOutfile, Unref> zip(gsf_outfile_zip_new(memory.get(), nullptr));
    for (const auto& [name, content] : parts) {
      std::unique_ptr<GsfOutput, Unref> part(gsf_outfile_new_child_full(zip.get(), name.c_str(), FALSE, "compression-level",
                                                                         GSF_ZIP_DEFLATED, nullptr));
      gsf_output_write(part.get(), content.size(), reinterpret_cast<const guint8*>(content.data()));
      gsf_output_close(part.get());
    }
    gsf_output_close(GSF_OUTPUT(zip.get()));
  }
  const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
  return std::vector<uint8_t>(bytes, bytes + gsf_output_size(memory.get()));
}

// A one-sheet workbook package whose sheet part is `sheetXml` (the rest minimal and valid).
inline std::map<std::string, std::string> minimalWorkbook(const std::string& sheetXml) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  return {
      {"_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"" + rel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml", "<workbook xmlns:r=\"" + rel.substr(0, rel.size() - 1) + "\"><sheets>"
                          "<sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel +
                                         "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
      {"xl/worksheets/sheet1.xml", sheetXml},
  };
}

}  // namespace zel::xls::ooxml::test
