// Zelvarin.ini as the window uses it: the window position and last folder ([POS], [DEF]),
// the recent workbooks ([RECENT]), and the exit clean-up of the export folder.
#pragma once
#include <array>
#include <string>

namespace zel {

struct WindowPlacement {
  long TopTwips = 0;
  long LeftTwips = 0;
  std::string DefFolder = "0";  // "0" (or any text starting with "0") = no folder remembered
};

// [POS] T, [POS] L, [DEF] Folder with "0" for anything missing; numbers read as VB's Val would.
WindowPlacement readWindowPlacement(const std::string& iniPath);

// Writes [POS] T / L as decimal text and [DEF] Folder. False when the file cannot be written.
bool writeWindowPlacement(const std::string& iniPath, long topTwips, long leftTwips, const std::string& folder);

// RecentList: the four [RECENT] RecentFile1..4 values, "0" for a missing key.
using RecentList = std::array<std::string, 4>;
RecentList readRecentList(const std::string& iniPath);
bool isEmptyRecentSlot(const std::string& value);  // a value starting with "0"

// WriteRecentFiles: the open workbook's path first, the previous first three entries moved down;
// nothing is written when path is empty. False when the file cannot be written.
bool writeRecentFiles(const std::string& iniPath, const RecentList& previous, const std::string& path);

// Deletes the plain files (and links) directly in tempPath; sub-folders and their contents
// stay. Returns the number of entries that could not be deleted.
int deleteExportedFiles(const std::string& tempPath);

// Leading decimal integer of text ("12ab" -> 12, "abc" -> 0), clamped to the long range.
long leadingWholeNumber(const std::string& text);

}  // namespace zel
