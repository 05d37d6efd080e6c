// The window's wording of a workbook that cannot be opened: in Japanese, what is wrong and what
// the user can do. The command line keeps the reader's English description.
#pragma once
#include <string>

#include "core/vb_error.h"
#include "xls/open_error.h"

namespace zel::analyses {

// The Japanese text of an open failure ("'Book1.xls' は読み取りパスワードで…").
std::string openFailureText(const xls::WorkbookOpenError& e);

// The description the window shows for an error of its open sequence: the Japanese text of an
// open failure, the error's own description otherwise.
std::string windowErrorDescription(const VbError& e);

}  // namespace zel::analyses
