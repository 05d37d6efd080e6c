// The run frame of the workbook analyses: one transaction (committed also when the run fails,
// so rows already added stay) and lower-level failures turned into VbError, which is all the
// window and the command line catch.
#pragma once
#include "app/core/result_db.h"
#include "app/core/vb_error.h"

#include <filesystem>
#include <new>
#include <utility>

namespace zel::workbook {

template <class Body>
void runInTransaction(ResultDb& db, Body&& body) {
  try {
    ResultDb::Run tx(db);
    std::forward<Body>(body)();
  } catch (const VbError&) {
    throw;
  } catch (const DbError& e) {
    throw VbError(err::DatabaseError, e.what());
  } catch (const std::filesystem::filesystem_error& e) {
    throw VbError(err::PathNotFound, e.what());
  } catch (const std::bad_alloc&) {
    throw VbError(7, "Out of memory");
  } catch (const std::exception& e) {
    // What remains comes from reading the workbook (its container or macro project).
    throw VbError(err::BadFileFormat, e.what());
  }
}

}  // namespace zel::workbook
