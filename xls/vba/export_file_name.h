// File names of the exported components: the component name plus the extension of its
// kind, mapped so that any name, however hostile, stays one plain file inside the folder.
#pragma once
#include "xls/vba/project_stream.h"

#include <string>
#include <string_view>
#include <vector>

namespace zel::xls::vba {

// Longest file name stem in bytes (UTF-8); the editor's names are at most 31 characters.
inline constexpr size_t kMaxFileStemBytes = 120;

// ".bas", ".cls", ".frm", ".bok" for the workbook's own module, ".sht" for another document.
std::string exportExtension(ComponentType type, bool workbookModule);

// The name as a safe file name stem: "/", "\", ":", "*", "?", '"', "<", ">", "|" and control
// characters become "_", a leading "." becomes "_." (so "", "." and ".." cannot name the
// folder or its parent and no hidden file appears), an empty name becomes "_", and the stem is
// cut to kMaxFileStemBytes without splitting a character. A valid module name is unchanged.
std::string safeFileStem(std::string_view name);

// File names for a whole project, in order: safe stem + extension, and when a name is already
// taken (compared without ASCII case, as a Windows folder would) "~2", "~3", ... before the
// extension.
std::vector<std::string> uniqueExportFileNames(const std::vector<std::pair<std::string, std::string>>& stemsAndExtensions);

}  // namespace zel::xls::vba
