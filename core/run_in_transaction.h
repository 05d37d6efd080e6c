// The run frame every analysis shares: one transaction (committed also when the run fails, so
// rows already added stay) and lower-level failures turned into VbError, which is all the
// window and the command line catch.
#pragma once
#include "core/result_db.h"
#include "core/vb_error.h"

#include <filesystem>
#include <new>
#include <utility>

namespace zel {

// otherErrorNumber: the number given to any other exception (0 lets it pass unchanged).
template <class Body>
void runAnalysisTransaction(ResultDb& db, Body&& body, long otherErrorNumber = 0) {
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
    if (otherErrorNumber == 0) throw;
    throw VbError(otherErrorNumber, e.what());
  }
}

}  // namespace zel
