// The PROJECT stream: "Key=Value" text lines in the project's code page. It names each
// component's kind (Module=, Class=, BaseClass=, Document=) and holds the protection state.
#pragma once
#include "xls/vba/project_protection.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zel::xls::vba {

// Component type numbers as the macro project reports them.
enum class ComponentType : int { Standard = 1, Class = 2, Form = 3, Document = 100 };

struct DeclaredComponent {
  std::string name;  // in the project's code page, as the line holds it
  ComponentType type;
};

struct ProjectStream {
  std::vector<DeclaredComponent> components;  // in the order of the lines
  ProjectProtection protection;
};

// Reads the lines up to the first "[section]" line; lines may end in CR LF, LF CR, CR or LF.
// Unknown keys and malformed lines are skipped.
ProjectStream readProjectStream(std::span<const uint8_t> bytes);

}  // namespace zel::xls::vba
