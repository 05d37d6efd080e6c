// The text of one exported component, in the macro editor's export format: a header block
// by kind, the module's "Attribute" lines, then its code, every line ending in CR LF.
#pragma once
#include "xls/vba/project_stream.h"

#include <string>
#include <string_view>
#include <vector>

namespace zel::xls::vba {

// A user form's designer properties, from the "\003VBFrame" stream of its designer storage.
struct DesignerBlock {
  std::string classId = "{C62A69F0-16DC-11CE-9E98-00AA00574A4F}";  // the forms designer
  std::vector<std::string> properties;  // "   Caption         =   \"UserForm1\"", ...
};

// Most property lines kept from a designer stream, and the longest line kept.
inline constexpr size_t kMaxDesignerLines = 256;
inline constexpr size_t kMaxDesignerLineBytes = 1024;

// Reads the designer text ("VERSION 5.00", "Begin {class id} Name", property lines, "End").
// Lines the export does not show (TypeInfoVer) are dropped; text that is not a designer block
// gives an empty block.
DesignerBlock readDesignerText(std::string_view text);

// Lines ended by CR LF, LF or a lone CR; a final line end adds no empty line.
std::vector<std::string_view> splitSourceLines(std::string_view text);

// The export file text. `source` is the module's decoded source (UTF-8) as stored, with its
// Attribute lines. Class, document and form modules get their header block and lose the
// module attributes the editor keeps to itself (VB_Base, VB_TemplateDerived,
// VB_Customizable, VB_Control); a source without its "Attribute VB_Name" line gets one.
std::string buildExportText(ComponentType type, std::string_view name, std::string_view source,
                            const DesignerBlock* designer);

}  // namespace zel::xls::vba
