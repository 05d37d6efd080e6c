// The window's reading of a result file: the shared checks, their failure as a message.
#include "app/saved_result.h"

#include "core/program_folder.h"
#include "core/result_store.h"

namespace zel {

std::optional<SavedResult> readSavedResult(const std::string& path, std::string* error, bool* noRow) {
  if (noRow) *noRow = false;
  try {
    return readResultFile(path, loadSchemaSql(programPathsFor(shareFolder())));
  } catch (const ResultFileError& e) {
    if (noRow && e.kind() == ResultFileError::Kind::NoSaveRow) *noRow = true;
    if (error) *error = e.what();
  } catch (const std::exception& e) {
    if (error) *error = e.what();
  }
  return std::nullopt;
}

}  // namespace zel
