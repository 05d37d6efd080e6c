// The sheets every workbook analysis walks: those the opening listed in the sheet boxes,
// i.e. the sheet collection without the sheets whose names begin with "MODULE" (any case).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zel::workbook {

// True when the first six characters of the name, upper-cased, are "MODULE".
bool isModuleSheetName(std::string_view name);

struct WalkedSheet {
  long ordinal = 0;        // 1, 2, ... in walking order (the analyses' object counter)
  std::size_t index = 0;   // 0-based position in the sheet collection
  std::string name;
};

// The walk over a sheet collection given by its names, in collection order. Module sheets are
// left out wherever they stand, not only at the end.
std::vector<WalkedSheet> sheetsToWalk(const std::vector<std::string>& collectionNames);

// The names alone (what the sheet boxes and the add-in list take).
std::vector<std::string> walkedSheetNames(const std::vector<std::string>& collectionNames);

// How many sheets of the collection are module sheets (ModuleSheetCount).
long moduleSheetCount(const std::vector<std::string>& collectionNames);

}  // namespace zel::workbook
