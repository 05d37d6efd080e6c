// The error of a workbook the reader cannot open: VbError 1004 with an English reason, and
// the kind of failure, so that a front end can word it in its own language.
#pragma once
#include <string>

#include "core/vb_error.h"

namespace zel::xls {

enum class OpenFailure {
  NotFound,      // no such file, or not a regular file
  Empty,         // a file of 0 bytes
  Ooxml,         // an Excel 2007 or later workbook in a form not read (.xlsb, Strict Open XML)
  EarlierExcel,  // Excel 2.x to 5.0/95 (BIFF2 to BIFF7)
  NotAWorkbook,  // not a compound file, no Workbook stream, a bare BIFF stream
  Encrypted,     // protected with a password to open
  Damaged,       // a damaged compound file or Workbook stream
};

class WorkbookOpenError : public VbError {
 public:
  WorkbookOpenError(OpenFailure kind, std::string fileName, const std::string& description)
      : VbError(err::BadFileFormat, description), kind_(kind), fileName_(std::move(fileName)) {}
  OpenFailure kind() const { return kind_; }
  const std::string& fileName() const { return fileName_; }  // the path as given ("" inside the parser)

 private:
  OpenFailure kind_;
  std::string fileName_;
};

}  // namespace zel::xls
