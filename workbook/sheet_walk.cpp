// The sheet walk shared by the analyses.
#include "workbook/sheet_walk.h"

#include "core/vbstring.h"

namespace zel::workbook {

bool isModuleSheetName(std::string_view name) { return vb::ucase(vb::left(name, 6)) == "MODULE"; }

std::vector<WalkedSheet> sheetsToWalk(const std::vector<std::string>& collectionNames) {
  std::vector<WalkedSheet> out;
  for (std::size_t i = 0; i < collectionNames.size(); ++i) {
    if (isModuleSheetName(collectionNames[i])) continue;
    out.push_back(WalkedSheet{static_cast<long>(out.size()) + 1, i, collectionNames[i]});
  }
  return out;
}

std::vector<std::string> walkedSheetNames(const std::vector<std::string>& collectionNames) {
  std::vector<std::string> out;
  for (auto& s : sheetsToWalk(collectionNames)) out.push_back(std::move(s.name));
  return out;
}

long moduleSheetCount(const std::vector<std::string>& collectionNames) {
  long n = 0;
  for (const auto& name : collectionNames) n += isModuleSheetName(name) ? 1 : 0;
  return n;
}

}  // namespace zel::workbook
