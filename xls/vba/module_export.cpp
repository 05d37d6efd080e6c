// Building the export text. The stored source already begins with the module's Attribute
// lines; what the editor adds on export is the header block, and what it leaves out are the
// attributes that only tie the module to its host document.
#include "xls/vba/module_export.h"

#include <array>
#include <cctype>

namespace zel::xls::vba {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kAttribute = "Attribute ";
constexpr std::array<std::string_view, 4> kHiddenAttributes = {
    "Attribute VB_Base", "Attribute VB_TemplateDerived", "Attribute VB_Customizable", "Attribute VB_Control"};
constexpr std::array<std::string_view, 4> kClassHeader = {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True",
                                                          "END"};

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool hiddenAttribute(std::string_view line) {
  for (auto h : kHiddenAttributes) {
    if (startsWith(line, h) && (line.size() == h.size() || line[h.size()] == ' ' || line[h.size()] == '='))
      return true;
  }
  return false;
}

// "{8-4-4-4-12 hex}" as the designer's class id.
bool looksLikeClassId(std::string_view s) {
  if (s.size() != 38 || s.front() != '{' || s.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    char c = s[i];
    bool dash = (i == 9 || i == 14 || i == 19 || i == 24);
    if (dash ? c != '-' : !std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// VB string literal: quotes doubled.
std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace

std::vector<std::string_view> splitSourceLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0, i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

DesignerBlock readDesignerText(std::string_view text) {
  DesignerBlock block;
  auto lines = splitSourceLines(text);
  if (lines.size() < 2 || trimBlanks(lines[0]) != "VERSION 5.00") return block;
  std::string_view begin = trimBlanks(lines[1]);
  if (!startsWith(begin, "Begin ")) return block;
  std::string_view id = trimBlanks(begin.substr(6));
  id = id.substr(0, id.find(' '));
  if (looksLikeClassId(id)) block.classId = std::string(id);
  for (size_t i = 2; i < lines.size() && block.properties.size() < kMaxDesignerLines; ++i) {
    std::string_view t = trimBlanks(lines[i]);
    if (t == "End" || startsWith(t, "Begin ")) break;  // the form's own block ends; controls are not text
    if (t.empty() || startsWith(t, "TypeInfoVer")) continue;
    if (t.find('=') == std::string_view::npos || lines[i].size() > kMaxDesignerLineBytes) continue;
    block.properties.emplace_back(lines[i]);
  }
  return block;
}

std::string buildExportText(ComponentType type, std::string_view name, std::string_view source,
                            const DesignerBlock* designer) {
  std::string out;
  out.reserve(source.size() + 512);
  auto line = [&out](std::string_view s) {
    out += s;
    out += kCrLf;
  };
  if (type == ComponentType::Class || type == ComponentType::Document) {
    for (auto h : kClassHeader) line(h);
  } else if (type == ComponentType::Form) {
    DesignerBlock fallback;
    const DesignerBlock& d = designer ? *designer : fallback;
    line("VERSION 5.00");
    line("Begin " + d.classId + " " + std::string(name) + " ");
    for (const auto& p : d.properties) line(p);
    line("End");
  }
  auto lines = splitSourceLines(source);
  if (lines.empty() || !startsWith(lines.front(), "Attribute VB_Name")) line("Attribute VB_Name = " + quoted(name));
  bool inModuleAttributes = true;
  for (std::string_view l : lines) {
    if (inModuleAttributes && !startsWith(l, kAttribute)) inModuleAttributes = false;
    if (inModuleAttributes && type != ComponentType::Standard && hiddenAttribute(l)) continue;
    line(l);
  }
  return out;
}

}  // namespace zel::xls::vba
