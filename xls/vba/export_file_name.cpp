// Mapping of component names to file names. The mapping only changes names the macro
// editor would never accept, so real projects keep their module names as file names.
#include "xls/vba/export_file_name.h"

#include <set>

namespace zel::xls::vba {
namespace {

bool unsafeByte(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|': return true;
    default: return false;
  }
}

// Cut at most n bytes, backing up to the start of a UTF-8 sequence.
std::string cutUtf8(const std::string& s, size_t n) {
  if (s.size() <= n) return s;
  size_t end = n;
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
  return s.substr(0, end);
}

std::string foldAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

std::string exportExtension(ComponentType type, bool workbookModule) {
  switch (type) {
    case ComponentType::Standard: return ".bas";
    case ComponentType::Class: return ".cls";
    case ComponentType::Form: return ".frm";
    case ComponentType::Document: return workbookModule ? ".bok" : ".sht";
  }
  return ".txt";
}

std::string safeFileStem(std::string_view name) {
  std::string stem;
  stem.reserve(name.size() + 1);
  for (char c : name) stem += unsafeByte(static_cast<unsigned char>(c)) ? '_' : c;
  if (stem.empty()) return "_";
  if (stem.front() == '.') stem.insert(stem.begin(), '_');
  return cutUtf8(stem, kMaxFileStemBytes);
}

std::vector<std::string> uniqueExportFileNames(const std::vector<std::pair<std::string, std::string>>& items) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (const auto& [stem, ext] : items) {
    std::string name = stem + ext;
    for (int n = 2; taken.count(foldAscii(name)); ++n) name = stem + "~" + std::to_string(n) + ext;
    taken.insert(foldAscii(name));
    names.push_back(name);
  }
  return names;
}

}  // namespace zel::xls::vba
