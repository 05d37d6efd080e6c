// Reading and writing the window's entries of Zelvarin.ini; export folder clean-up.
#include "app/window_settings.h"

#include "app/core/profile_file.h"

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

RecentList readRecentList(const std::string& iniPath) {
  RecentList list;
  for (int i = 0; i < 4; ++i)
    list[i] = getPrivateProfileString("RECENT", "RecentFile" + std::to_string(i + 1), "0", iniPath);
  return list;
}

bool isEmptyRecentSlot(const std::string& value) { return value.empty() || value.front() == '0'; }

bool writeRecentFiles(const std::string& iniPath, const RecentList& previous, const std::string& path) {
  if (path.empty()) return true;
  bool ok = writePrivateProfileString("RECENT", "RecentFile1", path, iniPath);
  for (int i = 2; i >= 0; --i) {
    if (isEmptyRecentSlot(previous[i])) continue;
    ok = writePrivateProfileString("RECENT", "RecentFile" + std::to_string(i + 2), previous[i], iniPath) && ok;
  }
  return ok;
}

int deleteExportedFiles(const std::string& tempPath) {
  std::error_code ec;
  int failures = 0;
  fs::directory_iterator it(tempPath, ec), end;
  if (ec) return 0;  // no export folder: nothing to delete
  for (; it != end; it.increment(ec)) {
    if (ec) return failures + 1;
    std::error_code typeEc;
    // symlink_status: a link is removed itself, never what it points to.
    auto status = it->symlink_status(typeEc);
    if (typeEc || fs::is_directory(status)) continue;
    std::error_code rmEc;
    if (!fs::remove(it->path(), rmEc) || rmEc) ++failures;
  }
  return failures;
}

}  // namespace zel
