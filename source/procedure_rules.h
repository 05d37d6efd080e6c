// Field rules of the procedure list: TypeSelect for a procedure row, and the declaration or
// call row of DCCGWrite. Pure functions from a statement to the values of its row.
#pragma once
#include "source/source_text.h"

#include <optional>

namespace zel::source {

// TypeSelect on a statement whose scope word PriPubDel has already cut.
struct ProcTypeFields {
  std::optional<U16> type;        // "Property Get" ... "Sub"; empty when not recognised
  bool writesDimCall = false;     // DimCall = 0 for the Declare and plain Function/Sub kinds
  std::optional<U16> parameters;  // text between the parentheses (3 characters or more)
  std::optional<U16> as;          // text behind "As" after the closing parenthesis
};
ProcTypeFields TypeSelect(U16V statement);

// A declaration or Call statement of T_XlDimCall (statement without its leading blanks).
struct DimCallFields {
  int dimCall = 0;       // 1 Global, 2 Public, 3 Private, 4 Dim, 5 Const, 6 Call
  const char* bunrui = "";
  const char* type = "";
  U16 parameters;         // declared or called text
  std::optional<U16> as;  // trailing comment
};
// Nothing when the statement holds none of the keywords.
std::optional<DimCallFields> DCCGFields(U16V statement);

}  // namespace zel::source
