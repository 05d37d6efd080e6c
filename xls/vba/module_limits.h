// The macro editor's limits on a module, checked once when a module's source is read, and
// the one size limit of an export file that the source analyses read back.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zel::xls::vba {

// The editor holds at most this many code lines in one module (Attribute lines not counted)
inline constexpr size_t kMaxModuleLines = 65534;
// and at most this many characters on one physical line.
inline constexpr size_t kMaxLineCharacters = 1023;
// Largest export file of one module (header block included). A module whose export would be
// larger fails its export; the source analyses read files up to this size, so every file the
// export writes is read.
inline constexpr size_t kMaxExportFileBytes = 16u << 20;

// Why a decoded source (UTF-8) lies beyond the editor's limits; "" when it does not.
// One pass over the text.
std::string editorLimitBreach(std::string_view source);

}  // namespace zel::xls::vba
