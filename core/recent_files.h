// The four most recent workbooks, kept in [RECENT] RecentFile1..4 of Zelvarin.ini.
#pragma once
#include <array>
#include <string>

namespace zel {

using RecentList = std::array<std::string, 4>;

// True when a slot is empty: its value begins with "0".
bool isEmptyRecentSlot(const std::string& value);

// GetRecentFiles: the four values (missing keys give "0").
RecentList readRecentFiles(const std::string& iniPath);

// WriteRecentFiles: the open workbook first, the earlier first three entries moved down one place
// (slots that were empty keep what the file holds); nothing written when path is empty.
// Returns false when the ini could not be written.
bool writeRecentFiles(const std::string& iniPath, const RecentList& loaded, const std::string& path);

}  // namespace zel
