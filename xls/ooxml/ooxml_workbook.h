// Reads an Office 2007+ workbook package (.xlsx, .xlsm, .xltx, .xltm, .xlam) into the same
// parsed structures the BIFF8 reader fills, so the object model above does not know the format.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "xls/biff_workbook.h"
#include "xls/document_properties.h"
#include "xls/drawing/picture_store.h"
#include "xls/drawing/sheet_drawing.h"
#include "xls/ooxml/package.h"

namespace zel::xls::ooxml {

// Bounds on what one package may declare.
inline constexpr size_t kMaxSheets = 4096;
inline constexpr size_t kMaxDefinedNames = 65536;
inline constexpr size_t kMaxSharedStrings = 16u << 20;
inline constexpr size_t kMaxStyleRecords = 1u << 20;
inline constexpr size_t kMaxExternalBooks = 4096;
inline constexpr uint64_t kMaxVbaProjectBytes = 256ull << 20;

struct OoxmlWorkbook {
  BiffWorkbook biff;
  DocumentProperties properties;
  std::optional<std::vector<uint8_t>> vbaProject;  // xl/vbaProject.bin, a compound file
  std::vector<drawing::SheetDrawing> drawings;     // parallel to biff.sheets
  drawing::PictureStore pictures;                  // images of the drawings, by 1-based index
};

// Throws VbError 1004 with the reason when the package is not a workbook this reader reads
// (no workbook part, a binary .xlsb workbook, strict Open XML, a damaged workbook part);
// damaged parts below the workbook part become warnings and the rest is read.
OoxmlWorkbook readWorkbookPackage(const Package& package);

}  // namespace zel::xls::ooxml
