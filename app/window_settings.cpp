// Reading and writing the window's entries of Zelvarin.ini.
#include "app/window_settings.h"

#include "core/profile_file.h"

#include <cctype>
#include <climits>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace zel {

long leadingWholeNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value > (LONG_MAX - (text[i] - '0')) / 10) {
      value = LONG_MAX;
      break;
    }
    value = value * 10 + (text[i] - '0');
  }
  return static_cast<long>(negative ? -value : value);
}

WindowPlacement readWindowPlacement(const std::string& iniPath) {
  WindowPlacement p;
  p.TopTwips = leadingWholeNumber(getPrivateProfileString("POS", "T", "0", iniPath));
  p.LeftTwips = leadingWholeNumber(getPrivateProfileString("POS", "L", "0", iniPath));
  p.DefFolder = getPrivateProfileString("DEF", "Folder", "0", iniPath);
  return p;
}

bool writeWindowPlacement(const std::string& iniPath, long topTwips, long leftTwips, const std::string& folder) {
  bool ok = writePrivateProfileString("POS", "T", std::to_string(topTwips), iniPath);
  ok = writePrivateProfileString("POS", "L", std::to_string(leftTwips), iniPath) && ok;
  ok = writePrivateProfileString("DEF", "Folder", folder, iniPath) && ok;
  return ok;
}

}  // namespace zel
