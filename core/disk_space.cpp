// File-system space through statvfs; the mount point from /proc/self/mounts.
#include "core/disk_space.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zel {
namespace {

// Nearest existing folder of path, so a moved workbook still tells its file system.
std::string existingAncestor(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path p(path);
  while (!p.empty() && !fs::exists(p, ec)) {
    if (p == p.parent_path()) break;
    p = p.parent_path();
  }
  return p.empty() ? std::string() : p.string();
}

// Mount points in /proc/self/mounts escape blanks as octal sequences.
std::string unescapeMount(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      int v = 0;
      bool ok = true;
      for (size_t k = 1; k <= 3; ++k) {
        if (s[i + k] < '0' || s[i + k] > '7') ok = false;
        else v = v * 8 + (s[i + k] - '0');
      }
      if (ok) {
        out.push_back(static_cast<char>(v));
        i += 3;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

}  // namespace

double DiskSpaceMB(const std::optional<std::string>& path, int what, int unit) {
  if (!path || path->empty()) return -1;
  std::string at = existingAncestor(*path);
  if (at.empty() || at.front() != '/') return -1;
  struct statvfs st {};
  if (::statvfs(at.c_str(), &st) != 0) return -1;
  const double block = static_cast<double>(st.f_frsize ? st.f_frsize : st.f_bsize);
  double freeBytes = static_cast<double>(st.f_bfree) * block;
  double totalBytes = static_cast<double>(st.f_blocks) * block;
  double freeValue = unit == 1 ? freeBytes / 1024.0 / 1024.0 : unit == 2 ? freeBytes / 1024.0 : freeBytes;
  return what == 1 ? totalBytes / 1024.0 / 1024.0 : freeValue;
}

std::string mountPointOf(const std::string& path) {
  std::string at = existingAncestor(path);
  if (at.empty() || at.front() != '/') return {};
  struct stat target {};
  if (::stat(at.c_str(), &target) != 0) return {};
  std::ifstream mounts("/proc/self/mounts");
  std::string line, best;
  while (std::getline(mounts, line)) {
    std::istringstream in(line);
    std::string dev, mnt;
    in >> dev >> mnt;
    mnt = unescapeMount(mnt);
    struct stat st {};
    if (::stat(mnt.c_str(), &st) != 0 || st.st_dev != target.st_dev) continue;
    // The longest mount point that is a prefix of the path wins (bind mounts share devices).
    if (at.rfind(mnt, 0) == 0 && mnt.size() >= best.size()) best = mnt;
  }
  return best;
}

std::string megabytesText(double mb) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2fMB", mb);
  return buf;
}

}  // namespace zel
