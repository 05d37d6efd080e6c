// Sheet and book prefixes of references as Excel writes them: quoted with ' when the name
// holds anything but letters, digits, "_" and ".", starts with a digit, or could be read as a
// cell reference or a logical value; an embedded ' is doubled.
#pragma once
#include <string>
#include <string_view>

namespace zel::xls::formula {

bool sheetNameNeedsQuotes(std::string_view name);

// "Sheet1!" / "'My Sheet'!" / "'Sheet 1:Sheet3'!" for the workbook's own sheets.
std::string sheetPrefix(std::string_view firstSheet, std::string_view lastSheet);

// "[Book2.xls]Sheet1!" / "'C:\Data\[Book2.xls]Sheet1'!" for sheets of an external book whose
// path (as Excel shows it) is given; lastSheet may equal firstSheet.
std::string externalSheetPrefix(std::string_view bookPath, std::string_view firstSheet,
                                std::string_view lastSheet);

// "Book2.xls!" / "'C:\Data\Book2.xls'!" for names at the level of an external book.
std::string externalBookPrefix(std::string_view bookPath);

}  // namespace zel::xls::formula
