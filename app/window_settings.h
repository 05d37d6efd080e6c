// Zelvarin.ini as the window uses it: the window position and last folder ([POS], [DEF]).
// The recent workbooks are in core/recent_files.h.
#pragma once
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

// Leading decimal integer of text ("12ab" -> 12, "abc" -> 0), clamped to the long range.
long leadingWholeNumber(const std::string& text);

}  // namespace zel
