// Opening a result file that came from elsewhere: read-only and immutable with SQLite's
// defensive settings, its schema checked to be plain data, the work of its queries bounded.
// Every reader of a result file (load check, reports) opens it here.
#pragma once
#include "core/result_db.h"

#include <stdexcept>
#include <string>

namespace zel {

class ResultFileError : public std::runtime_error {
 public:
  enum class Kind { NoSaveRow, MissingTable, Invalid };
  ResultFileError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// Opens path as a result file. Accepted: a regular file holding an SQLite database whose
// schema has only ordinary tables (no views, triggers, virtual tables or explicit indexes),
// each a table the schema knows, with exactly the schema's columns and none hidden or
// generated. Every table a result file has always held must be there; a table added to the
// schema later may be missing and then reads as empty. Queries stop after a number of
// steps in proportion to the file's size. Throws ResultFileError (MissingTable when a table
// every result file holds is not there, else Invalid).
ResultDb openResultFile(const std::string& path, const std::string& schemaSql);
// The same against the installed schema.
ResultDb openResultFile(const std::string& path);

}  // namespace zel
