// The compound file a workbook package's macro project lives in (xl/vbaProject.bin), opened
// from memory so the VBA reader finds its storages as in an .xls; an empty compound file for
// a package without a project, so every workbook has a container to ask.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "xls/compound_file.h"

namespace zel::xls::ooxml {

// A damaged project image gives the empty container and a warning in `warning`.
CompoundFile macroContainer(std::optional<std::vector<uint8_t>> vbaProject, std::string& warning);

}  // namespace zel::xls::ooxml
