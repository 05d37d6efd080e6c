// The error raised when a workbook's macro project is damaged: a VbError with Excel's
// "cannot open" number, so the window and the command line report it like any other failure.
#pragma once
#include "core/vb_error.h"

#include <string>

namespace zel::xls::vba {

class VbaFormatError : public VbError {
 public:
  explicit VbaFormatError(const std::string& what) : VbError(err::BadFileFormat, "macro project: " + what) {}
};

}  // namespace zel::xls::vba
