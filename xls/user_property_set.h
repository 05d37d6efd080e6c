// The custom document properties of a compound-file workbook: the user-defined section of the
// "\005DocumentSummaryInformation" property set, named through the section's dictionary.
#pragma once
#include <cstdint>
#include <span>

#include "xls/document_properties.h"

namespace zel::xls {

// Reads the user-defined section of a DocumentSummaryInformation stream into props' custom
// properties, in the order of the section's property table. Damage (offsets or lengths past the
// end, entries without a name) is skipped with a warning on props; nothing is read out of bounds.
void readUserDefinedProperties(std::span<const uint8_t> stream, DocumentProperties& props);

}  // namespace zel::xls
