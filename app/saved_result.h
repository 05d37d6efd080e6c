// Reading the T_XlSaveFlag row of a saved result file (*.xdb) for the window: the checks of
// core/result_file.h, with their outcome as a message.
#pragma once
#include "core/result_file.h"

#include <optional>
#include <string>

namespace zel {

// Opens path read-only, checks it (every result table and column, the save row, every flag in
// its range) and reads its first T_XlSaveFlag row. On any problem returns nothing and a message
// in *error; *noRow tells the case of a file whose T_XlSaveFlag holds no row (a failed save).
std::optional<SavedResult> readSavedResult(const std::string& path, std::string* error, bool* noRow = nullptr);

}  // namespace zel
