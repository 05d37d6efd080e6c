// Recent-file rotation over the profile file.
#include "core/recent_files.h"

#include "core/profile_file.h"

namespace zel {

bool isEmptyRecentSlot(const std::string& value) { return value.empty() || value[0] == '0'; }

RecentList readRecentFiles(const std::string& iniPath) {
  RecentList list;
  for (int i = 1; i <= 4; ++i)
    list[static_cast<size_t>(i - 1)] = getPrivateProfileString("RECENT", "RecentFile" + std::to_string(i), "0", iniPath);
  return list;
}

bool writeRecentFiles(const std::string& iniPath, const RecentList& loaded, const std::string& path) {
  if (path.empty()) return true;
  bool ok = writePrivateProfileString("RECENT", "RecentFile1", path, iniPath);
  for (int i = 2; i >= 0; --i) {
    const auto& v = loaded[static_cast<size_t>(i)];
    if (!isEmptyRecentSlot(v)) ok = writePrivateProfileString("RECENT", "RecentFile" + std::to_string(i + 2), v, iniPath) && ok;
  }
  return ok;
}

}  // namespace zel
