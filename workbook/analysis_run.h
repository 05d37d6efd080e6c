// The run frame of the workbook analyses: one transaction (committed also when the run fails,
// so rows already added stay) and lower-level failures turned into VbError, which is all the
// window and the command line catch.
#pragma once
#include "core/run_in_transaction.h"

#include <utility>

namespace zel::workbook {

// What remains after the common failures comes from reading the workbook (its container or
// macro project): it is reported as Excel's "cannot open" error.
template <class Body>
void runInTransaction(ResultDb& db, Body&& body) {
  runAnalysisTransaction(db, std::forward<Body>(body), err::BadFileFormat);
}

}  // namespace zel::workbook
