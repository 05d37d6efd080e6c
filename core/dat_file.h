// Zelvarin.dat: the report-header defaults (Title=, Kisya=, Bumon=, Zoom= lines).
#pragma once
#include <string>

namespace zel {

struct DatValues {
  std::string DatTitle, DatKisya, DatBumon, DatZoom;
};

// ReadDatFile: updates the values whose key occurs; false when the file cannot be opened.
bool ReadDatFile(const std::string& path, DatValues& values);

// Writes the four lines (UTF-8, CR LF) through a temporary file; false with a message on failure.
bool WriteDatFile(const std::string& path, const DatValues& values, std::string* error = nullptr);

}  // namespace zel
