// Windows profile-file (".ini") reading and writing with GetPrivateProfileString semantics:
// case-insensitive section and key names, defaults for anything missing, values kept as text.
#pragma once
#include <map>
#include <string>
#include <string_view>

namespace zel {

// The value of [section] key in the file, or def when the file, section or key is missing.
std::string getPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& path);

// Every key of [section] (ASCII letters lowered) with its value, the file read once; a key
// given twice keeps its first value, as getPrivateProfileString finds it.
std::map<std::string, std::string> readProfileSection(std::string_view section, const std::string& path);

// Sets [section] key = value, creating file, section or key as needed; other lines are kept.
// Writes a temporary file then renames it, so a failed write loses nothing.
// Returns false (and leaves the old file as it was) when the file cannot be written, or when
// it exists but cannot be read (too large, unreadable, not a regular file).
bool writePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path);

// A settings file that is there but cannot be read (a missing file is not unreadable).
bool profileFileUnreadable(const std::string& path);

// Writes whole text to path through a temporary file in the same folder and a rename.
bool writeFileAtomically(const std::string& path, std::string_view contents, std::string* error = nullptr);

// Reads a whole (small) regular file; false when it cannot be read, is not a regular file
// (a FIFO, a device, a folder) or is larger than limit.
bool readSmallFile(const std::string& path, std::string& out, size_t limit = 16u << 20);

}  // namespace zel
