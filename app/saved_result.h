// Reading the T_XlSaveFlag row of a saved result file (*.xdb), with every flag checked
// against the range it may hold before the window uses it as an option index.
#pragma once
#include "app/core/session_state.h"

#include <optional>
#include <string>

namespace zel {

struct SavedResult {
  std::string ObjName;
  DoneFlags flags;
  int mSs = 2;  // ColumnOption when the file was saved
  HeaderTexts header;
};

// Opens path read-only and reads its first T_XlSaveFlag row. On any problem (not a database,
// no such table, no row, a flag out of range) returns nothing and a message in *error;
// *noRow tells the case of a file whose T_XlSaveFlag holds no row (a failed save).
std::optional<SavedResult> readSavedResult(const std::string& path, std::string* error, bool* noRow = nullptr);

}  // namespace zel
