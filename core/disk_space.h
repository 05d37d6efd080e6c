// DiskSpaceMB and the facts the About dialog shows about the open workbook's file system.
#pragma once
#include <optional>
#include <string>

namespace zel {

// Total (what = 1) or free (otherwise) space of the file system holding path. Free space is in
// MB when unit is 1, KB when unit is 2, bytes otherwise; total is always in MB. -1 when path is
// empty (the original's Null) or the file system cannot be queried.
double DiskSpaceMB(const std::optional<std::string>& path, int what, int unit);

// The mount point of the file system holding path (stands in for the drive letter); "" if unknown.
std::string mountPointOf(const std::string& path);

// "#0.00" followed by "MB".
std::string megabytesText(double mb);

}  // namespace zel
