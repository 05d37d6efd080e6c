// PROJECT stream properties. Only the component declarations and CMG/DPB/GC matter here;
// the other properties (ID, Name, HelpFile, the [Workspace] section) are the editor's own.
#include "xls/vba/project_stream.h"

#include <string_view>

#include "xls/byte_cursor.h"

namespace zel::xls::vba {
namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
      if (i > start) lines.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return lines;
}

std::string_view unquote(std::string_view v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
  return v;
}

// "Document=Sheet1/&H00000000": the name ends before the "/" that starts the version.
std::string_view documentName(std::string_view v) {
  size_t slash = v.find('/');
  return slash == std::string_view::npos ? v : v.substr(0, slash);
}

}  // namespace

ProjectStream readProjectStream(std::span<const uint8_t> bytes) {
  ProjectStream out;
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  for (std::string_view line : splitLines(text)) {
    if (line.front() == '[') break;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    auto declare = [&](std::string_view name, ComponentType type) {
      if (!name.empty()) out.components.push_back({std::string(name), type});
    };
    if (key == "Module") {
      declare(value, ComponentType::Standard);
    } else if (key == "Class") {
      declare(value, ComponentType::Class);
    } else if (key == "BaseClass") {
      declare(value, ComponentType::Form);
    } else if (key == "Document") {
      declare(documentName(value), ComponentType::Document);
    } else if (key == "CMG") {
      auto state = decodeProjectData(unquote(value));
      if (state && state->size() == 4) {
        out.protection.protectionReadable = true;
        out.protection.protectionState = ByteCursor(*state).u32();
      }
    } else if (key == "DPB") {
      auto password = decodeProjectData(unquote(value));
      out.protection.hasPassword = password && !(password->size() == 1 && (*password)[0] == 0);
    } else if (key == "GC") {
      out.protection.hasVisibility = true;
      auto visibility = decodeProjectData(unquote(value));
      if (visibility && visibility->size() == 1) {
        out.protection.visibilityReadable = true;
        out.protection.visibility = (*visibility)[0];
      }
    }
  }
  return out;
}

}  // namespace zel::xls::vba
